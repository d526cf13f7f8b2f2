// Which road Render takes (AlphaBlend, GDI+, own, rotated) and what the AlphaBlend and GDI+
// roads draw; random arguments never write outside the destination.
#include "ImageFixtures.h"

#include "image/codecs/cGDIPlus.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace XrImage;
using namespace imagetest;

namespace {

std::unique_ptr<c32bppDIB> platformImage(int width, int height, Bgra value)
{
    return filledImage(width, height, value, false);
}

// Every channel of the canvas pixel within tolerance of the expected one.
void expectNear(const Canvas& canvas, int x, int y, std::array<int, 3> expected, int tolerance)
{
    const auto actual = canvas.bgr(x, y);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance)
            << "at " << x << "," << y << " channel " << i;
}

}  // namespace

TEST(RenderRoads, ChoiceFollowsFlagsAndArguments)
{
    auto image = platformImage(4, 4, {0, 0, 255, 255});
    ASSERT_TRUE(image->isGDIplusEnabled());
    ASSERT_TRUE(image->isAlphaBlendFriendly());
    Canvas canvas(20, 20, 0xFFFFFF);

    // Without a token or a kept bridge, a plain draw goes through AlphaBlend.
    ASSERT_TRUE(image->Render(&canvas.dc));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::AlphaBlend);
    // Mirroring, greyscale and lightness never take AlphaBlend.
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, -4));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::GdiPlus);
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, nullptr, 0));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::GdiPlus);
    // High-quality scaling never takes AlphaBlend: GDI+ when enabled, else the own road.
    image->LetHighQualityInterpolation(true);
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, 8, 8));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::GdiPlus);
    image->LetisGDIplusEnabled(false);
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, 8, 8));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::Own);
    image->LetHighQualityInterpolation(false);
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, 8, 8));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::AlphaBlend);
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, -4));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::Own);

    // With a token on an image with GDI+, every non-rotated draw goes through GDI+.
    image->LetisGDIplusEnabled(true);
    const std::int32_t token = image->CreateGDIplusToken();
    ASSERT_NE(token, 0);
    image->LetgdiToken(token);
    ASSERT_TRUE(image->Render(&canvas.dc));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::GdiPlus);
    image->LetgdiToken(0);
    image->DestroyGDIplusToken(token);

    // A kept bridge is made on the first draw and kept between calls.
    image->LetKeepGDIplusActive(true);
    ASSERT_EQ(image->CachedGdiPlus(), nullptr);
    ASSERT_TRUE(image->Render(&canvas.dc));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::GdiPlus);
    const cGDIPlus* kept = image->CachedGdiPlus();
    ASSERT_NE(kept, nullptr);
    ASSERT_TRUE(image->Render(&canvas.dc, 1, 1));
    EXPECT_EQ(image->CachedGdiPlus(), kept);
    image->LetKeepGDIplusActive(false);
    EXPECT_EQ(image->CachedGdiPlus(), nullptr);

    // Any angle that is not a whole turn goes to the rotated road whatever the flags.
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, nullptr,
                              gsclNone, 0, 45.4f));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::Rotated);

    // The own road restores the image's device context state after the call.
    EXPECT_EQ(image->OwnDC(), nullptr);
}

TEST(RenderRoads, AlphaBlendAndGdiPlusDrawTheSameGeometry)
{
    for (bool gdiplus : {false, true}) {
        auto image = platformImage(2, 2, {0, 0, 255, 255});
        put(*image, 0, 0, {255, 0, 0, 255});  // blue top-left marks the orientation
        image->LetHighQualityInterpolation(false);
        if (gdiplus)
            image->LetisAlphaBlendFriendly(false);
        Canvas canvas(12, 12, 0xFFFFFF);
        // Without halftone stretching both take the nearest pixel.
        ASSERT_TRUE(image->Render(&canvas.dc, 3, 4, 4, 4, 0, 0, 0, 0, 100, true, false));
        EXPECT_EQ(image->LastRenderRoad(), gdiplus ? RenderRoad::GdiPlus : RenderRoad::AlphaBlend);
        expectNear(canvas, 3, 4, {255, 0, 0}, 2);
        expectNear(canvas, 4, 5, {255, 0, 0}, 2);
        expectNear(canvas, 6, 7, {0, 0, 255}, 2);
        expectNear(canvas, 6, 4, {0, 0, 255}, 2);
        expectNear(canvas, 2, 4, {255, 255, 255}, 0);
        expectNear(canvas, 7, 4, {255, 255, 255}, 0);
        expectNear(canvas, 3, 8, {255, 255, 255}, 0);

        // Into a transparent host image all four channels arrive, upright.
        auto host = filledImage(4, 4, {0, 0, 0, 0});
        put(*image, 1, 1, {64, 0, 0, 128});
        ASSERT_TRUE(image->Render(nullptr, 1, 1, 0, 0, 0, 0, 0, 0, 100, true, false, host.get()));
        EXPECT_EQ(image->LastRenderRoad(), gdiplus ? RenderRoad::GdiPlus : RenderRoad::AlphaBlend);
        for (auto [x, y] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{2, 2}}) {
            const Bgra expected = bgraAt(*image, x - 1, y - 1);
            for (std::size_t i = 0; i < 4; ++i)
                EXPECT_NEAR(bgraAt(*host, x, y)[i], expected[i], 1) << x << "," << y;
        }
        EXPECT_EQ(bgraAt(*host, 0, 0), (Bgra{0, 0, 0, 0}));
        EXPECT_EQ(bgraAt(*host, 3, 3), (Bgra{0, 0, 0, 0}));
        put(*image, 1, 1, {0, 0, 255, 255});

        // Opacity 50 over white: the own road's value within a small tolerance.
        Canvas faded(2, 2, 0xFFFFFF);
        ASSERT_TRUE(image->Render(&faded.dc, 0, 0, 0, 0, 0, 0, 0, 0, 50));
        expectNear(faded, 1, 1, {128, 128, 255}, 2);
    }
}

TEST(RenderRoads, RandomArgumentsNeverWriteOutsideTheDestination)
{
    std::mt19937 random(1234);
    auto pick = [&](int low, int high) { return low + int(random() % unsigned(high - low + 1)); };
    for (int round = 0; round < 300; ++round) {
        const bool ownRoad = round % 3 != 0;
        auto image = filledImage(pick(1, 9), pick(1, 9), {0, 0, 0, 0}, ownRoad);
        fillRandom(*image, random);
        image->LetHighQualityInterpolation(random() % 2 == 0);
        auto host = filledImage(12, 12, {1, 2, 3, 4});
        const int destX = pick(-15, 15);
        const int destY = pick(-15, 15);
        const int destW = pick(-14, 14);
        const int destH = pick(-14, 14);
        const int srcX = pick(-3, 11);
        const int srcY = pick(-3, 11);
        const int srcW = pick(-10, 10);
        const int srcH = pick(-10, 10);
        const float light = float(pick(-120, 120));
        const int gray = pick(-1, 7);
        const float angle = round % 5 == 0 ? float(pick(-400, 400)) : 0.0f;
        const int opacity = pick(-20, 250);
        image->Render(nullptr, destX, destY, destW, destH, srcX, srcY, srcW, srcH, opacity, true,
                      true, host.get(), gray, light, angle);
        Canvas canvas(12, 12, 0x010203);
        if (round % 2 == 0)
            canvas.dc.selectClipRgn(gdi::Region::rect(pick(0, 6), pick(0, 6), 12, 12));
        image->Render(&canvas.dc, destX, destY, destW, destH, srcX, srcY, srcW, srcH, opacity, true,
                      round % 3 == 0, nullptr, gray, light, angle);
        canvas.dc.removeClipRgn();
        if (angle != 0.0f)
            continue;
        // Only the destination rectangle (any size sign) may change.
        const int w = destW == 0 ? image->Width() : std::abs(destW);
        const int h = destH == 0 ? image->Height() : std::abs(destH);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 12; ++x) {
                if (x >= destX && x < destX + w && y >= destY && y < destY + h)
                    continue;
                ASSERT_EQ(bgraAt(*host, x, y), (Bgra{1, 2, 3, 4}))
                    << "round " << round << " at " << x << "," << y;
                ASSERT_EQ(canvas.bgr(x, y), (std::array<int, 3>{1, 2, 3}))
                    << "round " << round << " at " << x << "," << y;
            }
        }
    }
}
