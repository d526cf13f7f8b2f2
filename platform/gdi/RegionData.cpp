#include "platform/gdi/RegionData.h"

#include <QRect>
#include <QVector>
#include <atomic>
#include <cstring>

namespace gdi {
namespace {

std::atomic<std::int32_t> regionDataLimit{0};

std::int32_t readLong(const std::uint8_t* at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | at[i];
    return std::int32_t(value);
}

// Whether the rectangles already form Qt's banded region form: sorted by top then left, one
// height per band, no overlaps and no horizontal neighbours touching.
bool isBanded(const QVector<QRect>& rects)
{
    for (qsizetype i = 1; i < rects.size(); ++i) {
        const QRect& a = rects[i - 1];
        const QRect& b = rects[i];
        if (b.top() == a.top()) {
            if (b.height() != a.height() || b.left() <= a.right() + 1)
                return false;
        } else if (b.top() <= a.bottom()) {
            return false;
        }
    }
    return true;
}

}  // namespace

void setRegionDataLimit(std::int32_t maxRectangles)
{
    regionDataLimit = maxRectangles < 0 ? 0 : maxRectangles;
}

std::optional<Region> extCreateRegion(const std::uint8_t* data, std::size_t size)
{
    if (!data || size < 32)
        return std::nullopt;
    if (readLong(data) != 32 || readLong(data + 4) != RDH_RECTANGLES)
        return std::nullopt;
    const std::int32_t count = readLong(data + 8);
    if (count < 0 || std::size_t(count) > (size - 32) / 16)
        return std::nullopt;
    const std::int32_t limit = regionDataLimit;
    if (limit > 0 && count > limit)
        return std::nullopt;
    QVector<QRect> rects;
    rects.reserve(count);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint8_t* at = data + 32 + std::size_t(i) * 16;
        const std::int64_t left = readLong(at);
        const std::int64_t top = readLong(at + 4);
        const std::int64_t right = readLong(at + 8);
        const std::int64_t bottom = readLong(at + 12);
        if (right < left || bottom < top || right - left > INT32_MAX || bottom - top > INT32_MAX)
            return std::nullopt;
        if (right > left && bottom > top)
            rects.append(QRect(int(left), int(top), int(right - left), int(bottom - top)));
    }
    QRegion pixels;
    if (isBanded(rects)) {
        pixels.setRects(rects.constData(), int(rects.size()));
    } else {
        for (const QRect& rect : rects)
            pixels += rect;
    }
    return Region(pixels);
}

}  // namespace gdi
