// The PNG writer's preparation of pixels: reduction of the host's premultiplied BGRA pixels to
// a palette, grey, RGB or RGBA image of 8-bit samples, and the row filters for IDAT.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace XrImage::png {

struct PreparedImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int colorType = 0;  // 3 palette, 0 grey, 2 RGB, 6 RGBA
    // -1: none. Grey: the transparent level; RGB: 0x00BBGGRR; palette: anything else means
    // that a tRNS chunk is written.
    std::int32_t transparency = -1;
    std::vector<std::uint8_t> palette;       // RGB per entry
    std::vector<std::uint8_t> paletteAlpha;  // the tRNS body of a palette image
    std::vector<std::uint8_t> rows;          // rowBytes per row, bottom row first
    std::size_t rowBytes = 0;

    int bytesPerPixel() const { return colorType == 6 ? 4 : colorType == 2 ? 3 : 1; }
};

// The palette attempt: false when the image has more than 256 distinct pixel values. It may
// end as a grey image. `bits` are Width x Height premultiplied BGRA pixels, bottom row first.
bool ReduceToPalette(const std::uint8_t* bits, std::int32_t width, std::int32_t height, bool alpha,
                     PreparedImage& image);

// RGB or RGBA, with a single transparent colour found for images whose pixels are all fully
// opaque or fully transparent.
void PrepareTrueColour(const std::uint8_t* bits, std::int32_t width, std::int32_t height,
                       bool alpha, PreparedImage& image);

// The filtered image data, rows top-down, each led by its filter type. `choice` is an
// eFilterMethods value; anything outside 0 to 6 is taken as 0.
std::vector<std::uint8_t> FilterRows(const PreparedImage& image, std::int32_t choice);

}  // namespace XrImage::png
