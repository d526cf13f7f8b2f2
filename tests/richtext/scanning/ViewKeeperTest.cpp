// The view keeper's three slots: the line at the top before a pass, and back to it after.
#include "richtext/scanning/ViewKeeper.h"

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"

#include <gtest/gtest.h>
#include <QStringList>

using richedit::RichTextBox;

namespace {

class ViewKeeperTest : public testing::Test {
protected:
    ViewKeeperTest()
    {
        RichTextLibraryState::instance().reset();
        QStringList paragraphs;
        for (int i = 0; i < 40; ++i)
            paragraphs << QStringLiteral("line %1").arg(i);
        m_box.setText(paragraphs.join(QStringLiteral("\r\n")));
        m_box.engine().setViewportSize(
            QSize(6000, int(m_box.engine().layout().lineHeight(0) * 5.5)));
    }
    ~ViewKeeperTest() override { RichTextLibraryState::instance().reset(); }

    int top() { return m_box.engine().firstVisibleLine(); }
    void scrollTo(int line) { m_box.engine().lineScroll(line - top()); }
    int32_t lineStart(int line) { return m_box.engine().lineIndex(line); }

    RichTextLibraryState& m_library = RichTextLibraryState::instance();
    RichTextBox m_box;
    ViewKeeper m_keeper{m_box};
};

}  // namespace

TEST_F(ViewKeeperTest, SlotOneRestoresTheTopLineAndPutsTheCaretThere)
{
    scrollTo(12);
    m_keeper.SaveViewPos1();
    EXPECT_EQ(m_library.TopLinePos1, lineStart(12));

    // A pass that did not move the view: no scroll, the caret stays where the pass put it.
    m_box.setSelStart(lineStart(14) + 2);
    m_keeper.RestoreViewPos1();
    EXPECT_EQ(top(), 12);
    EXPECT_EQ(m_box.SelStart(), lineStart(14) + 2);

    // A pass that did: back to line 12, with the caret at its start.
    m_box.setSelStart(lineStart(35));
    m_box.setSelLength(3);
    ASSERT_NE(top(), 12);
    m_keeper.RestoreViewPos1();
    EXPECT_EQ(top(), 12);
    EXPECT_EQ(m_box.SelStart(), lineStart(12));
    EXPECT_EQ(m_box.SelLength(), 0);
}

TEST_F(ViewKeeperTest, RestoringAfterTheTextShrankGoesToTheLastLine)
{
    scrollTo(30);
    m_keeper.SaveViewPos1();
    m_box.setText(QStringLiteral("a\r\nb\r\nc"));
    m_box.setSelStart(0);
    m_keeper.RestoreViewPos1();
    EXPECT_EQ(top(), 2);
}

TEST_F(ViewKeeperTest, SlotTwoLeavesTheCaretAndClearsTheReplaceFlag)
{
    scrollTo(8);
    m_keeper.SaveViewPos2();
    EXPECT_EQ(m_library.TopLinePos2, lineStart(8));
    m_box.setSelStart(lineStart(30));
    m_library.ViewPos3Restored = true;
    m_keeper.RestoreViewPos2();
    EXPECT_EQ(top(), 8);
    EXPECT_EQ(m_box.SelStart(), lineStart(30));
    EXPECT_FALSE(m_library.ViewPos3Restored);

    // Not moved: nothing happens, the flag included.
    m_library.ViewPos3Restored = true;
    m_keeper.RestoreViewPos2();
    EXPECT_TRUE(m_library.ViewPos3Restored);
}

TEST_F(ViewKeeperTest, SlotThreeLeavesItsLineThatManyLinesBelowTheTop)
{
    m_library.TopLinePos3 = lineStart(20);
    m_box.setSelStart(lineStart(2));
    m_keeper.RestoreViewPos3(3);
    EXPECT_EQ(top(), 17);
    EXPECT_TRUE(m_library.ViewPos3Restored);
    EXPECT_EQ(m_box.SelStart(), lineStart(2));

    m_library.ViewPos3Restored = false;
    m_keeper.RestoreViewPos3(3);
    EXPECT_FALSE(m_library.ViewPos3Restored) << "already in place: no scroll";

    // A slot never written holds 0: the top of the document.
    m_library.reset();
    m_keeper.RestoreViewPos1();
    EXPECT_EQ(top(), 0);
}
