#include "platform/host/Units.h"

#include <gtest/gtest.h>

namespace {

using namespace host;

TEST(Units, FifteenTwipsPerPixelAtNinetySixDpi)
{
    const ScopedLogicalDpi dpi(96, 96);
    EXPECT_DOUBLE_EQ(TwipsPerPixelX(), 15.0);
    EXPECT_DOUBLE_EQ(TwipsPerPixelY(), 15.0);
    EXPECT_DOUBLE_EQ(twipsToPixelsX(7200), 480.0);
    EXPECT_DOUBLE_EQ(pixelsToTwipsY(528), 7920.0);
    EXPECT_DOUBLE_EQ(twipsToPixelsY(pixelsToTwipsY(37.5)), 37.5);
}

TEST(Units, AxesFollowTheirOwnDpiAndOverridesNest)
{
    {
        const ScopedLogicalDpi outer(120, 144);
        EXPECT_DOUBLE_EQ(TwipsPerPixelX(), 12.0);
        EXPECT_DOUBLE_EQ(TwipsPerPixelY(), 10.0);
        EXPECT_DOUBLE_EQ(twipsToPixelsX(1440), 120.0);
        EXPECT_DOUBLE_EQ(twipsToPixelsY(1440), 144.0);
        {
            const ScopedLogicalDpi inner(72, 72);
            EXPECT_DOUBLE_EQ(pixelsToTwipsX(1), 20.0);
        }
        EXPECT_DOUBLE_EQ(logicalDpiX(), 120.0);
        EXPECT_DOUBLE_EQ(logicalDpiY(), 144.0);
    }
    // Without an override the screen decides; the offscreen screen reports a positive dpi.
    EXPECT_GT(logicalDpiX(), 0.0);
    EXPECT_DOUBLE_EQ(TwipsPerPixelX() * logicalDpiX(), TwipsPerInch);
}

}  // namespace
