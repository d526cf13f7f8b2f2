#include "platform/picture/Metafile.h"

#include "platform/bytes/ByteReader.h"
#include "platform/picture/MetafilePlayers.h"

#include <QPainter>
#include <cmath>

namespace picture {
namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t EmfSignature = 0x464D4520;  // " EMF"
constexpr std::size_t PlaceableHeaderSize = 22;
constexpr std::size_t WmfHeaderSize = 18;
constexpr std::size_t EmfHeaderMinimum = 88;
// A picture no wider or taller than this (about 21 km) is believed.
constexpr std::int64_t MaxHimetric = 2'000'000'000;

using bytes::DecodeError;

bytes::Status checkedHimetric(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0 || width > MaxHimetric || height > MaxHimetric)
        return DecodeError::malformed(QStringLiteral("metafile size out of range"));
    return {};
}

// The first window origin and extent a WMF's records set, when they set one.
std::optional<QRectF> wmfWindow(const bytes::ByteReader& reader, std::size_t position)
{
    QPointF origin;
    std::optional<QSizeF> extent;
    for (int records = 0; records < 10'000 && position < reader.size(); ++records) {
        const auto words = reader.u32leAt(position);
        const auto function = reader.u16leAt(position + 4);
        if (!words || !function || words.value() < 3 || function.value() == 0)
            break;
        if (function.value() == 0x020B)
            origin = QPointF(reader.i16leAt(position + 8).valueOr(0),
                             reader.i16leAt(position + 6).valueOr(0));
        if (function.value() == 0x020C) {
            const double y = reader.i16leAt(position + 6).valueOr(0);
            const double x = reader.i16leAt(position + 8).valueOr(0);
            if (x != 0 && y != 0) {
                extent = QSizeF(x, y);
                break;
            }
        }
        const std::uint64_t next = position + std::uint64_t{words.value()} * 2;
        if (next > reader.size())
            break;
        position = std::size_t(next);
    }
    if (!extent)
        return std::nullopt;
    return QRectF(origin, *extent);
}

}  // namespace

bool Metafile::looksLikeMetafile(std::span<const std::uint8_t> data)
{
    const bytes::ByteReader reader(data);
    if (reader.u32leAt(0).valueOr(0) == PlaceableKey)
        return true;
    const std::uint16_t type = reader.u16leAt(0).valueOr(0);
    if ((type == 1 || type == 2) && reader.u16leAt(2).valueOr(0) == 9)
        return true;
    return reader.u32leAt(0).valueOr(0) == 1 && reader.u32leAt(40).valueOr(0) == EmfSignature;
}

bytes::Result<Metafile> Metafile::parse(std::span<const std::uint8_t> data,
                                        std::int32_t widthHimetric, std::int32_t heightHimetric)
{
    const bytes::ByteReader reader(data);
    Metafile out;
    out.m_bytes = QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));

    if (reader.u32leAt(0).valueOr(0) == 1 && reader.u32leAt(40).valueOr(0) == EmfSignature) {
        const auto headerSize = reader.u32leAt(4);
        if (!headerSize || headerSize.value() < EmfHeaderMinimum ||
            headerSize.value() > data.size())
            return DecodeError::truncated(QStringLiteral("enhanced metafile header"));
        out.m_kind = MetafileKind::Emf;
        const auto value = [&](std::size_t at) { return std::int64_t(reader.i32leAt(at).value()); };
        const std::int64_t deviceX = value(72);
        const std::int64_t deviceY = value(76);
        const std::int64_t mmX = value(80);
        const std::int64_t mmY = value(84);
        if (deviceX > 0 && deviceY > 0 && mmX > 0 && mmY > 0) {
            out.m_deviceDotsPerMmX = double(deviceX) / double(mmX);
            out.m_deviceDotsPerMmY = double(deviceY) / double(mmY);
        }
        // The frame (HIMETRIC, inclusive) gives the size; without one, the bounds in pixels.
        std::int64_t left = value(24);
        std::int64_t top = value(28);
        std::int64_t width = value(32) - left;
        std::int64_t height = value(36) - top;
        if (width <= 0 || height <= 0) {
            left = std::int64_t(std::llround(double(value(8)) * 100.0 / out.m_deviceDotsPerMmX));
            top = std::int64_t(std::llround(double(value(12)) * 100.0 / out.m_deviceDotsPerMmY));
            width = std::int64_t(
                std::llround(double(value(16) - value(8) + 1) * 100.0 / out.m_deviceDotsPerMmX));
            height = std::int64_t(
                std::llround(double(value(20) - value(12) + 1) * 100.0 / out.m_deviceDotsPerMmY));
        }
        if (const auto size = checkedHimetric(width, height); !size)
            return size.error();
        out.m_widthHimetric = std::int32_t(width);
        out.m_heightHimetric = std::int32_t(height);
        out.m_frame = QRectF(double(left) * out.m_deviceDotsPerMmX / 100.0,
                             double(top) * out.m_deviceDotsPerMmY / 100.0,
                             double(width) * out.m_deviceDotsPerMmX / 100.0,
                             double(height) * out.m_deviceDotsPerMmY / 100.0);
        return out;
    }

    std::size_t header = 0;
    std::optional<QRectF> box;
    std::int64_t unitsPerInch = 0;
    if (reader.u32leAt(0).valueOr(0) == PlaceableKey) {
        if (data.size() < PlaceableHeaderSize)
            return DecodeError::truncated(QStringLiteral("placeable metafile header"));
        const double left = reader.i16leAt(6).value();
        const double top = reader.i16leAt(8).value();
        const double right = reader.i16leAt(10).value();
        const double bottom = reader.i16leAt(12).value();
        unitsPerInch = reader.u16leAt(14).value();
        box = QRectF(QPointF(left, top), QPointF(right, bottom));
        header = PlaceableHeaderSize;
    }
    const auto type = reader.u16leAt(header);
    const auto headerWords = reader.u16leAt(header + 2);
    if (!type || !headerWords || (type.value() != 1 && type.value() != 2) ||
        headerWords.value() < 9 || header + WmfHeaderSize > data.size())
        return DecodeError::malformed(QStringLiteral("not a metafile"));
    out.m_kind = MetafileKind::Wmf;
    out.m_recordsStart = header + std::size_t(headerWords.value()) * 2;

    if (box && box->width() != 0 && box->height() != 0) {
        if (unitsPerInch <= 0)
            unitsPerInch = 1440;
        out.m_frame = *box;
        const std::int64_t width =
            std::llround(std::abs(box->width()) * 2540.0 / double(unitsPerInch));
        const std::int64_t height =
            std::llround(std::abs(box->height()) * 2540.0 / double(unitsPerInch));
        if (const auto size = checkedHimetric(width, height); !size)
            return size.error();
        out.m_widthHimetric = std::int32_t(width);
        out.m_heightHimetric = std::int32_t(height);
        return out;
    }
    // No placeable header: the records' window is the frame, the size the caller's (or the
    // window taken as pixels).
    const std::optional<QRectF> window = wmfWindow(reader, out.m_recordsStart);
    if (widthHimetric > 0 && heightHimetric > 0) {
        out.m_widthHimetric = widthHimetric;
        out.m_heightHimetric = heightHimetric;
        out.m_frame = window ? *window
                             : QRectF(0, 0, std::round(widthHimetric * 96.0 / 2540.0),
                                      std::round(heightHimetric * 96.0 / 2540.0));
        return out;
    }
    if (!window)
        return DecodeError::malformed(QStringLiteral("metafile without a size"));
    const std::int64_t width = std::llround(std::abs(window->width()) * 2540.0 / 96.0);
    const std::int64_t height = std::llround(std::abs(window->height()) * 2540.0 / 96.0);
    if (const auto size = checkedHimetric(width, height); !size)
        return size.error();
    out.m_frame = *window;
    out.m_widthHimetric = std::int32_t(width);
    out.m_heightHimetric = std::int32_t(height);
    return out;
}

std::int32_t Metafile::pixelWidth() const
{
    return std::int32_t(std::lround(double(m_widthHimetric) * 96.0 / 2540.0));
}

std::int32_t Metafile::pixelHeight() const
{
    return std::int32_t(std::lround(double(m_heightHimetric) * 96.0 / 2540.0));
}

bool Metafile::play(QPainter& painter, const QRectF& target, const MetafileLimits& limits) const
{
    if (!painter.isActive() || target.isEmpty() || m_frame.width() == 0 || m_frame.height() == 0)
        return false;
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(m_bytes.data()),
                                             std::size_t(m_bytes.size()));
    painter.save();
    bool complete = false;
    if (m_kind == MetafileKind::Wmf) {
        // The caller's viewport is the target; the file's window maps onto it.
        MetafileDevice device(painter, limits, QTransform(), QSizeF(1, 1));
        DeviceState& state = device.state();
        state.mapMode = MM_ANISOTROPIC;
        state.windowOrg = m_frame.topLeft();
        state.windowExt = m_frame.size();
        state.viewportOrg = target.topLeft();
        state.viewportExt = target.size();
        complete = playWmfRecords(data, m_recordsStart, device);
    } else {
        // The frame, in the reference device's pixels, fills the target.
        QTransform toTarget = QTransform::fromTranslate(target.left(), target.top());
        toTarget.scale(target.width() / m_frame.width(), target.height() / m_frame.height());
        toTarget.translate(-m_frame.left(), -m_frame.top());
        MetafileDevice device(painter, limits, toTarget,
                              QSizeF(m_deviceDotsPerMmX, m_deviceDotsPerMmY));
        complete = playsEmfPlus(data, limits.maxRecords) ? playEmfPlusRecords(data, device, target)
                                                         : playEmfRecords(data, device);
    }
    painter.restore();
    return complete;
}

QImage Metafile::render(int width, int height, QRgb background, const MetafileLimits& limits) const
{
    if (!bytes::checkImageSize(limits.raster, width, height, 4))
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(QColor::fromRgba(background));
    QPainter painter(&image);
    play(painter, QRectF(0, 0, width, height), limits);
    painter.end();
    return image;
}

}  // namespace picture
