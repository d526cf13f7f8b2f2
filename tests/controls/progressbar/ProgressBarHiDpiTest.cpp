// XrucProgressBar on a display of device pixel ratio 2: the memory image and the window are
// painted at that ratio, the frame's lines two device pixels wide. (Text at that ratio is
// checked where the device context draws it.)
#include "controls/progressbar/XrucProgressBar.h"
#include "tests/controls/progressbar/ProgressBarTestHelpers.h"

#include <gtest/gtest.h>

using namespace XrSpecStatusBar;
using namespace bartest;

namespace {

// Set before the application starts: this whole test program runs at twice the scale.
const bool twiceTheScale = qputenv("QT_SCALE_FACTOR", "2");

TEST(ProgressBarHiDpi, BarPaintsAtTheDisplayRatio)
{
    ASSERT_TRUE(twiceTheScale);
    auto bar = makeBar(200, 24);
    bar->LetScrolling(ccScrollingStandard);
    bar->LetShowText(true);
    bar->LetValue(0);
    EXPECT_EQ(bar->hDC()->bitmap().devicePixelRatio(), 2.0);
    const QImage image = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(400, 48));

    // Frame rectangle, then the lines inside it, each two device rows.
    const int rows[] = {0x686868, 0x686868, 0xBEBEBE, 0xBEBEBE, 0xEFEFEF, 0xEFEFEF};
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(pixelAt(image, 300, y), gdi::COLORREF(rows[y])) << "row " << y;
    EXPECT_EQ(pixelAt(image, 300, 6), 0xFFFFFFu);
    EXPECT_EQ(pixelAt(image, 0, 24), 0x686868u);
    EXPECT_EQ(pixelAt(image, 1, 24), 0x686868u);
    EXPECT_EQ(pixelAt(image, 2, 24), 0xBEBEBEu);
}

}  // namespace
