// Drawing GDI+ images into a device context: interpolation, a world transform, and a 5 x 5
// colour matrix applied in a pass of our own before the image is composited.
#pragma once

#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/gdiplus/GpImage.h"

#include <QTransform>
#include <memory>
#include <optional>

namespace gdi {
class DeviceContext;
}

namespace gdiplus {

class Graphics {
public:
    explicit Graphics(gdi::DeviceContext& dc) : m_dc(dc) {}
    gdi::DeviceContext& dc() const { return m_dc; }
    int interpolation = InterpolationModeNearestNeighbor;
    QTransform world;

private:
    gdi::DeviceContext& m_dc;
};

struct ImageAttributes {
    std::optional<ColorMatrix> matrix;
};

// A graphics over the device context (a bottom-up DIB section is drawn upright).
Status GdipCreateFromHDC(gdi::DeviceContext* dc, std::unique_ptr<Graphics>& graphics);
Status GdipSetInterpolationMode(Graphics& graphics, int mode);
Status GdipRotateWorldTransform(Graphics& graphics, float angle, int order);
Status GdipTranslateWorldTransform(Graphics& graphics, float dx, float dy, int order);

Status GdipCreateImageAttributes(std::unique_ptr<ImageAttributes>& attributes);
// Sets (enabled) or clears the colour matrix; the grey matrix and flags are not used.
Status GdipSetImageAttributesColorMatrix(ImageAttributes& attributes, int type, bool enabled,
                                         const ColorMatrix* colorMatrix,
                                         const ColorMatrix* grayMatrix = nullptr, int flags = 0);

// Draws the source rectangle (in the image's shown orientation) into the destination
// rectangle; a negative destination width or height mirrors. Source-over compositing of
// premultiplied pixels, through the colour matrix when the attributes hold one.
Status GdipDrawImageRectRectI(Graphics& graphics, const GpImage& image, int dstX, int dstY,
                              int dstWidth, int dstHeight, int srcX, int srcY, int srcWidth,
                              int srcHeight, int unit, const ImageAttributes* attributes);

// The colour-matrix pass on premultiplied pixels: each pixel's straight red, green, blue and
// alpha (0..1) and the constant 1 times the matrix, clamped, premultiplied again.
QImage applyColorMatrix(const QImage& premultiplied, const ColorMatrix& matrix);

}  // namespace gdiplus
