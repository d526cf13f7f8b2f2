// A pixel of an image as a plain colour 0x00BBGGRR, for comparing painted pixels with the
// colours the drawing code uses.
#pragma once

#include "platform/host/OleColor.h"

#include <QImage>

namespace testsupport {

inline host::COLORREF pixelAt(const QImage& image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return host::RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

}  // namespace testsupport
