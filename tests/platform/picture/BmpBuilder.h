// Builds BMP files for the decoder's tests, written here independently of the decoder: any
// header version, depth, compression, palette and masks, with the rows given as expected
// colours and packed by the builder.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <cstdint>
#include <vector>

namespace bmptest {

inline void put16(QByteArray& out, std::uint32_t v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

inline void put32(QByteArray& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

struct Bmp {
    std::uint32_t headerSize = 40;
    int width = 1;
    int height = 1;  // negative: top-down
    int bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    QList<QRgb> palette;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    bool masksAfterHeader = false;          // 40-byte header with bit fields
    QByteArray pixelData;                   // rows as they lie in the file
    std::int64_t pixelOffsetOverride = -1;

    // The file: file header, info header, masks, palette, pixel data.
    QByteArray file() const
    {
        QByteArray info;
        put32(info, headerSize);
        if (headerSize == 12) {
            put16(info, std::uint32_t(width));
            put16(info, std::uint32_t(height));
            put16(info, 1);
            put16(info, std::uint32_t(bitCount));
        } else {
            put32(info, std::uint32_t(width));
            put32(info, std::uint32_t(height));
            put16(info, 1);
            put16(info, std::uint32_t(bitCount));
            put32(info, compression);
            put32(info, std::uint32_t(pixelData.size()));
            put32(info, 2835);
            put32(info, 2835);
            put32(info, coloursUsed);
            put32(info, 0);
            if (headerSize >= 52 && headerSize != 64)
                for (int i = 0; i < 3; ++i)
                    put32(info, masks[i]);
            if (headerSize >= 56 && headerSize != 64)
                put32(info, masks[3]);
        }
        info = info.left(int(headerSize));
        while (info.size() < int(headerSize))
            info.append('\0');
        if (masksAfterHeader)
            for (int i = 0; i < (compression == 6 ? 4 : 3); ++i)
                put32(info, masks[i]);
        for (QRgb colour : palette) {
            info.append(char(qBlue(colour)));
            info.append(char(qGreen(colour)));
            info.append(char(qRed(colour)));
            if (headerSize != 12)
                info.append('\0');
        }
        QByteArray out("BM");
        const std::uint32_t offset = pixelOffsetOverride >= 0 ? std::uint32_t(pixelOffsetOverride)
                                                              : std::uint32_t(14 + info.size());
        put32(out, std::uint32_t(14 + info.size() + pixelData.size()));
        put32(out, 0);
        put32(out, offset);
        out += info;
        out += pixelData;
        return out;
    }
};

inline int stride(int width, int bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}

// Packs rows of palette indexes (given top-down) at the depth, bottom-up unless topDown.
inline QByteArray packIndexes(const std::vector<std::vector<int>>& rows, int bitCount, bool topDown)
{
    const int width = int(rows[0].size());
    QByteArray out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[topDown ? r : rows.size() - 1 - r];
        QByteArray packed(stride(width, bitCount), '\0');
        for (int x = 0; x < width; ++x) {
            const int bit = x * bitCount;
            const int shift = 8 - bitCount - bit % 8;
            packed[bit / 8] = char(packed[bit / 8] | (row[std::size_t(x)] << shift));
        }
        out += packed;
    }
    return out;
}

// Packs upright pixels as 16, 24 or 32-bit values through masks (24: plain BGR).
inline QByteArray packPixels(const QImage& image, int bitCount, const std::uint32_t masks[4],
                             bool topDown)
{
    auto place = [](int value8, std::uint32_t mask) -> std::uint32_t {
        if (mask == 0)
            return 0;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        const std::uint64_t maximum = std::uint64_t(mask >> shift);
        const std::uint64_t scaled = (std::uint64_t(value8) * maximum + 127) / 255;
        return std::uint32_t(scaled << shift) & mask;
    };
    QByteArray out;
    for (int r = 0; r < image.height(); ++r) {
        const int y = topDown ? r : image.height() - 1 - r;
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (bitCount == 24) {
                row.append(char(qBlue(c)));
                row.append(char(qGreen(c)));
                row.append(char(qRed(c)));
                continue;
            }
            const std::uint32_t v = place(qRed(c), masks[0]) | place(qGreen(c), masks[1]) |
                                    place(qBlue(c), masks[2]) | place(qAlpha(c), masks[3]);
            if (bitCount == 16)
                put16(row, v);
            else
                put32(row, v);
        }
        while (row.size() % 4)
            row.append('\0');
        out += row;
    }
    return out;
}

}  // namespace bmptest
