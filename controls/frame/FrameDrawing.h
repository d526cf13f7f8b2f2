// The drawing procedures the frame's painters share: pen lines, box outlines, line-by-line
// gradients and cylinder gradients, colour halving, caption shortening and the grey icon of a
// disabled frame. Colours are 0x00BBGGRR; lines leave out their end point.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiTypes.h"

#include <QImage>
#include <QString>

namespace XrFrame {

using gdi::COLORREF;

// The nearest whole number, halves to the even neighbour.
int roundEven(double value);

// Per channel round((a + b) / 2).
COLORREF BlendHalf(COLORREF colourA, COLORREF colourB);

// A one-pixel line from (x1, y1) to (x2, y2) in that colour, the end point left out; the
// device context keeps its own pen.
void DrawLineColor(gdi::DeviceContext& dc, int x1, int y1, int x2, int y2, COLORREF colour);

// The closed outline of columns x .. x + w and rows y .. y + h (both ends included).
void DrawBoxOutline(gdi::DeviceContext& dc, int x, int y, int w, int h, COLORREF colour);

// Lines 1 .. n - 1 of a gradient from colourA (line 0) to colourB (line n); the two end lines
// are not drawn. Vertical: n = h, line i runs along row y + i from column x up to column w
// (an end column). Otherwise: n = w, line i runs down column x + i from row y up to row h (an
// end row). The step per line is kept in single precision, as the colours have always been
// computed.
void GradientLines(gdi::DeviceContext& dc, COLORREF colourA, COLORREF colourB, int x, int y, int w,
                   int h, bool bVertical);

// Gradient styles of a header (jcGradConst).
enum GradientStyle : int {
    GradientVertical = 0,
    GradientHorizontal = 1,
    GradientVCylinder = 2,
    GradientHCylinder = 3,
};

// A header gradient over the box at (x, y) of w x h: vertical and horizontal styles run from
// colour2 to colour1, the cylinder styles from colour1 to colour2 and back; any other style
// draws no gradient. With bBorder the box outline follows in borderColour.
void HeaderGradient(gdi::DeviceContext& dc, COLORREF colour1, COLORREF colour2, int x, int y, int w,
                    int h, int style, bool bBorder, COLORREF borderColour, double factor);

// Two gradients: colour1 to colour2 over the first 1 / factor of the box, then back. A factor
// of 1 or less means 1.01.
void CylinderGradient(gdi::DeviceContext& dc, COLORREF colour1, COLORREF colour2, int x, int y,
                      int w, int h, bool bVertical, double factor);

// The text itself when it is at most maxWidth wide in the device context's font; else its
// longest start that fits with "..." after it, or "" when not even one character does.
QString ShortenCaption(const gdi::DeviceContext& dc, const QString& text, int maxWidth);

// Paints the picture scaled to cx x cy at (x, y) in grey (0.3 red, 0.59 green, 0.11 blue);
// where the picture, drawn over keyColour, shows keyColour, the surface stays as it was. A
// size below 0 means the picture's own size; a size of 0 draws nothing.
void DrawGreyIcon(gdi::DeviceContext& dc, int x, int y, int cx, int cy, const QImage& picture,
                  COLORREF keyColour);

}  // namespace XrFrame
