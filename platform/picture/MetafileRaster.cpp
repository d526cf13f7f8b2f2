// The metafile device's bitmaps, pattern fills by raster operation and gradients.
#include "platform/bytes/DecodeLimits.h"
#include "platform/picture/MetafileDevice.h"
#include "platform/picture/RasterOperation.h"

#include <QPaintEngine>
#include <algorithm>
#include <cmath>

namespace picture {
namespace {

constexpr std::uint8_t SourceCopy = 0xCC;
constexpr std::uint8_t LeaveDestination = 0xAA;
constexpr int Halftone = 4;

// The pixels whose centres a device rectangle covers.
QRect coveredPixels(const QRectF& box)
{
    const auto at = [](double v) { return int(std::lround(std::clamp(v, -1e8, 1e8))); };
    return QRect(QPoint(at(box.left()), at(box.top())),
                 QPoint(at(box.right()) - 1, at(box.bottom()) - 1));
}

// The pixels of a device rectangle (painter at the identity) that the device and the clip
// let through; empty when none are, or when they pass the raster limits.
QRect paintablePixels(const QPainter& painter, const QRectF& shape,
                      const bytes::DecodeLimits& limits)
{
    QRect box = coveredPixels(shape);
    if (const QPaintDevice* device = painter.device())
        box &= QRect(0, 0, device->width(), device->height());
    if (painter.hasClipping())
        box &= painter.clipBoundingRect().toAlignedRect();
    if (box.isEmpty() || !bytes::checkImageSize(limits, box.width(), box.height(), 4))
        return {};
    return box;
}

// Maps a source part onto a logical destination rectangle (negative sizes mirror).
QTransform placement(const QRectF& destination, const QRectF& part)
{
    QTransform place = QTransform::fromTranslate(destination.x(), destination.y());
    place.scale(destination.width() / part.width(), destination.height() / part.height());
    place.translate(-part.x(), -part.y());
    return place;
}

}  // namespace

void MetafileDevice::image(const QRectF& destination, const QImage& picture, const QRectF& source,
                           std::uint32_t operation, double opacity)
{
    if (picture.isNull() || m_path || source.width() == 0 || source.height() == 0)
        return;
    if (ternaryIndex(operation) != SourceCopy) {
        rasterOperation(destination, &picture, source, operation);
        return;
    }
    flushClip();
    PainterSave saved(m_painter);
    m_painter.setTransform(placement(destination, source) * logicalToTarget() * m_base);
    m_painter.setOpacity(std::clamp(opacity, 0.0, 1.0));
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, m_state.stretchMode == Halftone);
    m_painter.drawImage(source.topLeft(), picture, source);
}

void MetafileDevice::patternFill(const QRectF& box, std::uint32_t operation)
{
    rasterOperation(box, nullptr, QRectF(), operation);
}

void MetafileDevice::rasterOperation(const QRectF& destination, const QImage* source,
                                     const QRectF& part, std::uint32_t operation)
{
    const std::uint8_t index = ternaryIndex(operation);
    const bool usesPattern = ropUsesPattern(index);
    const bool usesSource = ropUsesSource(index);
    const bool usesDestination = ropUsesDestination(index);
    if (m_path || index == LeaveDestination)
        return;
    if (usesSource && (!source || source->isNull() || part.width() == 0 || part.height() == 0))
        return;
    if (usesPattern && m_state.brush.style == 1)
        return;  // the null brush paints nothing
    flushClip();
    const QTransform map = logicalToTarget() * m_base;
    const QPolygonF shape = map.map(QPolygonF(destination.normalized()));
    PainterSave saved(m_painter);
    m_painter.setTransform(QTransform());
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect box = paintablePixels(m_painter, shape.boundingRect(), m_limits.raster);
    if (box.isEmpty())
        return;
    if (map.type() > QTransform::TxScale)
        m_painter.setClipRegion(QRegion(shape.toPolygon()), Qt::IntersectClip);
    const bool raster =
        m_painter.paintEngine() && m_painter.paintEngine()->type() == QPaintEngine::Raster;
    if (!usesSource && m_state.brush.style == 0) {
        // A solid brush (or none used): the same operands at every pixel.
        const std::uint32_t pattern = m_state.brush.colour.rgb();
        const std::uint32_t overBlack = ternaryRop(index, pattern, 0, 0) | 0xFF000000u;
        const std::uint32_t overWhite = ternaryRop(index, pattern, 0, 0x00FFFFFF) | 0xFF000000u;
        if (!usesDestination || !raster) {
            m_painter.fillRect(box, QColor::fromRgb(usesDestination ? overWhite : overBlack));
            return;
        }
        destinationPasses(box, QColor::fromRgb((overBlack ^ overWhite) | 0xFF000000u),
                          QColor::fromRgb(overBlack), nullptr, nullptr);
        return;
    }
    if (!spendPixels(box))
        return;
    const QTransform toBox = QTransform::fromTranslate(-box.left(), -box.top());

    // The operands as pixels of the box: the brush unscaled from its origin, as a device
    // paints it, and the source stretched over the destination.
    QImage pattern;
    if (usesPattern) {
        pattern = QImage(box.size(), QImage::Format_RGB32);
        pattern.fill(m_state.brush.style == 2 ? m_state.backColour : QColor(Qt::black));
        QPainter paint(&pattern);
        paint.setBrushOrigin(brushOriginOnPainter() - QPointF(box.topLeft()));
        paint.fillRect(pattern.rect(), qtBrush(m_state.brush));
    }
    QImage stretched;
    if (usesSource) {
        stretched = QImage(box.size(), QImage::Format_RGB32);
        stretched.fill(Qt::white);
        QPainter paint(&stretched);
        paint.setRenderHint(QPainter::SmoothPixmapTransform, m_state.stretchMode == Halftone);
        paint.setTransform(placement(destination, part) * map * toBox);
        paint.drawImage(part.topLeft(), source->convertToFormat(QImage::Format_RGB32), part);
    }

    // result = g0 ^ (D & (g0 ^ g1)), where g0 and g1 are the results over a destination of
    // all 0 and all 1 bits: two raster passes where the painter can do them, otherwise the
    // destination is taken as white paper.
    const bool twoPasses = usesDestination && raster;
    QImage result(box.size(), QImage::Format_RGB32);
    QImage kept = twoPasses ? QImage(box.size(), QImage::Format_RGB32) : QImage();
    for (int y = 0; y < box.height(); ++y) {
        const auto* p =
            usesPattern ? reinterpret_cast<const QRgb*>(pattern.constScanLine(y)) : nullptr;
        const auto* s =
            usesSource ? reinterpret_cast<const QRgb*>(stretched.constScanLine(y)) : nullptr;
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        auto* keep = twoPasses ? reinterpret_cast<QRgb*>(kept.scanLine(y)) : nullptr;
        for (int x = 0; x < box.width(); ++x) {
            const std::uint32_t pv = p ? p[x] : 0;
            const std::uint32_t sv = s ? s[x] : 0;
            const std::uint32_t white = ternaryRop(index, pv, sv, 0x00FFFFFF);
            if (!twoPasses) {
                out[x] = (usesDestination ? white : ternaryRop(index, pv, sv, 0)) | 0xFF000000u;
                continue;
            }
            const std::uint32_t black = ternaryRop(index, pv, sv, 0);
            out[x] = black | 0xFF000000u;
            keep[x] = (black ^ white) | 0xFF000000u;
        }
    }
    if (!twoPasses) {
        m_painter.drawImage(box.topLeft(), result);
        return;
    }
    destinationPasses(box, {}, {}, &kept, &result);
}

bool MetafileDevice::spendPixels(const QRect& box)
{
    const std::uint64_t pixels = std::uint64_t(box.width()) * std::uint64_t(box.height());
    if (pixels > m_pixelBudget)
        return false;
    m_pixelBudget -= pixels;
    return true;
}

// D = (D & kept) ^ result over a box, by solid colours or by images of the box's size.
void MetafileDevice::destinationPasses(const QRect& box, const QColor& keptColour,
                                       const QColor& resultColour, const QImage* kept,
                                       const QImage* result)
{
    // What is transparent counts as white paper.
    m_painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
    m_painter.fillRect(box, Qt::white);
    m_painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    if (kept)
        m_painter.drawImage(box.topLeft(), *kept);
    else
        m_painter.fillRect(box, keptColour);
    m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (result)
        m_painter.drawImage(box.topLeft(), *result);
    else
        m_painter.fillRect(box, resultColour);
}

void MetafileDevice::gradientRectangle(const QRectF& box, const QColor& from, const QColor& to,
                                       bool down)
{
    if (m_path)
        return;
    const QRectF shape = box.normalized();
    QLinearGradient gradient(shape.topLeft(), down ? shape.bottomLeft() : shape.topRight());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    fillRectangle(shape, gradient);
}

void MetafileDevice::gradientTriangle(const QPolygonF& corners, const QColor colours[3])
{
    if (m_path || corners.size() != 3)
        return;
    flushClip();
    const QPolygonF shape = (logicalToTarget() * m_base).map(corners);
    PainterSave saved(m_painter);
    m_painter.setTransform(QTransform());
    const QRect box = paintablePixels(m_painter, shape.boundingRect(), m_limits.raster);
    if (box.isEmpty())
        return;
    if (!spendPixels(box))
        return;
    const QPointF a = shape[0];
    const QPointF b = shape[1];
    const QPointF c = shape[2];
    const double area = (b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y());
    if (std::abs(area) < 1e-9)
        return;
    // Each pixel centre's barycentric weights mix the corners' colours; outside stays clear.
    QImage shaded(box.size(), QImage::Format_ARGB32_Premultiplied);
    shaded.fill(Qt::transparent);
    for (int y = 0; y < box.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shaded.scanLine(y));
        const double py = box.top() + y + 0.5;
        for (int x = 0; x < box.width(); ++x) {
            const double px = box.left() + x + 0.5;
            const double wa = ((b.x() - px) * (c.y() - py) - (c.x() - px) * (b.y() - py)) / area;
            const double wb = ((c.x() - px) * (a.y() - py) - (a.x() - px) * (c.y() - py)) / area;
            const double wc = 1 - wa - wb;
            if (wa < -1e-9 || wb < -1e-9 || wc < -1e-9)
                continue;
            const auto mix = [&](auto channel) {
                return std::clamp(
                    int(std::lround(wa * channel(colours[0]) + wb * channel(colours[1]) +
                                    wc * channel(colours[2]))),
                    0, 255);
            };
            const QColor colour(mix([](const QColor& k) { return k.red(); }),
                                mix([](const QColor& k) { return k.green(); }),
                                mix([](const QColor& k) { return k.blue(); }),
                                mix([](const QColor& k) { return k.alpha(); }));
            line[x] = qPremultiply(colour.rgba());
        }
    }
    m_painter.drawImage(box.topLeft(), shaded);
}

}  // namespace picture
