#include "image/core/GImageMod1.h"

#include "image/core/c32bppDIB.h"
#include "platform/gdi/RegionData.h"

#include <algorithm>
#include <new>
#include <optional>

namespace XrImage {
namespace {

constexpr std::int32_t blockSize = 2000;

// Appends a rectangle at entry `count` + 2, growing the list by width x 3 entries when full.
class RectCollector {
public:
    explicit RectCollector(std::int32_t width) : m_growth(std::size_t(width) * 3)
    {
        m_rects.resize((m_growth + 1) * 4);
    }

    void add(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
    {
        const std::size_t entry = std::size_t(m_count) + 2;
        if ((entry + 1) * 4 > m_rects.size())
            m_rects.resize(m_rects.size() + m_growth * 4);
        std::int32_t* at = m_rects.data() + entry * 4;
        at[0] = left;
        at[1] = top;
        at[2] = right;
        at[3] = bottom;
        ++m_count;
    }

    std::int32_t count() const { return m_count; }
    RectList& rects() { return m_rects; }

private:
    std::size_t m_growth;
    RectList m_rects;
    std::int32_t m_count = 0;
};

void writeLong(std::uint8_t* at, std::int32_t value)
{
    const auto bits = std::uint32_t(value);
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(bits >> (8 * i));
}

}  // namespace

std::unique_ptr<gdi::Region> RegionFromRectRun(RectList& rects, std::int32_t first,
                                               std::int32_t last, std::int32_t boundLeft,
                                               std::int32_t boundWidth)
{
    const std::int64_t entries = std::int64_t(rects.size()) / 4;
    if (first < 2 || last < first || last >= entries)
        return nullptr;
    const std::int32_t count = last - first + 1;
    auto* header = reinterpret_cast<std::uint8_t*>(rects.data() + std::size_t(first - 2) * 4);
    writeLong(header, 32);
    writeLong(header + 4, gdi::RDH_RECTANGLES);
    writeLong(header + 8, count);
    writeLong(header + 12, count * 16);
    writeLong(header + 16, boundLeft);
    writeLong(header + 20, rects[std::size_t(first) * 4 + 1]);
    writeLong(header + 24, boundLeft + boundWidth);
    writeLong(header + 28, rects[std::size_t(last) * 4 + 3]);
    std::optional<gdi::Region> region = gdi::extCreateRegion(header, 32 + std::size_t(count) * 16);
    if (!region)
        return nullptr;
    return std::make_unique<gdi::Region>(*region);
}

std::unique_ptr<gdi::Region> RegionFromRects(RectList& rects, std::int32_t last,
                                             std::int32_t boundLeft, std::int32_t boundWidth)
{
    std::unique_ptr<gdi::Region> result;
    // Blocks start at 2, 2002, 4002, ...; neighbours share their boundary rectangle.
    for (std::int64_t start = 2; start < last || (start == 2 && start <= last);
         start += blockSize) {
        const auto end = std::int32_t(std::min<std::int64_t>(start + blockSize, last));
        std::unique_ptr<gdi::Region> block =
            RegionFromRectRun(rects, std::int32_t(start), end, boundLeft, boundWidth);
        if (!block)
            return nullptr;
        if (!result) {
            result = std::move(block);
            continue;
        }
        gdi::Region::combine(*result, *result, *block, gdi::RGN_OR);
    }
    return result;
}

std::unique_ptr<gdi::Region> BuildAlphaRegion(const c32bppDIB& image, std::int32_t Style)
{
    const std::int32_t width = image.Width();
    const std::int32_t height = image.Height();
    if (!image.Alpha() && image.Handle() != 0)
        return std::make_unique<gdi::Region>(gdi::Region::rect(0, 0, width, height));
    if (width < 1 || height < 1 || !image.BitsPointer())
        return nullptr;
    const std::uint8_t* bits = image.BitsPointer();
    // Image row r (top-down) lies in memory row height - 1 - r.
    auto alphaAt = [&](std::int32_t x, std::int32_t r) {
        return bits[(std::size_t(height - 1 - r) * std::size_t(width) + std::size_t(x)) * 4 + 3];
    };
    if (Style == regionBounds) {
        std::int32_t left = width, right = -1, top = height, bottom = -1;
        for (std::int32_t r = 0; r < height; ++r) {
            for (std::int32_t x = 0; x < width; ++x) {
                if (alphaAt(x, r) == 0)
                    continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, r);
                bottom = std::max(bottom, r);
            }
        }
        if (right < 0)
            return nullptr;
        return std::make_unique<gdi::Region>(gdi::Region::rect(left, top, right + 1, bottom + 1));
    }
    try {
        RectCollector collector(width);
        for (std::int32_t r = 0; r < height; ++r) {
            if (Style == regionShaped) {
                std::int32_t runStart = -1;
                for (std::int32_t x = 0; x < width; ++x) {
                    if (alphaAt(x, r) != 0) {
                        if (runStart < 0)
                            runStart = x;
                    } else if (runStart >= 0) {
                        collector.add(runStart, r, x, r + 1);
                        runStart = -1;
                    }
                }
                if (runStart >= 0)
                    collector.add(runStart, r, width, r + 1);
            } else {
                std::int32_t first = 0;
                while (first < width && alphaAt(first, r) == 0)
                    ++first;
                if (first == width)
                    continue;
                std::int32_t last = width - 1;
                while (alphaAt(last, r) == 0)
                    --last;
                collector.add(first, r, last + 1, r + 1);
            }
        }
        const std::int32_t count = collector.count();
        if (count == 0)
            return nullptr;
        std::unique_ptr<gdi::Region> region =
            RegionFromRectRun(collector.rects(), 2, count + 1, 0, width);
        if (!region && count > blockSize)
            region = RegionFromRects(collector.rects(), count + 1, 0, width);
        return region;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace XrImage
