// Lines drawn each in a colour of its own: a single pen line, and the line-by-line gradients
// that boxes and bars are shaded with. Colours are 0x00BBGGRR; lines leave out their end point.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>

namespace gdi {

// A one-pixel line from (x1, y1) to (x2, y2) in that colour; the device context keeps its pen.
void colourLine(DeviceContext& dc, int x1, int y1, int x2, int y2, COLORREF colour);

// Lines `first` .. `last` of a gradient that reaches colourTo in `steps` steps from colourFrom
// (line 0). Line i has each channel from + i x step, the step (to - from) / steps kept in
// single precision as the colours have always been computed, rounded halves to even and held
// to 0 .. 255; with no steps every line is colourFrom. Along rows, line i runs along row y + i
// from column x up to column x2; otherwise down column x + i from row y up to row y2. Lines
// that cannot land on the bitmap are not drawn, so a huge count costs nothing.
void gradientLines(DeviceContext& dc, COLORREF colourFrom, COLORREF colourTo, std::int64_t steps,
                   std::int64_t first, std::int64_t last, int x, int y, int x2, int y2,
                   bool alongRows);

}  // namespace gdi
