#include "platform/host/SavePicture.h"

#include "platform/runtime/VbError.h"

#include <QSaveFile>
#include <cstdint>

namespace host {

namespace {

void putLe(QByteArray& bytes, qsizetype at, std::uint32_t value, int size)
{
    for (int index = 0; index < size; ++index)
        bytes[at + index] = char((value >> (8 * index)) & 0xFFu);
}

// The file and info headers, then the rows bottom-up, each padded to 4 bytes.
QByteArray bmpBytes(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const std::uint32_t width = std::uint32_t(rgb.width());
    const std::uint32_t height = std::uint32_t(rgb.height());
    const std::uint32_t stride = (width * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * height;
    QByteArray bytes(54 + qsizetype(pixelBytes), '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLe(bytes, 2, 54 + pixelBytes, 4);
    putLe(bytes, 10, 54, 4);
    putLe(bytes, 14, 40, 4);
    putLe(bytes, 18, width, 4);
    putLe(bytes, 22, height, 4);
    putLe(bytes, 26, 1, 2);
    putLe(bytes, 28, 24, 2);
    putLe(bytes, 34, pixelBytes, 4);
    // 96 dots per inch in pixels per metre.
    putLe(bytes, 38, 3780, 4);
    putLe(bytes, 42, 3780, 4);
    for (std::uint32_t row = 0; row < height; ++row) {
        const QRgb* source =
            reinterpret_cast<const QRgb*>(rgb.constScanLine(int(height - 1 - row)));
        char* target = bytes.data() + 54 + qsizetype(row) * stride;
        for (std::uint32_t column = 0; column < width; ++column) {
            target[column * 3] = char(qBlue(source[column]));
            target[column * 3 + 1] = char(qGreen(source[column]));
            target[column * 3 + 2] = char(qRed(source[column]));
        }
    }
    return bytes;
}

}  // namespace

void SavePicture(const QImage& picture, const QString& fileName)
{
    if (picture.isNull())
        vb::raiseError(380);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        vb::raiseError(75);
    const QByteArray bytes = bmpBytes(picture);
    if (file.write(bytes) != bytes.size() || !file.commit())
        vb::raiseError(75);
}

}  // namespace host
