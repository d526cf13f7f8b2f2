// The bitmaps inside metafile records: a DIB's info block and bits, kept apart or packed, with
// their colour table as RGB colours or as palette indices.
#include "platform/bytes/ByteReader.h"
#include "platform/picture/DibDecoder.h"
#include "platform/picture/MetafilePlayers.h"

#include <cstring>
#include <iterator>
#include <vector>

namespace picture {

namespace {

// The default palette, which palette indices in a bitmap's colour table stand for when the
// picture realises no palette of its own.
constexpr QRgb DefaultPalette[] = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192),
    qRgb(192, 220, 192), qRgb(166, 202, 240), qRgb(255, 251, 240), qRgb(160, 160, 164),
    qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),     qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255),
};

// An info block whose colour table of palette indices is replaced by their colours; empty when
// the header cannot be read. Only bitmaps of 8 bits or fewer use their table.
std::vector<std::uint8_t> withColourTable(std::span<const std::uint8_t> info,
                                          const DibLayout& layout)
{
    if (layout.tableAt > info.size())
        return {};
    std::vector<std::uint8_t> out(info.begin(), info.begin() + std::ptrdiff_t(layout.tableAt));
    const bytes::ByteReader table(info.subspan(layout.tableAt));
    const std::size_t entries = std::min<std::size_t>(layout.entries, 256);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint16_t index = table.u16leAt(2 * i).valueOr(0);
        const QRgb colour = index < std::size(DefaultPalette) ? DefaultPalette[index] : 0;
        out.push_back(std::uint8_t(qBlue(colour)));
        out.push_back(std::uint8_t(qGreen(colour)));
        out.push_back(std::uint8_t(qRed(colour)));
        if (layout.entryBytes == 4)
            out.push_back(0);
    }
    return out;
}

}  // namespace

QImage decodePackedRecordBitmap(std::span<const std::uint8_t> dib, std::uint32_t colourUse,
                                const bytes::DecodeLimits& limits)
{
    const auto layout = dibLayout(dib);
    if (!layout)
        return {};
    const std::uint64_t entryBytes =
        colourUse == DIB_PAL_COLORS ? 2 : std::uint64_t(layout.value().entryBytes);
    const std::uint64_t bitsAt = std::min<std::uint64_t>(
        layout.value().tableAt + layout.value().entries * entryBytes, dib.size());
    return decodeRecordBitmap(dib.first(std::size_t(bitsAt)), dib.subspan(std::size_t(bitsAt)),
                              colourUse, limits);
}

QImage decodeRecordBitmap(std::span<const std::uint8_t> header, std::span<const std::uint8_t> bits,
                          std::uint32_t colourUse, const bytes::DecodeLimits& limits)
{
    if (colourUse == DIB_PAL_COLORS) {
        const auto layout = dibLayout(header);
        if (!layout)
            return {};
        const std::vector<std::uint8_t> coloured = withColourTable(header, layout.value());
        return coloured.empty() ? QImage()
                                : decodeRecordBitmap(coloured, bits, DIB_RGB_COLORS, limits);
    }
    const bytes::ByteReader info(header);
    // A 32-bit uncompressed bitmap keeps its alpha: metafiles blend with it.
    const auto headerSize = info.u32leAt(0);
    if (headerSize && headerSize.value() >= 40 && info.u16leAt(14).valueOr(0) == 32 &&
        info.u32leAt(16).valueOr(1) == 0) {
        const std::int64_t width = info.i32leAt(4).valueOr(0);
        const std::int64_t height = info.i32leAt(8).valueOr(0);
        const std::int64_t rows = height < 0 ? -height : height;
        if (!bytes::checkImageSize(limits, width, rows, 4))
            return {};
        const std::uint64_t stride = std::uint64_t(width) * 4;
        if (bits.size() < stride * std::uint64_t(rows))
            return {};
        QImage image(int(width), int(rows), QImage::Format_ARGB32);
        if (image.isNull())
            return {};
        bool anyAlpha = false;
        for (std::int64_t y = 0; y < rows; ++y) {
            const std::int64_t from = height < 0 ? y : rows - 1 - y;
            std::memcpy(image.scanLine(int(y)), bits.data() + std::size_t(from) * stride,
                        std::size_t(stride));
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
            for (std::int64_t x = 0; x < width && !anyAlpha; ++x)
                anyAlpha = qAlpha(line[x]) != 0;
        }
        // Alpha all zero is an opaque bitmap that never set it.
        if (!anyAlpha)
            return image.convertToFormat(QImage::Format_RGB32);
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    auto decoded = decodeDib(header, bits, limits);
    if (!decoded)
        return {};
    return decoded.value().image;
}

}  // namespace picture
