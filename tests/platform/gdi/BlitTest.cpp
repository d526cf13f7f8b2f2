#include "GdiTestHelpers.h"

#include "platform/gdi/WidgetSurface.h"

#include <gtest/gtest.h>
#include <QPainter>
#include <QWidget>

namespace {

using namespace gdi;
using gditest::Canvas;

// A 4 x 2 source: row 0 is red, green, blue, black; row 1 white, black, white, black.
struct Source : Canvas {
    Source() : Canvas(4, 2)
    {
        const COLORREF top[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), 0};
        for (int x = 0; x < 4; ++x) {
            dc.setPixel(x, 0, top[x]);
            dc.setPixel(x, 1, x % 2 ? 0 : 0xFFFFFF);
        }
    }
};

const std::map<COLORREF, char> legend = {
    {0, '#'}, {RGB(255, 0, 0), 'r'}, {RGB(0, 255, 0), 'g'}, {RGB(0, 0, 255), 'b'}};

TEST(DeviceContextBlit, BitBltCopiesAndClipsAtEveryEdge)
{
    const Source from;
    Canvas to(5, 3);
    EXPECT_TRUE(to.dc.bitBlt(2, 1, 4, 2, from.dc, 0, 0));
    EXPECT_TRUE(to.dc.bitBlt(-1, 0, 2, 1, from.dc, 1, 0));  // lands partly left of the bitmap
    EXPECT_TRUE(to.dc.bitBlt(0, 2, 3, 3, from.dc, 3, -1));  // reads partly outside the source
    EXPECT_FALSE(to.dc.bitBlt(0, 0, 1, 1, from.dc, 0, 0, PATCOPY));
    EXPECT_EQ(to.rows(legend), QStringList({"b....", "..rgb", "...#."}));
}

TEST(DeviceContextBlit, OverlappingCopyWithinOneBitmapReadsTheOldPixels)
{
    Source canvas;
    canvas.dc.bitBlt(1, 0, 3, 1, canvas.dc, 0, 0);
    EXPECT_EQ(canvas.row(0, legend), "rrgb");
}

TEST(DeviceContextBlit, StretchBltScalesByNearestPixelAndMirrors)
{
    const Source from;
    Canvas wide(8, 2);
    wide.dc.stretchBlt(0, 0, 8, 2, from.dc, 0, 0, 4, 2);
    EXPECT_EQ(wide.rows(legend), QStringList({"rrggbb##", "..##..##"}));
    Canvas mirrored(4, 1);
    mirrored.dc.stretchBlt(3, 0, -4, 1, from.dc, 0, 0, 4, 1);
    EXPECT_EQ(mirrored.row(0, legend), "#bgr");
    Canvas halved(2, 1);
    halved.dc.stretchBlt(0, 0, 2, 1, from.dc, 0, 0, 4, 1);
    EXPECT_EQ(halved.row(0, legend), "g#");
}

TEST(DeviceContextDib, GetDIBitsGivesPaddedBottomUpRowsThatSetDIBitsPutsBack)
{
    const Source from;
    BitmapInfoHeader header;
    header.biWidth = 4;
    header.biHeight = 2;
    QByteArray bits;
    ASSERT_EQ(getDIBits(from.bitmap, 0, 2, bits, header), 2);
    EXPECT_EQ(header.biSizeImage, 24u);  // two rows of 12 bytes
    EXPECT_EQ(dibStride24(5), 16);       // rows are padded to whole 4-byte words
    // The first DIB row is the bitmap's bottom row: white, black, white, black.
    EXPECT_EQ(bits.left(6), QByteArray("\xFF\xFF\xFF\x00\x00\x00", 6));
    // The second is the top row, blue-green-red per pixel: red first.
    EXPECT_EQ(bits.mid(12, 6), QByteArray("\x00\x00\xFF\x00\xFF\x00", 6));

    Canvas to(6, 3);
    EXPECT_EQ(to.dc.setDIBitsToDevice(1, 1, 4, 2, 0, 0, 0, 2, bits, header), 2);
    EXPECT_EQ(to.rows(legend), QStringList({"......", ".rgb#.", "..#.#."}));

    EXPECT_EQ(to.dc.setDIBitsToDevice(0, 0, 4, 2, 0, 0, 0, 2, bits.left(20), header), 0);
    header.biBitCount = 32;
    EXPECT_EQ(getDIBits(from.bitmap, 0, 2, bits, header), 0);
}

TEST(WidgetSurface, FollowsTheWidgetSizeAndPresentsItsBitmap)
{
    QWidget widget;
    widget.resize(6, 4);
    WidgetSurface surface(&widget, RGB(0, 0, 255));
    EXPECT_EQ(surface.bitmap().width(), 6);
    surface.dc().fillRect({0, 0, 2, 2}, Brush::solid(0));
    DeviceContext* dc = &surface.dc();
    widget.resize(8, 5);
    surface.resizeToWidget();
    EXPECT_EQ(&surface.dc(), dc);
    EXPECT_EQ(surface.bitmap().height(), 5);
    EXPECT_EQ(dc->getPixel(1, 1), 0u);
    EXPECT_EQ(dc->getPixel(7, 4), RGB(0, 0, 255));
    EXPECT_EQ(clientRect(&widget), (Rect{0, 0, 8, 5}));

    QImage shown(8, 5, QImage::Format_RGB32);
    QPainter painter(&shown);
    surface.present(painter, shown.rect());
    painter.end();
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(7, 4), qRgb(0, 0, 255));
}

}  // namespace
