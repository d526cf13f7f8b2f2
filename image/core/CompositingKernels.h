// The inner loops of the own drawing road: scaling rows of premultiplied pixels, nearest or
// weighted, and compositing runs of them, with SIMD where the processor has it and the same
// results bit for bit where it does not.
#pragma once

#include "image/core/PixelViews.h"

#include <cstdint>

namespace XrImage {

// Whole-number quotient by 255 of 0 .. 2 x 255 x 255 with a multiply and a shift: the
// estimate is exact or one too big.
inline std::uint32_t dividedBy255(std::uint32_t value)
{
    const std::uint32_t estimate = (value * 32897u) >> 23;
    return estimate - (estimate * 255u > value ? 1u : 0u);
}

// The widest registers the compositing loop may use: Widest is what the processor has; the
// narrower ones give the same results and are there to be compared with it.
enum class VectorWidth { Scalar, Sse2, Widest };

// Composites count premultiplied pixels s over d with constant alpha C (0 to 255):
// D = (D x k + S x C) \ 255 with k = 255 - a x C \ 255 (at C = 255 that is
// D x (255 - a) \ 255 + S), held at 255; a source alpha of 0 keeps the destination. Host
// composites all four bytes; a device context's fourth byte is never written.
template <bool Host>
void blendColourRun(const std::uint8_t* s, std::uint8_t* d, std::int64_t count, std::uint32_t C,
                    VectorWidth width = VectorWidth::Widest);

// Scaling by the nearest pixel: output column j (bottom-up row b) takes the source pixel under
// whole-target column firstColumn + j (row firstRow + b). False when a sample falls outside the
// source (it can come only from rounding).
bool resampleNearest(const PixelView& source, const PixelView& target, std::int64_t srcx,
                     std::int64_t sy, double xRatio, double yRatio, std::int64_t firstColumn,
                     std::int64_t columns, std::int64_t firstRow, std::int64_t rows);

// Weighted scaling: each output pixel is the Double sum of up to four neighbours times the
// product of their column and row weights, added in the order row iy then iy - 1, column ix
// then ix + 1, and truncated (the rule of the own road; see resampleNearest for the rest).
// Scalar is the reference loop, which the vector widths match bit for bit.
bool resampleWeighted(const PixelView& source, const PixelView& target, std::int64_t srcx,
                      std::int64_t srcwidth, std::int64_t sy, double xRatio, double yRatio,
                      std::int64_t firstColumn, std::int64_t columns, std::int64_t firstRow,
                      std::int64_t rows, VectorWidth width = VectorWidth::Widest);

// A large weighted scaling splits its rows into bands over up to this many threads (the
// processor's count, at most 8, unless set); 1 keeps it on the calling thread.
void setScalingThreads(int threads);

}  // namespace XrImage
