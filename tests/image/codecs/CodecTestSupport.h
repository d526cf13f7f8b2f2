// Shared by the codec tests: pixels of a host image by upright coordinates, an independent
// decode through Qt's readers, little-endian byte builders, and damaged copies of a file.
#pragma once

#include "image/core/c32bppDIB.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace codectest {

// Blue, green, red, alpha of the host's pixel at (x, y), y counted from the top row.
inline std::array<int, 4> bgraAt(const XrImage::c32bppDIB& image, int x, int y)
{
    const std::uint8_t* p = image.BitsPointer() +
                            std::size_t(image.Height() - 1 - y) * std::size_t(image.scanWidth()) +
                            std::size_t(x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// The premultiplied form of a straight colour, as the library computes it.
inline std::array<int, 4> premultiplied(int b, int g, int r, int a)
{
    if (a == 255)
        return {b, g, r, 255};
    return {b * a / 255, g * a / 255, r * a / 255, a};
}

inline std::array<int, 4> premultiplied(QRgb straight)
{
    return premultiplied(qBlue(straight), qGreen(straight), qRed(straight), qAlpha(straight));
}

// Qt's decode of the bytes as that format, converted to straight ARGB32; null when Qt refuses.
inline QImage decodeWithQt(const QByteArray& bytes, const char* format)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    const QImage image = reader.read();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

// The host's pixels against a straight-alpha reference, premultiplied as the library does.
// Returns the number of differing pixels (0 when the sizes match and every pixel agrees).
inline int differingPixels(const XrImage::c32bppDIB& image, const QImage& reference,
                           int tolerance = 0)
{
    if (image.Width() != reference.width() || image.Height() != reference.height())
        return -1;
    int differing = 0;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x) {
            const auto expected = premultiplied(reference.pixel(x, y));
            const auto actual = bgraAt(image, x, y);
            for (int c = 0; c < 4; ++c)
                if (std::abs(expected[std::size_t(c)] - actual[std::size_t(c)]) > tolerance) {
                    ++differing;
                    break;
                }
        }
    return differing;
}

struct ByteWriter {
    QByteArray bytes;
    ByteWriter& u8(int v)
    {
        bytes.append(char(v & 0xFF));
        return *this;
    }
    ByteWriter& u16(int v) { return u8(v).u8(v >> 8); }
    ByteWriter& u32(std::uint32_t v) { return u16(int(v & 0xFFFF)).u16(int(v >> 16)); }
    ByteWriter& be32(std::uint32_t v)
    {
        return u8(int(v >> 24)).u8(int(v >> 16)).u8(int(v >> 8)).u8(int(v));
    }
    ByteWriter& text(const char* s)
    {
        bytes.append(s, qsizetype(std::strlen(s)));
        return *this;
    }
    ByteWriter& raw(const QByteArray& more)
    {
        bytes.append(more);
        return *this;
    }
};

// Copies of a file with damage a reader must survive: cut at many lengths, single bytes
// flipped across the file, and bytes set to 0xFF (large sizes and counts).
inline void forEachDamagedCopy(const QByteArray& original,
                               const std::function<void(const QByteArray&)>& use)
{
    const qsizetype size = original.size();
    const qsizetype step = std::max<qsizetype>(1, size / 97);
    for (qsizetype cut = 0; cut < size; cut += step)
        use(original.left(cut));
    for (qsizetype at = 0; at < size; at += std::max<qsizetype>(1, step / 2)) {
        QByteArray flipped = original;
        flipped[at] = char(flipped[at] ^ 0x5A);
        use(flipped);
        QByteArray high = original;
        high[at] = char(0xFF);
        use(high);
    }
}

}  // namespace codectest
