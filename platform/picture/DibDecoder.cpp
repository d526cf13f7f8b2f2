#include "platform/picture/DibDecoder.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/CheckedSize.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace picture {
namespace {

using bytes::ByteReader;
using bytes::DecodeError;
using bytes::Result;
using Palette = std::array<QRgb, 256>;

constexpr std::size_t FileHeaderBytes = 14;
constexpr std::uint32_t CoreHeaderBytes = 12;
constexpr QRgb Black = 0xFF000000u;

// One colour channel of a bit-field pixel: the mask's bits, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t maximum = 0;  // the largest value the mask's width holds; 0: no channel

    explicit Channel(std::uint32_t m = 0) : mask(m)
    {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        maximum = (std::uint64_t{1} << std::bit_width(m >> shift)) - 1;
    }
    std::uint32_t scaled(std::uint32_t pixel) const
    {
        if (maximum == 0)
            return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return std::uint32_t((value * 255 + maximum / 2) / maximum);
    }
};

struct Header {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t coloursUsed = 0;
    std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
    std::size_t maskBytesAfterHeader = 0;
    std::size_t paletteEntryBytes = 4;
};

bool isOs2v2Size(std::uint32_t size)
{
    return size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56;
}

Result<Header> readHeader(const ByteReader& in, std::size_t at)
{
    Header h;
    auto size = in.u32leAt(at);
    if (!size)
        return size.error().within(QStringLiteral("DIB header"));
    h.size = size.value();
    if (h.size != CoreHeaderBytes && h.size < 16)
        return DecodeError::malformed(QStringLiteral("DIB header of %1 bytes").arg(h.size));
    if (!bytes::rangeFits(at, h.size, in.size()))
        return DecodeError::truncated(QStringLiteral("DIB header cut short"));

    if (h.size == CoreHeaderBytes) {
        h.width = in.u16leAt(at + 4).value();
        h.height = in.u16leAt(at + 6).value();
        h.bitCount = in.u16leAt(at + 10).value();
        h.paletteEntryBytes = 3;
    } else {
        h.width = in.i32leAt(at + 4).value();
        h.height = in.i32leAt(at + 8).value();
        h.bitCount = in.u16leAt(at + 14).value();
        if (h.size >= 20)
            h.compression = in.u32leAt(at + 16).value();
        if (h.size >= 36)
            h.coloursUsed = in.u32leAt(at + 32).value();
    }
    if (isOs2v2Size(h.size)) {
        // OS/2 2.x: 3 is one-dimensional Huffman, 4 is RLE24.
        if (h.compression == 3 || h.compression == 4)
            return DecodeError::unsupported(
                QStringLiteral("OS/2 compression %1").arg(h.compression));
    } else if (h.size >= 40) {
        if (h.size >= 52)
            for (std::size_t i = 0; i < 3; ++i)
                h.masks[i] = in.u32leAt(at + 40 + 4 * i).value();
        if (h.size >= 56)
            h.masks[3] = in.u32leAt(at + 52).value();
        if (h.size == 40 && h.compression == BI_BITFIELDS)
            h.maskBytesAfterHeader = 12;
        if (h.size == 40 && h.compression == BI_ALPHABITFIELDS)
            h.maskBytesAfterHeader = 16;
        for (std::size_t i = 0; i < h.maskBytesAfterHeader / 4; ++i) {
            auto mask = in.u32leAt(at + h.size + 4 * i);
            if (!mask)
                return mask.error().within(QStringLiteral("bit-field masks"));
            h.masks[i] = mask.value();
        }
    }

    if (h.height < 0) {
        h.topDown = true;
        h.height = -h.height;
    }
    if (h.width < 1 || h.height < 1)
        return DecodeError::malformed(
            QStringLiteral("DIB of %1 × %2 pixels").arg(h.width).arg(h.height));
    switch (h.bitCount) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return DecodeError::malformed(QStringLiteral("%1 bits per pixel").arg(h.bitCount));
    }
    switch (h.compression) {
        case BI_RGB:
            break;
        case BI_RLE8:
        case BI_RLE4:
            if (h.bitCount != (h.compression == BI_RLE8 ? 8 : 4))
                return DecodeError::malformed(
                    QStringLiteral("RLE with %1 bits per pixel").arg(h.bitCount));
            break;
        case BI_BITFIELDS:
        case BI_ALPHABITFIELDS:
            if (h.bitCount != 16 && h.bitCount != 32)
                return DecodeError::unsupported(
                    QStringLiteral("bit fields with %1 bits per pixel").arg(h.bitCount));
            break;
        case BI_JPEG:
        case BI_PNG:
            return DecodeError::unsupported(QStringLiteral("embedded JPEG or PNG data"));
        default:
            return DecodeError::malformed(QStringLiteral("compression %1").arg(h.compression));
    }
    return h;
}

// The masks a pixel of 16 or 32 bits is read with; no alpha unless the bit fields give one.
std::array<Channel, 4> channelsOf(const Header& h)
{
    const bool fields = h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS;
    if (fields && (h.masks[0] | h.masks[1] | h.masks[2]) != 0)
        return {Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2]), Channel(h.masks[3])};
    if (h.bitCount == 16)
        return {Channel(0x7C00), Channel(0x03E0), Channel(0x001F), Channel()};
    return {Channel(0xFF0000), Channel(0xFF00), Channel(0xFF), Channel()};
}

std::size_t paletteCount(const Header& h)
{
    if (h.bitCount > 8)
        return 0;
    const std::size_t full = std::size_t{1} << h.bitCount;
    return h.coloursUsed == 0 || h.coloursUsed > full ? full : h.coloursUsed;
}

// The entries of the colour table that precedes the pixels: past 8 bits a table of
// `coloursUsed` entries may still be there (a palette for displays of 256 colours), unused.
std::size_t tableCount(const Header& h)
{
    return h.bitCount > 8 ? h.coloursUsed : paletteCount(h);
}

// Entries past the end of the palette (or of the data) are black.
Palette readPalette(const ByteReader& in, const Header& h, std::size_t start, std::size_t end)
{
    Palette palette;
    palette.fill(Black);
    const std::size_t limit = std::min(end, in.size());
    const std::size_t room = limit > start ? limit - start : 0;
    const std::size_t count = std::min(paletteCount(h), room / h.paletteEntryBytes);
    const std::uint8_t* p = in.data().data() + start;
    for (std::size_t i = 0; i < count; ++i, p += h.paletteEntryBytes)
        palette[i] = qRgb(p[2], p[1], p[0]);
    return palette;
}

void convertIndexedRow(const std::uint8_t* row, int bitCount, const Palette& palette, QRgb* out,
                       int width)
{
    if (bitCount == 8) {
        for (int x = 0; x < width; ++x)
            out[x] = palette[row[x]];
        return;
    }
    const unsigned mask = (1u << bitCount) - 1;
    const int perByte = 8 / bitCount;
    for (int x = 0; x < width; ++x) {
        const int shift = 8 - bitCount * (x % perByte + 1);
        out[x] = palette[(row[x / perByte] >> shift) & mask];
    }
}

void convertRow(const std::uint8_t* row, const Header& h, const Palette& palette,
                const std::array<Channel, 4>& channels, bool alpha, QRgb* out, int width)
{
    if (h.bitCount <= 8) {
        convertIndexedRow(row, h.bitCount, palette, out, width);
    } else if (h.bitCount == 24) {
        for (int x = 0; x < width; ++x, row += 3)
            out[x] = Black | (QRgb(row[2]) << 16) | (QRgb(row[1]) << 8) | row[0];
    } else if (h.bitCount == 32 && !alpha && channels[0].mask == 0xFF0000 &&
               channels[1].mask == 0xFF00 && channels[2].mask == 0xFF) {
        for (int x = 0; x < width; ++x, row += 4)
            out[x] = Black | (QRgb(row[2]) << 16) | (QRgb(row[1]) << 8) | row[0];
    } else {
        const int step = h.bitCount / 8;
        for (int x = 0; x < width; ++x, row += step) {
            const std::uint32_t pixel =
                step == 2 ? std::uint32_t(row[0] | row[1] << 8)
                          : std::uint32_t(row[0]) | std::uint32_t(row[1]) << 8 |
                                std::uint32_t(row[2]) << 16 | std::uint32_t(row[3]) << 24;
            const QRgb a = alpha ? channels[3].scaled(pixel) : 255u;
            out[x] = qRgba(int(channels[0].scaled(pixel)), int(channels[1].scaled(pixel)),
                           int(channels[2].scaled(pixel)), int(a));
        }
    }
}

void decodeRows(std::span<const std::uint8_t> data, std::size_t offset, const Header& h,
                const Palette& palette, bool alpha, QImage& image)
{
    const auto channels = channelsOf(h);
    const int width = image.width();
    const std::size_t stride = std::size_t(bytes::rowBytes(h.width, h.bitCount, 4).value());
    std::vector<std::uint8_t> partial(stride);
    for (int fileRow = 0; fileRow < image.height(); ++fileRow) {
        const int y = h.topDown ? fileRow : image.height() - 1 - fileRow;
        const std::uint64_t start = std::uint64_t(offset) + std::uint64_t(fileRow) * stride;
        const std::uint8_t* row = nullptr;
        if (bytes::rangeFits(start, stride, data.size())) {
            row = data.data() + start;
        } else {
            // Past the end of the file the bytes read as 0.
            std::fill(partial.begin(), partial.end(), 0);
            if (start < data.size())
                std::memcpy(partial.data(), data.data() + start, data.size() - start);
            row = partial.data();
        }
        convertRow(row, h, palette, channels, alpha, reinterpret_cast<QRgb*>(image.scanLine(y)),
                   width);
    }
}

// RLE8 and RLE4: runs and absolute runs clipped at the right edge, end-of-line, end-of-bitmap
// and delta escapes; pixels no code reaches keep palette entry 0. Every step consumes input,
// so damaged data cannot loop.
void decodeRle(std::span<const std::uint8_t> data, std::size_t offset, const Header& h,
               const Palette& palette, QImage& image)
{
    const bool four = h.compression == BI_RLE4;
    const std::int64_t width = image.width();
    const std::int64_t height = image.height();
    image.fill(palette[0]);
    std::int64_t x = 0;
    std::int64_t y = 0;  // counted in file order (from the bottom unless top-down)
    std::size_t at = offset;
    auto next = [&](std::uint8_t& byte) {
        if (at >= data.size())
            return false;
        byte = data[at++];
        return true;
    };
    auto put = [&](unsigned index) {
        if (x < width && y < height) {
            const auto row = int(h.topDown ? y : height - 1 - y);
            reinterpret_cast<QRgb*>(image.scanLine(row))[x] = palette[index];
        }
        ++x;
    };
    std::uint8_t count = 0;
    std::uint8_t value = 0;
    while (y < height && next(count) && next(value)) {
        if (count > 0) {
            // A run that passes the right edge is clipped there.
            for (unsigned i = 0; i < count && x < width; ++i)
                put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            std::uint8_t dx = 0;
            std::uint8_t dy = 0;
            if (!next(dx) || !next(dy))
                break;
            x += dx;
            y += dy;
        } else {  // an absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytesUsed = four ? (value + 1u) / 2 : value;
            for (unsigned i = 0; i < value; ++i) {
                const std::size_t byteAt = at + (four ? i / 2 : i);
                if (byteAt >= data.size())
                    break;
                const std::uint8_t byte = data[byteAt];
                put(four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
            }
            at += bytesUsed + (bytesUsed & 1);
        }
    }
}

Result<DecodedDib> decode(std::span<const std::uint8_t> data, std::size_t headerAt,
                          std::optional<std::uint32_t> fileOffset,
                          const bytes::DecodeLimits& limits)
{
    const ByteReader in(data);
    auto header = readHeader(in, headerAt);
    if (!header)
        return header.error();
    const Header& h = header.value();
    if (auto size = bytes::checkImageSize(limits, h.width, h.height, 4); !size)
        return size.error();

    const std::size_t paletteStart = headerAt + h.size + h.maskBytesAfterHeader;
    const std::size_t paletteEnd = paletteStart + tableCount(h) * h.paletteEntryBytes;
    // A file's own offset wins where it leaves room for the header; it may cut the palette.
    std::size_t pixelsAt = paletteEnd;
    if (fileOffset && *fileOffset >= paletteStart)
        pixelsAt = *fileOffset;
    const Palette palette = readPalette(in, h, paletteStart, std::min(pixelsAt, paletteEnd));

    const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    const std::uint64_t pixelBytes = pixelsAt < data.size() ? data.size() - pixelsAt : 0;
    const std::uint64_t decodedBytes = std::uint64_t(h.width) * std::uint64_t(h.height) * 4;
    const std::uint64_t justified = std::max(
        expansionFloorBytes, pixelBytes * (rle ? maxExpansionRle : maxExpansionUncompressed));
    if (decodedBytes > justified)
        return DecodeError::limitExceeded(
            QStringLiteral("%1 bytes of pixel data cannot hold a %2 × %3 image")
                .arg(pixelBytes)
                .arg(h.width)
                .arg(h.height));

    const bool alpha = h.bitCount >= 16 && channelsOf(h)[3].maximum != 0;
    DecodedDib out;
    out.bitCount = h.bitCount;
    out.compression = h.compression;
    out.image =
        QImage(int(h.width), int(h.height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.image.isNull())
        return DecodeError::limitExceeded(QStringLiteral("no memory for the pixels"));
    if (rle)
        decodeRle(data, pixelsAt, h, palette, out.image);
    else
        decodeRows(data, pixelsAt, h, palette, alpha, out.image);
    return out;
}

}  // namespace

Result<DecodedDib> decodeBmpFile(std::span<const std::uint8_t> data,
                                 const bytes::DecodeLimits& limits)
{
    ByteReader in(data);
    if (!in.startsWith("BM"))
        return DecodeError::malformed(QStringLiteral("no BMP signature"));
    auto offset = in.u32leAt(10);
    if (!offset)
        return offset.error().within(QStringLiteral("BMP file header"));
    return decode(data, FileHeaderBytes, offset.value(), limits);
}

Result<DecodedDib> decodePackedDib(std::span<const std::uint8_t> data,
                                   const bytes::DecodeLimits& limits)
{
    return decode(data, 0, std::nullopt, limits);
}

Result<DibLayout> dibLayout(std::span<const std::uint8_t> info)
{
    auto header = readHeader(ByteReader(info), 0);
    if (!header)
        return header.error();
    const Header& h = header.value();
    return DibLayout{h.size + h.maskBytesAfterHeader, tableCount(h), h.paletteEntryBytes};
}

Result<DecodedDib> decodeDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits,
                             const bytes::DecodeLimits& limits)
{
    if (auto size = bytes::checkChunkSize(limits, std::uint64_t(info.size()) + bits.size()); !size)
        return size.error();
    std::vector<std::uint8_t> joined;
    joined.reserve(info.size() + bits.size());
    joined.insert(joined.end(), info.begin(), info.end());
    joined.insert(joined.end(), bits.begin(), bits.end());
    // The pixels' own offset: padding after the palette is not read as rows, and a block too
    // short for its palette leaves the missing entries black.
    return decode(joined, 0, std::uint32_t(info.size()), limits);
}

}  // namespace picture
