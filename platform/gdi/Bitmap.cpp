#include "platform/gdi/Bitmap.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace gdi {

Bitmap::Bitmap(QImage image, QSize size)
    : m_pixels(std::make_shared<Pixels>(Pixels{std::move(image), size}))
{
}

double displayPixelRatio()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? qGuiApp->devicePixelRatio()
               : 1.0;
}

Bitmap Bitmap::create(int width, int height)
{
    return create(width, height, displayPixelRatio());
}

Bitmap Bitmap::create(int width, int height, double devicePixelRatio)
{
    if (width <= 0 || height <= 0)
        return {};
    const pixels::Grid grid(devicePixelRatio);
    const std::int64_t deviceWidth = grid.edge(width);
    const std::int64_t deviceHeight = grid.edge(height);
    if (deviceWidth > std::numeric_limits<int>::max() ||
        deviceHeight > std::numeric_limits<int>::max())
        return {};
    QImage image(int(deviceWidth), int(deviceHeight), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.setDevicePixelRatio(grid.ratio());
    image.fill(0xFF000000u);
    return Bitmap(std::move(image), QSize(width, height));
}

Bitmap Bitmap::fromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const double ratio = image.devicePixelRatio() > 0.0 ? image.devicePixelRatio() : 1.0;
    const QSize size(std::max(1, int(std::ceil(image.width() / ratio))),
                     std::max(1, int(std::ceil(image.height() / ratio))));
    if (!image.hasAlphaChannel())
        return Bitmap(image.convertToFormat(QImage::Format_RGB32), size);
    QImage opaque(image.size(), QImage::Format_RGB32);
    if (opaque.isNull())
        return {};
    opaque.setDevicePixelRatio(ratio);
    opaque.fill(0xFF000000u);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    painter.end();
    return Bitmap(std::move(opaque), size);
}

QImage Bitmap::toImage() const
{
    return m_pixels ? m_pixels->image.copy() : QImage();
}

QRgb Bitmap::pixel(int x, int y) const
{
    const pixels::Grid grid = this->grid();
    return m_pixels->image.pixel(int(grid.edge(x)), int(grid.edge(y)));
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
    for (int row = 0; row < count; ++row) {
        const int dibRow = startScan + row;
        const int y = bottomUp ? std::abs(header.biHeight) - 1 - dibRow : dibRow;
        if (y < 0 || y >= bitmap.height())
            continue;
        auto* out = reinterpret_cast<unsigned char*>(bits.data()) + qsizetype(stride) * row;
        for (int x = 0; x < header.biWidth; ++x) {
            const QRgb source = bitmap.pixel(x, y);
            out[3 * x] = uchar(qBlue(source));
            out[3 * x + 1] = uchar(qGreen(source));
            out[3 * x + 2] = uchar(qRed(source));
        }
    }
    return count;
}

}  // namespace gdi
