// A bitmap object: a shared reference to 32-bit pixel storage that device contexts draw
// into, and the 24-bit device-independent row format of GetDIBits / SetDIBitsToDevice.
#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Pixels.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <memory>

namespace gdi {

// Copies of a Bitmap refer to the same pixels, like copies of a handle: drawing through a
// device context that has it selected changes what every copy sees. A default-constructed
// Bitmap is null (no handle).
//
// Sizes and coordinates are logical pixels, the units every drawing call takes. Under them
// the pixels may be finer: a bitmap made at a device pixel ratio of 2 holds 2 x 2 device
// pixels for each logical one, so that text and pictures drawn into it stay sharp on such a
// screen while every pixel rule still works on logical pixels.
class Bitmap {
public:
    Bitmap() = default;

    // A bitmap of the display's format (CreateCompatibleBitmap): width x height, black, at the
    // display's device pixel ratio. Null when either side is not above 0 or the pixels
    // cannot be allocated.
    static Bitmap create(int width, int height);
    // The same at the given device pixel ratio (1 = one device pixel per logical pixel).
    static Bitmap create(int width, int height, double devicePixelRatio);
    // A bitmap holding a copy of an image (alpha is dropped onto black) at the image's own
    // device pixel ratio; null for a null image.
    static Bitmap fromImage(const QImage& image);
    // A 32-bit device-independent section (CreateDIBSection): premultiplied BGRA, rows of
    // exactly width x 4 bytes, every byte 0. Null when either side is not above 0 or the
    // pixels cannot be allocated. See DibSection.cpp.
    static Bitmap createDIBSection(int width, int height);

    bool isNull() const { return !m_pixels; }
    int width() const { return m_pixels ? m_pixels->size.width() : 0; }
    int height() const { return m_pixels ? m_pixels->size.height() : 0; }
    QRect rect() const { return QRect(0, 0, width(), height()); }
    double devicePixelRatio() const { return m_pixels ? m_pixels->image.devicePixelRatio() : 1.0; }
    pixels::Grid grid() const { return pixels::Grid(devicePixelRatio()); }

    // The device pixels (QImage::Format_RGB32, carrying the device pixel ratio); only valid on
    // a bitmap that is not null.
    QImage& image() const { return m_pixels->image; }
    // A detached copy of the device pixels; a null image for a null bitmap.
    QImage toImage() const;
    // The colour of logical pixel (x, y), which must lie inside: its top-left device pixel.
    QRgb pixel(int x, int y) const;

    // A DIB section keeps its rows bottom-up: the image's row 0 is the picture's bottom row.
    // Device contexts draw into its rows as they lie; AlphaBlend turns them upright.
    bool isBottomUp() const { return m_pixels && m_pixels->bottomUp; }

    // Whether two handles name the same bitmap object.
    bool operator==(const Bitmap& other) const { return m_pixels == other.m_pixels; }

private:
    struct Pixels {
        QImage image;
        QSize size;
        bool bottomUp = false;
    };
    Bitmap(QImage image, QSize size);
    std::shared_ptr<Pixels> m_pixels;
};

// The device pixel ratio of the display: the finest of the screens, 1 without a display.
double displayPixelRatio();

// The header of a device-independent bitmap (the 40-byte form). Only 24 bits per pixel,
// uncompressed, are read and written: rows of blue, green, red bytes, each row padded to a
// multiple of 4 bytes; a positive height means the rows run bottom-up.
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 24;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
};

// Bytes in one row of a 24-bit DIB of that width.
int dibStride24(int width);

// GetDIBits: reads scanLines rows of the bitmap, starting at DIB row startScan (counted from
// the bottom for a bottom-up header), as 24-bit rows into bits, which is resized to hold
// them. The header gives width, height and direction and must match the bitmap's width;
// biSizeImage is filled in. Returns the number of rows copied, 0 on failure.
int getDIBits(const Bitmap& bitmap, int startScan, int scanLines, QByteArray& bits,
              BitmapInfoHeader& header);

}  // namespace gdi
