// Scan conversion shared by regions and drawing: the pixel rows covered by a rounded
// rectangle or a polygon. A pixel belongs to a shape when its centre lies inside it.
#pragma once

#include <QPolygon>
#include <QRegion>
#include <vector>

namespace gdi::raster {

// Pixels x0 .. x1 - 1 of rows y .. y + rows - 1.
struct Span {
    int y;
    int x0;
    int x1;
    int rows = 1;
};

// Rows and columns outside this range are never produced (the coordinate space of regions).
constexpr int MinCoordinate = -32768;
constexpr int MaxCoordinate = 32767;

// The rectangle left..right-1 x top..bottom-1 with quarter-ellipse corners of the given
// diameters (clamped to the rectangle), limited to rows firstRow..lastRow; the straight part
// between the corners comes as one span of many rows.
std::vector<Span> roundRectSpans(int left, int top, int right, int bottom, int cornerWidth,
                                 int cornerHeight, int firstRow = MinCoordinate,
                                 int lastRow = MaxCoordinate);

// The interior of a polygon under ALTERNATE (odd-even) or WINDING fill, limited the same way.
std::vector<Span> polygonSpans(const QPolygon& points, int fillMode, int firstRow = MinCoordinate,
                               int lastRow = MaxCoordinate);

QRegion regionFromSpans(const std::vector<Span>& spans);

}  // namespace gdi::raster
