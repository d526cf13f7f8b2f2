// The nine style painters of the frame. Each draws its boxes, headers and tabs and says where
// the caption goes and, for some styles, how far down the icon sits. W and H are the
// surface's size in pixels; boxes handed to DrawRoundBox are left, top, right, bottom, those
// handed to HeaderGradient x, y, width, height.
#include "controls/frame/FrameDrawing.h"
#include "controls/frame/XrFrameControl.h"

#include "platform/gdi/Region.h"

#include <QPolygon>
#include <algorithm>

using namespace XrFrame;

namespace {

constexpr gdi::COLORREF white = 0xFFFFFF;
constexpr gdi::COLORREF shadowGrey = 0xA7A7A7;
constexpr host::OLE_COLOR darkShadow3D = 0x80000015u;
constexpr host::OLE_COLOR grayText = 0x80000011u;
constexpr double headerFactor = 2.01;
constexpr double panelFactor = 2.03;
constexpr int cornerSize = 10;

}  // namespace

XrFrameControl::CaptionPlace XrFrameControl::paintXPDefault()
{
    const int w = paintWidth();
    DrawRoundBox(m_RoundedCorner, cornerSize, m_clrFill, m_clrFrame,
                 {0, m_lHalfCaption, w - 1, paintHeight() - 1}, false);
    int x = roundEven((w - 1 - m_lCaptionWidth) / 2.0);
    if (m_Alignment == vbLeftJustify)
        x = m_iIconGap;
    else if (m_Alignment == vbRightJustify)
        x = w - m_lCaptionWidth - m_iIconGap - m_iTextGap - 1;
    // The gap in the top line that the caption sits in.
    if (!m_Caption.isEmpty())
        DrawLineColor(m_surface.dc(), x, m_lHalfCaption, x + m_lCaptionWidth + 6, m_lHalfCaption,
                      m_clrFill);
    return {{x + 3, 0, x + m_lCaptionWidth + 3, m_lCaptionHeight}};
}

// A light body box under a header between two thin cylinder bands.
XrFrameControl::CaptionPlace XrFrameControl::paintGradient()
{
    gdi::DeviceContext& dc = m_surface.dc();
    const int w = paintWidth();
    const int tbh = headerHeight();
    m_lHalfCaption = roundEven(tbh / 2.0);
    DrawRoundBox(m_RoundedCorner, cornerSize, BlendHalf(m_clrGradDark, white),
                 m_ThemeColor == Custom ? m_clrFrame : m_clrTheme,
                 {0, m_lHalfCaption, w - 1, paintHeight() - 1}, false);
    HeaderGradient(dc, m_clrGradLight, m_clrGradDark, 0, 0, w - 2, 3, VCilinderGradient, true,
                   m_clrTheme, headerFactor);
    if (m_HeaderStyle == Gradient)
        HeaderGradient(dc, m_clrGradDark, m_clrGradLight, 0, 3, w - 2, tbh, m_GradientHeaderStyle,
                       true, m_clrTheme, headerFactor);
    else
        DrawRoundBox(false, 0, m_clrFill, m_clrFrame, {0, 3, w - 1, tbh + 5}, false);
    HeaderGradient(dc, m_clrGradLight, m_clrGradDark, 0, tbh + 3, w - 2, 3, VCilinderGradient, true,
                   m_clrTheme, headerFactor);
    paintGradientBody(tbh + 6);
    return {{6, 4, w - 8, tbh + 2}, roundEven((tbh + 6 - m_IconSize) / 2.0)};
}

// The body of the gradient styles: light at the top, fading into the box's fill at four
// fifths of the height.
void XrFrameControl::paintGradientBody(int top)
{
    HeaderGradient(m_surface.dc(), BlendHalf(m_clrGradDark, white),
                   BlendHalf(m_clrGradLight, white), 1, top, paintWidth() - 3,
                   roundEven(0.8 * paintHeight() - headerHeight() - 8), VerticalGradient, false, 0,
                   headerFactor);
}

// A caption box set into the top line, optionally with a shadow.
XrFrameControl::CaptionPlace XrFrameControl::paintTextBox()
{
    const int w = paintWidth();
    const int tbh = headerHeight();
    m_lHalfCaption = roundEven(tbh / 2.0);
    DrawRoundBox(m_RoundedCorner, cornerSize, m_clrFill, m_clrFrame,
                 {0, m_lHalfCaption, w - 1, paintHeight() - 1}, false);
    const gdi::Rect box{15, 0, w - 16, tbh};
    if (m_TxtBoxShadow == Shadow) {
        const gdi::COLORREF shade = BlendHalf(m_clrFill, shadowGrey);
        const bool rounded = m_HeaderStyle != Gradient && m_RoundedCornerTxtBox;
        DrawRoundBox(rounded, tbh, shade, shade,
                     {box.left + 2, box.top + 2, box.right + 2, box.bottom + 2}, false);
    }
    if (m_HeaderStyle == Gradient)
        HeaderGradient(m_surface.dc(), m_clrGradDark, m_clrGradLight, 15, 0, w - 32, tbh - 1,
                       m_GradientHeaderStyle, true, m_clrFrame, headerFactor);
    else
        DrawRoundBox(m_RoundedCornerTxtBox, tbh, m_clrTextBox, m_clrFrame, box, false);
    return {{24, 0, roundEven(w - 25), tbh - 1}, roundEven((tbh - m_IconSize) / 2.0)};
}

// A title bar across the top of the box.
XrFrameControl::CaptionPlace XrFrameControl::paintWindows()
{
    const int w = paintWidth();
    const int tbh = headerHeight();
    m_lHalfCaption = roundEven(tbh / 2.0);
    DrawRoundBox(m_RoundedCorner, cornerSize, m_clrFill, m_clrFrame,
                 {0, m_lHalfCaption, w - 1, paintHeight() - 1}, false);
    if (m_HeaderStyle == Gradient)
        HeaderGradient(m_surface.dc(), m_clrGradDark, m_clrGradLight, 0, 0, w - 2, tbh - 1,
                       m_GradientHeaderStyle, true, m_clrFrame, headerFactor);
    else
        DrawRoundBox(m_RoundedCornerTxtBox, cornerSize, m_clrTextBox, m_clrFrame,
                     {0, 0, w - 1, tbh}, false);
    return {{6, 0, w - 6, tbh}, roundEven((tbh - m_IconSize) / 2.0)};
}

// A box with a gripped top band, a header under it and the gradient body.
XrFrameControl::CaptionPlace XrFrameControl::paintMessenger()
{
    gdi::DeviceContext& dc = m_surface.dc();
    const int w = paintWidth();
    const int tbh = headerHeight();
    m_lHalfCaption = 0;
    DrawRoundBox(m_RoundedCorner, cornerSize, BlendHalf(m_clrGradDark, white),
                 m_ThemeColor == Custom ? m_clrFrame : m_clrTheme, {0, 0, w - 1, paintHeight() - 1},
                 false);
    HeaderGradient(dc, m_clrGradDark, white, 0, 0, w - 2, 6, VerticalGradient, true, m_clrTheme,
                   headerFactor);
    paintMessengerGrip();
    if (m_HeaderStyle == Gradient)
        HeaderGradient(dc, m_clrGradDark, m_clrGradLight, 0, 6, w - 2, tbh + 1,
                       m_GradientHeaderStyle, true, m_clrTheme, headerFactor);
    else if (m_Enabled)
        DrawLineColor(dc, 0, tbh + 7, w, tbh + 7, m_clrTheme);
    paintGradientBody(tbh + 7);
    return {{6, 8, w - 7, tbh + 6}, roundEven((tbh - m_IconSize) / 2.0 + 6)};
}

// Nine raised dots centred in the top band.
void XrFrameControl::paintMessengerGrip()
{
    gdi::DeviceContext& dc = m_surface.dc();
    const int x0 = roundEven((paintWidth() - 18 - 16) / 2.0);
    const int y = roundEven((6 - 2) / 2.0);
    const gdi::COLORREF dot = BlendHalf(0, m_clrGradDark);
    for (int i = 0; i <= 8; ++i) {
        DrawBoxOutline(dc, x0 + 4 * i + 1, y + 1, 1, 1, white);
        DrawBoxOutline(dc, x0 + 4 * i, y, 1, 1, dot);
    }
}

// The tab of the wedge styles: t wide (at least 100) and g high, kept 15 pixels clear of the
// right edge.
void XrFrameControl::wedgeTab(int& t, int& g) const
{
    const int w = paintWidth();
    t = std::max(m_lCaptionWidth + 10, 100);
    g = m_lCaptionHeight + 5;
    if (t + g / 2.0 >= w - 1 - 15)
        t = roundEven(w - 1 - g / 2.0 - 15 - 1);
}

// A tab in the box's top-left corner whose right side slants down towards the left.
XrFrameControl::CaptionPlace XrFrameControl::paintInnerWedge()
{
    gdi::DeviceContext& dc = m_surface.dc();
    const int right = paintWidth() - 1;
    const int bottom = paintHeight() - 1;
    const int r = m_RoundedCorner ? cornerSize : 0;
    DrawRoundBox(m_RoundedCorner, cornerSize, m_clrFill, m_clrFill, {0, 0, right, bottom}, false);
    int t = 0;
    int g = 0;
    wedgeTab(t, g);
    const int tip = roundEven(t + g / 2.0);
    gdi::Region tab;
    gdi::Region::combine(tab, gdi::Region::polygon(QPolygon({{0, 0}, {0, g}, {t, g}, {tip, 0}})),
                         gdi::Region::roundRect(0, 0, right, bottom, r, r), gdi::RGN_AND);
    dc.fillRgn(tab, gdi::Brush::solid(m_clrTextBox));
    DrawLineColor(dc, 0, g, t, g, m_clrFrame);
    DrawLineColor(dc, t, g, tip, 0, m_clrFrame);
    DrawRoundBox(m_RoundedCorner, cornerSize, m_clrFill, m_clrFrame, {0, 0, right, bottom}, true);
    return {{8, 0, t, g + 2}};
}

// A tab standing on the body, its right side slanting outwards, with a rounded header block.
XrFrameControl::CaptionPlace XrFrameControl::paintOuterWedge()
{
    gdi::DeviceContext& dc = m_surface.dc();
    const int right = paintWidth() - 1;
    const int bottom = paintHeight() - 1;
    int t = 0;
    int g = 0;
    wedgeTab(t, g);
    const int tip = roundEven(t + g / 2.0);
    const int blockRight = roundEven(t * 0.9);
    const int blockBottom = roundEven(g * 1.3);
    dc.fillRgn(gdi::Region::polygon(QPolygon({{6, 0}, {6, g}, {tip, g}, {t, 0}})),
               gdi::Brush::solid(m_clrTextBox));
    DrawRoundBox(m_RoundedCorner, cornerSize, m_clrTextBox, m_clrFrame,
                 {0, 0, blockRight, blockBottom}, false);
    DrawRoundBox(m_RoundedCorner, 0, m_clrTextBox, m_clrTextBox,
                 {roundEven(t * 0.9 - 5), 1, roundEven(t * 0.9 + 3), blockBottom}, false);
    DrawRoundBox(m_RoundedCorner, cornerSize, m_clrFill, m_clrFill, {-1, -1, right, bottom}, true);
    // The tab's edges and the body take the line colour the outline left on the surface.
    DrawLineColor(dc, 6, 0, t, 0, m_surfaceForeColor);
    DrawLineColor(dc, t, 0, tip, g, m_surfaceForeColor);
    const gdi::COLORREF line = m_surfaceForeColor;
    DrawRoundBox(m_RoundedCorner, cornerSize, m_clrFill, line, {0, g, right, bottom}, false);
    DrawRoundBox(false, 0, m_clrFill, line, {0, g, 10, g + 10}, false);
    DrawRoundBox(false, 0, m_clrFill, line, {1, g + 1, 10, g + 10}, false);
    return {{8, 0, t, g + 2}};
}

// An etched line with the caption set into it. The caption and the icon beside it make one
// block, no wider than the frame, so the caption is only shortened when the frame is too
// narrow for it.
XrFrameControl::CaptionPlace XrFrameControl::paintHeader()
{
    gdi::DeviceContext& dc = m_surface.dc();
    const int w = paintWidth();
    const int y = m_lHalfCaption;
    const gdi::COLORREF dark = host::TranslateOleColor(m_Enabled ? darkShadow3D : grayText);
    DrawLineColor(dc, 0, y, w, y, dark);
    DrawLineColor(dc, 0, y + 1, w, y + 1, white);
    const bool iconBeside =
        drawsIcon() && (m_IconAlignment == vbLeftAligment || m_IconAlignment == vbRightAligment);
    const int room = iconBeside ? std::max(0, m_iTextGap + m_IconSize) : 0;
    const std::int64_t wanted = std::int64_t(m_Caption.isEmpty() ? 0 : m_lCaptionWidth) + room;
    const int block = int(std::clamp<std::int64_t>(wanted, 0, std::max(0, w - 6)));
    int x = roundEven((w - block) / 2.0);
    if (m_Alignment == vbLeftJustify)
        x = 0;
    else if (m_Alignment == vbRightJustify)
        x = w - block - 6;
    if (!m_Caption.isEmpty()) {
        DrawLineColor(dc, x, y, x + block + 6, y, m_clrFill);
        DrawLineColor(dc, x, y + 1, x + block + 6, y + 1, m_clrFill);
    }
    CaptionPlace place{{x + 3, 0, x + block + 3, m_lCaptionHeight}, 0};
    if (iconBeside && m_IconAlignment == vbLeftAligment) {
        place.iconLeft = x + m_iTextGap;
        place.rect.left += room;
    } else if (iconBeside) {
        place.iconLeft = x + block + 6 - m_iTextGap - m_IconSize;
        place.rect.right -= room;
    }
    return place;
}

// The whole control as one panel, filled with a gradient or the fill colour, with a border
// unless it would vanish into the background.
XrFrameControl::CaptionPlace XrFrameControl::paintPanel()
{
    gdi::DeviceContext& dc = m_surface.dc();
    const int w = paintWidth();
    const int h = paintHeight();
    m_lHalfCaption = roundEven(headerHeight() / 2.0);
    m_surfaceFillColor = m_clrFill;
    m_surfaceForeColor =
        (m_ThemeColor != Custom && m_HeaderStyle != TxtBoxColor) ? m_clrTheme : m_clrFrame;
    if (m_HeaderStyle == Gradient)
        HeaderGradient(dc, m_clrGradDark, m_clrGradLight, 0, 0, w, h, m_GradientHeaderStyle, false,
                       0, panelFactor);
    if (!mask().isEmpty())
        clearMask();
    m_surfaceFillSolid = m_HeaderStyle != Gradient;
    if ((m_surfaceForeColor & 0xFFFFFFu) != m_surface.background() ||
        m_HeaderStyle == TxtBoxColor) {
        dc.selectPen(gdi::Pen::solid(m_surfaceForeColor));
        dc.selectBrush(m_surfaceFillSolid ? gdi::Brush::solid(m_surfaceFillColor)
                                          : gdi::Brush::hollow());
        dc.rectangle(0, 0, w, h);
    }
    return {{6, 0, w - 6, h - 2}, roundEven((h - m_IconSize) / 2.0)};
}
