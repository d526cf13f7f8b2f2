#include "platform/gdi/AlphaBlend.h"
#include "platform/gdi/DeviceContext.h"

#include <gtest/gtest.h>

using namespace gdi;

namespace {

// A bottom-up 32-bit section: upright row y is stored at row height - 1 - y.
struct Section {
    Bitmap bitmap;
    DeviceContext dc;
    Section(int width, int height) : bitmap(Bitmap::createDIBSection(width, height))
    {
        dc.selectBitmap(bitmap);
    }
    void put(int x, int y, QRgb premultiplied)
    {
        bitmap.image().setPixel(x, bitmap.height() - 1 - y, premultiplied);
    }
    QRgb at(int x, int y) const { return bitmap.image().pixel(x, bitmap.height() - 1 - y); }
};

struct Screen {
    Bitmap bitmap;
    DeviceContext dc;
    Screen(int width, int height, QRgb fill) : bitmap(Bitmap::create(width, height, 1.0))
    {
        dc.selectBitmap(bitmap);
        bitmap.image().fill(fill);
    }
    QRgb at(int x, int y) const { return bitmap.image().pixel(x, y); }
};

BlendFunction perPixel(int constantAlpha = 255)
{
    BlendFunction blend;
    blend.SourceConstantAlpha = std::uint8_t(constantAlpha);
    blend.AlphaFormat = AC_SRC_ALPHA;
    return blend;
}

}  // namespace

TEST(AlphaBlend, SourceOverWithPixelAndConstantAlpha)
{
    Section source(2, 2);
    source.put(0, 0, qRgba(100, 50, 0, 128));  // premultiplied
    source.put(1, 0, qRgba(0, 0, 0, 0));
    source.put(0, 1, qRgba(255, 255, 255, 255));
    source.put(1, 1, qRgba(10, 20, 30, 40));
    Screen screen(2, 2, qRgb(200, 100, 60));
    ASSERT_TRUE(alphaBlend(screen.dc, 0, 0, 2, 2, source.dc, 0, 0, 2, 2, perPixel()));
    // dst = src + dst x (255 - 128) \ 255
    EXPECT_EQ(screen.at(0, 0), qRgb(100 + 200 * 127 / 255, 50 + 100 * 127 / 255, 60 * 127 / 255));
    EXPECT_EQ(screen.at(1, 0), qRgb(200, 100, 60));
    EXPECT_EQ(screen.at(0, 1), qRgb(255, 255, 255));
    EXPECT_EQ(screen.at(1, 1),
              qRgb(10 + 200 * 215 / 255, 20 + 100 * 215 / 255, 30 + 60 * 215 / 255));

    // A constant alpha scales the source: k = 128 x 100 \ 255 = 50.
    Screen faded(1, 1, qRgb(200, 100, 60));
    ASSERT_TRUE(alphaBlend(faded.dc, 0, 0, 1, 1, source.dc, 0, 0, 1, 1, perPixel(100)));
    EXPECT_EQ(faded.at(0, 0), qRgb(100 * 100 / 255 + 200 * 205 / 255,
                                   50 * 100 / 255 + 100 * 205 / 255, 60 * 205 / 255));

    // Alpha format 0: the source counts as opaque.
    BlendFunction opaque;
    opaque.SourceConstantAlpha = 255;
    Screen copied(1, 1, qRgb(1, 2, 3));
    ASSERT_TRUE(alphaBlend(copied.dc, 0, 0, 1, 1, source.dc, 1, 0, 1, 1, opaque));
    EXPECT_EQ(copied.at(0, 0), qRgb(0, 0, 0));

    // Into a premultiplied section the destination's alpha is composited too.
    Section target(1, 1);
    target.put(0, 0, qRgba(0, 0, 0, 0));
    ASSERT_TRUE(alphaBlend(target.dc, 0, 0, 1, 1, source.dc, 0, 0, 1, 1, perPixel()));
    EXPECT_EQ(target.at(0, 0), qRgba(100, 50, 0, 128));
}

TEST(AlphaBlend, StretchesByNearestOrSmoothlyAndRefusesBadRectangles)
{
    Section source(2, 1);
    source.put(0, 0, qRgba(0, 0, 0, 255));
    source.put(1, 0, qRgba(255, 255, 255, 255));
    Screen nearest(4, 2, qRgb(9, 9, 9));
    ASSERT_TRUE(alphaBlend(nearest.dc, 0, 0, 4, 2, source.dc, 0, 0, 2, 1, perPixel()));
    EXPECT_EQ(nearest.at(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(nearest.at(2, 0), qRgb(255, 255, 255));

    Screen smooth(8, 1, qRgb(9, 9, 9));
    ASSERT_TRUE(alphaBlend(smooth.dc, 0, 0, 8, 1, source.dc, 0, 0, 2, 1, perPixel(), HALFTONE));
    const int middle = qRed(smooth.at(4, 0));
    EXPECT_GT(middle, 0);
    EXPECT_LT(middle, 255);
    EXPECT_LE(qRed(smooth.at(3, 0)), middle);

    // The clip region holds.
    Screen clipped(4, 1, qRgb(9, 9, 9));
    clipped.dc.selectClipRgn(Region::rect(2, 0, 4, 1));
    ASSERT_TRUE(alphaBlend(clipped.dc, 0, 0, 4, 1, source.dc, 0, 0, 2, 1, perPixel()));
    EXPECT_EQ(clipped.at(1, 0), qRgb(9, 9, 9));
    EXPECT_EQ(clipped.at(3, 0), qRgb(255, 255, 255));

    // A destination finer than its logical pixels is covered in all its device pixels.
    const Bitmap fine = Bitmap::create(4, 2, 2.0);
    fine.image().fill(qRgb(9, 9, 9));
    DeviceContext fineDC;
    fineDC.selectBitmap(fine);
    ASSERT_TRUE(alphaBlend(fineDC, 2, 0, 2, 2, source.dc, 0, 0, 2, 1, perPixel()));
    EXPECT_EQ(fine.image().size(), QSize(8, 4));
    EXPECT_EQ(fine.image().pixel(3, 3), qRgb(9, 9, 9));
    EXPECT_EQ(fine.image().pixel(4, 0), qRgb(0, 0, 0));
    EXPECT_EQ(fine.image().pixel(5, 3), qRgb(0, 0, 0));
    EXPECT_EQ(fine.image().pixel(7, 3), qRgb(255, 255, 255));

    Screen untouched(2, 1, qRgb(9, 9, 9));
    EXPECT_FALSE(alphaBlend(untouched.dc, 0, 0, -2, 1, source.dc, 0, 0, 2, 1, perPixel()));
    EXPECT_FALSE(alphaBlend(untouched.dc, 0, 0, 2, 1, source.dc, 1, 0, 2, 1, perPixel()));
    EXPECT_FALSE(alphaBlend(untouched.dc, 0, 0, 2, 1, source.dc, 0, -1, 2, 1, perPixel()));
    BlendFunction other = perPixel();
    other.BlendOp = 1;
    EXPECT_FALSE(alphaBlend(untouched.dc, 0, 0, 2, 1, source.dc, 0, 0, 2, 1, other));
    EXPECT_EQ(untouched.at(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(untouched.at(1, 0), qRgb(9, 9, 9));
}
