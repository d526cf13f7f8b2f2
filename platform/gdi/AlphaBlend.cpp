#include "platform/gdi/AlphaBlend.h"

#include "platform/gdi/DeviceContext.h"

#include <QImage>
#include <QRegion>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

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

__extension__ typedef unsigned __int128 Wide;

// The nearest source index under the centre of destination index i of `to` stretched from
// `from`: (2i + 1) x from \ (2 x to), in enough bits for any int sizes.
int nearestIndex(std::int64_t i, std::int64_t from, std::int64_t to)
{
    return int(Wide(2 * i + 1) * Wide(from) / Wide(2 * to));
}

// Smooth stretching along one axis, for destination indexes first .. first + count - 1 of a
// stretch from `from` to `to` pixels: each index's source pixels and their weights in 256ths.
// Shrinking averages the source pixels the destination pixel covers, in proportion to the
// part covered; enlarging blends the two nearest by the distance of their centres.
struct AxisTaps {
    std::vector<int> start;   // per destination index: its first entry in index / weight
    std::vector<int> index;   // source pixels
    std::vector<int> weight;  // 256ths, summing to 256 per destination index

    AxisTaps(std::int64_t first, std::int64_t count, std::int64_t from, std::int64_t to)
    {
        const double scale = double(from) / double(to);
        for (std::int64_t i = first; i < first + count; ++i) {
            start.push_back(int(index.size()));
            const std::size_t begin = index.size();
            if (from > to) {
                const double low = double(i) * scale;
                const double high = double(i + 1) * scale;
                const auto firstSource = std::int64_t(std::floor(low));
                const auto endSource = std::min<std::int64_t>(std::int64_t(std::ceil(high)), from);
                for (std::int64_t k = firstSource; k < endSource; ++k) {
                    const double covered = std::min(high, double(k + 1)) - std::max(low, double(k));
                    index.push_back(int(k));
                    weight.push_back(int(std::lround(covered / scale * 256.0)));
                }
            } else {
                const double position = (double(i) + 0.5) * scale - 0.5;
                const auto below = std::int64_t(std::floor(position));
                const int upper = int(std::lround((position - double(below)) * 256.0));
                index.push_back(int(std::clamp<std::int64_t>(below, 0, from - 1)));
                weight.push_back(256 - upper);
                index.push_back(int(std::clamp<std::int64_t>(below + 1, 0, from - 1)));
                weight.push_back(upper);
            }
            // Rounding leaves the sum a little off 256: the heaviest tap takes the difference.
            int sum = 0;
            std::size_t heaviest = begin;
            for (std::size_t t = begin; t < weight.size(); ++t) {
                sum += weight[t];
                if (weight[t] > weight[heaviest])
                    heaviest = t;
            }
            weight[heaviest] += 256 - sum;
        }
        start.push_back(int(index.size()));
    }
};

// The smooth stretch of `source` to width x height pixels, worked out only for the part
// `window` of it (in the stretched picture's coordinates).
QImage smoothStretchWindow(const QImage& source, std::int64_t width, std::int64_t height,
                           const QRect& window)
{
    QImage out(window.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return {};
    const AxisTaps columns(window.left(), window.width(), source.width(), width);
    const AxisTaps rows(window.top(), window.height(), source.height(), height);
    std::vector<std::uint32_t> sums(std::size_t(window.width()) * 4);
    for (int y = 0; y < window.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int r = rows.start[std::size_t(y)]; r < rows.start[std::size_t(y) + 1]; ++r) {
            const auto* line =
                reinterpret_cast<const QRgb*>(source.constScanLine(rows.index[std::size_t(r)]));
            const auto rowWeight = std::uint32_t(rows.weight[std::size_t(r)]);
            for (int x = 0; x < window.width(); ++x) {
                std::uint32_t b = 0, g = 0, red = 0, a = 0;
                for (int c = columns.start[std::size_t(x)]; c < columns.start[std::size_t(x) + 1];
                     ++c) {
                    const QRgb p = line[columns.index[std::size_t(c)]];
                    const auto w = std::uint32_t(columns.weight[std::size_t(c)]);
                    b += qBlue(p) * w;
                    g += qGreen(p) * w;
                    red += qRed(p) * w;
                    a += qAlpha(p) * w;
                }
                std::uint32_t* sum = &sums[std::size_t(x) * 4];
                sum[0] += b * rowWeight;
                sum[1] += g * rowWeight;
                sum[2] += red * rowWeight;
                sum[3] += a * rowWeight;
            }
        }
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        // The same weights for every channel keep each colour at or below its alpha.
        const auto rounded = [](std::uint32_t v) { return int((v + 32768) >> 16); };
        for (int x = 0; x < window.width(); ++x) {
            const std::uint32_t* sum = &sums[std::size_t(x) * 4];
            line[x] = qRgba(rounded(sum[2]), rounded(sum[1]), rounded(sum[0]), rounded(sum[3]));
        }
    }
    return out;
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

    // The destination in its device pixels, which may be finer than its logical ones. Only
    // the part of it the target holds and its clip region lets through is worked out.
    const double ratio = to.devicePixelRatio();
    auto device = [ratio](std::int64_t v) { return std::llround(double(v) * ratio); };
    const std::int64_t left = device(x);
    const std::int64_t top = device(y);
    const std::int64_t deviceWidth = device(std::int64_t(x) + width) - left;
    const std::int64_t deviceHeight = device(std::int64_t(y) + height) - top;
    if (deviceWidth <= 0 || deviceHeight <= 0)
        return true;
    QImage& target = to.image();
    const std::int64_t visibleLeft = std::max<std::int64_t>(left, 0);
    const std::int64_t visibleTop = std::max<std::int64_t>(top, 0);
    const std::int64_t visibleRight = std::min<std::int64_t>(left + deviceWidth, target.width());
    const std::int64_t visibleBottom = std::min<std::int64_t>(top + deviceHeight, target.height());
    if (visibleRight <= visibleLeft || visibleBottom <= visibleTop)
        return true;
    QRegion area(QRect(int(visibleLeft), int(visibleTop), int(visibleRight - visibleLeft),
                       int(visibleBottom - visibleTop)));
    if (const std::optional<Region> clip = destination.clipRgn())
        area &= QTransform::fromScale(ratio, ratio).map(clip->pixels());
    if (area.isEmpty())
        return true;

    const bool opaqueSource = blend.AlphaFormat != AC_SRC_ALPHA;
    QImage pixels = uprightSource(from, xSource, ySource, sourceWidth, sourceHeight, opaqueSource);
    if (pixels.isNull())
        return false;
    const bool stretched = deviceWidth != sourceWidth || deviceHeight != sourceHeight;
    // Smooth stretching works out the visible rectangle once; otherwise each destination pixel
    // takes the source pixel under its centre.
    const bool smooth = stretched && stretchMode == HALFTONE;
    const QRect bounds = area.boundingRect();
    if (smooth) {
        pixels = smoothStretchWindow(pixels, deviceWidth, deviceHeight,
                                     bounds.translated(int(-left), int(-top)));
        if (pixels.isNull())
            return false;
    }
    std::vector<int> sourceColumns(std::size_t(bounds.width()));
    for (int dx = bounds.left(); dx <= bounds.right(); ++dx) {
        const std::int64_t i = std::int64_t(dx) - left;
        sourceColumns[std::size_t(dx - bounds.left())] =
            smooth ? dx - bounds.left() : nearestIndex(i, sourceWidth, deviceWidth);
    }

    const bool keepDestAlpha = target.format() != QImage::Format_ARGB32_Premultiplied;
    const unsigned constantAlpha = blend.SourceConstantAlpha;
    for (const QRect& rect : area) {
        for (int dy = rect.top(); dy <= rect.bottom(); ++dy) {
            const std::int64_t j = std::int64_t(dy) - top;
            const int sy = smooth ? dy - bounds.top() : nearestIndex(j, sourceHeight, deviceHeight);
            const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(sy));
            auto* out =
                reinterpret_cast<QRgb*>(target.scanLine(storedRow(target, to.isBottomUp(), dy)));
            for (int dx = rect.left(); dx <= rect.right(); ++dx)
                out[dx] = blendPixel(in[sourceColumns[std::size_t(dx - bounds.left())]], out[dx],
                                     constantAlpha, keepDestAlpha);
        }
    }
    return true;
}

}  // namespace gdi
