#include "image/codecs/cICOparser.h"

#include "image/codecs/StreamView.h"
#include "image/codecs/cPNGparser.h"
#include "image/core/ImageHelpers.h"
#include "image/core/c32bppDIB.h"
#include "platform/picture/DibDecoder.h"
#include "platform/picture/Picture.h"
#include "platform/runtime/VbError.h"

#include <cstdlib>
#include <cstring>

namespace XrImage {

namespace {

constexpr std::uint16_t pngTagEnd = 21060;  // "DR", the end of "IHDR" read as a 16-bit value
constexpr std::uint16_t pngPlanes = 255;

std::int64_t scanline(int bitCount, std::int64_t width)
{
    return (std::int64_t(bitCount) * width + 31) / 32 * 4;
}

void put32(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

void put16(QByteArray& bytes, qsizetype at, int value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char((value >> 8) & 0xFF);
}

}  // namespace

const cICOparser::Entry& cICOparser::entryAt(std::int32_t Index) const
{
    if (Index < 1 || Index > IconCount())
        vb::raiseError(vb::ErrSubscriptOutOfRange);
    return m_entries[std::size_t(Index - 1)];
}

std::int32_t cICOparser::Height(std::int32_t Index) const
{
    const std::uint8_t value = entryAt(Index).height;
    return value == 0 ? 256 : value;
}

std::int32_t cICOparser::Width(std::int32_t Index) const
{
    const std::uint8_t value = entryAt(Index).width;
    return value == 0 ? 256 : value;
}

bool cICOparser::IsIconPNG(std::int32_t Index) const
{
    return entryAt(Index).planes == pngPlanes;
}

std::int32_t cICOparser::bitDepth(std::int32_t Index) const
{
    return entryAt(Index).bitCount;
}

std::int32_t cICOparser::ColorCount(std::int32_t Index) const
{
    const Entry& entry = entryAt(Index);
    if (m_bytes.empty())
        vb::raiseError(vb::ErrSubscriptOutOfRange);
    if (entry.bitCount > 8)
        return 0;
    const std::int64_t colourPlane = scanline(entry.bitCount, Width(Index)) * Height(Index);
    const std::int64_t andMask = scanline(1, Width(Index)) * Height(Index);
    const std::int64_t headerSize = byteAt(entry.imageOffset);
    return std::int32_t(
        (std::int64_t(entry.bytesInResource) - (headerSize + colourPlane + andMask)) / 4);
}

std::int32_t cICOparser::ColorByteOffset(std::int32_t Index) const
{
    const Entry& entry = entryAt(Index);
    if (m_bytes.empty())
        vb::raiseError(vb::ErrSubscriptOutOfRange);
    std::int64_t offset = std::int64_t(entry.imageOffset);
    if (std::int64_t(entry.imageOffset) + 4 <= std::int64_t(m_bytes.size()))
        offset += u32At(m_bytes, entry.imageOffset);
    if (entry.bitCount < 16)
        offset += 4 * (std::int64_t(1) << entry.bitCount);
    return std::int32_t(std::min<std::int64_t>(offset, INT32_MAX));
}

std::uint8_t cICOparser::byteAt(std::int64_t offset) const
{
    return offset >= 0 && offset < std::int64_t(m_bytes.size()) ? m_bytes[std::size_t(offset)] : 0;
}

bool cICOparser::LoadStream(const QByteArray& inStream, std::int32_t desiredWidth,
                            std::int32_t desiredHeight, c32bppDIB* cHost,
                            std::int32_t& streamOffset, std::int32_t& streamLength,
                            std::int32_t& icoBitDepth, std::int32_t& GlobalToken)
{
    m_entries.clear();
    m_type = 0;
    if (streamLength == 0)
        streamLength = std::int32_t(inStream.size());
    const std::span<const std::uint8_t> data = streamView(inStream, streamOffset, streamLength);
    // The view is held for the getters only while the call runs.
    struct Release {
        std::span<const std::uint8_t>& bytes;
        ~Release() { bytes = {}; }
    } release{m_bytes};
    m_bytes = data;

    const std::int64_t length = std::int64_t(data.size());
    if (length < 6 || u16At(data, 0) != 0)
        return false;
    const int type = u16At(data, 2);
    const int count = u16At(data, 4);
    if (count < 1 || (type != 1 && type != 2) || length < 6 + 16 * std::int64_t(count))
        return false;
    std::vector<Entry> entries(static_cast<std::size_t>(count));
    std::int64_t resourceBytes = 0;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = 6 + 16 * std::size_t(i);
        Entry& entry = entries[std::size_t(i)];
        entry.width = data[at];
        entry.height = data[at + 1];
        entry.colourCount = data[at + 2];
        entry.planes = u16At(data, at + 4);
        entry.bitCount = u16At(data, at + 6);
        entry.bytesInResource = u32At(data, at + 8);
        entry.imageOffset = u32At(data, at + 12);
        resourceBytes += entry.bytesInResource;
    }
    if (length < 6 + 16 * std::int64_t(count) + resourceBytes)
        return false;
    m_type = type;
    m_entries = std::move(entries);

    for (Entry& entry : m_entries) {
        entry.planes = 1;
        // Every entry's bytes lie inside the data, or the directory is not valid.
        if (std::int64_t(entry.imageOffset) + entry.bytesInResource > length ||
            std::int64_t(entry.imageOffset) + 16 > length) {
            m_entries.clear();
            return false;
        }
        const std::uint16_t headerBitCount = u16At(data, entry.imageOffset + 14);
        bool valid = true;
        if (headerBitCount == pngTagEnd)
            valid = ReadPngEntryHeader(entry);
        else if (headerBitCount != 0)
            entry.bitCount = headerBitCount;
        else
            valid = entry.bitCount != 0;
        if (!valid) {
            m_entries.clear();
            return false;
        }
    }
    if (!cHost)
        return true;

    if (desiredWidth < 1)
        desiredWidth = 32;
    if (desiredHeight < 1)
        desiredHeight = 32;
    const std::int32_t chosen = SelectBestEntry(desiredWidth, desiredHeight, icoBitDepth);
    if (chosen < 1)
        return true;
    const Entry& entry = m_entries[std::size_t(chosen - 1)];
    if (entry.planes == pngPlanes) {
        // The PNG stream of the entry, decoded into the host by the PNG reader.
        bool decoded = false;
        try {
            decoded = cPNGparser().LoadStream(inStream, *cHost,
                                              streamOffset + std::int32_t(entry.imageOffset),
                                              std::int32_t(entry.bytesInResource), GlobalToken);
        } catch (const vb::VbError&) {
            cHost->DestroyDIB();
            return false;
        }
        if (cHost->Handle() != 0)
            cHost->SetImageType(imgPNGicon);
        return decoded;
    }
    DecodeBitmapEntry(chosen, *cHost);
    return true;
}

bool cICOparser::ReadPngEntryHeader(Entry& entry) const
{
    entry.planes = pngPlanes;
    const std::int64_t at = entry.imageOffset;
    if (at + 26 > std::int64_t(m_bytes.size())) {
        entry.bitCount = 0;
        return false;
    }
    static constexpr std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(&m_bytes[std::size_t(at)], signature, 8) != 0 ||
        std::memcmp(&m_bytes[std::size_t(at + 12)], "IHDR", 4) != 0)
        return false;
    const auto sizeByte = [this, &entry](std::int64_t offset, std::uint8_t& field) {
        const std::uint32_t value =
            std::uint32_t(SwapByteOrder32(std::int32_t(u32At(m_bytes, std::size_t(offset)))));
        if (value == 256)
            field = 0;
        else if (value >= 1 && value <= 255)
            field = std::uint8_t(value);
        else
            entry.bitCount = 0;
    };
    sizeByte(at + 16, entry.width);
    sizeByte(at + 20, entry.height);
    if (entry.bitCount == 0) {
        const int depth = m_bytes[std::size_t(at + 24)];
        const int colourType = m_bytes[std::size_t(at + 25)];
        if (depth == 16 || colourType == 4 || colourType == 6)
            entry.bitCount = depth == 0 ? 0 : 32;
        else if (colourType == 2)
            entry.bitCount = depth == 0 ? 0 : 24;
        else
            entry.bitCount = std::uint16_t(depth);
    }
    return entry.bitCount > 0;
}

std::int32_t cICOparser::SelectBestEntry(std::int32_t desiredWidth, std::int32_t desiredHeight,
                                         std::int32_t icoBitDepth) const
{
    const std::int32_t count = IconCount();
    if (count < 2)
        return count == 1 && m_entries[0].bitCount != 0 ? 1 : 0;
    std::vector<std::int64_t> scores(std::size_t(count) + 1, 0);
    std::int64_t best = 10000;
    std::int32_t choice = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        const int bits = m_entries[std::size_t(i - 1)].bitCount;
        if (bits == 0)
            continue;
        std::int64_t dW = std::int64_t(Width(i)) - desiredWidth;
        if (Width(i) < desiredWidth)
            dW *= 2;
        std::int64_t dH = std::int64_t(Height(i)) - desiredHeight;
        if (Height(i) < desiredHeight)
            dH *= 2;
        std::int64_t score = dW + dH + std::llabs(std::int64_t(icoBitDepth) - bits);
        if (bits > 32)
            score = -10000;
        scores[std::size_t(i)] = score;
        if (score == 0)
            return i;
        if (score > 0 && score < best) {
            best = score;
            choice = i;
        }
    }
    if (choice != 0)
        return choice;
    for (std::int32_t i = count; i >= 1; --i) {
        const int bits = m_entries[std::size_t(i - 1)].bitCount;
        const std::int64_t score = std::llabs(scores[std::size_t(i)]) + std::abs(32 - bits);
        if (score < best) {
            best = score;
            choice = i;
        }
    }
    return choice == 0 ? 1 : choice;
}

void cICOparser::DecodeBitmapEntry(std::int32_t u, c32bppDIB& cHost) const
{
    const Entry& entry = m_entries[std::size_t(u - 1)];
    const std::int32_t width = Width(u);
    const std::int32_t height = Height(u);
    if (!cHost.InitializeDIB(width, height))
        return;
    // A packed DIB of the entry at the directory's size: the adjusted header, the colour table
    // (entries past ColorCount black), the colour bitmap.
    const int bitCount = entry.bitCount;
    const std::int64_t tableEntries = bitCount <= 8 ? (std::int64_t(1) << bitCount) : 0;
    const std::int64_t colourPlane = scanline(bitCount, width) * height;
    const std::int64_t colourOffset = ColorByteOffset(u);
    const std::int64_t tableOffset =
        std::int64_t(entry.imageOffset) + u32At(m_bytes, entry.imageOffset);
    const std::int32_t usedColours = ColorCount(u);
    if (bitCount > 32 || colourPlane > (std::int64_t(1) << 28)) {
        cHost.DestroyDIB();
        return;
    }
    QByteArray packed(qsizetype(40 + tableEntries * 4 + colourPlane), '\0');
    for (int i = 0; i < 40; ++i)
        packed[i] = char(byteAt(std::int64_t(entry.imageOffset) + i));
    put32(packed, 0, 40);
    put32(packed, 4, std::uint32_t(width));
    put32(packed, 8, std::uint32_t(height));
    put16(packed, 12, 1);
    put16(packed, 14, bitCount);
    put32(packed, 16, 0);  // icon bitmaps are uncompressed
    put32(packed, 20, 0);
    put32(packed, 24, 0);
    put32(packed, 28, 0);
    put32(packed, 32, std::uint32_t(tableEntries));
    const std::int64_t knownColours =
        usedColours > 0 ? std::min<std::int64_t>(usedColours, tableEntries) : tableEntries;
    for (std::int64_t i = 0; i < knownColours * 4; ++i)
        packed[qsizetype(40 + i)] = char(byteAt(tableOffset + i));
    for (std::int64_t i = 0; i < colourPlane; ++i)
        packed[qsizetype(40 + tableEntries * 4 + i)] = char(byteAt(colourOffset + i));
    const auto decoded = picture::decodePackedDib(std::span(
        reinterpret_cast<const std::uint8_t*>(packed.constData()), std::size_t(packed.size())));
    if (!decoded || decoded.value().image.width() != width ||
        decoded.value().image.height() != height) {
        cHost.DestroyDIB();
        return;
    }
    const QImage image = decoded.value().image.convertToFormat(QImage::Format_RGB32);
    for (std::int32_t row = 0; row < height; ++row)
        std::memcpy(cHost.BitsPointer() + std::size_t(row) * std::size_t(cHost.scanWidth()),
                    image.constScanLine(height - 1 - row), std::size_t(width) * 4);
    ApplyAlphaMask(u, cHost);
}

void cICOparser::ApplyAlphaMask(std::int32_t u, c32bppDIB& cHost) const
{
    const Entry& entry = m_entries[std::size_t(u - 1)];
    const std::size_t pixels = std::size_t(cHost.Width()) * std::size_t(cHost.Height());
    std::uint8_t* bits = cHost.BitsPointer();
    if (entry.bitCount == 32) {
        const std::int64_t colourOffset = ColorByteOffset(u);
        bool anyAlpha = false;
        for (std::size_t i = 0; i < pixels && !anyAlpha; ++i)
            anyAlpha = byteAt(colourOffset + std::int64_t(i) * 4 + 3) != 0;
        // An entry whose alpha is all zero was written for its AND mask.
        if (anyAlpha) {
            for (std::size_t i = 0; i < pixels; ++i) {
                std::uint8_t* p = bits + i * 4;
                const unsigned alpha = byteAt(colourOffset + std::int64_t(i) * 4 + 3);
                if (alpha == 0) {
                    std::memset(p, 0, 4);
                } else if (alpha != 255) {
                    for (int c = 0; c < 3; ++c)
                        p[c] = std::uint8_t(p[c] * alpha / 255);
                }
                p[3] = std::uint8_t(alpha);
            }
            cHost.SetImageType(m_type == 1 ? imgIconARGB : imgCursorARGB);
            cHost.LetAlpha(true);
            return;
        }
    }
    ApplyAndMask(u, cHost);
}

void cICOparser::ApplyAndMask(std::int32_t u, c32bppDIB& cHost) const
{
    const Entry& entry = m_entries[std::size_t(u - 1)];
    const std::int32_t width = cHost.Width();
    const std::int32_t height = cHost.Height();
    const std::int64_t maskRow = scanline(1, width);
    const std::int64_t maskSize = scanline(1, Width(u)) * Height(u);
    const std::int64_t maskOffset =
        std::int64_t(entry.imageOffset) + entry.bytesInResource - maskSize;
    bool anySet = false;
    for (std::int32_t row = 0; row < height; ++row) {
        std::uint8_t* target =
            cHost.BitsPointer() + std::size_t(row) * std::size_t(cHost.scanWidth());
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t maskByte = byteAt(maskOffset + row * maskRow + x / 8);
            std::uint8_t* p = target + std::size_t(x) * 4;
            if (maskByte & (0x80 >> (x % 8))) {
                std::memset(p, 0, 4);
                anySet = true;
            } else {
                p[3] = 255;
            }
        }
    }
    cHost.SetImageType(m_type == 1 ? imgIcon : imgCursor);
    cHost.LetAlpha(anySet);
}

bool cICOparser::ConvertstdPicTo32bpp(const picture::Picture* Handle, c32bppDIB* cHost)
{
    m_entries.clear();
    if (!Handle || !cHost || Handle->image().isNull())
        return false;
    const QImage& image = Handle->image();
    if (!cHost->InitializeDIB(image.width(), image.height()))
        return false;
    const picture::IconTraits traits = Handle->iconTraits();
    m_type = traits.cursor ? 2 : 1;
    Entry entry;
    entry.width = std::uint8_t(image.width() & 0xFF);
    entry.height = std::uint8_t(image.height() & 0xFF);
    entry.planes = 1;
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < image.height(); ++row)
        std::memcpy(cHost->BitsPointer() + std::size_t(row) * std::size_t(cHost->scanWidth()),
                    premultiplied.constScanLine(image.height() - 1 - row),
                    std::size_t(image.width()) * 4);
    const std::span<std::uint8_t> pixels(
        cHost->BitsPointer(), std::size_t(cHost->scanWidth()) * std::size_t(cHost->Height()));
    // Only a 32-bit entry's colour bitmap carries alpha; any other entry's transparency is its
    // mask, which the picture holds as alpha 0 or 255.
    bool colourAlpha = false;
    if (traits.bitCount == 32)
        for (std::size_t i = 3; i < pixels.size() && !colourAlpha; i += 4)
            colourAlpha = pixels[i] != 0;
    entry.bitCount = colourAlpha ? 32 : 1;
    m_entries.push_back(entry);
    if (colourAlpha) {
        bool hasAlpha = true;
        std::int32_t format = 0;
        ClassifyAlpha(pixels, true, hasAlpha, format);
        cHost->SetImageType(m_type == 1 ? imgIconARGB : imgCursorARGB);
        cHost->LetAlpha(true);
        return true;
    }
    bool masked = false;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        if (pixels[i + 3] == 0) {
            std::memset(&pixels[i], 0, 4);
            masked = true;
        } else {
            pixels[i + 3] = 255;
        }
    }
    cHost->SetImageType(m_type == 1 ? imgIcon : imgCursor);
    cHost->LetAlpha(masked);
    return true;
}

}  // namespace XrImage
