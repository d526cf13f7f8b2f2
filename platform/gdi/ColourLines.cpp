#include "platform/gdi/ColourLines.h"

#include "platform/runtime/VbNumbers.h"

#include <algorithm>

namespace gdi {
namespace {

// Channel k (0 red, 1 green, 2 blue) of a colour.
double channel(COLORREF colour, int k)
{
    return double((colour >> (8 * k)) & 0xFFu);
}

int channelValue(double value)
{
    return int(std::clamp(vb::roundHalfEven(value), 0.0, 255.0));
}

}  // namespace

void colourLine(DeviceContext& dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    const Pen previous = dc.selectPen(Pen::solid(colour));
    dc.moveTo(x1, y1);
    dc.lineTo(x2, y2);
    dc.selectPen(previous);
}

void gradientLines(DeviceContext& dc, COLORREF colourFrom, COLORREF colourTo, std::int64_t steps,
                   std::int64_t first, std::int64_t last, int x, int y, int x2, int y2,
                   bool alongRows)
{
    float step[3] = {0.0f, 0.0f, 0.0f};
    if (steps != 0) {
        for (int k = 0; k < 3; ++k)
            step[k] = float((channel(colourTo, k) - channel(colourFrom, k)) / double(steps));
    }
    const std::int64_t start = alongRows ? y : x;
    const std::int64_t limit = alongRows ? dc.bitmap().height() : dc.bitmap().width();
    first = std::max(first, -start);
    last = std::min(last, limit - 1 - start);
    for (std::int64_t i = first; i <= last; ++i) {
        int value[3];
        for (int k = 0; k < 3; ++k)
            value[k] = channelValue(channel(colourFrom, k) + double(step[k]) * double(i));
        const COLORREF colour = RGB(value[0], value[1], value[2]);
        const int at = int(start + i);
        if (alongRows)
            colourLine(dc, x, at, x2, at, colour);
        else
            colourLine(dc, at, y, at, y2, colour);
    }
}

}  // namespace gdi
