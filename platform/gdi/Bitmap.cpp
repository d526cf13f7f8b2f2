#include "platform/gdi/Bitmap.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace gdi {

Bitmap::Bitmap(QImage image) : m_image(std::make_shared<QImage>(std::move(image)))
{
}

Bitmap Bitmap::create(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(0xFF000000u);
    return Bitmap(std::move(image));
}

Bitmap Bitmap::fromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    if (!image.hasAlphaChannel())
        return Bitmap(image.convertToFormat(QImage::Format_RGB32));
    QImage opaque(image.size(), QImage::Format_RGB32);
    if (opaque.isNull())
        return {};
    opaque.fill(0xFF000000u);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    painter.end();
    return Bitmap(std::move(opaque));
}

QImage Bitmap::toImage() const
{
    return m_image ? m_image->copy() : QImage();
}

int dibStride24(int width)
{
    return ((width * 3) + 3) & ~3;
}

int getDIBits(const Bitmap& bitmap, int startScan, int scanLines, QByteArray& bits,
              BitmapInfoHeader& header)
{
    if (bitmap.isNull() || header.biBitCount != 24 || header.biCompression != 0 ||
        header.biWidth != bitmap.width() || header.biHeight == 0)
        return 0;
    const int rows = std::min(std::abs(header.biHeight), bitmap.height());
    const int stride = dibStride24(header.biWidth);
    header.biSizeImage = std::uint32_t(stride) * std::uint32_t(std::abs(header.biHeight));
    if (startScan < 0 || scanLines <= 0 || startScan >= rows)
        return 0;
    const int count = std::min(scanLines, rows - startScan);
    const bool bottomUp = header.biHeight > 0;
    bits.resize(qsizetype(stride) * count);
    bits.fill('\0');
    const QImage& image = bitmap.image();
    for (int row = 0; row < count; ++row) {
        const int dibRow = startScan + row;
        const int y = bottomUp ? std::abs(header.biHeight) - 1 - dibRow : dibRow;
        if (y < 0 || y >= image.height())
            continue;
        const auto* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* out = reinterpret_cast<unsigned char*>(bits.data()) + qsizetype(stride) * row;
        for (int x = 0; x < header.biWidth; ++x) {
            out[3 * x] = uchar(qBlue(source[x]));
            out[3 * x + 1] = uchar(qGreen(source[x]));
            out[3 * x + 2] = uchar(qRed(source[x]));
        }
    }
    return count;
}

}  // namespace gdi
