#include "platform/host/OleColor.h"

#include <gtest/gtest.h>

namespace {

using namespace host;

TEST(OleColor, SystemColourTableHoldsTheStandardScheme)
{
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xF0F0F0u);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(51, 153, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0xFFFFFFu);
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), 0u);
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(160, 160, 160));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), 0xFFFFFFu);
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), RGB(105, 105, 105));
    EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), RGB(227, 227, 227));
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), RGB(109, 109, 109));
    EXPECT_EQ(GetSysColor(COLOR_INACTIVEBORDER), RGB(244, 247, 252));
    EXPECT_EQ(GetSysColor(COLOR_GRADIENTACTIVECAPTION), RGB(185, 209, 234));
    EXPECT_EQ(GetSysColor(COLOR_HOTLIGHT), RGB(0, 102, 204));
    EXPECT_EQ(GetSysColor(COLOR_MENUBAR), 0xF0F0F0u);
    // Every entry is a plain colour; outside the table the answer is black.
    for (int index = 0; index < SysColorCount; ++index)
        EXPECT_EQ(GetSysColor(index) & 0xFF000000u, 0u) << index;
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(SysColorCount), 0u);
}

TEST(OleColor, TranslatesPlainAndSystemColoursAndRejectsTheRest)
{
    COLORREF result = 0;
    EXPECT_TRUE(OleTranslateColor(0x00123456u, result));
    EXPECT_EQ(result, 0x00123456u);
    EXPECT_TRUE(OleTranslateColor(0x02123456u, result));
    EXPECT_EQ(result, 0x02123456u);
    EXPECT_TRUE(OleTranslateColor(0x8000000Fu, result));
    EXPECT_EQ(result, 0xF0F0F0u);
    EXPECT_EQ(TranslateOleColor(0x8000000Du), RGB(51, 153, 255));
    EXPECT_EQ(TranslateOleColor(0x8000001Eu), GetSysColor(COLOR_MENUBAR));

    // Unknown system indexes, palette indexes without a palette, other high bytes, -1.
    for (OLE_COLOR bad :
         {0x8000001Fu, 0x80001005u, 0x01000003u, 0x03000000u, 0x7F000000u, 0xFFFFFFFFu}) {
        result = 0x42;
        EXPECT_FALSE(OleTranslateColor(bad, result)) << std::hex << bad;
        EXPECT_EQ(result, 0x42u);
        EXPECT_EQ(TranslateOleColor(bad), CLR_INVALID) << std::hex << bad;
    }
}

TEST(OleColor, ConvertsToAndFromQColorWithRedInTheLowByte)
{
    const QColor orange = colorFromColorref(0x0040A0FFu);
    EXPECT_EQ(orange, QColor(0xFF, 0xA0, 0x40));
    EXPECT_EQ(colorrefFromColor(QColor(0x12, 0x34, 0x56)), 0x00563412u);
    EXPECT_EQ(colorFromColorref(0x02563412u), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(colorrefFromColor(QColor::fromHsv(120, 255, 255)), RGB(0, 255, 0));
    EXPECT_EQ(colorFromOleColor(0x80000012u), QColor(0, 0, 0));
    EXPECT_FALSE(colorFromOleColor(0x80000040u).isValid());
}

}  // namespace
