// Windows bitmaps, and whatever else the platform picture loader reads (JPEG among it): a
// 32-bit uncompressed "BM" file is copied straight into the host and its alpha classified;
// every other bitmap goes through the picture loader and is drawn into the host. Picture
// objects and bitmap handles convert through the same drawing step.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace gdi {
class Bitmap;
}
namespace picture {
class Picture;
}

namespace XrImage {

class c32bppDIB;

class cBMPparser {
public:
    bool LoadStream(const QByteArray& inStream, c32bppDIB* cHost, std::int32_t streamOffset,
                    std::int32_t streamLength);
    // Draws a picture object (stdPic) or a bitmap (Handle) into the host at its full size.
    // bitCount is carried for the caller and not used.
    bool ConvertstdPicTo32bpp(const picture::Picture* stdPic, const gdi::Bitmap* Handle,
                              c32bppDIB* cHost, std::int32_t bitCount);

private:
    static std::int32_t HimetricToPixels(std::int32_t value, bool horizontal);
};

}  // namespace XrImage
