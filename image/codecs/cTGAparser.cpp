// The reading side of cTGAparser.
#include "image/codecs/cTGAparser.h"

#include "image/codecs/StreamView.h"
#include "image/core/ImageHelpers.h"
#include "image/core/c32bppDIB.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace XrImage {

namespace {

constexpr std::string_view footerSignature = "TRUEVISION-XFILE.";
constexpr std::size_t headerBytes = 18;
constexpr int extensionAreaSize = 495;

// Where the signature starts within the last `tail` bytes of data, without regard to case;
// -1 when it is not there.
std::ptrdiff_t findSignatureInTail(std::span<const std::uint8_t> data, std::size_t tail)
{
    if (data.size() < tail)
        return -1;
    const std::span<const std::uint8_t> end = data.last(tail);
    const auto found =
        std::search(end.begin(), end.end(), footerSignature.begin(), footerSignature.end(),
                    [](std::uint8_t a, char b) {
                        const auto upper = [](int c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
                        return upper(a) == upper(static_cast<unsigned char>(b));
                    });
    return found == end.end() ? -1 : found - end.begin();
}

bool isRunLength(int imageType)
{
    return (imageType & 8) != 0;
}

}  // namespace

struct cTGAparser::Header {
    int idLength = 0;
    int colourMapType = 0;
    int imageType = 0;
    int mapFirst = 0;
    int mapLength = 0;
    int mapEntryBits = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    int depth = 0;
    int descriptor = 0;
    int pixelBytes = 0;
    std::int64_t mapBytes = 0;

    bool topDown() const { return (descriptor & 32) != 0; }
    bool rightToLeft() const { return (descriptor & 16) != 0; }
    std::size_t pixelStart() const { return headerBytes + std::size_t(idLength + mapBytes); }
};

bool cTGAparser::LoadStream(const QByteArray& inStream, c32bppDIB* cHost, std::int32_t streamOffset,
                            std::int32_t streamLength)
{
    if (!cHost)
        return false;
    const std::span<const std::uint8_t> data = streamView(inStream, streamOffset, streamLength);
    Header header;
    if (!ValidateTgaHeader(data, header))
        return false;
    switch (header.imageType) {
        case 1:
        case 9:
            DecodeColorMapped(data, header, *cHost);
            break;
        case 2:
        case 3:
        case 10:
        case 11:
            DecodeTrueColor(data, header, *cHost);
            break;
        default:
            break;
    }
    return cHost->Handle() != 0;
}

bool cTGAparser::ValidateTgaHeader(std::span<const std::uint8_t> data, Header& header) const
{
    if (data.size() < 19)
        return false;
    const bool footer = data.size() >= 24 && findSignatureInTail(data, 23) >= 0;
    header.idLength = data[0];
    header.colourMapType = data[1];
    header.imageType = data[2];
    header.mapFirst = u16At(data, 3);
    header.mapLength = u16At(data, 5);
    header.mapEntryBits = data[7];
    header.width = u16At(data, 12);
    header.height = u16At(data, 14);
    header.depth = data[16];
    header.descriptor = data[17];

    const int type = header.imageType;
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
        return false;
    if (header.width < 1 || header.height < 1)
        return false;
    const bool colourMapped = (type & 7) == 1;
    switch (header.depth) {
        case 8:
            header.pixelBytes = 1;
            break;
        case 15:
        case 16:
        case 24:
        case 32:
            if (colourMapped)
                return false;
            header.pixelBytes = header.depth == 15 ? 2 : header.depth / 8;
            break;
        default:
            return false;
    }
    if (colourMapped && header.colourMapType != 1)
        return false;
    std::int64_t expected = 0;
    if (header.colourMapType == 1) {
        if (header.mapLength < 1)
            return false;
        const std::int64_t entries = std::int64_t(header.mapFirst) + header.mapLength;
        switch (header.mapEntryBits) {
            case 8:
            case 24:
            case 32:
                header.mapBytes = entries * (header.mapEntryBits / 8);
                break;
            case 15:
            case 16:
                header.mapBytes = entries * 2;
                break;
            default:
                return false;
        }
        expected += header.mapBytes;
    }
    if (!isRunLength(type))
        expected += std::int64_t(header.width) * header.pixelBytes * header.height;
    if (footer)
        expected += 26;
    return header.idLength + std::int64_t(headerBytes) + expected <= std::int64_t(data.size());
}

void cTGAparser::BuildFiveBitTable()
{
    if (m_fiveBitBuilt)
        return;
    for (int v = 0; v < 32; ++v)
        m_fiveBit[std::size_t(v)] = std::uint8_t(v * 8 + v % 8);
    m_fiveBitBuilt = true;
}

bool cTGAparser::IsAlphaUsed(std::span<const std::uint8_t> data) const
{
    if (data.size() < 44)
        return true;
    const std::ptrdiff_t at = findSignatureInTail(data, 30);
    if (at < 8)
        return true;
    const std::size_t tailStart = data.size() - 30;
    const std::uint32_t offset = u32At(data, tailStart + std::size_t(at) - 8);
    if (offset < 1 || std::uint64_t(offset) + extensionAreaSize >= data.size())
        return true;
    if (u16At(data, offset) != extensionAreaSize)
        return true;
    return data[offset + 494] > 2;
}

void cTGAparser::ExpandPixel(const std::uint8_t* source, std::uint8_t* target, int pixelBytes,
                             bool alphaBitUsed, bool greyAlpha) const
{
    switch (pixelBytes) {
        case 1:
            target[0] = target[1] = target[2] = source[0];
            break;
        case 2:
            if (greyAlpha) {
                target[0] = target[1] = target[2] = source[0];
                target[3] = source[1];
                break;
            }
            {
                const int value = (source[0] | (source[1] << 8)) & 0x7FFF;
                target[0] = m_fiveBit[std::size_t(value & 31)];
                target[1] = m_fiveBit[std::size_t((value >> 5) & 31)];
                target[2] = m_fiveBit[std::size_t((value >> 10) & 31)];
                if (alphaBitUsed && (source[1] & 0x80) == 0)
                    target[3] = 255;
            }
            break;
        case 3:
            std::memcpy(target, source, 3);
            break;
        default:
            std::memcpy(target, source, 4);
            break;
    }
}

void cTGAparser::PlaceRow(c32bppDIB& cHost, const Header& header, std::int32_t storedRow,
                          std::span<const std::uint8_t> row) const
{
    // Memory rows run bottom-up: a bottom-first file fills them in its own order.
    const std::int32_t imageRow = header.topDown() ? header.height - 1 - storedRow : storedRow;
    std::uint8_t* target =
        cHost.BitsPointer() + std::size_t(imageRow) * std::size_t(cHost.scanWidth());
    if (!header.rightToLeft()) {
        std::memcpy(target, row.data(), row.size());
        return;
    }
    const std::size_t width = std::size_t(header.width);
    for (std::size_t x = 0; x < width; ++x)
        std::memcpy(target + (width - 1 - x) * 4, row.data() + x * 4, 4);
}

bool cTGAparser::DecodeRleRow(std::span<const std::uint8_t> data, std::size_t& position,
                              std::span<std::uint8_t> row, int pixelBytes, bool alphaBitUsed,
                              bool greyAlpha) const
{
    const std::size_t width = row.size() / 4;
    const std::size_t step = std::size_t(pixelBytes);
    std::size_t done = 0;
    while (done < width) {
        if (position >= data.size())
            return false;
        const int packet = data[position++];
        const std::size_t count = std::size_t(packet & 127) + 1;
        if (done + count > width)
            return false;
        if (packet & 128) {
            if (data.size() - position < step)
                return false;
            std::uint8_t* first = row.data() + done * 4;
            ExpandPixel(&data[position], first, pixelBytes, alphaBitUsed, greyAlpha);
            position += step;
            // Doubling copies: each pass repeats everything written so far.
            std::size_t filled = 4;
            const std::size_t total = count * 4;
            while (filled < total) {
                const std::size_t chunk = std::min(filled, total - filled);
                std::memcpy(first + filled, first, chunk);
                filled += chunk;
            }
        } else {
            if ((data.size() - position) / step < count)
                return false;
            if (pixelBytes == 4) {
                std::memcpy(row.data() + done * 4, &data[position], count * 4);
            } else {
                for (std::size_t i = 0; i < count; ++i)
                    ExpandPixel(&data[position + i * step], row.data() + (done + i) * 4, pixelBytes,
                                alphaBitUsed, greyAlpha);
            }
            position += count * step;
        }
        done += count;
    }
    return true;
}

bool cTGAparser::DecodeRleIndexRow(std::span<const std::uint8_t> data, std::size_t& position,
                                   std::span<std::uint8_t> row,
                                   const std::vector<std::uint32_t>& palette) const
{
    const std::size_t width = row.size() / 4;
    std::size_t done = 0;
    while (done < width) {
        if (position >= data.size())
            return false;
        const int packet = data[position++];
        const std::size_t count = std::size_t(packet & 127) + 1;
        if (done + count > width)
            return false;
        const bool run = (packet & 128) != 0;
        const std::size_t indexBytes = run ? 1 : count;
        if (data.size() - position < indexBytes)
            return false;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t colour = palette[data[position + (run ? 0 : i)]];
            std::memcpy(row.data() + (done + i) * 4, &colour, 4);
        }
        position += indexBytes;
        done += count;
    }
    return true;
}

namespace {

// A run-length encoded image may not claim more pixels than its data could produce: a packet
// of at most 128 pixels costs at least two bytes.
bool rleSizeIsPlausible(std::int32_t width, std::int32_t height, std::size_t dataBytes)
{
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    return pixels <= std::uint64_t(dataBytes) * 64;
}

// Checks that the pixels can start at `position` and, for run-length data, that the bytes after it
// could hold the image, then makes the image.
bool preparePixels(std::size_t dataBytes, std::size_t position, int imageType, std::int32_t width,
                   std::int32_t height, c32bppDIB& cHost)
{
    if (position > dataBytes)
        return false;
    if (isRunLength(imageType) && !rleSizeIsPlausible(width, height, dataBytes - position))
        return false;
    return cHost.InitializeDIB(width, height);
}

}  // namespace

bool cTGAparser::DecodeTrueColor(std::span<const std::uint8_t> data, const Header& header,
                                 c32bppDIB& cHost)
{
    const int pixelBytes = header.pixelBytes;
    if (pixelBytes == 2)
        BuildFiveBitTable();
    // 16-bit grey pixels carry an alpha byte beside the grey one.
    const bool greyAlpha = (header.imageType & 7) == 3 && header.depth == 16;
    const bool alphaBitUsed =
        !greyAlpha && header.depth == 16 && (header.descriptor & 15) != 0 && IsAlphaUsed(data);
    std::size_t position = header.pixelStart();
    if (!preparePixels(data.size(), position, header.imageType, header.width, header.height, cHost))
        return false;

    const std::size_t width = std::size_t(header.width);
    std::vector<std::uint8_t> row(width * 4);
    const std::size_t storedRowBytes = width * std::size_t(pixelBytes);
    for (std::int32_t y = 0; y < header.height; ++y) {
        if (isRunLength(header.imageType)) {
            std::fill(row.begin(), row.end(), 0);
            if (!DecodeRleRow(data, position, row, pixelBytes, alphaBitUsed, greyAlpha)) {
                cHost.DestroyDIB();
                return false;
            }
        } else {
            if (data.size() - position < storedRowBytes) {
                cHost.DestroyDIB();
                return false;
            }
            if (pixelBytes == 4) {
                std::memcpy(row.data(), &data[position], storedRowBytes);
            } else {
                std::fill(row.begin(), row.end(), 0);
                for (std::size_t x = 0; x < width; ++x)
                    ExpandPixel(&data[position + x * std::size_t(pixelBytes)], &row[x * 4],
                                pixelBytes, alphaBitUsed, greyAlpha);
            }
            position += storedRowBytes;
        }
        PlaceRow(cHost, header, y, row);
    }
    FinishDecode(cHost);
    return true;
}

bool cTGAparser::DecodeColorMapped(std::span<const std::uint8_t> data, const Header& header,
                                   c32bppDIB& cHost)
{
    const int entryBits = header.mapEntryBits;
    const int entryBytes = entryBits == 15 ? 2 : entryBits / 8;
    if (entryBytes == 2)
        BuildFiveBitTable();
    // Only 16-bit entries have an alpha bit; the top bit of a 15-bit entry is padding.
    const bool alphaUsed = (entryBits == 16 || entryBytes == 4) && IsAlphaUsed(data);

    // The palette holds the last mapLength entries of the map; index v selects entry v.
    std::vector<std::uint32_t> palette(std::size_t(std::max(256, header.mapLength)), 0);
    const std::size_t mapStart = headerBytes + std::size_t(header.idLength) +
                                 std::size_t(header.mapFirst) * std::size_t(entryBytes);
    for (int k = 0; k < header.mapLength; ++k) {
        const std::uint8_t* entry = &data[mapStart + std::size_t(k) * std::size_t(entryBytes)];
        std::uint8_t bgra[4] = {0, 0, 0, 0};
        switch (entryBytes) {
            case 1:
                bgra[0] = bgra[1] = bgra[2] = entry[0];
                break;
            case 2:
                ExpandPixel(entry, bgra, 2, alphaUsed, false);
                break;
            case 3:
                std::memcpy(bgra, entry, 3);
                break;
            default:
                std::memcpy(bgra, entry, 3);
                if (alphaUsed)
                    bgra[3] = entry[3];
                break;
        }
        std::memcpy(&palette[std::size_t(k)], bgra, 4);
    }

    std::size_t position = header.pixelStart();
    if (!preparePixels(data.size(), position, header.imageType, header.width, header.height, cHost))
        return false;

    const std::size_t width = std::size_t(header.width);
    std::vector<std::uint8_t> row(width * 4);
    for (std::int32_t y = 0; y < header.height; ++y) {
        if (isRunLength(header.imageType)) {
            if (!DecodeRleIndexRow(data, position, row, palette)) {
                cHost.DestroyDIB();
                return false;
            }
        } else {
            if (data.size() - position < width) {
                cHost.DestroyDIB();
                return false;
            }
            for (std::size_t x = 0; x < width; ++x)
                std::memcpy(&row[x * 4], &palette[data[position + x]], 4);
            position += width;
        }
        PlaceRow(cHost, header, y, row);
    }
    FinishDecode(cHost);
    return true;
}

void cTGAparser::FinishDecode(c32bppDIB& cHost) const
{
    bool hasAlpha = false;
    std::int32_t format = 0;
    ClassifyAlpha(std::span(cHost.BitsPointer(),
                            std::size_t(cHost.scanWidth()) * std::size_t(cHost.Height())),
                  true, hasAlpha, format);
    cHost.LetAlpha(hasAlpha);
    cHost.SetImageType(imgTGA);
}

}  // namespace XrImage
