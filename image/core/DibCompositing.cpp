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
    clippedToDestination = false;
}

namespace {

std::uint8_t clampByte(std::int64_t value)
{
    return std::uint8_t(std::clamp<std::int64_t>(value, 0, 255));
}

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
            int kOf[256];
            for (int a = 0; a < 256; ++a)
                kOf[a] = 255 - a * C / 255;
            // One formula for every pixel: alpha 0 keeps the destination, and alpha 255 at full
            // opacity reduces to a copy (k = 0).
            constexpr int channels = Host ? 4 : 3;
            for (std::int64_t i = 0; i < count; ++i) {
                const std::uint8_t* from = s + i * 4;
                std::uint8_t* to = d + i * 4;
                const int a = from[3];
                const int k = Full ? 255 - a : kOf[a];
                for (int c = 0; c < channels; ++c) {
                    const int blended =
                        Full ? to[c] * k / 255 + from[c] : (to[c] * k + from[c] * C) / 255;
                    to[c] = std::uint8_t(a == 0 ? to[c] : std::min(255, blended));
                }
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
                              float& LightAdjustment) const
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

    std::int64_t newW = 0;
    std::int64_t newH = 0;
    std::int64_t skip = 0;
    double xRatio = 0;
    double yRatio = 0;
    bool clipped = false;
    if (!destination) {
        newW = std::llabs(DestWidth);
        newH = std::llabs(DestHeight);
        if (newW < 1 || newH < 1)
            return false;
        xRatio = double(srcwidth) / double(newW);
        yRatio = double(srcheight) / double(newH);
        if (DestX < 0) {
            newW += DestX;
            skip = -std::int64_t(DestX);
            clipped = true;
        }
        if (DestY < 0) {
            newH += DestY;
            clipped = true;
        }
    } else {
        if (destination->Handle() == 0)
            return false;
        newW = destination->Width();
        newH = destination->Height();
        xRatio = double(srcwidth) / double(newW);
        yRatio = double(srcheight) / double(newH);
    }
    if (newW < 1 || newH < 1)
        return false;

    PixelArray scaled;
    PixelView target;
    if (destination) {
        target = PixelView::of(*destination);
    } else {
        if (!scaled.dimension(std::int32_t(newW), std::int32_t(newH)))
            return false;
        target = PixelView::of(scaled);
    }
    const std::int64_t sy = std::int64_t(source.height) - srcheight - srcy;
    const std::int64_t lastColumn = std::int64_t(srcx) + srcwidth - 1;
    std::vector<double> columns(static_cast<std::size_t>(newW));
    for (std::int64_t x = 0; x < newW; ++x)
        columns[std::size_t(x)] = double(x + skip) * xRatio + srcx;
    // A sample outside the source ends the call (it can come only from rounding).
    auto inside = [&](std::int64_t column, std::int64_t row) {
        return column >= 0 && column < source.width && row >= 0 && row < source.height;
    };

    if (!m_highQualityInterpolation) {
        for (std::int64_t y = newH - 1; y >= 0; --y) {
            const std::int64_t row = std::int64_t(std::floor(double(y) * yRatio)) + sy;
            std::uint8_t* to = target.row(std::int32_t(y));
            for (std::int64_t x = 0; x < newW; ++x) {
                const auto column = std::int64_t(std::floor(columns[std::size_t(x)]));
                if (!inside(column, row))
                    return false;
                std::memcpy(to + x * 4, source.row(std::int32_t(row)) + column * 4, 4);
            }
        }
    } else {
        // Each target column's source columns and weights, worked out once: the column alone
        // when it is the rectangle's last, else it and its right neighbour by the fraction.
        struct Tap {
            std::int64_t column[2];
            double weight[2];
        };
        std::vector<Tap> taps(static_cast<std::size_t>(newW));
        for (std::int64_t x = 0; x < newW; ++x) {
            const double px = columns[std::size_t(x)];
            const auto ix = std::int64_t(std::floor(px));
            const double fx = px - double(ix);
            Tap& tap = taps[std::size_t(x)];
            tap = {{ix, ix + 1}, {1.0 - fx, fx}};
            if (ix == lastColumn) {
                tap.weight[0] = 1.0;
                tap.weight[1] = 0.0;
            }
            for (int c = 0; c < 2; ++c)
                if (tap.weight[c] != 0.0 && !inside(tap.column[c], 0))
                    return false;
        }
        for (std::int64_t y = newH - 1; y >= 0; --y) {
            const double py = double(y) * yRatio + double(sy);
            const auto iy = std::int64_t(std::floor(py));
            const double fy = py - double(iy);
            // Rows and their weights: row 0 alone, else this row by the fraction and the row
            // below it by the rest (the sample leans downwards; results depend on it).
            const std::int64_t rows[2] = {iy, iy - 1};
            double rowWeights[2] = {fy, 1.0 - fy};
            if (iy == 0) {
                rowWeights[0] = 1.0;
                rowWeights[1] = 0.0;
            }
            const std::uint8_t* rowPixels[2] = {nullptr, nullptr};
            for (int r = 0; r < 2; ++r) {
                if (rowWeights[r] == 0.0)
                    continue;
                if (!inside(0, rows[r]))
                    return false;
                rowPixels[r] = source.row(std::int32_t(rows[r]));
            }
            std::uint8_t* to = target.row(std::int32_t(y));
            for (std::int64_t x = 0; x < newW; ++x) {
                const Tap& tap = taps[std::size_t(x)];
                double sums[4] = {0, 0, 0, 0};
                for (int r = 0; r < 2; ++r) {
                    if (!rowPixels[r])
                        continue;
                    for (int c = 0; c < 2; ++c) {
                        if (tap.weight[c] == 0.0)
                            continue;
                        const std::uint8_t* from = rowPixels[r] + tap.column[c] * 4;
                        const double weight = tap.weight[c] * rowWeights[r];
                        for (int channel = 0; channel < 4; ++channel)
                            sums[channel] += double(from[channel]) * weight;
                    }
                }
                for (int channel = 0; channel < 4; ++channel)
                    to[x * 4 + channel] = clampByte(std::int64_t(std::floor(sums[channel])));
            }
        }
    }

    DestWidth = std::int32_t(newW);
    DestHeight = std::int32_t(newH);
    input.erase();
    if (!destination) {
        output = std::move(scaled);
        output.clippedToDestination = clipped;
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
        if (pixels.clippedToDestination) {
            left = std::max<std::int64_t>(left, 0);
            topEdge = std::max<std::int64_t>(topEdge, 0);
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
