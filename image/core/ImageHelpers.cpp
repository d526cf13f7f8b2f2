#include "image/core/ImageHelpers.h"

#include "platform/dynload/DynamicLibrary.h"
#include "platform/gdi/Bitmap.h"
#include "platform/runtime/VbError.h"
#include "platform/system/FileSystem.h"

#include <limits>

namespace XrImage {

std::int32_t ScanlineBytes(std::uint8_t bitCount, std::int32_t width)
{
    const std::int64_t bits = std::int64_t(width) * bitCount + 31;
    if (bits > std::numeric_limits<std::int32_t>::max() ||
        bits < std::numeric_limits<std::int32_t>::min())
        vb::raiseError(vb::ErrOverflow);
    return std::int32_t((bits & ~std::int64_t(31)) / 8);
}

std::int32_t SwapByteOrder32(std::int32_t value)
{
    return std::int32_t(__builtin_bswap32(std::uint32_t(value)));
}

namespace {

enum class AlphaVerdict { None, Premultiplied, Straight };

AlphaVerdict classify(std::span<const std::uint8_t> pixels)
{
    enum { Premultiplied, ColourUnderZero, NotPremultiplied } state = Premultiplied;
    std::size_t transparent = 0;
    std::size_t opaque = 0;
    const std::size_t count = pixels.size() / 4;
    for (std::size_t i = 0; i < count && state != NotPremultiplied; ++i) {
        const std::uint8_t* p = &pixels[i * 4];
        const std::uint8_t alpha = p[3];
        if (alpha == 0) {
            if (state == Premultiplied && (p[0] | p[1] | p[2]) != 0)
                state = ColourUnderZero;
            ++transparent;
        } else if (alpha == 255) {
            if (state == ColourUnderZero)
                state = NotPremultiplied;
            else
                ++opaque;
        } else if (state == ColourUnderZero || alpha < p[0] || alpha < p[1] || alpha < p[2]) {
            state = NotPremultiplied;
        }
    }
    // An image that is all transparent counts as having no alpha: it is shown opaque.
    if (transparent == count || opaque == count)
        return AlphaVerdict::None;
    return state == Premultiplied ? AlphaVerdict::Premultiplied : AlphaVerdict::Straight;
}

}  // namespace

void ClassifyAlpha(std::span<std::uint8_t> pixels, bool convert, bool& hasAlpha,
                   std::int32_t& imageFormat)
{
    const AlphaVerdict verdict = imageFormat == -1 ? AlphaVerdict::None : classify(pixels);
    const std::size_t count = pixels.size() / 4;
    switch (verdict) {
        case AlphaVerdict::None:
            imageFormat = imgBitmap;
            hasAlpha = false;
            if (convert)
                for (std::size_t i = 0; i < count; ++i)
                    pixels[i * 4 + 3] = 255;
            break;
        case AlphaVerdict::Premultiplied:
            imageFormat = imgBmpPARGB;
            hasAlpha = true;
            break;
        case AlphaVerdict::Straight:
            imageFormat = imgBmpARGB;
            hasAlpha = true;
            if (!convert)
                break;
            for (std::size_t i = 0; i < count; ++i) {
                std::uint8_t* p = &pixels[i * 4];
                const unsigned alpha = p[3];
                if (alpha == 255)
                    continue;
                for (int c = 0; c < 3; ++c)
                    p[c] = std::uint8_t(p[c] * alpha / 255);
            }
            break;
    }
}

void GrayscaleWeights(std::int32_t formula, float& red, float& green, float& blue)
{
    struct Weights {
        float red, green, blue;
    };
    static constexpr Weights table[] = {
        {0.299f, 0.587f, 0.114f}, {0.213f, 0.715f, 0.072f}, {0.333f, 0.334f, 0.333f},
        {0.8f, 0.1f, 0.1f},       {0.1f, 0.8f, 0.1f},       {0.1f, 0.1f, 0.8f},
        {0.45f, 0.45f, 0.1f},     {0.1f, 0.45f, 0.45f},
    };
    Weights weights = table[gsclNTSCPAL];
    if (formula == gsclNone)
        weights = {1.0f, 1.0f, 1.0f};
    else if (formula >= 0 && formula < std::int32_t(std::size(table)))
        weights = table[formula];
    red = weights.red;
    green = weights.green;
    blue = weights.blue;
}

std::optional<picture::Picture> PictureFromBytes(const QByteArray& bytes, std::int32_t startIndex,
                                                 std::int32_t length)
{
    if (startIndex < 0 || length < 1 || startIndex >= bytes.size() ||
        length > bytes.size() - startIndex)
        return std::nullopt;
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + startIndex;
    return picture::loadPicture(std::span(first, std::size_t(length)));
}

std::optional<picture::Picture> PictureFromHandle(const gdi::Bitmap& handle,
                                                  std::int32_t pictureType)
{
    if (pictureType != picture::PICTYPE_BITMAP && pictureType != picture::PICTYPE_ICON)
        return std::nullopt;
    return picture::pictureFromBitmap(handle, picture::PictureType(pictureType));
}

std::optional<picture::Picture> PictureFromHandle(const picture::Metafile& handle,
                                                  std::int32_t pictureType)
{
    if (pictureType != picture::PICTYPE_METAFILE && pictureType != picture::PICTYPE_ENHMETAFILE)
        return std::nullopt;
    return picture::pictureFromMetafile(handle, picture::PictureType(pictureType));
}

bool DllExportsFunction(const QString& dllName, const QString& functionName)
{
    return dynload::exportsFunction(dllName, functionName);
}

std::unique_ptr<QFile> OpenFileForIO(const QString& fileName, bool forReading, bool /*useWide*/)
{
    auto file = std::make_unique<QFile>(fileName);
    if (forReading) {
        if (!sys::fileExists(fileName) || !file->open(QIODevice::ReadOnly))
            return nullptr;
    } else if (!file->open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        return nullptr;
    }
    return file;
}

bool RemoveFile(const QString& fileName, bool /*useWide*/)
{
    return sys::fileExists(fileName) && sys::deleteFile(fileName);
}

bool FileExists(const QString& fileName, bool /*useWide*/)
{
    return sys::pathExists(fileName);
}

}  // namespace XrImage
