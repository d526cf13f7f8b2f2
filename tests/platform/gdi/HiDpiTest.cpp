// Drawing into a bitmap finer than its logical pixels (a device pixel ratio of 2): the pixel
// rules still work on logical pixels, each covering 2 x 2 device pixels, while text is drawn
// at the device resolution.
#include "GdiTestHelpers.h"
#include "platform/gdi/Pixels.h"
#include "tests/support/EdgeBlur.h"

#include <gtest/gtest.h>
#include <QPolygon>
#include <vector>

namespace {

using namespace gdi;
using gditest::Canvas;
using testsupport::blurredShare;

constexpr COLORREF red = 0x0000FF;
constexpr COLORREF blue = 0xFF0000;
constexpr COLORREF green = 0x00A000;

// The same drawing calls on any canvas: lines, rectangles, edges, a hatch, a round rectangle,
// a polygon, single pixels, a clipped fill, and copies within the bitmap and from another of
// the canvas's ratio (straight, mirrored and magnified twice).
void drawScene(Canvas& canvas)
{
    DeviceContext& dc = canvas.dc;
    dc.selectPen(Pen::solid(0));
    dc.moveTo(1, 1);
    dc.lineTo(30, 1);
    dc.lineTo(30, 20);
    dc.lineTo(3, 7);
    dc.fillRect({4, 10, 12, 14}, Brush::solid(red));
    dc.frameRect({14, 10, 20, 16}, Brush::solid(blue));
    dc.drawEdge({22, 3, 29, 9}, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
    dc.setBkColor(0xC0C0C0);
    dc.fillRect({1, 16, 13, 27}, Brush::hatch(HS_DIAGCROSS, green));
    dc.selectBrush(Brush::solid(0x00FFFF));
    dc.roundRect(14, 17, 26, 27, 6, 6);
    dc.polygon(QPolygon({{27, 12}, {34, 16}, {28, 25}}));
    dc.setPixel(33, 2, red);
    dc.setPixel(34, 3, blue);
    dc.selectClipRgn(Region::rect(2, 28, 9, 30));
    dc.fillRect({0, 27, 20, 32}, Brush::solid(green));
    dc.removeClipRgn();
    dc.bitBlt(20, 27, 8, 4, dc, 2, 9);

    Canvas source(4, 3, 0xFFFFFF, canvas.bitmap.devicePixelRatio());
    source.dc.setPixel(0, 0, red);
    source.dc.setPixel(3, 2, blue);
    source.dc.fillRect({1, 1, 3, 2}, Brush::solid(green));
    dc.bitBlt(29, 27, 4, 3, source.dc, 0, 0);
    dc.stretchBlt(35 + 3, 10, -4, 3, source.dc, 0, 0, 4, 3);
    dc.stretchBlt(32, 20, 8, 6, source.dc, 0, 0, 4, 3);
}

// Every pixel rule drawn at twice the ratio is the drawing at ratio 1 with each pixel doubled
// both ways: sizes, end points, excluded edges, hatch alignment and clipping all stay in
// logical pixels.
TEST(HiDpiDrawing, PixelRulesAtTwiceTheRatioAreTheOnceDrawingDoubled)
{
    Canvas once(40, 32);
    Canvas twice(40, 32, 0xFFFFFF, 2.0);
    ASSERT_EQ(twice.bitmap.image().size(), QSize(80, 64));
    ASSERT_EQ(twice.bitmap.width(), 40);
    drawScene(once);
    drawScene(twice);
    const QImage doubled = once.bitmap.image().scaled(80, 64);
    EXPECT_EQ(twice.bitmap.image().convertToFormat(QImage::Format_RGB32),
              doubled.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(twice.rows({{0, '#'}, {red, 'r'}, {blue, 'b'}, {green, 'g'}, {0xC0C0C0, 'c'}}),
              once.rows({{0, '#'}, {red, 'r'}, {blue, 'b'}, {green, 'g'}, {0xC0C0C0, 'c'}}));
}

// A one-pixel line is two device pixels wide, pure black, with nothing beside it and its end
// point left out.
TEST(HiDpiDrawing, OnePixelLineIsTwoCrispDevicePixelsWide)
{
    Canvas canvas(12, 8, 0xFFFFFF, 2.0);
    canvas.dc.selectPen(Pen::solid(0));
    canvas.dc.moveTo(1, 3);
    canvas.dc.lineTo(10, 3);
    canvas.dc.moveTo(5, 5);
    canvas.dc.lineTo(5, 7);
    const QImage& image = canvas.bitmap.image();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool onLine =
                (y / 2 == 3 && x / 2 >= 1 && x / 2 < 10) || (x / 2 == 5 && y / 2 >= 5 && y / 2 < 7);
            ASSERT_EQ(image.pixel(x, y), onLine ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
                << x << "," << y;
        }
    }
}

// At a ratio that is not whole, logical pixels cover one or two device pixels each and every
// device pixel belongs to exactly one of them: neighbouring fills neither overlap nor leave a
// gap, and nothing is blended.
TEST(HiDpiDrawing, FractionalRatioGivesEveryDevicePixelToOneLogicalPixel)
{
    Canvas canvas(9, 4, 0xFFFFFF, 1.5);
    const QImage& image = canvas.bitmap.image();
    ASSERT_EQ(image.size(), QSize(13, 6));
    auto colour = [](int x) { return RGB(20 * x, 255 - 20 * x, 7 * x); };
    for (int x = 0; x < 9; ++x)
        canvas.dc.fillRect({x, 0, x + 1, 4}, Brush::solid(colour(x)));
    std::vector<int> covered(9, 0);
    int previous = 0;
    for (int column = 0; column < image.width(); ++column) {
        const COLORREF shown = pixels::toColorref(image.pixel(column, 2));
        int owner = -1;
        for (int x = 0; x < 9; ++x)
            owner = colour(x) == shown ? x : owner;
        ASSERT_GE(owner, previous) << "device column " << column;
        ++covered[std::size_t(owner)];
        previous = owner;
    }
    for (int x = 0; x < 9; ++x) {
        EXPECT_GE(covered[std::size_t(x)], 1) << x;
        EXPECT_LE(covered[std::size_t(x)], 2) << x;
        EXPECT_EQ(canvas.dc.getPixel(x, 3), colour(x));
    }
}

Font testFont()
{
    LogFont description;
    description.height = -16;
    description.faceName = QStringLiteral("DejaVu Sans");
    return Font::create(description);
}

int grey(QRgb pixel)
{
    return qGray(pixel);
}

// Text at twice the ratio is laid out in logical pixels as at ratio 1 but drawn with the
// device pixels: its stems reach full black and its edges are sharper than the ratio-1
// drawing scaled up, which is what a screen of that ratio would otherwise show.
TEST(HiDpiDrawing, TextIsDrawnSharpAtTheDeviceResolution)
{
    const QString text = QStringLiteral("Ill 75 %");
    Canvas once(90, 24);
    Canvas twice(90, 24, 0xFFFFFF, 2.0);
    for (Canvas* canvas : {&once, &twice}) {
        canvas->dc.selectFont(testFont());
        canvas->dc.setBkMode(TRANSPARENT);
        Rect box{4, 2, 86, 22};
        canvas->dc.drawText(text, box, DT_SINGLELINE | DT_VCENTER);
    }
    Rect measuredOnce{0, 0, 0, 0};
    Rect measuredTwice{0, 0, 0, 0};
    once.dc.drawText(text, measuredOnce, DT_CALCRECT);
    twice.dc.drawText(text, measuredTwice, DT_CALCRECT);
    EXPECT_EQ(measuredTwice, measuredOnce);

    // In the same place, within a logical pixel.
    const QRect inkOnce = once.ink();
    const QRect inkTwice = twice.ink();
    ASSERT_FALSE(inkOnce.isNull());
    EXPECT_NEAR(inkTwice.left(), inkOnce.left(), 1);
    EXPECT_NEAR(inkTwice.right(), inkOnce.right(), 1);
    EXPECT_NEAR(inkTwice.top(), inkOnce.top(), 1);
    EXPECT_NEAR(inkTwice.bottom(), inkOnce.bottom(), 1);

    const QImage& fine = twice.bitmap.image();
    const QImage scaledUp =
        once.bitmap.image().scaled(fine.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_NE(fine.convertToFormat(QImage::Format_RGB32),
              once.bitmap.image().scaled(fine.size()).convertToFormat(QImage::Format_RGB32));
    EXPECT_LT(blurredShare(fine), blurredShare(scaledUp) * 0.75);

    // The middle device row of the first stem holds full-black pixels.
    const int row = inkOnce.top() + inkOnce.bottom();
    int darkest = 255;
    for (int x = 2 * inkOnce.left(); x < 2 * inkOnce.left() + 8; ++x)
        darkest = std::min(darkest, grey(fine.pixel(x, row)));
    EXPECT_LE(darkest, 16);
}

}  // namespace
