// The PNG reader's decoding step: inflate, undo the row filters, walk the Adam7 passes and
// convert the samples into the host's premultiplied, bottom-up BGRA rows.
#include "image/codecs/PngInflate.h"
#include "image/codecs/cPNGparser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace XrImage {

namespace {

struct Pass {
    int firstRow, firstColumn, rowStep, columnStep;
};

// Passes 1-7 are Adam7; pass 8 is the whole image.
constexpr Pass PassTable[9] = {{0, 0, 1, 1}, {0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                               {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}, {0, 0, 1, 1}};

int bitsPerPixel(std::uint8_t colorType, std::uint8_t depth)
{
    switch (colorType) {
        case 6:
            return depth * 4;
        case 4:
            return depth * 2;
        case 2:
            return depth * 3;
        default:
            return depth;
    }
}

// The filter unit: whole bytes per pixel, at least 1.
std::size_t filterUnit(std::uint8_t colorType, std::uint8_t depth)
{
    return std::size_t(std::max(1, bitsPerPixel(colorType, depth) / 8));
}

std::int64_t passExtent(std::int64_t full, int first, int step)
{
    return full / step + (full % step > first ? 1 : 0);
}

std::uint8_t paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return std::uint8_t(a);
    return std::uint8_t(pb <= pc ? b : c);
}

// Undoes one row's filter in place; `above` is the previous unfiltered row or null. False for
// a filter type above 4 (the row is left as it is).
bool unfilterRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                 std::size_t length, std::size_t unit)
{
    const std::size_t lead = std::min(unit, length);
    switch (filter) {
        case 0:
            return true;
        case 1:
            for (std::size_t i = unit; i < length; ++i)
                row[i] = std::uint8_t(row[i] + row[i - unit]);
            return true;
        case 2:
            if (above)
                for (std::size_t i = 0; i < length; ++i)
                    row[i] = std::uint8_t(row[i] + above[i]);
            return true;
        case 3:
            if (above) {
                for (std::size_t i = 0; i < lead; ++i)
                    row[i] = std::uint8_t(row[i] + above[i] / 2);
                for (std::size_t i = unit; i < length; ++i)
                    row[i] = std::uint8_t(row[i] + (row[i - unit] + above[i]) / 2);
            } else {
                for (std::size_t i = unit; i < length; ++i)
                    row[i] = std::uint8_t(row[i] + row[i - unit] / 2);
            }
            return true;
        case 4:
            if (above) {
                for (std::size_t i = 0; i < lead; ++i)
                    row[i] = std::uint8_t(row[i] + above[i]);
                for (std::size_t i = unit; i < length; ++i)
                    row[i] = std::uint8_t(row[i] + paeth(row[i - unit], above[i], above[i - unit]));
            } else {
                for (std::size_t i = unit; i < length; ++i)
                    row[i] = std::uint8_t(row[i] + row[i - unit]);
            }
            return true;
        default:
            return false;
    }
}

// Alpha first: a transparent pixel keeps its zeros, an opaque one takes its colour as it is,
// any other is premultiplied with truncation.
inline void storePixel(std::uint8_t* pixel, unsigned red, unsigned green, unsigned blue,
                       unsigned alpha)
{
    pixel[3] = std::uint8_t(alpha);
    if (alpha == 0)
        return;
    if (alpha == 255) {
        pixel[0] = std::uint8_t(blue);
        pixel[1] = std::uint8_t(green);
        pixel[2] = std::uint8_t(red);
        return;
    }
    pixel[0] = std::uint8_t(blue * alpha / 255);
    pixel[1] = std::uint8_t(green * alpha / 255);
    pixel[2] = std::uint8_t(red * alpha / 255);
}

struct CallocFree {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

}  // namespace

bool cPNGparser::InflatedSize(std::uint64_t& size) const
{
    const int bits = bitsPerPixel(ColorType, BitDepth);
    auto rowBytes = [bits](std::int64_t pixels, std::uint64_t& bytes) {
        const std::int64_t product = pixels * bits;
        if (product >= 2147483641)
            return false;
        bytes = std::uint64_t(product + 7) / 8;
        return true;
    };
    size = 0;
    if (Interlace == 0) {
        std::uint64_t bytes = 0;
        if (!rowBytes(Width, bytes))
            return false;
        size = std::uint64_t(Height) * (bytes + 1);
        return true;
    }
    for (int pass = 1; pass <= 7; ++pass) {
        const Pass& p = PassTable[pass];
        const std::int64_t width = passExtent(Width, p.firstColumn, p.columnStep);
        const std::int64_t height = passExtent(Height, p.firstRow, p.rowStep);
        std::uint64_t bytes = 0;
        if (!rowBytes(width, bytes))
            return false;
        size += std::uint64_t(height) * (bytes + 1);
    }
    return true;
}

void cPNGparser::DecodeImageData(std::vector<std::uint8_t>& imageData)
{
    // calloc: pages the data never reaches cost nothing and read as the zeros that rows
    // missing from a short stream must hold.
    std::unique_ptr<std::uint8_t, CallocFree> output(
        static_cast<std::uint8_t*>(std::calloc(std::size_t(decompressedSize), 1)));
    if (!output)
        return;
    bool inflated = false;
    if (zlibFound) {
        unsigned long produced = static_cast<unsigned long>(decompressedSize);
        inflated = Zlib.ZlibUncompress(output.get(), produced, imageData.data(), imageData.size());
        if (!inflated)
            std::memset(output.get(), 0, std::size_t(decompressedSize));
    }
    if (!inflated)
        inflated =
            png::InflateStream({output.get(), std::size_t(decompressedSize)}, imageData, false);
    std::vector<std::uint8_t>().swap(imageData);
    if (!inflated)
        return;
    BuildDefaultPalette();
    if (!Host->InitializeDIB(Width, Height))
        return;
    const bool decoded = Interlace
                             ? DecodeInterlaced(output.get(), std::size_t(decompressedSize))
                             : DecodeNonInterlaced(output.get(), std::size_t(decompressedSize));
    if (!decoded) {
        Host->DestroyDIB();
        return;
    }
    Host->LetAlpha(ColorType == 4 || ColorType == 6 || TransKey != -1);
    Host->SetImageType(imgPNG);
}

void cPNGparser::BuildDefaultPalette()
{
    if ((ColorType != 0 && ColorType != 3) || paletteLoaded)
        return;
    Palette.assign(768, 0);
    if (ColorType == 0) {
        if (BitDepth == 16)
            return;
        const int levels = (1 << BitDepth) - 1;
        const int step = 255 / levels;
        for (int i = 1; i <= levels; ++i)
            std::fill_n(Palette.begin() + 3 * i, 3, std::uint8_t(i * step));
    } else if (BitDepth == 1) {
        std::fill_n(Palette.begin() + 3, 3, std::uint8_t(255));
    }
}

bool cPNGparser::DecodeNonInterlaced(std::uint8_t* data, std::size_t size)
{
    const std::size_t stride = size / std::size_t(Height);
    const std::size_t unit = filterUnit(ColorType, BitDepth);
    for (std::int64_t row = 0; row < Height; ++row) {
        std::uint8_t* line = data + std::size_t(row) * stride;
        const std::uint8_t* above = row ? line - stride + 1 : nullptr;
        // An unknown filter leaves its row as it is.
        unfilterRow(line[0], line + 1, above, stride - 1, unit);
    }
    return Convert(data, 8, Height, stride);
}

bool cPNGparser::DecodeInterlaced(const std::uint8_t* data, std::size_t size)
{
    const int bits = bitsPerPixel(ColorType, BitDepth);
    const std::size_t unit = filterUnit(ColorType, BitDepth);
    std::vector<std::uint8_t> scratch;
    std::size_t offset = 0;
    for (int pass = 1; pass <= 7; ++pass) {
        const Pass& p = PassTable[pass];
        const std::int64_t width = passExtent(Width, p.firstColumn, p.columnStep);
        const std::int64_t height = passExtent(Height, p.firstRow, p.rowStep);
        if (width == 0 || height == 0)
            continue;
        const std::size_t stride = std::size_t((width * bits + 7) / 8) + 1;
        const std::size_t passSize = std::size_t(height) * stride;
        if (passSize > size - offset)
            return false;
        scratch.assign(data + offset, data + offset + passSize);
        for (std::int64_t row = 0; row < height; ++row) {
            std::uint8_t* line = scratch.data() + std::size_t(row) * stride;
            const std::uint8_t* above = row ? line - stride + 1 : nullptr;
            if (!unfilterRow(line[0], line + 1, above, stride - 1, unit))
                return false;
        }
        offset += passSize;
        if (!Convert(scratch.data(), pass, height, stride))
            return false;
    }
    return true;
}

bool cPNGparser::Convert(const std::uint8_t* source, int pass, std::int64_t rows,
                         std::size_t stride)
{
    if (BitDepth == 16)
        return Convert16bit(source, pass, rows, stride);
    if (ColorType == 0 || ColorType == 3)
        return ConvertIndexed(source, pass, rows, stride);
    return ConvertTrueColor8(source, pass, rows, stride);
}

bool cPNGparser::ConvertTrueColor8(const std::uint8_t* source, int pass, std::int64_t rows,
                                   std::size_t stride)
{
    const Pass& p = PassTable[pass];
    const std::size_t dibStride = std::size_t(Width) * 4;
    std::uint8_t* bits = Host->BitsPointer();
    const bool keyed = ColorType == 2 && TransKey != -1;
    const unsigned keyRed = unsigned(TransKey >> 16) & 255;
    const unsigned keyGreen = unsigned(TransKey >> 8) & 255;
    const unsigned keyBlue = unsigned(TransKey) & 255;
    std::int64_t y = p.firstRow;
    for (std::int64_t i = 0; i < rows; ++i, y += p.rowStep) {
        const std::uint8_t* s = source + std::size_t(i) * stride + 1;
        std::uint8_t* line = bits + std::size_t(Height - 1 - y) * dibStride;
        for (std::int64_t x = p.firstColumn; x < Width; x += p.columnStep) {
            std::uint8_t* pixel = line + std::size_t(x) * 4;
            switch (ColorType) {
                case 6:
                    storePixel(pixel, s[0], s[1], s[2], s[3]);
                    s += 4;
                    break;
                case 4:
                    storePixel(pixel, s[0], s[0], s[0], s[1]);
                    s += 2;
                    break;
                default: {
                    const bool transparent =
                        keyed && s[0] == keyRed && s[1] == keyGreen && s[2] == keyBlue;
                    storePixel(pixel, s[0], s[1], s[2], transparent ? 0 : 255);
                    s += 3;
                    break;
                }
            }
        }
    }
    return true;
}

bool cPNGparser::ConvertIndexed(const std::uint8_t* source, int pass, std::int64_t rows,
                                std::size_t stride)
{
    const Pass& p = PassTable[pass];
    const std::size_t dibStride = std::size_t(Width) * 4;
    std::uint8_t* bits = Host->BitsPointer();
    const int depth = BitDepth;
    const unsigned mask = (1u << depth) - 1;
    const std::size_t paletteEntries = Palette.size() / 3;
    std::int64_t y = p.firstRow;
    for (std::int64_t i = 0; i < rows; ++i, y += p.rowStep) {
        const std::uint8_t* s = source + std::size_t(i) * stride + 1;
        std::uint8_t* line = bits + std::size_t(Height - 1 - y) * dibStride;
        int shift = 8 - depth;
        for (std::int64_t x = p.firstColumn; x < Width; x += p.columnStep) {
            const unsigned sample = (unsigned(*s) >> shift) & mask;
            if (shift > 0) {
                shift -= depth;
            } else {
                ++s;
                shift = 8 - depth;
            }
            if (sample >= paletteEntries)
                return false;
            std::uint8_t* pixel = line + std::size_t(x) * 4;
            const std::uint8_t* entry = Palette.data() + 3 * sample;
            if (ColorType == 3) {
                // A tRNS read before the header may be shorter than the palette's indexes.
                if (TransKey != -1 && sample >= TransData.size())
                    return false;
                const unsigned alpha = TransKey == -1 ? 255u : TransData[sample];
                storePixel(pixel, entry[0], entry[1], entry[2], alpha);
            } else if (std::int32_t(sample) != TransKey) {
                storePixel(pixel, entry[0], entry[0], entry[0], 255);
            }
        }
    }
    return true;
}

bool cPNGparser::Convert16bit(const std::uint8_t* source, int pass, std::int64_t rows,
                              std::size_t stride)
{
    const Pass& p = PassTable[pass];
    const std::size_t dibStride = std::size_t(Width) * 4;
    std::uint8_t* bits = Host->BitsPointer();
    // A key read under another colour type (tRNS before IHDR) may be too short to compare.
    const std::size_t keyBytes = ColorType == 2 ? 6 : 2;
    const bool keyed =
        TransKey != -1 && (ColorType == 0 || ColorType == 2) && TransData.size() >= keyBytes;
    std::int64_t y = p.firstRow;
    for (std::int64_t i = 0; i < rows; ++i, y += p.rowStep) {
        const std::uint8_t* s = source + std::size_t(i) * stride + 1;
        std::uint8_t* line = bits + std::size_t(Height - 1 - y) * dibStride;
        for (std::int64_t x = p.firstColumn; x < Width; x += p.columnStep) {
            std::uint8_t* pixel = line + std::size_t(x) * 4;
            switch (ColorType) {
                case 6:
                    storePixel(pixel, s[0], s[2], s[4], s[6]);
                    s += 8;
                    break;
                case 4:
                    storePixel(pixel, s[0], s[0], s[0], s[2]);
                    s += 4;
                    break;
                case 2: {
                    // The key is compared over all 16 bits of every sample.
                    const bool transparent = keyed && std::memcmp(s, TransData.data(), 6) == 0;
                    storePixel(pixel, s[0], s[2], s[4], transparent ? 0 : 255);
                    s += 6;
                    break;
                }
                default: {
                    const bool transparent = keyed && std::memcmp(s, TransData.data(), 2) == 0;
                    storePixel(pixel, s[0], s[0], s[0], transparent ? 0 : 255);
                    s += 2;
                    break;
                }
            }
        }
    }
    return true;
}

}  // namespace XrImage
