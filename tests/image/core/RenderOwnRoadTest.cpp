// The own compositing road through Render: the formula table, lightness, greyscale, mirroring,
// scaling, rotation and the argument normalisation, with exact pixel values.
#include "ImageFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace XrImage;
using namespace imagetest;

namespace {

using Bgr = std::array<int, 3>;

}  // namespace

TEST(RenderOwnRoad, OpaqueAndHalfTransparentPixelsOverDeviceContext)
{
    auto red = filledImage(1, 1, {0, 0, 255, 255});
    Canvas white(3, 3, 0xFFFFFF);
    ASSERT_TRUE(red->Render(&white.dc, 1, 1));
    EXPECT_EQ(red->LastRenderRoad(), RenderRoad::Own);
    EXPECT_EQ(white.bgr(1, 1), (Bgr{0, 0, 255}));
    EXPECT_EQ(white.bgr(0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(white.bgr(2, 1), (Bgr{255, 255, 255}));

    // Opacity 50 is the constant alpha 127: red (255*128 + 255*127) \ 255, blue 255*128 \ 255.
    Canvas white2(1, 1, 0xFFFFFF);
    ASSERT_TRUE(red->Render(&white2.dc, 0, 0, 0, 0, 0, 0, 0, 0, 50));
    EXPECT_EQ(white2.bgr(0, 0), (Bgr{128, 128, 255}));

    auto grey = filledImage(1, 1, {128, 128, 128, 128});
    Canvas black(1, 1, 0);
    ASSERT_TRUE(grey->Render(&black.dc));
    EXPECT_EQ(black.bgr(0, 0), (Bgr{128, 128, 128}));
}

TEST(RenderOwnRoad, ClippedAndFineSurfacesGetTheSameColours)
{
    auto image = filledImage(3, 1, {0, 0, 255, 255});
    put(*image, 2, 0, {64, 64, 64, 128});
    Canvas clipped(3, 1, 0xFFFFFF);
    clipped.dc.selectClipRgn(gdi::Region::rect(0, 0, 2, 1));
    ASSERT_TRUE(image->Render(&clipped.dc, 0, 0, 0, 0, 0, 0, 0, 0, 50));
    EXPECT_EQ(clipped.bgr(0, 0), (Bgr{128, 128, 255}));
    clipped.dc.removeClipRgn();
    EXPECT_EQ(clipped.bgr(2, 0), (Bgr{255, 255, 255}));

    // Two device pixels to a logical one: every device pixel takes the composited colour.
    gdi::DeviceContext fine;
    const gdi::Bitmap bitmap = gdi::Bitmap::create(3, 1, 2.0);
    fine.selectBitmap(bitmap);
    fine.fillRect({0, 0, 3, 1}, gdi::Brush::solid(0xFFFFFF));
    ASSERT_TRUE(image->Render(&fine, 0, 0));
    const int k = 255 - 128;
    const int grey = 255 * k / 255 + 64;
    for (int x = 0; x < 6; ++x) {
        const QRgb device = bitmap.image().pixel(x, 1);
        EXPECT_EQ(qRed(device), x < 4 ? 255 : grey) << x;
        EXPECT_EQ(qBlue(device), x < 4 ? 0 : grey) << x;
    }
}

TEST(RenderOwnRoad, HostImageTakesAllFourChannels)
{
    auto grey = filledImage(1, 1, {128, 128, 128, 128});
    auto host = filledImage(2, 1, {0, 0, 0, 0});
    ASSERT_TRUE(grey->Render(nullptr, 1, 0, 0, 0, 0, 0, 0, 0, 100, true, true, host.get()));
    EXPECT_EQ(bgraAt(*host, 1, 0), (Bgra{128, 128, 128, 128}));
    EXPECT_EQ(bgraAt(*host, 0, 0), (Bgra{0, 0, 0, 0}));

    // Below full opacity: k = 255 - a*C\255, each of the four (D*k + S*C) \ 255.
    auto under = filledImage(1, 1, {40, 80, 120, 200});
    ASSERT_TRUE(grey->Render(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 50, true, true, under.get()));
    const int k = 255 - 128 * 127 / 255;
    EXPECT_EQ(bgraAt(*under, 0, 0),
              (Bgra{(40 * k + 128 * 127) / 255, (80 * k + 128 * 127) / 255,
                    (120 * k + 128 * 127) / 255, (200 * k + 128 * 127) / 255}));
}

TEST(RenderOwnRoad, TransparentSourceLeavesDestinationAlone)
{
    auto clear = filledImage(2, 2, {0, 0, 0, 0});
    Canvas canvas(2, 2, 0x336699);
    auto host = filledImage(2, 2, {10, 20, 30, 40});
    for (int gray : {int(gsclNone), int(gsclNTSCPAL)}) {
        for (int opacity : {100, 50, 1}) {
            ASSERT_TRUE(clear->Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, opacity, true, true,
                                      nullptr, gray));
            ASSERT_TRUE(clear->Render(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, opacity, true, true,
                                      host.get(), gray));
        }
    }
    EXPECT_EQ(canvas.bgr(1, 1), (Bgr{0x33, 0x66, 0x99}));
    EXPECT_EQ(bgraAt(*host, 1, 1), (Bgra{10, 20, 30, 40}));
}

TEST(RenderOwnRoad, GreyscaleAndLightness)
{
    auto green = filledImage(1, 1, {0, 255, 0, 255});
    Canvas canvas(1, 1, 0);
    ASSERT_TRUE(
        green->Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, nullptr, gsclNTSCPAL));
    EXPECT_EQ(canvas.bgr(0, 0), (Bgr{150, 150, 150}));
    auto host = filledImage(1, 1, {0, 0, 0, 0});
    ASSERT_TRUE(
        green->Render(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, host.get(), gsclNTSCPAL));
    EXPECT_EQ(bgraAt(*host, 0, 0), (Bgra{150, 150, 150, 255}));

    auto pixel = filledImage(1, 1, {10, 20, 30, 128});
    auto lighter = filledImage(1, 1, {0, 0, 0, 0});
    ASSERT_TRUE(pixel->Render(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, lighter.get(),
                              gsclNone, 100));
    EXPECT_EQ(bgraAt(*lighter, 0, 0), (Bgra{128, 128, 128, 128}));
    auto darker = filledImage(1, 1, {0, 0, 0, 0});
    ASSERT_TRUE(pixel->Render(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, darker.get(),
                              gsclNone, -100));
    EXPECT_EQ(bgraAt(*darker, 0, 0), (Bgra{0, 0, 0, 128}));
    // Beyond +-100 the adjustment is dropped, not limited.
    auto unchanged = filledImage(1, 1, {0, 0, 0, 0});
    ASSERT_TRUE(pixel->Render(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, unchanged.get(),
                              gsclNone, 150));
    EXPECT_EQ(bgraAt(*unchanged, 0, 0), (Bgra{10, 20, 30, 128}));
    // Numbers that are no numbers change nothing and turn nothing.
    auto notANumber = filledImage(1, 1, {0, 0, 0, 0});
    ASSERT_TRUE(pixel->Render(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, notANumber.get(),
                              gsclNone, std::nanf(""), std::nanf("")));
    EXPECT_EQ(pixel->LastRenderRoad(), RenderRoad::Own);
    EXPECT_EQ(bgraAt(*notANumber, 0, 0), (Bgra{10, 20, 30, 128}));
}

TEST(RenderOwnRoad, MirrorsTakeTheRectangleInImageCoordinates)
{
    std::mt19937 random(7);
    auto image = filledImage(5, 4, {0, 0, 0, 0});
    fillRandom(*image, random);
    // Mirrored both ways equals a half turn.
    auto both = filledImage(5, 4, {0, 0, 0, 0});
    ASSERT_TRUE(image->Render(nullptr, 0, 0, -5, -4, 0, 0, 0, 0, 100, true, true, both.get()));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            // Over a transparent host a pixel arrives unchanged.
            EXPECT_EQ(bgraAt(*both, x, y), bgraAt(*image, 4 - x, 3 - y)) << x << "," << y;
        }
    }
    // A half turn draws the same picture; the canvas's integer centring may place it a pixel
    // off, but every row and column the same way.
    for (auto [w, h] : {std::pair{5, 4}, std::pair{4, 4}, std::pair{6, 3}}) {
        auto source = filledImage(w, h, {0, 0, 0, 0});
        fillRandom(*source, random);
        auto turned = filledImage(w + 4, h + 4, {0, 0, 0, 0});
        ASSERT_TRUE(source->Render(nullptr, 2, 2, 0, 0, 0, 0, 0, 0, 100, true, true, turned.get(),
                                   gsclNone, 0, 180));
        int bestMatches = -1;
        int bestMismatches = 0;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int matches = 0;
                int mismatches = 0;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        (bgraAt(*turned, 2 + x + dx, 2 + y + dy) ==
                                 bgraAt(*source, w - 1 - x, h - 1 - y)
                             ? matches
                             : mismatches)++;
                if (matches > bestMatches) {
                    bestMatches = matches;
                    bestMismatches = mismatches;
                }
            }
        }
        EXPECT_EQ(bestMismatches, 0) << w << "x" << h;
    }
    // A part of the image, mirrored each way, comes from that part.
    for (auto [w, h] : {std::pair{-2, 2}, std::pair{2, -2}, std::pair{-2, -2}}) {
        auto part = filledImage(2, 2, {0, 0, 0, 0});
        ASSERT_TRUE(image->Render(nullptr, 0, 0, w, h, 1, 1, 2, 2, 100, true, true, part.get()));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(bgraAt(*part, x, y),
                          bgraAt(*image, 1 + (w < 0 ? 1 - x : x), 1 + (h < 0 ? 1 - y : y)))
                    << w << " " << h << " " << x << "," << y;
    }
    // A negative source width with DestWidth 0 mirrors at the image's own size.
    auto flipped = filledImage(5, 4, {0, 0, 0, 0});
    ASSERT_TRUE(image->Render(nullptr, 0, 0, 0, 0, 0, 0, -5, 0, 100, true, true, flipped.get()));
    EXPECT_EQ(bgraAt(*flipped, 0, 2), bgraAt(*image, 4, 2));
}

TEST(RenderOwnRoad, ScalingNearestAndWeighted)
{
    auto image = filledImage(2, 2, {0, 0, 0, 0});
    put(*image, 0, 0, {10, 10, 10, 40});
    put(*image, 1, 0, {20, 20, 20, 80});
    put(*image, 0, 1, {30, 30, 30, 120});
    put(*image, 1, 1, {40, 40, 40, 160});
    auto nearest = filledImage(4, 4, {0, 0, 0, 0});
    ASSERT_TRUE(image->Render(nullptr, 0, 0, 4, 4, 0, 0, 0, 0, 100, true, true, nearest.get()));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(bgraAt(*nearest, x, y), bgraAt(*image, x / 2, y / 2));

    // Weighted: target rows whose source row is the bottom one (0) take it alone; target
    // columns whose source column is the last take it alone; others mix with the row below.
    image->LetHighQualityInterpolation(true);
    auto weighted = filledImage(4, 4, {0, 0, 0, 0});
    ASSERT_TRUE(image->Render(nullptr, 0, 0, 4, 4, 0, 0, 0, 0, 100, true, true, weighted.get()));
    // Bottom-up target row 0 and 1 map to source row 0 (the picture's bottom row, y = 1).
    EXPECT_EQ(bgraAt(*weighted, 0, 3), (Bgra{30, 30, 30, 120}));
    EXPECT_EQ(bgraAt(*weighted, 1, 3), (Bgra{35, 35, 35, 140}));
    EXPECT_EQ(bgraAt(*weighted, 2, 3), (Bgra{40, 40, 40, 160}));
    EXPECT_EQ(bgraAt(*weighted, 3, 2), (Bgra{40, 40, 40, 160}));
    // Target row 2 (py 1.0): row 1 with weight 0 skipped, row 0 with weight 1.
    EXPECT_EQ(bgraAt(*weighted, 0, 1), (Bgra{30, 30, 30, 120}));
    // Target row 3 (py 1.5): half of source row 1 and half of row 0.
    EXPECT_EQ(bgraAt(*weighted, 0, 0), (Bgra{20, 20, 20, 80}));
    EXPECT_EQ(bgraAt(*weighted, 1, 0), (Bgra{25, 25, 25, 100}));

    // Cut at the destination's left and top edges: the same pixels, moved.
    for (bool highQuality : {false, true}) {
        image->LetHighQualityInterpolation(highQuality);
        auto whole = filledImage(4, 4, {0, 0, 0, 0});
        auto cut = filledImage(4, 4, {0, 0, 0, 0});
        ASSERT_TRUE(image->Render(nullptr, 0, 0, 4, 4, 0, 0, 0, 0, 100, true, true, whole.get()));
        ASSERT_TRUE(image->Render(nullptr, -1, -2, 4, 4, 0, 0, 0, 0, 100, true, true, cut.get()));
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const Bgra expected =
                    x < 3 && y < 2 ? bgraAt(*whole, x + 1, y + 2) : Bgra{0, 0, 0, 0};
                EXPECT_EQ(bgraAt(*cut, x, y), expected) << highQuality << " " << x << "," << y;
            }
        }
    }
}

TEST(RenderOwnRoad, RotationCanvasAndPlacement)
{
    auto image = filledImage(100, 50, {0, 0, 200, 255});
    auto host = filledImage(250, 250, {0, 0, 0, 0});
    ASSERT_TRUE(image->Render(nullptr, 50, 60, 0, 0, 0, 0, 0, 0, 100, true, true, host.get(),
                              gsclNone, 0, 90));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::Rotated);
    int left = 250, right = -1, top = 250, bottom = -1;
    for (int y = 0; y < 250; ++y) {
        for (int x = 0; x < 250; ++x) {
            if (bgraAt(*host, x, y)[3] == 0)
                continue;
            EXPECT_EQ(bgraAt(*host, x, y), (Bgra{0, 0, 200, 255}));
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_EQ(right - left + 1, 50);
    EXPECT_EQ(bottom - top + 1, 100);
    // Centred on the destination rectangle's centre (100, 85), to a pixel.
    EXPECT_NEAR((left + right + 1) / 2.0, 100.0, 1.0);
    EXPECT_NEAR((top + bottom + 1) / 2.0, 85.0, 1.0);

    // Opacity 50 composites the canvas with constant alpha 127; its corners stay untouched.
    auto under = filledImage(250, 250, {0, 100, 0, 255});
    ASSERT_TRUE(image->Render(nullptr, 50, 60, 0, 0, 0, 0, 0, 0, 50, true, true, under.get(),
                              gsclNone, 0, 45));
    EXPECT_EQ(bgraAt(*under, 100, 85), (Bgra{0, 100 * 128 / 255, 200 * 127 / 255, 255}));
    EXPECT_EQ(bgraAt(*under, 45, 30), (Bgra{0, 100, 0, 255}));
}

TEST(RenderOwnRoad, NormalisationOfArguments)
{
    auto image = filledImage(101, 3, {0, 0, 255, 255});
    Canvas canvas(400, 10, 0xFFFFFF);
    // Opacity below 1 draws nothing, and answers True for a loaded image.
    EXPECT_TRUE(image->Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_TRUE(image->Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, -5));
    EXPECT_EQ(canvas.bgr(0, 0), (Bgr{255, 255, 255}));
    c32bppDIB empty;
    EXPECT_FALSE(empty.Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(image->Render(nullptr));

    // 150 is 50 percent, 200 is 100 percent.
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, 1, 1, 0, 0, 1, 1, 150));
    EXPECT_EQ(canvas.bgr(0, 0), (Bgr{128, 128, 255}));
    Canvas full(1, 1, 0xFFFFFF);
    ASSERT_TRUE(image->Render(&full.dc, 0, 0, 1, 1, 0, 0, 1, 1, 200));
    EXPECT_EQ(full.bgr(0, 0), (Bgr{0, 0, 255}));

    // Whole turns draw unrotated; a fraction of a degree goes to the rotated road.
    for (float angle : {360.0f, -720.0f}) {
        ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, nullptr,
                                  gsclNone, 0, angle));
        EXPECT_EQ(image->LastRenderRoad(), RenderRoad::Own);
    }
    ASSERT_TRUE(image->Render(&canvas.dc, 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, nullptr,
                              gsclNone, 0, 0.5f));
    EXPECT_EQ(image->LastRenderRoad(), RenderRoad::Rotated);

    // Centring a 101-pixel image on x 200 draws from x 150.
    Canvas centred(400, 10, 0xFFFFFF);
    ASSERT_TRUE(image->Render(&centred.dc, 200, 5, 0, 0, 0, 0, 0, 0, 100, true, true, nullptr,
                              gsclNone, 0, 0, true));
    EXPECT_EQ(centred.bgr(149, 5), (Bgr{255, 255, 255}));
    EXPECT_EQ(centred.bgr(150, 5), (Bgr{0, 0, 255}));
    EXPECT_EQ(centred.bgr(250, 5), (Bgr{0, 0, 255}));
    EXPECT_EQ(centred.bgr(251, 5), (Bgr{255, 255, 255}));
    EXPECT_EQ(centred.bgr(200, 3), (Bgr{255, 255, 255}));
    EXPECT_EQ(centred.bgr(200, 4), (Bgr{0, 0, 255}));
    EXPECT_EQ(centred.bgr(200, 7), (Bgr{255, 255, 255}));

    // srcx 10 with the full width draws the width less 10 columns.
    Canvas shifted(400, 10, 0xFFFFFF);
    ASSERT_TRUE(image->Render(&shifted.dc, 0, 0, 91, 0, 10, 0, 101, 0));
    EXPECT_EQ(shifted.bgr(90, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(shifted.bgr(91, 0), (Bgr{255, 255, 255}));

    // A source rectangle starting at or past the edge draws nothing.
    EXPECT_FALSE(image->Render(&shifted.dc, 0, 0, 0, 0, 101, 0));
    EXPECT_FALSE(image->Render(&shifted.dc, 0, 0, 0, 0, 0, 3));
}
