// Our own reader of device-independent bitmaps, for BMP files and packed DIBs: every header
// version (OS/2 core and 2.x, the 40, 52, 56, 108 and 124-byte forms), 1, 2, 4, 8, 16, 24 and
// 32 bits per pixel, uncompressed, RLE8 and RLE4 (with every escape), bit fields of any width
// with or without alpha, rows top-down or bottom-up, short palettes.
//
// Damage is read the way viewers show it: pixel data that ends early reads as zero bytes,
// runs and deltas are clipped at the edges, an index past the palette is black. Only data
// that cannot be a bitmap fails. Every size is checked against the limits before anything is
// allocated, and the decoded buffer must stay within what the file's pixel data can justify
// (see maxExpansion), so a header that claims far more rows than the file holds is refused.
#pragma once

#include "platform/bytes/DecodeError.h"
#include "platform/bytes/DecodeLimits.h"

#include <QImage>
#include <cstdint>
#include <span>

namespace picture {

// BITMAPINFOHEADER compression values.
enum DibCompression : std::uint32_t {
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
    BI_JPEG = 4,
    BI_PNG = 5,
    BI_ALPHABITFIELDS = 6,
};

struct DecodedDib {
    // Upright; Format_ARGB32 (straight alpha) when the bit fields carry alpha, else
    // Format_RGB32.
    QImage image;
    int bitCount = 0;
    std::uint32_t compression = BI_RGB;
};

// Decoded bytes per byte of pixel data a file may claim beyond a floor of 16 MiB: uncompressed
// rows expand at most 32 times (1 bit to 4 bytes); RLE runs and deltas reach further.
constexpr std::uint64_t maxExpansionUncompressed = 64;
constexpr std::uint64_t maxExpansionRle = 4096;
constexpr std::uint64_t expansionFloorBytes = std::uint64_t{16} << 20;

// A BMP file: "BM", the 14-byte file header, then a DIB.
bytes::Result<DecodedDib> decodeBmpFile(
    std::span<const std::uint8_t> data,
    const bytes::DecodeLimits& limits = bytes::DecodeLimits::standard());

// A packed DIB: the info header, its masks and palette, and the pixels right after them.
bytes::Result<DecodedDib> decodePackedDib(
    std::span<const std::uint8_t> data,
    const bytes::DecodeLimits& limits = bytes::DecodeLimits::standard());

// Where the colour table of a DIB's info block lies: after the header and its masks, `entries`
// of `entryBytes` each (3 after an OS/2 core header, otherwise 4).
struct DibLayout {
    std::size_t tableAt = 0;
    std::size_t entries = 0;
    std::size_t entryBytes = 4;
};
bytes::Result<DibLayout> dibLayout(std::span<const std::uint8_t> info);

// A DIB whose info block and pixels are kept apart (as metafile records keep them): the block
// may be longer than its header and palette, and the pixels start at `bits`, not after them.
bytes::Result<DecodedDib> decodeDib(
    std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits,
    const bytes::DecodeLimits& limits = bytes::DecodeLimits::standard());

}  // namespace picture
