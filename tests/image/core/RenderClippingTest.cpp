// Drawing that reaches far past its destination: every road works out only what the
// destination shows, with the pixels a whole-target computation gives, and absurd sizes end
// in a result or the overflow error, never in a huge allocation. The own road's scaling and
// compositing are checked against a plain reading of their formulas over random draws.
#include "ImageFixtures.h"

#include "platform/gdi/AlphaBlend.h"
#include "platform/runtime/VbError.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <climits>
#include <cmath>
#include <functional>

using namespace XrImage;
using namespace imagetest;

namespace {

// The formulas of the own road, pixel by pixel over the whole target, as plainly as they read:
// the target pixel (tx, ty) (top-down) of a srcwidth x srcheight rectangle stretched to
// width x height, nearest or weighted.
struct ReferenceScaler {
    const c32bppDIB& image;
    int srcx, srcy, srcwidth, srcheight;
    std::int64_t width, height;
    bool weighted;

    Bgra sourceAt(std::int64_t column, std::int64_t bottomUpRow) const
    {
        return bgraAt(image, int(column), int(image.Height() - 1 - bottomUpRow));
    }

    Bgra at(std::int64_t tx, std::int64_t ty) const
    {
        const double xRatio = double(srcwidth) / double(width);
        const double yRatio = double(srcheight) / double(height);
        const std::int64_t sy = std::int64_t(image.Height()) - srcheight - srcy;
        const std::int64_t y = height - 1 - ty;
        const double px = double(tx) * xRatio + srcx;
        if (!weighted) {
            const auto row = std::int64_t(std::floor(double(y) * yRatio)) + sy;
            return sourceAt(std::int64_t(std::floor(px)), row);
        }
        const double py = double(y) * yRatio + double(sy);
        const auto iy = std::int64_t(std::floor(py));
        const double fy = py - double(iy);
        double rowWeights[2] = {fy, 1.0 - fy};
        if (iy == 0)
            rowWeights[0] = 1.0, rowWeights[1] = 0.0;
        const auto ix = std::int64_t(std::floor(px));
        const double fx = px - double(ix);
        double columnWeights[2] = {1.0 - fx, fx};
        if (ix == srcx + srcwidth - 1)
            columnWeights[0] = 1.0, columnWeights[1] = 0.0;
        double sums[4] = {0, 0, 0, 0};
        for (int r = 0; r < 2; ++r) {
            if (rowWeights[r] == 0.0)
                continue;
            for (int c = 0; c < 2; ++c) {
                if (columnWeights[c] == 0.0)
                    continue;
                const Bgra p = sourceAt(ix + c, iy - r);
                const double weight = columnWeights[c] * rowWeights[r];
                for (int channel = 0; channel < 4; ++channel)
                    sums[channel] += double(p[std::size_t(channel)]) * weight;
            }
        }
        Bgra out{};
        for (int channel = 0; channel < 4; ++channel)
            out[std::size_t(channel)] = int(std::min(255.0, std::floor(sums[channel])));
        return out;
    }
};

// Compositing one premultiplied pixel with constant alpha C onto a destination pixel: all
// four channels onto a host image, blue, green and red onto a device context.
Bgra composite(Bgra s, Bgra d, int C, bool host)
{
    const int a = s[3];
    if (a == 0)
        return d;
    const int k = 255 - a * C / 255;
    for (int c = 0; c < (host ? 4 : 3); ++c) {
        const int blended = C == 255 ? d[std::size_t(c)] * (255 - a) / 255 + s[std::size_t(c)]
                                     : (d[std::size_t(c)] * k + s[std::size_t(c)] * C) / 255;
        d[std::size_t(c)] = std::min(255, blended);
    }
    return d;
}

long peakResidentKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

// Random draws on the own road, scaled or not, nearest or weighted, at every opacity, partly
// or wholly outside the destination, into host images and onto device contexts: every
// destination pixel is what the formulas give.
TEST(RenderClipping, OwnRoadMatchesItsFormulasOverRandomDraws)
{
    std::mt19937 random(31);
    auto pick = [&](int low, int high) { return low + int(random() % unsigned(high - low + 1)); };
    for (int round = 0; round < 400; ++round) {
        auto image = filledImage(pick(1, 12), pick(1, 12), {0, 0, 0, 0});
        fillRandom(*image, random);
        image->LetHighQualityInterpolation(round % 2 == 1);
        const int srcx = pick(0, image->Width() - 1);
        const int srcy = pick(0, image->Height() - 1);
        const int srcwidth = pick(1, image->Width() - srcx);
        const int srcheight = pick(1, image->Height() - srcy);
        const bool scaled = round % 5 != 0;
        const int width = scaled ? pick(1, 60) : srcwidth;
        const int height = scaled ? pick(1, 60) : srcheight;
        const int x = pick(-70, 30);
        const int y = pick(-70, 30);
        const int opacity = round % 3 == 0 ? 100 : pick(1, 99);
        const int C = opacity * 255 / 100;
        // An unscaled draw copies the rectangle as it is.
        const ReferenceScaler reference{*image,    srcx,  srcy,   srcwidth,
                                        srcheight, width, height, scaled && round % 2 == 1};
        const bool toHost = round % 4 != 3;
        auto host = filledImage(24, 20, {0, 0, 0, 0});
        fillRandom(*host, random);
        Canvas canvas(24, 20, 0x204060);
        auto before = filledImage(24, 20, {0, 0, 0, 0});
        host->CopyImageTo(*before);
        if (toHost)
            image->Render(nullptr, x, y, width, height, srcx, srcy, srcwidth, srcheight, opacity,
                          true, true, host.get());
        else
            image->Render(&canvas.dc, x, y, width, height, srcx, srcy, srcwidth, srcheight,
                          opacity);
        for (int ty = 0; ty < 20; ++ty) {
            for (int tx = 0; tx < 24; ++tx) {
                const bool covered = tx >= x && tx < x + width && ty >= y && ty < y + height;
                if (toHost) {
                    const Bgra expected = covered ? composite(reference.at(tx - x, ty - y),
                                                              bgraAt(*before, tx, ty), C, true)
                                                  : bgraAt(*before, tx, ty);
                    ASSERT_EQ(bgraAt(*host, tx, ty), expected)
                        << "round " << round << " at " << tx << "," << ty;
                } else {
                    const Bgra painted{0x20, 0x40, 0x60, 0};
                    const Bgra expected =
                        covered ? composite(reference.at(tx - x, ty - y), painted, C, false)
                                : painted;
                    const auto bgr = canvas.bgr(tx, ty);
                    ASSERT_EQ((Bgra{bgr[0], bgr[1], bgr[2], 0}), expected)
                        << "round " << round << " at " << tx << "," << ty << " draw " << x << ","
                        << y << " " << width << "x" << height << " from " << srcx << "," << srcy
                        << " " << srcwidth << "x" << srcheight << " of " << image->Width() << "x"
                        << image->Height() << " opacity " << opacity;
                }
            }
        }
    }
}

// A small image stretched to absurd sizes onto a 100 x 100 destination, on every road: the
// call ends at once with what the destination shows (the top-left source pixel, which covers
// it all) or with the overflow error, and the process's memory does not grow with the size.
TEST(RenderClipping, AbsurdStretchesCostWhatTheDestinationHolds)
{
    const long residentBefore = peakResidentKilobytes();
    auto image = filledImage(4, 4, {0, 0, 0, 0}, false);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            put(*image, x, y, {10 * x, 10 * y, 200, 255});
    const Bgra topLeft{0, 0, 200, 255};
    struct Road {
        const char* name;
        bool gdiPlus, alphaBlend, weighted, halftone;
        float angle;
    };
    const Road roads[] = {
        {"own nearest", false, false, false, false, 0},
        {"own weighted", false, false, true, false, 0},
        {"AlphaBlend", false, true, false, false, 0},
        {"AlphaBlend halftone", false, true, false, true, 0},
        {"GDI+", true, false, false, false, 0},
        {"rotated", false, false, false, false, 180},
    };
    const std::int32_t sizes[] = {16000, (1 << 30) + 5, 1500000000, INT_MAX};
    for (const Road& road : roads) {
        image->LetisGDIplusEnabled(road.gdiPlus);
        image->LetisAlphaBlendFriendly(road.alphaBlend);
        image->LetHighQualityInterpolation(road.weighted);
        for (const std::int32_t size : sizes) {
            SCOPED_TRACE(testing::Message() << road.name << " at " << size);
            auto host = filledImage(100, 100, {1, 2, 3, 4});
            Canvas canvas(100, 100, 0xFFFFFF);
            for (bool toHost : {true, false}) {
                bool drawn = false;
                try {
                    // Rotated by half a turn about its centre, the square's bottom-right corner
                    // comes to the top-left.
                    const std::int32_t at = road.angle != 0 ? -(size - 100) : 0;
                    drawn =
                        toHost
                            ? image->Render(nullptr, at, at, size, size, 0, 0, 0, 0, 100, true,
                                            road.halftone, host.get(), gsclNone, 0, road.angle)
                            : image->Render(&canvas.dc, at, at, size, size, 0, 0, 0, 0, 100, true,
                                            road.halftone, nullptr, gsclNone, 0, road.angle);
                } catch (const vb::VbError& error) {
                    EXPECT_EQ(error.number(), vb::ErrOverflow);
                    continue;
                }
                if (!drawn) {
                    // Refused (the rotated square's side does not fit a Long): nothing drawn.
                    EXPECT_EQ(road.angle != 0 ? INT_MAX : 0, size);
                    EXPECT_EQ(bgraAt(*host, 50, 50), (Bgra{1, 2, 3, 4}));
                    EXPECT_EQ(canvas.bgr(50, 50), (std::array<int, 3>{255, 255, 255}));
                    continue;
                }
                // Weighted scaling mixes in the next row and column as its formula says.
                const ReferenceScaler reference{*image, 0, 0, 4, 4, size, size, road.weighted};
                // Inside the edges: a turned picture's edge rows are where rounding decides.
                for (auto [px, py] : {std::pair{0, 0}, std::pair{97, 0}, std::pair{50, 97}}) {
                    const Bgra shown = road.weighted ? reference.at(px, py) : topLeft;
                    if (toHost) {
                        EXPECT_EQ(bgraAt(*host, px, py), composite(shown, {1, 2, 3, 4}, 255, true))
                            << px << "," << py;
                    } else {
                        const auto bgr = canvas.bgr(px, py);
                        EXPECT_EQ((Bgra{bgr[0], bgr[1], bgr[2], 0}),
                                  composite(shown, {255, 255, 255, 0}, 255, false))
                            << px << "," << py;
                    }
                }
            }
        }
    }

    // Text drawn at an absurd size and tiles over an absurd area go the same roads.
    image->LetisGDIplusEnabled(false);
    image->LetisAlphaBlendFriendly(true);
    auto text = filledImage(100, 100, {0, 0, 0, 0}, false);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    EXPECT_TRUE(text->DrawText_stdFont(&font, QStringLiteral("Hello"), 0, 0, 0, 100000000,
                                       100000000, 0x0000FF));
    Canvas tiled(100, 100, 0xFFFFFF);
    EXPECT_TRUE(image->TileImage(&tiled.dc, -5, -5, 1500000000, 1500000000, 1000000, 1000000));
    EXPECT_EQ(tiled.bgr(0, 0), (std::array<int, 3>{0, 0, 200}));
    Canvas gapped(100, 100, 0xFFFFFF);
    EXPECT_TRUE(image->TileImage(&gapped.dc, 0, 0, 2000000000, 2000000000, 3, 3, 1, 1));
    EXPECT_EQ(gapped.bgr(4, 4), gapped.bgr(0, 0));
    EXPECT_EQ(gapped.bgr(97, 98), gapped.bgr(1, 2));
    EXPECT_EQ(gapped.bgr(3, 3), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(gapped.bgr(99, 50), (std::array<int, 3>{255, 255, 255}));

    EXPECT_LT(peakResidentKilobytes() - residentBefore, 150 * 1024);
}

// AlphaBlend stretched far past the destination, nearest and smooth: the visible pixels are
// those of the same stretch worked out whole on a destination that holds it all.
TEST(RenderClipping, AlphaBlendShowsTheWholeStretchsPixels)
{
    for (int mode : {gdi::COLORONCOLOR, gdi::HALFTONE}) {
        auto image = filledImage(7, 5, {0, 0, 0, 0}, false);
        std::mt19937 random(7);
        fillRandom(*image, random);
        image->LetisAlphaBlendFriendly(true);
        image->LetisGDIplusEnabled(false);
        image->LetHighQualityInterpolation(false);
        image->LetAlpha(true);
        auto whole = filledImage(90, 70, {9, 9, 9, 255});
        ASSERT_TRUE(image->Render(nullptr, 0, 0, 90, 70, 0, 0, 0, 0, 80, true,
                                  mode == gdi::HALFTONE, whole.get()));
        ASSERT_EQ(image->LastRenderRoad(), RenderRoad::AlphaBlend);
        auto part = filledImage(30, 20, {9, 9, 9, 255});
        ASSERT_TRUE(image->Render(nullptr, -41, -33, 90, 70, 0, 0, 0, 0, 80, true,
                                  mode == gdi::HALFTONE, part.get()));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                ASSERT_EQ(bgraAt(*part, x, y), bgraAt(*whole, x + 41, y + 33))
                    << mode << " at " << x << "," << y;
    }
}
