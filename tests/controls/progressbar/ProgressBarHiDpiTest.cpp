// XrucProgressBar on a display of device pixel ratio 2: the memory image and the window are
// painted at that ratio, the frame's lines two device pixels wide and the text sharp.
#include "controls/progressbar/XrucProgressBar.h"
#include "tests/controls/progressbar/ProgressBarTestHelpers.h"
#include "tests/support/EdgeBlur.h"

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
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    bar->SetFont(std::make_shared<QFont>(font));
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

    // The text "0 %" as drawn at ratio 1, scaled up smoothly (as a screen would show a bar
    // painted at 1) and pixel for pixel.
    const QString text = QStringLiteral("0 %");
    gdi::DeviceContext measure;
    measure.selectFont(gdi::Font::fromQFont(*bar->Font()));
    const QSize extent = measure.textExtent(text);
    const gdi::Bitmap once = gdi::Bitmap::create(extent.width() + 4, extent.height() + 4, 1.0);
    gdi::DeviceContext dc(once);
    dc.fillRect({0, 0, once.width(), once.height()}, gdi::Brush::solid(0xFFFFFF));
    dc.selectFont(gdi::Font::fromQFont(*bar->Font()));
    dc.setBkMode(gdi::TRANSPARENT);
    gdi::Rect box{2, 2, once.width(), once.height()};
    dc.drawText(text, box, gdi::DT_SINGLELINE);
    const QImage scaledUp = once.image().scaled(2 * once.width(), 2 * once.height(),
                                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The text sits centred, well clear of the short fill at the left and of the frame.
    const QImage shownText = image.copy(100, 8, 200, 32);
    const double sharp = testsupport::blurredShare(shownText);
    const double soft = testsupport::blurredShare(scaledUp);
    const double doubled = testsupport::blurredShare(once.image().scaled(scaledUp.size()));
    EXPECT_LT(sharp, soft * 0.75) << sharp << " against " << soft;
    EXPECT_LT(sharp, doubled * 0.85) << sharp << " against " << doubled;
}

}  // namespace
