#include "platform/picture/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace picture {
namespace {

using bytes::DecodeError;

struct Input {
    std::span<const std::uint8_t> data;
    std::size_t position = 0;
};

int readInput(GifFileType* gif, GifByteType* target, int length)
{
    auto* input = static_cast<Input*>(gif->UserData);
    const std::size_t count = std::min<std::size_t>(std::size_t(std::max(length, 0)),
                                                    input->data.size() - input->position);
    std::memcpy(target, input->data.data() + input->position, count);
    input->position += count;
    return int(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// Skips an extension's sub-blocks, noting a graphic control block's transparent index.
bool readExtension(GifFileType* gif, int& transparentIndex)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        GraphicsControlBlock control{};
        if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            transparentIndex = control.TransparentColor;
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) != GIF_OK)
            return false;
    }
    return true;
}

}  // namespace

bytes::Result<DecodedGif> decodeGif(std::span<const std::uint8_t> data,
                                    const bytes::DecodeLimits& limits)
{
    Input input{data};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, readInput, &error));
    if (!gif)
        return DecodeError::malformed(QStringLiteral("no GIF header"));

    int transparentIndex = NO_TRANSPARENT_COLOR;
    bool found = false;
    while (!found) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) != GIF_OK)
            return DecodeError::truncated(QStringLiteral("GIF ends before its first image"));
        if (type == IMAGE_DESC_RECORD_TYPE)
            found = true;
        else if (type == EXTENSION_RECORD_TYPE) {
            if (!readExtension(gif.get(), transparentIndex))
                return DecodeError::truncated(QStringLiteral("GIF extension cut short"));
        } else {
            return DecodeError::malformed(QStringLiteral("GIF without an image"));
        }
    }
    if (DGifGetImageDesc(gif.get()) != GIF_OK)
        return DecodeError::truncated(QStringLiteral("GIF image descriptor cut short"));

    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount < 1)
        return DecodeError::malformed(QStringLiteral("GIF without a colour table"));
    if (frame.Width < 1 || frame.Height < 1)
        return DecodeError::malformed(QStringLiteral("GIF image of no size"));
    const std::int64_t width =
        std::max<std::int64_t>(gif->SWidth, std::int64_t(frame.Left) + frame.Width);
    const std::int64_t height =
        std::max<std::int64_t>(gif->SHeight, std::int64_t(frame.Top) + frame.Height);
    if (auto size = bytes::checkImageSize(limits, width, height, 4); !size)
        return size.error();
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    if (pixels > std::max(gifPixelFloor, data.size() * maxGifPixelsPerByte))
        return DecodeError::limitExceeded(QStringLiteral("%1 bytes cannot hold a %2 × %3 GIF")
                                              .arg(data.size())
                                              .arg(width)
                                              .arg(height));

    DecodedGif out;
    for (int i = 0; i < map->ColorCount; ++i)
        out.colours.append(qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
    out.transparentIndex = transparentIndex;
    out.image = QImage(int(width), int(height), QImage::Format_ARGB32);
    if (out.image.isNull())
        return DecodeError::limitExceeded(QStringLiteral("no memory for the pixels"));
    out.image.fill(0u);
    out.indexes.assign(pixels, std::uint8_t(std::max(transparentIndex, 0)));

    // Interlaced rows come in four passes.
    static constexpr int passStart[] = {0, 4, 2, 1};
    static constexpr int passStep[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    std::vector<GifPixelType> line(std::size_t(frame.Width));
    bool failed = false;
    for (int pass = 0; pass < passes && !failed; ++pass) {
        const int first = frame.Interlace ? passStart[pass] : 0;
        const int step = frame.Interlace ? passStep[pass] : 1;
        for (int row = first; row < frame.Height; row += step) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_OK) {
                failed = true;
                break;
            }
            const int y = frame.Top + row;
            auto* pixelsOut = reinterpret_cast<QRgb*>(out.image.scanLine(y));
            std::uint8_t* indexesOut = out.indexes.data() + std::size_t(y) * std::size_t(width);
            for (int column = 0; column < frame.Width; ++column) {
                const int x = frame.Left + column;
                const int index = line[std::size_t(column)];
                indexesOut[x] = std::uint8_t(index);
                if (index == transparentIndex)
                    pixelsOut[x] = 0u;
                else
                    pixelsOut[x] = index < out.colours.size() ? out.colours[index] : qRgb(0, 0, 0);
            }
        }
    }
    out.complete = !failed;
    return out;
}

}  // namespace picture
