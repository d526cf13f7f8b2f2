// XrFrameControl on a display of device pixel ratio 2: the frame paints at that ratio, lines
// two device pixels wide and the caption drawn sharp, not painted at 1 and scaled up.
#include "controls/frame/FrameDrawing.h"
#include "controls/frame/XrFrameControl.h"
#include "tests/controls/frame/FrameTestSupport.h"
#include "tests/support/EdgeBlur.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace XrFrame;
using namespace frametest;

namespace {

// Set before the application starts: this whole test program runs at twice the scale.
const bool twiceTheScale = qputenv("QT_SCALE_FACTOR", "2");

constexpr gdi::COLORREF headerText = 0xCF3603;

QRgb rgb(gdi::COLORREF colour)
{
    return qRgb(gdi::GetRValue(colour), gdi::GetGValue(colour), gdi::GetBValue(colour));
}

TEST(FrameHiDpi, HeaderPaintsAtTheDisplayRatio)
{
    ASSERT_TRUE(twiceTheScale);
    auto frame = placedFrame(200, 60);
    ASSERT_EQ(frame->devicePixelRatioF(), 2.0);
    frame->LetStyle(Header);
    frame->LetCaption(QStringLiteral("Paragraph settings"));
    const QSize caption = captionExtent(*frame);
    const int half = int(std::nearbyint(caption.height() / 2.0));
    const QImage image = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(400, 120));

    // The etched line: two dark device rows, two white ones, nothing blended.
    const gdi::COLORREF dark = host::GetSysColor(host::COLOR_3DDKSHADOW);
    for (const int x : {2 * caption.width() + 20, 398, 399}) {
        EXPECT_EQ(pixelAt(image, x, 2 * half - 1), hostBack) << x;
        EXPECT_EQ(pixelAt(image, x, 2 * half), dark) << x;
        EXPECT_EQ(pixelAt(image, x, 2 * half + 1), dark) << x;
        EXPECT_EQ(pixelAt(image, x, 2 * half + 2), 0xFFFFFFu) << x;
        EXPECT_EQ(pixelAt(image, x, 2 * half + 3), 0xFFFFFFu) << x;
        EXPECT_EQ(pixelAt(image, x, 2 * half + 4), hostBack) << x;
    }

    // The caption as the frame draws it at ratio 1, scaled up smoothly (as a screen would
    // show a surface painted at 1) and pixel for pixel.
    const gdi::Bitmap once = gdi::Bitmap::create(caption.width() + 6, caption.height(), 1.0);
    gdi::DeviceContext dc(once);
    dc.fillRect({0, 0, once.width(), once.height()}, gdi::Brush::solid(hostBack));
    dc.selectFont(gdi::Font::fromQFont(*frame->Font()));
    dc.setTextColor(headerText);
    dc.setBkMode(gdi::TRANSPARENT);
    gdi::Rect box{3, 0, 3 + caption.width(), caption.height()};
    dc.drawText(frame->Caption(), box, gdi::DT_SINGLELINE | gdi::DT_VCENTER);
    const QImage scaledUp = once.image().scaled(2 * once.width(), 2 * once.height(),
                                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage shownCaption = image.copy(0, 0, 2 * once.width(), 2 * once.height());
    const double sharp = testsupport::blurredShare(shownCaption, rgb(hostBack), rgb(headerText));
    const double soft = testsupport::blurredShare(scaledUp, rgb(hostBack), rgb(headerText));
    const double doubled = testsupport::blurredShare(once.image().scaled(scaledUp.size()),
                                                     rgb(hostBack), rgb(headerText));
    EXPECT_LT(sharp, soft * 0.75) << sharp << " against " << soft;
    EXPECT_LT(sharp, doubled * 0.85) << sharp << " against " << doubled;
}

// The grey icon of a disabled frame at twice the ratio is the one at ratio 1 doubled: the
// picture is scaled by nearest pixel, so its key-coloured pixels stay exactly transparent
// instead of leaving a grey fringe.
TEST(FrameHiDpi, GreyIconKeepsItsTransparentPixelsExact)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(qRgb(200, 40, 40));
    picture.setPixel(1, 1, qRgb(0, 0, 0));
    picture.setPixel(2, 1, qRgb(0, 0, 0));
    picture.setPixel(3, 3, qRgb(10, 200, 90));
    QImage drawn[2];
    for (const int ratio : {1, 2}) {
        const gdi::Bitmap bitmap = gdi::Bitmap::create(12, 10, ratio);
        gdi::DeviceContext dc(bitmap);
        dc.fillRect({0, 0, 12, 10}, gdi::Brush::solid(0x30C0F0));
        DrawGreyIcon(dc, 3, 2, 8, 8, picture, 0);
        drawn[ratio - 1] = bitmap.image().convertToFormat(QImage::Format_RGB32);
    }
    EXPECT_EQ(drawn[1], drawn[0].scaled(24, 20).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(pixelAt(drawn[0], 5, 4), 0x30C0F0u);
}

}  // namespace
