// Geometry operations (resize, trim, tiles, icon sizes, checkerboard) and pixel effects on the
// own road, with exact values.
#include "ImageFixtures.h"

#include <gtest/gtest.h>

using namespace XrImage;
using namespace imagetest;

namespace {

using Bgr = std::array<int, 3>;

bool validPremultiplied(const c32bppDIB& image)
{
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const Bgra p = bgraAt(image, x, y);
            if (std::max({p[0], p[1], p[2]}) > p[3])
                return false;
        }
    }
    return true;
}

}  // namespace

TEST(Geometry, ResizeRoadsAndKeptState)
{
    auto image = filledImage(2, 2, {0, 0, 0, 0});
    put(*image, 0, 0, {1, 2, 3, 255});
    put(*image, 1, 0, {4, 5, 6, 255});
    put(*image, 0, 1, {7, 8, 9, 255});
    put(*image, 1, 1, {0, 0, 0, 0});
    image->SetImageType(imgPNG);
    image->SetOriginalFormat(QByteArray("png bytes"));
    image->LetTag(QStringLiteral("tag"));
    const std::uint8_t* before = image->BitsPointer();
    EXPECT_TRUE(image->Resize(0, 0));
    EXPECT_TRUE(image->Resize(2, 2));
    EXPECT_EQ(image->BitsPointer(), before);

    ASSERT_TRUE(image->Resize(4, 4));
    ASSERT_EQ(image->Width(), 4);
    EXPECT_EQ(bgraAt(*image, 1, 1), (Bgra{1, 2, 3, 255}));
    EXPECT_EQ(bgraAt(*image, 3, 0), (Bgra{4, 5, 6, 255}));
    EXPECT_EQ(bgraAt(*image, 0, 3), (Bgra{7, 8, 9, 255}));
    EXPECT_EQ(bgraAt(*image, 3, 3), (Bgra{0, 0, 0, 0}));
    EXPECT_EQ(image->ImageType(), imgPNG);
    EXPECT_EQ(image->OriginalFormatBytes(), QByteArray("png bytes"));
    EXPECT_EQ(image->Tag().toString(), QStringLiteral("tag"));

    // Through Render (AlphaBlend switched off for the draw) the result is the same.
    auto viaRender = filledImage(2, 2, {0, 0, 0, 0});
    put(*viaRender, 0, 0, {1, 2, 3, 255});
    put(*viaRender, 1, 0, {4, 5, 6, 255});
    put(*viaRender, 0, 1, {7, 8, 9, 255});
    viaRender->LetisAlphaBlendFriendly(true);
    ASSERT_TRUE(viaRender->Resize(4, 4));
    EXPECT_TRUE(viaRender->isAlphaBlendFriendly());
    EXPECT_EQ(0, std::memcmp(viaRender->BitsPointer(), image->BitsPointer(), 64));

    // A negative size mirrors, at the new size.
    ASSERT_TRUE(image->Resize(-2, 2));
    EXPECT_EQ(bgraAt(*image, 1, 0), (Bgra{1, 2, 3, 255}));
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{4, 5, 6, 255}));

    // A size that cannot be held leaves the image as it was.
    EXPECT_FALSE(image->Resize(100000, 100000));
    EXPECT_EQ(image->Width(), 2);
    EXPECT_EQ(bgraAt(*image, 0, 1), (Bgra{0, 0, 0, 0}));
    c32bppDIB empty;
    EXPECT_FALSE(empty.Resize(3, 3));

    // Through GDI+ with high-quality interpolation: the size, and the colour within a step.
    auto platform = filledImage(4, 2, {0, 0, 200, 255}, false);
    put(*platform, 0, 0, {200, 0, 0, 255});
    platform->LetHighQualityInterpolation(true);
    ASSERT_TRUE(platform->Resize(-8, 4));
    ASSERT_EQ(platform->Width(), 8);
    ASSERT_EQ(platform->Height(), 4);
    const Bgra corner = bgraAt(*platform, 7, 0);  // the blue corner, mirrored to the right
    EXPECT_GT(corner[0], 150);
    EXPECT_LT(corner[2], 50);
    const Bgra far = bgraAt(*platform, 0, 3);
    EXPECT_LT(far[0], 10);
    EXPECT_NEAR(far[2], 200, 3);
    EXPECT_EQ(far[3], 255);
}

TEST(Geometry, TrimFindsTheContent)
{
    auto clear = filledImage(5, 5, {0, 0, 0, 0});
    std::int32_t x = 9, y = 9, w = 9, h = 9;
    EXPECT_FALSE(clear->TrimImage(true, trimAll, &x, &y, &w, &h));
    EXPECT_EQ((std::array{x, y, w, h}), (std::array{0, 0, 0, 0}));
    EXPECT_FALSE(clear->TrimImage(true, -1));

    auto image = filledImage(6, 8, {0, 0, 0, 0});
    for (int row = 3; row < 8; ++row)
        put(*image, 2, row, {5, 5, 5, 255});
    ASSERT_TRUE(image->TrimImage(false, trimTop, &x, &y, &w, &h));
    EXPECT_EQ((std::array{x, y, w, h}), (std::array{0, 3, 6, 5}));
    EXPECT_EQ(image->Height(), 8);
    ASSERT_TRUE(image->TrimImage(true, trimTop, &x, &y, &w, &h));
    EXPECT_EQ((std::array{x, y, w, h}), (std::array{0, 0, 6, 5}));
    EXPECT_EQ(image->Height(), 5);
    EXPECT_EQ(bgraAt(*image, 2, 0), (Bgra{5, 5, 5, 255}));

    // One pixel of alpha 1 in the last column counts on every side.
    auto lonePixel = filledImage(7, 4, {0, 0, 0, 0});
    put(*lonePixel, 6, 2, {0, 0, 0, 1});
    ASSERT_TRUE(lonePixel->TrimImage(false, trimAll, &x, &y, &w, &h));
    EXPECT_EQ((std::array{x, y, w, h}), (std::array{6, 2, 1, 1}));
    ASSERT_TRUE(lonePixel->TrimImage(true, trimLeft | trimBottom, &x, &y, &w, &h));
    EXPECT_EQ((std::array{x, y, w, h}), (std::array{0, 0, 1, 3}));
    EXPECT_EQ(bgraAt(*lonePixel, 0, 2), (Bgra{0, 0, 0, 1}));
}

TEST(Geometry, TilesWithGapsFlipsAndStagger)
{
    auto image = filledImage(2, 1, {0, 0, 255, 255});
    put(*image, 0, 0, {255, 0, 0, 255});  // blue left, red right
    Canvas canvas(10, 4, 0xFFFFFF);
    ASSERT_TRUE(image->TileImage(&canvas.dc, 0, 0, 10, 4, 0, 0, 1, 1, false, true));
    const Bgr blue{255, 0, 0}, red{0, 0, 255}, white{255, 255, 255};
    // Pitch 3: tiles at 0 and 6 upright, at 3 and 9 mirrored; gaps at 2, 5 and 8 stay clear.
    const std::array<Bgr, 10> firstRow = {blue,  red,  white, red,   blue,
                                          white, blue, red,   white, red};
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(canvas.bgr(x, 0), firstRow[std::size_t(x)]) << x;
        EXPECT_EQ(canvas.bgr(x, 1), white) << x;
        EXPECT_EQ(canvas.bgr(x, 2), firstRow[std::size_t(x)]) << x;
    }

    Canvas staggered(8, 2, 0xFFFFFF);
    ASSERT_TRUE(image->TileImage(&staggered.dc, 0, 0, 8, 2, 0, 0, 2, 0, true));
    // Pitch 4, second row shifted by 2, the pattern continuing to its left.
    const std::array<Bgr, 8> shifted = {white, white, blue, red, white, white, blue, red};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(staggered.bgr(x, 0), (x % 4 == 0 ? blue : x % 4 == 1 ? red : white)) << x;
        EXPECT_EQ(staggered.bgr(x, 1), shifted[std::size_t(x)]) << x;
    }

    // A tile larger than the destination both ways draws the image once, scaled.
    Canvas once(4, 2, 0xFFFFFF);
    ASSERT_TRUE(image->TileImage(&once.dc, 0, 0, 4, 2, 6, 3));
    EXPECT_EQ(once.bgr(1, 1), blue);
    EXPECT_EQ(once.bgr(2, 0), red);
    EXPECT_FALSE(image->TileImage(nullptr, 0, 0, 4, 2));
    EXPECT_FALSE(image->TileImage(&once.dc, 0, 0, 0, 2));
}

TEST(Geometry, IconSizesAndCheckerBoard)
{
    auto image = filledImage(24, 24, {0, 0, 0, 0});
    std::vector<std::array<std::int32_t, 4>> sizes;
    image->SetImageType(imgPNG);
    EXPECT_EQ(image->SourceIconSizes(sizes), 0);
    image->SetImageType(imgIcon);
    ASSERT_EQ(image->SourceIconSizes(sizes), 1);
    EXPECT_EQ(sizes[0], (std::array<std::int32_t, 4>{24, 24, 32, -1}));

    ASSERT_TRUE(image->CreateCheckerBoard(12, 0x0000FF, 0x00FF00));
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(bgraAt(*image, 23, 23), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(bgraAt(*image, 12, 0), (Bgra{0, 255, 0, 255}));
    EXPECT_EQ(bgraAt(*image, 11, 12), (Bgra{0, 255, 0, 255}));
    EXPECT_EQ(image->ImageType(), imgCheckerBoard);
    EXPECT_FALSE(image->Alpha());
    EXPECT_FALSE(image->CreateCheckerBoard(0));
    EXPECT_FALSE(image->CreateCheckerBoard(-3));
}

TEST(Effects, GreyInverseAndTransparency)
{
    auto image = filledImage(2, 1, {0, 255, 0, 255});
    put(*image, 1, 0, {0, 0, 0, 0});
    EXPECT_FALSE(image->MakeGrayScale(gsclNone));
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{0, 255, 0, 255}));
    ASSERT_TRUE(image->MakeGrayScale(gsclNTSCPAL));
    EXPECT_EQ(bgraAt(*image, 0, 0), (Bgra{150, 150, 150, 255}));
    EXPECT_EQ(bgraAt(*image, 1, 0), (Bgra{0, 0, 0, 0}));

    auto colours = filledImage(2, 1, {255, 255, 255, 255});
    put(*colours, 1, 0, {10, 20, 30, 100});
    ASSERT_TRUE(colours->MakeImageInverse());
    EXPECT_EQ(bgraAt(*colours, 0, 0), (Bgra{0, 0, 0, 255}));
    EXPECT_EQ(bgraAt(*colours, 1, 0), (Bgra{90, 80, 70, 100}));
    ASSERT_TRUE(colours->MakeImageInverse());
    EXPECT_EQ(bgraAt(*colours, 1, 0), (Bgra{10, 20, 30, 100}));

    auto picture = filledImage(3, 1, {255, 255, 255, 255});
    put(*picture, 1, 0, {1, 2, 3, 255});
    put(*picture, 2, 0, {200, 200, 200, 200});  // white, but not opaque: not a match
    picture->SetImageType(imgBitmap);
    picture->LetAlpha(false);
    ASSERT_TRUE(picture->MakeTransparent(0xFFFFFF));
    EXPECT_EQ(bgraAt(*picture, 0, 0), (Bgra{0, 0, 0, 0}));
    EXPECT_EQ(bgraAt(*picture, 2, 0), (Bgra{200, 200, 200, 200}));
    EXPECT_TRUE(picture->Alpha());
    EXPECT_EQ(picture->ImageType(), imgBmpPARGB);
    put(*picture, 2, 0, {9, 9, 9, 255});
    ASSERT_TRUE(picture->MakeTransparent(0xFFFFFF, true));
    EXPECT_EQ(bgraAt(*picture, 0, 0), (Bgra{255, 255, 255, 255}));
    EXPECT_FALSE(picture->Alpha());
    EXPECT_EQ(picture->ImageType(), imgBitmap);
}

TEST(Effects, MirrorLightnessAndBlend)
{
    std::mt19937 random(3);
    auto image = filledImage(3, 2, {0, 0, 0, 0});
    fillRandom(*image, random);
    auto original = filledImage(3, 2, {0, 0, 0, 0});
    std::memcpy(original->BitsPointer(), image->BitsPointer(), 24);
    EXPECT_FALSE(image->MirrorImage(false, false));
    ASSERT_TRUE(image->MirrorImage(true, true));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bgraAt(*image, x, y), bgraAt(*original, 2 - x, 1 - y));
    ASSERT_TRUE(image->MirrorImage(false, true));
    EXPECT_EQ(bgraAt(*image, 0, 0), bgraAt(*original, 2, 0));

    auto pixel = filledImage(1, 1, {10, 20, 30, 128});
    EXPECT_FALSE(pixel->MakeLighterDarker(150));
    EXPECT_FALSE(pixel->MakeLighterDarker(0));
    EXPECT_EQ(bgraAt(*pixel, 0, 0), (Bgra{10, 20, 30, 128}));
    ASSERT_TRUE(pixel->MakeLighterDarker(50));
    // d = round(127.5 * 128) \ 255 = 64
    EXPECT_EQ(bgraAt(*pixel, 0, 0), (Bgra{74, 84, 94, 128}));
    ASSERT_TRUE(pixel->MakeLighterDarker(-100));
    EXPECT_EQ(bgraAt(*pixel, 0, 0), (Bgra{0, 0, 0, 128}));

    auto blend = filledImage(2, 1, {10, 20, 30, 255});
    put(*blend, 1, 0, {100, 0, 0, 128});
    EXPECT_FALSE(blend->BlendToColor(0x0000FF, 0));
    ASSERT_TRUE(blend->BlendToColor(0x0000FF, 50));
    EXPECT_EQ(bgraAt(*blend, 0, 0), (Bgra{5, 10, 142, 255}));
    // Partly transparent: half the old premultiplied colour plus half the colour at alpha 128.
    EXPECT_EQ(bgraAt(*blend, 1, 0), (Bgra{50, 0, 64, 128}));
    ASSERT_TRUE(blend->BlendToColor(0x123456, 150));
    EXPECT_EQ(bgraAt(*blend, 0, 0), (Bgra{0x12, 0x34, 0x56, 255}));
}

TEST(Effects, DropShadows)
{
    auto dot = filledImage(1, 1, {9, 9, 9, 255});
    auto shadow = dot->CreateDropShadow(1, 0xFFFFFF);
    ASSERT_TRUE(shadow);
    ASSERT_EQ(shadow->Width(), 3);
    ASSERT_EQ(shadow->Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bgraAt(*shadow, x, y), (Bgra{28, 28, 28, 28}));
    EXPECT_EQ(shadow->ImageType(), imgBmpPARGB);
    EXPECT_EQ(dot->CreateDropShadow(15)->Width(), 21);

    // blurDepth 0 keeps the alpha; opaque pixels carry exactly the colour.
    std::mt19937 random(11);
    auto image = filledImage(5, 4, {0, 0, 0, 0});
    fillRandom(*image, random);
    put(*image, 0, 0, {0, 0, 0, 255});
    auto sharp = image->CreateDropShadow(0, 0x123456);
    ASSERT_EQ(sharp->Width(), 5);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(bgraAt(*sharp, x, y)[3], bgraAt(*image, x, y)[3]);
    EXPECT_EQ(bgraAt(*sharp, 0, 0), (Bgra{0x12, 0x34, 0x56, 255}));

    // The running sums agree with a plain box sum.
    auto blurred = image->CreateDropShadow(3, 0xFFFFFF);
    ASSERT_EQ(blurred->Width(), 11);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 11; ++x) {
            int sum = 0;
            for (int sy = y - 6; sy <= y; ++sy)
                for (int sx = x - 6; sx <= x; ++sx)
                    if (sx >= 0 && sx < 5 && sy >= 0 && sy < 4)
                        sum += bgraAt(*image, sx, sy)[3];
            EXPECT_EQ(bgraAt(*blurred, x, y)[3], sum / 49) << x << "," << y;
        }
    }

    auto host = filledImage(6, 6, {0, 0, 0, 0});
    ASSERT_TRUE(dot->RenderDropShadow_JIT(nullptr, 2, 1, 1, 0xFFFFFF, 100, 0, host.get()));
    EXPECT_EQ(bgraAt(*host, 2, 1), (Bgra{28, 28, 28, 28}));
    EXPECT_EQ(bgraAt(*host, 4, 3), (Bgra{28, 28, 28, 28}));
    EXPECT_EQ(bgraAt(*host, 1, 1), (Bgra{0, 0, 0, 0}));
    EXPECT_EQ(bgraAt(*host, 5, 4), (Bgra{0, 0, 0, 0}));
    c32bppDIB empty;
    EXPECT_FALSE(empty.CreateDropShadow());
    EXPECT_FALSE(empty.RenderDropShadow_JIT(nullptr, 0, 0, 1, 0, 50, 0, host.get()));
}

TEST(GeometryEffects, RandomImagesThroughEveryMember)
{
    std::mt19937 random(21);
    auto pick = [&](int low, int high) { return low + int(random() % unsigned(high - low + 1)); };
    for (int round = 0; round < 150; ++round) {
        auto image = filledImage(pick(1, 8), pick(1, 8), {0, 0, 0, 0}, round % 4 != 0);
        fillRandom(*image, random);
        image->LetHighQualityInterpolation(random() % 2 == 0);
        image->Resize(pick(-10, 10), pick(-10, 10));
        ASSERT_TRUE(validPremultiplied(*image)) << round;
        std::int32_t x, y, w, h;
        image->TrimImage(random() % 2 == 0, pick(-1, 16), &x, &y, &w, &h);
        Canvas canvas(12, 12, 0x808080);
        image->TileImage(&canvas.dc, pick(-5, 10), pick(-5, 10), pick(-3, 14), pick(-3, 14),
                         pick(-6, 6), pick(-6, 6), pick(-3, 3), pick(-3, 3), random() % 2,
                         random() % 2, random() % 2, pick(-10, 120), pick(-1, 7),
                         float(pick(-110, 110)));
        image->MakeGrayScale(pick(-1, 8));
        image->MakeImageInverse();
        image->MakeTransparent(int(random() & 0xFFFFFF), random() % 2);
        image->MirrorImage(random() % 2, random() % 2);
        image->MakeLighterDarker(float(pick(-120, 120)));
        image->BlendToColor(int(random() & 0xFFFFFF), pick(-5, 120));
        ASSERT_TRUE(validPremultiplied(*image)) << round;
        auto shadow = image->CreateDropShadow(pick(-2, 12), int(random() & 0xFFFFFF));
        ASSERT_TRUE(shadow && validPremultiplied(*shadow));
        auto host = filledImage(10, 10, {0, 0, 0, 0});
        image->RenderDropShadow_JIT(nullptr, pick(-10, 10), pick(-10, 10), pick(0, 3), 0xFFFFFF,
                                    pick(0, 100), 0, host.get());
        ASSERT_TRUE(validPremultiplied(*host)) << round;
        if (round % 10 == 0)
            image->CreateCheckerBoard(pick(1, 5));
    }
}
