#include "image/codecs/FindSortedLong.h"

#include <gtest/gtest.h>

#include <vector>

using XrImage::FindSortedLong;

TEST(FindSortedLongTest, FindsOrPlacesValuesComparedAsSignedNumbers)
{
    const std::vector<std::int32_t> values{std::int32_t(0xFF000000), -5, 0, 7, 7000, 0x7FFFFFFF};
    std::int32_t index = 0;
    EXPECT_TRUE(FindSortedLong(values, 3, 0, index));
    EXPECT_EQ(index, 1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_FALSE(FindSortedLong(values, values[i], std::int32_t(values.size()), index));
        EXPECT_EQ(index, std::int32_t(i + 1));
    }
    const std::pair<std::int32_t, std::int32_t> absent[] = {
        {std::int32_t(0x80000000), 1}, {-6, 2}, {-1, 3}, {1, 4}, {100, 5}, {8000, 6}};
    for (const auto& [value, place] : absent) {
        EXPECT_TRUE(FindSortedLong(values, value, std::int32_t(values.size()), index)) << value;
        EXPECT_EQ(index, place) << value;
    }
    // Only the first `count` entries are searched.
    EXPECT_TRUE(FindSortedLong(values, 7000, 3, index));
    EXPECT_EQ(index, 4);
}
