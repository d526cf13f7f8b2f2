// The platform picture loader and its picture objects (what OleLoadPicture,
// OleCreatePictureIndirect and IPicture give the image library). A picture is a bitmap or an
// icon held as upright pixels; its size is reported in HIMETRIC (0.01 mm) at the screen's
// logical dots per inch, as the image library converts it back, and it renders itself into a
// device context.
//
// The loader reads BMP with our own DIB decoder, GIF with giflib, JPEG and ICO/CUR with Qt's
// readers restricted to those formats, and metafiles (WMF with the placeable header, EMF) with
// our own player: a metafile picture keeps its records and draws them at the size it is
// rendered, never as a raster.
#pragma once

#include "platform/picture/Metafile.h"

#include <QImage>
#include <QList>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gdi {
class Bitmap;
class DeviceContext;
}  // namespace gdi

namespace picture {

enum PictureType : int {
    PICTYPE_NONE = 0,
    PICTYPE_BITMAP = 1,
    PICTYPE_METAFILE = 2,
    PICTYPE_ICON = 3,
    PICTYPE_ENHMETAFILE = 4,
};

// HIMETRIC units: 2540 to the inch, the screen's logical dots per inch across (horizontal) or
// down; both round to the nearest, so a size survives the way there and back at any density.
std::int32_t pixelsToHimetric(std::int32_t pixels, bool horizontal = true);
std::int32_t himetricToPixels(std::int32_t himetric, bool horizontal = true);

// A palette picture's pixels as a device-independent section holds them: one index per
// pixel at bitCount bits, rows padded to 4 bytes and stored bottom-up.
struct IndexedBits {
    int bitCount = 8;
    int stride = 0;
    std::vector<std::uint8_t> bits;
    QList<QRgb> colours;
};

// What an icon picture's handle would tell of the entry it was made from: cursor or icon, and
// the entry's bits per pixel (only a 32-bit entry's colour bitmap carries alpha; below that
// the picture's transparency is the entry's mask).
struct IconTraits {
    bool cursor = false;
    int bitCount = 32;
};

class Picture {
public:
    // image is converted to premultiplied ARGB32.
    Picture(PictureType type, const QImage& image, std::optional<IndexedBits> indexed = {},
            IconTraits icon = {});
    // A metafile picture: PICTYPE_METAFILE for a WMF, PICTYPE_ENHMETAFILE for an EMF.
    explicit Picture(Metafile metafile);

    PictureType Type() const { return m_type; }
    // The size in HIMETRIC.
    std::int32_t Width() const;
    std::int32_t Height() const;
    // The pixels, upright, premultiplied ARGB32; null for a metafile.
    const QImage& image() const { return m_image; }
    // The records of a metafile picture; null for the others.
    const Metafile* metafile() const { return m_metafile ? &*m_metafile : nullptr; }
    // The palette indexes of a GIF picture; null for other pictures.
    const IndexedBits* indexedBits() const { return m_indexed ? &*m_indexed : nullptr; }
    // Meaningful for PICTYPE_ICON only.
    const IconTraits& iconTraits() const { return m_icon; }

    // Draws the source rectangle into the destination rectangle (device-context pixels from
    // x to x + cx and y to y + cy; a negative width or height mirrors), blended by the picture's
    // alpha, nearest pixel. The source is in HIMETRIC measured up from the picture's bottom edge,
    // so the whole picture upright is (0, Height(), Width(), -Height()). False for an empty source
    // or destination.
    bool Render(gdi::DeviceContext& dc, int x, int y, int cx, int cy, std::int32_t xSrc,
                std::int32_t ySrc, std::int32_t cxSrc, std::int32_t cySrc) const;

private:
    PictureType m_type;
    QImage m_image;
    std::optional<Metafile> m_metafile;
    std::optional<IndexedBits> m_indexed;
    IconTraits m_icon;
};

// OleLoadPicture over bytes: a BMP file, a GIF, a JPEG, an icon, a cursor, a placeable WMF or an
// EMF; nothing for damaged data the readers refuse, and anything else.
std::optional<Picture> loadPicture(std::span<const std::uint8_t> data);

// OleCreatePictureIndirect: a picture of a bitmap (PICTYPE_BITMAP) or of an icon's pixels
// (PICTYPE_ICON), shown as the bitmap shows them; nothing for a null bitmap or a metafile.
std::optional<Picture> pictureFromBitmap(const gdi::Bitmap& bitmap, PictureType type);

// OleCreatePictureIndirect over a metafile handle: the picture type must match the handle's
// kind (PICTYPE_METAFILE for a WMF, PICTYPE_ENHMETAFILE for an EMF).
std::optional<Picture> pictureFromMetafile(const Metafile& metafile, PictureType type);

}  // namespace picture
