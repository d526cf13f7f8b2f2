// The whole-document snapshot over the editing window's toggle undo.
#include "richtext/core/SpecialUndo.h"

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/ViewKeeper.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace {

class SpecialUndoTest : public testing::Test {
protected:
    SpecialUndoTest() : m_view(m_window), m_undo(m_window, m_view, m_keyState, hooks())
    {
        RichTextLibraryState::instance().reset();
    }
    ~SpecialUndoTest() override { RichTextLibraryState::instance().reset(); }

    SpecialUndoHooks hooks()
    {
        SpecialUndoHooks hooks;
        hooks.begin = [this] { m_events.append(QStringLiteral("Begin")); };
        hooks.finish = [this] { m_events.append(QStringLiteral("Finish")); };
        hooks.ready = [this] { m_events.append(QStringLiteral("Ready")); };
        hooks.freeze = [this](bool on) { m_freezeDepth += on ? 1 : -1; };
        hooks.syncRulerHandles = [] {};
        hooks.setRulerTabs = [] {};
        hooks.detectHyperLinks = [] { return false; };
        hooks.hyperLinkPassUndo = [] {};
        hooks.documentRtf = [this] { return m_window.TextRTF(); };
        return hooks;
    }
    void typeAt(int32_t position, const QString& text)
    {
        m_window.setSelStart(position);
        m_window.engine().replaceSel(text, true);
    }

    richedit::RichTextBox m_window;
    ViewKeeper m_view;
    int32_t m_keyState = 0;
    SpecialUndo m_undo;
    QStringList m_events;
    int m_freezeDepth = 0;
};

}  // namespace

TEST_F(SpecialUndoTest, SnapshotFilterIsFaithfulToTheEnginesLineShape)
{
    for (const QString& text :
         {QStringLiteral("one\r\ntwo\r\nthree"), QStringLiteral("one\r\n\r\n\r\nfour\r\n"),
          QStringLiteral("\r\n\r\nlast"), QStringLiteral("a")}) {
        SCOPED_TRACE(text.toStdString());
        m_window.setText(text);
        m_window.setSelStart(0);
        m_window.setSelLength(1);
        m_window.engine().setSelBold(true);
        const QString rtf = m_window.TextRTF();
        const QString filtered = SpecialUndo::filterSnapshotLines(rtf, m_window.Text());
        EXPECT_EQ(filtered, rtf);
        richedit::RichTextBox copy;
        copy.setTextRTF(filtered);
        EXPECT_EQ(copy.Text(), text);
    }
}

TEST_F(SpecialUndoTest, SnapshotFilterDropsOnlyLoneParagraphLinesAgainstTextLines)
{
    const QString rtf = QStringLiteral(
        "{\\rtf1\r\n\\par \r\n\\viewkind4\\pard\\f0 a\r\n"
        "\\par \r\n\\par b\r\n\\par }\r\n");
    // The second text line holds characters: its lone "\par " line goes. The "\par " before
    // the first "\pard\" line always stays.
    EXPECT_EQ(SpecialUndo::filterSnapshotLines(rtf, QStringLiteral("a\r\nx\r\nb")),
              QStringLiteral("{\\rtf1\r\n\\par \r\n\\viewkind4\\pard\\f0 a\r\n"
                             "\\par b\r\n\\par }\r\n"));
    // An empty second line keeps it.
    EXPECT_EQ(SpecialUndo::filterSnapshotLines(rtf, QStringLiteral("a\r\n\r\nb")), rtf);
}

TEST_F(SpecialUndoTest, HyperUndoTwiceGivesBackDocumentAndSelection)
{
    // A cropped picture comes back with its crops.
    m_window.setTextRTF(
        QStringLiteral("{\\rtf1 first state{\\pict\\pngblip\\picwgoal300\\pichgoal300\\piccropl-15"
                       "\\piccropb90 89504E47}\\par\\par with an empty paragraph}"));
    m_window.setSelStart(3);
    m_window.setSelLength(4);
    const QString original = m_window.TextRTF();
    ASSERT_TRUE(original.contains(QStringLiteral("\\piccropl-15\\piccropb90 ")));
    m_undo.SaveSpecialUndoData();
    EXPECT_TRUE(m_undo.GetCanUndoSpecial());

    m_window.setText(QStringLiteral("second"));
    m_window.setSelStart(1);
    m_undo.HyperUndo();
    EXPECT_EQ(m_window.TextRTF(), original);
    EXPECT_EQ(m_window.SelStart(), 3);
    EXPECT_EQ(m_window.SelLength(), 4);
    EXPECT_EQ(m_events, (QStringList{"Begin", "Finish", "Ready"}));
    EXPECT_EQ(m_freezeDepth, 0);
    EXPECT_FALSE(m_window.engine().canUndo());

    m_undo.HyperUndo();
    EXPECT_EQ(m_window.Text(), u"second");
    EXPECT_EQ(m_window.SelStart(), 1);
    m_undo.HyperUndo();
    EXPECT_EQ(m_window.TextRTF(), original);
    EXPECT_TRUE(m_undo.GetCanUndoSpecial());
    // The stop request ends with the swap: left set, no later link pass would mark anything.
    EXPECT_FALSE(RichTextLibraryState::instance().StopLinkPass);
    RichTextLibraryState::instance().StopLinkPass = true;
    m_undo.HyperUndo();
    EXPECT_TRUE(RichTextLibraryState::instance().StopLinkPass) << "a request held before stays";
}

TEST_F(SpecialUndoTest, HyperUndoWithoutSnapshotEmptiesAndASecondBringsBack)
{
    m_window.setText(QStringLiteral("kept"));
    m_undo.HyperUndo();
    EXPECT_EQ(m_window.Text(), u"");
    m_undo.HyperUndo();
    EXPECT_EQ(m_window.Text(), u"kept");
}

TEST_F(SpecialUndoTest, PerKeySnapshotsFollowTheTypingState)
{
    m_window.setText(QStringLiteral("base"));
    typeAt(4, QStringLiteral(" more"));
    ASSERT_TRUE(m_window.engine().canUndo());

    // A run already open: nothing taken.
    m_keyState = 1;
    m_undo.SaveRegularUndoData();
    EXPECT_FALSE(m_undo.GetCanUndoSpecial());
    m_keyState = 2;
    m_undo.SaveInLinkUndoData();
    EXPECT_FALSE(m_undo.GetCanUndoSpecial());

    // No run open: the state before the last edit, and the edit is still in place.
    m_keyState = 0;
    m_undo.SaveRegularUndoData();
    EXPECT_TRUE(m_undo.GetCanUndoSpecial());
    EXPECT_EQ(m_window.Text(), u"base more");
    m_undo.HyperUndo();
    EXPECT_EQ(m_window.Text(), u"base");

    // The delete snapshot with a run open only empties the window's undo.
    typeAt(0, QStringLiteral("x"));
    m_keyState = 1;
    m_undo.SaveDeleteUndoData();
    EXPECT_FALSE(m_window.engine().canUndo());
    m_undo.HyperUndo();
    EXPECT_EQ(m_window.Text(), u"base more");
}

TEST_F(SpecialUndoTest, UndoAndCanUndo)
{
    m_window.setText(QStringLiteral("abc"));
    m_undo.Undo();
    // Nothing to undo: Begin alone.
    EXPECT_EQ(m_events, QStringList{"Begin"});

    typeAt(3, QStringLiteral("d"));
    EXPECT_TRUE(m_undo.CanUndo());
    RichTextLibraryState::instance().SyntaxRunning = true;
    EXPECT_FALSE(m_undo.CanUndo());
    RichTextLibraryState::instance().SyntaxRunning = false;

    m_keyState = 2;
    m_events.clear();
    m_undo.Undo();
    EXPECT_EQ(m_window.Text(), u"abc");
    EXPECT_EQ(m_events, (QStringList{"Begin", "Finish", "Ready"}));
    EXPECT_EQ(m_keyState, 0);
    m_undo.Undo();
    EXPECT_EQ(m_window.Text(), u"abcd");
}

TEST_F(SpecialUndoTest, AfterAReplaceSuccessiveUndosAlternateTheirViews)
{
    QString text;
    for (int line = 0; line < 300; ++line)
        text += QStringLiteral("line %1\r\n").arg(line);
    m_window.setText(text);
    m_window.setSelStart(0);
    // The snapshot keeps the view at line 50.
    m_window.engine().lineScroll(50);
    m_undo.SaveSpecialUndoData();
    auto& library = RichTextLibraryState::instance();
    library.SpecialUndoKind = ReplaceTextUD;
    // The replace kept the found text's line 100 with two lines above it.
    library.TopLinePos3 = int32_t(text.indexOf(QStringLiteral("line 100")));
    library.ReplaceViewLines = 2;
    m_undo.HyperUndo();
    EXPECT_TRUE(library.ViewPos3Restored);
    EXPECT_EQ(m_window.engine().firstVisibleLine(), 98);
    m_undo.HyperUndo();
    EXPECT_FALSE(library.ViewPos3Restored);
    EXPECT_EQ(m_window.engine().firstVisibleLine(), 50);
    m_undo.HyperUndo();
    EXPECT_TRUE(library.ViewPos3Restored);
    EXPECT_EQ(m_window.engine().firstVisibleLine(), 98);

    // After a link pass the view always comes from slot 2.
    library.SpecialUndoKind = HyperLinkUD;
    m_undo.HyperUndo();
    EXPECT_FALSE(library.ViewPos3Restored);
    EXPECT_EQ(m_window.engine().firstVisibleLine(), 50);
}
