// The compositing loop against its formula, written out plainly, over random pixels (also
// colours above their alpha, which only broken data holds), every constant alpha, each
// register width and run lengths that leave every remainder of each width.
#include "image/core/CompositingKernels.h"

#include <gtest/gtest.h>

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
