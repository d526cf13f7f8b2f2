// Block transfers, DIB rows and picture painting of DeviceContext.
#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/Pixels.h"

#include <QPainter>
#include <cstdlib>

namespace gdi {
namespace {

// Along one axis of a stretch: pixel i (0 = the one at the start edge) lies at start + i, or
// at start - i when the extent is negative (a mirrored run includes its start pixel).
std::int64_t place(std::int64_t start, std::int64_t extent, std::int64_t i)
{
    return extent >= 0 ? start + i : start - i;
}

// The steps i in [0, |extent|) whose destination falls inside [0, limit).
pixels::Range visibleSteps(std::int64_t start, std::int64_t extent, int limit)
{
    const std::int64_t count = std::llabs(extent);
    std::int64_t first = 0;
    std::int64_t last = count;
    if (extent >= 0) {
        first = std::max<std::int64_t>(first, -start);
        last = std::min<std::int64_t>(last, limit - start);
    } else {
        first = std::max<std::int64_t>(first, start - limit + 1);
        last = std::min<std::int64_t>(last, start + 1);
    }
    if (last <= first)
        return {};
    return {int(first), int(last - first)};
}

}  // namespace

void DeviceContext::beginPainter(QPainter& painter, const std::optional<QRect>& clip) const
{
    painter.begin(&m_bitmap.image());
    QRegion area(m_bitmap.image().rect());
    if (clip)
        area &= *clip;
    if (m_clip)
        area &= *m_clip;
    painter.setClipRegion(area);
}

bool DeviceContext::bitBlt(int x, int y, int width, int height, const DeviceContext& source,
                           int xSource, int ySource, std::uint32_t rop)
{
    if (rop != SRCCOPY)
        return false;
    if (width <= 0 || height <= 0)
        return true;
    // The part of the source rectangle inside the source bitmap, then where it lands.
    const QRect from = pixels::clipToSize(xSource, ySource, std::int64_t(xSource) + width,
                                          std::int64_t(ySource) + height, source.m_bitmap.width(),
                                          source.m_bitmap.height());
    if (from.isEmpty())
        return true;
    const std::int64_t shiftX = std::int64_t(x) - xSource;
    const std::int64_t shiftY = std::int64_t(y) - ySource;
    const QRect to = pixels::clipToSize(
        from.left() + shiftX, from.top() + shiftY, from.left() + shiftX + from.width(),
        from.top() + shiftY + from.height(), m_bitmap.width(), m_bitmap.height());
    if (to.isEmpty())
        return true;
    const QRect read(int(to.left() - shiftX), int(to.top() - shiftY), to.width(), to.height());
    // A copy first, so that overlapping transfers inside one bitmap read the old pixels.
    const QImage block = source.m_bitmap.image().copy(read);
    const QRegion target = drawableArea(to);
    QImage& image = m_bitmap.image();
    for (const QRect& rect : target) {
        for (int row = rect.top(); row <= rect.bottom(); ++row) {
            const QRgb* in = reinterpret_cast<const QRgb*>(block.constScanLine(row - to.top()));
            QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(row));
            std::copy(in + (rect.left() - to.left()), in + (rect.right() + 1 - to.left()),
                      out + rect.left());
        }
    }
    return true;
}

bool DeviceContext::stretchBlt(int x, int y, int width, int height, const DeviceContext& source,
                               int xSource, int ySource, int sourceWidth, int sourceHeight,
                               std::uint32_t rop)
{
    if (rop != SRCCOPY)
        return false;
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0)
        return true;
    if (width == sourceWidth && height == sourceHeight && width > 0 && height > 0)
        return bitBlt(x, y, width, height, source, xSource, ySource, rop);
    const QImage from = source.m_bitmap.image().copy();
    const pixels::Range columns = visibleSteps(x, width, m_bitmap.width());
    const pixels::Range rows = visibleSteps(y, height, m_bitmap.height());
    const std::int64_t w = std::llabs(std::int64_t(width));
    const std::int64_t h = std::llabs(std::int64_t(height));
    const std::int64_t sw = std::llabs(std::int64_t(sourceWidth));
    const std::int64_t sh = std::llabs(std::int64_t(sourceHeight));
    for (int j = rows.first; j < rows.first + rows.count; ++j) {
        const std::int64_t sj = (2 * std::int64_t(j) + 1) * sh / (2 * h);
        const std::int64_t sy = place(ySource, sourceHeight, sj);
        if (sy < 0 || sy >= from.height())
            continue;
        const int dy = int(place(y, height, j));
        const QRgb* in = reinterpret_cast<const QRgb*>(from.constScanLine(int(sy)));
        for (int i = columns.first; i < columns.first + columns.count; ++i) {
            const std::int64_t si = (2 * std::int64_t(i) + 1) * sw / (2 * w);
            const std::int64_t sx = place(xSource, sourceWidth, si);
            const int dx = int(place(x, width, i));
            if (sx >= 0 && sx < from.width() && visible(dx, dy))
                reinterpret_cast<QRgb*>(m_bitmap.image().scanLine(dy))[dx] = in[sx];
        }
    }
    return true;
}

int DeviceContext::setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSource,
                                     int ySource, int startScan, int scanLines,
                                     const QByteArray& bits, const BitmapInfoHeader& header)
{
    if (header.biBitCount != 24 || header.biCompression != 0 || header.biWidth <= 0 ||
        header.biHeight == 0 || scanLines <= 0 || startScan < 0)
        return 0;
    const std::int64_t stride = dibStride24(header.biWidth);
    if (bits.size() < stride * scanLines)
        return 0;
    const bool bottomUp = header.biHeight > 0;
    const auto* data = reinterpret_cast<const unsigned char*>(bits.constData());
    const pixels::Range lines = pixels::clipRange(yDest, height, m_bitmap.height());
    for (int dy = lines.first; dy < lines.first + lines.count; ++dy) {
        const std::int64_t row = std::int64_t(dy) - yDest;
        // DIB row of this line of the source rectangle (counted from the bottom when bottom-up).
        const std::int64_t dibRow =
            bottomUp ? std::int64_t(ySource) + height - 1 - row : std::int64_t(ySource) + row;
        if (dibRow < startScan || dibRow >= std::int64_t(startScan) + scanLines)
            continue;
        const unsigned char* line = data + (dibRow - startScan) * stride;
        const pixels::Range columns = pixels::clipRange(xSource, width, header.biWidth);
        for (int c = columns.first; c < columns.first + columns.count; ++c) {
            const std::int64_t dx = std::int64_t(xDest) + (c - xSource);
            if (dx < 0 || dx >= m_bitmap.width() || !visible(int(dx), dy))
                continue;
            putPixel(int(dx), dy, RGB(line[3 * c + 2], line[3 * c + 1], line[3 * c]));
        }
    }
    return scanLines;
}

bool DeviceContext::drawImage(int x, int y, int width, int height, const QImage& image)
{
    if (image.isNull() || width <= 0 || height <= 0)
        return false;
    QPainter painter;
    beginPainter(painter, std::nullopt);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(x, y, width, height), image);
    return true;
}

}  // namespace gdi
