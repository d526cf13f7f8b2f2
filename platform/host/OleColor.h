// OLE colours and the system colour table: translation of 0x00BBGGRR colours and
// 0x80000000 | index system colours to plain RGB, and conversion to and from QColor.
#pragma once

#include <QColor>
#include <cstdint>

namespace host {

// A colour as the hosting layer passes it: 0x00BBGGRR (red in the low byte), or a system
// colour 0x80000000 | index.
using OLE_COLOR = std::uint32_t;
// A plain colour 0x00BBGGRR.
using COLORREF = std::uint32_t;

// What a failed translation gives (-1 as a Long).
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
constexpr OLE_COLOR SystemColorFlag = 0x80000000u;

// Indexes of the system colour table.
enum SysColorIndex : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_ALTERNATEBTNFACE = 25,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
    SysColorCount = 31,
    // Other names of the same entries.
    COLOR_DESKTOP = COLOR_BACKGROUND,
    COLOR_3DFACE = COLOR_BTNFACE,
    COLOR_3DSHADOW = COLOR_BTNSHADOW,
    COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
    COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT,
};

constexpr COLORREF RGB(int red, int green, int blue)
{
    return COLORREF(red & 0xFF) | (COLORREF(green & 0xFF) << 8) | (COLORREF(blue & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF color)
{
    return int(color & 0xFF);
}
constexpr int GetGValue(COLORREF color)
{
    return int((color >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF color)
{
    return int((color >> 16) & 0xFF);
}

// The colour of a system colour index; 0 (black) for an index outside the table.
COLORREF GetSysColor(int index);

// OleTranslateColor without a palette: 0x00BBGGRR and 0x02BBGGRR stay as they are, a system
// colour 0x80000000 | index with an index inside the table becomes that entry; everything
// else (palette indexes 0x01xxxxxx, unknown system indexes, other high bytes) fails.
bool OleTranslateColor(OLE_COLOR color, COLORREF& result);

// The same as a value: the translated colour, or CLR_INVALID when the translation fails.
COLORREF TranslateOleColor(OLE_COLOR color);

// 0x00BBGGRR (the high byte is ignored) <-> an opaque QColor.
QColor colorFromColorref(COLORREF color);
COLORREF colorrefFromColor(const QColor& color);

// An OLE colour as a QColor after translation; an invalid QColor when it fails.
QColor colorFromOleColor(OLE_COLOR color);

}  // namespace host
