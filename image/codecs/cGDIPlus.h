// The bridge between an image and the GDI+ stand-in: whether GDI+ can start, session tokens,
// PNG and JPEG encoding of the host image, decoding anything GDI+ reads into a host image, and
// drawing the host image with scaling, mirroring, rotation, a colour matrix and opacity.
//
// A bridge serves one host image: it keeps one GDI+ bitmap laid over the host's pixels (no
// copy) and only changes that bitmap's orientation between calls.
#pragma once

#include "image/core/c32bppDIB.h"
#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/gdiplus/GpImage.h"

#include <QByteArray>
#include <QString>
#include <QUuid>
#include <cstdint>
#include <memory>

namespace gdi {
class DeviceContext;
}

namespace XrImage {

class cGDIPlus {
public:
    cGDIPlus() = default;
    ~cGDIPlus();
    cGDIPlus(const cGDIPlus&) = delete;
    cGDIPlus& operator=(const cGDIPlus&) = delete;

    // True when a session can start. With KeepToken the session stays up and its token is
    // written to gdiToken (when given); otherwise it is shut down again at once.
    bool isGDIplusOk(std::int32_t* gdiToken = nullptr, bool KeepToken = false);
    // Encodes the host image upright as PNG into the file, or, when FileName is empty, into
    // outStream (emptied first). False for an empty host or any GDI+ failure.
    bool SaveToPNG(const QString& FileName, QByteArray& outStream, c32bppDIB& cHost,
                   std::int32_t GlobalToken = 0);
    // As SaveToPNG, as JPEG; the quality is held within 30..100.
    bool SaveToJPG(const QString& FileName, QByteArray& outStream, c32bppDIB& cHost,
                   std::int32_t Quality = 80, std::int32_t GlobalToken = 0);

    // --- library-internal ----------------------------------------------------------------
    // Draws the host's source rectangle into the destination (negative sizes mirror) turned
    // by Angle about the destination's centre, through grayscale, lightness and opacity.
    XRIMAGE_INTERNAL bool RenderToDC(c32bppDIB& cHost, gdi::DeviceContext* hDC, float Angle,
                                     std::int32_t Opacity, std::int32_t DestX, std::int32_t DestY,
                                     std::int32_t DestWidth, std::int32_t DestHeight,
                                     std::int32_t SrcX, std::int32_t SrcY, std::int32_t SrcWidth,
                                     std::int32_t SrcHeight, bool HighQuality,
                                     std::int32_t grayScale, std::int32_t GlobalToken,
                                     float LightAdjustment);
    // Decodes a file (or, with an empty name, the bytes) into the host; the host is imgPNG
    // afterwards whatever the source was. Data no reader takes leaves the host as it was.
    XRIMAGE_INTERNAL bool LoadIntoDIB(const QString& FileName, const QByteArray& stream,
                                      c32bppDIB& cHost, std::int32_t GlobalToken);
    // Starts a session into token, or shuts token's session down (disposing of the held
    // bitmap); a shutdown answers false.
    XRIMAGE_INTERNAL bool StartStopSession(std::int32_t& token, bool ShutDown);

private:
    // The encoder's 1-based place in the list, -1 when none has that MIME type.
    int GetEncoderClsid(const QString& mime, QUuid& clsid) const;
    void SetRotateFlip(int wanted);
    bool getReady(std::int32_t GlobalToken, bool probe);
    bool holdBitmapOf(c32bppDIB& host);
    bool save(const QString& mime, const gdiplus::EncoderParameters* parameters,
              const QString& FileName, QByteArray& outStream, c32bppDIB& cHost,
              std::int32_t GlobalToken);

    std::unique_ptr<gdiplus::GpImage> HeldBitmap;
    const std::uint8_t* heldPixels = nullptr;  // what HeldBitmap is laid over
    std::int32_t OwnToken = 0;
    int AppliedRotateFlip = gdiplus::RotateNoneFlipNone;
};

}  // namespace XrImage
