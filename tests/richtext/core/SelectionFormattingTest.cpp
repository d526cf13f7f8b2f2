// Formatting of the selection through the format records: highlight toggling with OLE colour
// translation, line spacing, scripts, lists, alignment, the Can queries and the wrap modes.
#include "richtext/core/SelectionFormatting.h"

#include "platform/richedit/view/RichTextBox.h"

#include <gtest/gtest.h>

using namespace richedit;

namespace {

constexpr host::OLE_COLOR Yellow = 0x0000FFFF;
constexpr host::OLE_COLOR Aqua = 0x00FFFF00;
constexpr host::OLE_COLOR WindowBackground = 0x80000005;  // a system colour

class SelectionFormattingTest : public testing::Test {
protected:
    SelectionFormattingTest()
    {
        m_box.engine().setViewportSize(QSize(6000, 3000));
        m_box.setText(QStringLiteral("first paragraph\r\nsecond paragraph"));
    }
    void select(int32_t start, int32_t length)
    {
        m_box.setSelStart(start);
        m_box.setSelLength(length);
    }
    CharFormat formatOf(int32_t start, int32_t length)
    {
        select(start, length);
        return m_box.engine().charFormat();
    }
    bool automaticBackground(int32_t start, int32_t length)
    {
        const CharFormat format = formatOf(start, length);
        return format.has(BackColor) && format.is(AutoBackColorEffect);
    }

    RichTextBox m_box;
    SelectionFormatting m_format{m_box};
};

}  // namespace

TEST_F(SelectionFormattingTest, HighlightTogglesRecoloursAndTranslatesColours)
{
    // Nothing selected: nothing happens.
    select(2, 0);
    m_format.HighLightText(Yellow);
    EXPECT_TRUE(automaticBackground(0, 5));

    select(0, 5);
    m_format.HighLightText(Yellow);
    EXPECT_TRUE(m_format.IsTextHighLighted(Yellow));
    EXPECT_FALSE(formatOf(0, 5).is(AutoBackColorEffect));
    EXPECT_EQ(formatOf(0, 5).backColor, Yellow);
    EXPECT_TRUE(automaticBackground(5, 3));

    // Another colour recolours; the same colour again takes the highlight off.
    select(0, 5);
    m_format.HighLightText(Aqua);
    EXPECT_EQ(formatOf(0, 5).backColor, Aqua);
    select(0, 5);
    m_format.HighLightText(Aqua);
    EXPECT_TRUE(automaticBackground(0, 5));
    EXPECT_FALSE(m_format.IsTextHighLighted(Aqua));

    // A system colour is translated before it is applied and compared.
    select(6, 9);
    m_format.HighLightText(WindowBackground);
    EXPECT_EQ(formatOf(6, 9).backColor, host::TranslateOleColor(WindowBackground));
    EXPECT_TRUE(m_format.IsTextHighLighted(WindowBackground));

    // -1 is the automatic background.
    select(6, 9);
    m_format.HighLightText(0xFFFFFFFF);
    EXPECT_TRUE(automaticBackground(6, 9));
}

TEST_F(SelectionFormattingTest, UnhighlightAllOrOnlyTheSelection)
{
    select(0, 33);
    m_format.HighLightText(Yellow);
    select(0, 5);
    m_format.UnHighLightText(Unhighlight_Selected_Text);
    EXPECT_TRUE(automaticBackground(0, 5));
    EXPECT_EQ(formatOf(17, 6).backColor, Yellow);

    // An empty selection with "selected" and an unknown value do nothing.
    select(18, 0);
    m_format.UnHighLightText(Unhighlight_Selected_Text);
    m_format.UnHighLightText(7);
    EXPECT_EQ(formatOf(17, 6).backColor, Yellow);

    select(3, 0);
    m_format.UnHighLightText();
    EXPECT_TRUE(automaticBackground(0, 33));
}

TEST_F(SelectionFormattingTest, LineSpacingTakesItsValueOnlyForExactAndMultiple)
{
    select(0, 3);
    m_format.LineSpacing(LineSpaceDoubleQ, 500);
    ParaFormat para = m_box.engine().paraFormat();
    EXPECT_EQ(para.lineSpacingRule, LineSpaceDoubleQ);
    EXPECT_EQ(para.lineSpacing, 0);
    m_format.LineSpacing(LineSpaceExactlyQ, 500);
    para = m_box.engine().paraFormat();
    EXPECT_EQ(para.lineSpacingRule, LineSpaceExactlyQ);
    EXPECT_EQ(para.lineSpacing, 500);
    m_format.LineSpacing(LineSpaceMultipleQ);
    EXPECT_EQ(m_box.engine().paraFormat().lineSpacing, 10);
    // The second paragraph kept single spacing.
    select(20, 0);
    EXPECT_EQ(m_box.engine().paraFormat().lineSpacingRule, LineSpaceSingleQ);
}

TEST_F(SelectionFormattingTest, ScriptsListsAndAlignment)
{
    select(0, 5);
    m_format.ScriptStyle(SuperScriptQ);
    EXPECT_TRUE(formatOf(0, 5).is(Superscript));
    select(0, 5);
    m_format.ScriptStyle(SubScriptQ);
    EXPECT_TRUE(formatOf(0, 5).is(Subscript));
    EXPECT_FALSE(formatOf(0, 5).is(Superscript));
    select(0, 5);
    m_format.ScriptStyle(9);  // unknown: nothing
    EXPECT_TRUE(formatOf(0, 5).is(Subscript));
    select(0, 5);
    m_format.ScriptStyle(NoScriptQ);
    EXPECT_FALSE(formatOf(0, 5).is(SubSuperscript));

    select(0, 20);
    m_format.ListStyle(ListNumberAsUCRomanQ);
    const ParaFormat para = m_box.engine().paraFormat();
    EXPECT_EQ(para.numberingStart, 1);
    EXPECT_EQ(para.numberingStyle, 0x200);
    EXPECT_TRUE(m_format.SelListMethod(ListNumberAsUCRomanQ));
    EXPECT_FALSE(m_format.SelListMethod(ListBulletQ));

    select(0, 3);
    m_format.align(SelectionFormatting::Center);
    EXPECT_EQ(m_format.GetAlignment(), std::optional<int>(SelectionFormatting::Center));
    select(0, 20);
    EXPECT_EQ(m_format.GetAlignment(), std::nullopt) << "centred and left paragraphs";
}

TEST_F(SelectionFormattingTest, CanQueries)
{
    select(0, 0);
    EXPECT_FALSE(m_format.HasSelectedText());
    EXPECT_FALSE(m_format.CanLookUpSelection());
    EXPECT_TRUE(m_format.CanSelectAll());

    m_box.setText(QString(40, u'w'));
    select(0, 37);
    EXPECT_TRUE(m_format.CanLookUpSelection());
    select(0, 38);
    EXPECT_FALSE(m_format.CanLookUpSelection());
    EXPECT_TRUE(m_format.HasSelectedText());

    m_format.SelectAllText();
    EXPECT_EQ(m_box.SelLength(), 40);
    EXPECT_FALSE(m_format.CanSelectAll());
    m_box.setText(QString());
    EXPECT_FALSE(m_format.CanSelectAll());
}

TEST_F(SelectionFormattingTest, WrapModesAndReadOnly)
{
    m_format.wrapNowhere();
    EXPECT_EQ(m_box.engine().layout().wrapMode(), WrapMode::None);
    m_format.wrapAtWindow();
    EXPECT_EQ(m_box.engine().layout().wrapMode(), WrapMode::Window);

    EXPECT_NE(m_format.ReadOnly(true), 0);
    EXPECT_TRUE(m_box.Locked());
    m_format.ReadOnly(false);
    EXPECT_FALSE(m_box.Locked());
}
