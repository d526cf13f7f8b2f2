#include "richtext/printing/RulerGeometry.h"

#include <gtest/gtest.h>

TEST(RulerGeometryTest, SnapsToTheSixteenthInchGridWithNegativesTruncatedTowardZero)
{
    const std::pair<int32_t, int32_t> cases[] = {
        {0, 0},
        {44, 0},
        {45, 90},
        {134, 90},
        {135, 180},
        {-44, 0},
        {-100, 0},
        {-134, 0},
        {-135, -90},
        {9615, 9630},
        {9825, 9810},
        {10545, 10530},
        {9705, 9720},
        {INT32_MAX, 2147483610},
        {INT32_MIN, -2147483520},
    };
    for (const auto& [value, snapped] : cases)
        EXPECT_EQ(ruler::snapToGrid(value), snapped) << value;
}

TEST(RulerGeometryTest, LabelsEveryMarkerInReducedSixteenths)
{
    EXPECT_EQ(ruler::tabStopLabel(0), QStringLiteral("1/16 inch"));
    EXPECT_EQ(ruler::tabStopLabel(1), QStringLiteral("1/8 inch"));
    EXPECT_EQ(ruler::tabStopLabel(3), QStringLiteral("1/4 inch"));
    EXPECT_EQ(ruler::tabStopLabel(7), QStringLiteral("1/2 inch"));
    EXPECT_EQ(ruler::tabStopLabel(14), QStringLiteral("15/16 inch"));
    EXPECT_EQ(ruler::tabStopLabel(15), QStringLiteral("1 inch"));
    EXPECT_EQ(ruler::tabStopLabel(16), QStringLiteral("1 1/16 inch"));
    EXPECT_EQ(ruler::tabStopLabel(23), QStringLiteral("1 1/2 inch"));
    EXPECT_EQ(ruler::tabStopLabel(126), QStringLiteral("7 15/16 inch"));
    EXPECT_EQ(ruler::tabStopLabel(127), QStringLiteral("8 inch"));
    EXPECT_EQ(ruler::tabStopLabel(134), QStringLiteral("8 7/16 inch"));
    EXPECT_EQ(ruler::tabStopLabel(135), QStringLiteral("8 1/2 inch"));
    EXPECT_EQ(ruler::tabStopLabel(-1), QString());
    EXPECT_EQ(ruler::tabStopLabel(136), QString());
    EXPECT_EQ(ruler::markerLeft(0), 120);
    EXPECT_EQ(ruler::markerLeft(135), 12270);
}
