// A device context: the drawing state (selected bitmap, pen, brush, font, colours,
// background mode, current position, clip region) and the drawing calls over a 32-bit
// bitmap, with the platform's pixel rules: lines leave out their end point, rectangles
// their right column and bottom row. Coordinates are the bitmap's logical pixels; on a
// bitmap finer than that (Bitmap) a pixel rule paints all device pixels of a logical pixel,
// while text, pictures and wide pens are drawn at the device resolution.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Region.h"

#include <QPoint>
#include <QPolygon>
#include <QRgb>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

class QPainter;

namespace gdi {

// Every drawing call clips to the selected bitmap and to the clip region when one is
// selected; calls that return bool report false only for arguments they cannot take (an
// unsupported raster operation, a null source), never for drawing that falls outside.
class DeviceContext {
public:
    // A memory device context (CreateCompatibleDC): it draws into the bitmap selected into
    // it and starts with a 1 x 1 black stock bitmap.
    DeviceContext();
    // A device context whose drawing goes into the given bitmap (a window's backing bitmap);
    // a null bitmap is replaced by the 1 x 1 stock bitmap.
    explicit DeviceContext(const Bitmap& target);
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // --- objects: selecting one returns the one it replaces -----------------------------
    // A null bitmap is refused: nothing changes and a null bitmap is returned.
    Bitmap selectBitmap(const Bitmap& bitmap);
    const Bitmap& bitmap() const { return m_bitmap; }
    Pen selectPen(const Pen& pen);
    Brush selectBrush(const Brush& brush);
    Font selectFont(const Font& font);
    const Pen& pen() const { return m_pen; }
    const Brush& brush() const { return m_brush; }
    const Font& font() const { return m_font; }

    // --- attributes: setters return the previous value ----------------------------------
    COLORREF setTextColor(COLORREF color);
    COLORREF textColor() const { return m_textColor; }
    COLORREF setBkColor(COLORREF color);
    COLORREF bkColor() const { return m_bkColor; }
    // TRANSPARENT or OPAQUE; any other value is refused and 0 returned.
    int setBkMode(int mode);
    int bkMode() const { return m_bkMode; }
    // GetNearestColor: every colour is exact on a 32-bit surface.
    COLORREF nearestColor(COLORREF color) const { return color & 0xFFFFFFu; }

    // --- clipping ------------------------------------------------------------------------
    // SelectClipRgn with a region (a copy is kept, in device coordinates); returns its kind.
    int selectClipRgn(const Region& region);
    // SelectClipRgn with no region: drawing is clipped to the bitmap alone.
    int removeClipRgn();
    std::optional<Region> clipRgn() const;

    // --- lines with the selected pen -----------------------------------------------------
    // MoveToEx: returns the previous current position.
    QPoint moveTo(int x, int y);
    // LineTo: from the current position to (x, y), which is left out and becomes the current
    // position.
    bool lineTo(int x, int y);
    QPoint currentPosition() const { return m_position; }

    // --- pixels --------------------------------------------------------------------------
    // SetPixel: returns the colour set, CLR_INVALID outside the bitmap or the clip region.
    COLORREF setPixel(int x, int y, COLORREF color);
    // GetPixel: CLR_INVALID outside the bitmap or the clip region.
    COLORREF getPixel(int x, int y) const;

    // --- rectangles ----------------------------------------------------------------------
    // FillRect / FrameRect (a one-pixel border) with a brush; an empty rectangle draws nothing.
    bool fillRect(const Rect& rect, const Brush& brush);
    bool frameRect(const Rect& rect, const Brush& brush);
    // DrawEdge: the outer and inner border of `edge` (BDR_* / EDGE_*) on the sides of `flags`
    // (BF_LEFT, BF_TOP, BF_RIGHT, BF_BOTTOM, BF_RECT), in the system colours.
    bool drawEdge(const Rect& rect, unsigned edge, unsigned flags);
    // PatBlt with PATCOPY: the rectangle at (x, y) of that size (negative sizes extend left
    // or up) painted with the selected brush.
    bool patBlt(int x, int y, int width, int height, std::uint32_t rop);

    // --- shapes: outline in the selected pen, inside in the selected brush ---------------
    bool rectangle(int left, int top, int right, int bottom);
    // RoundRect: corners are quarter ellipses of cornerWidth x cornerHeight (the ellipse's
    // size, i.e. the corner diameter).
    bool roundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    // Polygon: the inside filled, then every edge (the closing edge included) drawn as a line.
    bool polygon(const QPolygon& points, int fillMode = ALTERNATE);
    // FillRgn: the region (device coordinates) painted with the brush.
    bool fillRgn(const Region& region, const Brush& brush);

    // --- block transfers -----------------------------------------------------------------
    // BitBlt with SRCCOPY from another device context's (or this one's) bitmap.
    bool bitBlt(int x, int y, int width, int height, const DeviceContext& source, int xSource,
                int ySource, std::uint32_t rop = SRCCOPY);
    // StretchBlt with SRCCOPY, nearest pixel; a negative width or height on one side only
    // mirrors the picture, the run then going from its start pixel towards lower coordinates
    // (StretchBlt(x + w - 1, y, -w, h, ...) mirrors into x .. x + w - 1).
    bool stretchBlt(int x, int y, int width, int height, const DeviceContext& source, int xSource,
                    int ySource, int sourceWidth, int sourceHeight, std::uint32_t rop = SRCCOPY);
    // SetDIBitsToDevice with a 24-bit DIB: the source rectangle's (xSource, ySource) is its
    // lower-left corner for a bottom-up DIB; bits hold rows startScan .. startScan +
    // scanLines - 1. Returns the number of rows set, 0 when the DIB is not 24-bit or bits
    // is shorter than scanLines rows.
    int setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSource, int ySource,
                          int startScan, int scanLines, const QByteArray& bits,
                          const BitmapInfoHeader& header);
    // Paints a picture or icon scaled to width x height at (x, y), blended by its alpha
    // (the hosting layer's picture painting and DrawIconEx). Scaling is smooth, or with
    // `smooth` false by nearest pixel, so that no colour arises that the picture lacks.
    bool drawImage(int x, int y, int width, int height, const QImage& image, bool smooth = true);

    // --- text with the selected font -----------------------------------------------------
    // DrawText: DT_SINGLELINE (line breaks ignored; DT_VCENTER, DT_BOTTOM apply),
    // DT_WORDBREAK (wraps at blanks to the rectangle's width), DT_CENTER, DT_RIGHT,
    // DT_END_ELLIPSIS ("..." when a line is too wide), DT_NOCLIP, DT_NOPREFIX ("&x"
    // underlines x and "&&" shows "&" unless given). With DT_CALCRECT nothing is drawn and
    // the rectangle's right and bottom are set to fit the text. Text uses the text colour;
    // with OPAQUE the text's line boxes are first filled with the background colour.
    // Returns the height of the text.
    int drawText(const QString& text, Rect& rect, unsigned format);
    // GetTextExtentPoint32: width of the text and the font's height (ascent + descent).
    QSize textExtent(const QString& text) const;

private:
    QRegion drawableArea(const QRect& area) const;
    bool visible(int x, int y) const;
    // Whether the clip region lets drawing reach that device pixel.
    bool visibleDevice(int column, int row) const;
    void putPixel(int x, int y, COLORREF color);
    void fillDevice(const QRect& area, QRgb pixel);
    void paintArea(const QRegion& area, const Brush& brush);
    void drawLine(int x0, int y0, int x1, int y1);
    void fillSpan(int y, int x0, int x1, COLORREF color);
    void beginPainter(QPainter& painter, const std::optional<QRect>& clip) const;
    void copyDevicePixels(const QRegion& area, const Bitmap& source, const QRect& read,
                          const QPoint& at);

    Bitmap m_bitmap;
    Pen m_pen;
    Brush m_brush;
    Font m_font;
    COLORREF m_textColor = 0;
    COLORREF m_bkColor = 0xFFFFFF;
    int m_bkMode = OPAQUE;
    QPoint m_position;
    std::optional<QRegion> m_clip;
};

}  // namespace gdi
