#include "image/core/CompositingKernels.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
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

#if defined(__SSE2__)
// The vector operations the compositing steps use, on 4 pixels a register. anyAbove: whether
// any colour lane exceeds its alpha lane.
struct Lanes4 {
    using V = __m128i;
    static constexpr std::int64_t pixels = 4;
    static V load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
    static void store(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
    static V splat16(std::uint32_t x) { return _mm_set1_epi16(short(x)); }
    static V splat32(std::uint32_t x) { return _mm_set1_epi32(std::int32_t(x)); }
    static V low(V x) { return _mm_unpacklo_epi8(x, _mm_setzero_si128()); }
    static V high(V x) { return _mm_unpackhi_epi8(x, _mm_setzero_si128()); }
    static V alphaOf(V x) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xFF), 0xFF); }
    static bool anyAbove(V low, V lowAlpha, V high, V highAlpha)
    {
        return _mm_movemask_epi8(_mm_or_si128(_mm_cmpgt_epi16(low, lowAlpha),
                                              _mm_cmpgt_epi16(high, highAlpha))) != 0;
    }
    static V add(V a, V b) { return _mm_add_epi16(a, b); }
    static V sub(V a, V b) { return _mm_sub_epi16(a, b); }
    static V mul(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V by255(V x) { return _mm_srli_epi16(_mm_mulhi_epu16(x, splat16(32897)), 7); }
    static V pack(V a, V b) { return _mm_packus_epi16(a, b); }
    static V select(V mask, V ifSet, V ifClear)
    {
        return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
    }
};

// Built with GCC only: the wide steps go through inlined code of the default target, which
// clang refuses for wide vectors (there the 4-pixel steps serve).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__AVX2__)
#define SCRIVET_WIDE_LANES 1
#define SCRIVET_WIDE [[gnu::target("avx2")]]
#elif defined(__AVX2__) && !defined(__clang__)
#define SCRIVET_WIDE_LANES 1
#define SCRIVET_WIDE
#endif

#if defined(SCRIVET_WIDE_LANES)
// The steps below are written once for both widths and are all inlined into the one function
// built for the wider registers, so no wide value ever crosses a call.
#pragma GCC diagnostic ignored "-Wpsabi"

// The same on 8 pixels a register. Unpacking and packing both work within each half of the
// register, so the pixels come back in their order.
struct Lanes8 {
    using V = __m256i;
    static constexpr std::int64_t pixels = 8;
    SCRIVET_WIDE static V load(const std::uint8_t* p)
    {
        return _mm256_loadu_si256(reinterpret_cast<const V*>(p));
    }
    SCRIVET_WIDE static void store(std::uint8_t* p, V v)
    {
        _mm256_storeu_si256(reinterpret_cast<V*>(p), v);
    }
    SCRIVET_WIDE static V splat16(std::uint32_t x) { return _mm256_set1_epi16(short(x)); }
    SCRIVET_WIDE static V splat32(std::uint32_t x) { return _mm256_set1_epi32(std::int32_t(x)); }
    SCRIVET_WIDE static V low(V x) { return _mm256_unpacklo_epi8(x, _mm256_setzero_si256()); }
    SCRIVET_WIDE static V high(V x) { return _mm256_unpackhi_epi8(x, _mm256_setzero_si256()); }
    SCRIVET_WIDE static V alphaOf(V x)
    {
        return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, 0xFF), 0xFF);
    }
    SCRIVET_WIDE static bool anyAbove(V low, V lowAlpha, V high, V highAlpha)
    {
        return _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpgt_epi16(low, lowAlpha),
                                                    _mm256_cmpgt_epi16(high, highAlpha))) != 0;
    }
    SCRIVET_WIDE static V add(V a, V b) { return _mm256_add_epi16(a, b); }
    SCRIVET_WIDE static V sub(V a, V b) { return _mm256_sub_epi16(a, b); }
    SCRIVET_WIDE static V mul(V a, V b) { return _mm256_mullo_epi16(a, b); }
    SCRIVET_WIDE static V by255(V x)
    {
        return _mm256_srli_epi16(_mm256_mulhi_epu16(x, splat16(32897)), 7);
    }
    SCRIVET_WIDE static V pack(V a, V b) { return _mm256_packus_epi16(a, b); }
    SCRIVET_WIDE static V select(V mask, V ifSet, V ifClear)
    {
        return _mm256_blendv_epi8(ifClear, ifSet, mask);
    }
};
#endif

// Composites whole registers of pixels from i on; returns where it stopped. A channel is a
// 16-bit lane. With no colour above its alpha, D x k + S x C stays below 65536, and
// (x x 32897) >> 23 is x \ 255 for every such x; a source alpha of 0 then has colour 0 and
// k = 255, which gives D back unchanged. A register holding a colour above its alpha goes the
// scalar way, which holds the result at 255.
template <bool Host, typename L>
[[gnu::always_inline]] inline std::int64_t blendColourSteps(const std::uint8_t* s, std::uint8_t* d,
                                                            std::int64_t i, std::int64_t count,
                                                            std::uint32_t C)
{
    using V = typename L::V;
    const V constant = L::splat16(C);
    const V full = L::splat16(255);
    const V fourthByte = L::splat32(Host ? 0 : 0xFF000000u);
    for (; i + L::pixels <= count; i += L::pixels) {
        const V source = L::load(s + i * 4);
        const V destination = L::load(d + i * 4);
        const V sLow = L::low(source);
        const V sHigh = L::high(source);
        const V aLow = L::alphaOf(sLow);
        const V aHigh = L::alphaOf(sHigh);
        if (L::anyAbove(sLow, aLow, sHigh, aHigh)) {
            for (std::int64_t j = i; j < i + L::pixels; ++j)
                blendColourScalar<Host>(s + j * 4, d + j * 4, C);
            continue;
        }
        const V dLow = L::low(destination);
        const V dHigh = L::high(destination);
        const V kLow = L::sub(full, L::by255(L::mul(aLow, constant)));
        const V kHigh = L::sub(full, L::by255(L::mul(aHigh, constant)));
        const V blended = L::pack(L::by255(L::add(L::mul(dLow, kLow), L::mul(sLow, constant))),
                                  L::by255(L::add(L::mul(dHigh, kHigh), L::mul(sHigh, constant))));
        L::store(d + i * 4, L::select(fourthByte, destination, blended));
    }
    return i;
}

#if defined(SCRIVET_WIDE_LANES)
// Also keeps the loop in the newer instruction encoding: code that ran before (library code
// built for newer processors) can leave the upper halves of the vector registers in use, and
// the older encoding then pays for merging them on every instruction, more than doubling the
// loop's time.
template <bool Host>
SCRIVET_WIDE [[gnu::flatten]] std::int64_t blendColourWide(const std::uint8_t* s, std::uint8_t* d,
                                                           std::int64_t count, std::uint32_t C)
{
    const std::int64_t i = blendColourSteps<Host, Lanes8>(s, d, 0, count, C);
    return blendColourSteps<Host, Lanes4>(s, d, i, count, C);
}

bool wideLanesAvailable()
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}
#endif
#endif

}  // namespace

template <bool Host>
void blendColourRun(const std::uint8_t* s, std::uint8_t* d, std::int64_t count, std::uint32_t C,
                    [[maybe_unused]] VectorWidth width)
{
    std::int64_t i = 0;
#if defined(SCRIVET_WIDE_LANES)
    if (width == VectorWidth::Widest && wideLanesAvailable())
        i = blendColourWide<Host>(s, d, count, C);
#endif
#if defined(__SSE2__)
    if (width != VectorWidth::Scalar)
        i = blendColourSteps<Host, Lanes4>(s, d, i, count, C);
#endif
    for (; i < count; ++i)
        blendColourScalar<Host>(s + i * 4, d + i * 4, C);
}

template void blendColourRun<true>(const std::uint8_t*, std::uint8_t*, std::int64_t, std::uint32_t,
                                   VectorWidth);
template void blendColourRun<false>(const std::uint8_t*, std::uint8_t*, std::int64_t, std::uint32_t,
                                    VectorWidth);

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

namespace {

// An output column's source columns (byte offsets in a row) and their weights.
struct Tap {
    std::uint32_t offset[2];
    double weight[2];
};

// The rows of one output row: the first weighted by rowWeight[0], the second by rowWeight[1].
struct RowSpan {
    const std::uint8_t* upper;
    const std::uint8_t* lower;
    double rowWeight[2];
};

// The reference loops, and the fallback: one channel at a time in Double. One source row of
// weight 1 (a whole-number row position): the other row's terms are exact zeros, and a column
// of weight 1 alone is its pixel unchanged.
void weightedRowScalar(const RowSpan& span, const Tap* taps, std::int64_t columns, std::uint8_t* to)
{
    const double* rowWeight = span.rowWeight;
    const int only = rowWeight[0] == 0.0 ? 1 : rowWeight[1] == 0.0 ? 0 : -1;
    if (only >= 0 && rowWeight[only] == 1.0) {
        const std::uint8_t* line = only == 0 ? span.upper : span.lower;
        for (std::int64_t j = 0; j < columns; ++j, to += 4) {
            const Tap& tap = taps[j];
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
        return;
    }
    for (std::int64_t j = 0; j < columns; ++j, to += 4) {
        const Tap& tap = taps[j];
        const double w00 = tap.weight[0] * rowWeight[0];
        const double w01 = tap.weight[1] * rowWeight[0];
        const double w10 = tap.weight[0] * rowWeight[1];
        const double w11 = tap.weight[1] * rowWeight[1];
        const std::uint8_t* p00 = span.upper + tap.offset[0];
        const std::uint8_t* p01 = span.upper + tap.offset[1];
        const std::uint8_t* p10 = span.lower + tap.offset[0];
        const std::uint8_t* p11 = span.lower + tap.offset[1];
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

// What the vector loops share with the reference: a row of weight 1 alone whose columns all
// have weight 1 is a plain gather of pixels.
bool gatherRow(const RowSpan& span, bool columnsWhole, const std::uint32_t* offsets,
               std::int64_t columns, std::uint8_t* to)
{
    const double* rowWeight = span.rowWeight;
    const int only = rowWeight[0] == 0.0 ? 1 : rowWeight[1] == 0.0 ? 0 : -1;
    if (!columnsWhole || only < 0 || rowWeight[only] != 1.0)
        return false;
    const std::uint8_t* line = only == 0 ? span.upper : span.lower;
    for (std::int64_t j = 0; j < columns; ++j)
        std::memcpy(to + j * 4, line + offsets[j], 4);
    return true;
}

std::uint32_t pixelBits(const std::uint8_t* p)
{
    std::uint32_t bits;
    std::memcpy(&bits, p, 4);
    return bits;
}

#if defined(__SSE2__)
// The vector loops give the reference's results bit for bit: every term is the same Double
// product, added in the same order (the reference's leading 0.0 + x is x, and its zero terms
// add +0), and truncated the same way. A row of weight 1 alone is the four-term sum with the
// other row's terms zero, so one loop serves both. Neither may fuse a multiply with its add,
// which no target here enables.

// Two doubles a register: blue and green in one, red and alpha in the other.
void weightedRowSse2(const RowSpan& span, const Tap* taps, std::int64_t columns, std::uint8_t* to)
{
    const __m128i zero = _mm_setzero_si128();
    auto widen = [&](const std::uint8_t* p, __m128d& low, __m128d& high) {
        const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(pixelBits(p))), zero);
        const __m128i lanes = _mm_unpacklo_epi16(words, zero);
        low = _mm_cvtepi32_pd(lanes);
        high = _mm_cvtepi32_pd(_mm_shuffle_epi32(lanes, 0xEE));
    };
    const double wy0 = span.rowWeight[0];
    const double wy1 = span.rowWeight[1];
    for (std::int64_t j = 0; j < columns; ++j, to += 4) {
        const Tap& tap = taps[j];
        const __m128d weights[4] = {
            _mm_set1_pd(tap.weight[0] * wy0), _mm_set1_pd(tap.weight[1] * wy0),
            _mm_set1_pd(tap.weight[0] * wy1), _mm_set1_pd(tap.weight[1] * wy1)};
        const std::uint8_t* pixels[4] = {span.upper + tap.offset[0], span.upper + tap.offset[1],
                                         span.lower + tap.offset[0], span.lower + tap.offset[1]};
        __m128d low;
        __m128d high;
        widen(pixels[0], low, high);
        low = _mm_mul_pd(low, weights[0]);
        high = _mm_mul_pd(high, weights[0]);
        for (int term = 1; term < 4; ++term) {
            __m128d termLow;
            __m128d termHigh;
            widen(pixels[term], termLow, termHigh);
            low = _mm_add_pd(low, _mm_mul_pd(termLow, weights[term]));
            high = _mm_add_pd(high, _mm_mul_pd(termHigh, weights[term]));
        }
        // Sums are 0 to a hair over 255: truncating to 32 bits and packing with saturation is
        // the reference's truncation held at 255.
        const __m128i whole = _mm_unpacklo_epi64(_mm_cvttpd_epi32(low), _mm_cvttpd_epi32(high));
        const __m128i words = _mm_packs_epi32(whole, whole);
        const std::uint32_t bits = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
        std::memcpy(to, &bits, 4);
    }
}

#if defined(SCRIVET_WIDE_LANES)
// Four doubles a register: a whole pixel.
SCRIVET_WIDE void weightedRowWide(const RowSpan& span, const Tap* taps, std::int64_t columns,
                                  std::uint8_t* to)
{
    const double wy0 = span.rowWeight[0];
    const double wy1 = span.rowWeight[1];
    for (std::int64_t j = 0; j < columns; ++j, to += 4) {
        const Tap& tap = taps[j];
        const double weights[4] = {tap.weight[0] * wy0, tap.weight[1] * wy0, tap.weight[0] * wy1,
                                   tap.weight[1] * wy1};
        const std::uint8_t* pixels[4] = {span.upper + tap.offset[0], span.upper + tap.offset[1],
                                         span.lower + tap.offset[0], span.lower + tap.offset[1]};
        __m256d sum = _mm256_setzero_pd();
        for (int term = 0; term < 4; ++term) {
            const __m256d channels = _mm256_cvtepi32_pd(
                _mm_cvtepu8_epi32(_mm_cvtsi32_si128(int(pixelBits(pixels[term])))));
            const __m256d product = _mm256_mul_pd(channels, _mm256_set1_pd(weights[term]));
            sum = term == 0 ? product : _mm256_add_pd(sum, product);
        }
        const __m128i whole = _mm256_cvttpd_epi32(sum);
        const __m128i words = _mm_packs_epi32(whole, whole);
        const std::uint32_t bits = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
        std::memcpy(to, &bits, 4);
    }
}
#endif
#endif

std::atomic<int> scalingThreads{int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u))};

// Rows shared out in chunks to whichever thread asks next, the calling thread among them, so
// that a helper the system is slow to start or to run holds up no more than the chunk it took.
// Helpers hold the state alive: one that starts after the work is done finds no chunk and
// never touches the caller's draw.
struct RowChunks {
    std::function<void(std::int64_t, std::int64_t)> draw;
    std::int64_t count = 0;
    std::int64_t chunkRows = 1;
    std::atomic<std::int64_t> next{0};
    std::int64_t rowsDone = 0;  // under the mutex
    std::mutex mutex;
    std::condition_variable finished;

    void work()
    {
        for (;;) {
            const std::int64_t first = next.fetch_add(chunkRows);
            if (first >= count)
                return;
            const std::int64_t end = std::min(count, first + chunkRows);
            draw(first, end);
            std::lock_guard<std::mutex> lock(mutex);
            rowsDone += end - first;
            if (rowsDone == count)
                finished.notify_all();
        }
    }
};

// Runs draw(first, end) over the rows 0 to count, on helper threads too when there is enough
// work to pay for starting them (about 64 K output pixels a thread, chunks of about 16 K).
template <typename Draw>
void inBands(std::int64_t count, std::int64_t columns, const Draw& draw)
{
    const std::int64_t threads = std::clamp<std::int64_t>(std::min(count * columns / 65536, count),
                                                          1, scalingThreads.load());
    if (threads == 1) {
        draw(0, count);
        return;
    }
    auto chunks = std::make_shared<RowChunks>();
    chunks->draw = draw;
    chunks->count = count;
    chunks->chunkRows = std::max<std::int64_t>(1, 16384 / std::max<std::int64_t>(1, columns));
    for (std::int64_t helper = 1; helper < threads; ++helper) {
        try {
            std::thread([chunks] { chunks->work(); }).detach();
        } catch (const std::system_error&) {
            break;  // this thread does the rest
        }
    }
    chunks->work();
    std::unique_lock<std::mutex> lock(chunks->mutex);
    chunks->finished.wait(lock, [&] { return chunks->rowsDone == chunks->count; });
}

}  // namespace

void setScalingThreads(int threads)
{
    scalingThreads.store(std::max(1, threads));
}

bool resampleWeighted(const PixelView& source, const PixelView& target, std::int64_t srcx,
                      std::int64_t srcwidth, std::int64_t sy, double xRatio, double yRatio,
                      std::int64_t firstColumn, std::int64_t columns, std::int64_t firstRow,
                      std::int64_t rows, [[maybe_unused]] VectorWidth width)
{
    // Each output column's source columns and weights, worked out once: the column alone when
    // it is the rectangle's last, else it and its right neighbour by the fraction.
    const std::int64_t lastColumn = srcx + srcwidth - 1;
    std::vector<Tap> taps(static_cast<std::size_t>(columns));
    std::vector<std::uint32_t> offsets(static_cast<std::size_t>(columns));
    bool columnsWhole = true;
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
        offsets[std::size_t(j)] = std::uint32_t(column[0]) * 4;
        columnsWhole = columnsWhole && weight[0] == 1.0 && weight[1] == 0.0;
    }
    auto weightedRow = weightedRowScalar;
#if defined(__SSE2__)
    if (width != VectorWidth::Scalar)
        weightedRow = weightedRowSse2;
#if defined(SCRIVET_WIDE_LANES)
    if (width == VectorWidth::Widest && wideLanesAvailable())
        weightedRow = weightedRowWide;
#endif
#endif
    // Output row b's source rows and weights: this row by the fraction and the row below it
    // by the rest (the sample leans downwards; results depend on it); row 0 alone. False when
    // a weighted row falls outside the source.
    auto spanOf = [&](std::int64_t b, RowSpan& span) {
        const double py = double(firstRow + b) * yRatio + double(sy);
        const auto iy = std::int64_t(std::floor(py));
        const double fy = py - double(iy);
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
        span = {source.row(std::int32_t(row[0])),
                source.row(std::int32_t(row[1])),
                {rowWeight[0], rowWeight[1]}};
        return true;
    };
    // Rows are drawn from the top down to the first that cannot be (none past it is written),
    // the k-th being bottom-up row rows - 1 - k.
    std::int64_t drawable = 0;
    RowSpan span{};
    while (drawable < rows && spanOf(rows - 1 - drawable, span))
        ++drawable;
    inBands(drawable, columns, [&](std::int64_t first, std::int64_t end) {
        RowSpan band{};
        for (std::int64_t k = first; k < end; ++k) {
            spanOf(rows - 1 - k, band);
            std::uint8_t* to = target.row(std::int32_t(rows - 1 - k));
            if (!gatherRow(band, columnsWhole, offsets.data(), columns, to))
                weightedRow(band, taps.data(), columns, to);
        }
    });
    return drawable == rows;
}

}  // namespace XrImage
