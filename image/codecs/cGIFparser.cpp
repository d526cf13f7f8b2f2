#include "image/codecs/cGIFparser.h"

#include "image/codecs/StreamView.h"
#include "image/core/ImageHelpers.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/picture/Picture.h"

#include <cstring>

namespace XrImage {

namespace {

// Raised by a read past the data: the walk stops and the data counts as damaged.
struct CutShort {};

class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> data) : m_data(data) {}
    std::uint8_t at(std::size_t offset) const
    {
        if (offset >= m_data.size())
            throw CutShort{};
        return m_data[offset];
    }
    // Skips a sequence of sub-blocks starting at position; returns the position after its
    // terminator.
    std::size_t skipSubBlocks(std::size_t position) const
    {
        for (;;) {
            const std::uint8_t size = at(position);
            ++position;
            if (size == 0)
                return position;
            position += size;
        }
    }

private:
    std::span<const std::uint8_t> m_data;
};

bool hasGifSignature(std::span<const std::uint8_t> data)
{
    if (data.size() < 6)
        return false;
    char lower[6];
    for (int i = 0; i < 6; ++i) {
        const char c = char(data[std::size_t(i)]);
        lower[i] = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    }
    return std::memcmp(lower, "gif89a", 6) == 0 || std::memcmp(lower, "gif87a", 6) == 0;
}

}  // namespace

bool cGIFparser::LoadStream(const QByteArray& inStream, c32bppDIB* cHost, std::int32_t streamOffset,
                            std::int32_t streamLength)
{
    if (!cHost)
        return false;
    const std::span<const std::uint8_t> source = streamView(inStream, streamOffset, streamLength);
    switch (Parse(source, *cHost)) {
        case Answer::NotGif:
            return false;
        case Answer::Taken:
            return true;
        case Answer::Damaged:
            cHost->DestroyDIB();
            return true;
    }
    return false;
}

cGIFparser::Answer cGIFparser::Parse(std::span<const std::uint8_t> source, c32bppDIB& cHost)
{
    if (!hasGifSignature(source))
        return Answer::NotGif;
    const Cursor data(source);
    try {
        const std::uint8_t screenPacked = data.at(10);
        std::size_t headerLength = 13;
        std::size_t colourCount = 0;
        if (screenPacked & 0x80) {
            colourCount = std::size_t(2) << (screenPacked & 7);
            headerLength += 3 * colourCount;
        }
        std::size_t colourTable = 13;

        // The extensions before the first image; the last graphic control extension counts.
        std::size_t position = headerLength;
        std::ptrdiff_t controlExtension = -1;
        bool transparent = false;
        int transparentIndex = 0;
        for (bool walking = true; walking;) {
            const std::uint8_t introducer = data.at(position);
            if (introducer == 0x00) {
                ++position;
            } else if (introducer == 0x21) {
                const std::uint8_t label = data.at(position + 1);
                if (label == 0xFF) {
                    position += 2;
                    position += 1 + std::size_t(data.at(position));
                    position = data.skipSubBlocks(position);
                } else if (label == 0xF9) {
                    controlExtension = std::ptrdiff_t(position);
                    transparent = (data.at(position + 3) & 1) != 0;
                    transparentIndex = transparent ? data.at(position + 6) : 0;
                    position += 8;
                } else {
                    position = data.skipSubBlocks(position + 2);
                }
            } else {
                walking = false;
            }
        }
        const std::size_t descriptor = position;
        if (data.at(descriptor) != 0x2C)
            return Answer::NotGif;
        const std::uint8_t imagePacked = data.at(descriptor + 9);
        std::size_t afterTable = descriptor + 10;
        const bool localTable = (imagePacked & 0x80) != 0;
        if (localTable) {
            colourCount = std::size_t(2) << (imagePacked & 7);
            colourTable = descriptor + 10;
            afterTable += 3 * colourCount;
        }
        data.at(afterTable);  // the LZW minimum code size
        const std::size_t blockEnd = data.skipSubBlocks(afterTable + 1);
        const std::size_t blockLength = blockEnd - descriptor;
        if (blockLength < 4 || colourCount == 0)
            return Answer::NotGif;
        data.at(colourTable + 3 * colourCount - 1);

        // The single-image GIF: header and global table, the control extension, the image
        // at 0, 0 on a screen of its own size, the trailer.
        QByteArray single;
        single.reserve(qsizetype(headerLength + 8 + blockLength + 1));
        const auto append = [&single, source](std::size_t from, std::size_t count) {
            single.append(reinterpret_cast<const char*>(source.data() + from), qsizetype(count));
        };
        append(0, headerLength);
        // The signature's letters may come in any case; the picture loader wants them upper.
        for (int i = 0; i < 6; ++i)
            if (single[i] >= 'a' && single[i] <= 'z')
                single[i] = char(single[i] - 32);
        single[5] = 'a';
        if (controlExtension >= 0)
            append(std::size_t(controlExtension), 8);
        const qsizetype copiedDescriptor = single.size();
        append(descriptor, blockLength);
        single.append(char(0x3B));
        for (int i = 1; i <= 4; ++i)
            single[copiedDescriptor + i] = 0;
        for (int i = 0; i < 4; ++i)
            single[6 + i] = single[copiedDescriptor + 5 + i];
        if (transparent) {
            // A grey ramp keeps entries that share a colour apart in the decoded picture.
            const qsizetype table = localTable ? copiedDescriptor + 10 : 13;
            for (std::size_t i = 0; i < colourCount; ++i)
                for (int c = 0; c < 3; ++c)
                    single[table + qsizetype(i * 3) + c] = char(i & 0xFF);
        }

        const std::optional<picture::Picture> decoded =
            PictureFromBytes(single, 0, std::int32_t(single.size()));
        if (!decoded)
            return Answer::Damaged;
        const picture::IndexedBits* indexed = decoded->indexedBits();
        const QImage& shown = decoded->image();
        if (transparent && !indexed)
            return Answer::NotGif;
        if (!cHost.InitializeDIB(shown.width(), shown.height()))
            return Answer::NotGif;

        if (!transparent) {
            if (gdi::DeviceContext* dc = cHost.LoadDIBinDC(true))
                decoded->Render(*dc, 0, 0, cHost.Width(), cHost.Height(), 0, decoded->Height(),
                                decoded->Width(), -decoded->Height());
            cHost.LoadDIBinDC(false);
            bool hasAlpha = false;
            std::int32_t format = -1;
            ClassifyAlpha(std::span(cHost.BitsPointer(),
                                    std::size_t(cHost.scanWidth()) * std::size_t(cHost.Height())),
                          true, hasAlpha, format);
            cHost.LetAlpha(false);
        } else {
            const int bitCount = indexed->bitCount;
            const int mask = (1 << bitCount) - 1;
            const std::size_t width = std::size_t(cHost.Width());
            for (std::int32_t row = 0; row < cHost.Height(); ++row) {
                const std::uint8_t* bits =
                    indexed->bits.data() + std::size_t(row) * std::size_t(indexed->stride);
                std::uint8_t* target =
                    cHost.BitsPointer() + std::size_t(row) * std::size_t(cHost.scanWidth());
                for (std::size_t x = 0; x < width; ++x) {
                    const std::size_t bitPosition = x * std::size_t(bitCount);
                    const int shift = 8 - bitCount - int(bitPosition % 8);
                    const int index = (bits[bitPosition / 8] >> shift) & mask;
                    if (index == transparentIndex)
                        continue;
                    std::uint8_t* pixel = target + x * 4;
                    // An index past the table reads as opaque black.
                    if (std::size_t(index) < colourCount) {
                        const std::uint8_t* entry =
                            source.data() + colourTable + 3 * std::size_t(index);
                        pixel[0] = entry[2];
                        pixel[1] = entry[1];
                        pixel[2] = entry[0];
                    }
                    pixel[3] = 255;
                }
            }
            cHost.LetAlpha(true);
        }
        cHost.SetImageType(imgGIF);
        return Answer::Taken;
    } catch (const CutShort&) {
        return Answer::Damaged;
    }
}

}  // namespace XrImage
