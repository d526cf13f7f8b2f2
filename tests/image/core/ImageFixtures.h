// Builders and readers for the image tests: images of given premultiplied pixels, device
// contexts over plain bitmaps, and pixel reads by top-down position.
#pragma once

#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>

namespace imagetest {

using Bgra = std::array<int, 4>;

// The pixel at (x, y), y counted from the image's top row.
inline std::uint8_t* pixelAt(const XrImage::c32bppDIB& image, int x, int y)
{
    return image.BitsPointer() + (std::size_t(image.Height() - 1 - y) * image.Width() + x) * 4;
}

inline Bgra bgraAt(const XrImage::c32bppDIB& image, int x, int y)
{
    const std::uint8_t* p = pixelAt(image, x, y);
    return {p[0], p[1], p[2], p[3]};
}

inline void put(XrImage::c32bppDIB& image, int x, int y, Bgra value)
{
    std::uint8_t* p = pixelAt(image, x, y);
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(value[std::size_t(i)]);
}

// An image of one colour, on the own road (GDI+ and AlphaBlend off) unless asked otherwise.
inline std::unique_ptr<XrImage::c32bppDIB> filledImage(int width, int height, Bgra value,
                                                       bool ownRoad = true)
{
    auto image = std::make_unique<XrImage::c32bppDIB>();
    if (ownRoad) {
        image->LetisGDIplusEnabled(false);
        image->LetisAlphaBlendFriendly(false);
        image->LetHighQualityInterpolation(false);
    }
    image->InitializeDIB(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            put(*image, x, y, value);
    return image;
}

// Random premultiplied pixels (colour never above alpha), a quarter of them transparent.
inline void fillRandom(XrImage::c32bppDIB& image, std::mt19937& random)
{
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const int a = random() % 4 == 0 ? 0 : int(random() % 256);
            put(image, x, y,
                {int(random() % (a + 1)), int(random() % (a + 1)), int(random() % (a + 1)), a});
        }
    }
}

// A device context over a plain bitmap of one colour.
struct Canvas {
    gdi::DeviceContext dc;
    gdi::Bitmap bitmap;

    Canvas(int width, int height, gdi::COLORREF colour)
        : bitmap(gdi::Bitmap::create(width, height, 1.0))
    {
        dc.selectBitmap(bitmap);
        dc.fillRect({0, 0, width, height}, gdi::Brush::solid(colour));
    }
    // Blue, green, red of the pixel at (x, y).
    std::array<int, 3> bgr(int x, int y) const
    {
        const gdi::COLORREF c = dc.getPixel(x, y);
        return {int((c >> 16) & 255), int((c >> 8) & 255), int(c & 255)};
    }
};

}  // namespace imagetest
