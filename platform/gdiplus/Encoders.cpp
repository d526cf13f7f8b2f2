#include "platform/gdiplus/Encoders.h"

#include "platform/gdiplus/Session.h"
#include "platform/system/FileSystem.h"

#include <QBuffer>
#include <QImageWriter>

namespace gdiplus {
namespace {

ImageCodecInfo codec(const char* mime, const char* format)
{
    // Stable identifiers derived from the MIME type.
    static const QUuid space(QStringLiteral("{6b1f0c52-98a4-4c1e-b7c2-3f0d5a2e9e11}"));
    const QString type = QString::fromLatin1(mime);
    return {QUuid::createUuidV5(space, type), type, QByteArray(format)};
}

const std::vector<ImageCodecInfo>& encoders()
{
    static const std::vector<ImageCodecInfo> list = {
        codec("image/bmp", "bmp"),   codec("image/jpeg", "jpeg"), codec("image/gif", "gif"),
        codec("image/tiff", "tiff"), codec("image/png", "png"),
    };
    return list;
}

const ImageCodecInfo* findEncoder(const QUuid& clsid)
{
    for (const ImageCodecInfo& info : encoders())
        if (info.Clsid == clsid)
            return &info;
    return nullptr;
}

Status encode(const GpImage& image, const QUuid& clsid, const EncoderParameters* parameters,
              QByteArray& out)
{
    if (!sessionActive())
        return GdiplusNotInitialized;
    const ImageCodecInfo* encoder = findEncoder(clsid);
    if (!encoder)
        return InvalidParameter;
    const QImage picture = image.oriented();
    if (picture.isNull())
        return OutOfMemory;
    if (encoder->FormatName == "gif") {
        out = encodeGif(picture);
        return out.isEmpty() ? Win32Error : Ok;
    }
    // JPEG and BMP have no alpha: the picture as it shows over black.
    const bool opaqueFormat = encoder->FormatName == "jpeg" || encoder->FormatName == "bmp";
    QImage converted;
    if (opaqueFormat) {
        converted = QImage(picture.size(), QImage::Format_RGB32);
        converted.fill(Qt::black);
        for (int y = 0; y < picture.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            auto* line = reinterpret_cast<QRgb*>(converted.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                line[x] = in[x] | 0xFF000000u;
        }
    } else {
        converted = picture.convertToFormat(QImage::Format_ARGB32);
    }
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, encoder->FormatName);
    if (parameters && parameters->hasQuality)
        writer.setQuality(int(parameters->quality));
    return writer.write(converted) ? Ok : Win32Error;
}

}  // namespace

std::vector<ImageCodecInfo> GdipGetImageEncoders()
{
    if (!sessionActive())
        return {};
    return encoders();
}

int findEncoder(const QString& mime, QUuid& clsid)
{
    const std::vector<ImageCodecInfo> list = GdipGetImageEncoders();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].MimeType.compare(mime, Qt::CaseInsensitive) == 0) {
            clsid = list[i].Clsid;
            return int(i) + 1;
        }
    }
    return -1;
}

Status GdipSaveImageToFile(const GpImage& image, const QString& fileName, const QUuid& encoder,
                           const EncoderParameters* parameters)
{
    QByteArray bytes;
    const Status status = encode(image, encoder, parameters, bytes);
    if (status != Ok)
        return status;
    return sys::writeFileSafely(fileName, bytes) ? Ok : Win32Error;
}

Status GdipSaveImageToStream(const GpImage& image, QByteArray& stream, const QUuid& encoder,
                             const EncoderParameters* parameters)
{
    QByteArray bytes;
    const Status status = encode(image, encoder, parameters, bytes);
    if (status == Ok)
        stream += bytes;
    return status;
}

}  // namespace gdiplus
