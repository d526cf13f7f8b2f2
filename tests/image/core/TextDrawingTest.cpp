// Text drawn into images: the picture's size, line alignment, coverage as alpha, opaque
// backgrounds and drawing into an existing image. Glyph shapes are never compared.
#include "ImageFixtures.h"

#include "platform/gdi/GdiObjects.h"
#include "platform/host/Units.h"

#include <gtest/gtest.h>

using namespace XrImage;
using namespace imagetest;

namespace {

gdi::Font testFont()
{
    gdi::LogFont description;
    description.height = -20;
    description.faceName = QStringLiteral("DejaVu Sans");
    return gdi::Font::create(description);
}

QSize extentOf(const QString& text)
{
    gdi::DeviceContext dc;
    dc.selectFont(testFont());
    return dc.textExtent(text);
}

// Left-most and right-most columns with any alpha in rows top..top + rows - 1; -1 when none.
std::pair<int, int> inkColumns(const c32bppDIB& image, int top, int rows)
{
    int left = -1, right = -1;
    for (int y = top; y < top + rows; ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (bgraAt(image, x, y)[3] == 0)
                continue;
            if (left < 0 || x < left)
                left = x;
            right = std::max(right, x);
        }
    }
    return {left, right};
}

}  // namespace

TEST(TextDrawing, EmptyImageBecomesTheTextsPicture)
{
    const gdi::Font font = testFont();
    const QString first = QStringLiteral("Wide first line");
    const QString second = QStringLiteral("mid");
    c32bppDIB image;
    ASSERT_TRUE(image.DrawText_hFont(&font, first + QStringLiteral("\r\n") + second, TA_LEFT, 40,
                                     50, 0, 0, 0, -1, 30));
    const QSize a = extentOf(first);
    const QSize b = extentOf(second);
    EXPECT_EQ(image.Width(), std::max(a.width(), b.width()));
    EXPECT_EQ(image.Height(), 2 * std::max(a.height(), b.height()));
    EXPECT_EQ(image.ImageType(), imgBmpPARGB);
    // Black on a transparent background: colour 0, alpha the coverage, with edges between.
    bool partial = false;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const Bgra p = bgraAt(image, x, y);
            ASSERT_EQ(p[0] + p[1] + p[2], 0);
            partial = partial || (p[3] > 0 && p[3] < 255);
        }
    }
    EXPECT_TRUE(partial);
    // Both lines drawn, each within its half.
    EXPECT_GE(inkColumns(image, 0, image.Height() / 2).first, 0);
    EXPECT_GE(inkColumns(image, image.Height() / 2, image.Height() / 2).first, 0);

    EXPECT_FALSE(image.DrawText_hFont(nullptr, QStringLiteral("x")));
    EXPECT_FALSE(image.DrawText_hFont(&font, QString()));
    EXPECT_FALSE(image.DrawText_stdFont(nullptr, QStringLiteral("x")));
}

TEST(TextDrawing, AlignmentPlacesEveryLine)
{
    const gdi::Font font = testFont();
    const QString text = QStringLiteral("MMMMMMMMMM\r\nMM");
    const int wide = extentOf(QStringLiteral("MMMMMMMMMM")).width();
    const int narrow = extentOf(QStringLiteral("MM")).width();
    c32bppDIB left, right, centre;
    ASSERT_TRUE(left.DrawText_hFont(&font, text, TA_LEFT));
    ASSERT_TRUE(right.DrawText_hFont(&font, text, TA_RIGHT));
    ASSERT_TRUE(centre.DrawText_hFont(&font, text, TA_CENTER));
    const int half = left.Height() / 2;
    const auto leftShort = inkColumns(left, half, half);
    const auto rightShort = inkColumns(right, half, half);
    const auto centreShort = inkColumns(centre, half, half);
    EXPECT_LT(leftShort.first, 4);
    EXPECT_LE(leftShort.second, narrow + 1);
    EXPECT_GE(rightShort.first, wide - narrow - 2);
    EXPECT_GE(rightShort.second, wide - 4);
    const double middle = (centreShort.first + centreShort.second) / 2.0;
    EXPECT_NEAR(middle, wide / 2.0, 3.0);
    // The long line spans the width in every alignment.
    EXPECT_EQ(inkColumns(right, 0, half), inkColumns(left, 0, half));
}

TEST(TextDrawing, ColoursAndBackgrounds)
{
    QFont objectFont(QStringLiteral("DejaVu Sans"));
    objectFont.setPointSizeF(14);
    c32bppDIB red;
    ASSERT_TRUE(
        red.DrawText_stdFont(&objectFont, QStringLiteral("Hello"), TA_LEFT, 0, 0, 0, 0, 0x0000FF));
    for (int y = 0; y < red.Height(); ++y) {
        for (int x = 0; x < red.Width(); ++x) {
            const Bgra p = bgraAt(red, x, y);
            ASSERT_EQ(p[2], p[3]);
            ASSERT_EQ(p[0] + p[1], 0);
        }
    }

    c32bppDIB boxed;
    ASSERT_TRUE(boxed.DrawText_stdFont(&objectFont, QStringLiteral("Hi"), TA_LEFT, 0, 0, 0, 0,
                                       0xFFFFFF, 0xFF0000));
    EXPECT_EQ(boxed.ImageType(), imgBitmap);
    EXPECT_FALSE(boxed.Alpha());
    EXPECT_EQ(bgraAt(boxed, 0, 0), (Bgra{255, 0, 0, 255}));
    bool whiteInk = false;
    for (int y = 0; y < boxed.Height(); ++y)
        for (int x = 0; x < boxed.Width(); ++x)
            whiteInk = whiteInk || bgraAt(boxed, x, y) == Bgra{255, 255, 255, 255};
    EXPECT_TRUE(whiteInk);
}

// A font object sized in pixels draws at that size, as the same font sized in points does
// at the size it comes to on the screen.
TEST(TextDrawing, FontObjectsSizedInPixelsOrPoints)
{
    QFont byPixels(QStringLiteral("DejaVu Sans"));
    byPixels.setPixelSize(20);
    c32bppDIB pixels;
    ASSERT_TRUE(pixels.DrawText_stdFont(&byPixels, QStringLiteral("Hello")));
    EXPECT_EQ(pixels.Width(), extentOf(QStringLiteral("Hello")).width());
    EXPECT_EQ(pixels.Height(), extentOf(QStringLiteral("Hello")).height());

    const host::ScopedLogicalDpi dpi(96, 96);
    QFont byPoints(QStringLiteral("DejaVu Sans"));
    byPoints.setPointSize(15);  // 20 pixels at 96 dots per inch
    c32bppDIB points;
    ASSERT_TRUE(points.DrawText_stdFont(&byPoints, QStringLiteral("Hello")));
    EXPECT_EQ(points.Width(), pixels.Width());
    EXPECT_EQ(points.Height(), pixels.Height());
}

TEST(TextDrawing, DrawsIntoAnExistingImageAtThePosition)
{
    const gdi::Font font = testFont();
    for (bool ownRoad : {true, false}) {
        auto image = filledImage(200, 80, {0, 0, 0, 0}, ownRoad);
        ASSERT_TRUE(
            image->DrawText_hFont(&font, QStringLiteral("Text"), TA_LEFT, 100, 40, 0, 0, 0xFFFFFF));
        const QSize size = extentOf(QStringLiteral("Text"));
        bool inside = false;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 200; ++x) {
                const Bgra p = bgraAt(*image, x, y);
                ASSERT_LE(std::max({p[0], p[1], p[2]}), p[3]);
                if (p[3] == 0)
                    continue;
                const bool within =
                    x >= 100 && x < 100 + size.width() && y >= 40 && y < 40 + size.height();
                ASSERT_TRUE(within) << x << "," << y << (ownRoad ? " own" : " platform");
                inside = true;
            }
        }
        EXPECT_TRUE(inside);
        EXPECT_EQ(image->OwnDC(), nullptr);
    }

    // A quarter turn draws the text standing up: taller than wide.
    auto turned = filledImage(200, 200, {0, 0, 0, 0});
    ASSERT_TRUE(turned->DrawText_hFont(&font, QStringLiteral("Turned text"), TA_LEFT, 100, 100, 0,
                                       0, 0, -1, 100, gsclNone, 90, true));
    int left = 200, right = -1, top = 200, bottom = -1;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (bgraAt(*turned, x, y)[3] == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    ASSERT_GE(right, 0);
    EXPECT_GT(bottom - top, 2 * (right - left));
}
