#include "platform/picture/Picture.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/UprightPainter.h"
#include "platform/picture/DibDecoder.h"
#include "platform/picture/GifDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <cmath>
#include <cstring>

namespace picture {
namespace {

bool startsWith(std::span<const std::uint8_t> data, std::initializer_list<std::uint8_t> magic)
{
    return data.size() >= magic.size() && std::equal(magic.begin(), magic.end(), data.begin());
}

// Qt's reader for exactly one format, with its allocation held to the decode limit.
std::optional<QImage> readWithQt(std::span<const std::uint8_t> data, const char* format)
{
    QByteArray copy =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(int(bytes::MaxImageBytes >> 20));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

IndexedBits indexedBitsOf(const DecodedGif& gif)
{
    IndexedBits out;
    const int width = gif.image.width();
    const int height = gif.image.height();
    out.stride = (width + 3) & ~3;
    out.bits.assign(std::size_t(out.stride) * std::size_t(height), 0);
    for (int y = 0; y < height; ++y)
        std::memcpy(out.bits.data() + std::size_t(height - 1 - y) * std::size_t(out.stride),
                    gif.indexes.data() + std::size_t(y) * std::size_t(width), std::size_t(width));
    out.colours = gif.colours;
    return out;
}

double himetricToPixelsExact(std::int64_t himetric)
{
    return double(himetric) * 96.0 / 2540.0;
}

}  // namespace

std::int32_t pixelsToHimetric(std::int32_t pixels)
{
    return std::int32_t(std::lround(double(pixels) * 2540.0 / 96.0));
}

std::int32_t himetricToPixels(std::int32_t himetric)
{
    return std::int32_t(std::lround(himetricToPixelsExact(himetric)));
}

Picture::Picture(PictureType type, const QImage& image, std::optional<IndexedBits> indexed)
    : m_type(type),
      m_image(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
      m_indexed(std::move(indexed))
{
}

Picture::Picture(Metafile metafile)
    : m_type(metafile.kind() == MetafileKind::Wmf ? PICTYPE_METAFILE : PICTYPE_ENHMETAFILE),
      m_metafile(std::move(metafile))
{
}

std::int32_t Picture::Width() const
{
    return m_metafile ? m_metafile->widthHimetric() : pixelsToHimetric(m_image.width());
}

std::int32_t Picture::Height() const
{
    return m_metafile ? m_metafile->heightHimetric() : pixelsToHimetric(m_image.height());
}

bool Picture::Render(gdi::DeviceContext& dc, int x, int y, int cx, int cy, std::int32_t xSrc,
                     std::int32_t ySrc, std::int32_t cxSrc, std::int32_t cySrc) const
{
    if (cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0 || (m_image.isNull() && !m_metafile))
        return false;
    // The source in upright pixels: HIMETRIC y runs up from the bottom edge.
    const double height =
        m_metafile ? himetricToPixelsExact(m_metafile->heightHimetric()) : double(m_image.height());
    const double left = himetricToPixelsExact(xSrc);
    const double right = himetricToPixelsExact(std::int64_t(xSrc) + cxSrc);
    const double top = height - himetricToPixelsExact(ySrc);
    const double bottom = height - himetricToPixelsExact(std::int64_t(ySrc) + cySrc);
    const QRectF source = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    const bool mirrorX = (right < left) != (cx < 0);
    const bool mirrorY = (bottom < top) != (cy < 0);

    QPainter painter;
    if (!gdi::beginUprightPainter(painter, dc))
        return false;
    // The destination runs from x to x + cx (exclusive) and from y to y + cy.
    const QRect target(std::min(x, x + cx), std::min(y, y + cy), std::abs(cx), std::abs(cy));
    painter.translate(mirrorX ? target.right() + 1 : target.left(),
                      mirrorY ? target.bottom() + 1 : target.top());
    painter.scale(mirrorX ? -1 : 1, mirrorY ? -1 : 1);
    if (!m_metafile) {
        painter.drawImage(QRectF(0, 0, target.width(), target.height()), m_image, source);
        return true;
    }
    // The whole picture placed so that the source part fills the target, clipped to it.
    if (source.width() <= 0 || source.height() <= 0)
        return false;
    const double sx = target.width() / source.width();
    const double sy = target.height() / source.height();
    const QRectF whole(-source.left() * sx, -source.top() * sy,
                       himetricToPixelsExact(m_metafile->widthHimetric()) * sx, height * sy);
    painter.setClipRect(QRectF(0, 0, target.width(), target.height()), Qt::IntersectClip);
    m_metafile->play(painter, whole);
    return true;
}

std::optional<Picture> loadPicture(std::span<const std::uint8_t> data)
{
    if (data.size() < 4)
        return std::nullopt;
    if (Metafile::looksLikeMetafile(data)) {
        auto metafile = Metafile::parse(data);
        if (!metafile)
            return std::nullopt;
        return Picture(std::move(metafile.value()));
    }
    if (startsWith(data, {'B', 'M'})) {
        auto dib = decodeBmpFile(data);
        if (!dib)
            return std::nullopt;
        return Picture(PICTYPE_BITMAP, dib.value().image);
    }
    if (startsWith(data, {'G', 'I', 'F', '8'})) {
        auto gif = decodeGif(data);
        if (!gif)
            return std::nullopt;
        return Picture(PICTYPE_BITMAP, gif.value().image, indexedBitsOf(gif.value()));
    }
    if (startsWith(data, {0xFF, 0xD8, 0xFF})) {
        if (auto image = readWithQt(data, "jpeg"))
            return Picture(PICTYPE_BITMAP, *image);
        return std::nullopt;
    }
    if (startsWith(data, {0, 0, 1, 0}) || startsWith(data, {0, 0, 2, 0})) {
        if (auto image = readWithQt(data, data[2] == 1 ? "ico" : "cur"))
            return Picture(PICTYPE_ICON, *image);
    }
    return std::nullopt;
}

std::optional<Picture> pictureFromBitmap(const gdi::Bitmap& bitmap, PictureType type)
{
    if (bitmap.isNull() || (type != PICTYPE_BITMAP && type != PICTYPE_ICON))
        return std::nullopt;
    QImage pixels = bitmap.toImage();
    if (bitmap.isBottomUp())
        pixels = pixels.mirrored(false, true);
    // A picture's size is in logical pixels: a finer bitmap is brought down to them.
    if (pixels.size() != bitmap.rect().size())
        pixels = pixels.scaled(bitmap.width(), bitmap.height(), Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
    pixels.setDevicePixelRatio(1.0);
    return Picture(type, pixels);
}

std::optional<Picture> pictureFromMetafile(const Metafile& metafile, PictureType type)
{
    const PictureType kind =
        metafile.kind() == MetafileKind::Wmf ? PICTYPE_METAFILE : PICTYPE_ENHMETAFILE;
    if (type != kind)
        return std::nullopt;
    return Picture(metafile);
}

}  // namespace picture
