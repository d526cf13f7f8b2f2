#include "platform/gdiplus/Graphics.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/UprightPainter.h"
#include "platform/gdiplus/Session.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gdiplus {
namespace {

std::uint8_t toByte(float value)
{
    return std::uint8_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

QImage applyColorMatrix(const QImage& premultiplied, const ColorMatrix& matrix)
{
    QImage out = premultiplied.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const float in[5] = {qRed(line[x]) / 255.0f, qGreen(line[x]) / 255.0f,
                                 qBlue(line[x]) / 255.0f, qAlpha(line[x]) / 255.0f, 1.0f};
            float result[4];
            for (int j = 0; j < 4; ++j) {
                float sum = 0;
                for (int i = 0; i < 5; ++i)
                    sum += in[i] * matrix.m[i][j];
                result[j] = sum;
            }
            line[x] =
                qRgba(toByte(result[0]), toByte(result[1]), toByte(result[2]), toByte(result[3]));
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

Status GdipCreateFromHDC(gdi::DeviceContext* dc, std::unique_ptr<Graphics>& graphics)
{
    graphics.reset();
    if (!sessionActive())
        return GdiplusNotInitialized;
    if (!dc || dc->bitmap().isNull())
        return InvalidParameter;
    graphics = std::make_unique<Graphics>(*dc);
    return Ok;
}

Status GdipSetInterpolationMode(Graphics& graphics, int mode)
{
    graphics.interpolation = mode;
    return Ok;
}

Status GdipRotateWorldTransform(Graphics& graphics, float angle, int order)
{
    QTransform rotation;
    rotation.rotate(double(angle));
    graphics.world =
        order == MatrixOrderAppend ? graphics.world * rotation : rotation * graphics.world;
    return Ok;
}

Status GdipTranslateWorldTransform(Graphics& graphics, float dx, float dy, int order)
{
    const QTransform shift = QTransform::fromTranslate(double(dx), double(dy));
    graphics.world = order == MatrixOrderAppend ? graphics.world * shift : shift * graphics.world;
    return Ok;
}

Status GdipCreateImageAttributes(std::unique_ptr<ImageAttributes>& attributes)
{
    if (!sessionActive())
        return GdiplusNotInitialized;
    attributes = std::make_unique<ImageAttributes>();
    return Ok;
}

Status GdipSetImageAttributesColorMatrix(ImageAttributes& attributes, int type, bool enabled,
                                         const ColorMatrix* colorMatrix,
                                         const ColorMatrix* /*grayMatrix*/, int /*flags*/)
{
    if (type != ColorAdjustTypeBitmap || (enabled && !colorMatrix))
        return InvalidParameter;
    if (enabled)
        attributes.matrix = *colorMatrix;
    else
        attributes.matrix.reset();
    return Ok;
}

Status GdipDrawImageRectRectI(Graphics& graphics, const GpImage& image, int dstX, int dstY,
                              int dstWidth, int dstHeight, int srcX, int srcY, int srcWidth,
                              int srcHeight, int unit, const ImageAttributes* attributes)
{
    if (!sessionActive())
        return GdiplusNotInitialized;
    if (unit != UnitPixel || srcWidth <= 0 || srcHeight <= 0)
        return InvalidParameter;
    if (dstWidth == 0 || dstHeight == 0)
        return Ok;
    const int orientation = image.orientation();
    const bool mirrorX = flipsX(orientation);
    const bool mirrorY = flipsY(orientation);
    // Where the source rectangle lies among the stored pixels.
    const int storedX = mirrorX ? image.width() - srcX - srcWidth : srcX;
    const int storedY = mirrorY ? image.height() - srcY - srcHeight : srcY;
    QImage source = image.stored();
    QRectF sourceRect(storedX, storedY, srcWidth, srcHeight);
    if (attributes && attributes->matrix) {
        const QRect part = QRect(storedX, storedY, srcWidth, srcHeight) & source.rect();
        if (part.isEmpty())
            return Ok;
        source = applyColorMatrix(source.copy(part), *attributes->matrix);
        sourceRect.translate(-part.x(), -part.y());
    }

    QPainter painter;
    if (!gdi::beginUprightPainter(painter, graphics.dc()))
        return InvalidParameter;
    painter.setTransform(graphics.world * painter.transform());
    const bool smooth = graphics.interpolation != InterpolationModeNearestNeighbor;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.translate(dstX, dstY);
    painter.scale(double(dstWidth) / srcWidth, double(dstHeight) / srcHeight);
    if (mirrorX) {
        painter.translate(srcWidth, 0);
        painter.scale(-1, 1);
    }
    if (mirrorY) {
        painter.translate(0, srcHeight);
        painter.scale(1, -1);
    }
    painter.drawImage(QRectF(0, 0, srcWidth, srcHeight), source, sourceRect);
    return Ok;
}

}  // namespace gdiplus
