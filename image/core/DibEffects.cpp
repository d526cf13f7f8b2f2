// Pixel effects on the image's own premultiplied pixels: greyscale, inversion, a colour made
// transparent and back, mirroring, drop shadows, lightness and blending toward a colour.
#include "image/core/ImageHelpers.h"
#include "image/core/PixelViews.h"
#include "image/core/c32bppDIB.h"
#include "platform/runtime/VbNumbers.h"

#include <algorithm>
#include <cstring>

namespace XrImage {
namespace {

struct Rgb {
    int red, green, blue;
};

Rgb rgbOf(std::int32_t colour)
{
    return {colour & 255, (colour >> 8) & 255, (colour >> 16) & 255};
}

}  // namespace

bool c32bppDIB::MakeGrayScale(std::int32_t Formula)
{
    if (m_dib.isNull() || Formula == gsclNone)
        return false;
    float wR = 0, wG = 0, wB = 0;
    GrayscaleWeights(Formula, wR, wG, wB);
    PixelView::of(*this).forEachPixel([&](std::uint8_t* pixel) {
        if (pixel[3] == 0)
            return;
        const float grey = float(pixel[2]) * wR + float(pixel[1]) * wG + float(pixel[0]) * wB;
        const auto value = std::int64_t(vb::roundHalfEven(double(grey)));
        pixel[0] = std::uint8_t(std::clamp<std::int64_t>(value, 0, pixel[3]));
        pixel[1] = pixel[0];
        pixel[2] = pixel[0];
    });
    return true;
}

bool c32bppDIB::MakeImageInverse()
{
    if (m_dib.isNull())
        return false;
    PixelView::of(*this).forEachPixel([](std::uint8_t* pixel) {
        const std::uint8_t alpha = pixel[3];
        if (alpha == 0)
            return;
        for (int c = 0; c < 3; ++c) {
            // A colour above its alpha is no valid premultiplied value: left as it is.
            if (pixel[c] <= alpha)
                pixel[c] = std::uint8_t(alpha - pixel[c]);
        }
    });
    return true;
}

bool c32bppDIB::MakeTransparent(std::int32_t TransparentColor, bool Revert)
{
    if (m_dib.isNull())
        return false;
    const Rgb colour = rgbOf(TransparentColor);
    const std::uint8_t opaque[4] = {std::uint8_t(colour.blue), std::uint8_t(colour.green),
                                    std::uint8_t(colour.red), 255};
    const std::uint8_t clear[4] = {0, 0, 0, 0};
    const PixelView pixels = PixelView::of(*this);
    if (!Revert) {
        bool changed = false;
        pixels.forEachPixel([&](std::uint8_t* pixel) {
            if (std::memcmp(pixel, opaque, 4) != 0)
                return;
            std::memset(pixel, 0, 4);
            changed = true;
        });
        if (changed) {
            m_alpha = true;
            if (m_imageType == imgBitmap)
                m_imageType = imgBmpPARGB;
        }
        return true;
    }
    pixels.forEachPixel([&](std::uint8_t* pixel) {
        if (std::memcmp(pixel, clear, 4) == 0)
            std::memcpy(pixel, opaque, 4);
    });
    bool hasAlpha = false;
    std::int32_t format = imgNone;
    ClassifyAlpha(std::span<std::uint8_t>(m_bits, std::size_t(m_width) * 4 * std::size_t(m_height)),
                  false, hasAlpha, format);
    m_alpha = hasAlpha;
    if (!hasAlpha && (m_imageType == imgBmpARGB || m_imageType == imgBmpPARGB))
        m_imageType = imgBitmap;
    return true;
}

bool c32bppDIB::MirrorImage(bool MirrorAxisX, bool MirrorAxisY)
{
    if (m_dib.isNull() || (!MirrorAxisX && !MirrorAxisY))
        return false;
    std::int32_t x = 0, y = 0;
    std::int32_t width = MirrorAxisX ? -m_width : m_width;
    std::int32_t height = MirrorAxisY ? -m_height : m_height;
    float noLight = 0;
    PixelArray mirrored;
    if (!MirrorCopy(x, y, m_width, m_height, width, height, mirrored, nullptr, noLight))
        return false;
    std::memcpy(m_bits, mirrored.bytes.data(), mirrored.bytes.size());
    return true;
}

std::unique_ptr<c32bppDIB> c32bppDIB::CreateDropShadow(std::int32_t blurDepth,
                                                       std::int32_t Color) const
{
    if (m_dib.isNull())
        return nullptr;
    blurDepth = std::clamp(blurDepth, 0, 10);
    const std::int32_t d = 2 * blurDepth;
    const std::int64_t divisor = std::int64_t(d + 1) * (d + 1);
    if (std::int64_t(m_width) + d > INT32_MAX || std::int64_t(m_height) + d > INT32_MAX)
        return nullptr;
    // The shadow is drawn on the same platform roads as the image.
    auto shadow = std::make_unique<c32bppDIB>();
    shadow->LetisGDIplusEnabled(isGDIplusEnabled());
    shadow->LetisAlphaBlendFriendly(isAlphaBlendFriendly());
    shadow->LetgdiToken(m_gdiToken);
    if (!shadow->InitializeDIB(m_width + d, m_height + d))
        return nullptr;
    const Rgb colour = rgbOf(Color);
    const std::uint8_t* source = m_bits;
    std::uint8_t* target = shadow->BitsPointer();
    const std::int32_t shadowWidth = m_width + d;
    const std::int32_t shadowHeight = m_height + d;
    auto sourceAlpha = [&](std::int32_t column, std::int32_t row) -> std::int64_t {
        return source[(std::size_t(row) * std::size_t(m_width) + std::size_t(column)) * 4 + 3];
    };
    // Column sums of the source rows r - d .. r, kept as the shadow row moves down.
    std::vector<std::int64_t> columnSums(std::size_t(m_width), 0);
    for (std::int32_t r = 0; r < shadowHeight; ++r) {
        if (r < m_height)
            for (std::int32_t c = 0; c < m_width; ++c)
                columnSums[std::size_t(c)] += sourceAlpha(c, r);
        if (r - d - 1 >= 0 && r - d - 1 < m_height)
            for (std::int32_t c = 0; c < m_width; ++c)
                columnSums[std::size_t(c)] -= sourceAlpha(c, r - d - 1);
        std::int64_t total = 0;
        std::uint8_t* row = target + std::size_t(r) * std::size_t(shadowWidth) * 4;
        for (std::int32_t c = 0; c < shadowWidth; ++c) {
            if (c < m_width)
                total += columnSums[std::size_t(c)];
            if (c - d - 1 >= 0 && c - d - 1 < m_width)
                total -= columnSums[std::size_t(c - d - 1)];
            const auto alpha = std::int32_t(total / divisor);
            std::uint8_t* pixel = row + std::size_t(c) * 4;
            if (alpha == 0)
                continue;
            pixel[0] = std::uint8_t(alpha * colour.blue / 255);
            pixel[1] = std::uint8_t(alpha * colour.green / 255);
            pixel[2] = std::uint8_t(alpha * colour.red / 255);
            pixel[3] = std::uint8_t(alpha);
        }
    }
    shadow->LetAlpha(true);
    shadow->SetImageType(imgBmpPARGB);
    return shadow;
}

bool c32bppDIB::RenderDropShadow_JIT(gdi::DeviceContext* hDC, std::int32_t X, std::int32_t Y,
                                     std::int32_t blurDepth, std::int32_t Color,
                                     std::int32_t Opacity, float LightAdjustment,
                                     c32bppDIB* destHostDIB) const
{
    std::unique_ptr<c32bppDIB> shadow = CreateDropShadow(blurDepth, Color);
    if (!shadow)
        return false;
    return shadow->Render(hDC, X, Y, 0, 0, 0, 0, 0, 0, Opacity, true, true, destHostDIB, gsclNone,
                          LightAdjustment, 0, false);
}

bool c32bppDIB::MakeLighterDarker(float Percent)
{
    if (!(Percent >= -100.0f && Percent <= 100.0f))
        Percent = 0;
    if (m_dib.isNull() || Percent == 0.0f)
        return false;
    PixelArray changed;
    std::int32_t x = 0, y = 0;
    AdjustLightness(true, Percent, changed, x, y, m_width, m_height);
    if (!changed.isDimensioned())
        return false;
    std::memcpy(m_bits, changed.bytes.data(), changed.bytes.size());
    return true;
}

bool c32bppDIB::BlendToColor(std::int32_t BlendColor, std::int32_t BlendOpacity)
{
    if (m_dib.isNull() || BlendOpacity < 1)
        return false;
    const std::int64_t p = std::min(BlendOpacity, 100);
    // old x (100 - p)% plus the colour at the pixel's opacity x p%: the old colour is already
    // premultiplied, so only the new colour is weighted by the alpha.
    std::int64_t oldTerm[256];
    for (int v = 0; v < 256; ++v)
        oldTerm[v] = std::int64_t(v) * (100 - p) * 255;
    const Rgb colour = rgbOf(BlendColor);
    const std::int64_t kB = p * colour.blue;
    const std::int64_t kG = p * colour.green;
    const std::int64_t kR = p * colour.red;
    PixelView::of(*this).forEachPixel([&](std::uint8_t* pixel) {
        const std::int64_t a = pixel[3];
        if (a == 0)
            return;
        pixel[0] = std::uint8_t(std::min<std::int64_t>((oldTerm[pixel[0]] + a * kB) / 25500, 255));
        pixel[1] = std::uint8_t(std::min<std::int64_t>((oldTerm[pixel[1]] + a * kG) / 25500, 255));
        pixel[2] = std::uint8_t(std::min<std::int64_t>((oldTerm[pixel[2]] + a * kR) / 25500, 255));
    });
    return true;
}

}  // namespace XrImage
