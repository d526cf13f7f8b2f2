#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/Pixels.h"
#include "platform/gdi/Raster.h"

#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

namespace gdi {
namespace {

__extension__ using Wide = __int128;

Bitmap stockBitmap()
{
    return Bitmap::create(1, 1);
}

// One span of a row, [x0, x1); empty when x0 >= x1.
struct RowSpan {
    int x0 = 0;
    int x1 = 0;
    bool empty() const { return x0 >= x1; }
};

}  // namespace

DeviceContext::DeviceContext() : m_bitmap(stockBitmap())
{
}

DeviceContext::DeviceContext(const Bitmap& target)
    : m_bitmap(target.isNull() ? stockBitmap() : target)
{
}

Bitmap DeviceContext::selectBitmap(const Bitmap& bitmap)
{
    if (bitmap.isNull())
        return {};
    return std::exchange(m_bitmap, bitmap);
}

Pen DeviceContext::selectPen(const Pen& pen)
{
    return std::exchange(m_pen, pen);
}

Brush DeviceContext::selectBrush(const Brush& brush)
{
    return std::exchange(m_brush, brush);
}

Font DeviceContext::selectFont(const Font& font)
{
    return std::exchange(m_font, font);
}

COLORREF DeviceContext::setTextColor(COLORREF color)
{
    return std::exchange(m_textColor, color & 0xFFFFFFu);
}

COLORREF DeviceContext::setBkColor(COLORREF color)
{
    return std::exchange(m_bkColor, color & 0xFFFFFFu);
}

int DeviceContext::setBkMode(int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return std::exchange(m_bkMode, mode);
}

int DeviceContext::selectClipRgn(const Region& region)
{
    m_clip = region.pixels();
    return region.kind();
}

int DeviceContext::removeClipRgn()
{
    m_clip.reset();
    return SIMPLEREGION;
}

std::optional<Region> DeviceContext::clipRgn() const
{
    if (!m_clip)
        return std::nullopt;
    return Region(*m_clip);
}

QRegion DeviceContext::drawableArea(const QRect& area) const
{
    const QRect inside = area & m_bitmap.rect();
    if (inside.isEmpty())
        return {};
    return m_clip ? QRegion(inside) & *m_clip : QRegion(inside);
}

bool DeviceContext::visible(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_bitmap.width() || y >= m_bitmap.height())
        return false;
    return !m_clip || m_clip->contains(QPoint(x, y));
}

bool DeviceContext::visibleDevice(int column, int row) const
{
    if (!m_clip)
        return true;
    const pixels::Grid grid = m_bitmap.grid();
    return m_clip->contains(QPoint(grid.logical(column), grid.logical(row)));
}

void DeviceContext::putPixel(int x, int y, COLORREF color)
{
    if (m_bitmap.grid().isUnit()) {
        reinterpret_cast<QRgb*>(m_bitmap.image().scanLine(y))[x] = pixels::fromColorref(color);
        return;
    }
    fillDevice(QRect(x, y, 1, 1), pixels::fromColorref(color));
}

// Every device pixel of a rectangle of logical pixels inside the bitmap, in one colour.
void DeviceContext::fillDevice(const QRect& area, QRgb pixel)
{
    QImage& image = m_bitmap.image();
    const QRect device = m_bitmap.grid().toDevice(area, image.size());
    for (int y = device.top(); y <= device.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + device.left(), line + device.right() + 1, pixel);
    }
}

void DeviceContext::fillSpan(int y, int x0, int x1, COLORREF color)
{
    if (y < 0 || y >= m_bitmap.height())
        return;
    const pixels::Range columns = pixels::clipRange(x0, std::int64_t(x1) - x0, m_bitmap.width());
    if (columns.count == 0)
        return;
    if (!m_clip) {
        fillDevice(QRect(columns.first, y, columns.count, 1), pixels::fromColorref(color));
        return;
    }
    paintArea(QRect(columns.first, y, columns.count, 1), Brush::solid(color));
}

// Hatches and patterns are laid out on logical pixels from the origin, so they look the same
// at every device pixel ratio, only finer.
void DeviceContext::paintArea(const QRegion& area, const Brush& brush)
{
    if (brush.kind() == Brush::Kind::Hollow)
        return;
    const QRegion target = m_clip ? area & *m_clip & m_bitmap.rect() : area & m_bitmap.rect();
    if (brush.kind() == Brush::Kind::Solid) {
        const QRgb solid = pixels::fromColorref(brush.color());
        for (const QRect& rect : target)
            fillDevice(rect, solid);
        return;
    }
    QImage& image = m_bitmap.image();
    const pixels::Grid grid = m_bitmap.grid();
    const QRgb solid = pixels::fromColorref(brush.color());
    const QRgb background = pixels::fromColorref(m_bkColor);
    const bool opaque = m_bkMode == OPAQUE;
    const QImage& pattern = brush.patternImage();
    // Device pixels of the pattern per device pixel of this bitmap.
    const double patternScale = pattern.isNull() ? 1.0 : pattern.devicePixelRatio() / grid.ratio();
    auto patternPixel = [&](int column, int row) {
        const auto px = std::int64_t(std::floor((column + 0.5) * patternScale));
        const auto py = std::int64_t(std::floor((row + 0.5) * patternScale));
        return 0xFF000000u | pattern.pixel(int(px % pattern.width()), int(py % pattern.height()));
    };
    for (const QRect& rect : target) {
        const QRect device = grid.toDevice(rect, image.size());
        for (int y = device.top(); y <= device.bottom(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = device.left(); x <= device.right(); ++x) {
                if (brush.kind() == Brush::Kind::Pattern)
                    line[x] = patternPixel(x, y);
                else if (brush.hatchCovers(grid.logical(x), grid.logical(y)))
                    line[x] = solid;
                else if (opaque)
                    line[x] = background;
            }
        }
    }
}

QPoint DeviceContext::moveTo(int x, int y)
{
    return std::exchange(m_position, QPoint(x, y));
}

bool DeviceContext::lineTo(int x, int y)
{
    drawLine(m_position.x(), m_position.y(), x, y);
    m_position = QPoint(x, y);
    return true;
}

// Bresenham from (x0, y0) towards (x1, y1), the end point left out. Step i along the major
// axis lands at minor offset floor((2 i minor + major) / (2 major)); only the steps that
// fall inside the bitmap are visited, so a line of any length costs at most its visible part.
void DeviceContext::drawLine(int x0, int y0, int x1, int y1)
{
    if (m_pen.isNull())
        return;
    if (m_pen.width() > 1) {
        QPainter painter;
        beginPainter(painter, std::nullopt);
        painter.setPen(QPen(pixels::qcolor(m_pen.color()), m_pen.width(), Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(QPoint(x0, y0), QPoint(x1, y1));
        return;
    }
    const std::int64_t dx = std::int64_t(x1) - x0;
    const std::int64_t dy = std::int64_t(y1) - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
    const std::int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
    if (major == 0)
        return;
    const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t majorStart = xMajor ? x0 : y0;
    const std::int64_t minorStart = xMajor ? y0 : x0;
    const std::int64_t majorLimit = xMajor ? m_bitmap.width() : m_bitmap.height();
    std::int64_t first = 0;
    std::int64_t last = major;  // exclusive
    if (majorStep > 0) {
        first = std::max<std::int64_t>(first, -majorStart);
        last = std::min<std::int64_t>(last, majorLimit - majorStart);
    } else {
        first = std::max<std::int64_t>(first, majorStart - majorLimit + 1);
        last = std::min<std::int64_t>(last, majorStart + 1);
    }
    const COLORREF color = m_pen.color();
    for (std::int64_t i = first; i < last; ++i) {
        const std::int64_t offset = std::int64_t((Wide(2) * i * minor + major) / (Wide(2) * major));
        const std::int64_t a = majorStart + majorStep * i;
        const std::int64_t b = minorStart + minorStep * offset;
        const std::int64_t x = xMajor ? a : b;
        const std::int64_t y = xMajor ? b : a;
        if (x < 0 || y < 0 || x >= m_bitmap.width() || y >= m_bitmap.height())
            continue;
        if (visible(int(x), int(y)))
            putPixel(int(x), int(y), color);
    }
}

COLORREF DeviceContext::setPixel(int x, int y, COLORREF color)
{
    if (!visible(x, y))
        return CLR_INVALID;
    putPixel(x, y, color & 0xFFFFFFu);
    return color & 0xFFFFFFu;
}

COLORREF DeviceContext::getPixel(int x, int y) const
{
    if (!visible(x, y))
        return CLR_INVALID;
    return pixels::toColorref(m_bitmap.pixel(x, y));
}

bool DeviceContext::fillRect(const Rect& rect, const Brush& brush)
{
    const QRect area = pixels::clipToSize(rect.left, rect.top, rect.right, rect.bottom,
                                          m_bitmap.width(), m_bitmap.height());
    if (!area.isEmpty())
        paintArea(area, brush);
    return true;
}

bool DeviceContext::frameRect(const Rect& rect, const Brush& brush)
{
    if (rect.isEmpty())
        return true;
    const std::int64_t left = rect.left;
    const std::int64_t top = rect.top;
    const std::int64_t right = rect.right;
    const std::int64_t bottom = rect.bottom;
    const int w = m_bitmap.width();
    const int h = m_bitmap.height();
    QRegion border;
    border += pixels::clipToSize(left, top, right, top + 1, w, h);
    border += pixels::clipToSize(left, bottom - 1, right, bottom, w, h);
    border += pixels::clipToSize(left, top, left + 1, bottom, w, h);
    border += pixels::clipToSize(right - 1, top, right, bottom, w, h);
    paintArea(border, brush);
    return true;
}

bool DeviceContext::drawEdge(const Rect& rect, unsigned edge, unsigned flags)
{
    struct Layer {
        COLORREF topLeft;
        COLORREF bottomRight;
    };
    std::vector<Layer> layers;
    if (edge & BDR_RAISEDOUTER)
        layers.push_back({GetSysColor(host::COLOR_3DLIGHT), GetSysColor(host::COLOR_3DDKSHADOW)});
    else if (edge & BDR_SUNKENOUTER)
        layers.push_back(
            {GetSysColor(host::COLOR_BTNSHADOW), GetSysColor(host::COLOR_BTNHIGHLIGHT)});
    if (edge & BDR_RAISEDINNER)
        layers.push_back(
            {GetSysColor(host::COLOR_BTNHIGHLIGHT), GetSysColor(host::COLOR_BTNSHADOW)});
    else if (edge & BDR_SUNKENINNER)
        layers.push_back({GetSysColor(host::COLOR_3DDKSHADOW), GetSysColor(host::COLOR_3DLIGHT)});

    // Each layer: the top and left lines in the top-left colour stop short of the corners that
    // the bottom and right lines, drawn after them, own.
    Rect r = rect;
    for (const Layer& layer : layers) {
        if (r.isEmpty())
            break;
        const int rightCut = (flags & BF_RIGHT) ? 1 : 0;
        const int bottomCut = (flags & BF_BOTTOM) ? 1 : 0;
        if (flags & BF_TOP)
            fillRect({r.left, r.top, r.right - rightCut, r.top + 1}, Brush::solid(layer.topLeft));
        if (flags & BF_LEFT)
            fillRect({r.left, r.top, r.left + 1, r.bottom - bottomCut},
                     Brush::solid(layer.topLeft));
        if (flags & BF_BOTTOM)
            fillRect({r.left, r.bottom - 1, r.right, r.bottom}, Brush::solid(layer.bottomRight));
        if (flags & BF_RIGHT)
            fillRect({r.right - 1, r.top, r.right, r.bottom}, Brush::solid(layer.bottomRight));
        r.left += (flags & BF_LEFT) ? 1 : 0;
        r.top += (flags & BF_TOP) ? 1 : 0;
        r.right -= rightCut;
        r.bottom -= bottomCut;
    }
    return true;
}

bool DeviceContext::patBlt(int x, int y, int width, int height, std::uint32_t rop)
{
    if (rop != PATCOPY)
        return false;
    std::int64_t left = x;
    std::int64_t top = y;
    std::int64_t right = std::int64_t(x) + width;
    std::int64_t bottom = std::int64_t(y) + height;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const QRect area =
        pixels::clipToSize(left, top, right, bottom, m_bitmap.width(), m_bitmap.height());
    if (!area.isEmpty())
        paintArea(area, m_brush);
    return true;
}

bool DeviceContext::rectangle(int left, int top, int right, int bottom)
{
    return roundRect(left, top, right, bottom, 0, 0);
}

// The outline is every pixel of the shape with a neighbour above, below, left or right outside
// it; the rest is the inside. Rows have one span each, so both come out as spans.
bool DeviceContext::roundRect(int left, int top, int right, int bottom, int cornerWidth,
                              int cornerHeight)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const int height = m_bitmap.height();
    const auto spans =
        raster::roundRectSpans(left, top, right, bottom, cornerWidth, cornerHeight, -1, height);
    std::vector<RowSpan> rows(std::size_t(height) + 2);
    for (const raster::Span& span : spans) {
        for (int k = 0; k < span.rows; ++k)
            rows[std::size_t(span.y + k + 1)] = {span.x0, span.x1};
    }
    auto row = [&](int y) { return (y < -1 || y > height) ? RowSpan{} : rows[std::size_t(y + 1)]; };
    for (int y = 0; y < height; ++y) {
        const RowSpan here = row(y);
        if (here.empty())
            continue;
        if (m_pen.isNull()) {
            paintArea(QRect(here.x0, y, here.x1 - here.x0, 1), m_brush);
            continue;
        }
        const RowSpan above = row(y - 1);
        const RowSpan below = row(y + 1);
        RowSpan inside;
        if (!above.empty() && !below.empty())
            inside = {std::max({here.x0 + 1, above.x0, below.x0}),
                      std::min({here.x1 - 1, above.x1, below.x1})};
        if (inside.empty()) {
            fillSpan(y, here.x0, here.x1, m_pen.color());
            continue;
        }
        fillSpan(y, here.x0, inside.x0, m_pen.color());
        paintArea(QRect(inside.x0, y, inside.x1 - inside.x0, 1), m_brush);
        fillSpan(y, inside.x1, here.x1, m_pen.color());
    }
    return true;
}

bool DeviceContext::polygon(const QPolygon& points, int fillMode)
{
    if (points.size() < 2)
        return false;
    const auto spans = raster::polygonSpans(points, fillMode, 0, m_bitmap.height() - 1);
    paintArea(raster::regionFromSpans(spans), m_brush);
    const QPoint saved = m_position;
    m_position = points.back();
    for (const QPoint& point : points)
        lineTo(point.x(), point.y());
    m_position = saved;
    return true;
}

bool DeviceContext::fillRgn(const Region& region, const Brush& brush)
{
    paintArea(region.pixels(), brush);
    return true;
}

}  // namespace gdi
