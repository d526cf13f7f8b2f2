// Text drawing: tests compare where ink falls and what measuring reports, never glyph pixels.
#include "GdiTestHelpers.h"

#include "platform/host/Units.h"

#include <gtest/gtest.h>
#include <QFontMetrics>

namespace {

using namespace gdi;
using gditest::Canvas;

Font testFont(int pixels = -14)
{
    LogFont description;
    description.height = pixels;
    description.faceName = QStringLiteral("DejaVu Sans");
    return Font::create(description);
}

TEST(DeviceContextText, CalcRectMeasuresWithoutDrawing)
{
    Canvas canvas(200, 60);
    canvas.dc.selectFont(testFont());
    Rect rect{10, 5, 10, 5};
    const int height = canvas.dc.drawText(QStringLiteral("Loading 37 %"), rect, DT_CALCRECT);
    const QSize extent = canvas.dc.textExtent(QStringLiteral("Loading 37 %"));
    EXPECT_EQ(rect, (Rect{10, 5, 10 + extent.width(), 5 + extent.height()}));
    EXPECT_EQ(height, extent.height());
    EXPECT_TRUE(canvas.ink().isNull());
    EXPECT_EQ(extent.height(), QFontMetrics(testFont().qfont()).height());

    // Word breaking wraps to the rectangle's width; "&&" measures as one "&".
    Rect narrow{0, 0, extent.width() / 2, 0};
    EXPECT_EQ(
        canvas.dc.drawText(QStringLiteral("Loading 37 %"), narrow, DT_CALCRECT | DT_WORDBREAK),
        2 * extent.height());
    EXPECT_LE(narrow.right, extent.width());
    Rect amp{0, 0, 0, 0};
    canvas.dc.drawText(QStringLiteral("A&&B"), amp, DT_CALCRECT);
    EXPECT_EQ(amp.right, canvas.dc.textExtent(QStringLiteral("A&B")).width());
    Rect raw{0, 0, 0, 0};
    canvas.dc.drawText(QStringLiteral("A&&B"), raw, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(raw.right, canvas.dc.textExtent(QStringLiteral("A&&B")).width());
}

TEST(DeviceContextText, AlignmentPlacesInkInsideTheRectangle)
{
    const QString text = QStringLiteral("100 %");
    Canvas left(200, 40);
    left.dc.selectFont(testFont());
    Rect box{20, 0, 180, 40};
    left.dc.drawText(text, box, DT_SINGLELINE | DT_VCENTER);
    const QRect leftInk = left.ink();
    ASSERT_FALSE(leftInk.isNull());
    EXPECT_GE(leftInk.left(), 20);
    EXPECT_LT(leftInk.left(), 26);

    Canvas centred(200, 40);
    centred.dc.selectFont(testFont());
    centred.dc.drawText(text, box, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    const QRect centreInk = centred.ink();
    EXPECT_NEAR(centreInk.center().x(), 100, 4);
    EXPECT_NEAR(centreInk.center().y(), 20, 4);

    Canvas right(200, 40);
    right.dc.selectFont(testFont());
    right.dc.drawText(text, box, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    const QRect rightInk = right.ink();
    EXPECT_LE(rightInk.right(), 179);
    EXPECT_GT(rightInk.right(), 170);
    EXPECT_GT(rightInk.bottom(), 30);
}

TEST(DeviceContextText, ClipsToTheRectangleUnlessNoClip)
{
    Canvas clipped(200, 40);
    clipped.dc.selectFont(testFont(-20));
    Rect part{10, 5, 40, 35};
    clipped.dc.drawText(QStringLiteral("WWWWWWWW"), part, DT_SINGLELINE);
    EXPECT_LE(clipped.ink().right(), 39);
    EXPECT_GE(clipped.ink().left(), 10);

    Canvas free(200, 40);
    free.dc.selectFont(testFont(-20));
    free.dc.drawText(QStringLiteral("WWWWWWWW"), part, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(free.ink().right(), 60);
}

TEST(DeviceContextText, EndEllipsisKeepsTheLineInsideTheBox)
{
    Canvas canvas(300, 30);
    canvas.dc.selectFont(testFont());
    const QString caption = QStringLiteral("A caption much too long for its box");
    Rect box{0, 0, 80, 30};
    Rect measured = box;
    canvas.dc.drawText(caption, measured, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(measured.right, 80);
    EXPECT_GT(measured.right, 40);
    canvas.dc.drawText(caption, box, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    EXPECT_LE(canvas.ink().right(), 80);
}

TEST(DeviceContextText, ColourAndBackgroundMode)
{
    Canvas opaque(120, 30);
    opaque.dc.selectFont(testFont());
    opaque.dc.setTextColor(RGB(255, 0, 0));
    opaque.dc.setBkColor(RGB(0, 0, 255));
    Rect box{0, 0, 120, 30};
    opaque.dc.drawText(QStringLiteral("ab"), box, DT_SINGLELINE);
    const QSize extent = opaque.dc.textExtent(QStringLiteral("ab"));
    // The line box takes the background colour; the text itself is red.
    EXPECT_EQ(opaque.dc.getPixel(extent.width() - 1, 0), RGB(0, 0, 255));
    EXPECT_EQ(opaque.dc.getPixel(extent.width() + 1, 0), 0xFFFFFFu);
    bool red = false;
    for (int y = 0; y < extent.height(); ++y)
        for (int x = 0; x < extent.width(); ++x)
            red = red || opaque.dc.getPixel(x, y) == RGB(255, 0, 0);
    EXPECT_TRUE(red);

    Canvas transparent(120, 30);
    transparent.dc.selectFont(testFont());
    transparent.dc.setBkMode(TRANSPARENT);
    transparent.dc.setBkColor(RGB(0, 0, 255));
    transparent.dc.drawText(QStringLiteral("ab"), box, DT_SINGLELINE);
    EXPECT_EQ(transparent.dc.getPixel(extent.width() - 1, 0), 0xFFFFFFu);
}

TEST(Font, DescriptionsBecomeQtFontsSizedInPixels)
{
    LogFont description;
    description.height = -13;
    description.weight = FW_BOLD;
    description.italic = true;
    description.underline = true;
    description.strikeOut = true;
    description.faceName = QStringLiteral("Liberation Serif");
    const QFont font = Font::create(description).qfont();
    EXPECT_EQ(font.pixelSize(), 13);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic() && font.underline() && font.strikeOut());
    EXPECT_EQ(font.family(), QStringLiteral("Liberation Serif"));
    EXPECT_TRUE(font.styleStrategy() & QFont::NoSubpixelAntialias);

    // A positive height is the cell: the font's height comes out near it.
    description.height = 20;
    EXPECT_NEAR(QFontMetrics(Font::create(description).qfont()).height(), 20, 1);

    const host::ScopedLogicalDpi dpi(96, 96);
    QFont points(QStringLiteral("DejaVu Sans"));
    points.setPointSizeF(8.25);
    EXPECT_EQ(Font::fromQFont(points).qfont().pixelSize(), 11);
}

}  // namespace
