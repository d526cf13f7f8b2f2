// Render: argument normalisation and the choice among AlphaBlend, GDI+, the own compositing
// road and rotated rendering.
#include "image/codecs/cGDIPlus.h"
#include "image/core/PixelViews.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/AlphaBlend.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/runtime/VbError.h"

#include <cmath>
#include <cstdlib>

namespace XrImage {
namespace {

// Sums and negations of Long arguments that leave the Long range raise the overflow error.
std::int32_t checkedLong(std::int64_t value)
{
    if (value > INT32_MAX || value < INT32_MIN)
        vb::raiseError(vb::ErrOverflow);
    return std::int32_t(value);
}

std::int32_t checkedAbs(std::int32_t value)
{
    return checkedLong(std::llabs(std::int64_t(value)));
}

// Whole degrees that are no multiple of a full turn, or any fraction, need the rotated road.
bool needsRotation(float angle)
{
    if (!std::isfinite(angle))
        return false;
    if (std::floor(angle) != angle)
        return true;
    return std::fmod(double(angle), 360.0) != 0.0;
}

// Selects the image's DIB into its own DC for one call and undoes that afterwards.
class OwnDcSelection {
public:
    OwnDcSelection(gdi::DeviceContext*& ownDC, std::unique_ptr<gdi::DeviceContext>& holder,
                   gdi::Bitmap& displaced, const gdi::Bitmap& dib)
        : m_holder(holder), m_displaced(displaced)
    {
        if (!holder) {
            holder = std::make_unique<gdi::DeviceContext>();
            m_created = true;
        }
        if (displaced.isNull()) {
            displaced = holder->selectBitmap(dib);
            m_selected = true;
        }
        ownDC = holder.get();
    }
    ~OwnDcSelection()
    {
        if (m_selected && m_holder) {
            m_holder->selectBitmap(m_displaced);
            m_displaced = {};
        }
        if (m_created)
            m_holder.reset();
    }
    OwnDcSelection(const OwnDcSelection&) = delete;
    OwnDcSelection& operator=(const OwnDcSelection&) = delete;

private:
    std::unique_ptr<gdi::DeviceContext>& m_holder;
    gdi::Bitmap& m_displaced;
    bool m_created = false;
    bool m_selected = false;
};

}  // namespace

bool c32bppDIB::renderThroughGdiPlus(gdi::DeviceContext* destDC, float Angle, std::int32_t Opacity,
                                     std::int32_t DestX, std::int32_t DestY, std::int32_t DestWidth,
                                     std::int32_t DestHeight, std::int32_t srcx, std::int32_t srcy,
                                     std::int32_t srcwidth, std::int32_t srcheight,
                                     bool highQuality, std::int32_t grayScale,
                                     float LightAdjustment)
{
    std::unique_ptr<cGDIPlus> fresh;
    cGDIPlus* bridge = m_cachedGdiPlus.get();
    if (!bridge) {
        fresh = std::make_unique<cGDIPlus>();
        bridge = fresh.get();
    }
    const bool drawn = bridge->RenderToDC(*this, destDC, Angle, Opacity, DestX, DestY, DestWidth,
                                          DestHeight, srcx, srcy, srcwidth, srcheight, highQuality,
                                          grayScale, m_gdiToken, LightAdjustment);
    if (fresh && m_keepGDIplusActive)
        m_cachedGdiPlus = std::move(fresh);
    return drawn;
}

bool c32bppDIB::Render(gdi::DeviceContext* destinationDC, std::int32_t DestX, std::int32_t DestY,
                       std::int32_t DestWidth, std::int32_t DestHeight, std::int32_t srcx,
                       std::int32_t srcy, std::int32_t srcwidth, std::int32_t srcheight,
                       std::int32_t Opacity, bool /*Blend*/, bool SetHalfTone,
                       c32bppDIB* destHostDIB, std::int32_t grayScale, float LightAdjustment,
                       float Angle, bool CenterOnDestXY)
{
    m_lastRenderRoad = RenderRoad::None;
    if (Opacity < 1)
        return !m_dib.isNull();
    if (m_dib.isNull() || (!destinationDC && !destHostDIB))
        return false;
    if (DestWidth == 0)
        DestWidth = m_width;
    if (DestHeight == 0)
        DestHeight = m_height;
    if (srcx < 0)
        srcx = 0;
    if (srcy < 0)
        srcy = 0;
    if (srcwidth == 0) {
        srcwidth = m_width;
    } else if (srcwidth < 0) {
        srcwidth = checkedAbs(srcwidth);
        DestWidth = checkedLong(-std::int64_t(DestWidth));
    }
    if (srcheight == 0) {
        srcheight = m_height;
    } else if (srcheight < 0) {
        srcheight = checkedAbs(srcheight);
        DestHeight = checkedLong(-std::int64_t(DestHeight));
    }
    if (checkedLong(std::int64_t(srcx) + srcwidth) > m_width)
        srcwidth = m_width - srcx;
    if (checkedLong(std::int64_t(srcy) + srcheight) > m_height)
        srcheight = m_height - srcy;
    // A rectangle that starts at or past the image's edge holds nothing to draw.
    if (srcwidth < 1 || srcheight < 1)
        return false;
    const bool rotated = needsRotation(Angle);
    Opacity %= 100;
    if (Opacity == 0)
        Opacity = 100;
    if (!(LightAdjustment >= -100.0f && LightAdjustment <= 100.0f))
        LightAdjustment = 0;

    if (rotated) {
        std::int32_t x = DestX;
        std::int32_t y = DestY;
        if (CenterOnDestXY) {
            x = checkedLong(std::int64_t(DestX) - checkedAbs(DestWidth) / 2);
            y = checkedLong(std::int64_t(DestY) - checkedAbs(DestHeight) / 2);
        }
        m_lastRenderRoad = RenderRoad::Rotated;
        gdi::DeviceContext* dc = destHostDIB ? destHostDIB->LoadDIBinDC(true) : destinationDC;
        const bool drawn =
            RenderRotated(dc, Angle, x, y, DestWidth, DestHeight, srcx, srcy, srcwidth, srcheight,
                          Opacity, destHostDIB, grayScale, LightAdjustment);
        if (destHostDIB)
            destHostDIB->LoadDIBinDC(false);
        return drawn;
    }
    if (CenterOnDestXY) {
        DestX = checkedLong(std::int64_t(DestX) - std::llabs(DestWidth / 2));
        DestY = checkedLong(std::int64_t(DestY) - std::llabs(DestHeight / 2));
    }

    const bool mirrored = DestWidth <= 0 || DestHeight < 0;
    const bool scaled = checkedAbs(DestWidth) != srcwidth || checkedAbs(DestHeight) != srcheight;
    bool useAlphaBlend = false;
    if (!m_keepGDIplusActive && !(m_gdiToken != 0 && isGDIplusEnabled()) &&
        isAlphaBlendFriendly() && !mirrored && grayScale == gsclNone && LightAdjustment == 0.0f)
        useAlphaBlend = scaled ? !m_highQualityInterpolation : true;

    if (isGDIplusEnabled() && !useAlphaBlend) {
        m_lastRenderRoad = RenderRoad::GdiPlus;
        gdi::DeviceContext* dc = destHostDIB ? destHostDIB->LoadDIBinDC(true) : destinationDC;
        const bool drawn =
            dc && renderThroughGdiPlus(dc, 0.0f, Opacity, DestX, DestY, DestWidth, DestHeight, srcx,
                                       srcy, srcwidth, srcheight, m_highQualityInterpolation,
                                       grayScale, LightAdjustment);
        if (destHostDIB)
            destHostDIB->LoadDIBinDC(false);
        return drawn;
    }

    gdi::DeviceContext* ownDC = nullptr;
    const OwnDcSelection selection(ownDC, m_ownDC, m_displacedBitmap, m_dib);
    const std::int32_t constantAlpha = Opacity * 255 / 100;
    if (useAlphaBlend) {
        m_lastRenderRoad = RenderRoad::AlphaBlend;
        gdi::DeviceContext* dc = destHostDIB ? destHostDIB->LoadDIBinDC(true) : destinationDC;
        bool drawn = false;
        if (dc) {
            gdi::BlendFunction blend;
            blend.SourceConstantAlpha = std::uint8_t(constantAlpha);
            blend.AlphaFormat = m_alpha ? gdi::AC_SRC_ALPHA : 0;
            const int mode = (SetHalfTone && (m_capabilityFlags & capWideFiles))
                                 ? gdi::HALFTONE
                                 : gdi::COLORONCOLOR;
            drawn = gdi::alphaBlend(*dc, DestX, DestY, DestWidth, DestHeight, *ownDC, srcx, srcy,
                                    srcwidth, srcheight, blend, mode);
        }
        if (destHostDIB)
            destHostDIB->LoadDIBinDC(false);
        return drawn;
    }

    m_lastRenderRoad = RenderRoad::Own;
    PixelArray mirroredPixels;
    PixelArray scaledPixels;
    if (mirrored && !MirrorCopy(srcx, srcy, srcwidth, srcheight, DestWidth, DestHeight,
                                mirroredPixels, nullptr, LightAdjustment))
        return false;
    if (scaled) {
        // Only the scaled pixels the destination shows are worked out, so that a draw
        // stretched far past the destination costs what the destination holds.
        const TargetWindow window =
            visiblePart(DestX, DestY, std::llabs(DestWidth), std::llabs(DestHeight),
                        reachableArea(destinationDC, destHostDIB));
        if (window.right <= window.left || window.bottom <= window.top)
            return std::int64_t(DestX) + std::llabs(DestWidth) > 0 &&
                   std::int64_t(DestY) + std::llabs(DestHeight) > 0;
        if (!ResampleImage(scaledPixels, mirroredPixels, nullptr, srcx, srcy, srcwidth, srcheight,
                           DestX, DestY, DestWidth, DestHeight, LightAdjustment, &window))
            return false;
    }
    PixelArray& pixels = scaled ? scaledPixels : mirroredPixels;
    return BlendToDC(destinationDC, pixels, srcx, srcy, DestX, DestY, DestWidth, DestHeight,
                     constantAlpha, destHostDIB, grayScale, LightAdjustment);
}

}  // namespace XrImage
