// Block transfers, DIB rows and picture painting of DeviceContext.
#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/Pixels.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

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

// A run of logical pixels along one axis as device pixels: from `start`, |extent| pixels
// towards higher coordinates, or towards lower ones when extent is negative.
struct DeviceRun {
    std::int64_t start = 0;
    std::int64_t extent = 0;
};

// The run of a stretch's `extent` logical pixels from `start` (a negative extent runs from
// the start pixel towards lower coordinates, the start pixel included).
DeviceRun deviceRun(const pixels::Grid& grid, std::int64_t start, std::int64_t extent)
{
    if (extent >= 0)
        return {grid.edge(start), grid.edge(start + extent) - grid.edge(start)};
    const std::int64_t first = grid.edge(start + 1) - 1;
    return {first, -(grid.edge(start + 1) - grid.edge(start + extent + 1))};
}

}  // namespace

void DeviceContext::beginPainter(QPainter& painter, const std::optional<QRect>& clip) const
{
    painter.begin(&m_bitmap.image());
    QRegion area(m_bitmap.rect());
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
    copyDevicePixels(drawableArea(to), source.m_bitmap, read, to.topLeft());
    return true;
}

// Copies the logical rectangle `read` of the source to `at` in this bitmap, limited to the
// area (logical, inside the bitmap). Each device pixel here takes the source's device pixel
// under its centre, so bitmaps of one device pixel ratio copy exactly and others are
// resampled to the nearest pixel.
void DeviceContext::copyDevicePixels(const QRegion& area, const Bitmap& source, const QRect& read,
                                     const QPoint& at)
{
    if (area.isEmpty())
        return;
    QImage& image = m_bitmap.image();
    const pixels::Grid grid = m_bitmap.grid();
    const pixels::Grid sourceGrid = source.grid();
    // A copy first, so that overlapping transfers inside one bitmap read the old pixels.
    const QRect readDevice = sourceGrid.toDevice(read, source.image().size());
    if (readDevice.isEmpty())
        return;
    const QImage block = source.image().copy(readDevice);
    const QRect target = grid.toDevice(area.boundingRect(), image.size());
    if (target.isEmpty())
        return;
    // The source column and row (in the block) of each device column and row of the target.
    auto sourceIndex = [&](int device, int shift, int readStart, int limit) {
        const double logical = (device + 0.5) / grid.ratio() - shift;
        const auto index = std::int64_t(std::floor(logical * sourceGrid.ratio())) - readStart;
        return int(std::clamp<std::int64_t>(index, 0, limit - 1));
    };
    std::vector<int> columns(std::size_t(target.width()));
    for (int i = 0; i < target.width(); ++i)
        columns[std::size_t(i)] =
            sourceIndex(target.left() + i, at.x() - read.x(), readDevice.left(), block.width());
    // Equal ratios give consecutive source columns: whole rows then copy at once.
    const bool contiguous = columns.back() - columns.front() == target.width() - 1;
    for (const QRect& rect : area) {
        const QRect device = grid.toDevice(rect, image.size());
        for (int y = device.top(); y <= device.bottom(); ++y) {
            const int row = sourceIndex(y, at.y() - read.y(), readDevice.top(), block.height());
            const QRgb* in = reinterpret_cast<const QRgb*>(block.constScanLine(row));
            QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            if (contiguous) {
                const QRgb* from = in + columns[std::size_t(device.left() - target.left())];
                std::copy(from, from + device.width(), out + device.left());
                continue;
            }
            for (int x = device.left(); x <= device.right(); ++x)
                out[x] = in[columns[std::size_t(x - target.left())]];
        }
    }
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
    // The runs on the device pixels of both bitmaps, then nearest-pixel sampling along them.
    const DeviceRun toColumns = deviceRun(m_bitmap.grid(), x, width);
    const DeviceRun toRows = deviceRun(m_bitmap.grid(), y, height);
    const DeviceRun fromColumns = deviceRun(source.m_bitmap.grid(), xSource, sourceWidth);
    const DeviceRun fromRows = deviceRun(source.m_bitmap.grid(), ySource, sourceHeight);
    if (toColumns.extent == 0 || toRows.extent == 0 || fromColumns.extent == 0 ||
        fromRows.extent == 0)
        return true;
    const QImage from = source.m_bitmap.image().copy();
    QImage& image = m_bitmap.image();
    const pixels::Range columns = visibleSteps(toColumns.start, toColumns.extent, image.width());
    const pixels::Range rows = visibleSteps(toRows.start, toRows.extent, image.height());
    const std::int64_t w = std::llabs(toColumns.extent);
    const std::int64_t h = std::llabs(toRows.extent);
    const std::int64_t sw = std::llabs(fromColumns.extent);
    const std::int64_t sh = std::llabs(fromRows.extent);
    for (int j = rows.first; j < rows.first + rows.count; ++j) {
        const std::int64_t sj = (2 * std::int64_t(j) + 1) * sh / (2 * h);
        const std::int64_t sy = place(fromRows.start, fromRows.extent, sj);
        if (sy < 0 || sy >= from.height())
            continue;
        const int dy = int(place(toRows.start, toRows.extent, j));
        const QRgb* in = reinterpret_cast<const QRgb*>(from.constScanLine(int(sy)));
        for (int i = columns.first; i < columns.first + columns.count; ++i) {
            const std::int64_t si = (2 * std::int64_t(i) + 1) * sw / (2 * w);
            const std::int64_t sx = place(fromColumns.start, fromColumns.extent, si);
            const int dx = int(place(toColumns.start, toColumns.extent, i));
            if (sx >= 0 && sx < from.width() && visibleDevice(dx, dy))
                reinterpret_cast<QRgb*>(image.scanLine(dy))[dx] = in[sx];
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

bool DeviceContext::drawImage(int x, int y, int width, int height, const QImage& image, bool smooth)
{
    if (image.isNull() || width <= 0 || height <= 0)
        return false;
    QPainter painter;
    beginPainter(painter, std::nullopt);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(QRect(x, y, width, height), image);
    return true;
}

}  // namespace gdi
