// Views over pixel memory that the pixel loops walk without copying: an image's bits, a
// worker's pixel array, or a bitmap's pixels, addressed by bottom-up or top-down row.
#pragma once

#include "image/core/c32bppDIB.h"
#include "platform/gdi/Bitmap.h"

#include <cstddef>
#include <cstdint>

namespace XrImage {

// True when the rectangle has a positive size and lies wholly inside width x height.
inline bool pixelRectInside(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                            std::int64_t boundWidth, std::int64_t boundHeight)
{
    return x >= 0 && y >= 0 && width >= 1 && height >= 1 && x + width <= boundWidth &&
           y + height <= boundHeight;
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
