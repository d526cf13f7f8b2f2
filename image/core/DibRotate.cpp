// Rotated rendering: through GDI+ when enabled, else a square canvas of the turned pixels
// built by inverse mapping and composited by the own road.
#include "image/core/PixelViews.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/runtime/VbNumbers.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace XrImage {
namespace {

// The canvas pixel at a source position, or false (canvas left transparent) when the
// position reads outside the source.
bool sample(const PixelView& source, double px, double py, std::int64_t lastColumn, bool weighted,
            std::uint8_t* to)
{
    const auto ix = std::int64_t(std::floor(px));
    const auto iy = std::int64_t(std::floor(py));
    auto inside = [&](std::int64_t column, std::int64_t row) {
        return column >= 0 && column < source.width && row >= 0 && row < source.height;
    };
    if (!weighted) {
        if (!inside(ix, iy))
            return false;
        std::memcpy(to, source.row(std::int32_t(iy)) + ix * 4, 4);
        return true;
    }
    const double fy = py - double(iy);
    const double fx = px - double(ix);
    const std::int64_t rows[2] = {iy, iy - 1};
    double rowWeights[2] = {fy, 1.0 - fy};
    if (iy == 0) {
        rowWeights[0] = 1.0;
        rowWeights[1] = 0.0;
    }
    const std::int64_t columns[2] = {ix, ix + 1};
    double columnWeights[2] = {1.0 - fx, fx};
    if (ix == lastColumn) {
        columnWeights[0] = 1.0;
        columnWeights[1] = 0.0;
    }
    double sums[4] = {0, 0, 0, 0};
    for (int r = 0; r < 2; ++r) {
        if (rowWeights[r] == 0.0)
            continue;
        for (int c = 0; c < 2; ++c) {
            if (columnWeights[c] == 0.0)
                continue;
            if (!inside(columns[c], rows[r]))
                return false;
            const std::uint8_t* from = source.row(std::int32_t(rows[r])) + columns[c] * 4;
            const double weight = columnWeights[c] * rowWeights[r];
            for (int channel = 0; channel < 4; ++channel)
                sums[channel] += double(from[channel]) * weight;
        }
    }
    for (int channel = 0; channel < 4; ++channel)
        to[channel] = std::uint8_t(std::min(255.0, std::floor(sums[channel])));
    return true;
}

}  // namespace

bool c32bppDIB::RenderRotated(gdi::DeviceContext* destDC, float Angle, std::int32_t X,
                              std::int32_t Y, std::int32_t DestWidth, std::int32_t DestHeight,
                              std::int32_t srcx, std::int32_t srcy, std::int32_t srcwidth,
                              std::int32_t srcheight, std::int32_t Opacity, c32bppDIB* destHostDIB,
                              std::int32_t grayScale, float LightAdjustment)
{
    if (m_dib.isNull() || srcwidth < 1 || srcheight < 1)
        return false;
    if (isGDIplusEnabled() && destDC &&
        renderThroughGdiPlus(destDC, Angle, Opacity, X, Y, DestWidth, DestHeight, srcx, srcy,
                             srcwidth, srcheight, m_highQualityInterpolation, grayScale,
                             LightAdjustment))
        return true;

    PixelArray sourcePixels;
    const bool mirroredCopy = MirrorCopy(srcx, srcy, srcwidth, srcheight, DestWidth, DestHeight,
                                         sourcePixels, nullptr, LightAdjustment);
    if (!mirroredCopy && (DestWidth < 1 || DestHeight < 1))
        return false;
    if (!mirroredCopy && LightAdjustment != 0.0f) {
        AdjustLightness(true, LightAdjustment, sourcePixels, srcx, srcy, srcwidth, srcheight);
        if (!sourcePixels.isDimensioned())
            return false;
    }
    const PixelView source =
        sourcePixels.isDimensioned() ? PixelView::of(sourcePixels) : PixelView::of(*this);

    const double diagonal =
        std::sqrt(double(DestWidth) * DestWidth + double(DestHeight) * DestHeight);
    const auto diag = std::int64_t(vb::roundHalfEven(diagonal));
    if (diag > std::numeric_limits<std::int32_t>::max())
        return false;
    const std::int64_t left = DestWidth / 2 + std::int64_t(X) - diag / 2;
    const std::int64_t top = DestHeight / 2 + std::int64_t(Y) - diag / 2;
    if (left < INT32_MIN || left > INT32_MAX || top < INT32_MIN || top > INT32_MAX)
        return false;
    // Only the part of the square canvas the destination shows is worked out.
    const TargetWindow shown =
        visiblePart(left, top, diag, diag, reachableArea(destDC, destHostDIB));
    if (shown.right <= shown.left || shown.bottom <= shown.top)
        return left + diag > 0 && top + diag > 0;
    PixelArray canvas;
    if (!canvas.dimension(std::int32_t(shown.right - shown.left),
                          std::int32_t(shown.bottom - shown.top)))
        return false;
    canvas.placed = true;
    canvas.placedLeft = left + shown.left;
    canvas.placedTop = top + shown.top;

    const std::int64_t sy = std::int64_t(source.height) - srcheight - srcy;
    const double xs = double(DestWidth) / double(srcwidth);
    const double ys = double(DestHeight) / double(srcheight);
    // Whole degrees only: the fraction is rounded away.
    const auto whole = std::int64_t(std::fmod(vb::roundHalfEven(double(Angle)), 360.0));
    const double theta = -(4.0 * std::atan(1.0) * double(whole)) / 180.0;
    // Quarter turns take exact sines and cosines: the rounding residue of sin(pi) would move
    // the floor of some rows' positions and shift them by a pixel against the others.
    double cosine = std::cos(theta);
    double sine = std::sin(theta);
    if (whole % 90 == 0) {
        cosine = std::round(cosine);
        sine = std::round(sine);
    }
    const double cx = cosine / xs;
    const double sx = sine / xs;
    const double cy = cosine / ys;
    const double syPrime = sine / ys;
    const std::int64_t xc = srcwidth / 2 + std::int64_t(srcx);
    const std::int64_t yc = srcheight / 2 + sy;
    const std::int64_t offX = (diag - srcwidth) / 2 - srcx;
    const std::int64_t offY = (diag - srcheight) / 2 - sy;
    const std::int64_t xEnd = std::int64_t(srcx) + srcwidth;
    const std::int64_t yEnd = sy + srcheight;
    const std::int64_t lastColumn = xEnd - 1;
    const PixelView target = PixelView::of(canvas);

    // Canvas rows run bottom-up: top-down row t of the square is bottom-up row diag - 1 - t.
    const std::int64_t firstV = diag - shown.bottom - offY;
    const std::int64_t endV = diag - shown.top - offY;
    // The positions advance by sums from the square's left edge, as they always have (a start
    // further right rounds differently), unless that edge lies far outside the destination.
    const std::int64_t U0 = shown.left <= (std::int64_t(1) << 16) ? -offX : shown.left - offX;
    for (std::int64_t V = firstV; V < endV; ++V) {
        double px = double(U0 - xc) * cx + double(V - yc) * sx + double(xc);
        double py = double(V - yc) * cy - double(U0 - xc) * syPrime + double(yc);
        std::uint8_t* row = target.row(std::int32_t(V - firstV));
        const std::int64_t endU = shown.right - offX;
        for (std::int64_t U = U0; U < endU; ++U, px += cx, py -= syPrime) {
            if (U + offX < shown.left || py < double(sy) || py >= double(yEnd) ||
                px < double(srcx) || px >= double(xEnd))
                continue;
            sample(source, px, py, lastColumn, m_highQualityInterpolation,
                   row + (U + offX - shown.left) * 4);
        }
    }
    sourcePixels.erase();
    return BlendToDC(destDC, canvas, 0, 0, std::int32_t(canvas.placedLeft),
                     std::int32_t(canvas.placedTop), canvas.width, canvas.height,
                     Opacity * 255 / 100, destHostDIB, grayScale, 0);
}

}  // namespace XrImage
