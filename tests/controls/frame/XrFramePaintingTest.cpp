// What XrFrameControl paints: boxes and borders, the cylinder header, tabs, the etched line,
// the disabled look and the icon.
#include "controls/frame/XrFrameControl.h"
#include "tests/controls/frame/FrameTestSupport.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace XrFrame;
using namespace frametest;
using host::PropertyBag;

namespace {

constexpr gdi::COLORREF fill = 0xEEDDCC;

bool reddish(gdi::COLORREF colour)
{
    return gdi::GetRValue(colour) > gdi::GetGValue(colour) + 60 &&
           gdi::GetRValue(colour) > gdi::GetBValue(colour) + 60;
}

// Pixels of the area that differ from the colour.
int inkIn(const QImage& image, const QRect& area, gdi::COLORREF background)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += pixelAt(image, x, y) != background ? 1 : 0;
    return count;
}

// XPDefault: the box leaves out the last column and row, its top line runs through the
// middle of the caption, and the caption sits in a gap of the line.
TEST(XrFramePainting, XPDefaultBoxAndCaptionGap)
{
    auto frame = placedFrame(200, 120);
    frame->LetStyle(XPDefault);
    frame->LetRoundedCorner(false);
    frame->LetFillColor(fill);
    const QSize caption = captionExtent(*frame);
    const int half = int(std::nearbyint(caption.height() / 2.0));
    const gdi::COLORREF line = gdi::RGB(195, 195, 195);
    const QImage image = shown(*frame);

    EXPECT_EQ(pixelAt(image, 100, 60), fill);
    EXPECT_EQ(pixelAt(image, 0, 60), line);
    EXPECT_EQ(pixelAt(image, 198, 60), line);
    EXPECT_EQ(pixelAt(image, 199, 60), hostBack);
    EXPECT_EQ(pixelAt(image, 100, 118), line);
    EXPECT_EQ(pixelAt(image, 100, 119), hostBack);
    EXPECT_EQ(pixelAt(image, 0, half), line);
    EXPECT_EQ(pixelAt(image, 14, half), line);
    EXPECT_EQ(pixelAt(image, 15, half), fill);
    EXPECT_EQ(pixelAt(image, 15 + caption.width() + 5, half), fill);
    EXPECT_EQ(pixelAt(image, 15 + caption.width() + 6, half), line);
    EXPECT_EQ(pixelAt(image, 5, half - 1), hostBack);

    // The caption is drawn inside (18, 0) .. (18 + width, height) and nowhere else above the line.
    const QRect captionBox(18, 0, caption.width(), caption.height());
    EXPECT_GT(inkIn(image, captionBox, hostBack) + inkIn(image, captionBox, fill), 0);
    for (int y = 0; y < half; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (!captionBox.contains(x, y)) {
                ASSERT_EQ(pixelAt(image, x, y), hostBack) << x << "," << y;
            }
        }
    }

    // Rounded corners cut the box's corner pixels; the window itself stays rectangular.
    frame->LetRoundedCorner(true);
    const QImage rounded = shown(*frame);
    EXPECT_EQ(pixelAt(rounded, 0, half), hostBack);
    EXPECT_EQ(pixelAt(rounded, 0, 60), line);
    EXPECT_TRUE(frame->mask().isEmpty());
}

// The gradient style's header with a cylinder gradient 22 rows high at row 3: rows 4 .. 13
// from the dark colour towards the light, rows 14 .. 24 back, rows 3 and 25 the border.
TEST(XrFramePainting, GradientStyleCylinderHeader)
{
    auto frame = placedFrame(200, 150);
    frame->LetCaption(QString());
    frame->LetFrameColor(0x00FFFF);
    frame->LetThemeColor(Custom);
    frame->LetColorFrom(gdi::RGB(0, 0, 0));
    frame->LetColorTo(gdi::RGB(132, 0, 0));
    frame->LetGradientHeaderStyle(VCilinderGradient);
    const QImage image = shown(*frame);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(pixelAt(image, 40, 3 + i), gdi::RGB(12 * i, 0, 0)) << "row " << 3 + i;
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(pixelAt(image, 40, 13 + i), gdi::RGB(132 - 11 * i, 0, 0)) << "row " << 13 + i;
    // The Custom theme's accent is the frame colour.
    EXPECT_EQ(pixelAt(image, 40, 3), 0x00FFFFu);
    EXPECT_EQ(pixelAt(image, 40, 25), 0x00FFFFu);
    EXPECT_EQ(pixelAt(image, 198, 10), 0x00FFFFu);
    EXPECT_EQ(pixelAt(image, 199, 10), hostBack);
}

TEST(XrFramePainting, ThemesAndColorFrom)
{
    auto frame = placedFrame(200, 150);
    frame->LetThemeColor(jcThemeConst(9));  // any unknown theme is Silver
    EXPECT_EQ(pixelAt(shown(*frame), 40, 0), gdi::RGB(75, 75, 111));
    frame->LetThemeColor(Olive);
    EXPECT_EQ(pixelAt(shown(*frame), 40, 0), gdi::RGB(63, 93, 56));

    // Outside the Custom theme ColorFrom waits; inside it shows at once in the header, which
    // runs from the light colour at its top to the dark one at its bottom.
    frame->LetHeaderStyle(Gradient);
    frame->LetGradientHeaderStyle(VerticalGradient);
    const gdi::COLORREF oliveBottom = pixelAt(shown(*frame), 40, 24);
    frame->LetColorFrom(0xFF0000);
    EXPECT_EQ(pixelAt(shown(*frame), 40, 24), oliveBottom);
    frame->LetThemeColor(Custom);
    const gdi::COLORREF bottom = pixelAt(shown(*frame), 40, 24);
    EXPECT_GT(gdi::GetBValue(bottom), 200);
    EXPECT_LT(gdi::GetRValue(bottom), 80);
}

// A style preset that picks the Blue theme shows its colours at once.
TEST(XrFramePainting, PresetThemeShowsAtOnce)
{
    auto frame = placedFrame(200, 150);
    frame->LetThemeColor(Olive);
    frame->LetStyle(jcGradient);
    EXPECT_EQ(frame->ThemeColor(), Blue);
    EXPECT_EQ(pixelAt(shown(*frame), 40, 0), gdi::RGB(0, 0, 128));
}

// The obvious fault mended: a frame only placed (never read from a bag) has its disabled
// colours too, instead of painting itself black.
TEST(XrFramePainting, PlacedFrameDisabledUsesTheDisabledColours)
{
    auto frame = placedFrame(200, 120);
    frame->LetStyle(XPDefault);
    frame->LetRoundedCorner(false);
    frame->LetFillColor(fill);
    frame->LetEnabled(false);
    const QImage image = shown(*frame);
    EXPECT_EQ(pixelAt(image, 100, 60), hostBack);
    EXPECT_EQ(pixelAt(image, 0, 60), host::GetSysColor(host::COLOR_INACTIVEBORDER));

    // The same as a frame read back from its bag.
    PropertyBag bag;
    frame->WriteProperties(bag);
    XrFrameControl loaded;
    loaded.setAmbientProperties(testAmbient());
    loaded.resize(200, 120);
    loaded.show();
    loaded.ReadProperties(bag);
    EXPECT_EQ(shown(loaded), image);
}

TEST(XrFramePainting, DisabledCaptionIsGrey)
{
    auto frame = placedFrame(200, 120);
    frame->LetStyle(Windows);
    frame->LetTextColor(0x0000FF);
    frame->LetCaption(QStringLiteral("HHHH"));
    const QRect header(6, 0, 188, 22);
    auto redPixels = [&](const QImage& image) {
        int count = 0;
        for (int y = header.top(); y <= header.bottom(); ++y)
            for (int x = header.left(); x <= header.right(); ++x)
                count += reddish(pixelAt(image, x, y)) ? 1 : 0;
        return count;
    };
    EXPECT_GT(redPixels(shown(*frame)), 0);
    frame->LetEnabled(false);
    const QImage disabled = shown(*frame);
    EXPECT_EQ(redPixels(disabled), 0);
    EXPECT_GT(
        inkIn(disabled, header.adjusted(2, 2, -2, -2), host::GetSysColor(host::COLOR_3DLIGHT)), 0);
}

// The Windows style's icon at (6, 3): in colour while enabled, grey with its black pixels
// left out while disabled.
TEST(XrFramePainting, IconInColourAndInGrey)
{
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            icon.setPixel(x, y, qRgb(0, 0, 0));
    auto frame = placedFrame(200, 120);
    frame->LetStyle(Windows);
    frame->LetCaption(QString());
    frame->SetPicture(icon);
    const QImage enabled = shown(*frame);
    EXPECT_EQ(pixelAt(enabled, 14, 11), 0x0000FFu);
    EXPECT_EQ(pixelAt(enabled, 7, 4), 0u);

    frame->LetEnabled(false);
    const QImage disabled = shown(*frame);
    EXPECT_EQ(pixelAt(disabled, 14, 11), gdi::RGB(76, 76, 76));
    EXPECT_EQ(pixelAt(disabled, 21, 18), gdi::RGB(76, 76, 76));
    EXPECT_EQ(pixelAt(disabled, 7, 4), host::GetSysColor(host::COLOR_3DLIGHT));
    EXPECT_EQ(pixelAt(disabled, 22, 11), host::GetSysColor(host::COLOR_3DLIGHT));

    // Right-aligned: W - 6 - 16.
    frame->LetEnabled(true);
    frame->LetIconAlignment(vbRightAligment);
    const QImage right = shown(*frame);
    EXPECT_EQ(pixelAt(right, 200 - 22 + 8, 11), 0x0000FFu);
    EXPECT_EQ(pixelAt(right, 14, 11), 0xB0EFF0u);
}

TEST(XrFramePainting, TextBoxShadowAndCaptionBox)
{
    auto frame = placedFrame(200, 120);
    frame->LetStyle(TextBox);
    frame->LetHeaderStyle(TxtBoxColor);
    frame->LetRoundedCornerTxtBox(false);
    frame->LetFillColor(fill);
    frame->LetTxtBoxShadow(Shadow);
    frame->LetCaption(QString());
    const QImage image = shown(*frame);
    const gdi::COLORREF box = 0x6A6A6A;
    const gdi::COLORREF shade =
        gdi::RGB(186, 194, 202);  // halfway from the fill to A7A7A7, halves to even
    EXPECT_EQ(pixelAt(image, 15, 10), box);
    EXPECT_EQ(pixelAt(image, 183, 10), box);
    EXPECT_EQ(pixelAt(image, 100, 0), box);
    EXPECT_EQ(pixelAt(image, 100, 21), box);
    EXPECT_EQ(pixelAt(image, 100, 10), 0xB0EFF0u);
    EXPECT_EQ(pixelAt(image, 100, 23), shade);
    EXPECT_EQ(pixelAt(image, 185, 10), shade);
    EXPECT_EQ(pixelAt(image, 16, 23), fill);
    EXPECT_EQ(pixelAt(image, 100, 24), fill);
    EXPECT_EQ(pixelAt(image, 0, 60), box);
}

// The wedge tab is at least 100 pixels wide and stays 15 pixels clear of the right edge.
TEST(XrFramePainting, InnerWedgeTab)
{
    auto frame = placedFrame(300, 120);
    frame->LetStyle(InnerWedge);
    frame->LetRoundedCorner(false);
    frame->LetCaption(QStringLiteral("Ab"));
    const int g = captionExtent(*frame).height() + 5;
    const gdi::COLORREF tab = 0xC0;
    QImage image = shown(*frame);
    EXPECT_EQ(pixelAt(image, 80, g - 2), tab);
    EXPECT_EQ(pixelAt(image, 50, g), tab);
    EXPECT_EQ(pixelAt(image, 110, g), hostBack);
    EXPECT_EQ(pixelAt(image, 50, g + 3), hostBack);
    EXPECT_EQ(pixelAt(image, 150, 1), hostBack);
    EXPECT_EQ(pixelAt(image, 0, 60), tab);

    frame->resize(120, 120);
    image = shown(*frame);
    EXPECT_EQ(pixelAt(image, 80, 1), tab);
    for (int y = 1; y < g; ++y)
        for (int x = 120 - 15; x < 120 - 2; ++x)
            ASSERT_NE(pixelAt(image, x, y), tab) << x << "," << y;
}

TEST(XrFramePainting, HeaderStyleEtchedLine)
{
    auto frame = placedFrame(200, 60);
    frame->LetStyle(Header);
    frame->LetFillColor(fill);
    const QSize caption = captionExtent(*frame);
    const int half = int(std::nearbyint(caption.height() / 2.0));
    QImage image = shown(*frame);
    EXPECT_EQ(pixelAt(image, 199, half), host::GetSysColor(host::COLOR_3DDKSHADOW));
    EXPECT_EQ(pixelAt(image, 199, half + 1), 0xFFFFFFu);
    EXPECT_EQ(pixelAt(image, 1, half + 1), fill);
    EXPECT_EQ(pixelAt(image, caption.width() + 5, half), fill);
    EXPECT_EQ(pixelAt(image, caption.width() + 6, half), host::GetSysColor(host::COLOR_3DDKSHADOW));
    frame->LetEnabled(false);
    image = shown(*frame);
    EXPECT_EQ(pixelAt(image, 199, half), host::GetSysColor(host::COLOR_GRAYTEXT));
}

TEST(XrFramePainting, PanelBorder)
{
    auto frame = placedFrame(200, 80);
    frame->LetStyle(Panel);
    QImage image = shown(*frame);
    EXPECT_EQ(pixelAt(image, 0, 40), gdi::RGB(0, 0, 128));
    EXPECT_EQ(pixelAt(image, 199, 40), gdi::RGB(0, 0, 128));
    EXPECT_EQ(pixelAt(image, 100, 79), gdi::RGB(0, 0, 128));

    frame->LetHeaderStyle(TxtBoxColor);
    frame->LetFrameColor(0x00FF00);
    frame->LetFillColor(fill);
    image = shown(*frame);
    EXPECT_EQ(pixelAt(image, 0, 40), 0x00FF00u);
    EXPECT_EQ(pixelAt(image, 199, 79), 0x00FF00u);
    EXPECT_EQ(pixelAt(image, 3, 3), fill);
}

// A body height that comes to exactly 0 lines must not end the paint before the caption.
TEST(XrFramePainting, EmptyBodyGradientStillPaintsTheCaption)
{
    // round(0.8 x 38 - 22 - 8) = 0.
    auto frame = placedFrame(200, 38);
    frame->LetTextColor(0x0000FF);
    frame->LetCaption(QStringLiteral("HHHH"));
    const QImage image = shown(*frame);
    int red = 0;
    for (int y = 4; y < 24; ++y)
        for (int x = 6; x < 192; ++x)
            red += reddish(pixelAt(image, x, y)) ? 1 : 0;
    EXPECT_GT(red, 0);
}

// Values no setter refuses paint without failing or taking long, in every style.
TEST(XrFramePainting, ExtremeValuesPaint)
{
    QImage icon(8, 8, QImage::Format_RGB32);
    icon.fill(qRgb(200, 10, 10));
    auto frame = placedFrame(120, 80);
    frame->SetPicture(icon);
    frame->LetCaption(QStringLiteral("Extreme ").repeated(500));
    for (int style = -1; style <= 9; ++style) {
        frame->LetStyle(jcStyleConst(style));
        frame->LetHeaderStyle(Gradient);
        for (const int height :
             {std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 0, -5})
            frame->LetTextBoxHeight(height);
        frame->LetIconSize(-1);
        frame->LetIconSize(0);
        frame->LetIconAlignment(IconAlignConst(7));
        frame->LetAlignment(AlignmentConstants(-3));
        frame->LetGradientHeaderStyle(jcGradConst(99));
        frame->LetEnabled(false);
        frame->LetIconSize(std::numeric_limits<std::int16_t>::max());
        frame->LetEnabled(true);
    }
    EXPECT_EQ(shown(*frame).size(), QSize(120, 80));
}

}  // namespace
