#include "GdiTestHelpers.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>

namespace {

using namespace gdi;
using gditest::Canvas;

void line(DeviceContext& dc, int x0, int y0, int x1, int y1)
{
    dc.moveTo(x0, y0);
    dc.lineTo(x1, y1);
}

TEST(DeviceContextLines, LeaveOutTheEndPointInEveryDirection)
{
    Canvas canvas(8, 6);
    line(canvas.dc, 1, 0, 5, 0);  // right: 1..4
    line(canvas.dc, 6, 1, 2, 1);  // left: 6..3
    line(canvas.dc, 0, 2, 0, 5);  // down: rows 2..4
    line(canvas.dc, 7, 5, 7, 5);  // a line of no length draws nothing
    EXPECT_EQ(canvas.rows(), QStringList({".####...", "...####.", "#.......", "#.......",
                                          "#.......", "........"}));
    EXPECT_EQ(canvas.dc.currentPosition(), QPoint(7, 5));
}

TEST(DeviceContextLines, SlopesFollowBresenham)
{
    Canvas canvas(6, 6);
    line(canvas.dc, 0, 0, 4, 4);
    EXPECT_EQ(canvas.rows(),
              QStringList({"#.....", ".#....", "..#...", "...#..", "......", "......"}));
    Canvas shallow(6, 3);
    line(shallow.dc, 0, 0, 4, 2);
    EXPECT_EQ(shallow.rows(), QStringList({"#.....", ".##...", "...#.."}));
    Canvas steep(3, 6);
    line(steep.dc, 2, 5, 0, 1);  // upwards to the left: end (0, 1) left out
    EXPECT_EQ(steep.rows(), QStringList({"...", "...", "#..", ".#.", ".#.", "..#"}));
}

TEST(DeviceContextLines, PenColourNullPenClippingAndHugeCoordinates)
{
    Canvas canvas(10, 3);
    const Pen previous = canvas.dc.selectPen(Pen::solid(RGB(255, 0, 0)));
    EXPECT_EQ(previous.color(), 0u);
    line(canvas.dc, 0, 0, 3, 0);
    canvas.dc.selectPen(Pen::null());
    line(canvas.dc, 0, 1, 9, 1);
    canvas.dc.selectPen(Pen::solid(0));
    canvas.dc.selectClipRgn(Region::rect(2, 0, 5, 3));
    QElapsedTimer timer;
    timer.start();
    line(canvas.dc, -2000000000, 2, 2000000000, 2);
    EXPECT_LT(timer.elapsed(), 1000);
    canvas.dc.removeClipRgn();
    EXPECT_EQ(canvas.rows({{0, '#'}, {RGB(255, 0, 0), 'r'}}),
              QStringList({"rrr.......", "..........", "..###....."}));
}

TEST(DeviceContextRects, FillAndFrameLeaveOutRightAndBottom)
{
    Canvas canvas(7, 6);
    canvas.dc.fillRect({1, 1, 4, 3}, Brush::solid(0));
    canvas.dc.frameRect({3, 2, 7, 6}, Brush::solid(RGB(0, 0, 255)));
    canvas.dc.fillRect({5, 0, 5, 4}, Brush::solid(0));  // empty
    canvas.dc.fillRect({6, 4, 2, 1}, Brush::solid(0));  // inverted: nothing
    EXPECT_EQ(canvas.rows({{0, '#'}, {RGB(0, 0, 255), 'b'}}),
              QStringList({".......", ".###...", ".##bbbb", "...b..b", "...b..b", "...bbbb"}));
}

TEST(DeviceContextRects, HugeRectanglesAreClippedToTheBitmap)
{
    Canvas canvas(4, 3);
    canvas.dc.fillRect({INT32_MIN, 1, INT32_MAX, 2}, Brush::solid(0));
    canvas.dc.frameRect({-5, -5, 2000000000, 3}, Brush::solid(0));
    EXPECT_EQ(canvas.rows(), QStringList({"....", "####", "####"}));
}

TEST(DeviceContextPixels, SetAndGetInsideBitmapAndClip)
{
    Canvas canvas(4, 4);
    EXPECT_EQ(canvas.dc.setPixel(1, 2, 0x123456), 0x123456u);
    EXPECT_EQ(canvas.dc.getPixel(1, 2), 0x123456u);
    EXPECT_EQ(canvas.dc.setPixel(4, 0, 0), CLR_INVALID);
    EXPECT_EQ(canvas.dc.getPixel(-1, 0), CLR_INVALID);
    canvas.dc.selectClipRgn(Region::rect(0, 0, 2, 2));
    EXPECT_EQ(canvas.dc.setPixel(3, 3, 0), CLR_INVALID);
    EXPECT_EQ(canvas.dc.getPixel(1, 2), CLR_INVALID);
    canvas.dc.removeClipRgn();
    EXPECT_EQ(canvas.dc.getPixel(3, 3), 0xFFFFFFu);
}

TEST(DeviceContextEdges, RaisedSunkenEtchedAndBumpUseTheSystemColours)
{
    const COLORREF light = GetSysColor(host::COLOR_3DLIGHT);
    const COLORREF dark = GetSysColor(host::COLOR_3DDKSHADOW);
    const COLORREF shadow = GetSysColor(host::COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(host::COLOR_BTNHIGHLIGHT);
    const std::map<COLORREF, char> legend = {
        {light, 'l'}, {dark, 'd'}, {shadow, 's'}, {highlight, 'h'}};
    Canvas raised(5, 5, 0x0000FF);
    raised.dc.drawEdge({0, 0, 5, 5}, EDGE_RAISED, BF_RECT);
    // The bottom and right lines own the top-right and bottom-left corners.
    EXPECT_EQ(raised.rows(legend), QStringList({"lllld", "lhhsd", "lh?sd", "lsssd", "ddddd"}));

    Canvas sunken(4, 4, 0x0000FF);
    sunken.dc.drawEdge({0, 0, 4, 4}, EDGE_SUNKEN, BF_RECT);
    EXPECT_EQ(sunken.rows(legend), QStringList({"sssh", "sdlh", "sllh", "hhhh"}));

    Canvas etched(4, 4, 0x0000FF);
    etched.dc.drawEdge({0, 0, 4, 4}, EDGE_ETCHED, BF_RECT);
    EXPECT_EQ(etched.rows(legend), QStringList({"sssh", "shsh", "sssh", "hhhh"}));

    Canvas bump(4, 4, 0x0000FF);
    bump.dc.drawEdge({0, 0, 4, 4}, EDGE_BUMP, BF_RECT);
    EXPECT_EQ(bump.rows(legend), QStringList({"llld", "ldld", "llld", "dddd"}));

    Canvas sides(4, 3, 0x0000FF);
    sides.dc.drawEdge({0, 0, 4, 3}, BDR_SUNKENOUTER, BF_LEFT | BF_TOP);
    EXPECT_EQ(sides.rows(legend), QStringList({"ssss", "s???", "s???"}));
}

TEST(DeviceContextBrushes, HatchesTileFromTheDeviceOriginOverTheBackground)
{
    const std::map<COLORREF, char> legend = {{0, '#'}, {RGB(0, 255, 0), 'g'}};
    const char* expected[][8] = {
        {"gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg", "gggggggg",
         "########"},
        {"ggggggg#", "ggggggg#", "ggggggg#", "ggggggg#", "ggggggg#", "ggggggg#", "ggggggg#",
         "ggggggg#"},
        {"#ggggggg", "g#gggggg", "gg#ggggg", "ggg#gggg", "gggg#ggg", "ggggg#gg", "gggggg#g",
         "ggggggg#"},
        {"ggggggg#", "gggggg#g", "ggggg#gg", "gggg#ggg", "ggg#gggg", "gg#ggggg", "g#gggggg",
         "#ggggggg"},
        {"ggggggg#", "ggggggg#", "ggggggg#", "ggggggg#", "ggggggg#", "ggggggg#", "ggggggg#",
         "########"},
        {"#gggggg#", "g#gggg#g", "gg#gg#gg", "ggg##ggg", "ggg##ggg", "gg#gg#gg", "g#gggg#g",
         "#gggggg#"},
    };
    for (int style = HS_HORIZONTAL; style <= HS_DIAGCROSS; ++style) {
        Canvas canvas(11, 11);
        canvas.dc.setBkColor(RGB(0, 255, 0));
        canvas.dc.fillRect({3, 3, 11, 11}, Brush::hatch(style, 0));
        // Device rows 8..10 and columns 8..10 repeat cell rows and columns 0..2.
        for (int y = 3; y < 11; ++y) {
            const QString row = canvas.row(y, legend);
            for (int x = 3; x < 11; ++x)
                EXPECT_EQ(row[x], QChar(expected[style][y % 8][x % 8]))
                    << "style " << style << " at " << x << "," << y;
        }
        EXPECT_EQ(canvas.row(0, legend), "...........");
    }
}

TEST(DeviceContextBrushes, TransparentModeKeepsTheBackgroundAndSolidStyleFillsAll)
{
    Canvas canvas(8, 8);
    canvas.dc.setBkColor(RGB(0, 255, 0));
    EXPECT_EQ(canvas.dc.setBkMode(TRANSPARENT), OPAQUE);
    canvas.dc.fillRect({0, 0, 8, 8}, Brush::hatch(HS_CROSS, 0));
    EXPECT_EQ(canvas.row(0), ".......#");
    EXPECT_EQ(canvas.row(7), "########");
    Canvas solid(3, 1);
    solid.dc.fillRect({0, 0, 3, 1}, Brush::hatch(HS_SOLID, 0));
    EXPECT_EQ(solid.row(0), "###");
    EXPECT_EQ(canvas.dc.setBkMode(7), 0);
}

TEST(DeviceContextBrushes, PatternBrushTilesTheBitmapForPatBlt)
{
    QImage tile(3, 2, QImage::Format_RGB32);
    tile.fill(Qt::white);
    tile.setPixel(0, 0, qRgb(0, 0, 0));
    Canvas canvas(8, 4);
    const Brush previous = canvas.dc.selectBrush(Brush::pattern(Bitmap::fromImage(tile)));
    EXPECT_EQ(previous.kind(), Brush::Kind::Solid);
    EXPECT_TRUE(canvas.dc.patBlt(7, 3, -6, -3, PATCOPY));  // the rectangle 1..6 x 0..2
    EXPECT_FALSE(canvas.dc.patBlt(0, 0, 8, 4, SRCCOPY));
    EXPECT_EQ(canvas.rows(), QStringList({"...#..#.", "........", "...#..#.", "........"}));
}

TEST(DeviceContextShapes, RoundRectHasRoundedCornersInsideItsBounds)
{
    Canvas canvas(9, 7, 0x0000FF);
    canvas.dc.selectBrush(Brush::solid(RGB(0, 255, 0)));
    canvas.dc.roundRect(0, 0, 9, 7, 4, 4);
    EXPECT_EQ(canvas.rows({{0, '#'}, {RGB(0, 255, 0), 'g'}}),
              QStringList({"?#######?", "#ggggggg#", "#ggggggg#", "#ggggggg#", "#ggggggg#",
                           "#ggggggg#", "?#######?"}));
    Canvas square(4, 3);
    square.dc.selectBrush(Brush::hollow());
    square.dc.rectangle(0, 0, 4, 3);
    EXPECT_EQ(square.rows(), QStringList({"####", "#..#", "####"}));
}

TEST(DeviceContextShapes, PolygonFillsCentresAndOutlinesEveryEdge)
{
    Canvas canvas(6, 5);
    canvas.dc.selectPen(Pen::null());
    canvas.dc.selectBrush(Brush::solid(0));
    canvas.dc.polygon(QPolygon({QPoint(0, 0), QPoint(5, 0), QPoint(0, 5)}));
    EXPECT_EQ(canvas.rows(), QStringList({"####..", "###...", "##....", "#.....", "......"}));
    Canvas outlined(5, 5);
    outlined.dc.selectBrush(Brush::hollow());
    outlined.dc.polygon(QPolygon({QPoint(0, 0), QPoint(4, 0), QPoint(4, 4), QPoint(0, 4)}));
    EXPECT_EQ(outlined.rows(), QStringList({"#####", "#...#", "#...#", "#...#", "#####"}));
}

}  // namespace
