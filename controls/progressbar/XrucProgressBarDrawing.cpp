// Painting of XrucProgressBar: the choice of painter by style, the ten styles, the text, and
// the colour and rectangle helpers they share.
#include "controls/progressbar/XrucProgressBar.h"

#include "controls/progressbar/LongArithmetic.h"
#include "platform/gdi/ColourLines.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"

#include <algorithm>
#include <cstdint>

using namespace XrSpecStatusBar;

namespace {

// The runtime's RGB: arguments above 255 count as 255.
int basicRgb(int red, int green, int blue)
{
    auto channel = [](int value) { return std::clamp(value, 0, 255); };
    return channel(red) + channel(green) * 256 + channel(blue) * 65536;
}

double redOf(int colour)
{
    return double(colour & 0xFF);
}
double greenOf(int colour)
{
    return double(colour & 0xFF00) / 256.0;
}
double blueOf(int colour)
{
    return double(colour & 0xFF0000) / 65536.0;
}

}  // namespace

// --- colour and rectangle helpers -------------------------------------------------------

int XrucProgressBar::TranslateColor(int colour)
{
    if (colour < 0)
        return int(host::GetSysColor(colour & 0x7FFFFFFF));
    return colour;
}

int XrucProgressBar::LightenColor(int colour, int amount)
{
    auto lighten = [amount](int channel) {
        return std::min(255, amount + ((255 - amount) * channel) / 255);
    };
    const int red = colour & 0xFF;
    const int green = (colour / 256) % 256;
    const int blue = (colour / 65536) % 256;
    return lighten(red) + lighten(green) * 256 + lighten(blue) * 65536;
}

int XrucProgressBar::MixColors(int colourA, int colourB, int amount)
{
    const int a = TranslateColor(colourA);
    const int b = TranslateColor(colourB);
    auto mix = [amount](double channelA, double channelB) {
        return int(vb::CInt((255 - amount) * channelB / 255.0 + (amount * channelA) / 255.0));
    };
    return basicRgb(mix(redOf(a), redOf(b)), mix(greenOf(a), greenOf(b)),
                    mix(blueOf(a), blueOf(b)));
}

void XrucProgressBar::FrameRectColor(const gdi::Rect& rect, int colour, gdi::DeviceContext* dc)
{
    dc->frameRect(rect, gdi::Brush::solid(gdi::COLORREF(colour)));
}

void XrucProgressBar::FillRectColor(const gdi::Rect& rect, int colour, gdi::DeviceContext* dc)
{
    dc->fillRect(rect, gdi::Brush::solid(gdi::COLORREF(TranslateColor(colour))));
}

void XrucProgressBar::line(int x1, int y1, int x2, int y2, int colour)
{
    DrawLine(x1, y1, x2, y2, m_hDC, colour);
}

void XrucProgressBar::gradient(int endColor, int startColor, int x, int y, int x2, int y2, bool bH)
{
    DrawGradient(endColor, startColor, x, y, x2, y2, m_hDC, bH);
}

// --- public drawing members -------------------------------------------------------------

void XrucProgressBar::DrawGradient(int& lEndColor, int& lStartcolor, int X, int Y, int X2, int Y2,
                                   gdi::DeviceContext* hDC, bool bH)
{
    lEndColor = TranslateColor(lEndColor);
    lStartcolor = TranslateColor(lStartcolor);
    if (!hDC)
        return;
    // Lines 0 .. n, both end lines drawn; with n = 0 the one line takes the end colour.
    const std::int64_t n = bH ? X2 : Y2;
    gdi::gradientLines(*hDC, gdi::COLORREF(lEndColor), gdi::COLORREF(lStartcolor), n, 0, n, X, Y,
                       X2, Y2, !bH);
}

void XrucProgressBar::DrawProgressBar()
{
    if (m_lPercent > 100)
        m_lPercent = 100;
    m_rcClient = gdi::clientRect(m_hwnd);
    FillRectColor(m_rcClient, m_Scrolling == ccScrollingMediaPlayer ? 0 : 0xFFFFFF, m_hDC);
    switch (m_Scrolling) {
        case ccScrollingOfficeXP:
            PaintFlatFill();
            break;
        case ccScrollingPastel:
            PaintPastelGradient();
            break;
        case ccScrollingJavT:
            PaintTrackGradient();
            break;
        case ccScrollingMediaPlayer:
            PaintDarkGradient();
            break;
        case ccScrollingCustomBrush:
            PaintHatchFill();
            break;
        case ccScrollingPicture:
            PaintPatternFill();
            break;
        case ccScrollingMetallic:
            PaintMetalBar();
            break;
        default:
            CalcBlockBar();
            FillBlockBar();
            if (m_Scrolling == ccScrollingStandard)
                DrawBlockSeparators();
            DrawBlockFrame();
            break;
    }
    DrawBarText();
    if (m_bUseMemDC)
        pDraw(&m_surface.dc(), 0, 0, QWidget::width(), QWidget::height(), 0, 0);
    if (!m_inPaintEvent)
        m_surface.invalidate();
}

// --- block styles (0 Standard, 1 Smooth, 2 Search; any unknown style) -------------------

void XrucProgressBar::CalcBlockBar()
{
    m_lBlockSize = m_Scrolling == ccScrollingStandard ? 6 : 0;
    m_lBlockGap = 2;
    const int step = m_lBlockSize + m_lBlockGap;
    m_rcClient.left += 3;
    m_rcBar = m_rcClient;
    // Full from 98 % on.
    m_dFillFraction = m_lPercent / 98.0;
    if (m_dFillFraction < 0)
        m_dFillFraction = 0;
    if (m_Orientation != ccOrientationHorizontal) {
        const int y = roundLong((m_rcClient.bottom - m_rcClient.top) * (1 - m_dFillFraction) +
                                m_rcClient.top);
        m_rcBar.top = std::min(y - ((y - m_rcBar.bottom) % step), m_rcClient.bottom);
    } else {
        const int x =
            roundLong((m_rcClient.right - m_rcClient.left) * m_dFillFraction + m_rcClient.left);
        m_rcBar.right = std::max(x - ((x - m_rcBar.left) % step), m_rcClient.left);
    }
}

void XrucProgressBar::FillBlockBar()
{
    const int W = m_rcClient.right;
    const int H = m_rcClient.bottom;
    const int c1 = LightenColor(m_Color, 150);
    const bool search = m_Scrolling == ccScrollingSearch;
    if (m_Orientation != ccOrientationHorizontal) {
        if (!search) {
            gradient(c1, m_Color, 4, m_rcBar.top, 4, H, true);
            FillRectColor({9, m_rcBar.top, W - 8, H}, m_Color, m_hDC);
            gradient(m_Color, c1, W - 8, m_rcBar.top, 4, H, true);
            return;
        }
        for (int k = 0; k < 3; ++k)
            gradient(LightenColor(m_Color, 220 - 40 * k), LightenColor(m_Color, 200 - 40 * k),
                     W - 2, m_rcBar.top + 12 * k, 2, 9, false);
        return;
    }
    if (m_rcBar.right <= 14)
        m_rcBar.right = 12;
    const int e = W < m_rcBar.right + 4 ? m_rcBar.right - 4 : m_rcBar.right;
    if (!search) {
        gradient(c1, m_Color, 4, 3, e, 6, false);
        FillRectColor({4, 8, e, H - 8}, m_Color, m_hDC);
        gradient(m_Color, c1, 4, H - 10, e, 6, false);
        return;
    }
    for (int k = 0; k < 3; ++k) {
        const int left = roundLong(m_rcBar.right + 12 * k -
                                   checkedLong(100 - std::int64_t(m_lPercent)) / 100.0 * 45);
        gradient(LightenColor(m_Color, 220 - 40 * k), LightenColor(m_Color, 200 - 40 * k), left, 3,
                 9, H - 2, true);
    }
}

void XrucProgressBar::DrawBlockSeparators()
{
    const gdi::Brush white = gdi::Brush::solid(0xFFFFFF);
    const int step = m_lBlockSize + m_lBlockGap;
    m_rcSeparator = m_rcClient;
    if (m_Orientation != ccOrientationHorizontal) {
        for (std::int64_t e = m_rcBar.bottom; e >= std::int64_t(m_lBlockSize) + m_rcBar.top;
             e -= step) {
            m_rcSeparator.top = int(e) - 2;
            m_rcSeparator.bottom = int(e) - 2 + m_lBlockGap;
            m_hDC->fillRect(m_rcSeparator, white);
        }
        return;
    }
    for (std::int64_t f = std::int64_t(m_rcBar.left) + m_lBlockSize; f <= m_rcBar.right;
         f += step) {
        m_rcSeparator.left = int(f) + 1;
        m_rcSeparator.right = int(f) + 1 + m_lBlockGap;
        m_hDC->fillRect(m_rcSeparator, white);
    }
}

void XrucProgressBar::DrawBlockFrame()
{
    m_rcClient.left -= 3;
    const int R = m_rcClient.right;
    const int B = m_rcClient.bottom;
    line(2, 1, R - 2, 1, 0xBEBEBE);
    line(2, B - 2, R - 2, B - 2, 0xEFEFEF);
    line(1, 2, 1, B - 2, 0xBEBEBE);
    line(2, 2, 2, B - 2, 0xEFEFEF);
    line(2, 2, R - 2, 2, 0xEFEFEF);
    line(R - 2, 2, R - 2, B - 2, 0xEFEFEF);
    FrameRectColor(m_rcClient, 0x686868, m_hDC);
    struct Dot {
        int x;
        int y;
        int colour;
    };
    const Dot corners[] = {
        // top left
        {0, 0, 0xFFFFFF},
        {0, 1, 0xA6ABAC},
        {0, 2, 0x7D7E7F},
        {1, 0, 0xA7ABAC},
        {1, 1, 0x777777},
        {2, 0, 0x7D7E7F},
        {2, 2, 0xBEBEBE},
        // bottom left
        {0, B - 1, 0xFFFFFF},
        {1, B - 1, 0xA6ABAC},
        {2, B - 1, 0x7D7E7F},
        {0, B - 3, 0x7D7E7F},
        {0, B - 2, 0xA7ABAC},
        {1, B - 2, 0x777777},
        // top right
        {R - 1, 0, 0xFFFFFF},
        {R - 1, 1, 0xBEBEBE},
        {R - 1, 2, 0x7D7E7F},
        {R - 2, 2, 0xBEBEBE},
        {R - 2, 1, 0x686868},
        // bottom right
        {R - 1, B - 1, 0xFFFFFF},
        {R - 1, B - 2, 0xBEBEBE},
        {R - 1, B - 3, 0x7D7E7F},
        {R - 2, B - 2, 0x777777},
        {R - 2, B - 1, 0xBEBEBE},
        {R - 3, B - 1, 0x7D7E7F},
    };
    for (const Dot& dot : corners)
        m_hDC->setPixel(dot.x, dot.y, gdi::COLORREF(dot.colour));
}

// --- the other styles -------------------------------------------------------------------

void XrucProgressBar::PaintFlatFill()
{
    const int W = m_rcClient.right;
    const int H = m_rcClient.bottom;
    FrameRectColor(m_rcClient, LightenColor(m_Color, 100), m_hDC);
    m_rcBar = {1, 1, roundLong(m_lPercent / 100.0 * W), H - 1};
    FillRectColor(m_rcBar, LightenColor(m_Color, 180), m_hDC);
}

void XrucProgressBar::PaintPastelGradient()
{
    const int W = m_rcClient.right;
    const int H = m_rcClient.bottom;
    m_hDC->drawEdge(m_rcClient, gdi::BDR_SUNKENOUTER | gdi::BDR_RAISEDINNER, gdi::BF_RECT);
    const int x = roundLong(m_lPercent / 100.0 * (W - 4));
    gradient(LightenColor(m_Color, 140), LightenColor(m_Color, 200), 2, 2, x, H - 3, true);
}

void XrucProgressBar::PaintTrackGradient()
{
    const int W = m_rcClient.right;
    const int H = m_rcClient.bottom;
    FrameRectColor(m_rcClient, LightenColor(m_Color, 10), m_hDC);
    const int x = roundLong(m_lPercent / 101.0 * W);
    m_rcBar.right = x;
    gradient(m_Color, LightenColor(m_Color, 100), 2, 2, W - 2, H - 5, false);
    gradient(LightenColor(m_Color, 250), m_Color, 3, 3, x, H - 6, false);
    line(x, 2, x, H - 2, LightenColor(m_Color, 25));
}

void XrucProgressBar::PaintDarkGradient()
{
    const int W = m_rcClient.right;
    const int H = m_rcClient.bottom;
    FrameRectColor(m_rcClient, MixColors(m_Color, 0, 200), m_hDC);
    const int c = LightenColor(TranslateColor(MixColors(m_Color, 0, 100)), 10);
    const int x = roundLong(m_lPercent / 100.0 * (W - 5));
    gradient(0, c, 2, 2, x, H - 2, true);
}

void XrucProgressBar::PaintHatchFill()
{
    const int W = m_rcClient.right;
    const int H = m_rcClient.bottom;
    m_hDC->drawEdge(m_rcClient, gdi::BDR_RAISEDOUTER | gdi::BDR_SUNKENINNER, gdi::BF_RECT);
    m_rcBar = {2, 2, roundLong(m_lPercent / 101.0 * W), H - 2};
    const int style = vb::CInt(double(m_BrushStyle));
    const gdi::Brush hatch = gdi::Brush::hatch(style, gdi::COLORREF(TranslateColor(m_Color)));
    m_hDC->setBkColor(gdi::COLORREF(LightenColor(m_Color, 140)));
    m_hDC->fillRect(m_rcBar, hatch);
}

void XrucProgressBar::PaintPatternFill()
{
    const int W = m_rcClient.right;
    const int H = m_rcClient.bottom;
    m_hDC->drawEdge(m_rcClient, gdi::BDR_SUNKENOUTER, gdi::BF_RECT);
    if (m_Image.isNull())
        return;
    const gdi::Brush previous = m_hDC->selectBrush(gdi::Brush::pattern(m_Image));
    const int x = roundLong(m_lPercent / 101.0 * W);
    m_rcBar.right = x;
    m_hDC->patBlt(2, 2, x, H - 4, gdi::PATCOPY);
    m_hDC->selectBrush(previous);
}

void XrucProgressBar::PaintMetalBar()
{
    const int W = m_rcClient.right;
    const int H = m_rcClient.bottom;
    const int half = roundLong((H - 3) / 2.0);
    int x = roundLong(m_lPercent / 100.0 * (W - 4));
    m_rcBar.right = x;
    gradient(0xFFFFFF, 0xC0C0C0, 2, 2, W - 3, half, false);
    gradient(MixColors(0xC0C0C0, 0, 255), 0xC0C0C0, 2, half, W - 3, half, false);
    if (m_DoubleValOnMetal) {
        const int x2 = roundLong(m_lPercent2 / 100.0 * (W - 4));
        m_rcBar.right = x2;
        const int h2 = roundLong((H - 3) / 2.0 + 2);
        gradient(LightenColor(m_Color2, 170), m_Color2, 2, h2, x2, h2, false);
        x = roundLong(m_lPercent / 100.0 * (W - 4));
        m_rcBar.right = x;
        gradient(LightenColor(m_Color, 150), MixColors(m_Color, 0, 200), 2, 2, x,
                 roundLong((H - 3) / 2.0 - 1), false);
    } else {
        gradient(LightenColor(m_Color, 150), MixColors(m_Color, 0, 180), 2, 2, x, half, false);
        gradient(MixColors(m_Color, 0, 190), m_Color, 2, half, x, half, false);
    }
    m_rcClient.left += 3;
    DrawBlockFrame();
}

// --- text -------------------------------------------------------------------------------

void XrucProgressBar::DrawBarText()
{
    const QString text = m_Scrolling == ccScrollingSearch
                             ? QStringLiteral("Searching..")
                             : QString::number(m_lPercent) + QStringLiteral(" %");
    if (!m_ShowText)
        return;
    m_oTextFont = m_Font;
    if (!m_oTextFont)
        vb::raiseError(91);
    m_hOldFont = m_hDC->selectFont(gdi::Font::fromQFont(*m_oTextFont));
    m_hDC->setBkMode(gdi::TRANSPARENT);
    m_hDC->setTextColor(
        gdi::COLORREF(m_Scrolling == ccScrollingMediaPlayer ? TranslateColor(0xC0C0C0) : 0));
    CenterTextRect(text);
    const double fill = m_lPercent / 100.0 * m_rcClient.right;
    const bool overBar =
        m_Scrolling == ccScrollingMediaPlayer || m_Scrolling == ccScrollingMetallic;
    if (!(overBar && fill > m_rcText.right))
        m_hDC->drawText(text, m_rcText, gdi::DT_SINGLELINE);
    m_hDC->selectFont(m_hOldFont);
    if (overBar)
        DrawTextOverBar(text, fill);
}

void XrucProgressBar::CenterTextRect(const QString& text)
{
    m_hDC->drawText(text, m_rcText, gdi::DT_CALCRECT);
    const int width = m_rcText.right - m_rcText.left;
    const int height = m_rcText.bottom - m_rcText.top;
    m_rcText.left = roundLong(m_rcClient.right / 2.0 - width / 2.0);
    m_rcText.top = roundLong(m_rcClient.bottom / 2.0 - height / 2.0);
    m_rcText.right = m_rcText.left + width;
    m_rcText.bottom = m_rcText.top + height;
}

// The part of the text over the filled bar in the second colour: the text again, clipped
// at the bar's end.
void XrucProgressBar::DrawTextOverBar(const QString& text, double fill)
{
    m_hOldFont = m_hDC->selectFont(gdi::Font::fromQFont(*m_oTextFont));
    if (fill >= m_rcText.left) {
        m_hDC->setTextColor(gdi::COLORREF(m_Scrolling == ccScrollingMediaPlayer
                                              ? TranslateColor(LightenColor(m_Color, 80))
                                              : 0xFFFFFF));
        const int W = m_rcClient.right;
        m_rcText.left = roundLong(W / 2.0 - (m_rcText.right - m_rcText.left) / 2.0);
        m_rcText.right = roundLong(m_lPercent / 100.0 * W);
        m_hDC->drawText(text, m_rcText, gdi::DT_SINGLELINE);
    }
    m_hDC->selectFont(m_hOldFont);
}
