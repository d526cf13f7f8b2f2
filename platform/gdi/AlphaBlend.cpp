#include "platform/gdi/AlphaBlend.h"

#include "platform/gdi/DeviceContext.h"

#include <QImage>
#include <QRegion>
#include <QTransform>
#include <cmath>
#include <cstdint>
#include <optional>

namespace gdi {
namespace {

// Row of the stored pixels that holds upright row y.
int storedRow(const QImage& stored, bool bottomUp, int y)
{
    return bottomUp ? stored.height() - 1 - y : y;
}

// The source rectangle (logical pixels), upright and premultiplied, as its own image. A
// source finer than its logical pixels is read at logical resolution.
QImage uprightSource(const Bitmap& bitmap, int x, int y, int width, int height, bool opaque)
{
    QImage stored = bitmap.image();
    if (stored.size() != bitmap.rect().size())
        stored = stored.scaled(bitmap.width(), bitmap.height(), Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
    QImage out(width, height, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull() || stored.isNull())
        return {};
    const bool premultiplied = stored.format() == QImage::Format_ARGB32_Premultiplied;
    for (int row = 0; row < height; ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(stored.constScanLine(
                             storedRow(stored, bitmap.isBottomUp(), y + row))) +
                         x;
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(row));
        for (int column = 0; column < width; ++column)
            line[column] = (opaque || !premultiplied) ? (in[column] | 0xFF000000u) : in[column];
    }
    return out;
}

inline QRgb blendPixel(QRgb source, QRgb destination, unsigned constantAlpha, bool keepDestAlpha)
{
    const unsigned k = qAlpha(source) * constantAlpha / 255;
    const unsigned keep = 255 - k;
    auto channel = [&](unsigned s, unsigned d) { return s * constantAlpha / 255 + d * keep / 255; };
    const unsigned alpha = keepDestAlpha ? 255u : k + qAlpha(destination) * keep / 255;
    return (QRgb(alpha) << 24) | (QRgb(channel(qRed(source), qRed(destination))) << 16) |
           (QRgb(channel(qGreen(source), qGreen(destination))) << 8) |
           QRgb(channel(qBlue(source), qBlue(destination)));
}

}  // namespace

bool alphaBlend(DeviceContext& destination, int x, int y, int width, int height,
                const DeviceContext& source, int xSource, int ySource, int sourceWidth,
                int sourceHeight, BlendFunction blend, int stretchMode)
{
    const Bitmap& from = source.bitmap();
    const Bitmap& to = destination.bitmap();
    if (blend.BlendOp != AC_SRC_OVER || width < 0 || height < 0 || sourceWidth < 0 ||
        sourceHeight < 0 || xSource < 0 || ySource < 0 || from.isNull() || to.isNull() ||
        std::int64_t(xSource) + sourceWidth > from.width() ||
        std::int64_t(ySource) + sourceHeight > from.height())
        return false;
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0 ||
        blend.SourceConstantAlpha == 0)
        return true;

    const bool opaqueSource = blend.AlphaFormat != AC_SRC_ALPHA;
    QImage pixels = uprightSource(from, xSource, ySource, sourceWidth, sourceHeight, opaqueSource);
    if (pixels.isNull())
        return false;
    // The destination in its device pixels, which may be finer than its logical ones.
    const double ratio = to.devicePixelRatio();
    auto device = [ratio](std::int64_t v) { return int(std::llround(double(v) * ratio)); };
    const int left = device(x);
    const int top = device(y);
    const int deviceWidth = device(std::int64_t(x) + width) - left;
    const int deviceHeight = device(std::int64_t(y) + height) - top;
    if (deviceWidth <= 0 || deviceHeight <= 0)
        return true;
    const bool stretched = deviceWidth != sourceWidth || deviceHeight != sourceHeight;
    if (stretched && stretchMode == HALFTONE) {
        pixels = pixels.scaled(deviceWidth, deviceHeight, Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
        if (pixels.isNull())
            return false;
    }
    const bool resampled = pixels.width() == deviceWidth && pixels.height() == deviceHeight;

    QImage& target = to.image();
    QRegion area(QRect(left, top, deviceWidth, deviceHeight) & target.rect());
    if (const std::optional<Region> clip = destination.clipRgn())
        area &= QTransform::fromScale(ratio, ratio).map(clip->pixels());
    const bool keepDestAlpha = target.format() != QImage::Format_ARGB32_Premultiplied;
    const unsigned constantAlpha = blend.SourceConstantAlpha;
    for (const QRect& rect : area) {
        for (int dy = rect.top(); dy <= rect.bottom(); ++dy) {
            const std::int64_t j = std::int64_t(dy) - top;
            // Nearest source row: the one under the centre of the destination row.
            const int sy =
                resampled ? int(j) : int((2 * j + 1) * sourceHeight / (2 * deviceHeight));
            const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(sy));
            auto* out =
                reinterpret_cast<QRgb*>(target.scanLine(storedRow(target, to.isBottomUp(), dy)));
            for (int dx = rect.left(); dx <= rect.right(); ++dx) {
                const std::int64_t i = std::int64_t(dx) - left;
                const int sx =
                    resampled ? int(i) : int((2 * i + 1) * sourceWidth / (2 * deviceWidth));
                out[dx] = blendPixel(in[sx], out[dx], constantAlpha, keepDestAlpha);
            }
        }
    }
    return true;
}

}  // namespace gdi
