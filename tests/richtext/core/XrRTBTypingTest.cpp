// Typing into the control through its view: live links while typing, Backspace into a link,
// the hot keys and their undo, the key-release bracket and the click on a link.
#include "tests/richtext/core/XrRTBTestSupport.h"

#include "platform/richedit/view/RichTextView.h"
#include "tests/support/FakePopupMenus.h"
#include "tests/support/FakeShell.h"
#include "tests/support/FakeSound.h"
#include "tests/support/SignalRecorder.h"

#include <QTest>
#include <utility>

using testsupport::editingWindow;

namespace {

class XrRTBTypingTest : public testsupport::XrRTBTestBase {
protected:
    XrRTBTypingTest()
    {
        m_control.resize(500, 300);
        m_control.show();
        m_view = m_control.findChild<richedit::RichTextView*>(QStringLiteral("RichTextBox1View"));
    }
    void type(const QString& text) { QTest::keyClicks(m_view, text); }
    void key(Qt::Key which, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(m_view, which, modifiers);
    }
    // Whether every character of the range carries the control's link locale.
    bool linked(int32_t start, int32_t length)
    {
        const auto& engine = editingWindow(m_control).engine();
        for (int32_t i = start; i < start + length; ++i) {
            if (engine.document().formatAt(i).lcid != richedit::LinkLcid)
                return false;
        }
        return true;
    }
    // The characters carrying the link locale, as one string per run.
    QStringList linkRuns()
    {
        const auto& engine = editingWindow(m_control).engine();
        const QString text = engine.text();
        QStringList runs;
        QString run;
        for (int32_t i = 0; i < text.size(); ++i) {
            if (engine.document().formatAt(i).lcid == richedit::LinkLcid) {
                run.append(text.at(i));
            } else if (!run.isEmpty()) {
                runs.append(run);
                run.clear();
            }
        }
        if (!run.isEmpty())
            runs.append(run);
        return runs;
    }

    XrRTB m_control;
    richedit::RichTextView* m_view = nullptr;
};

}  // namespace

TEST_F(XrRTBTypingTest, TypedAddressBecomesOneLinkAndUndoRedoReturns)
{
    ASSERT_NE(m_view, nullptr);
    type(QStringLiteral("see www.example.com and "));
    ASSERT_EQ(m_control.Text(), u"see www.example.com and ");
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com")});

    // Backspace into the address unlinks the line and links what the address now is.
    for (int i = 0; i < 5; ++i)
        key(Qt::Key_Backspace);
    ASSERT_EQ(m_control.Text(), u"see www.example.com");
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com")});
    key(Qt::Key_Backspace);
    EXPECT_EQ(m_control.Text(), u"see www.example.co");
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.co")});

    const QString before = m_control.TextRTF();
    key(Qt::Key_Z, Qt::ControlModifier);
    const QString undone = m_control.TextRTF();
    EXPECT_NE(undone, before);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(m_control.TextRTF(), before);
}

// Ctrl+Backspace and Ctrl+Delete edit an address as Backspace and Delete do: the link is taken
// off and made again for what the address now is.
TEST_F(XrRTBTypingTest, WordKeysInAnAddressRelinkIt)
{
    type(QStringLiteral("see www.example.com.au and "));
    ASSERT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com.au")});
    // The blank after the address goes: the word after it joins the address.
    editingWindow(m_control).engine().setSelStart(22);
    key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(m_control.Text(), u"see www.example.com.auand ");
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com.auand")});
    editingWindow(m_control).engine().setSelStart(25);
    key(Qt::Key_Backspace, Qt::ControlModifier);
    ASSERT_EQ(m_control.Text(), u"see www.example.com. ");
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com.")});
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_control.Text(), u"see www.example.com.auand ");
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com.auand")});
}

TEST_F(XrRTBTypingTest, KeypadPointAfterWArmsTheLinkCheck)
{
    // No "@", ":" or "." key: only the keypad point right after "W" arms the check.
    type(QStringLiteral("see www"));
    QTest::keyClick(m_view, Qt::Key_Period, Qt::KeypadModifier);
    type(QStringLiteral("example"));
    QTest::keyClick(m_view, Qt::Key_Period, Qt::KeypadModifier);
    type(QStringLiteral("com "));
    ASSERT_EQ(m_control.Text(), u"see www.example.com ");
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com")});
}

TEST_F(XrRTBTypingTest, EnterInsideALinkSplitsItAndRelinksTheLineAbove)
{
    type(QStringLiteral("www.example.com "));
    ASSERT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com")});
    m_control.LetSelStart(7);
    key(Qt::Key_Return);
    ASSERT_EQ(m_control.Text(), u"www.exa\r\nmple.com ");
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.exa")});
    EXPECT_EQ(m_control.SelStart(), 9);
    // The window's own undo of the Enter was emptied; the snapshot taken inside the link
    // gives the document back.
    EXPECT_FALSE(m_control.CanUndo());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_control.Text(), u"www.example.com ");
}

TEST_F(XrRTBTypingTest, TextTypedAfterALinkAtTheEndIsNoLink)
{
    type(QStringLiteral("mail bob@example.org"));
    m_control.HyperLinkDocument();
    ASSERT_TRUE(linked(5, 15));
    m_control.LetSelStart(20);
    type(QStringLiteral("x"));
    EXPECT_EQ(m_control.Text(), u"mail bob@example.orgx");
    EXPECT_FALSE(linked(20, 1));
}

TEST_F(XrRTBTypingTest, KeyReleaseRaisesKeyUpFinishReadyUnlessSkipped)
{
    testsupport::SignalRecorder events(&m_control);
    type(QStringLiteral("a"));
    EXPECT_EQ(events.names(), (QStringList{"KeyDown", "KeyPress", "Change", "SelChange", "KeyUp",
                                           "Finish", "Ready"}));

    // The one-shot skip: KeyUp only, and the next release is handled again.
    RichTextLibraryState::instance().SkipNextKeyUp = true;
    events.clear();
    type(QStringLiteral("b"));
    EXPECT_EQ(events.count("KeyUp"), 1);
    EXPECT_EQ(events.count("Finish"), 0);
    EXPECT_FALSE(RichTextLibraryState::instance().SkipNextKeyUp);
    events.clear();
    type(QStringLiteral("c"));
    EXPECT_EQ(events.count("Finish"), 1);
    EXPECT_EQ(events.count("Ready"), 1);

    // The font dialog's mark on the window, and the one-shot property, skip once each.
    editingWindow(m_control).setTag(QStringLiteral("1"));
    events.clear();
    type(QStringLiteral("d"));
    EXPECT_EQ(events.count("KeyUp"), 1);
    EXPECT_EQ(events.count("Finish"), 0);
    EXPECT_TRUE(editingWindow(m_control).Tag().isEmpty());
    m_control.LetInternalShutOFF(true);
    events.clear();
    type(QStringLiteral("e"));
    EXPECT_EQ(events.count("Finish"), 0);
    EXPECT_FALSE(m_control.InternalShutOFF());
    events.clear();
    type(QStringLiteral("f"));
    EXPECT_EQ(events.count("Finish"), 1);

    // The release of a key pressed in another window (the Enter that chose a menu entry) typed
    // nothing here.
    bool unchanged = false;
    m_control.SetRTBChanged(unchanged);
    events.clear();
    QTest::keyRelease(m_view, Qt::Key_Return);
    EXPECT_EQ(events.names(), (QStringList{"KeyUp", "Finish", "Ready"}));
    EXPECT_FALSE(m_control.HasRTBChanged());
}

TEST_F(XrRTBTypingTest, HotKeysToggleFormatAndAreSwallowed)
{
    type(QStringLiteral("bold"));
    m_control.LetSelStart(0);
    m_control.LetSelLength(4);
    int seen = -1;
    QObject::connect(&m_control, &XrRTB::KeyDown, [&](int& code, int&) { seen = code; });
    key(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(seen, 66);
    EXPECT_TRUE(m_control.SelBold());
    key(Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(m_control.SelBold());
    key(Qt::Key_U, Qt::ControlModifier);
    EXPECT_TRUE(m_control.SelUnderline());
    EXPECT_EQ(m_control.Text(), u"bold");

    // Nothing to undo and no snapshot: Ctrl+Z does nothing and the window sees no key.
    m_control.EmptyRTBUndoRedoBuffer();
    const QString before = m_control.TextRTF();
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_control.TextRTF(), before);
}

TEST_F(XrRTBTypingTest, DeleteKeyWithSelectionRunsTheControlsDelete)
{
    // Without a selection the window deletes by itself, and the control takes no snapshot.
    type(QStringLiteral("ab"));
    m_control.LetSelStart(0);
    key(Qt::Key_Delete);
    EXPECT_EQ(m_control.Text(), u"b");
    EXPECT_FALSE(m_control.GetCanUndoSpecial());
    m_control.LetText(QString());

    type(QStringLiteral("whole"));
    m_control.LetSelStart(0);
    m_control.LetSelLength(5);
    testsupport::SignalRecorder events(&m_control);
    key(Qt::Key_Delete);
    EXPECT_EQ(m_control.Text(), u"");
    // The control's Delete took the snapshot of the whole text.
    EXPECT_TRUE(m_control.GetCanUndoSpecial());
    const QStringList names = events.names();
    EXPECT_EQ(names.mid(0, 2), (QStringList{"KeyDown", "Begin"}));
    m_control.HyperUndo();
    EXPECT_EQ(m_control.Text(), u"whole");
}

TEST_F(XrRTBTypingTest, ClickInLinkPlaysSoundThenOpensMail)
{
    testsupport::FakeShell shell;
    testsupport::FakeSound sound;
    testsupport::FakePopupMenus menus;
    m_control.LetText(QStringLiteral("write to bob@example.org today"));
    m_control.HyperLinkDocument();
    m_control.LetSelStart(12);
    testsupport::SignalRecorder events(&m_control);
    int button = 1;
    int shift = 0;
    float x = 0;
    float y = 0;
    emit editingWindow(m_control).MouseUp(button, shift, x, y);
    ASSERT_EQ(sound.played().size(), 1u);
    EXPECT_EQ(sound.played().front().left(4), "RIFF");
    EXPECT_EQ(sound.played().front().size(), 2202);
    EXPECT_EQ(shell.openedUrls(), QStringList{QStringLiteral("mailto:bob@example.org")});
    EXPECT_EQ(events.names(), (QStringList{"Begin", "MouseUp", "Finish"}));

    // Silent with the sound off; a right click opens the context menu instead of the link.
    m_control.LetTurnOnSound(false);
    sound.clear();
    emit editingWindow(m_control).MouseUp(button, shift, x, y);
    EXPECT_TRUE(sound.played().empty());
    EXPECT_EQ(shell.openedUrls().size(), 2);
    button = 2;
    emit editingWindow(m_control).MouseUp(button, shift, x, y);
    EXPECT_EQ(shell.openedUrls().size(), 2);
    EXPECT_EQ(menus.shown().size(), 1u);
}

TEST_F(XrRTBTypingTest, UndoWithAutomaticLinksOffLeavesTheUsersLinkPassWorking)
{
    m_control.LetDetectHyperLinks(false);
    type(QStringLiteral("see www.example.com today"));
    ASSERT_TRUE(linkRuns().isEmpty());
    m_control.SaveSpecialUndoData();
    type(QStringLiteral("!"));
    m_control.EmptyRTBUndoRedoBuffer();
    // Nothing for the window to undo: Ctrl+Z swaps the snapshot back in.
    key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(m_control.Text(), u"see www.example.com today");
    EXPECT_FALSE(RichTextLibraryState::instance().StopLinkPass);

    // Detect Hyperlinks, and typing once automatic links are on, mark at once.
    m_control.HyperLinkDocument();
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com")});
    m_control.LetDetectHyperLinks(true);
    m_control.LetSelStart(int32_t(m_control.Text().size()));
    type(QStringLiteral(" mail bob@example.org "));
    EXPECT_EQ(linkRuns(),
              (QStringList{QStringLiteral("www.example.com"), QStringLiteral("bob@example.org")}));
}

TEST_F(XrRTBTypingTest, CancelledColouringIsTakenBackByTheControlsOwnUndo)
{
    m_control.LetDetectHyperLinks(false);
    const QString text = QStringLiteral("dim a\r\nsee www.example.com\r\ndim c");
    m_control.LetText(text);
    m_control.LetSelStart(0);
    m_control.LetSelLength(3);
    const QString faceBefore = m_control.SelFontName();
    bool asked = false;
    QObject::connect(&m_control, &XrRTB::SelChange, [&] {
        if (!std::exchange(asked, true))
            m_control.Cancel_Syntax();
    });
    m_control.ApplyVBNetSyntax();
    ASSERT_TRUE(asked);
    EXPECT_EQ(m_control.Text(), text);
    m_control.LetSelStart(0);
    m_control.LetSelLength(3);
    EXPECT_EQ(m_control.SelFontName(), faceBefore);
    EXPECT_NE(m_control.SelColor(), 0xC00000u);
    EXPECT_FALSE(RichTextLibraryState::instance().SyntaxRunning);
    EXPECT_FALSE(RichTextLibraryState::instance().StopLinkPass);
    // The undo swapped the coloured document into the snapshot: a second undo gives it back.
    EXPECT_TRUE(m_control.GetCanUndoSpecial());
    key(Qt::Key_Z, Qt::ControlModifier);
    m_control.LetSelStart(0);
    m_control.LetSelLength(3);
    EXPECT_EQ(m_control.SelFontName(), QStringLiteral("Courier New"));
    key(Qt::Key_Z, Qt::ControlModifier);

    m_control.HyperLinkDocument();
    EXPECT_EQ(linkRuns(), QStringList{QStringLiteral("www.example.com")});
}

TEST_F(XrRTBTypingTest, AddressTypedAcrossALineEndBecomesOneLink)
{
    // A window narrow enough that the address runs over two display lines.
    m_control.resize(160, 300);
    const QString address = QStringLiteral("www.example.com/a/rather/long/path/that/wraps");
    type(QStringLiteral("see ") + address + QStringLiteral(" "));
    ASSERT_EQ(m_control.Text(), QStringLiteral("see ") + address + QStringLiteral(" "));
    ASSERT_LT(m_control.GetLineFromChar(4), m_control.GetLineFromChar(int32_t(address.size()) + 3))
        << "the address must wrap for this test";
    EXPECT_EQ(linkRuns(), QStringList{address});

    // Backspace on the second display line relinks the address as it now stands, whole.
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    EXPECT_EQ(linkRuns(), QStringList{address.chopped(1)});
}

TEST_F(XrRTBTypingTest, ClickOnARefusedAddressIsSilent)
{
    testsupport::FakeShell shell;
    testsupport::FakeSound sound;
    m_control.LetText(QStringLiteral("see telnet://example.org now"));
    m_control.HyperLinkDocument();
    ASSERT_EQ(linkRuns(), QStringList{QStringLiteral("telnet://example.org")});
    m_control.LetSelStart(10);
    int button = 1;
    int shift = 0;
    float x = 0;
    float y = 0;
    emit editingWindow(m_control).MouseUp(button, shift, x, y);
    EXPECT_TRUE(shell.openedUrls().isEmpty());
    EXPECT_TRUE(sound.played().empty());
}
