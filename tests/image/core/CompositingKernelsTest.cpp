// The compositing loop and the weighted scaling against their formulas, written out plainly,
// over random pixels (also colours above their alpha, which only broken data holds), each
// register width, run lengths that leave every remainder of each width, and scalings up and
// down, whole-number and odd, of parts of images and windows of targets.
#include "ImageFixtures.h"
#include "image/core/CompositingKernels.h"
#include "image/core/PixelViews.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <vector>

using namespace XrImage;

namespace {

void compositeByFormula(const std::uint8_t* s, std::uint8_t* d, std::int64_t count, int C,
                        bool host)
{
    for (std::int64_t i = 0; i < count; ++i, s += 4, d += 4) {
        const int a = s[3];
        if (a == 0)
            continue;
        const int k = 255 - a * C / 255;
        for (int c = 0; c < (host ? 4 : 3); ++c) {
            const int blended =
                C == 255 ? d[c] * (255 - a) / 255 + s[c] : (d[c] * k + s[c] * C) / 255;
            d[c] = std::uint8_t(std::min(255, blended));
        }
    }
}

constexpr VectorWidth everyWidth[] = {VectorWidth::Scalar, VectorWidth::Sse2, VectorWidth::Widest};

// Bottom-up pixels of the given size.
struct Pixels {
    std::int32_t width;
    std::int32_t height;
    std::vector<std::uint8_t> bytes;

    Pixels(std::int32_t w, std::int32_t h) : width(w), height(h), bytes(std::size_t(w) * h * 4) {}
    PixelView view() { return {bytes.data(), width, height, 4, std::size_t(width) * 4, true}; }
    const std::uint8_t* at(std::int64_t column, std::int64_t row) const
    {
        return bytes.data() + (std::size_t(row) * std::size_t(width) + std::size_t(column)) * 4;
    }
};

// One output pixel of the weighted scaling as its rule reads: the sample point's column and
// the next by the fraction (the rectangle's last column alone), its row by the fraction and
// the row below by the rest (row 0 alone), four Double products added in order and truncated.
// Nothing when a weighted neighbour falls outside the source.
std::optional<std::vector<std::uint8_t>> weightedByFormula(const Pixels& source, std::int64_t srcx,
                                                           std::int64_t srcwidth, std::int64_t sy,
                                                           double xRatio, double yRatio,
                                                           std::int64_t firstColumn,
                                                           std::int64_t columns,
                                                           std::int64_t firstRow, std::int64_t rows)
{
    std::vector<std::uint8_t> out(std::size_t(columns * rows * 4));
    for (std::int64_t b = 0; b < rows; ++b) {
        const double py = double(firstRow + b) * yRatio + double(sy);
        const auto iy = std::int64_t(std::floor(py));
        const double fy = py - double(iy);
        const std::int64_t row[2] = {iy, iy - 1};
        const double wy[2] = {iy == 0 ? 1.0 : fy, iy == 0 ? 0.0 : 1.0 - fy};
        for (std::int64_t j = 0; j < columns; ++j) {
            const double px = double(firstColumn + j) * xRatio + double(srcx);
            const auto ix = std::int64_t(std::floor(px));
            const double fx = px - double(ix);
            const bool last = ix == srcx + srcwidth - 1;
            const std::int64_t column[2] = {ix, ix + 1};
            const double wx[2] = {last ? 1.0 : 1.0 - fx, last ? 0.0 : fx};
            double sum[4] = {0, 0, 0, 0};
            for (int r = 0; r < 2; ++r) {
                for (int c = 0; c < 2; ++c) {
                    const double weight = wx[c] * wy[r];
                    if (weight == 0.0)
                        continue;
                    if (column[c] < 0 || column[c] >= source.width || row[r] < 0 ||
                        row[r] >= source.height)
                        return std::nullopt;
                    for (int channel = 0; channel < 4; ++channel)
                        sum[channel] += double(source.at(column[c], row[r])[channel]) * weight;
                }
            }
            for (int channel = 0; channel < 4; ++channel)
                out[std::size_t((b * columns + j) * 4 + channel)] =
                    std::uint8_t(std::min<std::int64_t>(std::int64_t(sum[channel]), 255));
        }
    }
    return out;
}

}  // namespace

TEST(CompositingKernels, DivisionBy255IsExactOverItsRange)
{
    for (std::uint32_t value = 0; value <= 2u * 255u * 255u; ++value)
        ASSERT_EQ(dividedBy255(value), value / 255) << value;
}

TEST(CompositingKernels, BlendingMatchesTheFormulaOverRandomRuns)
{
    std::mt19937 random(33);
    for (int round = 0; round < 3000; ++round) {
        const int count = int(random() % 40);
        const int C = round < 256 ? round : int(random() % 256);
        const bool broken = round % 4 == 0;
        std::vector<std::uint8_t> source(std::size_t(count) * 4 + 16);
        std::vector<std::uint8_t> destination(source.size());
        for (int i = 0; i < count; ++i) {
            const int a = random() % 5 == 0 ? 0 : random() % 5 == 0 ? 255 : int(random() % 256);
            for (int c = 0; c < 3; ++c)
                source[std::size_t(i * 4 + c)] =
                    std::uint8_t(broken && random() % 3 == 0 ? random() % 256 : random() % (a + 1));
            source[std::size_t(i * 4 + 3)] = std::uint8_t(a);
        }
        for (auto& byte : destination)
            byte = std::uint8_t(random());
        for (const bool host : {true, false}) {
            std::vector<std::uint8_t> expected = destination;
            compositeByFormula(source.data(), expected.data(), count, C, host);
            for (const VectorWidth width :
                 {VectorWidth::Scalar, VectorWidth::Sse2, VectorWidth::Widest}) {
                std::vector<std::uint8_t> actual = destination;
                if (host)
                    blendColourRun<true>(source.data(), actual.data(), count, std::uint32_t(C),
                                         width);
                else
                    blendColourRun<false>(source.data(), actual.data(), count, std::uint32_t(C),
                                          width);
                ASSERT_EQ(actual, expected)
                    << "round " << round << " host " << host << " width " << int(width);
            }
        }
    }
}

TEST(CompositingKernels, WeightedScalingMatchesTheFormulaOverRandomRectangles)
{
    std::mt19937 random(330);
    auto pick = [&](int low, int high) { return low + int(random() % unsigned(high - low + 1)); };
    for (int round = 0; round < 4000; ++round) {
        Pixels source(pick(1, 24), pick(1, 24));
        const bool opaque = round % 3 == 0;
        for (std::size_t i = 0; i < source.bytes.size(); i += 4) {
            const int a = opaque ? 255 : random() % 4 == 0 ? 0 : int(random() % 256);
            for (int c = 0; c < 3; ++c)
                source.bytes[i + std::size_t(c)] = std::uint8_t(random() % unsigned(a + 1));
            source.bytes[i + 3] = std::uint8_t(a);
        }
        // A part of the source, scaled to a whole target that is a whole multiple or fraction
        // of it (exact weights of 0 and 1) or any size up to three times it.
        const std::int64_t srcx = pick(0, source.width - 1);
        const std::int64_t srcy = pick(0, source.height - 1);
        const std::int64_t srcwidth = pick(1, int(source.width - srcx));
        const std::int64_t srcheight = pick(1, int(source.height - srcy));
        auto targetSize = [&](std::int64_t from) {
            switch (random() % 4) {
                case 0:
                    return from * pick(1, 4);
                case 1:
                    return std::max<std::int64_t>(1, from / pick(1, 4));
                default:
                    return std::int64_t(pick(1, int(from) * 3));
            }
        };
        const std::int64_t fullW = targetSize(srcwidth);
        const std::int64_t fullH = targetSize(srcheight);
        const std::int64_t firstColumn = pick(0, int(fullW - 1));
        const std::int64_t firstRow = pick(0, int(fullH - 1));
        const std::int64_t columns = pick(1, int(fullW - firstColumn));
        const std::int64_t rows = pick(1, int(fullH - firstRow));
        const std::int64_t sy = source.height - srcheight - srcy;
        const double xRatio = double(srcwidth) / double(fullW);
        const double yRatio = double(srcheight) / double(fullH);
        const auto expected = weightedByFormula(source, srcx, srcwidth, sy, xRatio, yRatio,
                                                firstColumn, columns, firstRow, rows);
        for (const VectorWidth width : everyWidth) {
            Pixels target{std::int32_t(columns), std::int32_t(rows)};
            const bool drawn =
                resampleWeighted(source.view(), target.view(), srcx, srcwidth, sy, xRatio, yRatio,
                                 firstColumn, columns, firstRow, rows, width);
            ASSERT_EQ(drawn, expected.has_value()) << "round " << round;
            if (drawn) {
                ASSERT_EQ(target.bytes, *expected) << "round " << round << " width " << int(width);
            }
        }
    }
}

TEST(CompositingKernels, WeightedResizeOfImagesMatchesTheFormula)
{
    using namespace imagetest;
    std::mt19937 random(331);
    auto pick = [&](int low, int high) { return low + int(random() % unsigned(high - low + 1)); };
    // The first rounds are large enough to be split into bands of rows over threads.
    for (int round = 0; round < 300; ++round) {
        const bool opaque = round % 2 == 0;
        const bool large = round < 4;
        auto image = large ? filledImage(pick(500, 900), pick(400, 700), {0, 0, 0, 255})
                           : filledImage(pick(1, 70), pick(1, 70), {0, 0, 0, 255});
        if (!opaque)
            fillRandom(*image, random);
        else
            for (int y = 0; y < image->Height(); ++y)
                for (int x = 0; x < image->Width(); ++x)
                    put(*image, x, y, {pick(0, 255), pick(0, 255), pick(0, 255), 255});
        image->LetHighQualityInterpolation(true);
        Pixels source(image->Width(), image->Height());
        std::memcpy(source.bytes.data(), image->BitsPointer(), source.bytes.size());
        const int most = large ? 1000 : 150;
        const std::int32_t newWidth =
            round % 5 == 0 ? image->Width() * 2 : pick(large ? 400 : 1, most);
        const std::int32_t newHeight =
            round % 5 == 0 ? image->Height() / 2 + 1 : pick(large ? 400 : 1, most);
        const auto expected =
            weightedByFormula(source, 0, source.width, 0, double(source.width) / newWidth,
                              double(source.height) / newHeight, 0, newWidth, 0, newHeight);
        ASSERT_TRUE(expected.has_value());
        ASSERT_TRUE(image->Resize(newWidth, newHeight));
        ASSERT_EQ(image->Width(), newWidth);
        ASSERT_EQ(image->Height(), newHeight);
        ASSERT_EQ(0, std::memcmp(image->BitsPointer(), expected->data(), expected->size()))
            << "round " << round;
    }
}
