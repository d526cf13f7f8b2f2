// Basic types and numeric constants of the device-context layer: colours, rectangles with
// the right and bottom edges excluded, and the flag values the drawing calls take.
#pragma once

#include "platform/host/OleColor.h"

#include <QRect>
#include <cstdint>

namespace gdi {

using host::CLR_INVALID;
using host::COLORREF;
using host::GetBValue;
using host::GetGValue;
using host::GetRValue;
using host::RGB;

// The system colour table of the hosting layer (host::COLOR_BTNFACE, ...).
using host::GetSysColor;

// A rectangle as left, top, right, bottom; right and bottom lie outside it.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Differences are taken in 64 bits and limited to the int range.
    constexpr int width() const { return narrow(std::int64_t(right) - left); }
    constexpr int height() const { return narrow(std::int64_t(bottom) - top); }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool operator==(const Rect&) const = default;

    QRect toQRect() const { return QRect(left, top, width(), height()); }

private:
    static constexpr int narrow(std::int64_t value)
    {
        return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : int(value);
    }

public:
    static Rect fromQRect(const QRect& rect)
    {
        return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
    }
};

// Background modes (SetBkMode).
enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };

// Pen styles (only solid and null pens are made).
enum PenStyle : int { PS_SOLID = 0, PS_NULL = 5 };

// Hatch styles (CreateHatchBrush); HS_SOLID and any other value give a solid brush.
enum HatchStyle : int {
    HS_HORIZONTAL = 0,
    HS_VERTICAL = 1,
    HS_FDIAGONAL = 2,
    HS_BDIAGONAL = 3,
    HS_CROSS = 4,
    HS_DIAGCROSS = 5,
    HS_SOLID = 6,
};

// Raster operations of the block transfers.
enum RasterOp : std::uint32_t {
    SRCCOPY = 0x00CC0020u,
    PATCOPY = 0x00F00021u,
};

// DrawEdge: border kinds and sides.
enum EdgeFlags : unsigned {
    BDR_RAISEDOUTER = 0x0001,
    BDR_SUNKENOUTER = 0x0002,
    BDR_RAISEDINNER = 0x0004,
    BDR_SUNKENINNER = 0x0008,
    BDR_OUTER = BDR_RAISEDOUTER | BDR_SUNKENOUTER,
    BDR_INNER = BDR_RAISEDINNER | BDR_SUNKENINNER,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};
enum BorderFlags : unsigned {
    BF_LEFT = 0x0001,
    BF_TOP = 0x0002,
    BF_RIGHT = 0x0004,
    BF_BOTTOM = 0x0008,
    BF_TOPLEFT = BF_TOP | BF_LEFT,
    BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
};

// DrawText formats.
enum DrawTextFormat : unsigned {
    DT_TOP = 0x0000,
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_NOCLIP = 0x0100,
    DT_CALCRECT = 0x0400,
    DT_NOPREFIX = 0x0800,
    DT_END_ELLIPSIS = 0x8000,
};

// Region combination modes (CombineRgn) and polygon fill modes.
enum CombineMode : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum PolyFillMode : int { ALTERNATE = 1, WINDING = 2 };

// What region calls report: the kind of the resulting region, or ERROR.
enum RegionKind : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };

// Font weights.
enum FontWeight : int { FW_DONTCARE = 0, FW_NORMAL = 400, FW_BOLD = 700 };

}  // namespace gdi
