#include "platform/picture/MetafileDevice.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace picture {
namespace {

// Glyphs larger than this are not drawn bigger: a hostile font height would otherwise make the
// painter rasterise enormous glyphs.
constexpr double MaxFontPixels = 4000;
// A WMF numbers its objects in 16 bits.
constexpr std::uint32_t MaxWmfObjects = 0xFFFF;
// Nor are lines drawn wider than this many logical units.
constexpr double MaxPenWidth = 1e6;
// Clip regions stay this many units wide and tall at most: Qt makes no region of a polygon more
// than 100,000 rows tall (and loses the polygon's edge table when asked to).
constexpr double MaxClipSide = 1 << 16;

// What an object keeps beyond its fixed size.
std::uint64_t objectBytes(const GdiObject& object)
{
    const auto brushBytes = [](const GdiBrush& brush) {
        return std::uint64_t(std::max<qsizetype>(brush.pattern.sizeInBytes(), 0));
    };
    std::uint64_t bytes = sizeof(GdiObject);
    if (const auto* brush = std::get_if<GdiBrush>(&object))
        bytes += brushBytes(*brush);
    else if (const auto* pen = std::get_if<GdiPen>(&object))
        bytes += pen->dashes.size() * sizeof(double) + (pen->brush ? brushBytes(*pen->brush) : 0);
    else if (const auto* region = std::get_if<GdiRegion>(&object))
        bytes += region->rects.size() * sizeof(QRectF);
    return bytes;
}

double unitsPerMm(int mapMode)
{
    switch (mapMode) {
        case MM_LOMETRIC:
            return 10.0;
        case MM_HIMETRIC:
            return 100.0;
        case MM_LOENGLISH:
            return 100.0 / 25.4;
        case MM_HIENGLISH:
            return 1000.0 / 25.4;
        case MM_TWIPS:
            return 1440.0 / 25.4;
        default:
            return 0;
    }
}

// Degrees in (0, 360].
double positiveSweep(double degrees)
{
    double sweep = std::fmod(degrees, 360.0);
    if (sweep <= 0)
        sweep += 360.0;
    return sweep;
}

QPainterPath polygonPath(const QPolygonF& points, bool close)
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
    path.addPolygon(points);
    if (close)
        path.closeSubpath();
    return path;
}

}  // namespace

QColor colourFromRef(std::uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

MetafileDevice::MetafileDevice(QPainter& painter, const MetafileLimits& limits,
                               const QTransform& deviceToTarget, QSizeF dotsPerMm)
    : m_painter(painter),
      m_limits(limits),
      m_deviceToTarget(deviceToTarget),
      m_dotsPerMm(dotsPerMm),
      m_base(painter.transform())
{
    if (painter.hasClipping())
        m_baseClip = painter.clipRegion();
    // Clips are kept in the painter's coordinates, bounded to what the device can show (with a
    // margin for antialiased edges): nothing outside it is ever drawn.
    QRectF shown(-(1 << 14), -(1 << 14), 1 << 15, 1 << 15);
    if (const QPaintDevice* device = painter.device(); device && device->width() > 0)
        shown = QRectF(0, 0, device->width(), device->height());
    bool invertible = false;
    const QTransform toPainter = m_base.inverted(&invertible);
    m_clipBound = (invertible ? toPainter.mapRect(shown) : shown).adjusted(-2, -2, 2, 2);
    if (m_baseClip)
        m_clipBound =
            m_clipBound.intersected(QRectF(m_baseClip->boundingRect()).adjusted(-2, -2, 2, 2));
    m_clipBound = m_clipBound.intersected(QRectF(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25));
    m_clipBound.setSize(m_clipBound.size().boundedTo(QSizeF(MaxClipSide, MaxClipSide)));
    m_objectBytesLeft = limits.maxObjectBytes;
    m_decodedBytesLeft = limits.maxDecodedBytes;
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    if (const QPaintDevice* device = painter.device()) {
        const std::uint64_t area = std::uint64_t(std::max(device->width(), 0)) *
                                   std::uint64_t(std::max(device->height(), 0));
        m_pixelBudget =
            std::clamp<std::uint64_t>(16 * area, std::uint64_t{1} << 22, std::uint64_t{1} << 30);
    }
}

bytes::DecodeLimits MetafileDevice::bitmapLimits(bool kept) const
{
    bytes::DecodeLimits limits = m_limits.raster;
    const std::uint64_t left =
        kept ? std::min(m_decodedBytesLeft, m_objectBytesLeft) : m_decodedBytesLeft;
    limits.maxImageBytes = std::min(limits.maxImageBytes, left);
    limits.maxPixels = std::min(limits.maxPixels, limits.maxImageBytes / 4);
    return limits;
}

void MetafileDevice::spendDecoded(const QImage& image)
{
    const auto bytes = std::uint64_t(std::max<qsizetype>(image.sizeInBytes(), 0));
    m_decodedBytesLeft -= std::min(bytes, m_decodedBytesLeft);
}

bool MetafileDevice::keepObjectBytes(std::uint64_t bytes)
{
    if (bytes > m_objectBytesLeft)
        return false;
    m_objectBytesLeft -= bytes;
    return true;
}

void MetafileDevice::storeObject(std::uint32_t index, GdiObject object)
{
    const auto found = m_objects.find(index);
    if (found == m_objects.end() && m_objects.size() >= m_limits.maxObjects)
        return;
    // An object past the budget takes its number but holds nothing.
    if (!keepObjectBytes(objectBytes(object)))
        object = GdiPlaceholder{};
    if (found != m_objects.end())
        found->second = std::move(object);
    else
        m_objects.emplace(index, std::move(object));
}

void MetafileDevice::storeInFreeSlot(GdiObject object)
{
    // Slots are taken lowest first; every slot below the hint is taken.
    std::uint32_t index = m_freeSlotHint;
    for (auto it = m_objects.lower_bound(index); it != m_objects.end() && it->first == index; ++it)
        ++index;
    if (index > MaxWmfObjects || m_objects.size() >= m_limits.maxObjects)
        return;  // a table larger than its 16-bit numbers can reach
    if (!keepObjectBytes(objectBytes(object)))
        object = GdiPlaceholder{};
    m_objects.emplace(index, std::move(object));
    m_freeSlotHint = index + 1;
}

void MetafileDevice::selectObject(std::uint32_t index)
{
    const auto found = m_objects.find(index);
    if (found == m_objects.end())
        return;
    if (const auto* pen = std::get_if<GdiPen>(&found->second))
        m_state.pen = *pen;
    else if (const auto* brush = std::get_if<GdiBrush>(&found->second))
        m_state.brush = *brush;
    else if (const auto* font = std::get_if<GdiFont>(&found->second))
        m_state.font = *font;
}

void MetafileDevice::selectStockObject(std::uint32_t stock)
{
    if (stock <= 5)
        m_state.brush = brushObject(stock | 0x80000000u);
    else if (stock == 6 || stock == 7)
        m_state.pen = GdiPen{0, 0, stock == 6 ? Qt::white : Qt::black, {}, {}};
    else if (stock == 8)
        m_state.pen = GdiPen{5, 0, Qt::black, {}, {}};
    else if ((stock >= 10 && stock <= 14) || stock == 16 || stock == 17)
        m_state.font = GdiFont{};
}

GdiBrush MetafileDevice::brushObject(std::uint32_t index) const
{
    constexpr std::uint32_t Stock = 0x80000000u;
    if (index & Stock) {
        static const int greys[] = {255, 192, 128, 64, 0};
        const std::uint32_t stock = index & ~Stock;
        if (stock <= 4)
            return GdiBrush{0, QColor(greys[stock], greys[stock], greys[stock]), 0, {}, {}};
        return GdiBrush{1, Qt::white, 0, {}, {}};
    }
    const auto found = m_objects.find(index);
    if (found != m_objects.end())
        if (const auto* brush = std::get_if<GdiBrush>(&found->second))
            return *brush;
    return GdiBrush{1, Qt::white, 0, {}, {}};
}

const GdiRegion* MetafileDevice::regionObject(std::uint32_t index) const
{
    const auto found = m_objects.find(index);
    return found == m_objects.end() ? nullptr : std::get_if<GdiRegion>(&found->second);
}

void MetafileDevice::deleteObject(std::uint32_t index)
{
    if (m_objects.erase(index) != 0)
        m_freeSlotHint = std::min(m_freeSlotHint, index);
}

QTransform MetafileDevice::logicalToTarget() const
{
    const DeviceState& s = m_state;
    double sx = 1;
    double sy = 1;
    if (const double perMm = unitsPerMm(s.mapMode); perMm > 0) {
        sx = m_dotsPerMm.width() / perMm;
        sy = -m_dotsPerMm.height() / perMm;
    } else if (s.mapMode == MM_ISOTROPIC || s.mapMode == MM_ANISOTROPIC) {
        sx = s.windowExt.width() != 0 ? s.viewportExt.width() / s.windowExt.width() : 1;
        sy = s.windowExt.height() != 0 ? s.viewportExt.height() / s.windowExt.height() : 1;
        if (s.mapMode == MM_ISOTROPIC) {
            const double least = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(least, sx);
            sy = std::copysign(least, sy);
        }
    }
    const QTransform page(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                          s.viewportOrg.y() - s.windowOrg.y() * sy);
    return s.world * page * m_deviceToTarget;
}

QSizeF MetafileDevice::logicalScale() const
{
    const QTransform m = logicalToTarget();
    return {std::hypot(m.m11(), m.m12()), std::hypot(m.m21(), m.m22())};
}

bool MetafileDevice::penVisible() const
{
    return (m_state.pen.style & 0xF) != 5;
}

bool MetafileDevice::brushVisible() const
{
    return m_state.brush.style != 1;
}

QPen MetafileDevice::qtPen() const
{
    const GdiPen& pen = m_state.pen;
    QPen out(pen.colour);
    if (pen.brush)
        out.setBrush(qtBrush(*pen.brush));
    const QSizeF scale = logicalScale();
    const double pixelsPerUnit = (scale.width() + scale.height()) / 2;
    const double devicePixels = pen.width * pixelsPerUnit;
    const bool cosmetic = pen.width <= 0 || !(devicePixels >= 1);
    if (cosmetic) {
        out.setCosmetic(true);
        out.setWidthF(1);
    } else {
        out.setWidthF(std::min(pen.width, MaxPenWidth));
    }
    switch (pen.style & 0xF) {
        case 1:
            out.setStyle(Qt::DashLine);
            break;
        case 2:
            out.setStyle(Qt::DotLine);
            break;
        case 3:
            out.setStyle(Qt::DashDotLine);
            break;
        case 4:
            out.setStyle(Qt::DashDotDotLine);
            break;
        case 7: {
            // Qt counts dashes in pen widths; an odd count repeats with dash and gap swapped.
            QList<qreal> pattern;
            const double unit = pen.width <= 0 ? 1.0 : cosmetic ? 1.0 / pixelsPerUnit : pen.width;
            for (int round = 0; round < (pen.dashes.size() % 2 ? 2 : 1); ++round)
                for (const double dash : pen.dashes)
                    pattern.append(std::clamp(dash / unit, 1e-3, 1e6));
            if (!pattern.isEmpty())
                out.setDashPattern(pattern);
            break;
        }
        case 8:
            out.setDashPattern({1, 1});
            break;
        default:
            break;
    }
    const int cap = pen.style & 0xF00;
    out.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    const int join = pen.style & 0xF000;
    out.setJoinStyle(join == 0x1000   ? Qt::BevelJoin
                     : join == 0x2000 ? Qt::MiterJoin
                                      : Qt::RoundJoin);
    // Qt measures from the join point to the tip, in widths: half the miter's length.
    out.setMiterLimit(m_state.miterLimit / 2);
    return out;
}

QBrush MetafileDevice::qtBrush(const GdiBrush& brush) const
{
    switch (brush.style) {
        case 1:
            return Qt::NoBrush;
        case 2: {
            static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
            const int hatch = std::clamp(brush.hatch, 0, 5);
            return QBrush(brush.colour, hatches[hatch]);
        }
        case 3:
        case 5:
            if (brush.pattern.isNull())
                return QBrush(brush.colour);
            if (brush.monochromeZero) {
                QImage coloured = brush.pattern.convertToFormat(QImage::Format_RGB32);
                const QRgb zero = *brush.monochromeZero | 0xFF000000u;
                for (int y = 0; y < coloured.height(); ++y) {
                    auto* line = reinterpret_cast<QRgb*>(coloured.scanLine(y));
                    for (int x = 0; x < coloured.width(); ++x)
                        line[x] = (line[x] | 0xFF000000u) == zero ? m_state.textColour.rgb()
                                                                  : m_state.backColour.rgb();
                }
                return QBrush(coloured);
            }
            return QBrush(brush.pattern);
        default:
            return QBrush(brush.colour);
    }
}

QPointF MetafileDevice::brushOriginOnPainter() const
{
    return (m_deviceToTarget * m_base).map(m_state.brushOrigin);
}

void MetafileDevice::drawShape(const QPainterPath& logicalPath, bool fill, bool stroke)
{
    flushClip();
    if (m_path) {
        if (pathHasRoom(logicalPath.elementCount()))
            m_path->addPath(logicalPath);
        return;
    }
    const bool drawFill = fill && brushVisible();
    const bool drawStroke = stroke && penVisible();
    if (!drawFill && !drawStroke)
        return;
    QPainterPath path = logicalPath;
    path.setFillRule(m_state.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
    m_painter.setTransform(logicalToTarget() * m_base);
    // A hatch's gaps show the background colour unless the background is transparent.
    if (drawFill && m_state.brush.style == 2 && m_state.opaqueBackground)
        m_painter.fillPath(path, m_state.backColour);
    m_painter.setPen(drawStroke ? qtPen() : QPen(Qt::NoPen));
    m_painter.setBrush(drawFill ? qtBrush(m_state.brush) : QBrush(Qt::NoBrush));
    // The brush origin is given in device units; the painter takes it in its own.
    m_painter.setBrushOrigin((logicalToTarget() * m_base).inverted().map(brushOriginOnPainter()));
    m_painter.drawPath(path);
}

bool MetafileDevice::pathHasRoom(qsizetype more) const
{
    return m_path && m_path->elementCount() + more + 1 <= m_limits.maxPathElements;
}

void MetafileDevice::addToPath(const QPainterPath& logicalPath, bool connect)
{
    if (logicalPath.isEmpty() || !pathHasRoom(logicalPath.elementCount()))
        return;
    if (connect) {
        if (m_path->elementCount() == 0)
            m_path->moveTo(m_state.current);
        m_path->connectPath(logicalPath);
    } else {
        m_path->addPath(logicalPath);
    }
}

void MetafileDevice::moveTo(QPointF point)
{
    m_state.current = point;
    if (pathHasRoom(1))
        m_path->moveTo(point);
}

void MetafileDevice::lineTo(QPointF point)
{
    polylineTo(QPolygonF({point}));
}

void MetafileDevice::polyline(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    if (m_path) {
        addToPath(polygonPath(points, false), false);
        return;
    }
    drawShape(polygonPath(points, false), false, true);
}

void MetafileDevice::polylineTo(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    QPolygonF line({m_state.current});
    line += points;
    m_state.current = points.back();
    if (m_path) {
        if (!pathHasRoom(line.size()))
            return;
        if (m_path->elementCount() == 0)
            m_path->moveTo(line.front());
        for (qsizetype i = 1; i < line.size(); ++i)
            m_path->lineTo(line[i]);
        return;
    }
    drawShape(polygonPath(line, false), false, true);
}

void MetafileDevice::polygon(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    drawShape(polygonPath(points, true), true, true);
}

void MetafileDevice::polyPolygon(const std::vector<QPolygonF>& polygons)
{
    QPainterPath path;
    for (const QPolygonF& points : polygons)
        path.addPath(polygonPath(points, true));
    drawShape(path, true, true);
}

void MetafileDevice::polyPolyline(const std::vector<QPolygonF>& lines)
{
    QPainterPath path;
    for (const QPolygonF& points : lines)
        path.addPath(polygonPath(points, false));
    drawShape(path, false, true);
}

void MetafileDevice::bezier(const QPolygonF& points, bool fromCurrent)
{
    // Cubic segments: a start point (unless the current position is it), then three per curve.
    QPainterPath path;
    qsizetype i = 0;
    if (fromCurrent) {
        path.moveTo(m_state.current);
    } else {
        if (points.isEmpty())
            return;
        path.moveTo(points[0]);
        i = 1;
    }
    for (; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (fromCurrent && !points.isEmpty())
        m_state.current = path.currentPosition();
    if (m_path) {
        addToPath(path, fromCurrent);
        return;
    }
    drawShape(path, false, true);
}

void MetafileDevice::rectangle(const QRectF& box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    drawShape(path, true, true);
}

void MetafileDevice::roundRect(const QRectF& box, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2,
                        std::abs(corner.height()) / 2);
    drawShape(path, true, true);
}

void MetafileDevice::ellipse(const QRectF& box)
{
    QPainterPath path;
    path.addEllipse(box.normalized());
    drawShape(path, true, true);
}

void MetafileDevice::arc(ArcKind kind, const QRectF& rawBox, QPointF start, QPointF end)
{
    const QRectF box = rawBox.normalized();
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const QPointF centre = box.center();
    const double rx = box.width() / 2;
    const double ry = box.height() / 2;
    auto angleOf = [&](QPointF p) {
        return std::atan2(-(p.y() - centre.y()) / ry, (p.x() - centre.x()) / rx) * 180.0 /
               std::numbers::pi;
    };
    const double from = angleOf(start);
    const double to = angleOf(end);
    // The direction is the one seen on the device: a mapping that turns y over reverses it.
    const bool flipped = logicalToTarget().determinant() < 0;
    const bool increasing = m_state.clockwiseArcs == flipped;
    const double sweep = increasing ? positiveSweep(to - from) : -positiveSweep(from - to);

    QPainterPath path;
    switch (kind) {
        case ArcKind::Pie:
            path.moveTo(centre);
            path.arcTo(box, from, sweep);
            path.closeSubpath();
            drawShape(path, true, true);
            return;
        case ArcKind::Chord:
            path.arcMoveTo(box, from);
            path.arcTo(box, from, sweep);
            path.closeSubpath();
            drawShape(path, true, true);
            return;
        case ArcKind::Arc:
            path.arcMoveTo(box, from);
            path.arcTo(box, from, sweep);
            if (m_path) {
                addToPath(path, false);
                return;
            }
            drawShape(path, false, true);
            return;
        case ArcKind::ArcTo: {
            QPainterPath start;
            start.arcMoveTo(box, from);
            path.moveTo(m_state.current);
            path.lineTo(start.currentPosition());
            path.arcTo(box, from, sweep);
            m_state.current = path.currentPosition();
            if (m_path) {
                addToPath(path, true);
                return;
            }
            drawShape(path, false, true);
            return;
        }
    }
}

void MetafileDevice::polyDraw(const QPolygonF& points, std::span<const std::uint8_t> types)
{
    constexpr std::uint8_t CloseFigure = 1;
    constexpr std::uint8_t LineTo = 2;
    constexpr std::uint8_t BezierTo = 4;
    constexpr std::uint8_t MoveTo = 6;
    QPainterPath path;
    path.moveTo(m_state.current);
    QPointF figureStart = m_state.current;
    for (qsizetype i = 0; i < points.size() && std::size_t(i) < types.size(); ++i) {
        const std::uint8_t type = types[std::size_t(i)];
        switch (type & ~CloseFigure) {
            case MoveTo:
                path.moveTo(points[i]);
                figureStart = points[i];
                break;
            case LineTo:
                path.lineTo(points[i]);
                break;
            case BezierTo:
                // Three points make a curve; a short run ends the drawing as the records did.
                if (i + 2 >= points.size() || std::size_t(i + 2) >= types.size())
                    i = points.size();
                else {
                    path.cubicTo(points[i], points[i + 1], points[i + 2]);
                    i += 2;
                }
                break;
            default:
                i = points.size();  // an unknown type stops the drawing
                continue;
        }
        if (std::size_t(i) < types.size() && (types[std::size_t(i)] & CloseFigure) &&
            (type & ~CloseFigure) != MoveTo) {
            path.closeSubpath();
            path.moveTo(figureStart);
        }
    }
    m_state.current = path.currentPosition();
    if (m_path) {
        addToPath(path, true);
        return;
    }
    drawShape(path, false, true);
}

void MetafileDevice::angleArc(QPointF centre, double radius, double startDegrees,
                              double sweepDegrees)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees) || radius < 0)
        return;
    sweepDegrees = std::clamp(sweepDegrees, -3600.0, 3600.0);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    // Angles count anticlockwise from the x axis with y pointing down, as Qt's arcs do.
    QPainterPath path;
    path.moveTo(m_state.current);
    QPainterPath start;
    start.arcMoveTo(box, startDegrees);
    path.lineTo(start.currentPosition());
    path.arcTo(box, startDegrees, sweepDegrees);
    m_state.current = path.currentPosition();
    if (m_path) {
        addToPath(path, true);
        return;
    }
    drawShape(path, false, true);
}

void MetafileDevice::fillRectangle(const QRectF& box, const QBrush& brush)
{
    flushClip();
    m_painter.setTransform(logicalToTarget() * m_base);
    m_painter.fillRect(box.normalized(), brush);
}

void MetafileDevice::fillDeviceRects(const std::vector<QRectF>& rects, const GdiBrush& brush)
{
    if (m_path || brush.style == 1)
        return;
    flushClip();
    m_painter.setTransform(m_deviceToTarget * m_base);
    const QBrush shown = qtBrush(brush);
    for (const QRectF& rect : rects)
        m_painter.fillRect(rect.normalized(), shown);
}

void MetafileDevice::setPixel(QPointF point, const QColor& colour)
{
    flushClip();
    const QPointF at = logicalToTarget().map(point);
    m_painter.setTransform(m_base);
    // The pixel whose corner the point falls on, against rounding in the mapping.
    m_painter.fillRect(QRectF(std::round(at.x()), std::round(at.y()), 1, 1), colour);
}

QFont MetafileDevice::qtFont(double& pixelSize) const
{
    const GdiFont& font = m_state.font;
    QFont out(font.face.isEmpty() ? QStringLiteral("Sans Serif") : font.face);
    out.setWeight(QFont::Weight(std::clamp(font.weight <= 0 ? 400 : font.weight, 1, 1000)));
    out.setItalic(font.italic);
    out.setUnderline(font.underline);
    out.setStrikeOut(font.strikeOut);
    const double scaleY = logicalScale().height();
    double wanted = font.height == 0 ? 12.0 * 96.0 / 72.0 : std::abs(font.height) * scaleY;
    wanted = std::min(wanted, MaxFontPixels);
    if (!(wanted >= 0.5)) {
        pixelSize = 0;
        return out;
    }
    out.setPixelSize(std::max(1, int(std::lround(wanted))));
    if (font.height > 0) {
        // A positive height is the cell (ascent plus descent), not the em.
        const double cell = QFontMetricsF(out).height();
        if (cell > 0)
            out.setPixelSize(std::max(1, int(std::lround(wanted * wanted / cell))));
    }
    pixelSize = out.pixelSize();
    return out;
}

void MetafileDevice::text(QPointF point, const QString& text, const std::vector<double>& dx,
                          int options, const std::optional<QRectF>& box)
{
    if (m_path)
        return;
    flushClip();
    const QTransform map = logicalToTarget();
    if (box && (options & ETO_OPAQUE))
        fillRectangle(*box, m_state.backColour);
    if (text.isEmpty())
        return;
    double pixelSize = 0;
    const QFont font = qtFont(pixelSize);
    if (pixelSize <= 0)
        return;

    const int align = m_state.textAlign;
    const bool updateCurrent = align & TA_UPDATECP;
    const QPointF anchor = map.map(updateCurrent ? m_state.current : point);
    const double scaleX = logicalScale().width();
    const QFontMetricsF metrics(font);
    std::vector<double> advances;
    advances.reserve(std::size_t(text.size()));
    double width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const double advance = std::size_t(i) < dx.size() ? dx[std::size_t(i)] * scaleX
                                                          : metrics.horizontalAdvance(text.at(i));
        advances.push_back(advance);
        width += advance;
    }
    double x = 0;
    if ((align & 6) == 6)
        x = -width / 2;
    else if ((align & 6) == 2)
        x = -width;
    double baseline = metrics.ascent();
    if ((align & 24) == 24)
        baseline = 0;
    else if ((align & 24) == 8)
        baseline = -metrics.descent();

    PainterSave saved(m_painter);
    if (box && (options & ETO_CLIPPED)) {
        m_painter.setTransform(map * m_base);
        m_painter.setClipRect(box->normalized(), Qt::IntersectClip);
    }
    QTransform placement = QTransform::fromTranslate(anchor.x(), anchor.y());
    placement.rotate(-double(m_state.font.escapement) / 10.0);
    m_painter.setTransform(placement * m_base);
    if (m_state.opaqueBackground && !(options & ETO_OPAQUE))
        m_painter.fillRect(QRectF(x, baseline - metrics.ascent(), width, metrics.height()),
                           m_state.backColour);
    m_painter.setFont(font);
    m_painter.setPen(m_state.textColour);
    if (dx.empty()) {
        m_painter.drawText(QPointF(x, baseline), text);
    } else {
        double at = x;
        for (qsizetype i = 0; i < text.size(); ++i) {
            m_painter.drawText(QPointF(at, baseline), QString(text.at(i)));
            at += advances[std::size_t(i)];
        }
    }
    if (updateCurrent && scaleX > 0) {
        const QTransform back = map.inverted();
        m_state.current = back.map(anchor + QPointF(width, 0));
    }
}

void MetafileDevice::beginPath()
{
    m_path = QPainterPath();
    m_finishedPath = QPainterPath();
}

void MetafileDevice::endPath()
{
    if (!m_path)
        return;
    m_finishedPath = *m_path;
    m_path.reset();
}

void MetafileDevice::abortPath()
{
    m_path.reset();
    m_finishedPath = QPainterPath();
}

void MetafileDevice::closeFigure()
{
    if (pathHasRoom(1))
        m_path->closeSubpath();
}

void MetafileDevice::fillPath(bool fill, bool stroke)
{
    if (m_path)
        return;
    const QPainterPath path = m_finishedPath;
    m_finishedPath = QPainterPath();
    drawShape(path, fill, stroke);
}

namespace {

// A polygon as the pixels it covers inside `bound`. Cut first: a polygon mapped by a large
// scale or shear reaches far past the device, and a region of it takes a band of rectangles
// per scan line it spans.
QRegion boundedRegion(const QPolygonF& polygon, const QRectF& bound, Qt::FillRule rule)
{
    for (const QPointF& point : polygon)
        if (!std::isfinite(point.x()) || !std::isfinite(point.y()))
            return {};
    if (!polygon.boundingRect().intersects(bound))
        return {};
    const QPolygonF cut =
        bound.contains(polygon.boundingRect()) ? polygon : polygon.intersected(QPolygonF(bound));
    return QRegion(cut.toPolygon(), rule);
}

// A logical rectangle as the device pixels it covers (right and bottom edges excluded).
QRegion rectangleRegion(const QTransform& map, const QRectF& box, const QRectF& bound)
{
    if (map.type() <= QTransform::TxScale) {
        const QRectF mapped = map.mapRect(box.normalized()).intersected(bound);
        if (mapped.isEmpty() || !std::isfinite(mapped.width()) || !std::isfinite(mapped.height()))
            return {};
        return QRegion(QRect(
            QPoint(int(std::lround(mapped.left())), int(std::lround(mapped.top()))),
            QPoint(int(std::lround(mapped.right())) - 1, int(std::lround(mapped.bottom())) - 1)));
    }
    return boundedRegion(map.map(QPolygonF(box.normalized())), bound, Qt::OddEvenFill);
}

}  // namespace

std::optional<QRegion> MetafileDevice::targetRegion(const QPainterPath& logicalPath) const
{
    // Counted before the polygons are made: that compares every part with every other.
    int parts = 0;
    for (int i = 0; i < logicalPath.elementCount(); ++i)
        parts += logicalPath.elementAt(i).isMoveTo();
    if (parts > m_limits.maxClipElements)
        return std::nullopt;
    const QTransform map = logicalToTarget();
    QRegion region;
    const QList<QPolygonF> polygons = logicalPath.toFillPolygons(map);
    const bool winding = logicalPath.fillRule() == Qt::WindingFill;
    for (const QPolygonF& polygon : polygons) {
        const QRegion part =
            boundedRegion(polygon, m_clipBound, winding ? Qt::WindingFill : Qt::OddEvenFill);
        region = winding ? region.united(part) : region.xored(part);
    }
    return region;
}

void MetafileDevice::selectClipPath(int mode)
{
    if (m_path)
        return;
    QPainterPath path = m_finishedPath;
    path.setFillRule(m_state.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
    m_finishedPath = QPainterPath();
    if (const auto region = targetRegion(path))
        combineClip(*region, mode);
}

void MetafileDevice::intersectClip(const QRectF& box)
{
    combineClip(rectangleRegion(logicalToTarget(), box, m_clipBound), RGN_AND);
}

void MetafileDevice::excludeClip(const QRectF& box)
{
    combineClip(rectangleRegion(logicalToTarget(), box, m_clipBound), RGN_DIFF);
}

void MetafileDevice::offsetClip(QPointF offset)
{
    if (!m_state.clip)
        return;
    const QTransform map = logicalToTarget();
    const QPointF shift = map.map(offset) - map.map(QPointF(0, 0));
    if (!std::isfinite(shift.x()) || !std::isfinite(shift.y()))
        return;
    m_state.clip->translate(int(std::lround(std::clamp(shift.x(), -1e7, 1e7))),
                            int(std::lround(std::clamp(shift.y(), -1e7, 1e7))));
    *m_state.clip &= m_clipBound.toAlignedRect();
    applyClip();
}

void MetafileDevice::combineClipDeviceRects(const std::vector<QRectF>& rects, int mode)
{
    if (mode == RGN_COPY && rects.empty()) {
        resetClip();
        return;
    }
    if (rects.size() > std::size_t(m_limits.maxClipElements))
        return;
    QRegion region;
    for (const QRectF& rect : rects)
        region += rectangleRegion(m_deviceToTarget, rect, m_clipBound);
    combineClip(region, mode);
}

void MetafileDevice::combineClipLogicalRects(const std::vector<QRectF>& rects, int mode)
{
    if (rects.size() > std::size_t(m_limits.maxClipElements))
        return;
    const QTransform map = logicalToTarget();
    QRegion region;
    for (const QRectF& rect : rects)
        region += rectangleRegion(map, rect, m_clipBound);
    combineClip(region, mode);
}

void MetafileDevice::combineClipPath(const QPainterPath& logicalPath, int mode)
{
    if (const auto region = targetRegion(logicalPath))
        combineClip(*region, mode);
}

void MetafileDevice::resetClip()
{
    m_state.clip.reset();
    applyClip();
}

void MetafileDevice::combineClip(const QRegion& region, int mode)
{
    // A clip that would grow past the bound is not taken: the drawing goes on without it.
    const int current = m_state.clip ? m_state.clip->rectCount() : 0;
    if (current + region.rectCount() > m_limits.maxClipElements)
        return;
    const QRegion everything(m_clipBound.toAlignedRect());
    const QRegion base = m_state.clip ? *m_state.clip : everything;
    QRegion combined;
    switch (mode) {
        case RGN_AND:
            combined = base.intersected(region);
            break;
        case RGN_OR:
            if (!m_state.clip)
                return;
            combined = base.united(region);
            break;
        case RGN_XOR:
            combined = base.xored(region);
            break;
        case RGN_DIFF:
            combined = base.subtracted(region);
            break;
        case RGN_COPY:
            combined = region;
            break;
        default:
            return;
    }
    // Combining two bounded regions can make one of many more rectangles than either.
    if (combined.rectCount() > m_limits.maxClipElements)
        return;
    m_state.clip = std::move(combined);
    applyClip();
}

void MetafileDevice::applyClip()
{
    // Taken to the painter when something is drawn: clip changes often come in long runs.
    m_clipChanged = true;
}

void MetafileDevice::flushClip()
{
    if (!m_clipChanged)
        return;
    m_clipChanged = false;
    m_painter.setTransform(m_base);
    if (m_state.clip) {
        m_painter.setClipRegion(m_baseClip ? m_state.clip->intersected(*m_baseClip)
                                           : *m_state.clip);
    } else if (m_baseClip) {
        m_painter.setClipRegion(*m_baseClip);
    } else {
        m_painter.setClipping(false);
    }
}

bool MetafileDevice::save()
{
    if (int(m_saved.size()) >= m_limits.maxSavedStates)
        return false;
    m_saved.push_back(m_state);
    return true;
}

void MetafileDevice::restore(int which)
{
    const auto count = std::int64_t(m_saved.size());
    // Negative: that many states back; positive: the state of that absolute depth.
    const std::int64_t keep = which < 0 ? count + which : std::int64_t(which) - 1;
    if (keep < 0 || keep >= count)
        return;
    m_state = m_saved[std::size_t(keep)];
    m_saved.resize(std::size_t(keep));
    applyClip();
}

}  // namespace picture
