#include "platform/richedit/picture/PictureDecoding.h"

#include "platform/richedit/picture/PictureBytes.h"

#include <QBuffer>
#include <QImageReader>

namespace richedit {
namespace {

uint32_t readLe(const QByteArray& bytes, qsizetype at, int width)
{
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void appendLe32(QByteArray& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

// Where a packed bitmap's pixels start (after header, colour masks and palette); 0 when the
// bytes do not start with a bitmap header that fits them.
uint32_t dibPixelOffset(const QByteArray& dib)
{
    if (dib.size() < 12)
        return 0;
    const uint32_t headerSize = readLe(dib, 0, 4);
    if (headerSize == 12) {
        const uint32_t bitCount = readLe(dib, 10, 2);
        return 12 + (bitCount <= 8 ? 3u << bitCount : 0);
    }
    if (headerSize < 40 || headerSize > uint32_t(dib.size()))
        return 0;
    const uint32_t bitCount = readLe(dib, 14, 2);
    const uint32_t compression = readLe(dib, 16, 4);
    const uint32_t colorsUsed = readLe(dib, 32, 4);
    if (colorsUsed > 256)
        return 0;
    uint32_t offset = headerSize;
    if (headerSize == 40 && compression == 3)
        offset += 12;  // the three colour masks follow a plain header
    else if (headerSize == 40 && compression == 6)
        offset += 16;  // four masks, alpha included
    const uint32_t entries = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? 1u << bitCount : 0);
    return offset + 4 * entries;
}

QImage decodeDib(const QByteArray& dib)
{
    const uint32_t offset = dibPixelOffset(dib);
    if (offset == 0 || offset > uint32_t(dib.size()))
        return {};
    QByteArray file("BM");
    appendLe32(file, uint32_t(14 + dib.size()));
    appendLe32(file, 0);
    appendLe32(file, 14 + offset);
    file.append(dib);
    return QImage::fromData(file, "BMP");
}

}  // namespace

QImage decodePicture(const QByteArray& encoded, PictureKind kind)
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
            return {};  // no reader for these
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

PngPicture pictureAsPng(const QByteArray& encoded, PictureKind kind)
{
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
