// Pixel access in the layouts other software expects, the alpha mask, copies into another
// image and regions from the alpha channel.
#include "image/codecs/cGDIPlus.h"
#include "image/core/GImageMod1.h"
#include "image/core/ImageHelpers.h"
#include "image/core/PixelViews.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstring>

namespace XrImage {
namespace {

// A straight colour byte from a premultiplied one; a colour above its alpha reads 255.
std::uint8_t unpremultiply(std::uint8_t colour, std::uint8_t alpha)
{
    return std::uint8_t(std::min(255, int(colour) * 255 / int(alpha)));
}

std::int32_t rgbValue(int red, int green, int blue)
{
    return std::int32_t(red | (green << 8) | (blue << 16));
}

// A block transfer's rectangle: sizes of 0 mean the image's, and the rectangle is cut at the
// image's right and bottom edges. False for a negative position or size, or a rectangle that
// starts at or past the edge.
bool transferRect(std::int32_t imageWidth, std::int32_t imageHeight, std::int32_t X, std::int32_t Y,
                  std::int32_t& Width, std::int32_t& Height)
{
    if (X < 0 || Y < 0 || Width < 0 || Height < 0)
        return false;
    if (Width == 0)
        Width = imageWidth;
    if (Height == 0)
        Height = imageHeight;
    if (std::int64_t(X) + Width > imageWidth)
        Width = imageWidth - X;
    if (std::int64_t(Y) + Height > imageHeight)
        Height = imageHeight - Y;
    return Width >= 1 && Height >= 1;
}

void dimensionTransfer(DibByteArray& array, bool twoDimensional, std::int32_t rowLength,
                       std::int32_t rows)
{
    array.bytes = QByteArray(qsizetype(rowLength) * rows, '\0');
    array.dimensions = twoDimensional ? 2 : 1;
    array.rowLength = twoDimensional ? rowLength : rowLength * rows;
    array.rows = twoDimensional ? rows : 1;
}

}  // namespace

std::int32_t c32bppDIB::GetPixel(std::int32_t X, std::int32_t Y, std::int32_t* AlphaValue,
                                 bool asPreMultiplied) const
{
    if (AlphaValue)
        *AlphaValue = 0;
    if (m_dib.isNull() || X < 0 || X >= m_width || Y < 0 || Y >= m_height)
        return -1;
    const std::uint8_t* pixel = PixelView::of(*this).topDownRow(Y) + std::size_t(X) * 4;
    const std::uint8_t alpha = pixel[3];
    if (AlphaValue)
        *AlphaValue = alpha;
    if (asPreMultiplied || alpha == 0 || alpha == 255)
        return rgbValue(pixel[2], pixel[1], pixel[0]);
    return rgbValue(unpremultiply(pixel[2], alpha), unpremultiply(pixel[1], alpha),
                    unpremultiply(pixel[0], alpha));
}

bool c32bppDIB::GetDIBbits(DibByteArray& outStream, bool as2dArray, bool asBGRformat, bool as32bpp,
                           bool asWordAligned, bool asBottomUp, std::int32_t X, std::int32_t Y,
                           std::int32_t Width, std::int32_t Height, bool asPreMultiplied) const
{
    if (m_dib.isNull() || !transferRect(m_width, m_height, X, Y, Width, Height))
        return false;
    const int bytesPerPixel = as32bpp ? 4 : 3;
    const std::int32_t rowLength =
        as32bpp ? Width * 4 : (asWordAligned ? ScanlineBytes(24, Width) : Width * 3);
    dimensionTransfer(outStream, as2dArray, rowLength, Height);
    auto* out = reinterpret_cast<std::uint8_t*>(outStream.bytes.data());
    if (as32bpp && asBGRformat && asBottomUp && asPreMultiplied && Width == m_width &&
        Height == m_height) {
        std::memcpy(out, m_bits, std::size_t(m_height) * std::size_t(m_width) * 4);
        return true;
    }
    const PixelView image = PixelView::of(*this);
    for (std::int32_t t = 0; t < Height; ++t) {
        const std::uint8_t* from = image.topDownRow(Y + t) + std::size_t(X) * 4;
        std::uint8_t* to = out + std::size_t(asBottomUp ? Height - 1 - t : t) * rowLength;
        for (std::int32_t x = 0; x < Width; ++x, from += 4, to += bytesPerPixel) {
            const std::uint8_t alpha = from[3];
            std::uint8_t colour[3] = {from[0], from[1], from[2]};
            if (!asPreMultiplied && alpha != 255) {
                for (std::uint8_t& c : colour)
                    c = alpha == 0 ? 0 : unpremultiply(c, alpha);
            }
            to[0] = asBGRformat ? colour[0] : colour[2];
            to[1] = colour[1];
            to[2] = asBGRformat ? colour[2] : colour[0];
            if (as32bpp)
                to[3] = alpha;
        }
    }
    return true;
}

std::uintptr_t c32bppDIB::SetPixel(std::int32_t X, std::int32_t Y, std::int32_t Color,
                                   std::int32_t AlphaValue, bool isPreMultiplied)
{
    if (m_dib.isNull() || AlphaValue < 0 || AlphaValue > 255 || X < 0 || X >= m_width || Y < 0 ||
        Y >= m_height)
        return 0;
    std::uint8_t* pixel = PixelView::of(*this).topDownRow(Y) + std::size_t(X) * 4;
    if (AlphaValue == 0) {
        std::memset(pixel, 0, 4);
        m_alpha = true;
        return reinterpret_cast<std::uintptr_t>(pixel);
    }
    const int colour[3] = {(Color >> 16) & 255, (Color >> 8) & 255, Color & 255};
    for (int i = 0; i < 3; ++i) {
        const bool keep = (isPreMultiplied || AlphaValue == 255) && colour[i] <= AlphaValue;
        pixel[i] = std::uint8_t(keep ? colour[i] : AlphaValue * colour[i] / 255);
    }
    pixel[3] = std::uint8_t(AlphaValue);
    if (AlphaValue != 255)
        m_alpha = true;
    return reinterpret_cast<std::uintptr_t>(pixel);
}

bool c32bppDIB::SetDIBbits(const DibByteArray& inStream, bool isBGRformat, bool is32bpp,
                           bool isWordAligned, bool isBottomUp, std::int32_t dstX,
                           std::int32_t dsty, std::int32_t dstwidth, std::int32_t dstheight)
{
    if (m_dib.isNull() || !inStream.isAllocated() ||
        !transferRect(m_width, m_height, dstX, dsty, dstwidth, dstheight))
        return false;
    const int bytesPerPixel = is32bpp ? 4 : 3;
    const std::int32_t rowLength =
        is32bpp ? dstwidth * 4 : (isWordAligned ? ScanlineBytes(24, dstwidth) : dstwidth * 3);
    // The array must hold the rectangle's rows; one that holds exactly them is enough.
    if (std::int64_t(inStream.bytes.size()) < std::int64_t(rowLength) * dstheight)
        return false;
    const auto* in = reinterpret_cast<const std::uint8_t*>(inStream.bytes.constData());
    const PixelView image = PixelView::of(*this);
    for (std::int32_t t = 0; t < dstheight; ++t) {
        const std::uint8_t* from =
            in + std::size_t(isBottomUp ? dstheight - 1 - t : t) * std::size_t(rowLength);
        std::uint8_t* to = image.topDownRow(dsty + t) + std::size_t(dstX) * 4;
        for (std::int32_t x = 0; x < dstwidth; ++x, from += bytesPerPixel, to += 4) {
            to[0] = isBGRformat ? from[0] : from[2];
            to[1] = from[1];
            to[2] = isBGRformat ? from[2] : from[0];
            if (is32bpp)
                to[3] = from[3];
        }
    }
    bool hasAlpha = m_alpha;
    std::int32_t format = imgNone;
    ClassifyAlpha(std::span<std::uint8_t>(m_bits, std::size_t(m_height) * std::size_t(m_width) * 4),
                  true, hasAlpha, format);
    m_alpha = hasAlpha;
    return true;
}

bool c32bppDIB::GetAlphaMask(DibByteArray& outStream, bool as2dArray, bool asWordAligned,
                             bool asBottomUp, std::int32_t X, std::int32_t Y, std::int32_t Width,
                             std::int32_t Height) const
{
    if (m_dib.isNull() || !transferRect(m_width, m_height, X, Y, Width, Height))
        return false;
    const std::int32_t rowLength = asWordAligned ? ScanlineBytes(8, Width) : Width;
    dimensionTransfer(outStream, as2dArray, rowLength, Height);
    auto* out = reinterpret_cast<std::uint8_t*>(outStream.bytes.data());
    const PixelView image = PixelView::of(*this);
    for (std::int32_t t = 0; t < Height; ++t) {
        const std::uint8_t* from = image.topDownRow(Y + t) + std::size_t(X) * 4;
        std::uint8_t* to = out + std::size_t(asBottomUp ? Height - 1 - t : t) * rowLength;
        for (std::int32_t x = 0; x < Width; ++x)
            to[x] = from[std::size_t(x) * 4 + 3];
    }
    return true;
}

std::unique_ptr<gdi::Region> c32bppDIB::CreateRegion(std::int32_t Style, std::int32_t xOffset,
                                                     std::int32_t yOffset) const
{
    if (m_dib.isNull() || Style < regionBounds || Style > regionShaped)
        return nullptr;
    std::unique_ptr<gdi::Region> region = BuildAlphaRegion(*this, Style);
    if (region && (xOffset != 0 || yOffset != 0))
        region->offset(xOffset, yOffset);
    return region;
}

void c32bppDIB::CopyImageTo(std::unique_ptr<c32bppDIB>& cDIBclass, std::int32_t newWidth,
                            std::int32_t newHeight, bool CopyOriginalFormat)
{
    if (m_dib.isNull())
        return;
    if (!cDIBclass) {
        auto target = std::make_unique<c32bppDIB>();
        target->LetgdiToken(m_gdiToken);
        target->LetisGDIplusEnabled(isGDIplusEnabled());
        target->LetHighQualityInterpolation(m_highQualityInterpolation);
        cDIBclass = std::move(target);
    }
    CopyImageTo(*cDIBclass, newWidth, newHeight, CopyOriginalFormat);
}

void c32bppDIB::CopyImageTo(c32bppDIB& target, std::int32_t newWidth, std::int32_t newHeight,
                            bool CopyOriginalFormat)
{
    if (m_dib.isNull())
        return;
    if (newWidth == 0)
        newWidth = m_width;
    if (newHeight == 0)
        newHeight = m_height;
    const std::int64_t width = std::llabs(newWidth);
    const std::int64_t height = std::llabs(newHeight);
    if (width > INT32_MAX || height > INT32_MAX)
        return;
    const bool sameSize = newWidth == m_width && newHeight == m_height;
    if (&target == this) {
        if (sameSize) {
            if (CopyOriginalFormat)
                SetOriginalFormat(m_originalFormatBytes);
            return;
        }
        // The target's new pixels would replace the ones being read: copy from a twin.
        std::unique_ptr<c32bppDIB> twin;
        CopyImageTo(twin, 0, 0, true);
        if (!twin || twin->Handle() == 0)
            return;
        twin->CopyImageTo(*this, newWidth, newHeight, CopyOriginalFormat);
        return;
    }
    target.LetgdiToken(m_gdiToken);
    if (target.Width() != width || target.Height() != height || target.Handle() == 0) {
        if (!target.InitializeDIB(std::int32_t(width), std::int32_t(height)))
            return;
    }
    target.LetAlpha(m_alpha);
    target.SetImageType(m_imageType);
    if (sameSize) {
        std::memcpy(target.BitsPointer(), m_bits, std::size_t(m_width) * 4 * std::size_t(m_height));
    } else {
        // The copy never goes through AlphaBlend; the flags are put back as they were.
        const std::int32_t flags = m_capabilityFlags;
        m_capabilityFlags &= ~capAlphaBlend;
        float noLight = 0;
        if (isGDIplusEnabled()) {
            gdi::DeviceContext* dc = target.LoadDIBinDC(true);
            if (dc)
                renderThroughGdiPlus(dc, 0.0f, 100, 0, 0, newWidth, newHeight, 0, 0, m_width,
                                     m_height, true, gsclNone, 0.0f);
            target.LoadDIBinDC(false);
        } else if (newWidth < 0 || newHeight < 0) {
            // Mirrored at the image's size, then scaled to the target's when that differs.
            PixelArray mirrored;
            std::int32_t x = 0, y = 0, w = newWidth < 0 ? -m_width : m_width,
                         h = newHeight < 0 ? -m_height : m_height;
            if (width == m_width && height == m_height) {
                MirrorCopy(x, y, m_width, m_height, w, h, mirrored, &target, noLight);
            } else if (MirrorCopy(x, y, m_width, m_height, w, h, mirrored, nullptr, noLight)) {
                PixelArray unused;
                std::int32_t tw = std::int32_t(width), th = std::int32_t(height);
                ResampleImage(unused, mirrored, &target, 0, 0, m_width, m_height, 0, 0, tw, th,
                              noLight);
            }
        } else {
            PixelArray none;
            PixelArray unused;
            std::int32_t tw = newWidth, th = newHeight;
            ResampleImage(unused, none, &target, 0, 0, m_width, m_height, 0, 0, tw, th, noLight);
        }
        m_capabilityFlags = flags;
    }
    if (CopyOriginalFormat)
        target.SetOriginalFormat(m_originalFormatBytes);
}

}  // namespace XrImage
