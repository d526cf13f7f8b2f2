#include "platform/gdiplus/GpImage.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdiplus/Session.h"
#include "platform/picture/GifDecoder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QRgba64>
#include <optional>
#include <utility>

namespace gdiplus {
namespace {

// The most pixels `dataBytes` of a compressed image can credibly hold: no format packs more than
// a GIF's LZW or a PNG's deflate does, so a few bytes never make a canvas of a hundred megabytes,
// whatever the header says. (The reading limit of Qt is process-wide and raised elsewhere.)
std::uint64_t crediblePixels(std::uint64_t dataBytes)
{
    return std::max(picture::gifPixelFloor, dataBytes * picture::maxGifPixelsPerByte);
}

// The size the header announces, read before any pixel is: the reader's own answer, or for a GIF
// (whose reader may not say) its screen.
std::uint64_t announcedPixels(QImageReader& reader)
{
    const QSize size = reader.size();
    if (size.isValid())
        return std::uint64_t(size.width()) * std::uint64_t(size.height());
    if (!reader.canRead() || !reader.device())
        return 0;
    const QByteArray head = reader.device()->peek(10);
    if (head.size() < 10 || !head.startsWith("GIF8"))
        return 0;
    const auto word = [&](int at) {
        return std::uint64_t(std::uint8_t(head[at])) | std::uint64_t(std::uint8_t(head[at + 1]))
                                                           << 8;
    };
    return word(6) * word(8);
}

std::uint32_t bigEndian32(const QByteArray& bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return std::uint32_t(std::uint8_t(bytes[at + i])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

struct RgbKey {
    std::uint16_t red = 0, green = 0, blue = 0;
};

// Qt takes the pixels of a 16-bit RGB PNG with a transparency key for RGBA and scrambles them.
// Such a file's bytes without the key's chunk, and the key; nothing for any other data.
std::optional<std::pair<QByteArray, RgbKey>> splitSixteenBitRgbKey(const QByteArray& png)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (png.size() < 33 || !png.startsWith(signature) || png.mid(12, 4) != "IHDR" ||
        png[24] != 16 || png[25] != 2)
        return std::nullopt;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = bigEndian32(png, at);
        const QByteArray type = png.mid(at + 4, 4);
        if (length > std::uint32_t(png.size() - at - 12) || type == "IDAT" || type == "IEND")
            break;
        if (type == "tRNS" && length == 6) {
            const auto sample = [&](int i) {
                return std::uint16_t(std::uint8_t(png[at + 8 + i]) << 8 |
                                     std::uint8_t(png[at + 9 + i]));
            };
            QByteArray rest = png.left(at) + png.mid(at + 12 + qsizetype(length));
            return std::pair{rest, RgbKey{sample(0), sample(2), sample(4)}};
        }
        at += 12 + qsizetype(length);
    }
    return std::nullopt;
}

// A 16-bit RGB PNG decoded without Qt's misreading of its key: the pixels matching the key
// in all 16 bits of every sample become transparent.
QImage readSixteenBitRgb(QByteArray bytes)
{
    const std::optional<std::pair<QByteArray, RgbKey>> split = splitSixteenBitRgbKey(bytes);
    if (split)
        bytes = split->first;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader plain(&buffer, "png");
    if (!split)
        return plain.read();
    QImage pixels = plain.read().convertToFormat(QImage::Format_RGBA64);
    const RgbKey key = split->second;
    for (int y = 0; y < pixels.height(); ++y) {
        auto* row = reinterpret_cast<QRgba64*>(pixels.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            if (row[x].red() == key.red && row[x].green() == key.green && row[x].blue() == key.blue)
                row[x] = QRgba64::fromRgba64(0, 0, 0, 0);
    }
    return pixels;
}

bool isSixteenBitRgbPng(QIODevice* device)
{
    // A reader given a file name opens it only when it reads.
    if (!device || (!device->isOpen() && !device->open(QIODevice::ReadOnly)))
        return false;
    const QByteArray head = device->peek(33);
    return head.size() == 33 && head.startsWith("\x89PNG") && head[24] == 16 && head[25] == 2;
}

Status decode(QImageReader& reader, std::uint64_t dataBytes, std::unique_ptr<GpImage>& image)
{
    image.reset();
    if (!sessionActive())
        return GdiplusNotInitialized;
    reader.setAutoTransform(false);
    const std::uint64_t limit = crediblePixels(dataBytes);
    // Read before the reader touches the device: it may move on from the start.
    const bool sixteenBitRgb = isSixteenBitRgbPng(reader.device());
    const QByteArray whole = sixteenBitRgb ? reader.device()->readAll() : QByteArray();
    if (sixteenBitRgb) {
        QByteArray copy = whole;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        QImageReader header(&buffer, "png");
        if (announcedPixels(header) > limit)
            return OutOfMemory;
    } else if (announcedPixels(reader) > limit) {
        return OutOfMemory;
    }
    QImage decoded = sixteenBitRgb ? readSixteenBitRgb(whole) : reader.read();
    if (decoded.isNull())
        return reader.error() == QImageReader::FileNotFoundError ? FileNotFound
                                                                 : UnknownImageFormat;
    // A frame reaching past a GIF's screen can still make the canvas larger than announced.
    if (std::uint64_t(decoded.width()) * std::uint64_t(decoded.height()) > limit)
        return OutOfMemory;
    decoded.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (decoded.isNull())
        return OutOfMemory;
    image = GpImage::fromStored(std::move(decoded));
    return Ok;
}

}  // namespace

QImage GpImage::oriented() const
{
    return m_stored.mirrored(flipsX(m_orientation), flipsY(m_orientation));
}

std::unique_ptr<GpImage> GpImage::fromStored(QImage stored)
{
    return std::unique_ptr<GpImage>(new GpImage(std::move(stored)));
}

Status GdipCreateBitmapFromScan0(int width, int height, int stride, int format, std::uint8_t* scan0,
                                 std::unique_ptr<GpImage>& image)
{
    image.reset();
    if (!sessionActive())
        return GdiplusNotInitialized;
    if (format != PixelFormat32bppPARGB || width <= 0 || height <= 0 || !scan0 ||
        stride < width * 4 || stride % 4 != 0)
        return InvalidParameter;
    QImage view(scan0, width, height, stride, QImage::Format_ARGB32_Premultiplied);
    if (view.isNull())
        return OutOfMemory;
    image = GpImage::fromStored(std::move(view));
    return Ok;
}

Status GdipCreateBitmapFromHBITMAP(const gdi::Bitmap& bitmap, std::unique_ptr<GpImage>& image)
{
    image.reset();
    if (!sessionActive())
        return GdiplusNotInitialized;
    if (bitmap.isNull())
        return InvalidParameter;
    QImage copy = bitmap.image().convertToFormat(QImage::Format_RGB32);
    if (copy.isNull())
        return OutOfMemory;
    // The bitmap's size is its logical one, also where its pixels are finer.
    if (copy.size() != bitmap.rect().size())
        copy = copy.scaled(bitmap.width(), bitmap.height(), Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
    copy.setDevicePixelRatio(1.0);
    copy.convertTo(QImage::Format_ARGB32_Premultiplied);
    image = GpImage::fromStored(std::move(copy));
    if (bitmap.isBottomUp())
        image->m_orientation = RotateNoneFlipY;
    return Ok;
}

Status GdipLoadImageFromFile(const QString& fileName, std::unique_ptr<GpImage>& image)
{
    QImageReader reader(fileName);
    return decode(reader, std::uint64_t(std::max<qint64>(QFileInfo(fileName).size(), 0)), image);
}

Status GdipLoadImageFromStream(const QByteArray& stream, std::unique_ptr<GpImage>& image)
{
    QByteArray data = stream;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return decode(reader, std::uint64_t(data.size()), image);
}

Status GdipImageRotateFlip(GpImage& image, int type)
{
    if (type != RotateNoneFlipNone && type != Rotate180FlipNone && type != RotateNoneFlipX &&
        type != RotateNoneFlipY)
        return InvalidParameter;
    image.m_orientation = orientationBetween(image.m_orientation, type);
    return Ok;
}

Status GdipGetImageBounds(const GpImage& image, RectF& bounds)
{
    bounds = {0, 0, float(image.width()), float(image.height())};
    return Ok;
}

}  // namespace gdiplus
