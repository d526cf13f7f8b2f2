#include "image/core/CompositingKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace XrImage {
namespace {

std::uint8_t compositeByte(std::uint32_t s, std::uint32_t d, std::uint32_t k, std::uint32_t C)
{
    return std::uint8_t(std::min(255u, dividedBy255(d * k + s * C)));
}

template <bool Host>
void blendColourScalar(const std::uint8_t* from, std::uint8_t* to, std::uint32_t C)
{
    const std::uint32_t a = from[3];
    if (a == 0)
        return;
    const std::uint32_t k = 255 - dividedBy255(a * C);
    for (int c = 0; c < (Host ? 4 : 3); ++c)
        to[c] = compositeByte(from[c], to[c], k, C);
}

}  // namespace

template <bool Host>
void blendColourRun(const std::uint8_t* s, std::uint8_t* d, std::int64_t count, std::uint32_t C)
{
    std::int64_t i = 0;
#if defined(__SSE2__)
    // Two pixels a register, a channel a 16-bit lane. With no colour above its alpha,
    // D x k + S x C stays below 65536, and (x x 32897) >> 23 is x \ 255 for every such x;
    // a pair holding such a colour goes the scalar way, which holds the result at 255.
    const __m128i zero = _mm_setzero_si128();
    const __m128i constant = _mm_set1_epi16(short(C));
    const __m128i full = _mm_set1_epi16(255);
    const __m128i reciprocal = _mm_set1_epi16(short(32897));
    const __m128i fourthByte = Host ? zero : _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const auto by255 = [&](__m128i x) { return _mm_srli_epi16(_mm_mulhi_epu16(x, reciprocal), 7); };
    const auto blendPair = [&](__m128i s16, __m128i d16, bool& valid) {
        const __m128i a16 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
        valid = _mm_movemask_epi8(_mm_cmpgt_epi16(s16, a16)) == 0;
        const __m128i k = _mm_sub_epi16(full, by255(_mm_mullo_epi16(a16, constant)));
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(d16, k), _mm_mullo_epi16(s16, constant));
        const __m128i keep = _mm_or_si128(_mm_cmpeq_epi16(a16, zero), fourthByte);
        return _mm_or_si128(_mm_and_si128(keep, d16), _mm_andnot_si128(keep, by255(sum)));
    };
    for (; i + 4 <= count; i += 4) {
        const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * 4));
        const __m128i destination = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i * 4));
        bool lowValid = true;
        bool highValid = true;
        const __m128i low = blendPair(_mm_unpacklo_epi8(source, zero),
                                      _mm_unpacklo_epi8(destination, zero), lowValid);
        const __m128i high = blendPair(_mm_unpackhi_epi8(source, zero),
                                       _mm_unpackhi_epi8(destination, zero), highValid);
        if (lowValid && highValid) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i * 4), _mm_packus_epi16(low, high));
            continue;
        }
        for (std::int64_t j = i; j < i + 4; ++j)
            blendColourScalar<Host>(s + j * 4, d + j * 4, C);
    }
#endif
    for (; i < count; ++i)
        blendColourScalar<Host>(s + i * 4, d + i * 4, C);
}

template void blendColourRun<true>(const std::uint8_t*, std::uint8_t*, std::int64_t, std::uint32_t);
template void blendColourRun<false>(const std::uint8_t*, std::uint8_t*, std::int64_t,
                                    std::uint32_t);

bool resampleNearest(const PixelView& source, const PixelView& target, std::int64_t srcx,
                     std::int64_t sy, double xRatio, double yRatio, std::int64_t firstColumn,
                     std::int64_t columns, std::int64_t firstRow, std::int64_t rows)
{
    std::vector<std::uint32_t> offsets(static_cast<std::size_t>(columns));
    for (std::int64_t j = 0; j < columns; ++j) {
        const double px = double(firstColumn + j) * xRatio + double(srcx);
        const auto column = std::int64_t(std::floor(px));
        if (column < 0 || column >= source.width)
            return false;
        offsets[std::size_t(j)] = std::uint32_t(column) * 4;
    }
    for (std::int64_t b = rows - 1; b >= 0; --b) {
        const std::int64_t row = std::int64_t(std::floor(double(firstRow + b) * yRatio)) + sy;
        if (row < 0 || row >= source.height)
            return false;
        const std::uint8_t* from = source.row(std::int32_t(row));
        std::uint8_t* to = target.row(std::int32_t(b));
        for (std::int64_t j = 0; j < columns; ++j)
            std::memcpy(to + j * 4, from + offsets[std::size_t(j)], 4);
    }
    return true;
}

bool resampleWeighted(const PixelView& source, const PixelView& target, std::int64_t srcx,
                      std::int64_t srcwidth, std::int64_t sy, double xRatio, double yRatio,
                      std::int64_t firstColumn, std::int64_t columns, std::int64_t firstRow,
                      std::int64_t rows)
{
    // Each output column's source columns and weights, worked out once: the column alone when
    // it is the rectangle's last, else it and its right neighbour by the fraction.
    struct Tap {
        std::uint32_t offset[2];
        double weight[2];
    };
    const std::int64_t lastColumn = srcx + srcwidth - 1;
    std::vector<Tap> taps(static_cast<std::size_t>(columns));
    for (std::int64_t j = 0; j < columns; ++j) {
        const double px = double(firstColumn + j) * xRatio + double(srcx);
        const auto ix = std::int64_t(std::floor(px));
        const double fx = px - double(ix);
        double weight[2] = {1.0 - fx, fx};
        if (ix == lastColumn) {
            weight[0] = 1.0;
            weight[1] = 0.0;
        }
        std::int64_t column[2] = {ix, ix + 1};
        for (int c = 0; c < 2; ++c) {
            if (weight[c] == 0.0)
                column[c] = column[1 - c];
            else if (column[c] < 0 || column[c] >= source.width)
                return false;
        }
        if (column[0] < 0 || column[0] >= source.width)
            return false;
        taps[std::size_t(j)] = {{std::uint32_t(column[0]) * 4, std::uint32_t(column[1]) * 4},
                                {weight[0], weight[1]}};
    }
    for (std::int64_t b = rows - 1; b >= 0; --b) {
        const double py = double(firstRow + b) * yRatio + double(sy);
        const auto iy = std::int64_t(std::floor(py));
        const double fy = py - double(iy);
        // This row by the fraction and the row below it by the rest (the sample leans
        // downwards; results depend on it); row 0 alone.
        std::int64_t row[2] = {iy, iy - 1};
        double rowWeight[2] = {fy, 1.0 - fy};
        if (iy == 0) {
            rowWeight[0] = 1.0;
            rowWeight[1] = 0.0;
        }
        for (int r = 0; r < 2; ++r) {
            if (rowWeight[r] == 0.0)
                row[r] = row[1 - r];
            else if (row[r] < 0 || row[r] >= source.height)
                return false;
        }
        if (row[0] < 0 || row[0] >= source.height)
            return false;
        const std::uint8_t* upper = source.row(std::int32_t(row[0]));
        const std::uint8_t* lower = source.row(std::int32_t(row[1]));
        std::uint8_t* to = target.row(std::int32_t(b));
        // One source row of weight 1 (a whole-number row position): the other row's terms
        // are exact zeros, and a column of weight 1 alone is its pixel unchanged.
        const int only = rowWeight[0] == 0.0 ? 1 : rowWeight[1] == 0.0 ? 0 : -1;
        if (only >= 0 && rowWeight[only] == 1.0) {
            const std::uint8_t* line = only == 0 ? upper : lower;
            for (std::int64_t j = 0; j < columns; ++j, to += 4) {
                const Tap& tap = taps[std::size_t(j)];
                if (tap.weight[0] == 1.0 && tap.weight[1] == 0.0) {
                    std::memcpy(to, line + tap.offset[0], 4);
                    continue;
                }
                const std::uint8_t* p0 = line + tap.offset[0];
                const std::uint8_t* p1 = line + tap.offset[1];
                for (int channel = 0; channel < 4; ++channel) {
                    double sum = 0.0;
                    sum += double(p0[channel]) * tap.weight[0];
                    sum += double(p1[channel]) * tap.weight[1];
                    to[channel] = std::uint8_t(std::min<std::int64_t>(std::int64_t(sum), 255));
                }
            }
            continue;
        }
        for (std::int64_t j = 0; j < columns; ++j, to += 4) {
            const Tap& tap = taps[std::size_t(j)];
            const double w00 = tap.weight[0] * rowWeight[0];
            const double w01 = tap.weight[1] * rowWeight[0];
            const double w10 = tap.weight[0] * rowWeight[1];
            const double w11 = tap.weight[1] * rowWeight[1];
            const std::uint8_t* p00 = upper + tap.offset[0];
            const std::uint8_t* p01 = upper + tap.offset[1];
            const std::uint8_t* p10 = lower + tap.offset[0];
            const std::uint8_t* p11 = lower + tap.offset[1];
            for (int channel = 0; channel < 4; ++channel) {
                double sum = 0.0;
                sum += double(p00[channel]) * w00;
                sum += double(p01[channel]) * w01;
                sum += double(p10[channel]) * w10;
                sum += double(p11[channel]) * w11;
                // The sum is never negative: truncation is the floor.
                to[channel] = std::uint8_t(std::min<std::int64_t>(std::int64_t(sum), 255));
            }
        }
    }
    return true;
}

}  // namespace XrImage
