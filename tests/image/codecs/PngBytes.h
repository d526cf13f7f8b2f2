// Test-side PNG tools independent of the codec under test: a byte builder for PNG files of
// every colour type, depth, interlace and filter (zlib and its CRC linked directly), and
// libpng as the decoding oracle.
#pragma once

#include "image/core/c32bppDIB.h"

#include <png.h>
#include <zlib.h>

#include <QByteArray>
#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace pngtest {

inline void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

inline void appendChunk(std::vector<std::uint8_t>& out, const char* type,
                        const std::vector<std::uint8_t>& data)
{
    appendBigEndian(out, std::uint32_t(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + typeAt, uInt(data.size() + 4));
    appendBigEndian(out, std::uint32_t(crc));
}

inline std::vector<std::uint8_t> zlibCompress(const std::vector<std::uint8_t>& data, int level = 6,
                                              int strategy = Z_DEFAULT_STRATEGY)
{
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, 15, 8, strategy);
    std::vector<std::uint8_t> out(deflateBound(&stream, uLong(data.size())) + 16);
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = uInt(data.size());
    stream.next_out = out.data();
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// An image of samples: per pixel `channels` values of `depth` bits (palette indexes for type 3).
struct SampleImage {
    int width = 0;
    int height = 0;
    int colorType = 0;
    int depth = 8;
    std::vector<std::uint16_t> samples;  // row-major, channels per pixel

    int channels() const
    {
        switch (colorType) {
            case 2:
                return 3;
            case 4:
                return 2;
            case 6:
                return 4;
            default:
                return 1;
        }
    }
    std::uint16_t& at(int x, int y, int c)
    {
        return samples[std::size_t((y * width + x) * channels() + c)];
    }
    std::uint16_t at(int x, int y, int c) const
    {
        return samples[std::size_t((y * width + x) * channels() + c)];
    }
};

inline SampleImage randomImage(int width, int height, int colorType, int depth, unsigned seed,
                               int maxSample = -1)
{
    SampleImage image{width, height, colorType, depth, {}};
    std::mt19937 random(seed);
    const int top = maxSample >= 0 ? maxSample : (1 << depth) - 1;
    image.samples.resize(std::size_t(width * height * image.channels()));
    // Runs of equal pixels give the compressor matches to find.
    for (std::size_t i = 0; i < image.samples.size(); ++i)
        image.samples[i] = (i % 7 < 3 && i >= std::size_t(image.channels()))
                               ? image.samples[i - std::size_t(image.channels())]
                               : std::uint16_t(random() % unsigned(top + 1));
    return image;
}

inline std::uint8_t paethPredict(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return std::uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Packs the pixels x0, x0+dx, ... of row y into bytes.
inline std::vector<std::uint8_t> packRow(const SampleImage& image, int y, int x0, int dx)
{
    std::vector<std::uint8_t> row;
    int bitPos = 0;
    for (int x = x0; x < image.width; x += dx) {
        for (int c = 0; c < image.channels(); ++c) {
            const std::uint16_t v = image.at(x, y, c);
            if (image.depth == 16) {
                row.push_back(std::uint8_t(v >> 8));
                row.push_back(std::uint8_t(v));
            } else if (image.depth == 8) {
                row.push_back(std::uint8_t(v));
            } else {
                if (bitPos == 0)
                    row.push_back(0);
                row.back() |= std::uint8_t(v << (8 - image.depth - bitPos));
                bitPos = (bitPos + image.depth) % 8;
            }
        }
    }
    return row;
}

// Filters rows with filter types chosen by `filterOf(row index)`.
template <class FilterOf>
void appendFiltered(std::vector<std::uint8_t>& out,
                    const std::vector<std::vector<std::uint8_t>>& rows, int unit, FilterOf filterOf)
{
    std::vector<std::uint8_t> previous;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        const int filter = filterOf(int(r));
        out.push_back(std::uint8_t(filter));
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int left = i >= std::size_t(unit) ? row[i - std::size_t(unit)] : 0;
            const int up = previous.empty() ? 0 : previous[i];
            const int upLeft =
                (previous.empty() || i < std::size_t(unit)) ? 0 : previous[i - std::size_t(unit)];
            int predicted = 0;
            switch (filter) {
                case 1:
                    predicted = left;
                    break;
                case 2:
                    predicted = up;
                    break;
                case 3:
                    predicted = (left + up) / 2;
                    break;
                case 4:
                    predicted = paethPredict(left, up, upLeft);
                    break;
                default:
                    break;
            }
            out.push_back(std::uint8_t(row[i] - predicted));
        }
        previous = row;
    }
}

struct Adam7Pass {
    int firstRow, firstColumn, rowStep, columnStep;
};
inline constexpr std::array<Adam7Pass, 7> adam7{{{0, 0, 8, 8},
                                                 {0, 4, 8, 8},
                                                 {4, 0, 8, 4},
                                                 {0, 2, 4, 4},
                                                 {2, 0, 4, 2},
                                                 {0, 1, 2, 2},
                                                 {1, 0, 2, 1}}};

// The filtered, uncompressed image data.
inline std::vector<std::uint8_t> rawImageData(const SampleImage& image, bool interlaced, int filter)
{
    const int bits = image.depth * image.channels();
    const int unit = std::max(1, bits / 8);
    // filter 5 mixes all five, row by row.
    auto filterOf = [filter](int r) { return filter == 5 ? r % 5 : filter; };
    std::vector<std::uint8_t> out;
    if (!interlaced) {
        std::vector<std::vector<std::uint8_t>> rows;
        for (int y = 0; y < image.height; ++y)
            rows.push_back(packRow(image, y, 0, 1));
        appendFiltered(out, rows, unit, filterOf);
        return out;
    }
    for (const Adam7Pass& pass : adam7) {
        if (pass.firstColumn >= image.width)
            continue;
        std::vector<std::vector<std::uint8_t>> rows;
        for (int y = pass.firstRow; y < image.height; y += pass.rowStep)
            rows.push_back(packRow(image, y, pass.firstColumn, pass.columnStep));
        appendFiltered(out, rows, unit, filterOf);
    }
    return out;
}

struct PngOptions {
    bool interlaced = false;
    int filter = 0;
    std::vector<std::uint8_t> palette;  // RGB triplets (type 3)
    std::vector<std::uint8_t> trns;     // tRNS body, empty for none
    bool ancillary = false;             // gAMA, sBIT, tEXt and a private chunk before IDAT
    int idatChunks = 1;                 // IDAT split into this many chunks
};

inline std::vector<std::uint8_t> ihdrBody(int width, int height, int depth, int colorType,
                                          int interlace)
{
    std::vector<std::uint8_t> body;
    appendBigEndian(body, std::uint32_t(width));
    appendBigEndian(body, std::uint32_t(height));
    body.insert(body.end(),
                {std::uint8_t(depth), std::uint8_t(colorType), 0, 0, std::uint8_t(interlace)});
    return body;
}

inline std::vector<std::uint8_t> signatureBytes()
{
    return {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
}

inline std::vector<std::uint8_t> buildPng(const SampleImage& image, const PngOptions& options)
{
    std::vector<std::uint8_t> out = signatureBytes();
    appendChunk(
        out, "IHDR",
        ihdrBody(image.width, image.height, image.depth, image.colorType, options.interlaced));
    if (options.ancillary) {
        appendChunk(out, "gAMA", {0, 0, 0xB1, 0x8F});
        std::vector<std::uint8_t> sbit(std::size_t(image.colorType == 3 ? 3 : image.channels()),
                                       std::uint8_t(image.colorType == 3 ? 8 : image.depth));
        appendChunk(out, "sBIT", sbit);
        appendChunk(out, "tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'x'});
        appendChunk(out, "prVt", {1, 2, 3});
    }
    if (!options.palette.empty())
        appendChunk(out, "PLTE", options.palette);
    if (!options.trns.empty())
        appendChunk(out, "tRNS", options.trns);
    const std::vector<std::uint8_t> compressed =
        zlibCompress(rawImageData(image, options.interlaced, options.filter));
    const std::size_t chunkSize = compressed.size() / std::size_t(options.idatChunks) + 1;
    for (std::size_t at = 0; at < compressed.size(); at += chunkSize) {
        const std::size_t end = std::min(compressed.size(), at + chunkSize);
        appendChunk(out, "IDAT",
                    std::vector<std::uint8_t>(compressed.begin() + long(at),
                                              compressed.begin() + long(end)));
    }
    if (options.ancillary)
        appendChunk(out, "tIME", {0x07, 0xEA, 12, 10, 8, 0, 0});
    appendChunk(out, "IEND", {});
    return out;
}

// libpng's reading: premultiplied BGRA, rows top-down; empty when libpng refuses the data.
struct OracleImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;
    bool ok = false;
};

inline OracleImage decodeWithLibpng(const std::vector<std::uint8_t>& bytes)
{
    OracleImage result;
    png_structp read = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(read);
    struct Source {
        const std::vector<std::uint8_t>* bytes;
        std::size_t at;
    } source{&bytes, 0};
    if (setjmp(png_jmpbuf(read))) {
        png_destroy_read_struct(&read, &info, nullptr);
        return OracleImage{};
    }
    png_set_read_fn(read, &source, [](png_structp p, png_bytep out, png_size_t count) {
        auto* s = static_cast<Source*>(png_get_io_ptr(p));
        if (s->at + count > s->bytes->size())
            png_error(p, "read past end");
        std::memcpy(out, s->bytes->data() + s->at, count);
        s->at += count;
    });
    png_set_crc_action(read, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_read_info(read, info);
    // 16-bit samples are read by their high byte, as the codec reads them.
    png_set_strip_16(read);
    png_set_expand(read);
    png_set_gray_to_rgb(read);
    png_set_tRNS_to_alpha(read);
    png_set_filler(read, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(read);
    png_read_update_info(read, info);
    const int width = int(png_get_image_width(read, info));
    const int height = int(png_get_image_height(read, info));
    std::vector<std::uint8_t> rgba(std::size_t(width) * std::size_t(height) * 4);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[std::size_t(y)] = rgba.data() + std::size_t(y) * std::size_t(width) * 4;
    png_read_image(read, rows.data());
    png_read_end(read, nullptr);
    png_destroy_read_struct(&read, &info, nullptr);
    result.width = width;
    result.height = height;
    result.bgra.resize(rgba.size());
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        const unsigned a = rgba[i + 3];
        result.bgra[i + 3] = std::uint8_t(a);
        result.bgra[i + 0] = std::uint8_t(rgba[i + 2] * a / 255);
        result.bgra[i + 1] = std::uint8_t(rgba[i + 1] * a / 255);
        result.bgra[i + 2] = std::uint8_t(rgba[i + 0] * a / 255);
    }
    result.ok = true;
    return result;
}

// The host image's pixels, top-down, as the oracle lays them out.
inline std::vector<std::uint8_t> topDownPixels(const XrImage::c32bppDIB& dib)
{
    std::vector<std::uint8_t> out;
    if (!dib.BitsPointer())
        return out;
    const std::size_t stride = std::size_t(dib.Width()) * 4;
    for (int y = dib.Height() - 1; y >= 0; --y) {
        const std::uint8_t* row = dib.BitsPointer() + std::size_t(y) * stride;
        out.insert(out.end(), row, row + stride);
    }
    return out;
}

inline QByteArray toQByteArray(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

}  // namespace pngtest
