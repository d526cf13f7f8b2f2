// Pixel rules of the progress-bar painters: where fills end, where block separators fall,
// the frame, and the fractions each style takes of its width.
#include "ProgressBarTestHelpers.h"

#include "platform/runtime/VbError.h"

#include <gtest/gtest.h>

namespace {

using namespace XrSpecStatusBar;
using bartest::highlight;
using bartest::makeBar;
using bartest::painted;
using bartest::pixelAt;

constexpr gdi::COLORREF white = 0xFFFFFF;

// The bar colour lightened by an amount, worked out by hand for the highlight colour
// (red 51, green 153, blue 255).
constexpr gdi::COLORREF lighter25 = gdi::RGB(71, 163, 255);
constexpr gdi::COLORREF lighter80 = gdi::RGB(115, 185, 255);
constexpr gdi::COLORREF lighter140 = gdi::RGB(163, 209, 255);
constexpr gdi::COLORREF lighter180 = gdi::RGB(195, 225, 255);
constexpr gdi::COLORREF lighter200 = gdi::RGB(211, 233, 255);
constexpr gdi::COLORREF lighter220 = gdi::RGB(227, 241, 255);

QImage paint(int width, int height, cScrolling style, int value,
             cOrientation orientation = ccOrientationHorizontal)
{
    auto bar = makeBar(width, height);
    bar->LetOrientation(orientation);
    bar->LetScrolling(style);
    bar->LetValue(value);
    return painted(*bar);
}

TEST(ProgressBarBlocks, StandardFillEndsOnWholeBlocksWithSeparatorPairs)
{
    // Value -> the fill's right end: a multiple of 8 from column 3, 12 at 0 %, and 4 short of
    // the right edge once the end passes it.
    const std::pair<int, int> ends[] = {{0, 12},   {37, 75},  {50, 99},
                                        {73, 147}, {98, 195}, {100, 199}};
    for (const auto& [value, end] : ends) {
        const QImage image = paint(200, 20, ccScrollingStandard, value);
        for (int x = 4; x < 197; ++x) {
            const bool separator = x >= 10 && (x - 10) % 8 < 2;
            const gdi::COLORREF expected = x < end && !separator ? highlight : white;
            ASSERT_EQ(pixelAt(image, x, 10), expected) << "value " << value << " column " << x;
        }
    }
}

TEST(ProgressBarBlocks, SmoothFillIsOneRunTakingValueOver98)
{
    // 49 / 98 of 200 columns from column 3: the end at 103 (49 / 100 would give 101).
    const QImage image = paint(203, 20, ccScrollingSmooth, 49);
    for (int x = 4; x < 103; ++x)
        ASSERT_EQ(pixelAt(image, x, 10), highlight) << x;
    EXPECT_EQ(pixelAt(image, 103, 10), white);
    // At 0 % a short fill over columns 4 to 11 still shows.
    const QImage empty = paint(100, 20, ccScrollingSmooth, 0);
    EXPECT_EQ(pixelAt(empty, 4, 10), highlight);
    EXPECT_EQ(pixelAt(empty, 11, 10), highlight);
    EXPECT_EQ(pixelAt(empty, 12, 10), white);
    // A style outside the list paints like Smooth.
    EXPECT_EQ(paint(203, 20, cScrolling(12), 49), image);
}

TEST(ProgressBarBlocks, VerticalFillRisesInWholeBlocksFromTheBottom)
{
    // 37 / 98 of 100 rows: the top edge at 68, 32 rows (four steps) above the bottom.
    const QImage image = paint(20, 100, ccScrollingStandard, 37, ccOrientationVertical);
    EXPECT_EQ(pixelAt(image, 10, 67), white);
    for (int y = 68; y < 74; ++y)
        EXPECT_EQ(pixelAt(image, 10, y), highlight) << y;
    EXPECT_EQ(pixelAt(image, 10, 74), white);
    EXPECT_EQ(pixelAt(image, 10, 75), white);
    EXPECT_EQ(pixelAt(image, 10, 76), highlight);
    EXPECT_EQ(pixelAt(image, 10, 97), highlight);
}

TEST(ProgressBarBlocks, SearchBlocksSitBehindTheBarEnd)
{
    // 50 %: the bar ends at 155; the blocks start 22.5 further left, rounded to even: 132,
    // then 12 apart (144.5 -> 144, 156.5 -> 156), each ten columns wide and lighter in turn.
    const QImage image = paint(300, 20, ccScrollingSearch, 50);
    EXPECT_EQ(pixelAt(image, 131, 10), white);
    EXPECT_EQ(pixelAt(image, 132, 10), lighter220);
    EXPECT_EQ(pixelAt(image, 141, 10), lighter200);
    EXPECT_EQ(pixelAt(image, 142, 10), white);
    EXPECT_EQ(pixelAt(image, 144, 10), lighter180);
    EXPECT_EQ(pixelAt(image, 156, 10), lighter140);
    EXPECT_EQ(pixelAt(image, 166, 10), white);
}

TEST(ProgressBarBlocks, FrameHasItsLinesAndCornerPixels)
{
    const QImage image = paint(30, 12, ccScrollingStandard, 0);
    EXPECT_EQ(pixelAt(image, 0, 0), white);
    EXPECT_EQ(pixelAt(image, 1, 1), 0x777777u);
    EXPECT_EQ(pixelAt(image, 0, 1), 0xA6ABACu);
    EXPECT_EQ(pixelAt(image, 15, 0), 0x686868u);
    EXPECT_EQ(pixelAt(image, 0, 6), 0x686868u);
    EXPECT_EQ(pixelAt(image, 29, 6), 0x686868u);
    EXPECT_EQ(pixelAt(image, 15, 11), 0x686868u);
    EXPECT_EQ(pixelAt(image, 15, 1), 0xBEBEBEu);
    EXPECT_EQ(pixelAt(image, 1, 6), 0xBEBEBEu);
    EXPECT_EQ(pixelAt(image, 15, 2), 0xEFEFEFu);
    EXPECT_EQ(pixelAt(image, 2, 6), 0xEFEFEFu);
    EXPECT_EQ(pixelAt(image, 28, 6), 0xEFEFEFu);
    EXPECT_EQ(pixelAt(image, 15, 10), 0xEFEFEFu);
    EXPECT_EQ(pixelAt(image, 28, 1), 0x686868u);
    EXPECT_EQ(pixelAt(image, 28, 10), 0x777777u);
    EXPECT_EQ(pixelAt(image, 29, 11), white);
}

TEST(ProgressBarStyles, FlatTrackHatchAndPatternTakeTheirFractions)
{
    // Flat: value / 100 of the width, from column 1.
    const QImage flat = paint(200, 20, ccScrollingOfficeXP, 37);
    EXPECT_NE(pixelAt(flat, 73, 10), white);
    EXPECT_EQ(pixelAt(flat, 74, 10), white);

    // The others: value / 101 of the width; 50 % of 202 columns ends at 100.
    const QImage track = paint(202, 20, ccScrollingJavT, 50);
    EXPECT_EQ(pixelAt(track, 100, 5), lighter25);  // the end line
    EXPECT_NE(pixelAt(track, 99, 5), lighter25);
    EXPECT_NE(pixelAt(track, 101, 5), lighter25);

    auto hatchBar = makeBar(202, 20);
    hatchBar->LetBrushStyle(HS_VERTICAL);
    hatchBar->LetScrolling(ccScrollingCustomBrush);
    hatchBar->LetValue(50);
    const QImage hatch = painted(*hatchBar);
    EXPECT_EQ(pixelAt(hatch, 95, 5), highlight);   // hatch line: column 7 of its cell
    EXPECT_EQ(pixelAt(hatch, 96, 5), lighter140);  // background, the device context being opaque
    EXPECT_EQ(pixelAt(hatch, 99, 5), lighter140);
    EXPECT_EQ(pixelAt(hatch, 100, 5), white);

    auto patternBar = makeBar(202, 20);
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(QColor(0, 128, 0));
    patternBar->SetImage(gdi::Bitmap::fromImage(tile));
    patternBar->LetScrolling(ccScrollingPicture);
    patternBar->LetValue(50);
    const QImage pattern = painted(*patternBar);
    EXPECT_EQ(pixelAt(pattern, 2, 2), gdi::RGB(0, 128, 0));
    EXPECT_EQ(pixelAt(pattern, 101, 15), gdi::RGB(0, 128, 0));  // 100 columns from column 2
    EXPECT_EQ(pixelAt(pattern, 102, 15), white);
    EXPECT_EQ(pixelAt(pattern, 2, 17), gdi::RGB(0, 128, 0));  // H - 4 rows from row 2
    EXPECT_EQ(pixelAt(pattern, 2, 18), white);
    patternBar->SetImage({});
    EXPECT_EQ(pixelAt(painted(*patternBar), 50, 10), white);  // no picture: only the edge
}

TEST(ProgressBarStyles, MetallicShowsTheSecondValueInTheLowerHalf)
{
    auto bar = makeBar(200, 24);
    bar->LetScrolling(ccScrollingMetallic);
    bar->LetDoubleValOnMetal(true);
    bar->LetColor2(0x0000C0);
    bar->LetValue(37);
    bar->LetValue2(50);
    const QImage image = painted(*bar);
    // First value: 37 % of 196 = 72.52 -> 73 columns from 2, above the track.
    EXPECT_NE(pixelAt(image, 72, 5), 0xECECECu);
    EXPECT_EQ(pixelAt(image, 73, 5), 0xECECECu);  // the track's white-to-silver gradient, row 5
    // Second value: 98 columns from 2, rows 12 down, over the flat silver track.
    EXPECT_NE(pixelAt(image, 97, 20), 0xC0C0C0u);
    EXPECT_EQ(pixelAt(image, 98, 20), 0xC0C0C0u);
    EXPECT_EQ(pixelAt(image, 120, 13), 0xC0C0C0u);
}

TEST(ProgressBarDrawing, GradientRunsFromEndColourToStartColour)
{
    gdi::Bitmap bitmap = gdi::Bitmap::create(20, 10);
    gdi::DeviceContext dc;
    dc.selectBitmap(bitmap);
    dc.fillRect({0, 0, 20, 10}, gdi::Brush::solid(white));
    XrucProgressBar bar;
    int endColor = int(0x8000000F);  // button face, translated in place
    int startColor = 0;
    bar.DrawGradient(endColor, startColor, 10, 2, 4, 8, &dc, true);
    EXPECT_EQ(endColor, 0xF0F0F0);
    EXPECT_EQ(dc.getPixel(10, 2), 0xF0F0F0u);
    EXPECT_EQ(dc.getPixel(12, 5), 0x787878u);
    EXPECT_EQ(dc.getPixel(14, 7), 0u);
    EXPECT_EQ(dc.getPixel(15, 5), white);
    EXPECT_EQ(dc.getPixel(10, 8), white);  // the line's end row is left out

    // No steps: one line in the end colour; fewer than none: nothing.
    int red = 0x0000FF;
    int blue = 0xFF0000;
    bar.DrawGradient(red, blue, 3, 0, 0, 5, &dc, true);
    EXPECT_EQ(dc.getPixel(3, 4), 0x0000FFu);
    EXPECT_EQ(dc.getPixel(4, 4), white);
    bar.DrawGradient(red, blue, 0, 9, 19, -1, &dc, false);
    EXPECT_EQ(dc.getPixel(0, 9), white);
    // Rows: Y .. Y + Y2, each from column X towards X2.
    bar.DrawGradient(red, blue, 0, 8, 3, 1, &dc, false);
    EXPECT_EQ(dc.getPixel(0, 8), 0x0000FFu);
    EXPECT_EQ(dc.getPixel(2, 9), 0xFF0000u);
    EXPECT_EQ(dc.getPixel(3, 9), white);
}

TEST(ProgressBarDrawing, PDrawCopiesTheMemoryImageToAnyDeviceContext)
{
    auto bar = makeBar(50, 10);
    bar->LetValue(60);
    gdi::Bitmap target = gdi::Bitmap::create(700, 500);
    gdi::DeviceContext dc;
    dc.selectBitmap(target);
    bar->pDraw(&dc);
    EXPECT_EQ(target.image(), bar->hDC()->bitmap().image().copy(0, 0, 700, 500));
    EXPECT_NE(pixelAt(target.image(), 13, 5), white);
}

TEST(ProgressBarText, DarkStyleDrawsTheTextInTwoColoursAcrossTheFill)
{
    auto inkOf = [](const QImage& image, gdi::COLORREF colour) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (pixelAt(image, x, y) == colour)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    auto bar = makeBar(200, 30);
    auto font = std::make_shared<QFont>(QStringLiteral("DejaVu Sans"));
    font->setPixelSize(20);
    font->setBold(true);
    bar->SetFont(font);
    bar->LetScrolling(ccScrollingMediaPlayer);
    bar->LetShowText(true);
    bar->LetValue(0);
    EXPECT_FALSE(inkOf(painted(*bar), 0xC0C0C0).isNull());
    EXPECT_TRUE(inkOf(painted(*bar), lighter80).isNull());

    bar->LetValue(50);  // the fill ends at column 100, inside the text
    const QImage half = painted(*bar);
    const QRect silver = inkOf(half, 0xC0C0C0);
    const QRect blue = inkOf(half, lighter80);
    ASSERT_FALSE(silver.isNull());
    ASSERT_FALSE(blue.isNull());
    EXPECT_LT(blue.right(), 100);
    EXPECT_GE(silver.left(), 100);

    bar->LetValue(100);
    EXPECT_TRUE(inkOf(painted(*bar), 0xC0C0C0).isNull());
    EXPECT_FALSE(inkOf(painted(*bar), lighter80).isNull());
}

TEST(ProgressBarText, TextIsCentredAndNamesThePercentage)
{
    auto bar = makeBar(200, 30);
    bar->LetShowText(true);
    bar->LetScrolling(ccScrollingOfficeXP);
    bar->LetValue(37);
    const QImage image = painted(*bar);
    QRect black;  // dark pixels: the text, whatever its antialiasing
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                black |= QRect(x, y, 1, 1);
    ASSERT_FALSE(black.isNull());
    EXPECT_NEAR(black.center().x(), 100, 3);
    EXPECT_NEAR(black.center().y(), 15, 3);
    // The same text measured by the bar's font fits the ink.
    gdi::DeviceContext dc;
    dc.selectFont(gdi::Font::fromQFont(*bar->Font()));
    EXPECT_LE(black.width(), dc.textExtent(QStringLiteral("37 %")).width());

    bar->SetFont(nullptr);  // drawing text without a font fails
    EXPECT_THROW(bar->LetValue(10), vb::VbError);
}

TEST(ProgressBarFailures, ExtremePercentagesOverflowInTheDrawing)
{
    auto bar = makeBar(200, 20);
    bar->LetMax(1);
    bar->LetValue(-20000000);  // -2,000,000,000 %: the block styles clamp it to nothing
    EXPECT_THROW(bar->LetScrolling(ccScrollingOfficeXP), vb::VbError);
    EXPECT_EQ(bar->Scrolling(), ccScrollingOfficeXP);  // stored before the paint failed
    bar->LetScrolling(ccScrollingStandard);
    bar->LetValue(0);
    bar->LetDoubleValOnMetal(true);
    bar->LetValue2(20000000);
    EXPECT_THROW(bar->LetScrolling(ccScrollingMetallic), vb::VbError);
    bar->grab();  // a paint event that fails leaves the picture as it is
}

}  // namespace
