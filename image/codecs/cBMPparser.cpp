#include "image/codecs/cBMPparser.h"

#include "image/codecs/StreamView.h"
#include "image/core/ImageHelpers.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/host/Units.h"
#include "platform/picture/Picture.h"
#include "platform/runtime/VbError.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace XrImage {

namespace {

std::span<std::uint8_t> hostPixels(c32bppDIB& host)
{
    return {host.BitsPointer(), std::size_t(host.scanWidth()) * std::size_t(host.Height())};
}

bool isMetafile(const picture::Picture* picture)
{
    return picture && (picture->Type() == picture::PICTYPE_METAFILE ||
                       picture->Type() == picture::PICTYPE_ENHMETAFILE);
}

// A metafile's size is only its header's word: it is drawn no larger than this.
constexpr std::int64_t MaxMetafileSide = 16384;
constexpr std::int64_t MaxMetafilePixels = std::int64_t{1} << 25;

// A metafile drawn over a background it left untouched: what it drew becomes opaque, as if
// drawn on white, and the untouched background transparent. True when any pixel stayed
// untouched. (The drawing writes real coverage into alpha, so untouched means alpha 0.)
bool keepDrawnPixelsOnly(std::span<std::uint8_t> pixels)
{
    bool anyTransparent = false;
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        const int alpha = pixels[i + 3];
        if (alpha == 0) {
            pixels[i] = pixels[i + 1] = pixels[i + 2] = 0;
            anyTransparent = true;
            continue;
        }
        for (std::size_t c = 0; c < 3; ++c)
            pixels[i + c] = std::uint8_t(std::min(255, pixels[i + c] + 255 - alpha));
        pixels[i + 3] = 255;
    }
    return anyTransparent;
}

}  // namespace

bool cBMPparser::LoadStream(const QByteArray& inStream, c32bppDIB* cHost, std::int32_t streamOffset,
                            std::int32_t streamLength)
{
    if (!cHost)
        return false;
    const std::span<const std::uint8_t> data = streamView(inStream, streamOffset, streamLength);
    std::int32_t bitCount = 0;
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M' && data.size() >= 34) {
        const std::int32_t width = std::int32_t(u32At(data, 18));
        const std::int32_t height = std::int32_t(u32At(data, 22));
        bitCount = u16At(data, 28);
        if (width < 1 || height == 0)
            return false;
        const std::uint32_t pixelOffset = u32At(data, 10);
        const std::uint32_t compression = u32At(data, 30);
        const std::int64_t rows = std::llabs(std::int64_t(height));
        // The direct path needs every row inside the data; an overflowing row size does not fit.
        bool fits = false;
        if (bitCount <= 255) {
            try {
                const std::int64_t rowBytes = ScanlineBytes(std::uint8_t(bitCount), width);
                fits = std::int64_t(pixelOffset) + rowBytes * rows <= std::int64_t(data.size());
            } catch (const vb::VbError&) {
                fits = false;
            }
        }
        if (fits && bitCount == 32 && compression == 0) {
            if (!cHost->InitializeDIB(width, std::int32_t(rows)))
                return false;
            const std::size_t scan = std::size_t(cHost->scanWidth());
            const std::uint8_t* source = data.data() + pixelOffset;
            if (height > 0) {
                std::memcpy(cHost->BitsPointer(), source, scan * std::size_t(rows));
            } else {
                for (std::int64_t r = 0; r < rows; ++r)
                    std::memcpy(cHost->BitsPointer() + std::size_t(r) * scan,
                                source + std::size_t(rows - 1 - r) * scan, scan);
            }
            bool hasAlpha = false;
            std::int32_t format = 0;
            ClassifyAlpha(hostPixels(*cHost), true, hasAlpha, format);
            cHost->LetAlpha(hasAlpha);
            cHost->SetImageType(format);
            return true;
        }
    }
    if (cHost->Handle() != 0 || data.empty())
        return false;
    const std::optional<picture::Picture> decoded =
        PictureFromBytes(inStream, streamOffset, std::int32_t(data.size()));
    if (!decoded)
        return false;
    return ConvertstdPicTo32bpp(&*decoded, nullptr, cHost, bitCount);
}

bool cBMPparser::ConvertstdPicTo32bpp(const picture::Picture* stdPic, const gdi::Bitmap* Handle,
                                      c32bppDIB* cHost, std::int32_t /*bitCount*/)
{
    if (!cHost)
        return false;
    const bool byHandle = !stdPic && Handle && !Handle->isNull();
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (byHandle) {
        width = Handle->width();
        height = Handle->height();
    } else if (stdPic && stdPic->Type() != picture::PICTYPE_NONE) {
        width = HimetricToPixels(stdPic->Width(), true);
        height = HimetricToPixels(stdPic->Height(), false);
    } else {
        return false;
    }
    if (isMetafile(stdPic) && (width > MaxMetafileSide || height > MaxMetafileSide ||
                               std::int64_t(width) * height > MaxMetafilePixels))
        return false;
    if (!cHost->InitializeDIB(width, height))
        return false;
    gdi::DeviceContext* dc = cHost->LoadDIBinDC(true);
    // A 32-bit section at one device pixel per pixel gives its bytes as they are; anything
    // else is drawn.
    bool copied32 = false;
    if (byHandle) {
        if (Handle->isBottomUp() && Handle->devicePixelRatio() == 1.0 &&
            Handle->image().format() == QImage::Format_ARGB32_Premultiplied) {
            const QImage& source = Handle->image();
            const std::size_t rowBytes = std::size_t(width) * 4;
            for (int y = 0; y < height; ++y)
                std::memcpy(cHost->BitsPointer() + std::size_t(y) * rowBytes,
                            source.constScanLine(y), rowBytes);
            copied32 = true;
        } else if (dc) {
            gdi::DeviceContext memory;
            memory.selectBitmap(*Handle);
            // The section's rows lie bottom-up: a top-down bitmap is turned over as it is
            // copied, or the picture would come out upside down.
            if (Handle->isBottomUp())
                dc->bitBlt(0, 0, width, height, memory, 0, 0);
            else
                dc->stretchBlt(0, height - 1, width, -height, memory, 0, 0, width, height);
        }
    } else if (dc) {
        stdPic->Render(*dc, 0, 0, width, height, 0, stdPic->Height(), stdPic->Width(),
                       -stdPic->Height());
    }
    cHost->LoadDIBinDC(false);

    if (isMetafile(stdPic)) {
        cHost->LetAlpha(keepDrawnPixelsOnly(hostPixels(*cHost)));
        cHost->SetImageType(stdPic->Type() == picture::PICTYPE_METAFILE ? imgWMF : imgEMF);
        return true;
    }
    bool hasAlpha = false;
    std::int32_t format = copied32 ? 0 : -1;
    ClassifyAlpha(hostPixels(*cHost), true, hasAlpha, format);
    if (!byHandle)
        format = stdPic->Type() == picture::PICTYPE_ICON ? imgIcon : imgBitmap;
    cHost->LetAlpha(hasAlpha);
    cHost->SetImageType(format);
    return true;
}

std::int32_t cBMPparser::HimetricToPixels(std::int32_t value, bool horizontal)
{
    const double twips = double(value) * 1440.0 / 2540.0;
    const double perPixel = horizontal ? host::TwipsPerPixelX() : host::TwipsPerPixelY();
    // nearbyint rounds halves to the even neighbour.
    return std::int32_t(std::nearbyint(twips / perPixel));
}

}  // namespace XrImage
