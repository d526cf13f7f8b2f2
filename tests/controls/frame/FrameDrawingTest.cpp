// The frame's shared drawing procedures, pixel by pixel on a memory device context.
#include "controls/frame/FrameDrawing.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"

#include <gtest/gtest.h>
#include <QPainter>

using namespace XrFrame;

namespace {

constexpr COLORREF paper = 0x00FF00;  // a colour no procedure below draws

class Canvas {
public:
    Canvas(int width, int height) : m_bitmap(gdi::Bitmap::create(width, height))
    {
        m_dc.selectBitmap(m_bitmap);
        m_dc.fillRect({0, 0, width, height}, gdi::Brush::solid(paper));
    }
    gdi::DeviceContext& dc() { return m_dc; }
    COLORREF at(int x, int y) const { return m_dc.getPixel(x, y); }

private:
    gdi::Bitmap m_bitmap;
    gdi::DeviceContext m_dc;
};

TEST(FrameDrawing, LinesLeaveOutTheirEndAndOutlinesCloseTheBox)
{
    Canvas canvas(20, 12);
    DrawLineColor(canvas.dc(), 2, 1, 8, 1, 0x0000FF);
    EXPECT_EQ(canvas.at(2, 1), 0x0000FFu);
    EXPECT_EQ(canvas.at(7, 1), 0x0000FFu);
    EXPECT_EQ(canvas.at(8, 1), paper);

    // Columns 10 .. 15 and rows 3 .. 8, both ends included.
    DrawBoxOutline(canvas.dc(), 10, 3, 5, 5, 0xFF0000);
    for (int x = 10; x <= 15; ++x) {
        EXPECT_EQ(canvas.at(x, 3), 0xFF0000u) << x;
        EXPECT_EQ(canvas.at(x, 8), 0xFF0000u) << x;
    }
    for (int y = 3; y <= 8; ++y) {
        EXPECT_EQ(canvas.at(10, y), 0xFF0000u) << y;
        EXPECT_EQ(canvas.at(15, y), 0xFF0000u) << y;
    }
    EXPECT_EQ(canvas.at(12, 5), paper);
    EXPECT_EQ(canvas.at(16, 3), paper);
    EXPECT_EQ(canvas.at(10, 9), paper);

    // A 1 x 1 outline is a 2 x 2 dot (the grip dots of the Messenger style).
    DrawBoxOutline(canvas.dc(), 1, 5, 1, 1, 0);
    EXPECT_EQ(canvas.at(1, 5), 0u);
    EXPECT_EQ(canvas.at(2, 6), 0u);
    EXPECT_EQ(canvas.at(3, 5), paper);
}

TEST(FrameDrawing, BlendHalfRoundsHalvesToEven)
{
    EXPECT_EQ(BlendHalf(gdi::RGB(1, 0, 3), gdi::RGB(2, 1, 4)), gdi::RGB(2, 0, 4));
    EXPECT_EQ(BlendHalf(0, 0xFFFFFF), gdi::RGB(128, 128, 128));
    EXPECT_EQ(BlendHalf(gdi::RGB(129, 169, 226), 0xFFFFFF), gdi::RGB(192, 212, 240));
}

// The end lines of a gradient are left out; the inner ones step evenly.
TEST(FrameDrawing, GradientLinesDrawOnlyTheInnerLines)
{
    Canvas canvas(30, 30);
    // Rows 2 + i for i = 1 .. 4 from column 3 up to (not including) column 9.
    GradientLines(canvas.dc(), gdi::RGB(0, 0, 0), gdi::RGB(100, 200, 250), 3, 2, 9, 5, true);
    EXPECT_EQ(canvas.at(3, 2), paper);
    EXPECT_EQ(canvas.at(3, 3), gdi::RGB(20, 40, 50));
    EXPECT_EQ(canvas.at(8, 6), gdi::RGB(80, 160, 200));
    EXPECT_EQ(canvas.at(9, 6), paper);
    EXPECT_EQ(canvas.at(3, 7), paper);

    // Columns 12 + i for i = 1 .. 3, from row 20 up to row 24.
    GradientLines(canvas.dc(), gdi::RGB(200, 0, 0), gdi::RGB(0, 0, 0), 12, 20, 4, 24, false);
    EXPECT_EQ(canvas.at(12, 20), paper);
    EXPECT_EQ(canvas.at(13, 20), gdi::RGB(150, 0, 0));
    EXPECT_EQ(canvas.at(15, 23), gdi::RGB(50, 0, 0));
    EXPECT_EQ(canvas.at(15, 24), paper);
    EXPECT_EQ(canvas.at(16, 20), paper);
}

TEST(FrameDrawing, GradientOfNoLinesDrawsNothingInsteadOfFailing)
{
    Canvas canvas(10, 10);
    GradientLines(canvas.dc(), 0, 0xFFFFFF, 0, 0, 10, 0, true);
    GradientLines(canvas.dc(), 0, 0xFFFFFF, 0, 0, -5, 10, false);
    GradientLines(canvas.dc(), 0, 0xFFFFFF, 0, 0, 10, 1, true);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(canvas.at(x, y), paper);
}

// A vertical cylinder header 22 pixels high at row y: rows y + 1 .. y + 10 run from colour1
// towards colour2, rows y + 11 .. y + 21 back; rows y and y + 22 are the border. Channel 132
// splits evenly into 11 and 12 steps.
TEST(FrameDrawing, CylinderHeaderOf22RowsRunsOutAndBack)
{
    Canvas canvas(40, 40);
    const int y = 5;
    const COLORREF border = 0x00FFFF;
    HeaderGradient(canvas.dc(), gdi::RGB(0, 0, 0), gdi::RGB(132, 0, 0), 2, y, 30, 22,
                   GradientVCylinder, true, border, 2.01);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(canvas.at(10, y + i), gdi::RGB(12 * i, 0, 0)) << "row " << y + i;
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(canvas.at(10, y + 10 + i), gdi::RGB(132 - 11 * i, 0, 0)) << "row " << y + 10 + i;
    EXPECT_EQ(canvas.at(10, y), border);
    EXPECT_EQ(canvas.at(10, y + 22), border);
    EXPECT_EQ(canvas.at(2, y + 5), border);
    EXPECT_EQ(canvas.at(32, y + 5), border);
    EXPECT_EQ(canvas.at(31, y + 5), gdi::RGB(60, 0, 0));
    EXPECT_EQ(canvas.at(33, y + 5), paper);
    EXPECT_EQ(canvas.at(10, y + 23), paper);
}

TEST(FrameDrawing, HeaderGradientStyles)
{
    // Vertical and horizontal run from colour2 (top, left) to colour1.
    Canvas vertical(20, 20);
    HeaderGradient(vertical.dc(), gdi::RGB(0, 0, 100), gdi::RGB(0, 0, 0), 0, 0, 10, 10,
                   GradientVertical, false, 0, 2.01);
    EXPECT_EQ(vertical.at(4, 1), gdi::RGB(0, 0, 10));
    EXPECT_EQ(vertical.at(4, 9), gdi::RGB(0, 0, 90));
    EXPECT_EQ(vertical.at(4, 0), paper);

    Canvas horizontal(20, 20);
    HeaderGradient(horizontal.dc(), gdi::RGB(0, 100, 0), gdi::RGB(0, 0, 0), 0, 0, 10, 10,
                   GradientHorizontal, false, 0, 2.01);
    EXPECT_EQ(horizontal.at(1, 4), gdi::RGB(0, 10, 0));
    EXPECT_EQ(horizontal.at(9, 4), gdi::RGB(0, 90, 0));
    EXPECT_EQ(horizontal.at(9, 10), paper);

    // Across the width the cylinder turns back after w / factor columns.
    Canvas across(40, 10);
    HeaderGradient(across.dc(), gdi::RGB(0, 0, 0), gdi::RGB(132, 0, 0), 0, 0, 22, 8,
                   GradientHCylinder, false, 0, 2.01);
    EXPECT_EQ(across.at(1, 3), gdi::RGB(12, 0, 0));
    EXPECT_EQ(across.at(10, 3), gdi::RGB(120, 0, 0));
    EXPECT_EQ(across.at(11, 3), gdi::RGB(121, 0, 0));
    EXPECT_EQ(across.at(21, 3), gdi::RGB(11, 0, 0));

    // An unknown style draws only the border.
    Canvas unknown(20, 20);
    HeaderGradient(unknown.dc(), 0, 0xFFFFFF, 0, 0, 10, 10, 7, true, 0xFF, 2.01);
    EXPECT_EQ(unknown.at(5, 5), paper);
    EXPECT_EQ(unknown.at(10, 5), 0xFFu);
}

TEST(FrameDrawing, ShortenCaptionKeepsTheLongestFittingStart)
{
    Canvas canvas(10, 10);
    const gdi::DeviceContext& dc = canvas.dc();
    auto width = [&](const QString& text) { return dc.textExtent(text).width(); };
    const QString caption = QStringLiteral("Paragraph settings");

    EXPECT_EQ(ShortenCaption(dc, caption, width(caption)), caption);
    EXPECT_EQ(ShortenCaption(dc, caption, width(caption) + 50), caption);

    const int room = width(QStringLiteral("Paragr...")) + 1;
    const QString shortened = ShortenCaption(dc, caption, room);
    ASSERT_TRUE(shortened.endsWith(QStringLiteral("...")));
    const QString head = shortened.chopped(3);
    EXPECT_TRUE(caption.startsWith(head));
    EXPECT_LE(width(shortened), room);
    EXPECT_GT(width(caption.left(head.size() + 1) + QStringLiteral("...")), room);

    // A long caption, and one of characters outside the basic plane, which is never cut
    // inside a pair.
    const QString longCaption = caption.repeated(2000);
    const QString longShortened = ShortenCaption(dc, longCaption, room);
    EXPECT_EQ(longShortened, shortened);
    const QString faces = QString(QChar(u'a')) + QString::fromUtf8("\U0001F600").repeated(40);
    for (int limit = width(QStringLiteral("a...")); limit < width(faces); limit += 3) {
        const QString cut = ShortenCaption(dc, faces, limit).chopped(3);
        ASSERT_FALSE(cut.isEmpty());
        ASSERT_FALSE(cut.back().isHighSurrogate()) << limit;
    }

    // Too narrow for one character and "...": nothing at all.
    EXPECT_EQ(ShortenCaption(dc, caption, width(QStringLiteral("P...")) - 1), QString());
    EXPECT_EQ(ShortenCaption(dc, caption, -10), QString());
}

// Grey is round(round(red x 0.3) + green x 0.59 + blue x 0.11), halves to even; pixels that
// show the key colour (black, or transparent over black) keep the surface.
TEST(FrameDrawing, GreyIconWeightsAndTransparentBlack)
{
    QImage picture(3, 2, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));     // 76.5 rounds to 76
    picture.setPixel(1, 0, qRgb(15, 0, 0));      // 4.5 rounds to 4
    picture.setPixel(2, 0, qRgb(120, 200, 40));  // 36 + 118 + 4.4
    picture.setPixel(0, 1, qRgb(0, 0, 0));       // key colour
    picture.setPixel(1, 1, qRgba(0, 0, 0, 0));   // transparent
    picture.setPixel(2, 1, qRgb(10, 20, 30));    // 3 + 11.8 + 3.3

    Canvas canvas(10, 10);
    const COLORREF surface = gdi::RGB(1, 2, 3);
    canvas.dc().fillRect({0, 0, 10, 10}, gdi::Brush::solid(surface));
    DrawGreyIcon(canvas.dc(), 4, 5, 3, 2, picture, 0);
    EXPECT_EQ(canvas.at(4, 5), gdi::RGB(76, 76, 76));
    EXPECT_EQ(canvas.at(5, 5), gdi::RGB(4, 4, 4));
    EXPECT_EQ(canvas.at(6, 5), gdi::RGB(158, 158, 158));
    EXPECT_EQ(canvas.at(4, 6), surface);
    EXPECT_EQ(canvas.at(5, 6), surface);
    EXPECT_EQ(canvas.at(6, 6), gdi::RGB(18, 18, 18));
    EXPECT_EQ(canvas.at(3, 5), surface);
    EXPECT_EQ(canvas.at(7, 5), surface);

    // Sizes below 0 take the picture's own; 0 draws nothing.
    Canvas own(10, 10);
    DrawGreyIcon(own.dc(), 0, 0, -1, -1, picture, 0);
    EXPECT_EQ(own.at(2, 0), gdi::RGB(158, 158, 158));
    EXPECT_EQ(own.at(3, 0), paper);
    Canvas none(10, 10);
    DrawGreyIcon(none.dc(), 0, 0, 0, 2, picture, 0);
    EXPECT_EQ(none.at(0, 0), paper);
}

TEST(FrameDrawing, GreyIconPartlyOutsideTheSurface)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    Canvas canvas(6, 6);
    DrawGreyIcon(canvas.dc(), 4, -2, 4, 4, picture, 0);
    EXPECT_EQ(canvas.at(4, 0), gdi::RGB(76, 76, 76));
    EXPECT_EQ(canvas.at(5, 1), gdi::RGB(76, 76, 76));
    EXPECT_EQ(canvas.at(3, 0), paper);
    EXPECT_EQ(canvas.at(4, 2), paper);
}

}  // namespace
