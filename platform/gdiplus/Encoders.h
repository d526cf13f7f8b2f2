// The installed encoders (PNG, JPEG with a quality, TIFF and BMP through Qt's writers; GIF
// through giflib) and saving an image with one of them.
#pragma once

#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/gdiplus/GpImage.h"

#include <QByteArray>
#include <vector>

namespace gdiplus {

// The encoders in their fixed order; empty without a session.
std::vector<ImageCodecInfo> GdipGetImageEncoders();

// The 1-based place of the first encoder with that MIME type (compared without regard to
// case) and its class id; -1 when none has it or no session runs.
int findEncoder(const QString& mime, QUuid& clsid);

// Encodes the image as it is shown (its orientation applied). A file is written beside its
// target and renamed over it when complete; a failed save leaves an old file as it was.
Status GdipSaveImageToFile(const GpImage& image, const QString& fileName, const QUuid& encoder,
                           const EncoderParameters* parameters);
// Appends the encoded bytes to stream.
Status GdipSaveImageToStream(const GpImage& image, QByteArray& stream, const QUuid& encoder,
                             const EncoderParameters* parameters);

// GIF through giflib: 256 colours at most; a picture with transparent pixels gets one
// transparent palette entry for every pixel under half alpha. Empty on failure.
QByteArray encodeGif(const QImage& picture);

}  // namespace gdiplus
