// The PNG reader's decoding step: inflate, undo the row filters, walk the Adam7 passes and
// convert the samples into the host's premultiplied, bottom-up BGRA rows.
#include "image/codecs/PngInflate.h"
#include "image/codecs/cPNGparser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <sys/mman.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
inline __m128i abs16(__m128i value)
{
    return _mm_max_epi16(value, _mm_sub_epi16(_mm_setzero_si128(), value));
}

// Unit is a constant so that the copies compile to single moves, not library calls.
template <std::size_t unit>
inline __m128i loadPixel(const std::uint8_t* from)
{
    std::uint32_t word = 0;
    std::memcpy(&word, from, unit);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(word)), _mm_setzero_si128());
}

template <std::size_t unit>
inline void storePixelBytes(std::uint8_t* to, __m128i value)
{
    const auto word = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(value, value)));
    std::memcpy(to, &word, unit);
}

// Paeth and Average for rows of whole 3- or 4-byte pixels, one pixel's channels at a time:
// the same predictor and tie-breaks as the scalar code.
template <std::size_t unit>
void paethPixels(std::uint8_t* row, const std::uint8_t* above, std::size_t length)
{
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    for (std::size_t i = 0; i < length; i += unit) {
        const __m128i b = loadPixel<unit>(above + i);
        const __m128i x = loadPixel<unit>(row + i);
        const __m128i pa = abs16(_mm_sub_epi16(b, c));
        const __m128i pb = abs16(_mm_sub_epi16(a, c));
        const __m128i pc = abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
        const __m128i cBeatsB = _mm_cmpgt_epi16(pb, pc);
        const __m128i bc = _mm_or_si128(_mm_and_si128(cBeatsB, c), _mm_andnot_si128(cBeatsB, b));
        const __m128i notA = _mm_cmpgt_epi16(pa, _mm_min_epi16(pb, pc));
        const __m128i predicted = _mm_or_si128(_mm_and_si128(notA, bc), _mm_andnot_si128(notA, a));
        a = _mm_and_si128(_mm_add_epi16(x, predicted), low);
        storePixelBytes<unit>(row + i, a);
        c = b;
    }
}

template <std::size_t unit>
void subPixels(std::uint8_t* row, std::size_t length)
{
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    for (std::size_t i = 0; i < length; i += unit) {
        a = _mm_and_si128(_mm_add_epi16(loadPixel<unit>(row + i), a), low);
        storePixelBytes<unit>(row + i, a);
    }
}

// RGBA rows to premultiplied BGRA, four pixels at a time: colour x alpha / 255 by
// (t + 1 + (t >> 8)) >> 8, which equals the truncating division for every t up to 255 x 255
// and leaves opaque colours as they are and transparent ones 0.
std::size_t premultiplyRgba(const std::uint8_t* source, std::uint8_t* target, std::size_t pixels)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(1);
    const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const __m128i opaqueFactor = _mm_and_si128(alphaLanes, _mm_set1_epi16(255));
    auto convertHalf = [&](__m128i rgba) {
        const __m128i bgra = _mm_shufflehi_epi16(_mm_shufflelo_epi16(rgba, _MM_SHUFFLE(3, 0, 1, 2)),
                                                 _MM_SHUFFLE(3, 0, 1, 2));
        __m128i factor = _mm_shufflehi_epi16(_mm_shufflelo_epi16(rgba, 0xFF), 0xFF);
        factor = _mm_or_si128(_mm_andnot_si128(alphaLanes, factor), opaqueFactor);
        const __m128i product = _mm_mullo_epi16(bgra, factor);
        return _mm_srli_epi16(
            _mm_add_epi16(_mm_add_epi16(product, one), _mm_srli_epi16(product, 8)), 8);
    };
    std::size_t i = 0;
    for (; i + 4 <= pixels; i += 4) {
        const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
        const __m128i low = convertHalf(_mm_unpacklo_epi8(px, zero));
        const __m128i high = convertHalf(_mm_unpackhi_epi8(px, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4 * i), _mm_packus_epi16(low, high));
    }
    return i;
}

template <std::size_t unit>
void averagePixels(std::uint8_t* row, const std::uint8_t* above, std::size_t length)
{
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    for (std::size_t i = 0; i < length; i += unit) {
        const __m128i b = loadPixel<unit>(above + i);
        const __m128i x = loadPixel<unit>(row + i);
        a = _mm_and_si128(_mm_add_epi16(x, _mm_srli_epi16(_mm_add_epi16(a, b), 1)), low);
        storePixelBytes<unit>(row + i, a);
    }
}
#endif

// Undoes one row's filter in place; `above` is the previous unfiltered row or null. False for
// a filter type above 4 (the row is left as it is).
bool unfilterRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                 std::size_t length, std::size_t unit)
{
    const std::size_t lead = std::min(unit, length);
#if defined(__SSE2__)
    if ((unit == 3 || unit == 4) && length % unit == 0 &&
        (filter == 1 || (!above && filter == 4))) {
        unit == 3 ? subPixels<3>(row, length) : subPixels<4>(row, length);
        return true;
    }
    if (above && (unit == 3 || unit == 4) && length % unit == 0) {
        if (filter == 4) {
            unit == 3 ? paethPixels<3>(row, above, length) : paethPixels<4>(row, above, length);
            return true;
        }
        if (filter == 3) {
            unit == 3 ? averagePixels<3>(row, above, length) : averagePixels<4>(row, above, length);
            return true;
        }
    }
#endif
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

// The buffer the image data is inflated into, kept on each thread for its next decode: faulting
// in the pages of a fresh buffer costs about a quarter of the inflate itself. Between decodes
// its pages are marked free, so the kernel may take them back when memory is short.
class InflateScratch {
public:
    std::uint8_t* get(std::size_t size)
    {
        if (size > m_capacity) {
            m_buffer.reset(static_cast<std::uint8_t*>(std::calloc(size, 1)));
            m_capacity = m_buffer ? size : 0;
        }
        return m_buffer.get();
    }

    void releasePages()
    {
#if defined(MADV_FREE)
        constexpr std::uintptr_t page = 4096;
        const auto start = reinterpret_cast<std::uintptr_t>(m_buffer.get());
        const auto begin = (start + page - 1) & ~(page - 1);
        const auto end = (start + m_capacity) & ~(page - 1);
        if (m_buffer && end > begin + 16 * page)
            madvise(reinterpret_cast<void*>(begin), end - begin, MADV_FREE);
#endif
    }

private:
    std::unique_ptr<std::uint8_t, CallocFree> m_buffer;
    std::size_t m_capacity = 0;
};

thread_local InflateScratch inflateScratch;

// Deflate turns one input byte into at most 1032 output bytes (a 258-byte match in two bits).
constexpr std::uint64_t maxExpansion = 1032;

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
    // Image data that could not fill the image even at deflate's highest ratio is damaged;
    // believing its header would allocate what the file cannot justify.
    if (decompressedSize > std::uint64_t(imageData.size()) * maxExpansion + 1024)
        return;
    const auto size = std::size_t(decompressedSize);
    std::uint8_t* output = inflateScratch.get(size);
    if (!output)
        return;
    // Rows a short stream does not reach must read as zeros; the buffer may hold an earlier
    // image's bytes.
    bool inflated = false;
    if (zlibFound) {
        unsigned long produced = static_cast<unsigned long>(size);
        inflated = Zlib.ZlibUncompress(output, produced, imageData.data(), imageData.size());
        if (inflated)
            std::memset(output + produced, 0, size - std::min<std::size_t>(produced, size));
    }
    if (!inflated) {
        std::size_t produced = 0;
        inflated = png::InflateStream({output, size}, imageData, false, &produced);
        std::memset(output + produced, 0, size - produced);
    }
    std::vector<std::uint8_t>().swap(imageData);
    if (!inflated) {
        inflateScratch.releasePages();
        return;
    }
    BuildDefaultPalette();
    if (!Host->InitializeDIB(Width, Height)) {
        inflateScratch.releasePages();
        return;
    }
    const bool decoded =
        Interlace ? DecodeInterlaced(output, size) : DecodeNonInterlaced(output, size);
    inflateScratch.releasePages();
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
    // Strips of rows are unfiltered and converted while they are still in the cache.
    constexpr std::int64_t strip = 16;
    for (std::int64_t first = 0; first < Height; first += strip) {
        const std::int64_t last = std::min<std::int64_t>(Height, first + strip);
        for (std::int64_t row = first; row < last; ++row) {
            std::uint8_t* line = data + std::size_t(row) * stride;
            const std::uint8_t* above = row ? line - stride + 1 : nullptr;
            // An unknown filter leaves its row as it is.
            unfilterRow(line[0], line + 1, above, stride - 1, unit);
        }
        if (!Convert(data + std::size_t(first) * stride, 8, first, last - first, stride))
            return false;
    }
    return true;
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
        if (!Convert(scratch.data(), pass, 0, height, stride))
            return false;
    }
    return true;
}

bool cPNGparser::Convert(const std::uint8_t* source, int pass, std::int64_t startRow,
                         std::int64_t rows, std::size_t stride)
{
    if (BitDepth == 16)
        return Convert16bit(source, pass, startRow, rows, stride);
    if (ColorType == 0 || ColorType == 3)
        return ConvertIndexed(source, pass, startRow, rows, stride);
    return ConvertTrueColor8(source, pass, startRow, rows, stride);
}

bool cPNGparser::ConvertTrueColor8(const std::uint8_t* source, int pass, std::int64_t startRow,
                                   std::int64_t rows, std::size_t stride)
{
    const Pass& p = PassTable[pass];
    const std::size_t dibStride = std::size_t(Width) * 4;
    std::uint8_t* bits = Host->BitsPointer();
    // One loop per colour type, so that the pixel code is straight-line.
    auto walk = [&](std::size_t step, auto&& convertPixel) {
        std::int64_t y = p.firstRow + startRow * p.rowStep;
        for (std::int64_t i = 0; i < rows; ++i, y += p.rowStep) {
            const std::uint8_t* s = source + std::size_t(i) * stride + 1;
            std::uint8_t* line = bits + std::size_t(Height - 1 - y) * dibStride;
            for (std::int64_t x = p.firstColumn; x < Width; x += p.columnStep, s += step)
                convertPixel(line + std::size_t(x) * 4, s);
        }
    };
    switch (ColorType) {
        case 6:
#if defined(__SSE2__)
            if (p.columnStep == 1) {
                std::int64_t y = p.firstRow + startRow * p.rowStep;
                for (std::int64_t i = 0; i < rows; ++i, y += p.rowStep) {
                    const std::uint8_t* s = source + std::size_t(i) * stride + 1;
                    std::uint8_t* line = bits + std::size_t(Height - 1 - y) * dibStride;
                    const std::size_t done = premultiplyRgba(s, line, std::size_t(Width));
                    for (std::size_t x = done; x < std::size_t(Width); ++x)
                        storePixel(line + x * 4, s[x * 4], s[x * 4 + 1], s[x * 4 + 2],
                                   s[x * 4 + 3]);
                }
                break;
            }
#endif
            walk(4, [](std::uint8_t* pixel, const std::uint8_t* s) {
                storePixel(pixel, s[0], s[1], s[2], s[3]);
            });
            break;
        case 4:
            walk(2, [](std::uint8_t* pixel, const std::uint8_t* s) {
                storePixel(pixel, s[0], s[0], s[0], s[1]);
            });
            break;
        default: {
            const bool keyed = TransKey != -1;
            const unsigned keyRed = unsigned(TransKey >> 16) & 255;
            const unsigned keyGreen = unsigned(TransKey >> 8) & 255;
            const unsigned keyBlue = unsigned(TransKey) & 255;
            walk(3, [&](std::uint8_t* pixel, const std::uint8_t* s) {
                const bool transparent =
                    keyed && s[0] == keyRed && s[1] == keyGreen && s[2] == keyBlue;
                storePixel(pixel, s[0], s[1], s[2], transparent ? 0 : 255);
            });
            break;
        }
    }
    return true;
}

bool cPNGparser::ConvertIndexed(const std::uint8_t* source, int pass, std::int64_t startRow,
                                std::int64_t rows, std::size_t stride)
{
    const Pass& p = PassTable[pass];
    const std::size_t dibStride = std::size_t(Width) * 4;
    std::uint8_t* bits = Host->BitsPointer();
    const int depth = BitDepth;
    const unsigned mask = (1u << depth) - 1;
    const std::size_t paletteEntries = Palette.size() / 3;
    std::int64_t y = p.firstRow + startRow * p.rowStep;
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

bool cPNGparser::Convert16bit(const std::uint8_t* source, int pass, std::int64_t startRow,
                              std::int64_t rows, std::size_t stride)
{
    const Pass& p = PassTable[pass];
    const std::size_t dibStride = std::size_t(Width) * 4;
    std::uint8_t* bits = Host->BitsPointer();
    // A key read under another colour type (tRNS before IHDR) may be too short to compare.
    const std::size_t keyBytes = ColorType == 2 ? 6 : 2;
    const bool keyed =
        TransKey != -1 && (ColorType == 0 || ColorType == 2) && TransData.size() >= keyBytes;
    std::int64_t y = p.firstRow + startRow * p.rowStep;
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
