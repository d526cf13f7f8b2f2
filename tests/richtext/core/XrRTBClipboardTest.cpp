// The control's clipboard members, changed flag and undo buffer.
#include "tests/richtext/core/XrRTBTestSupport.h"

#include "tests/support/FakeClipboard.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/SignalRecorder.h"

using testsupport::editingWindow;

namespace {

class XrRTBClipboardTest : public testsupport::XrRTBTestBase {
protected:
    void select(int32_t start, int32_t length)
    {
        m_control.LetSelStart(start);
        m_control.LetSelLength(length);
    }
    QStringList bracket(const testsupport::SignalRecorder& events)
    {
        QStringList names = events.names();
        names.removeIf([](const QString& name) {
            return name != u"Begin" && name != u"Finish" && name != u"Ready";
        });
        return names;
    }

    testsupport::FakeClipboard m_clipboard;
    XrRTB m_control;
};

}  // namespace

TEST_F(XrRTBClipboardTest, DeleteAndCutSnapshotOnlyTheWholeText)
{
    m_control.LetText(QStringLiteral("one two"));
    select(3, 0);
    testsupport::SignalRecorder events(&m_control);
    m_control.Delete();
    EXPECT_TRUE(events.names().isEmpty());

    select(0, 4);
    m_control.Delete();
    EXPECT_EQ(m_control.Text(), u"two");
    EXPECT_FALSE(m_control.GetCanUndoSpecial());
    EXPECT_EQ(bracket(events), (QStringList{"Begin", "Finish", "Ready"}));

    select(0, 3);
    m_control.Cut();
    EXPECT_EQ(m_control.Text(), u"");
    EXPECT_TRUE(m_control.GetCanUndoSpecial());
    ASSERT_TRUE(m_control.CanPaste());
    m_control.HyperUndo();
    EXPECT_EQ(m_control.Text(), u"two");
}

TEST_F(XrRTBClipboardTest, PasteCleansLinksAndAlwaysEndsUnfrozen)
{
    testsupport::SignalRecorder events(&m_control);
    // Nothing to paste: the bracket all the same.
    ASSERT_FALSE(m_control.CanPaste());
    m_control.Paste();
    EXPECT_EQ(bracket(events), (QStringList{"Begin", "Finish", "Ready"}));

    m_control.LetText(QStringLiteral("mail a@b.org <x y> now"));
    select(5, 8);
    m_control.Copy();
    m_control.LetText(QStringLiteral("old"));
    select(0, 3);
    events.clear();
    m_control.Paste();
    // A paste over the whole text starts from an empty document and is linked.
    EXPECT_EQ(m_control.Text(), u"a@b.org ");
    EXPECT_EQ(editingWindow(m_control).engine().document().formatAt(0).lcid, richedit::LinkLcid);
    EXPECT_EQ(RichTextLibraryState::instance().PasteState, 0);
    EXPECT_FALSE(editingWindow(m_control).engine().frozen());
    EXPECT_TRUE(m_control.GetCanUndoSpecial());
    m_control.HyperUndo();
    EXPECT_EQ(m_control.Text(), u"old");
}

TEST_F(XrRTBClipboardTest, ChangedFlagAndUndoBuffer)
{
    m_control.LetText(QStringLiteral("x"));
    EXPECT_TRUE(m_control.HasRTBChanged());
    m_control.SetRTBChanged();
    EXPECT_FALSE(m_control.HasRTBChanged());
    bool changed = true;
    m_control.SetRTBChanged(changed);
    EXPECT_TRUE(m_control.HasRTBChanged());

    editingWindow(m_control).engine().replaceSel(QStringLiteral("y"), true);
    EXPECT_TRUE(m_control.CanUndo());
    m_control.EmptyRTBUndoRedoBuffer();
    EXPECT_FALSE(m_control.CanUndo());
}
