// Geometry of the ruler strip above the editing window, in twips: ruler position p is drawn at
// surface x = 75 + p, the centre of an indent handle whose left edge is at p.
#pragma once

#include <QString>
#include <cstdint>

namespace ruler {

constexpr int32_t TwipsPerInch = 1440;
constexpr int32_t PageWidth = 12240;  // US letter
constexpr int32_t StripHeight = 285;
constexpr int32_t Zero = 75;  // surface x of ruler position 0
constexpr int32_t TickStep = TwipsPerInch / 8;
constexpr int32_t Grid = 90;           // 1/16 inch
constexpr int32_t RightLimit = 12390;  // page width + handle width
constexpr int32_t HandleSize = 150;
constexpr int32_t HandleGap = 1170;  // kept between the left handles and the right handle
constexpr int32_t RightHandleOffset = 180;
constexpr int32_t HangingHandleOffset = 30;
constexpr int32_t HangingHandleTop = 120;

constexpr int TabMarkerCount = 136;
constexpr int MaxTabMarkersSet = 32;
constexpr int32_t MarkerWidth = 120;
constexpr int32_t MarkerHeight = 240;

// The shaded copy of the ruler covers this much of the surface.
constexpr int32_t ShadeWidth = 37170;

// Rounds to the 1/16-inch grid: halves go up for non-negative values, negative values are
// truncated toward zero, so -134 .. 44 all give 0.
int32_t snapToGrid(int32_t value);

// Left edge of tab-stop marker `index`.
constexpr int32_t markerLeft(int index)
{
    return 120 + Grid * index;
}

// A tab-stop marker: set while its Tag is "1"; a set marker shows the marker picture and its
// tool tip.
struct TabMarker {
    QString Tag;
    bool showsPicture = false;
    QString ToolTipText;
};

// "1/16 inch" .. "8 1/2 inch" for markers 0 .. 135; empty outside.
QString tabStopLabel(int index);

}  // namespace ruler
