#include "platform/richedit/picture/PictureDecoding.h"

#include "platform/richedit/picture/PictureBytes.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/CheckedSize.h"
#include "platform/bytes/DecodeLimits.h"
#include "platform/picture/Metafile.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdint>

namespace richedit {
namespace {

void appendLe32(QByteArray& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t FileHeaderSize = 14;

enum Compression : uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

bool validDepth(uint32_t bitCount, uint32_t compression)
{
    switch (compression) {
        case Rgb:
            return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                   bitCount == 24 || bitCount == 32;
        case Rle8:
            return bitCount == 8;
        case Rle4:
            return bitCount == 4;
        case BitFields:
        case AlphaBitFields:
            return bitCount == 16 || bitCount == 32;
        default:
            return false;
    }
}

// Where a packed bitmap's pixels start (after header, colour masks and palette), once its header
// has been checked against its bytes: a size the limits allow, a palette that fits and, for
// uncompressed rows, every row present, so that the image reader allocates only for pixels the
// bytes can fill.
bytes::Result<uint32_t> dibPixelOffset(const bytes::ByteReader& dib)
{
    using bytes::DecodeError;
    const auto headerSize = dib.u32leAt(0);
    if (!headerSize)
        return headerSize.error();
    const bool core = headerSize.value() == CoreHeaderSize;
    if (!core && headerSize.value() < InfoHeaderSize)
        return DecodeError::malformed(QStringLiteral("bitmap header of unknown size"));
    if (!bytes::rangeFits(0, headerSize.value(), dib.size()))
        return DecodeError::truncated(QStringLiteral("bitmap header past the end"));

    // Core headers hold unsigned 16-bit sizes and three-byte palette entries; the others signed
    // 32-bit sizes (a negative height is a top-down bitmap) and four-byte entries.
    const int64_t width = core ? dib.u16leAt(4).value() : dib.i32leAt(4).value();
    const int64_t height = core ? dib.u16leAt(6).value() : dib.i32leAt(8).value();
    const int64_t rowCount = height < 0 ? -height : height;
    const uint32_t bitCount = dib.u16leAt(core ? 10 : 14).value();
    const uint32_t compression = core ? uint32_t{Rgb} : dib.u32leAt(16).value();
    const uint32_t colorsUsed = core ? 0 : dib.u32leAt(32).value();
    if (!validDepth(bitCount, compression) || (core && bitCount > 24))
        return DecodeError::unsupported(QStringLiteral("bitmap depth or compression"));
    if (const bytes::Status size =
            bytes::checkImageSize(bytes::DecodeLimits::standard(), width, rowCount, 4);
        !size)
        return size.error();
    if (colorsUsed > 256)
        return DecodeError::malformed(QStringLiteral("more than 256 palette entries"));

    uint64_t offset = headerSize.value();
    if (headerSize.value() == InfoHeaderSize && compression == BitFields)
        offset += 12;  // the three colour masks follow a plain header
    else if (headerSize.value() == InfoHeaderSize && compression == AlphaBitFields)
        offset += 16;  // four masks, alpha included
    const uint32_t entries = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? 1u << bitCount : 0);
    offset += uint64_t{entries} * (core ? 3 : 4);
    if (offset > dib.size())
        return DecodeError::truncated(QStringLiteral("bitmap palette past the end"));

    if (compression != Rle8 && compression != Rle4) {
        const auto row = bytes::rowBytes(width, bitCount, 4);
        const auto rows =
            row ? bytes::checkedMul(row.value(), rowCount) : bytes::Result<uint64_t>(row.error());
        if (!rows)
            return rows.error();
        if (!bytes::rangeFits(offset, rows.value(), dib.size()))
            return DecodeError::truncated(QStringLiteral("bitmap rows past the end"));
    }
    return static_cast<uint32_t>(offset);
}

QImage decodeDib(const QByteArray& dib)
{
    const auto pixelOffset = dibPixelOffset(bytes::ByteReader(dib));
    // The file header records sizes in 32 bits.
    const auto fileSize = bytes::checkedAdd(FileHeaderSize, dib.size());
    if (!pixelOffset || !fileSize || fileSize.value() > UINT32_MAX)
        return {};
    QByteArray file("BM");
    appendLe32(file, uint32_t(fileSize.value()));
    appendLe32(file, 0);
    appendLe32(file, FileHeaderSize + pixelOffset.value());
    file.append(dib);
    return QImage::fromData(file, "BMP");
}

constexpr int MaxMetafileSide = 4096;

QImage decodeMetafile(const QByteArray& encoded, QSize size)
{
    const std::optional<picture::Metafile> metafile = metafileOf(encoded, size);
    if (!metafile)
        return {};
    if (size.width() <= 0 || size.height() <= 0)
        size = QSize(metafile->pixelWidth(), metafile->pixelHeight());
    // A document's word decides the size: drawn no larger than this, the view scales it up.
    if (size.width() > MaxMetafileSide || size.height() > MaxMetafileSide)
        size.scale(MaxMetafileSide, MaxMetafileSide, Qt::KeepAspectRatio);
    return metafile->render(std::max(1, size.width()), std::max(1, size.height()));
}

}  // namespace

std::optional<picture::Metafile> metafileOf(const QByteArray& encoded, QSize size)
{
    const auto* data = reinterpret_cast<const uint8_t*>(encoded.constData());
    const std::span<const uint8_t> bytes(data, static_cast<size_t>(encoded.size()));
    const auto himetric = [](int pixels) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t(pixels) * 2540 / 96, 0, INT32_MAX));
    };
    auto metafile =
        picture::Metafile::parse(bytes, himetric(size.width()), himetric(size.height()));
    if (!metafile)
        return std::nullopt;
    return std::move(metafile.value());
}

QImage decodePicture(const QByteArray& encoded, PictureKind kind, QSize size)
{
    switch (kind) {
        case PictureKind::Png:
        case PictureKind::Jpeg: {
            // A blip's word may not match its bytes; let the readers recognise them then.
            QImage image = QImage::fromData(encoded, kind == PictureKind::Png ? "PNG" : "JPEG");
            return image.isNull() ? QImage::fromData(encoded) : image;
        }
        case PictureKind::Dib:
            return decodeDib(encoded);
        case PictureKind::Metafile:
        case PictureKind::EnhancedMetafile:
            return decodeMetafile(encoded, size);
        default:
            return QImage::fromData(encoded);
    }
}

PixelSize encodedPixelSize(const QByteArray& encoded)
{
    QByteArray bytes = encoded;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer).size();
    return {size.width(), size.height()};
}

PixelSize metafileSizeHimetric(const QByteArray& encoded)
{
    const auto metafile =
        picture::Metafile::parse(std::span(reinterpret_cast<const uint8_t*>(encoded.constData()),
                                           static_cast<size_t>(encoded.size())));
    if (!metafile)
        return {};
    return {metafile.value().widthHimetric(), metafile.value().heightHimetric()};
}

PngPicture pictureAsPng(const QByteArray& encoded, PictureKind kind)
{
    if (kind == PictureKind::Metafile || kind == PictureKind::EnhancedMetafile)
        return {};  // metafiles are kept as they are
    const QImage image = decodePicture(encoded, kind);
    if (image.isNull())
        return {};
    PngPicture result;
    QBuffer buffer(&result.png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    result.width = image.width();
    result.height = image.height();
    return result;
}

}  // namespace richedit
