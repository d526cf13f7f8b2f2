// Views over pixel memory that the pixel loops walk without copying: an image's bits, a
// worker's pixel array, or a bitmap's pixels, addressed by bottom-up or top-down row.
#pragma once

#include "image/core/c32bppDIB.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace XrImage {

// True when the rectangle has a positive size and lies wholly inside width x height.
inline bool pixelRectInside(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                            std::int64_t boundWidth, std::int64_t boundHeight)
{
    return x >= 0 && y >= 0 && width >= 1 && height >= 1 && x + width <= boundWidth &&
           y + height <= boundHeight;
}

// The pixels a draw can change, in the destination's logical pixels: the host image, or the
// device context's bitmap within its clip region (empty without either).
inline TargetWindow reachableArea(const gdi::DeviceContext* dc, const c32bppDIB* host)
{
    if (host)
        return {0, 0, host->Width(), host->Height()};
    if (!dc || dc->bitmap().isNull())
        return {};
    QRect area(0, 0, dc->bitmap().width(), dc->bitmap().height());
    if (const std::optional<gdi::Region> clip = dc->clipRgn())
        area &= clip->pixels().boundingRect();
    if (area.isEmpty())
        return {};
    return {area.left(), area.top(), std::int64_t(area.right()) + 1,
            std::int64_t(area.bottom()) + 1};
}

// The part of a destination rectangle (x, y, width, height) inside reach, relative to the
// rectangle's top-left corner; right <= left or bottom <= top when nothing of it shows.
inline TargetWindow visiblePart(std::int64_t x, std::int64_t y, std::int64_t width,
                                std::int64_t height, const TargetWindow& reach)
{
    return {std::max<std::int64_t>(0, reach.left - x), std::max<std::int64_t>(0, reach.top - y),
            std::min(width, reach.right - x), std::min(height, reach.bottom - y)};
}

struct PixelView {
    std::uint8_t* data = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bytesPerPixel = 4;
    std::size_t stride = 0;
    bool bottomUp = true;  // stored row 0 is the picture's bottom row

    static PixelView of(const c32bppDIB& image)
    {
        return {image.BitsPointer(),
                image.Width(),
                image.Height(),
                4,
                std::size_t(image.Width()) * 4,
                true};
    }
    static PixelView of(PixelArray& array)
    {
        return {array.bytes.data(),           array.width, array.height, 4,
                std::size_t(array.width) * 4, true};
    }
    // A 32-bit bitmap at one device pixel per logical pixel.
    static PixelView of(const gdi::Bitmap& bitmap)
    {
        QImage& image = bitmap.image();
        return {
            image.bits(),       image.width(), image.height(), 4, std::size_t(image.bytesPerLine()),
            bitmap.isBottomUp()};
    }

    bool isNull() const { return data == nullptr; }
    // Row by its bottom-up index (0 = the picture's bottom row).
    std::uint8_t* row(std::int32_t bottomUpRow) const
    {
        const std::int32_t stored = bottomUp ? bottomUpRow : height - 1 - bottomUpRow;
        return data + std::size_t(stored) * stride;
    }
    // Row by its top-down index (0 = the picture's top row).
    std::uint8_t* topDownRow(std::int32_t topRow) const { return row(height - 1 - topRow); }

    template <typename Visit>
    void forEachPixel(Visit visit) const
    {
        for (std::int32_t y = 0; y < height; ++y) {
            std::uint8_t* pixel = data + std::size_t(y) * stride;
            for (std::int32_t x = 0; x < width; ++x, pixel += bytesPerPixel)
                visit(pixel);
        }
    }
};

}  // namespace XrImage
