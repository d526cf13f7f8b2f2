#include "platform/gdi/RegionData.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint8_t> block(std::vector<std::int32_t> longs)
{
    std::vector<std::uint8_t> bytes;
    for (std::int32_t value : longs)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(std::uint8_t(std::uint32_t(value) >> (8 * i)));
    return bytes;
}

}  // namespace

TEST(RegionData, BuildsRegionFromRectanglesAndRefusesMalformedBlocks)
{
    const auto good = block({32, 1, 2, 32, 0, 0, 10, 5, 0, 0, 3, 1, 1, 4, 4, 5});
    auto region = gdi::extCreateRegion(good.data(), good.size());
    ASSERT_TRUE(region);
    EXPECT_EQ(region->pixels(), QRegion(0, 0, 3, 1) + QRegion(1, 4, 3, 1));
    // Overlapping rectangles in any order still give their union.
    const auto overlapping = block({32, 1, 2, 32, 0, 0, 9, 9, 2, 2, 6, 6, 0, 0, 4, 4});
    auto united = gdi::extCreateRegion(overlapping.data(), overlapping.size());
    ASSERT_TRUE(united);
    EXPECT_EQ(united->pixels(), QRegion(2, 2, 4, 4) + QRegion(0, 0, 4, 4));

    EXPECT_FALSE(gdi::extCreateRegion(good.data(), good.size() - 1));  // count beyond the data
    auto wrongType = good;
    wrongType[4] = 2;
    EXPECT_FALSE(gdi::extCreateRegion(wrongType.data(), wrongType.size()));
    const auto inverted = block({32, 1, 1, 16, 0, 0, 1, 1, 5, 0, 3, 1});
    EXPECT_FALSE(gdi::extCreateRegion(inverted.data(), inverted.size()));
    const auto negative = block({32, 1, -1, 16, 0, 0, 1, 1});
    EXPECT_FALSE(gdi::extCreateRegion(negative.data(), negative.size()));
    EXPECT_FALSE(gdi::extCreateRegion(nullptr, 0));

    gdi::setRegionDataLimit(1);
    EXPECT_FALSE(gdi::extCreateRegion(good.data(), good.size()));
    gdi::setRegionDataLimit(0);
}
