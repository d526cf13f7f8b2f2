#include "platform/richedit/model/FormatRecords.h"

#include <gtest/gtest.h>

#include <cstddef>

using namespace richedit;

TEST(FormatRecordsTest, CharacterRecordLayout)
{
    EXPECT_EQ(offsetof(RtfFormatQ, cbSize), 0u);
    EXPECT_EQ(offsetof(RtfFormatQ, wPad1), 2u);
    EXPECT_EQ(offsetof(RtfFormatQ, dwMask), 4u);
    EXPECT_EQ(offsetof(RtfFormatQ, dwEffects), 8u);
    EXPECT_EQ(offsetof(RtfFormatQ, yHeight), 12u);
    EXPECT_EQ(offsetof(RtfFormatQ, yOffset), 16u);
    EXPECT_EQ(offsetof(RtfFormatQ, crTextColor), 20u);
    EXPECT_EQ(offsetof(RtfFormatQ, bCharSet), 24u);
    EXPECT_EQ(offsetof(RtfFormatQ, bPitchAndFamily), 25u);
    EXPECT_EQ(offsetof(RtfFormatQ, szFaceName), 26u);
    EXPECT_EQ(offsetof(RtfFormatQ, wPad2), 58u);
    EXPECT_EQ(offsetof(RtfFormatQ, wWeight), 60u);
    EXPECT_EQ(offsetof(RtfFormatQ, sSpacing), 62u);
    EXPECT_EQ(offsetof(RtfFormatQ, crBackColor), 64u);
    EXPECT_EQ(offsetof(RtfFormatQ, lLCID), 68u);
    EXPECT_EQ(offsetof(RtfFormatQ, dwReserved), 72u);
    EXPECT_EQ(offsetof(RtfFormatQ, sStyle), 76u);
    EXPECT_EQ(offsetof(RtfFormatQ, wKerning), 78u);
    EXPECT_EQ(offsetof(RtfFormatQ, bUnderlineType), 80u);
    EXPECT_EQ(offsetof(RtfFormatQ, bAnimation), 81u);
    EXPECT_EQ(offsetof(RtfFormatQ, bRevAuthor), 82u);
    EXPECT_EQ(offsetof(RtfFormatQ, bReserved1), 83u);
    EXPECT_EQ(sizeof(RtfFormatQ), 84u);
}

TEST(FormatRecordsTest, ParagraphRecordLayout)
{
    EXPECT_EQ(offsetof(ParaFormat2, cbSize), 0u);
    EXPECT_EQ(offsetof(ParaFormat2, dwMask), 4u);
    EXPECT_EQ(offsetof(ParaFormat2, wNumbering), 8u);
    EXPECT_EQ(offsetof(ParaFormat2, wEffects), 10u);
    EXPECT_EQ(offsetof(ParaFormat2, dxStartIndent), 12u);
    EXPECT_EQ(offsetof(ParaFormat2, dxRightIndent), 16u);
    EXPECT_EQ(offsetof(ParaFormat2, dxOffset), 20u);
    EXPECT_EQ(offsetof(ParaFormat2, wAlignment), 24u);
    EXPECT_EQ(offsetof(ParaFormat2, cTabCount), 26u);
    EXPECT_EQ(offsetof(ParaFormat2, rgxTabs), 28u);
    EXPECT_EQ(offsetof(ParaFormat2, dySpaceBefore), 156u);
    EXPECT_EQ(offsetof(ParaFormat2, dySpaceAfter), 160u);
    EXPECT_EQ(offsetof(ParaFormat2, dyLineSpacing), 164u);
    EXPECT_EQ(offsetof(ParaFormat2, sStyle), 168u);
    EXPECT_EQ(offsetof(ParaFormat2, bLineSpacingRule), 170u);
    EXPECT_EQ(offsetof(ParaFormat2, bOutlineLevel), 171u);
    EXPECT_EQ(offsetof(ParaFormat2, wShadingWeight), 172u);
    EXPECT_EQ(offsetof(ParaFormat2, wShadingStyle), 174u);
    EXPECT_EQ(offsetof(ParaFormat2, wNumberingStart), 176u);
    EXPECT_EQ(offsetof(ParaFormat2, wNumberingStyle), 178u);
    EXPECT_EQ(offsetof(ParaFormat2, wNumberingTab), 180u);
    EXPECT_EQ(offsetof(ParaFormat2, wBorderSpace), 182u);
    EXPECT_EQ(offsetof(ParaFormat2, wBorderWidth), 184u);
    EXPECT_EQ(offsetof(ParaFormat2, wBorders), 186u);
    EXPECT_EQ(sizeof(ParaFormat2), 188u);
}

TEST(FormatRecordsTest, CharacterRecordsConvertBothWays)
{
    // A record as a caller builds it: zeroed, then only the needed fields.
    RtfFormatQ record{};
    record.cbSize = 84;
    record.dwMask = Link | Lcid;
    record.dwEffects = Link | Bold | 0x02000000;  // bits without a mask are ignored
    record.lLCID = LinkLcid;
    std::optional<CharFormat> format = toCharFormat(record);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->mask, uint32_t(Link | Lcid));
    EXPECT_EQ(format->effects, uint32_t(Link));
    EXPECT_EQ(format->lcid, LinkLcid);

    CharFormat full = defaultCharFormat(QStringLiteral("Caf\u00e9 Sans"), 195);
    full.effects |= Italic | Superscript;
    full.offsetTw = -40;
    full.lcid = 1049;
    full.charset = 204;
    fromCharFormat(full, record);
    EXPECT_EQ(record.cbSize, 84);
    EXPECT_STREQ(record.szFaceName, "Caf\xe9 Sans");
    EXPECT_EQ(toCharFormat(record), full);

    // Face names are cut to 31 bytes so that the terminating NUL always fits.
    full.face = QString(40, u'x');
    fromCharFormat(full, record);
    EXPECT_EQ(toCharFormat(record)->face, QString(31, u'x'));
    EXPECT_EQ(record.szFaceName[31], '\0');

    record.cbSize = 60;
    EXPECT_FALSE(toCharFormat(record));
}

TEST(FormatRecordsTest, ParagraphRecordsConvertBothWays)
{
    ParaFormat format = defaultParaFormat();
    format.numbering = UpperRoman;
    format.numberingStart = 4;
    format.numberingStyle = 0x200;
    format.startIndent = 720;
    format.rightIndent = -980;
    format.offset = -360;
    format.alignment = AlignJustify;
    format.tabs = {1440, 720, 2880};
    format.spaceBefore = 120;
    format.spaceAfter = 240;
    format.lineSpacing = 30;
    format.lineSpacingRule = 5;
    ParaFormat2 record;
    fromParaFormat(format, record);
    EXPECT_EQ(record.cTabCount, 3);
    EXPECT_EQ(record.rgxTabs[1], 720);
    EXPECT_EQ(toParaFormat(record), format);

    // A count outside 0..32 never reads past the stops.
    record.cTabCount = 90;
    EXPECT_EQ(toParaFormat(record)->tabs.size(), 32u);
    record.cTabCount = -3;
    EXPECT_TRUE(toParaFormat(record)->tabs.empty());
    record.cbSize = 156;
    EXPECT_FALSE(toParaFormat(record));
}
