#include "GdiTestHelpers.h"

#include <gtest/gtest.h>

namespace {

using namespace gdi;
using gditest::Canvas;

TEST(Region, RectanglesCombineIntoTheFourSetOperations)
{
    const Region a = Region::rect(0, 0, 4, 2);
    const Region b = Region::rect(2, 0, 6, 2);
    Region result;
    EXPECT_EQ(Region::combine(result, a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(result.box(), (Rect{2, 0, 4, 2}));
    EXPECT_EQ(Region::combine(result, a, b, RGN_OR), SIMPLEREGION);
    EXPECT_EQ(result.box(), (Rect{0, 0, 6, 2}));
    EXPECT_EQ(Region::combine(result, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_FALSE(result.contains(3, 1));
    EXPECT_TRUE(result.contains(5, 1));
    EXPECT_EQ(Region::combine(result, a, b, RGN_DIFF), SIMPLEREGION);
    EXPECT_EQ(result.box(), (Rect{0, 0, 2, 2}));
    EXPECT_EQ(Region::combine(result, a, Region::rect(9, 9, 10, 10), RGN_AND), NULLREGION);
    EXPECT_EQ(Region::combine(result, a, b, 42), RGN_ERROR);

    Region moved = Region::rect(0, 0, 2, 2);
    EXPECT_EQ(moved.offset(3, -1), SIMPLEREGION);
    EXPECT_EQ(moved.box(), (Rect{3, -1, 5, 1}));
    EXPECT_EQ(moved.offset(INT32_MAX, 0), RGN_ERROR);
    EXPECT_EQ(moved.box(), (Rect{3, -1, 5, 1}));
    EXPECT_EQ(Region::rect(5, 5, 5, 9).kind(), NULLREGION);
}

TEST(Region, RoundRectRegionCoversWhatRoundRectPaints)
{
    Canvas canvas(12, 9);
    canvas.dc.selectBrush(Brush::solid(0));
    canvas.dc.roundRect(1, 1, 11, 8, 6, 4);
    const Region region = Region::roundRect(1, 1, 11, 8, 6, 4);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(region.contains(x, y), canvas.dc.getPixel(x, y) == 0) << x << "," << y;
    EXPECT_FALSE(region.contains(1, 1));  // the corner is cut
    EXPECT_TRUE(region.contains(5, 1));
}

TEST(Region, PolygonRegionsTakePixelsByTheirCentres)
{
    // A triangle whose slanted side runs through pixel centres: those on it are left out,
    // as on every right-hand or lower edge.
    const Region triangle = Region::polygon(QPolygon({QPoint(0, 0), QPoint(4, 0), QPoint(0, 4)}));
    EXPECT_TRUE(triangle.contains(2, 0));
    EXPECT_FALSE(triangle.contains(3, 0));
    EXPECT_TRUE(triangle.contains(1, 1));
    EXPECT_FALSE(triangle.contains(2, 1));
    EXPECT_TRUE(triangle.contains(0, 2));
    EXPECT_FALSE(triangle.contains(0, 3));
    // A self-overlapping outline: the overlap is outside under ALTERNATE, inside under WINDING.
    const QPolygon twice({QPoint(0, 0), QPoint(4, 0), QPoint(4, 4), QPoint(0, 4), QPoint(0, 0),
                          QPoint(2, 0), QPoint(2, 2), QPoint(0, 2)});
    EXPECT_FALSE(Region::polygon(twice, ALTERNATE).contains(1, 1));
    EXPECT_TRUE(Region::polygon(twice, WINDING).contains(1, 1));
    // Enormous coordinates are cut to the region space instead of running on for ever.
    const Region huge =
        Region::polygon(QPolygon({QPoint(-2000000000, -2000000000), QPoint(2000000000, -2000000000),
                                  QPoint(0, 2000000000)}));
    EXPECT_TRUE(huge.contains(0, 0));
}

TEST(Region, SelectedClipLimitsFillsAndLines)
{
    Canvas canvas(6, 4);
    Region clip;
    Region::combine(clip, Region::rect(0, 0, 6, 4), Region::rect(2, 1, 4, 3), RGN_DIFF);
    EXPECT_EQ(canvas.dc.selectClipRgn(clip), COMPLEXREGION);
    canvas.dc.fillRect({0, 1, 6, 3}, Brush::solid(0));
    ASSERT_TRUE(canvas.dc.clipRgn().has_value());
    EXPECT_EQ(*canvas.dc.clipRgn(), clip);
    canvas.dc.removeClipRgn();
    EXPECT_FALSE(canvas.dc.clipRgn().has_value());
    canvas.dc.fillRgn(Region::rect(0, 3, 2, 4), Brush::solid(0));
    EXPECT_EQ(canvas.rows(), QStringList({"......", "##..##", "##..##", "##...."}));
}

}  // namespace
