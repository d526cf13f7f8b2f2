#include "platform/host/OleColor.h"

#include <array>

namespace host {
namespace {

// Our table of system colours: the platform's standard scheme as it stands after a fresh
// installation, indexed by SysColorIndex.
constexpr std::array<COLORREF, SysColorCount> systemColors = {
    RGB(200, 200, 200),  // COLOR_SCROLLBAR
    RGB(0, 0, 0),        // COLOR_BACKGROUND
    RGB(153, 180, 209),  // COLOR_ACTIVECAPTION
    RGB(191, 205, 219),  // COLOR_INACTIVECAPTION
    RGB(240, 240, 240),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(100, 100, 100),  // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(0, 0, 0),        // COLOR_CAPTIONTEXT
    RGB(180, 180, 180),  // COLOR_ACTIVEBORDER
    RGB(244, 247, 252),  // COLOR_INACTIVEBORDER
    RGB(171, 171, 171),  // COLOR_APPWORKSPACE
    RGB(51, 153, 255),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(240, 240, 240),  // COLOR_BTNFACE
    RGB(160, 160, 160),  // COLOR_BTNSHADOW
    RGB(109, 109, 109),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(67, 78, 84),     // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(105, 105, 105),  // COLOR_3DDKSHADOW
    RGB(227, 227, 227),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(0, 0, 0),        // COLOR_ALTERNATEBTNFACE
    RGB(0, 102, 204),    // COLOR_HOTLIGHT
    RGB(185, 209, 234),  // COLOR_GRADIENTACTIVECAPTION
    RGB(215, 228, 242),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(51, 153, 255),   // COLOR_MENUHILIGHT
    RGB(240, 240, 240),  // COLOR_MENUBAR
};

}  // namespace

COLORREF GetSysColor(int index)
{
    if (index < 0 || index >= SysColorCount)
        return 0;
    return systemColors[std::size_t(index)];
}

bool OleTranslateColor(OLE_COLOR color, COLORREF& result)
{
    switch (color >> 24) {
        case 0x00:
        case 0x02:
            result = color;
            return true;
        case 0x80: {
            const OLE_COLOR index = color & 0x00FFFFFFu;
            if (index >= OLE_COLOR(SysColorCount))
                return false;
            result = GetSysColor(int(index));
            return true;
        }
        default:
            return false;
    }
}

COLORREF TranslateOleColor(OLE_COLOR color)
{
    COLORREF result = 0;
    return OleTranslateColor(color, result) ? result : CLR_INVALID;
}

QColor colorFromColorref(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF colorrefFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return RGB(rgb.red(), rgb.green(), rgb.blue());
}

QColor colorFromOleColor(OLE_COLOR color)
{
    COLORREF result = 0;
    if (!OleTranslateColor(color, result))
        return QColor();
    return colorFromColorref(result);
}

}  // namespace host
