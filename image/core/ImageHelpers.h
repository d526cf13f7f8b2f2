// Free functions the image object and the codecs share: row sizes, byte order, the alpha
// classifier every reader runs over fresh 32-bit pixels, grayscale weights, pictures from
// bytes or handles, the library export probe and file access.
//
// Pixel loops view image memory as a std::span over BitsPointer (rows of scanWidth bytes,
// bottom-up): no copy, and nothing for the view to free.
#pragma once

#include "image/core/ImageEnums.h"
#include "platform/picture/Picture.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace gdi {
class Bitmap;
}

namespace XrImage {

// Bytes of one row of bitCount bits per pixel, padded to 4 bytes. Raises the overflow error
// when width x bitCount + 31 does not fit in 32 bits.
std::int32_t ScanlineBytes(std::uint8_t bitCount, std::int32_t width);

// The four bytes reversed.
std::int32_t SwapByteOrder32(std::int32_t value);

// Decides what fresh 32-bit pixels (blue, green, red, alpha) mean. No alpha (every pixel
// transparent, every pixel opaque, or imageFormat -1 on entry, which skips the scan):
// imgBitmap, and with convert every alpha byte becomes 255. Premultiplied: imgBmpPARGB,
// pixels untouched. Straight: imgBmpARGB, and with convert every pixel is premultiplied.
void ClassifyAlpha(std::span<std::uint8_t> pixels, bool convert, bool& hasAlpha,
                   std::int32_t& imageFormat);

// Straight colour from a premultiplied byte (alpha 1 to 254): the smallest value that
// premultiplies back to it ((value x alpha) \ 255, as every reader does), so a save, a load
// and a second save give the same bytes; truncating instead darkens by a level each time. A
// colour above its alpha (not valid premultiplied data) is held at 255.
inline std::uint8_t UnpremultipliedColour(unsigned colour, unsigned alpha)
{
    const unsigned straight = (colour * 255 + alpha - 1) / alpha;
    return std::uint8_t(straight < 255 ? straight : 255);
}

// Red, green and blue weights of a grayscale formula; unknown formulas give the NTSC set.
void GrayscaleWeights(std::int32_t formula, float& red, float& green, float& blue);

// A picture decoded by the platform picture loader from length bytes at startIndex; nothing
// when the range lies outside the bytes or the loader cannot read them.
std::optional<picture::Picture> PictureFromBytes(const QByteArray& bytes, std::int32_t startIndex,
                                                 std::int32_t length);

// A picture that shows the bitmap, of the platform picture type 1 (bitmap) or 3 (icon);
// nothing for a null bitmap or the metafile types 2 and 4.
std::optional<picture::Picture> PictureFromHandle(const gdi::Bitmap& handle,
                                                  std::int32_t pictureType);
// A picture of a metafile handle, of the type that matches it (2 for a metafile, 4 for an
// enhanced metafile); nothing for any other type.
std::optional<picture::Picture> PictureFromHandle(const picture::Metafile& handle,
                                                  std::int32_t pictureType);

// True when the library loads and exports the function; the library is released again.
bool DllExportsFunction(const QString& dllName, const QString& functionName);

// Opens a file for reading (an existing one only) or for reading and writing (created or
// emptied; an existing file keeps its permission bits). Null on failure. File names are
// Unicode on this platform, so useWide changes nothing.
std::unique_ptr<QFile> OpenFileForIO(const QString& fileName, bool forReading, bool useWide);

// Deletes the file, read-only or not; true when it was deleted.
bool RemoveFile(const QString& fileName, bool useWide);

// True when anything of that name exists (folders count).
bool FileExists(const QString& fileName, bool useWide);

}  // namespace XrImage
