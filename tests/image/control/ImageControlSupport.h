// Helpers of the image control's tests: image files written for a test, a control of a given
// size in pixels, and reads of what its picture box holds.
#pragma once

#include "image/control/PictureBox.h"
#include "image/control/XrImageControl.h"
#include "image/core/c32bppDIB.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <memory>

namespace imagecontroltest {

// A colour that no test image uses, as the box's back colour (0x00BBGGRR).
constexpr host::OLE_COLOR boxColour = 0x00336699;
const QRgb boxRgb = qRgb(0x99, 0x66, 0x33);

// Writes a width x height image of one colour in the format (PNG, BMP, JPG by the ending).
inline QString writeImage(const QString& path, int width, int height, QRgb colour,
                          QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, format);
    image.fill(QColor::fromRgba(colour));
    image.save(path);
    return path;
}

// A control of that size in pixels, with the test back colour.
inline std::unique_ptr<XrImage::XrImageControl> controlOfSize(int width, int height)
{
    auto control = std::make_unique<XrImage::XrImageControl>();
    control->LetBackColor(boxColour);
    control->LetWidth(width * 15.0);
    control->LetHeight(height * 15.0);
    return control;
}

// What the box's persistent bitmap holds.
inline QImage boxPixels(XrImage::XrImageControl& control)
{
    return control.Picture1().Image().toImage();
}

// The smallest rectangle holding the pixels of that colour; empty when none.
inline QRect boundsOf(const QImage& image, QRgb colour)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// The image's pixels as bytes, to tell whether an operation changed them.
inline QByteArray imageBytes(const XrImage::c32bppDIB& image)
{
    if (!image.BitsPointer())
        return {};
    return QByteArray(reinterpret_cast<const char*>(image.BitsPointer()),
                      qsizetype(image.scanWidth()) * image.Height());
}

}  // namespace imagecontroltest
