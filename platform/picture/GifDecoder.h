// GIF pictures through giflib: the first image of the file on a canvas of the logical screen,
// as palette indexes and as pixels. A file that stops or goes wrong part-way keeps the rows
// decoded before that; the rest stays transparent, as browsers show such files.
#pragma once

#include "platform/bytes/DecodeError.h"
#include "platform/bytes/DecodeLimits.h"

#include <QImage>
#include <QList>
#include <cstdint>
#include <span>
#include <vector>

namespace picture {

struct DecodedGif {
    // Upright, Format_ARGB32: transparent where the transparent index is and where nothing
    // was decoded.
    QImage image;
    // One index per pixel, rows top-down, image.width() per row; the transparent index (or 0
    // without one) where nothing was decoded.
    std::vector<std::uint8_t> indexes;
    // The frame's colour table (its own, else the global one), opaque.
    QList<QRgb> colours;
    int transparentIndex = -1;
    // False when the data ended or went wrong before the last row.
    bool complete = false;
};

// Decoded pixels a file may claim per byte of its data beyond a floor of 4 megapixels:
// LZW codes of growing length stand for ever longer strings.
constexpr std::uint64_t maxGifPixelsPerByte = 8192;
constexpr std::uint64_t gifPixelFloor = std::uint64_t{4} << 20;

bytes::Result<DecodedGif> decodeGif(
    std::span<const std::uint8_t> data,
    const bytes::DecodeLimits& limits = bytes::DecodeLimits::standard());

}  // namespace picture
