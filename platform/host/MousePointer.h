// The pointer shapes a control's MousePointer property chooses by number, and the cursor each
// stands for.
#pragma once

#include <QCursor>
#include <QImage>

namespace host {

enum MousePointerConstants : int {
    vbDefault = 0,
    vbArrow = 1,
    vbCrosshair = 2,
    vbIbeam = 3,
    vbIconPointer = 4,
    vbSizePointer = 5,
    vbSizeNESW = 6,
    vbSizeNS = 7,
    vbSizeNWSE = 8,
    vbSizeWE = 9,
    vbUpArrow = 10,
    vbHourglass = 11,
    vbNoDrop = 12,
    vbArrowHourglass = 13,
    vbArrowQuestion = 14,
    vbSizeAll = 15,
    vbCustom = 99,
};

// Whether the number is one of the shapes above.
bool isMousePointer(int pointer);

// The cursor of a pointer number: `standard` (the control's own cursor) for vbDefault and for
// unknown numbers, the icon for vbCustom (its centre is the hot spot; without an icon the
// standard cursor).
QCursor cursorForMousePointer(int pointer, const QImage& icon, const QCursor& standard);

}  // namespace host
