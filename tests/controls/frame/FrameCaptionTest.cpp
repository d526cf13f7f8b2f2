// Where XrFrameControl puts its caption next to an icon, and how the Panel style wraps it.
#include "controls/frame/XrFrameControl.h"
#include "tests/controls/frame/FrameTestSupport.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace XrFrame;
using namespace frametest;

namespace {

constexpr gdi::COLORREF fill = 0xEEDDCC;
constexpr gdi::COLORREF red = 0x0000FF;

QImage redIcon()
{
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(qRgb(255, 0, 0));
    return icon;
}

// The smallest rectangle of the area holding pixels other than the background.
QRect inkBox(const QImage& image, const QRect& area, gdi::COLORREF background)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pixelAt(image, x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

// The plain box and the wedge tabs have no place for an icon: a picture changes nothing, the
// caption keeps its whole width and starts where it would without one.
TEST(FrameCaption, StylesWithoutAnIconLookTheSameWithAPicture)
{
    for (const jcStyleConst style : {XPDefault, InnerWedge, OuterWedge}) {
        for (const IconAlignConst side : {vbLeftAligment, vbRightAligment}) {
            auto frame = placedFrame(260, 120);
            frame->LetStyle(style);
            frame->LetCaption(QStringLiteral("Paragraph settings"));
            frame->LetIconAlignment(side);
            const QImage plain = shown(*frame);
            frame->SetPicture(redIcon());
            EXPECT_EQ(shown(*frame), plain) << "style " << style << ", icon side " << side;
        }
    }
}

// The Header style sets the caption and its icon into the etched line side by side: the
// caption is drawn whole, the same pixels as without an icon, only moved past the icon, and
// the gap in the line takes in both.
TEST(FrameCaption, HeaderCaptionSitsBesideItsIconUnshortened)
{
    auto frame = placedFrame(260, 60);
    frame->LetStyle(Header);
    frame->LetFillColor(fill);
    frame->LetCaption(QStringLiteral("Paragraph settings"));
    const QSize caption = captionExtent(*frame);
    const int half = int(std::nearbyint(caption.height() / 2.0));
    const int room = 6 + 16;
    const QImage plain = shown(*frame);
    const QImage plainCaption = plain.copy(3, 0, caption.width(), caption.height());
    const gdi::COLORREF dark = host::GetSysColor(host::COLOR_3DDKSHADOW);

    frame->SetPicture(redIcon());
    QImage image = shown(*frame);
    EXPECT_EQ(pixelAt(image, 6 + 8, 8), red);
    EXPECT_EQ(image.copy(3 + room, 0, caption.width(), caption.height()), plainCaption);
    EXPECT_EQ(pixelAt(image, caption.width() + room + 5, half), fill);
    EXPECT_EQ(pixelAt(image, caption.width() + room + 6, half), dark);

    // On the right the icon follows the caption, which stays where it was.
    frame->LetIconAlignment(vbRightAligment);
    image = shown(*frame);
    EXPECT_EQ(image.copy(3, 0, caption.width(), caption.height()), plainCaption);
    EXPECT_EQ(pixelAt(image, caption.width() + 6 + 8, 8), red);
    EXPECT_EQ(pixelAt(image, caption.width() + room + 5, half), fill);
    EXPECT_EQ(pixelAt(image, caption.width() + room + 6, half), dark);

    // Right-aligned, the block ends six pixels short of the frame's right edge.
    frame->LetAlignment(vbRightJustify);
    image = shown(*frame);
    const int x = 260 - caption.width() - room - 6;
    EXPECT_EQ(image.copy(x + 3, 0, caption.width(), caption.height()), plainCaption);
    EXPECT_EQ(pixelAt(image, x - 1, half), dark);
    EXPECT_EQ(pixelAt(image, x, half), fill);
}

// A frame too narrow for the caption and its icon shortens the caption to what fits: no ink
// reaches past the frame's right edge minus the gap.
TEST(FrameCaption, HeaderShortensOnlyWhatDoesNotFit)
{
    auto frame = placedFrame(110, 60);
    frame->LetStyle(Header);
    frame->LetCaption(QStringLiteral("Paragraph settings and more"));
    ASSERT_GT(captionExtent(*frame).width(), 110);
    frame->SetPicture(redIcon());
    const QImage image = shown(*frame);
    const int height = captionExtent(*frame).height();
    const QRect ink = inkBox(image, QRect(23, 0, 110 - 23, height), hostBack);
    EXPECT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.right(), 110 - 3);
    EXPECT_EQ(pixelAt(image, 6 + 8, 8), red);
}

// The Panel caption is wrapped to the panel and drawn as measured: several whole lines,
// centred both ways, not one line cut down to the measured width.
TEST(FrameCaption, PanelCaptionWrapsIntoCentredLines)
{
    auto frame = placedFrame(150, 100);
    frame->LetStyle(Panel);
    frame->LetHeaderStyle(TxtBoxColor);
    frame->LetFillColor(fill);
    frame->LetFrameColor(0x00FF00);
    frame->LetCaption(QStringLiteral("Paragraph settings of the whole page"));
    const QSize caption = captionExtent(*frame);
    ASSERT_GT(caption.width(), 150 - 12);
    const QImage image = shown(*frame);
    const QRect ink = inkBox(image, QRect(1, 1, 148, 98), fill);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), caption.height() * 3 / 2);
    EXPECT_LE(ink.height(), caption.height() * 3);
    // Centred in the caption rectangle (6, 0, 144, 98).
    EXPECT_NEAR(ink.left() - 6, 144 - 1 - ink.right(), 3);
    EXPECT_NEAR(ink.top(), 98 - 1 - ink.bottom(), caption.height() / 2);
}

}  // namespace
