// GDI+ images: bitmaps laid over someone else's pixel memory, and images decoded from files or
// bytes. An image carries its orientation as a rotate-flip state, applied when it is drawn or
// encoded, never by moving its pixels.
#pragma once

#include "platform/gdiplus/GdiplusTypes.h"

#include <QByteArray>
#include <QImage>
#include <memory>

namespace gdi {
class Bitmap;
}

namespace gdiplus {

class GpImage {
public:
    // The pixels as they lie (premultiplied ARGB32), before the orientation.
    const QImage& stored() const { return m_stored; }
    int orientation() const { return m_orientation; }
    // The picture's size as it is shown.
    int width() const { return m_stored.width(); }
    int height() const { return m_stored.height(); }
    // The picture upright as shown: a copy with the orientation applied.
    QImage oriented() const;

    static std::unique_ptr<GpImage> fromStored(QImage stored);

private:
    friend Status GdipImageRotateFlip(GpImage& image, int type);
    friend Status GdipCreateBitmapFromHBITMAP(const gdi::Bitmap& bitmap,
                                              std::unique_ptr<GpImage>& image);
    explicit GpImage(QImage stored) : m_stored(std::move(stored)) {}
    QImage m_stored;
    int m_orientation = RotateNoneFlipNone;
};

// A 32-bit premultiplied bitmap over scan0 (rows of stride bytes, the first row read as the
// top row): no copy, the memory must outlive the image. Only PixelFormat32bppPARGB.
Status GdipCreateBitmapFromScan0(int width, int height, int stride, int format, std::uint8_t* scan0,
                                 std::unique_ptr<GpImage>& image);
// A copy of a device bitmap's pixels, opaque (no palette is used). A bottom-up DIB section
// comes out upright.
Status GdipCreateBitmapFromHBITMAP(const gdi::Bitmap& bitmap, std::unique_ptr<GpImage>& image);
// Decodes a file or bytes with the installed image readers.
Status GdipLoadImageFromFile(const QString& fileName, std::unique_ptr<GpImage>& image);
Status GdipLoadImageFromStream(const QByteArray& stream, std::unique_ptr<GpImage>& image);
// Turns the image further by one of the four orientations (they compose as flips).
Status GdipImageRotateFlip(GpImage& image, int type);
// The image's rectangle in pixels.
Status GdipGetImageBounds(const GpImage& image, RectF& bounds);

}  // namespace gdiplus
