// Pixel reads and writes in other layouts, the alpha mask, copies into another image and
// regions from the alpha channel.
#include "ImageFixtures.h"

#include "platform/gdi/Region.h"
#include "platform/gdi/RegionData.h"

#include <gtest/gtest.h>

using namespace XrImage;
using namespace imagetest;

namespace {

std::vector<std::uint8_t> bytesOf(const DibByteArray& array)
{
    return {array.bytes.begin(), array.bytes.end()};
}

QRegion rects(std::initializer_list<QRect> list)
{
    QRegion region;
    for (const QRect& rect : list)
        region += rect;
    return region;
}

}  // namespace

TEST(PixelAccess, GetAndSetPixel)
{
    auto image = filledImage(2, 2, {0, 0, 0, 0});
    put(*image, 1, 0, {0, 64, 128, 128});
    std::int32_t alpha = -7;
    EXPECT_EQ(image->GetPixel(2, 0, &alpha), -1);
    EXPECT_EQ(alpha, 0);
    EXPECT_EQ(image->GetPixel(0, -1), -1);
    EXPECT_EQ(image->GetPixel(1, 0, &alpha, true), 16512);
    EXPECT_EQ(alpha, 128);
    EXPECT_EQ(image->GetPixel(1, 0, &alpha, false), 255 | (127 << 8));
    // A colour above its alpha reads as 255 rather than overflowing.
    put(*image, 0, 1, {10, 20, 200, 100});
    EXPECT_EQ(image->GetPixel(0, 1), 255 | (51 << 8) | (25 << 16));

    image->LetAlpha(false);
    EXPECT_NE(image->SetPixel(0, 0, 200, 128), 0u);
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{0, 0, 100, 128}));
    EXPECT_TRUE(image->Alpha());
    const std::uintptr_t address = image->SetPixel(0, 0, 200, 128, true);
    EXPECT_EQ(address, reinterpret_cast<std::uintptr_t>(pixelAt(*image, 0, 0)));
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{0, 0, 100, 128}));
    image->SetPixel(0, 0, 100, 128, true);
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{0, 0, 100, 128}));
    image->SetPixel(1, 1, 0x102030, 255);
    EXPECT_EQ(bgraAt(*image, 1, 1), (Bgra{0x10, 0x20, 0x30, 255}));
    image->SetPixel(1, 1, 0x102030, 0);
    EXPECT_EQ(bgraAt(*image, 1, 1), (Bgra{0, 0, 0, 0}));
    EXPECT_EQ(image->SetPixel(0, 0, 1, 256), 0u);
    EXPECT_EQ(image->SetPixel(0, 0, 1, -1), 0u);
    EXPECT_EQ(image->SetPixel(0, 2, 1), 0u);
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{0, 0, 100, 128}));
}

TEST(PixelAccess, GetDibBitsLayouts)
{
    auto image = filledImage(3, 2, {0, 0, 0, 0});
    put(*image, 0, 0, {1, 2, 3, 255});
    put(*image, 1, 0, {4, 5, 6, 255});
    put(*image, 2, 0, {7, 8, 9, 255});
    put(*image, 0, 1, {10, 20, 30, 60});
    put(*image, 1, 1, {0, 0, 0, 0});
    put(*image, 2, 1, {12, 13, 14, 255});
    DibByteArray out;
    ASSERT_TRUE(image->GetDIBbits(out, true, true, false, true, true));
    EXPECT_EQ(out.dimensions, 2);
    EXPECT_EQ(out.rowLength, 12);
    EXPECT_EQ(out.rows, 2);
    // Bottom-up: the image's bottom row first, three bytes of padding after each row.
    EXPECT_EQ(bytesOf(out), (std::vector<std::uint8_t>{10, 20, 30, 0, 0, 0, 12, 13, 14, 0, 0, 0,
                                                       1,  2,  3,  4, 5, 6, 7,  8,  9,  0, 0, 0}));
    ASSERT_TRUE(image->GetDIBbits(out, false, false, false, false, false, 0, 0, 0, 0, false));
    EXPECT_EQ(out.dimensions, 1);
    // Top-down, red first, straight colour (10*255\60 = 42, 20 -> 85, 30 -> 127).
    EXPECT_EQ(bytesOf(out), (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 127, 85, 42, 0, 0,
                                                       0, 14, 13, 12}));
    // The whole image in its own layout is one copy of its bits.
    ASSERT_TRUE(image->GetDIBbits(out));
    EXPECT_EQ(0, std::memcmp(out.bytes.constData(), image->BitsPointer(), 24));

    auto wide = filledImage(5, 1, {0, 0, 0, 0});
    for (int x = 0; x < 5; ++x)
        put(*wide, x, 0, {x, x, x, 255});
    ASSERT_TRUE(wide->GetDIBbits(out, true, true, true, true, true, 2, 0, 0, 0));
    EXPECT_EQ(bytesOf(out), (std::vector<std::uint8_t>{2, 2, 2, 255, 3, 3, 3, 255, 4, 4, 4, 255}));
    // Rectangles that start at or past the edge, or have negative parts, give False.
    EXPECT_FALSE(wide->GetDIBbits(out, true, true, true, true, true, 5, 0));
    EXPECT_FALSE(wide->GetDIBbits(out, true, true, true, true, true, 0, 1));
    EXPECT_FALSE(wide->GetDIBbits(out, true, true, true, true, true, -1, 0));
    EXPECT_FALSE(wide->GetDIBbits(out, true, true, true, true, true, 0, 0, -2, 1));

    DibByteArray mask;
    ASSERT_TRUE(image->GetAlphaMask(mask, true, true, false));
    EXPECT_EQ(bytesOf(mask), (std::vector<std::uint8_t>{255, 255, 255, 0, 60, 0, 255, 0}));
    ASSERT_TRUE(image->GetAlphaMask(mask, false, false, true, 1, 0, 2, 0));
    EXPECT_EQ(bytesOf(mask), (std::vector<std::uint8_t>{0, 255, 255, 255}));
}

TEST(PixelAccess, SetDibBitsWritesAndClassifies)
{
    // Opaque 24-bit data over a fresh image: alpha stays 0 everywhere, so the image is taken
    // as one without alpha and made opaque.
    auto image = filledImage(2, 2, {0, 0, 0, 0});
    DibByteArray in;
    in.dimensions = 1;
    in.bytes = QByteArray("\x01\x02\x03\x04\x05\x06\0\0\x07\x08\x09\x0a\x0b\x0c\0\0", 16);
    ASSERT_TRUE(image->SetDIBbits(in, true, false, true, true));
    EXPECT_FALSE(image->Alpha());
    EXPECT_EQ(bgraAt(*image, 0, 1), (Bgra{1, 2, 3, 255}));
    EXPECT_EQ(bgraAt(*image, 1, 0), (Bgra{10, 11, 12, 255}));

    // Straight 32-bit RGBA, top-down, into one row: premultiplied by the classification.
    DibByteArray row;
    row.dimensions = 2;
    row.bytes = QByteArray("\xc8\x00\x00\x80\x10\x20\x30\xff", 8);
    ASSERT_TRUE(image->SetDIBbits(row, false, true, true, false, 0, 1, 0, 1));
    EXPECT_TRUE(image->Alpha());
    EXPECT_EQ(bgraAt(*image, 0, 1), (Bgra{0, 0, 100, 128}));
    EXPECT_EQ(bgraAt(*image, 1, 1), (Bgra{0x30, 0x20, 0x10, 255}));
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{7, 8, 9, 255}));

    // An array shorter than the rectangle is refused; nothing is written.
    row.bytes.chop(1);
    EXPECT_FALSE(image->SetDIBbits(row, false, true, true, false, 0, 1, 0, 1));
    EXPECT_FALSE(image->SetDIBbits(DibByteArray{}, true));
    EXPECT_FALSE(image->SetDIBbits(in, true, false, true, true, 2, 0));
    EXPECT_EQ(bgraAt(*image, 0, 1), (Bgra{0, 0, 100, 128}));
}

TEST(PixelAccess, RegionsAsPointSets)
{
    auto image = filledImage(4, 3, {0, 0, 0, 0});
    for (int x : {0, 1, 3})
        put(*image, x, 1, {0, 0, 0, 255});
    put(*image, 2, 2, {0, 0, 0, 1});
    auto shaped = image->CreateRegion(regionShaped);
    ASSERT_TRUE(shaped);
    EXPECT_EQ(shaped->pixels(), rects({QRect(0, 1, 2, 1), QRect(3, 1, 1, 1), QRect(2, 2, 1, 1)}));
    auto enclosed = image->CreateRegion(regionEnclosed, 10, 20);
    ASSERT_TRUE(enclosed);
    EXPECT_EQ(enclosed->pixels(), rects({QRect(10, 21, 4, 1), QRect(12, 22, 1, 1)}));
    auto bounds = image->CreateRegion(regionBounds);
    ASSERT_TRUE(bounds);
    EXPECT_EQ(bounds->pixels(), QRegion(0, 1, 4, 2));
    EXPECT_FALSE(image->CreateRegion(5));
    EXPECT_FALSE(image->CreateRegion(-1));

    auto column = filledImage(5, 4, {0, 0, 0, 0});
    for (int y = 1; y < 4; ++y)
        put(*column, 2, y, {9, 9, 9, 255});
    EXPECT_EQ(column->CreateRegion(regionBounds)->pixels(), QRegion(2, 1, 1, 3));

    auto clear = filledImage(3, 3, {0, 0, 0, 0});
    for (int style : {0, 1, 2})
        EXPECT_FALSE(clear->CreateRegion(style));
    clear->LetAlpha(false);
    EXPECT_EQ(clear->CreateRegion(regionShaped)->pixels(), QRegion(0, 0, 3, 3));
    c32bppDIB empty;
    EXPECT_FALSE(empty.CreateRegion());
}

TEST(PixelAccess, LargeShapedRegionsFallBackToBlocks)
{
    // A checkerboard of single pixels: 50 rectangles a row, 5000 in all.
    auto image = filledImage(100, 100, {0, 0, 0, 0});
    QRegion expected;
    for (int y = 0; y < 100; ++y) {
        for (int x = (y % 2); x < 100; x += 2) {
            put(*image, x, y, {1, 1, 1, 255});
            expected += QRect(x, y, 1, 1);
        }
    }
    auto whole = image->CreateRegion(regionShaped);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->pixels(), expected);
    gdi::setRegionDataLimit(2001);
    auto blocks = image->CreateRegion(regionShaped);
    gdi::setRegionDataLimit(1000);
    auto refused = image->CreateRegion(regionShaped);
    gdi::setRegionDataLimit(0);
    ASSERT_TRUE(blocks);
    EXPECT_EQ(blocks->pixels(), expected);
    EXPECT_FALSE(refused);
}

TEST(PixelAccess, CopiesIntoOtherImages)
{
    std::mt19937 random(99);
    auto image = filledImage(6, 4, {0, 0, 0, 0});
    fillRandom(*image, random);
    image->SetOriginalFormat(QByteArray("original"));
    std::unique_ptr<c32bppDIB> copy;
    image->CopyImageTo(copy);
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->Width(), 6);
    ASSERT_EQ(copy->Height(), 4);
    EXPECT_EQ(0, std::memcmp(copy->BitsPointer(), image->BitsPointer(), 6 * 4 * 4));
    EXPECT_EQ(copy->ImageType(), image->ImageType());
    EXPECT_TRUE(copy->OriginalFormatBytes().isEmpty());

    std::unique_ptr<c32bppDIB> mirror;
    image->CopyImageTo(mirror, -6, 0, true);
    ASSERT_TRUE(mirror);
    EXPECT_EQ(mirror->OriginalFormatBytes(), QByteArray("original"));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(bgraAt(*mirror, x, y), bgraAt(*image, 5 - x, y));

    std::unique_ptr<c32bppDIB> doubled;
    image->CopyImageTo(doubled, 12, 8);
    ASSERT_EQ(doubled->Width(), 12);
    EXPECT_EQ(bgraAt(*doubled, 11, 7), bgraAt(*image, 5, 3));
    EXPECT_EQ(bgraAt(*doubled, 2, 3), bgraAt(*image, 1, 1));

    // Onto itself with a new size: read from a twin, never from the pixels being replaced.
    auto expected = filledImage(6, 4, {0, 0, 0, 0});
    std::memcpy(expected->BitsPointer(), image->BitsPointer(), 6 * 4 * 4);
    image->CopyImageTo(*image, 3, 2);
    ASSERT_EQ(image->Width(), 3);
    ASSERT_EQ(image->Height(), 2);
    // Nearest rows are counted from the bottom: target row 1 (bottom) takes source row 3.
    EXPECT_EQ(bgraAt(*image, 1, 1), bgraAt(*expected, 2, 3));
    EXPECT_EQ(bgraAt(*image, 0, 0), bgraAt(*expected, 0, 1));
}

TEST(PixelAccess, RandomRectanglesStayInside)
{
    std::mt19937 random(5);
    auto pick = [&](int low, int high) { return low + int(random() % unsigned(high - low + 1)); };
    for (int round = 0; round < 400; ++round) {
        auto image = filledImage(pick(1, 7), pick(1, 7), {0, 0, 0, 0});
        fillRandom(*image, random);
        // Colour above alpha now and then: reads clamp instead of overflowing.
        if (round % 4 == 0)
            put(*image, 0, 0, {250, 250, 250, 3});
        const int x = pick(-2, 8), y = pick(-2, 8), w = pick(-3, 9), h = pick(-3, 9);
        DibByteArray out;
        const bool got = image->GetDIBbits(out, random() % 2, random() % 2, random() % 2,
                                           random() % 2, random() % 2, x, y, w, h, random() % 2);
        if (got) {
            const bool set = image->SetDIBbits(out, random() % 2, random() % 2, random() % 2,
                                               random() % 2, x, y, w, h);
            (void)set;
        }
        DibByteArray mask;
        image->GetAlphaMask(mask, random() % 2, random() % 2, random() % 2, x, y, w, h);
        image->GetPixel(x, y);
        image->SetPixel(x, y, int(random()), pick(-1, 256), random() % 2);
        for (int style = 0; style < 3; ++style) {
            auto region = image->CreateRegion(style);
            const QRect area(0, 0, image->Width(), image->Height());
            ASSERT_TRUE(!region || area.contains(region->pixels().boundingRect()));
        }
        std::unique_ptr<c32bppDIB> copy;
        image->CopyImageTo(copy, pick(-9, 9), pick(-9, 9));
        // Colour never above alpha after any of it.
        for (int py = 0; py < image->Height(); ++py) {
            for (int px = 0; px < image->Width(); ++px) {
                const Bgra p = bgraAt(*image, px, py);
                if (px == 0 && py == 0 && round % 4 == 0)
                    continue;
                ASSERT_LE(std::max({p[0], p[1], p[2]}), p[3]) << round;
            }
        }
    }
}
