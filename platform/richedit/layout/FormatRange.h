// Measuring and drawing a range of the document as pages: the format-range record and the
// routine that lays the range out at the rectangle's width and places its lines downward.
#pragma once

#include "platform/richedit/model/Document.h"

#include <cstdint>

class QPainter;
class QPaintDevice;

namespace richedit {

class DocumentLayout;
class FormatRangeCache;

// A rectangle with GDI rules: right and bottom are exclusive.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
};

// The device lines are measured for: the resolution of `metrics` when there is one, else
// dpiX × dpiY. Only the resolution counts, so the device may be freed after a call.
struct TargetDevice {
    int dpiX = 1440;
    int dpiY = 1440;
    const QPaintDevice* metrics = nullptr;
};

// What to measure or draw and where. Rectangles are in twips from the drawing device's
// printable origin. `rc.bottom` is written back as rc.top + the height used.
struct FormatRange {
    QPainter* painter = nullptr;           // drawing; null measures only
    const TargetDevice* target = nullptr;  // measuring; null is the screen
    Rect rc;                               // where lines go
    Rect rcPage;                           // the whole page (kept as given)
    CharRange chrg;                        // cpMax -1 = to the end
};

// Lays `range.chrg` out anew at the width rc.right - rc.left with the target's metrics,
// starting a new line at cpMin, and places lines downward from rc.top while they fit; the
// first line is always placed, whole. Draws the placed lines (a line cut by cpMax only up to
// it) when `draw` is set and a painter is given. Returns the first position not placed:
// min(cpMax, L) when everything fits, L for a cpMin at or past the end. Any negative cpMax
// means the end; an empty range places its first line and returns that line's end, so that
// every call gets on.
int32_t formatRange(const Document& document, const DocumentLayout& layout, FormatRangeCache& cache,
                    FormatRange& range, bool draw);

}  // namespace richedit
