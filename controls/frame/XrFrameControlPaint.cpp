// The frame's paint routine: the surface cleared, the caption measured, the working colours
// chosen, the style painted, then the caption and the icon.
#include "controls/frame/FrameDrawing.h"
#include "controls/frame/XrFrameControl.h"

#include <algorithm>

using namespace XrFrame;

namespace {

constexpr host::OLE_COLOR grayText = 0x80000011u;
// Header heights beyond this cannot show anything more and would only strain the arithmetic.
constexpr std::int32_t headerHeightLimit = 1 << 20;

}  // namespace

void XrFrameControl::Paint()
{
    m_surface.resizeToWidget();
    m_lHeaderTop = 3;
    m_iIconGap = 15;
    m_iTextGap = 6;
    ResetWindowRegion();
    m_surface.clear();
    m_surface.dc().selectFont(gdi::Font::fromQFont(*m_Font));
    measureCaption();
    useWorkingColours();
    CaptionPlace place = paintStyle();
    makeIconRoom(place);
    drawCaption(place.rect);
    drawIcon(place.iconLeft.value_or(0), place.iconTop);
    m_surface.invalidate();
}

// The frame keeps a rectangular window: the rounded corners are drawn, not cut out.
void XrFrameControl::ResetWindowRegion()
{
    if (!mask().isEmpty())
        clearMask();
    m_surfaceFillSolid = true;
}

void XrFrameControl::measureCaption()
{
    if (m_Caption.isEmpty()) {
        m_lHalfCaption = 0;
        return;
    }
    const QSize extent = m_surface.dc().textExtent(m_Caption);
    m_lCaptionWidth = extent.width();
    m_lCaptionHeight = extent.height();
    m_lHalfCaption = roundEven(m_lCaptionHeight / 2.0);
}

void XrFrameControl::useWorkingColours()
{
    if (m_Enabled) {
        m_clrFrame = m_FrameColor;
        m_clrTextBox = m_TextBoxColor;
        m_clrFill = m_FillColor;
        m_clrGradLight = m_clrThemeLight;
        m_clrGradDark = m_clrThemeDark;
        m_clrTheme = m_ThemeColor == Custom ? m_clrFrame : m_clrThemeText;
        return;
    }
    m_clrFrame = m_clrDisFrame;
    m_clrTextBox = m_clrDisTextBox;
    m_clrFill = m_clrDisFill;
    m_clrGradLight = m_clrDisGradLight;
    m_clrGradDark = m_clrDisGradDark;
    m_clrTheme = m_clrDisTheme;
}

XrFrameControl::CaptionPlace XrFrameControl::paintStyle()
{
    switch (m_Style) {
        case XPDefault:
            return paintXPDefault();
        case jcGradient:
            return paintGradient();
        case TextBox:
            return paintTextBox();
        case Windows:
            return paintWindows();
        case Messenger:
            return paintMessenger();
        case InnerWedge:
            return paintInnerWedge();
        case OuterWedge:
            return paintOuterWedge();
        case Header:
            return paintHeader();
        case Panel:
            return paintPanel();
        default:
            return {};
    }
}

// The plain box and the wedge tabs have no place for an icon.
bool XrFrameControl::drawsIcon() const
{
    return !m_Picture.isNull() && m_Style != XPDefault && m_Style != InnerWedge &&
           m_Style != OuterWedge;
}

// Room for the icon beside the caption: on the left or the right, and on both sides of a
// centred caption so that it stays centred.
void XrFrameControl::makeIconRoom(CaptionPlace& place) const
{
    if (!drawsIcon() || place.iconLeft)
        return;
    const int room = m_iTextGap + m_IconSize;
    const bool centred = m_Alignment == vbCenter;
    const int inset = m_Style == TextBox ? 2 * m_iTextGap + m_iIconGap : m_iTextGap;
    if (m_IconAlignment == vbLeftAligment) {
        place.rect.left += room;
        if (centred)
            place.rect.right -= room;
        place.iconLeft = inset;
    } else if (m_IconAlignment == vbRightAligment) {
        place.rect.right -= room;
        if (centred)
            place.rect.left += room;
        place.iconLeft = paintWidth() - inset - m_IconSize;
    }
}

// The Panel style centres the whole caption, wrapped to its rectangle, and draws it in the
// lines it was measured in (its alignment then only places the shorter lines); the others
// shorten it to fit with "...".
void XrFrameControl::drawCaption(const gdi::Rect& rect)
{
    if (m_Caption.isEmpty())
        return;
    gdi::DeviceContext& dc = m_surface.dc();
    dc.setTextColor(m_Enabled ? m_TextColor : host::TranslateOleColor(grayText));
    dc.setBkMode(gdi::TRANSPARENT);
    const auto flags = unsigned(m_lTextFlags);
    if (m_Style == Panel) {
        gdi::Rect measured = rect;
        dc.drawText(m_Caption, measured, gdi::DT_CALCRECT | gdi::DT_WORDBREAK);
        const int dx = (rect.right - measured.right) / 2;
        const int dy = (rect.bottom - measured.bottom) / 2;
        gdi::Rect placed{measured.left + dx, measured.top + dy, measured.right + dx,
                         measured.bottom + dy};
        const unsigned wrapped =
            (flags & ~unsigned(gdi::DT_SINGLELINE | gdi::DT_VCENTER)) | gdi::DT_WORDBREAK;
        dc.drawText(m_Caption, placed, wrapped);
        return;
    }
    gdi::Rect box = rect;
    dc.drawText(ShortenCaption(dc, m_Caption, rect.width()), box, flags);
}

// The icon in colour, or in grey with its black pixels left out while the frame is disabled.
void XrFrameControl::drawIcon(int left, int top)
{
    if (!drawsIcon())
        return;
    if (m_Style == jcGradient)
        top = std::max(top, m_lHeaderTop + 2);
    else if (m_Style == Messenger)
        top = std::max(top, 2 * m_lHeaderTop + 2);
    else if (top < 0)
        top = roundEven(m_iTextGap / 2.0);
    gdi::DeviceContext& dc = m_surface.dc();
    if (m_Enabled)
        dc.drawImage(left, top, m_IconSize, m_IconSize, m_Picture);
    else
        DrawGreyIcon(dc, left, top, m_IconSize, m_IconSize, m_Picture, 0);
}

// A rectangle, rounded or square, in the surface's fill and line colours, which it leaves set.
void XrFrameControl::DrawRoundBox(bool bRounded, int radius, gdi::COLORREF fillColour,
                                  gdi::COLORREF lineColour, const gdi::Rect& rect,
                                  bool bOutlineOnly)
{
    m_surfaceFillColor = fillColour;
    m_surfaceForeColor = lineColour;
    m_surfaceFillSolid = !bOutlineOnly;
    gdi::DeviceContext& dc = m_surface.dc();
    dc.selectPen(gdi::Pen::solid(lineColour));
    dc.selectBrush(bOutlineOnly ? gdi::Brush::hollow() : gdi::Brush::solid(fillColour));
    const int corner = bRounded ? radius : 0;
    dc.roundRect(rect.left, rect.top, rect.right, rect.bottom, corner, corner);
    m_surfaceFillSolid = true;
}

int XrFrameControl::paintWidth() const
{
    return width();
}

int XrFrameControl::paintHeight() const
{
    return height();
}

int XrFrameControl::headerHeight() const
{
    return std::clamp(m_TextBoxHeight, -headerHeightLimit, headerHeightLimit);
}
