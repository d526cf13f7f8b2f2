#include "platform/richedit/RtfWriterPicture.h"

#include <QBuffer>
#include <QImage>

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
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Where the pixels of a packed device-independent bitmap start: after its header, colour
// masks and palette. Zero when the header is not one.
uint32_t dibPixelOffset(const QByteArray& dib)
{
    if (dib.size() < 12)
        return 0;
    const uint32_t headerSize = readLe(dib, 0, 4);
    if (headerSize == 12) {
        const uint32_t bitCount = readLe(dib, 10, 2);
        return 12 + (bitCount <= 8 ? 3u << bitCount : 0);
    }
    if (headerSize < 40 || headerSize > static_cast<uint32_t>(dib.size()))
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
        offset += 16;
    const uint32_t paletteEntries =
        colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? 1u << bitCount : 0);
    return offset + 4 * paletteEntries;
}

// A packed bitmap becomes a bitmap file once it has the file header in front.
QImage decodeDib(const QByteArray& dib)
{
    const uint32_t offset = dibPixelOffset(dib);
    if (offset == 0 || offset > static_cast<uint32_t>(dib.size()))
        return {};
    QByteArray file("BM");
    appendLe32(file, static_cast<uint32_t>(14 + dib.size()));
    appendLe32(file, 0);
    appendLe32(file, 14 + offset);
    file.append(dib);
    return QImage::fromData(file, "BMP");
}

QImage decode(const Picture& picture)
{
    if (!picture.cache.isNull())
        return picture.cache;
    switch (picture.kind) {
        case PictureKind::Dib:
            return decodeDib(picture.encoded);
        case PictureKind::Metafile:
        case PictureKind::EnhancedMetafile:
            return {};  // no decoder for these
        default:
            return QImage::fromData(picture.encoded);
    }
}

QByteArray encodePng(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return png;
}

const char* blipWord(PictureKind kind)
{
    switch (kind) {
        case PictureKind::Png:
            return "\\pngblip";
        case PictureKind::Jpeg:
            return "\\jpegblip";
        case PictureKind::Dib:
            return "\\dibitmap0";
        case PictureKind::DeviceBitmap:
            return "\\wbitmap0";
        case PictureKind::Metafile:
            return "\\wmetafile8";
        case PictureKind::EnhancedMetafile:
            return "\\emfblip";
    }
    return "\\pngblip";
}

void writeGroup(RtfOutput& out, PictureKind kind, int32_t width, int32_t height,
                const Picture& picture, const QByteArray& bytes)
{
    out.openGroup();
    out.word("\\pict");
    out.word(blipWord(kind));
    out.word("\\picw", width);
    out.word("\\pich", height);
    out.word("\\picwgoal", picture.goalWidthTw);
    out.word("\\pichgoal", picture.goalHeightTw);
    out.hex(bytes);
    out.closeGroup();
}

}  // namespace

void writePicture(RtfOutput& out, const Picture& picture)
{
    if (picture.kind != PictureKind::Png && picture.kind != PictureKind::Jpeg) {
        const QImage image = decode(picture);
        const QByteArray png = image.isNull() ? QByteArray() : encodePng(image);
        if (!png.isEmpty()) {
            writeGroup(out, PictureKind::Png, image.width(), image.height(), picture, png);
            return;
        }
    }
    writeGroup(out, picture.kind, picture.pixelWidth, picture.pixelHeight, picture,
               picture.encoded);
}

qsizetype pictureSizeEstimate(const Picture& picture)
{
    return 2 * picture.encoded.size() + 96;
}

}  // namespace richedit
