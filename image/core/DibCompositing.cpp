// The own drawing road: mirrored copies, scaling, lightness and compositing of premultiplied
// pixels onto a device context or into another image, in integer arithmetic.
#include "image/core/ImageHelpers.h"
#include "image/core/PixelViews.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/runtime/VbNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace XrImage {

bool PixelArray::dimension(std::int32_t pixelsWide, std::int32_t rows)
{
    erase();
    if (pixelsWide < 1 || rows < 1)
        return false;
    const std::int64_t size = std::int64_t(pixelsWide) * rows * 4;
    if (size > std::numeric_limits<std::int32_t>::max())
        return false;
    bytes.assign(std::size_t(size), 0);
    width = pixelsWide;
    height = rows;
    return true;
}

void PixelArray::erase()
{
    std::vector<std::uint8_t>().swap(bytes);
    width = 0;
    height = 0;
    placed = false;
    placedLeft = 0;
    placedTop = 0;
}

namespace {

// The change per unit of alpha for a lightness percentage. Beyond +-100 every channel is
// already at its limit, so the percentage is held there: the same result, without overflow.
float lightnessFactor(float percent)
{
    if (std::isnan(percent))
        return 0.0f;
    return std::clamp(percent, -100.0f, 100.0f) / 100.0f * 255.0f;
}

// Lightness change of one pixel: Percent of its alpha added to (or taken from) each colour.
void lighten(const std::uint8_t* from, std::uint8_t* to, float k)
{
    const int a = from[3];
    if (a == 0)
        return;
    const auto d = std::int64_t(vb::roundHalfEven(double(k * float(a)))) / 255;
    for (int c = 0; c < 3; ++c) {
        const std::int64_t value = from[c] + d;
        to[c] = std::uint8_t(k > 0 ? std::min<std::int64_t>(value, a)
                                   : std::max<std::int64_t>(value, 0));
    }
    to[3] = std::uint8_t(a);
}

// Scaling by the nearest pixel: output column j (bottom-up row b) takes the source pixel under
// whole-target column firstColumn + j (row firstRow + b). False when a sample falls outside the
// source (it can come only from rounding).
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

// Weighted scaling: each output pixel is the Double sum of up to four neighbours times the
// product of their column and row weights, added in the order row iy then iy - 1, column ix
// then ix + 1, and truncated. A neighbour of weight 0 adds exactly 0, so it is read from a
// valid position instead of being skipped; the results are those of skipping it.
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

// Whole-number quotient by 255 of 0 .. 2 x 255 x 255 with a multiply and a shift, which the
// compiler vectorises where it would not a division: the estimate is exact or one too big.
inline std::uint32_t dividedBy255(std::uint32_t value)
{
    const std::uint32_t estimate = (value * 32897u) >> 23;
    return estimate - (estimate * 255u > value ? 1u : 0u);
}

// The compositing table for a run of pixels; Host composites all four channels, a device
// context's colour only blue, green and red. Each mode has its own loop so that the per-pixel
// work is only the table's arithmetic.
struct Compositor {
    int constantAlpha = 255;
    bool grey = false;
    float wR = 0, wG = 0, wB = 0;

    int greyOf(const std::uint8_t* s) const
    {
        const float y = float(s[0]) * wB + float(s[1]) * wG + float(s[2]) * wR;
        return int(vb::roundHalfEven(double(y)));
    }

    template <bool Host, bool Grey, bool Full>
    void run(const std::uint8_t* s, std::uint8_t* d, std::int64_t count) const
    {
        const int C = constantAlpha;
        if constexpr (!Grey) {
            // One formula for every pixel and every constant alpha, with k = 255 - a x C \ 255:
            // D = (D x k + S x C) \ 255, which at C = 255 is D x (255 - a) \ 255 + S; alpha 0
            // keeps the destination, a device context's fourth byte is never written.
            const auto C = std::uint32_t(constantAlpha);
            for (std::int64_t i = 0; i < count; ++i) {
                const std::uint8_t* from = s + i * 4;
                std::uint8_t* to = d + i * 4;
                const std::uint32_t a = from[3];
                const std::uint32_t k = 255 - dividedBy255(a * C);
                std::uint8_t blended[4];
                for (int c = 0; c < 4; ++c)
                    blended[c] = std::uint8_t(
                        std::min(255u, dividedBy255(std::uint32_t(to[c]) * k + from[c] * C)));
                for (int c = 0; c < 4; ++c)
                    to[c] = (a == 0 || (!Host && c == 3)) ? to[c] : blended[c];
            }
            return;
        }
        for (std::int64_t i = 0; i < count; ++i, s += 4, d += 4) {
            const int a = s[3];
            if (a == 0)
                continue;
            const int rounded = greyOf(s);
            const int g = rounded & 255;
            if constexpr (Full) {
                if (a == 255) {
                    d[0] = d[1] = d[2] = std::uint8_t(std::clamp(rounded, 0, 255));
                    if (Host)
                        d[3] = 255;
                    continue;
                }
                for (int c = 0; c < 3; ++c)
                    d[c] = std::uint8_t(std::min(255, d[c] * (255 - a) / 255 + g));
                if (Host)
                    d[3] = std::uint8_t(std::min(255, d[3] * (255 - a) / 255 + a));
            } else {
                const int k = 255 - a * C / 255;
                for (int c = 0; c < 3; ++c)
                    d[c] = std::uint8_t(std::min(255, (d[c] * k + g * C) / 255));
                if (Host)
                    d[3] = std::uint8_t(std::min(255, (d[3] * k + a * C) / 255));
            }
        }
    }

    // Both runs hold 4 bytes a pixel.
    void operator()(const std::uint8_t* s, std::uint8_t* d, std::int64_t count, bool host) const
    {
        const bool full = constantAlpha == 255;
        if (host) {
            if (grey)
                full ? run<true, true, true>(s, d, count) : run<true, true, false>(s, d, count);
            else
                full ? run<true, false, true>(s, d, count) : run<true, false, false>(s, d, count);
        } else {
            if (grey)
                full ? run<false, true, true>(s, d, count) : run<false, true, false>(s, d, count);
            else
                full ? run<false, false, true>(s, d, count) : run<false, false, false>(s, d, count);
        }
    }
};

}  // namespace

bool c32bppDIB::MirrorCopy(std::int32_t& srcx, std::int32_t& srcy, std::int32_t srcwidth,
                           std::int32_t srcheight, std::int32_t& DestWidth,
                           std::int32_t& DestHeight, PixelArray& pixels, c32bppDIB* destination,
                           float& LightAdjustment) const
{
    if (DestWidth >= 1 && DestHeight >= 1)
        return false;
    if (m_dib.isNull() || !pixelRectInside(srcx, srcy, srcwidth, srcheight, m_width, m_height))
        return false;
    const bool vertical = DestHeight < 0;
    const bool horizontal = !(DestWidth > 0 && DestHeight < 0);
    PixelView target;
    if (destination) {
        // The copy fills the destination's rows whole: it must be exactly the rectangle's size.
        if (destination->Width() != srcwidth || destination->Height() != srcheight)
            return false;
        target = PixelView::of(*destination);
    } else {
        if (!pixels.dimension(srcwidth, srcheight))
            return false;
        target = PixelView::of(pixels);
    }
    const PixelView source = PixelView::of(*this);
    // Both kinds take the rectangle in the image's own coordinates (top-down row t of the copy
    // comes from the rectangle's row t, or its row srcheight - 1 - t when turned over).
    for (std::int32_t t = 0; t < srcheight; ++t) {
        const std::int32_t sourceRow = vertical ? srcy + srcheight - 1 - t : srcy + t;
        const std::uint8_t* from = source.topDownRow(sourceRow) + std::size_t(srcx) * 4;
        std::uint8_t* to = target.topDownRow(t);
        if (!horizontal) {
            std::memcpy(to, from, std::size_t(srcwidth) * 4);
            continue;
        }
        for (std::int32_t j = 0; j < srcwidth; ++j)
            std::memcpy(to + std::size_t(j) * 4, from + std::size_t(srcwidth - 1 - j) * 4, 4);
    }
    srcx = 0;
    srcy = 0;
    DestWidth = DestWidth < 0 ? -DestWidth : DestWidth;
    DestHeight = DestHeight < 0 ? -DestHeight : DestHeight;
    if (LightAdjustment != 0.0f) {
        const float k = lightnessFactor(LightAdjustment);
        target.forEachPixel([k](std::uint8_t* pixel) { lighten(pixel, pixel, k); });
        LightAdjustment = 0;
    }
    return true;
}

bool c32bppDIB::ResampleImage(PixelArray& output, PixelArray& input, c32bppDIB* destination,
                              std::int32_t srcx, std::int32_t srcy, std::int32_t srcwidth,
                              std::int32_t srcheight, std::int32_t DestX, std::int32_t DestY,
                              std::int32_t& DestWidth, std::int32_t& DestHeight,
                              float& LightAdjustment, const TargetWindow* visible) const
{
    if (m_dib.isNull())
        return false;
    if (srcwidth == 0)
        srcwidth = m_width;
    if (srcheight == 0)
        srcheight = m_height;
    const PixelView source = input.isDimensioned() ? PixelView::of(input) : PixelView::of(*this);
    if (!pixelRectInside(srcx, srcy, srcwidth, srcheight, source.width, source.height))
        return false;

    // The whole target's size sets the ratios; only the window of it is worked out: past a
    // negative DestX or DestY, and for a scaled draw also outside what the destination shows.
    std::int64_t fullW = 0;
    std::int64_t fullH = 0;
    TargetWindow window;
    if (!destination) {
        fullW = std::llabs(DestWidth);
        fullH = std::llabs(DestHeight);
        if (fullW < 1 || fullH < 1)
            return false;
        window = {std::max<std::int64_t>(0, -std::int64_t(DestX)),
                  std::max<std::int64_t>(0, -std::int64_t(DestY)), fullW, fullH};
        if (visible)
            window = {std::max(window.left, visible->left), std::max(window.top, visible->top),
                      std::min(window.right, visible->right),
                      std::min(window.bottom, visible->bottom)};
    } else {
        if (destination->Handle() == 0)
            return false;
        fullW = destination->Width();
        fullH = destination->Height();
        window = {0, 0, fullW, fullH};
    }
    const std::int64_t newW = window.right - window.left;
    const std::int64_t newH = window.bottom - window.top;
    if (newW < 1 || newH < 1)
        return false;
    const double xRatio = double(srcwidth) / double(fullW);
    const double yRatio = double(srcheight) / double(fullH);

    PixelArray scaled;
    PixelView target;
    if (destination) {
        target = PixelView::of(*destination);
    } else {
        if (newW > std::numeric_limits<std::int32_t>::max() ||
            newH > std::numeric_limits<std::int32_t>::max() ||
            !scaled.dimension(std::int32_t(newW), std::int32_t(newH)))
            return false;
        target = PixelView::of(scaled);
    }
    const std::int64_t sy = std::int64_t(source.height) - srcheight - srcy;
    // Output row b (bottom-up) is the whole target's bottom-up row firstRow + b.
    const std::int64_t firstRow = fullH - window.bottom;
    const bool drawn = m_highQualityInterpolation
                           ? resampleWeighted(source, target, srcx, srcwidth, sy, xRatio, yRatio,
                                              window.left, newW, firstRow, newH)
                           : resampleNearest(source, target, srcx, sy, xRatio, yRatio, window.left,
                                             newW, firstRow, newH);
    if (!drawn)
        return false;

    DestWidth = std::int32_t(newW);
    DestHeight = std::int32_t(newH);
    input.erase();
    if (!destination) {
        output = std::move(scaled);
        output.placed = true;
        output.placedLeft = std::int64_t(DestX) + window.left;
        output.placedTop = std::int64_t(DestY) + window.top;
    }
    if (LightAdjustment != 0.0f) {
        const float k = lightnessFactor(LightAdjustment);
        (destination ? PixelView::of(*destination) : PixelView::of(output))
            .forEachPixel([k](std::uint8_t* pixel) { lighten(pixel, pixel, k); });
        LightAdjustment = 0;
    }
    return true;
}

void c32bppDIB::AdjustLightness(bool copyFromImage, float Percent, PixelArray& pixels,
                                std::int32_t& X, std::int32_t& Y, std::int32_t Width,
                                std::int32_t Height) const
{
    if (Percent == 0.0f || std::isnan(Percent))
        return;
    const float k = lightnessFactor(Percent);
    if (!copyFromImage) {
        if (!pixels.isDimensioned())
            return;
        const PixelView view = PixelView::of(pixels);
        if (!pixelRectInside(X, Y, Width, Height, view.width, view.height))
            return;
        for (std::int32_t t = 0; t < Height; ++t) {
            std::uint8_t* row = view.topDownRow(Y + t) + std::size_t(X) * 4;
            for (std::int32_t j = 0; j < Width; ++j)
                lighten(row + std::size_t(j) * 4, row + std::size_t(j) * 4, k);
        }
    } else {
        if (m_dib.isNull() || !pixelRectInside(X, Y, Width, Height, m_width, m_height))
            return;
        if (!pixels.dimension(Width, Height))
            return;
        const PixelView source = PixelView::of(*this);
        const PixelView target = PixelView::of(pixels);
        for (std::int32_t t = 0; t < Height; ++t) {
            const std::uint8_t* from = source.topDownRow(Y + t) + std::size_t(X) * 4;
            std::uint8_t* to = target.topDownRow(t);
            for (std::int32_t j = 0; j < Width; ++j)
                lighten(from + std::size_t(j) * 4, to + std::size_t(j) * 4, k);
        }
    }
    X = 0;
    Y = 0;
}

bool c32bppDIB::BlendToDC(gdi::DeviceContext* destDC, PixelArray& pixels, std::int32_t srcx,
                          std::int32_t srcy, std::int32_t DestX, std::int32_t DestY,
                          std::int32_t DestWidth, std::int32_t DestHeight,
                          std::int32_t constantAlpha, c32bppDIB* destHostDIB,
                          std::int32_t grayScale, float LightAdjustment) const
{
    if (m_dib.isNull())
        return false;
    if (!pixels.isDimensioned() && LightAdjustment != 0.0f) {
        std::int32_t x = srcx;
        std::int32_t y = srcy;
        AdjustLightness(true, LightAdjustment, pixels, x, y, DestWidth, DestHeight);
        if (!pixels.isDimensioned())
            return false;
    }
    std::int64_t width = DestWidth;
    std::int64_t height = DestHeight;
    std::int64_t left = DestX;
    std::int64_t topEdge = DestY;
    std::int64_t columnStart = 0;
    std::int64_t top = 0;
    PixelView source;
    if (pixels.isDimensioned()) {
        source = PixelView::of(pixels);
        top = height;
        if (pixels.placed) {
            left = pixels.placedLeft;
            topEdge = pixels.placedTop;
        } else {
            if (left < 0) {
                width += left;
                columnStart = -left;
                left = 0;
            }
            if (topEdge < 0) {
                height += topEdge;
                top = height;
                topEdge = 0;
            }
        }
    } else {
        source = PixelView::of(*this);
        std::int64_t x = srcx;
        std::int64_t y = srcy;
        if (left < 0) {
            x -= left;
            width += left;
            left = 0;
        }
        if (topEdge < 0) {
            y -= topEdge;
            height += topEdge;
            topEdge = 0;
        }
        columnStart = x;
        top = std::int64_t(m_height) - y;
    }
    if (destHostDIB) {
        if (destHostDIB->Handle() == 0)
            return false;
        width = std::min<std::int64_t>(width, destHostDIB->Width());
        height = std::min<std::int64_t>(height, destHostDIB->Height());
    }
    if (width < 1 || height < 1)
        return false;

    Compositor composite;
    composite.constantAlpha = int(std::clamp(constantAlpha, 0, 255));
    composite.grey = grayScale != gsclNone;
    if (composite.grey)
        GrayscaleWeights(grayScale, composite.wR, composite.wG, composite.wB);

    // Rows r of the destination (top first) take source row top - 1 - r; pixels that fall
    // outside the source or the destination are skipped.
    auto blendInto = [&](const PixelView& target, std::int64_t targetLeft, std::int64_t targetTop,
                         bool host) {
        for (std::int64_t r = 0; r < height; ++r) {
            const std::int64_t sourceRow = top - 1 - r;
            const std::int64_t targetRow = targetTop + r;
            if (sourceRow < 0 || sourceRow >= source.height || targetRow < 0 ||
                targetRow >= target.height)
                continue;
            const std::uint8_t* from = source.row(std::int32_t(sourceRow));
            std::uint8_t* to = target.topDownRow(std::int32_t(targetRow));
            const std::int64_t first = std::max<std::int64_t>({0, -columnStart, -targetLeft});
            const std::int64_t end = std::min<std::int64_t>(
                {width, source.width - columnStart, target.width - targetLeft});
            if (end > first)
                composite(from + (columnStart + first) * 4, to + (targetLeft + first) * 4,
                          end - first, host);
        }
    };

    if (destHostDIB) {
        blendInto(PixelView::of(*destHostDIB), left, topEdge, true);
        pixels.erase();
        return true;
    }
    if (!destDC)
        return false;
    // A device context over a premultiplied image composites all four channels, so that its
    // colour never exceeds its alpha.
    if (destDC->bitmap().isBottomUp()) {
        blendInto(PixelView::of(destDC->bitmap()), left, topEdge, true);
        pixels.erase();
        return true;
    }
    // Any other surface has colour only. One pixel to a device pixel and no clip region: the
    // colour is composited in place, as copying it out and back would give.
    if (!destDC->clipRgn() && destDC->bitmap().devicePixelRatio() == 1.0) {
        blendInto(PixelView::of(destDC->bitmap()), left, topEdge, false);
        pixels.erase();
        return true;
    }
    // Otherwise its rectangle is copied out, composited and put back.
    const gdi::Bitmap buffer = gdi::Bitmap::create(int(width), int(height), 1.0);
    if (buffer.isNull())
        return false;
    gdi::DeviceContext bufferDC;
    bufferDC.selectBitmap(buffer);
    bufferDC.bitBlt(0, 0, int(width), int(height), *destDC, int(left), int(topEdge));
    blendInto(PixelView::of(buffer), 0, 0, false);
    pixels.erase();
    destDC->bitBlt(int(left), int(topEdge), int(width), int(height), bufferDC, 0, 0);
    return true;
}

}  // namespace XrImage
