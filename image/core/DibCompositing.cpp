// The own drawing road: mirrored copies, scaling, lightness and compositing of premultiplied
// pixels onto a device context or into another image, in integer arithmetic.
#include "image/core/CompositingKernels.h"
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
            blendColourRun<Host>(s, d, count, std::uint32_t(constantAlpha));
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
