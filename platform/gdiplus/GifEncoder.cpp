// GIF output through giflib: an exact palette when the picture has few enough colours, else
// giflib's median-cut quantiser; one transparent entry when any pixel is under half alpha.
#include "platform/gdiplus/Encoders.h"

#include <gif_lib.h>

#include <QHash>
#include <memory>
#include <vector>

namespace gdiplus {
namespace {

constexpr int PaletteSize = 256;

int appendOutput(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Indexes into a palette of the picture's exact colours; false when there are too many.
bool exactPalette(const QImage& straight, const std::vector<bool>& clear, int maxColours,
                  std::vector<GifColorType>& palette, std::vector<GifByteType>& indexes)
{
    QHash<QRgb, int> seen;
    const int width = straight.width();
    for (int y = 0; y < straight.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::size_t at = std::size_t(y) * width + x;
            if (clear[at])
                continue;
            const QRgb colour = line[x] & 0xFFFFFFu;
            auto found = seen.constFind(colour);
            if (found == seen.constEnd()) {
                if (seen.size() == maxColours)
                    return false;
                found = seen.insert(colour, int(seen.size()));
                palette[*found] = {GifByteType(qRed(colour)), GifByteType(qGreen(colour)),
                                   GifByteType(qBlue(colour))};
            }
            indexes[at] = GifByteType(*found);
        }
    }
    return true;
}

bool quantisedPalette(const QImage& straight, int maxColours, std::vector<GifColorType>& palette,
                      std::vector<GifByteType>& indexes)
{
    const std::size_t count = std::size_t(straight.width()) * straight.height();
    std::vector<GifByteType> red(count), green(count), blue(count);
    for (int y = 0; y < straight.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        for (int x = 0; x < straight.width(); ++x) {
            const std::size_t at = std::size_t(y) * straight.width() + x;
            red[at] = GifByteType(qRed(line[x]));
            green[at] = GifByteType(qGreen(line[x]));
            blue[at] = GifByteType(qBlue(line[x]));
        }
    }
    int size = maxColours;
    return GifQuantizeBuffer(unsigned(straight.width()), unsigned(straight.height()), &size,
                             red.data(), green.data(), blue.data(), indexes.data(),
                             palette.data()) == GIF_OK;
}

}  // namespace

QByteArray encodeGif(const QImage& picture)
{
    if (picture.isNull() || picture.width() > 0xFFFF || picture.height() > 0xFFFF)
        return {};
    const QImage straight = picture.convertToFormat(QImage::Format_ARGB32);
    const int width = straight.width();
    const int height = straight.height();
    const std::size_t count = std::size_t(width) * height;
    std::vector<bool> clear(count);
    bool anyClear = false;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        for (int x = 0; x < width; ++x)
            if (qAlpha(line[x]) < 128)
                anyClear = clear[std::size_t(y) * width + x] = true;
    }
    // The last entry stays free for transparency.
    const int colours = anyClear ? PaletteSize - 1 : PaletteSize;
    const int transparentIndex = PaletteSize - 1;
    std::vector<GifColorType> palette(PaletteSize, GifColorType{0, 0, 0});
    std::vector<GifByteType> indexes(count, 0);
    if (!exactPalette(straight, clear, colours, palette, indexes) &&
        !quantisedPalette(straight, colours, palette, indexes))
        return {};
    if (anyClear)
        for (std::size_t i = 0; i < count; ++i)
            if (clear[i])
                indexes[i] = GifByteType(transparentIndex);

    QByteArray out;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&out, appendOutput, &error));
    if (!gif)
        return {};
    std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(PaletteSize, palette.data()));
    if (!map)
        return {};
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, map.get()) != GIF_OK)
        return {};
    if (anyClear) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = transparentIndex;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_OK)
            return {};
    }
    if (EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) != GIF_OK)
        return {};
    for (int y = 0; y < height; ++y)
        if (EGifPutLine(gif.get(), indexes.data() + std::size_t(y) * width, width) != GIF_OK)
            return {};
    if (EGifCloseFile(gif.release(), &error) != GIF_OK)
        return {};
    return out;
}

}  // namespace gdiplus
