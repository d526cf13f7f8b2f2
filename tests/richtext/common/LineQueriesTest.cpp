// Line, caret and view queries over a bare editing window: display lines, the one-past-start
// length rule, past-the-end lines and scrolling a line to the top.
#include "richtext/common/LineQueries.h"

#include "platform/richedit/view/RichTextBox.h"

#include <gtest/gtest.h>

using richedit::RichTextBox;

namespace {

class LineQueriesTest : public testing::Test {
protected:
    LineQueriesTest() { m_box.engine().setViewportSize(QSize(6000, 3000)); }

    // A viewport `lines` line heights tall, as wide as before.
    void showLines(double lines)
    {
        const int height = int(m_box.engine().layout().lineHeight(0) * lines);
        m_box.engine().setViewportSize(QSize(6000, height));
    }
    void typeParagraphs(int count)
    {
        QStringList paragraphs;
        for (int i = 0; i < count; ++i)
            paragraphs << QStringLiteral("p%1").arg(i);
        m_box.setText(paragraphs.join(QStringLiteral("\r\n")));
    }

    RichTextBox m_box;
    LineQueries m_lines{m_box};
};

}  // namespace

TEST_F(LineQueriesTest, EmptyDocumentAnswersEmptyTextAndKeepsTheOutArguments)
{
    int32_t start = 77;
    int32_t length = 88;
    EXPECT_EQ(m_lines.GetLineText(start, length), QString());
    EXPECT_EQ(start, 77);
    EXPECT_EQ(length, 88);
    EXPECT_EQ(m_lines.GetPrevLineText(), QString());
    EXPECT_EQ(m_lines.GetAnyLineText(0), QString());
    EXPECT_EQ(m_lines.TotalLineCount(), 1);
    EXPECT_EQ(m_lines.CurrentLine(), 1);
    EXPECT_EQ(m_lines.FirstVisibleLine(), 1);
    EXPECT_EQ(m_lines.LastVisibleLine(), 1);
    EXPECT_EQ(m_lines.GetPosOfFirstCharInLine(), 0);
}

TEST_F(LineQueriesTest, LineTextsCountFromOnePastTheLineStart)
{
    m_box.setText(QStringLiteral("alpha\r\n\r\ngamma"));
    EXPECT_EQ(m_lines.TotalLineCount(), 3);
    EXPECT_EQ(m_lines.GetAnyLineText(0), QStringLiteral("alpha"));
    // An empty line is asked for the length of the line after it, read from its own start.
    EXPECT_EQ(m_lines.GetAnyLineText(1), QStringLiteral("\r\ngam"));
    EXPECT_EQ(m_lines.GetAnyLineText(2), QStringLiteral("gamma"));
    EXPECT_EQ(m_lines.GetAnyLineText(3), QString());
    EXPECT_EQ(m_lines.GetPosOfFirstCharInLine(2), 9);
    EXPECT_EQ(m_lines.GetPosOfFirstCharInLine(3), -1);

    m_box.setSelStart(11);
    int32_t start = 0;
    int32_t length = 0;
    EXPECT_EQ(m_lines.GetLineText(start, length), QStringLiteral("gamma"));
    EXPECT_EQ(start, 10);  // 1-based
    EXPECT_EQ(length, 5);
    EXPECT_EQ(m_lines.CurrentLine(), 3);
    EXPECT_EQ(m_lines.GetPosOfFirstCharInLine(), 9);
    EXPECT_EQ(m_lines.GetPosOfFirstCharInPrevLine(), 7);
    EXPECT_EQ(m_lines.GetPrevLineText(), QStringLiteral("\r\ngam"));

    // On the first line the line "above" is the caret's own.
    m_box.setSelStart(2);
    EXPECT_EQ(m_lines.GetPosOfFirstCharInPrevLine(), 0);
    EXPECT_EQ(m_lines.GetPrevLineText(), QStringLiteral("alpha"));

    m_lines.SelectLine();
    EXPECT_EQ(m_box.SelStart(), 0);
    EXPECT_EQ(m_box.SelLength(), 5);
}

TEST_F(LineQueriesTest, WrappedLinesCountAsDisplayLines)
{
    m_box.engine().setViewportSize(QSize(1500, 3000));
    m_box.setText(QStringLiteral("one two three four five six seven eight nine ten"));
    const int32_t lines = m_lines.TotalLineCount();
    ASSERT_GT(lines, 2);
    const int32_t second = m_lines.GetPosOfFirstCharInLine(1);
    ASSERT_GT(second, 0);
    m_box.setSelStart(second + 1);
    EXPECT_EQ(m_lines.CurrentLine(), 2);
    int32_t start = 0;
    int32_t length = 0;
    const QString text = m_lines.GetLineText(start, length);
    EXPECT_EQ(start, second + 1);
    EXPECT_EQ(text, m_box.Text().mid(second, length));
    EXPECT_EQ(m_lines.GetPosOfFirstCharInLine(lines), -1);
}

TEST_F(LineQueriesTest, GoToLineScrollsTheLineToTheTopAndSelectsIt)
{
    typeParagraphs(30);
    showLines(5.5);
    m_lines.GoToLine(10);
    EXPECT_EQ(m_lines.FirstVisibleLine(), 11);
    EXPECT_EQ(m_box.SelStart(), m_lines.GetPosOfFirstCharInLine(10));
    EXPECT_EQ(m_box.SelText(), QStringLiteral("p10"));

    // Without selecting, the view moves and the caret stays.
    m_lines.GoToLine(3, false);
    EXPECT_EQ(m_lines.FirstVisibleLine(), 4);
    EXPECT_EQ(m_box.SelText(), QStringLiteral("p10"));

    // Past the end nothing happens.
    m_lines.GoToLine(30);
    EXPECT_EQ(m_lines.FirstVisibleLine(), 4);
    EXPECT_EQ(m_box.SelText(), QStringLiteral("p10"));
}

TEST_F(LineQueriesTest, LastVisibleLineLeavesOutALineBarelyShownAtTheBottom)
{
    typeParagraphs(30);
    // Half of the sixth line shows: it counts. A sliver of it does not.
    showLines(5.5);
    EXPECT_EQ(m_lines.LastVisibleLine(), 6);
    showLines(5.02);
    EXPECT_EQ(m_lines.LastVisibleLine(), 5);
    m_lines.GoToLine(4, false);
    EXPECT_EQ(m_lines.LastVisibleLine(), 9);
}
