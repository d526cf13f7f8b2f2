#include "tests/richtext/printing/RulerTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Shade = 0xFFE5E5E5;
constexpr QRgb Black = 0xFF000000;

// Surface columns (pixels) of the ruler's ticks, read along its bottom row.
std::vector<int> tickColumns(const QImage& surface)
{
    std::vector<int> columns;
    const int bottom = surface.height() - 1;
    for (int x = 0; x < surface.width(); ++x)
        if (surface.pixel(x, bottom) == Black)
            columns.push_back(x);
    return columns;
}

// First row (pixels) of the tick in this column.
int tickTop(const QImage& surface, int x)
{
    int y = surface.height() - 1;
    while (y > 0 && surface.pixel(x, y - 1) == Black)
        --y;
    return y;
}

bool inkIn(const QImage& surface, QRect area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(surface.pixel(x, y)) < 160)
                return true;
    return false;
}

// Twips where the grey copy begins, read along row 3 (no tick reaches it but inch lines).
int shadeStartTwips(const QImage& surface)
{
    for (int x = 0; x < surface.width(); ++x)
        if (surface.pixel(x, 3) == Shade)
            return x * 15;
    return -1;
}

class RulerDrawingTest : public testsupport::RulerTestBase {};

TEST_F(RulerDrawingTest, DrawsSixtyEightTicksOfThreeHeightsAndTheEightInchNumbers)
{
    control().ClearRuler();
    control().DrawRuler();
    const QImage& surface = ruler().surface();
    ASSERT_EQ(surface.height(), 19);
    const std::vector<int> ticks = tickColumns(surface);
    ASSERT_EQ(ticks.size(), 68u);
    EXPECT_EQ(ticks.front(), 17);  // 255 twips
    EXPECT_EQ(ticks.back(), 821);  // 12315: the half-inch tick of 8 1/2 inches ends the ruler
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_EQ(ticks[i] - ticks[i - 1], 12);
    EXPECT_EQ(tickTop(surface, 17), 17);  // 1/8 inch: from 249.375 twips
    EXPECT_EQ(tickTop(surface, 53), 10);  // half inch at 795: from 142.5
    EXPECT_EQ(tickTop(surface, 101), 0);  // inch line at 1515: full height
    EXPECT_EQ(tickTop(surface, 773), 0);  // 8 inches

    // Each inch number stands right of its line, none left of the first and none past 8.
    for (int inch = 1; inch <= 8; ++inch) {
        const int line = 101 + 96 * (inch - 1);
        EXPECT_TRUE(inkIn(surface, QRect(line + 2, 0, 30, 9))) << inch;
        EXPECT_FALSE(inkIn(surface, QRect(line + 1, 0, 3, 9))) << "one label width of room";
    }
    EXPECT_FALSE(inkIn(surface, QRect(0, 0, 100, 9)));
    EXPECT_FALSE(inkIn(surface, QRect(822, 0, surface.width() - 822, 19)));

    // Drawing again overdraws the same lines; clearing takes everything away.
    control().DrawRuler();
    EXPECT_EQ(tickColumns(ruler().surface()), ticks);
    control().ClearRuler();
    EXPECT_FALSE(inkIn(ruler().surface(), ruler().surface().rect()));
}

TEST_F(RulerDrawingTest, ShadingStartsAtTheUsableLineEndWithAPrinter)
{
    const struct {
        int32_t margin;
        int offsetPixels;  // at 600 dpi
        int start;
    } cases[] = {{Academic, 0, 9810}, {TenEighty, 0, 10530}, {Academic, 25, 9720}};
    for (const auto& c : cases) {
        m_printer.settings().dpiX = m_printer.settings().dpiY = 600;
        m_printer.settings().unprintable = QMargins(c.offsetPixels, 0, 0, 0);
        control().LetPrinterMargin(c.margin);
        control().ClearRuler();
        control().DrawRuler();
        control().ShadeRuler();
        const QImage& surface = ruler().surface();
        EXPECT_EQ(shadeStartTwips(surface), c.start) << c.margin << " " << c.offsetPixels;
        // The grey copy keeps the ruler's ticks, and the part left of it is untouched.
        const int from = c.start / 15;
        EXPECT_EQ(surface.pixel(from - 1, 3), White);
        EXPECT_EQ(surface.pixel(surface.width() - 1, 3), Shade);
        EXPECT_EQ(tickColumns(surface).size(), 68u);
    }
    // The selection's right indent plays no part with a printer.
    m_printer.settings().unprintable = QMargins();
    control().LetPrinterMargin(Academic);
    engine().setSelRightIndent(2000);
    control().ShadeRuler();
    EXPECT_EQ(shadeStartTwips(ruler().surface()), 9810);
}

TEST_F(RulerDrawingTest, ShadeBeforeDrawLeavesBlackTicksOverTheGreyCopy)
{
    control().ClearRuler();
    control().ShadeRuler();
    EXPECT_EQ(ruler().surface().pixel(715, 3), Shade);
    EXPECT_EQ(ruler().surface().pixel(701, 18), Black);  // the copy's own tick at 10515
    control().DrawRuler();
    EXPECT_EQ(ruler().surface().pixel(701, 18), Black);
    EXPECT_EQ(ruler().surface().pixel(701, 3), Shade);
    EXPECT_EQ(tickTop(ruler().surface(), 773), 0);
}

class RulerWithoutPrinterTest : public testsupport::RulerTestBase {
protected:
    RulerWithoutPrinterTest() : RulerTestBase(false) {}
};

TEST_F(RulerWithoutPrinterTest, ShadingFollowsTheRightHandle)
{
    control().PrepareXrRTB();
    EXPECT_EQ(handle("RIHandle").Left(), 9540);
    control().ClearRuler();
    control().DrawRuler();
    control().ShadeRuler();
    EXPECT_EQ(shadeStartTwips(ruler().surface()), 9630);

    // Dragging the handle moves the shading with its centre.
    drag(handle("RIHandle"), 75 - 900);
    EXPECT_EQ(handle("RIHandle").Left(), 8640);
    control().ClearRuler();
    control().ShadeRuler();
    EXPECT_EQ(shadeStartTwips(ruler().surface()), 8730);
}

}  // namespace
