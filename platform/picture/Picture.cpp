#include "platform/picture/Picture.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/UprightPainter.h"
#include "platform/host/Units.h"
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

// The bits per pixel of an icon file's first entry, the one Qt's reader decodes: its bitmap
// header's count, else the directory's; a PNG entry counts as 32.
int firstIconEntryBitCount(std::span<const std::uint8_t> data)
{
    const auto u16 = [&](std::size_t at) {
        return at + 2 <= data.size() ? int(data[at] | (data[at + 1] << 8)) : 0;
    };
    const auto u32 = [&](std::size_t at) {
        return at + 4 <= data.size() ? std::uint32_t(u16(at)) | (std::uint32_t(u16(at + 2)) << 16)
                                     : 0u;
    };
    const std::size_t image = u32(6 + 12);
    if (image < data.size() && startsWith(data.subspan(image), {0x89, 'P', 'N', 'G'}))
        return 32;
    const int header = image + 16 <= data.size() ? u16(image + 14) : 0;
    return header != 0 ? header : u16(6 + 6);
}

// Hides the pixels that the AND mask of an icon file's first bitmap entry marks transparent.
// Qt's reader leaves some depths' masks unread (24 bits shows its hidden pixels as black).
QImage withIconMask(std::span<const std::uint8_t> data, QImage image)
{
    const auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | (at + 4 <= data.size() ? data[at + std::size_t(i)] : 0u);
        return value;
    };
    const std::uint64_t bytes = u32(6 + 8);
    const std::uint64_t offset = u32(6 + 12);
    const std::uint64_t width = std::uint64_t(image.width());
    const std::uint64_t height = std::uint64_t(image.height());
    const std::uint64_t maskRow = (width + 31) / 32 * 4;
    if (offset + bytes > data.size() || maskRow * height > bytes)
        return image;
    const std::uint64_t mask = offset + bytes - maskRow * height;
    image.convertTo(QImage::Format_ARGB32);
    for (std::uint64_t row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(int(height - 1 - row)));
        for (std::uint64_t x = 0; x < width; ++x)
            if (data[mask + row * maskRow + x / 8] & (0x80 >> (x % 8)))
                line[x] = 0;
    }
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

double screenDpi(bool horizontal)
{
    return horizontal ? host::logicalDpiX() : host::logicalDpiY();
}

double himetricToPixelsExact(std::int64_t himetric, bool horizontal)
{
    return double(himetric) * screenDpi(horizontal) / 2540.0;
}

}  // namespace

std::int32_t pixelsToHimetric(std::int32_t pixels, bool horizontal)
{
    return std::int32_t(std::lround(double(pixels) * 2540.0 / screenDpi(horizontal)));
}

std::int32_t himetricToPixels(std::int32_t himetric, bool horizontal)
{
    return std::int32_t(std::lround(himetricToPixelsExact(himetric, horizontal)));
}

Picture::Picture(PictureType type, const QImage& image, std::optional<IndexedBits> indexed,
                 IconTraits icon)
    : m_type(type),
      m_image(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
      m_indexed(std::move(indexed)),
      m_icon(icon)
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
    return m_metafile ? m_metafile->heightHimetric() : pixelsToHimetric(m_image.height(), false);
}

bool Picture::Render(gdi::DeviceContext& dc, int x, int y, int cx, int cy, std::int32_t xSrc,
                     std::int32_t ySrc, std::int32_t cxSrc, std::int32_t cySrc) const
{
    if (cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0 || (m_image.isNull() && !m_metafile))
        return false;
    // The source in upright pixels: HIMETRIC y runs up from the bottom edge.
    const double height = m_metafile ? himetricToPixelsExact(m_metafile->heightHimetric(), false)
                                     : double(m_image.height());
    const double left = himetricToPixelsExact(xSrc, true);
    const double right = himetricToPixelsExact(std::int64_t(xSrc) + cxSrc, true);
    const double top = height - himetricToPixelsExact(ySrc, false);
    const double bottom = height - himetricToPixelsExact(std::int64_t(ySrc) + cySrc, false);
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
                       himetricToPixelsExact(m_metafile->widthHimetric(), true) * sx, height * sy);
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
        if (auto image = readWithQt(data, data[2] == 1 ? "ico" : "cur")) {
            const int bitCount = firstIconEntryBitCount(data);
            return Picture(PICTYPE_ICON, bitCount < 32 ? withIconMask(data, *image) : *image,
                           std::nullopt, IconTraits{data[2] == 2, bitCount});
        }
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
