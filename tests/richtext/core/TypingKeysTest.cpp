// The key table step by step, through a recording stand-in for the control.
#include "richtext/core/TypingKeys.h"

#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace {

class RecordingActions : public TypingKeyActions {
public:
    bool detect = true;
    bool removeUnusable = true;
    bool menu = true;
    int32_t caret = 0;
    bool empty = true;
    bool link = false;
    bool undoable = false;
    bool snapshot = false;
    bool skip = false;
    QStringList calls;

    bool detectHyperLinks() override { return detect; }
    bool removeUnUsableData() override { return removeUnusable; }
    bool autoVMenu() override { return menu; }
    int32_t selStart() override { return caret; }
    bool selectionEmpty() override { return empty; }
    bool inLink() override { return link; }
    void deleteSelection() override { record("Delete"); }
    void paste() override { record("Paste"); }
    void showContextMenu() override { record("menu"); }
    void toggleBold() override { record("bold"); }
    void toggleItalic() override { record("italic"); }
    void toggleUnderline() override { record("underline"); }
    bool canUndo() override { return undoable; }
    void undo() override { record("Undo"); }
    bool canUndoSpecial() override { return snapshot; }
    void hyperUndo() override { record("HyperUndo"); }
    void saveRegularUndoData() override { record("SaveRegular"); }
    void saveDeleteUndoData() override { record("SaveDelete"); }
    void saveInLinkUndoData() override { record("SaveInLink"); }
    void clearUndoBuffer() override { record("ClearUndo"); }
    void unlinkAtCaret(int32_t at) override { record(QStringLiteral("Unlink@%1").arg(at)); }
    void autoLinkWhileTyping(int32_t at) override { record(QStringLiteral("AutoLink@%1").arg(at)); }
    void relinkAfterEnter(int32_t at) override { record(QStringLiteral("Relink@%1").arg(at)); }
    void markSelectionLinked() override { record("MarkLinked"); }
    void markSelectionUnlinked() override { record("MarkUnlinked"); }
    void clearStopLinkPass() override { record("Go"); }
    void syncRuler() override { record("ruler"); }
    bool takeSkipRequest() override { return std::exchange(skip, false); }

private:
    void record(const QString& call) { calls.append(call); }
};

class TypingKeysTest : public testing::Test {
protected:
    // A key pressed and released with the caret moving to `after` in between.
    QStringList press(int key, int shift = 0, int32_t after = -1)
    {
        m_actions.calls.clear();
        int code = key;
        int modifiers = shift;
        m_keys.KeyDown(code, modifiers);
        if (after >= 0)
            m_actions.caret = after;
        m_released = m_keys.KeyUp(key);
        return m_actions.calls;
    }

    RecordingActions m_actions;
    int32_t m_undoKeyState = 0;
    TypingKeys m_keys{m_actions, m_undoKeyState};
    bool m_released = false;
};

}  // namespace

TEST_F(TypingKeysTest, ArmingKeys)
{
    press('A');
    EXPECT_FALSE(m_keys.LinkCheckArmed);
    press(50, 1);  // "@"
    EXPECT_TRUE(m_keys.LinkCheckArmed);
    EXPECT_EQ(m_keys.LastKeyWasW, 0);

    // Only typing inside a link disarms: then the keypad point arms only right after "W".
    m_actions.link = true;
    press('A');
    m_actions.link = false;
    ASSERT_FALSE(m_keys.LinkCheckArmed);
    press(110);
    EXPECT_FALSE(m_keys.LinkCheckArmed);
    press('W');
    EXPECT_EQ(m_keys.LastKeyWasW, 1);
    press(110);
    EXPECT_TRUE(m_keys.LinkCheckArmed);
    EXPECT_EQ(m_keys.LastKeyWasW, 1);

    m_actions.link = true;
    press('A');
    m_actions.link = false;
    press(190);  // "."
    EXPECT_TRUE(m_keys.LinkCheckArmed);

    // With links off nothing is armed.
    m_actions.link = true;
    press('A');
    m_actions.link = false;
    m_actions.detect = false;
    press(190);
    EXPECT_FALSE(m_keys.LinkCheckArmed);
}

TEST_F(TypingKeysTest, ReleaseStepsByKey)
{
    // A space after an armed key, the caret one further: unmark the caret, then the pass.
    press(190, 0, 1);
    EXPECT_EQ(press(32, 0, 2), (QStringList{"MarkUnlinked", "Go", "AutoLink@2"}));
    EXPECT_EQ(m_undoKeyState, 0);

    // Backspace inside a link: snapshot, unlink, relink and keep the link format.
    m_actions.link = true;
    EXPECT_EQ(press(8, 0, 1),
              (QStringList{"SaveDelete", "Unlink@1", "Go", "AutoLink@1", "MarkLinked"}));
    EXPECT_EQ(m_undoKeyState, 1);

    // Typing inside a link: the in-link snapshot and the pass, and the check is disarmed.
    EXPECT_EQ(press('X', 0, 2), (QStringList{"SaveInLink", "Go", "AutoLink@2"}));
    EXPECT_FALSE(m_keys.LinkCheckArmed);

    // Enter inside a link: the key press unlinks, the release relinks both lines and empties
    // the window's undo.
    EXPECT_EQ(press(13, 0, 4), (QStringList{"SaveInLink", "Unlink@2", "Go", "Relink@4",
                                            "AutoLink@4", "MarkUnlinked", "ClearUndo"}));
    EXPECT_TRUE(m_keys.EnterInLink);

    // Delete outside a link with the check armed.
    m_actions.link = false;
    EXPECT_EQ(press(46, 0, 4), (QStringList{"Go", "AutoLink@4"}));
    EXPECT_EQ(m_undoKeyState, 1);
}

TEST_F(TypingKeysTest, CaretRecordAndRulerKeys)
{
    m_actions.caret = 7;
    press('A');
    EXPECT_EQ(m_keys.LastCaretPos, 7);
    m_actions.caret = 9;
    press(16);  // Shift: ignored, the record stays
    EXPECT_EQ(m_keys.LastCaretPos, 7);
    EXPECT_EQ(press(37), QStringList{"ruler"});
    EXPECT_EQ(m_keys.LastCaretPos, 9);

    // With links off only page and arrow keys act, and every key records the caret.
    m_actions.detect = false;
    m_actions.caret = 11;
    EXPECT_TRUE(press(16).isEmpty());
    EXPECT_EQ(m_keys.LastCaretPos, 11);
    EXPECT_EQ(press(34), QStringList{"ruler"});

    // A skipped release does nothing at all and tells the control to raise nothing.
    m_actions.skip = true;
    m_actions.caret = 20;
    EXPECT_TRUE(press(34).isEmpty());
    EXPECT_FALSE(m_released);
    EXPECT_EQ(m_keys.LastCaretPos, 11);
}

TEST_F(TypingKeysTest, HotKeysAndTakenOverKeys)
{
    int code = 'B';
    int shift = 2;
    m_keys.KeyDown(code, shift);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(shift, 0);
    EXPECT_EQ(m_actions.calls, QStringList{"bold"});

    // Ctrl+Z and Ctrl+Y: the window's undo first, else the snapshot, else nothing, and the key
    // is swallowed every time.
    for (int key : {'Z', 'Y'}) {
        m_actions.calls.clear();
        m_actions.undoable = true;
        code = key;
        shift = 2;
        m_keys.KeyDown(code, shift);
        m_actions.undoable = false;
        m_actions.snapshot = true;
        code = key;
        shift = 2;
        m_keys.KeyDown(code, shift);
        m_actions.snapshot = false;
        code = key;
        shift = 2;
        m_keys.KeyDown(code, shift);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(m_actions.calls, (QStringList{"Undo", "HyperUndo"}));
    }

    // Ctrl+V is the control's paste only while it cleans pastes.
    m_actions.calls.clear();
    code = 'V';
    shift = 2;
    m_keys.KeyDown(code, shift);
    EXPECT_EQ(code, 0);
    m_actions.removeUnusable = false;
    code = 'V';
    shift = 2;
    m_keys.KeyDown(code, shift);
    EXPECT_EQ(code, 'V');
    EXPECT_EQ(m_actions.calls, QStringList{"Paste"});

    // Delete with a selection is the control's; without one the window's.
    m_actions.calls.clear();
    code = 46;
    shift = 0;
    m_keys.KeyDown(code, shift);
    EXPECT_EQ(code, 46);
    m_actions.empty = false;
    m_keys.KeyDown(code, shift);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(m_actions.calls, QStringList{"Delete"});

    // The Apps key opens the menu only while the control offers it.
    m_actions.calls.clear();
    code = 93;
    m_keys.KeyDown(code, shift);
    m_actions.menu = false;
    code = 93;
    m_keys.KeyDown(code, shift);
    EXPECT_EQ(m_actions.calls, QStringList{"menu"});
}
