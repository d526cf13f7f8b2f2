// A region: a set of device pixels made from rectangles, rounded rectangles and polygons,
// combined and moved, and selected into a device context to clip its drawing.
#pragma once

#include "platform/gdi/GdiTypes.h"

#include <QPolygon>
#include <QRegion>

namespace gdi {

class Region {
public:
    // An empty region.
    Region() = default;
    explicit Region(const QRegion& pixels) : m_pixels(pixels) {}

    // CreateRectRgn: left..right-1 x top..bottom-1.
    static Region rect(int left, int top, int right, int bottom);
    static Region rect(const Rect& rect)
    {
        return Region::rect(rect.left, rect.top, rect.right, rect.bottom);
    }
    // CreateRoundRectRgn: the same pixels that RoundRect covers with those corner diameters.
    static Region roundRect(int left, int top, int right, int bottom, int cornerWidth,
                            int cornerHeight);
    // CreatePolygonRgn: the pixels whose centres lie inside the polygon (ALTERNATE or WINDING).
    static Region polygon(const QPolygon& points, int fillMode = ALTERNATE);

    // CombineRgn: a with b (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF; RGN_COPY takes a). Returns
    // the kind of the result, or RGN_ERROR (and an empty region) for an unknown mode.
    static int combine(Region& result, const Region& a, const Region& b, int mode);

    // OffsetRgn; returns the kind of the region, or RGN_ERROR (region unchanged) when the
    // move would leave the coordinate space.
    int offset(int dx, int dy);

    // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
    int kind() const;
    bool contains(int x, int y) const { return m_pixels.contains(QPoint(x, y)); }
    // GetRgnBox: the smallest rectangle holding the region.
    Rect box() const { return Rect::fromQRect(m_pixels.boundingRect()); }
    const QRegion& pixels() const { return m_pixels; }

    bool operator==(const Region& other) const { return m_pixels == other.m_pixels; }

private:
    QRegion m_pixels;
};

}  // namespace gdi
