#include "platform/gdiplus/GpImage.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdiplus/Session.h"
#include "platform/picture/GifDecoder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

namespace gdiplus {
namespace {

// The most pixels `dataBytes` of GIF can credibly hold, or 0 when the data is no GIF. Reading
// the screen size from the header before decoding means a few bytes of GIF never make a canvas
// of a hundred megabytes.
std::uint64_t gifPixelLimit(QImageReader& reader, std::uint64_t dataBytes)
{
    if (!reader.canRead() || !reader.device())
        return 0;
    const QByteArray head = reader.device()->peek(10);
    if (head.size() < 10 || !head.startsWith("GIF8"))
        return 0;
    return std::max(picture::gifPixelFloor, dataBytes * picture::maxGifPixelsPerByte);
}

std::uint64_t gifScreenPixels(QImageReader& reader)
{
    const QByteArray head = reader.device()->peek(10);
    const auto word = [&](int at) {
        return std::uint64_t(std::uint8_t(head[at])) | std::uint64_t(std::uint8_t(head[at + 1]))
                                                           << 8;
    };
    return word(6) * word(8);
}

Status decode(QImageReader& reader, std::uint64_t dataBytes, std::unique_ptr<GpImage>& image)
{
    image.reset();
    if (!sessionActive())
        return GdiplusNotInitialized;
    reader.setAutoTransform(false);
    const std::uint64_t gifLimit = gifPixelLimit(reader, dataBytes);
    if (gifLimit != 0 && gifScreenPixels(reader) > gifLimit)
        return OutOfMemory;
    QImage decoded = reader.read();
    if (decoded.isNull())
        return reader.error() == QImageReader::FileNotFoundError ? FileNotFound
                                                                 : UnknownImageFormat;
    // A frame reaching past the screen can still make the canvas larger than the header said.
    if (gifLimit != 0 &&
        std::uint64_t(decoded.width()) * std::uint64_t(decoded.height()) > gifLimit)
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
