// Keyword colouring through the control: roles and colours, letter case, the base font, the
// selected-text passes, progress, stop with restore, the message for a bad method, the user's
// expressions and the keyword lists.
#include "richtext/scanning/KeywordColouring.h"

#include "tests/richtext/scanning/XrRTBSearchTestSupport.h"

#include "platform/host/HourglassCursor.h"
#include "platform/regex/RegExp.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

constexpr uint32_t KeyWordBlue = 0xC00000;  // the default keyword colour of both sets
constexpr uint32_t CommentGreen = 0x8000;
constexpr uint32_t StringRed = 0x0000C0;

QStringList bracketEvents(const testsupport::SignalRecorder& recorder)
{
    QStringList events;
    for (const QString& name : recorder.names()) {
        if (name == QStringLiteral("Begin") || name == QStringLiteral("Finish") ||
            name == QStringLiteral("Ready"))
            events << name;
    }
    return events;
}

}  // namespace

class KeywordColouringTest : public XrRTBSearchTest {
protected:
    KeywordColouringTest()
    {
        m_control.LetColorVB6String(StringRed);
        m_control.LetColorVBNetString(StringRed);
    }
};

TEST_F(KeywordColouringTest, KeywordsTakeTheirListedCaseAndColour)
{
    m_control.LetText(QStringLiteral("dim x as integer\r\nBYVAL Byval byval ByVal"));
    m_control.ApplyVB6Syntax();
    EXPECT_EQ(m_control.Text(), QStringLiteral("Dim x As Integer\r\nByVal ByVal ByVal ByVal"));
    EXPECT_EQ(colorOf(0, 3), KeyWordBlue);
    EXPECT_EQ(colorOf(3, 3), 0u);  // " x " stays black
    EXPECT_EQ(colorOf(6, 2), KeyWordBlue);
    EXPECT_EQ(colorOf(9, 7), KeyWordBlue);
    const richedit::CharFormat format = formatOf(0, int32_t(m_control.Text().size()));
    EXPECT_EQ(format.face, QStringLiteral("Courier New"));
    EXPECT_EQ(format.heightTw, 200);
    // Nothing selected afterwards; the window's own undo is empty.
    EXPECT_EQ(m_control.SelLength(), 0);
    EXPECT_FALSE(engine().canUndo());
}

TEST_F(KeywordColouringTest, CommentsAndLiteralsKeepWhatTheyHold)
{
    const QString text = QStringLiteral(
        "rem note this\r\n' dim kept\r\nx = \"dim as\" ' tail\r\ny = \"it's\" & dim");
    m_control.LetText(text);
    m_control.ApplyVB6Syntax();
    const QString after = m_control.Text();
    EXPECT_TRUE(after.startsWith(QStringLiteral("Rem Note This\r\n' dim kept\r\n")));
    EXPECT_EQ(colorOf(0, 13), CommentGreen);
    EXPECT_EQ(colorOf(15, 10), CommentGreen);
    // The literal keeps its letters and colour, the comment after it stays a comment.
    const int32_t literal = int32_t(after.indexOf(u'"'));
    EXPECT_EQ(after.mid(literal, 8), QStringLiteral("\"dim as\""));
    EXPECT_EQ(colorOf(literal, 8), StringRed);
    EXPECT_EQ(colorOf(literal + 9, 6), CommentGreen);
    // An apostrophe inside a literal: the literal is recoloured, code after it stays a comment.
    const int32_t second = int32_t(after.indexOf(QStringLiteral("\"it's\"")));
    EXPECT_EQ(colorOf(second, 6), StringRed);
    EXPECT_EQ(colorOf(second + 7, 5), CommentGreen);
    EXPECT_TRUE(after.endsWith(QStringLiteral("& dim")));
    // No text is left protected.
    EXPECT_EQ(protectedAt(0, int32_t(after.size())), false);
}

TEST_F(KeywordColouringTest, LookAheadsAndAlternationOrderDecideWhatIsAKeyword)
{
    m_control.LetText(QStringLiteral("len(a) len b string(c) string d Option Base 1"));
    m_control.ApplyVB6Syntax();
    const QString after = m_control.Text();
    EXPECT_EQ(after, QStringLiteral("len(a) Len b string(c) String d Option Base 1"));
    EXPECT_EQ(colorOf(0, 3), 0u);
    EXPECT_EQ(colorOf(7, 3), KeyWordBlue);
    EXPECT_EQ(colorOf(13, 6), 0u);
    EXPECT_EQ(colorOf(32, 6), KeyWordBlue);
    EXPECT_EQ(colorOf(38, 1), 0u);  // Option and Base are two keywords
    EXPECT_EQ(colorOf(39, 4), KeyWordBlue);
}

TEST_F(KeywordColouringTest, BlackCommentsLeaveKeywordsAlone)
{
    m_control.LetColorVB6Comment(0);
    m_control.LetText(QStringLiteral("dim x 'rem"));
    m_control.ApplyVB6Syntax();
    EXPECT_EQ(m_control.Text(), QStringLiteral("dim x 'rem"));
    EXPECT_EQ(colorOf(0, 3), 0u);
}

TEST_F(KeywordColouringTest, EffectsSwitchedOffFollowTheOption)
{
    auto run = [this](int32_t option) {
        m_control.LetText(QStringLiteral("dim x"));
        m_control.LetSelStart(0);
        m_control.LetSelLength(5);
        m_control.LetSelBold(true);
        m_control.LetSelItalic(true);
        m_control.ApplyVBNetSyntax(Syntax_All_Text, static_cast<Formatting_Options>(option));
        return formatOf(0, 5);
    };
    richedit::CharFormat format = run(Remove_All_Formatting);
    EXPECT_FALSE(format.is(richedit::Bold));
    EXPECT_FALSE(format.is(richedit::Italic));
    format = run(Remove_Bold);
    EXPECT_FALSE(format.is(richedit::Bold));
    EXPECT_TRUE(format.is(richedit::Italic));
    for (int32_t option : {0, 7, 8}) {
        format = run(option);
        EXPECT_TRUE(format.is(richedit::Bold)) << option;
        EXPECT_EQ(format.face, QStringLiteral("Courier New")) << option;
    }
}

TEST_F(KeywordColouringTest, SelectedTextPassColoursOnlyTheSelection)
{
    m_control.LetText(QStringLiteral("dim a\r\ndim b\r\ndim c"));
    m_control.LetSelStart(7);
    m_control.LetSelLength(5);
    m_control.ApplyVBNetSyntax(Syntax_Selected_Text);
    EXPECT_EQ(m_control.Text(), QStringLiteral("dim a\r\nDim b\r\ndim c"));
    EXPECT_EQ(colorOf(7, 3), m_control.ColorVBNetKeyWord());
    EXPECT_EQ(colorOf(14, 3), 0u);
    EXPECT_NE(formatOf(0, 3).face, QStringLiteral("Courier New"));
}

TEST_F(KeywordColouringTest, NothingToColourLeavesTheDocumentButRunsTheBracket)
{
    testsupport::SignalRecorder events(&m_control);
    m_control.LetText(QStringLiteral("xyz"));
    m_control.LetSelStart(0);
    m_control.LetSelLength(3);
    m_control.LetSelBold(true);
    m_control.LetSelStart(1);
    m_control.LetSelLength(2);
    events.clear();
    m_control.ApplyVB6Syntax();
    EXPECT_EQ(bracketEvents(events), (QStringList{"Begin", "Finish", "Ready"}));
    EXPECT_EQ(m_undo.saves, 1);
    EXPECT_TRUE(formatOf(0, 3).is(richedit::Bold));
    EXPECT_NE(formatOf(0, 3).face, QStringLiteral("Courier New"));
    EXPECT_EQ(RichTextLibraryState::instance().ProgressTotal, 100);
    EXPECT_EQ(m_control.SelStart(), 1);
    EXPECT_EQ(m_control.SelLength(), 0);
    EXPECT_FALSE(RichTextLibraryState::instance().SyntaxRunning);
}

TEST_F(KeywordColouringTest, ProgressCountsEveryMatchOfTheThreeExpressions)
{
    m_control.LetText(QStringLiteral("dim s as string ' c\r\nx = \"a\""));
    int64_t seenDone = -1;
    // SelChange reaches the host during the .NET pass; the counters are live then.
    QObject::connect(&m_control, &XrRTB::SelChange, [&] {
        seenDone = std::max(seenDone, RichTextLibraryState::instance().ProgressDone);
    });
    m_control.ApplyVBNetSyntax();
    EXPECT_EQ(RichTextLibraryState::instance().ProgressTotal, 5);  // 1 comment, 1 literal, 3
    EXPECT_EQ(seenDone, 5);  // the end steps select the whole text before the reset
    EXPECT_EQ(RichTextLibraryState::instance().ProgressDone, 0);
}

TEST_F(KeywordColouringTest, WholeTextPassOfTheFirstSetMutesSelChange)
{
    m_control.LetText(QStringLiteral("dim x as integer"));
    m_control.LetSelStart(2);
    testsupport::SignalRecorder events(&m_control);
    m_control.ApplyVB6Syntax();
    EXPECT_EQ(events.count(QStringLiteral("SelChange")), 1);  // the caret put back at the end
    EXPECT_EQ(m_control.SelStart(), 2);
    events.clear();
    m_control.ApplyVBNetSyntax();
    EXPECT_GT(events.count(QStringLiteral("SelChange")), 3);
}

TEST_F(KeywordColouringTest, CancelPutsTheDocumentBackAndStillEndsTheCall)
{
    m_control.LetText(QStringLiteral("dim a\r\ndim b\r\ndim c"));
    const QString rtfBefore = m_control.TextRTF();
    bool asked = false;
    QObject::connect(&m_control, &XrRTB::SelChange, [&] {
        if (!std::exchange(asked, true))
            m_control.Cancel_Syntax();
    });
    testsupport::SignalRecorder events(&m_control);
    m_control.ApplyVBNetSyntax();
    EXPECT_EQ(m_undo.undos, 1);
    EXPECT_EQ(m_control.Text(), QStringLiteral("dim a\r\ndim b\r\ndim c"));
    EXPECT_EQ(m_control.TextRTF(), rtfBefore);
    EXPECT_EQ(bracketEvents(events), (QStringList{"Begin", "Finish", "Ready"}));
    EXPECT_FALSE(RichTextLibraryState::instance().SyntaxRunning);
    EXPECT_EQ(RichTextLibraryState::instance().ProgressDone, 0);
    EXPECT_FALSE(syntaxCancel());
    EXPECT_FALSE(m_control.CanCancelSyntax());
}

TEST_F(KeywordColouringTest, RequestOnAnotherControlWaitsForItsNextPass)
{
    XrRTB other;
    SnapshotUndo otherUndo(testsupport::editingWindow(other));
    installUndo(other, &otherUndo);
    other.LetText(QStringLiteral("dim q"));
    m_control.LetText(QStringLiteral("dim a\r\ndim b"));
    QObject::connect(&m_control, &XrRTB::SelChange, [&] { other.Cancel_Syntax(); });
    m_control.ApplyVBNetSyntax();
    EXPECT_EQ(m_control.Text(), QStringLiteral("Dim a\r\nDim b"));
    EXPECT_EQ(m_undo.undos, 0);
    // The other control's own next pass stops and puts its document back.
    QObject::disconnect(&m_control, &XrRTB::SelChange, nullptr, nullptr);
    other.ApplyVBNetSyntax();
    EXPECT_EQ(other.Text(), QStringLiteral("dim q"));
    EXPECT_EQ(otherUndo.undos, 1);
}

TEST_F(KeywordColouringTest, InvalidMethodShowsTheMessageAndDoesNothingElse)
{
    testsupport::FakeMessageBoxes boxes;
    m_control.LetText(QStringLiteral("dim x"));
    testsupport::SignalRecorder events(&m_control);
    m_control.ApplyVBNetSyntax(static_cast<Syntax_Behavior>(3));
    m_control.ApplyVB6Syntax(static_cast<Syntax_Behavior>(0));
    ASSERT_EQ(boxes.shown().size(), 2u);
    const QString indent(17, u' ');
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("Invalid Syntax_Method assigned to ApplyVBNetSyntax function\r\n"
                             "Valid Methods:\r\n") +
                  indent + QStringLiteral("Syntax_All_Text or 1\r\n") + indent +
                  QStringLiteral("Syntax_Selected_Text or 2\r\n"));
    EXPECT_TRUE(boxes.shown()[1].text.startsWith(
        QStringLiteral("Invalid Syntax_Method assigned to ApplyVB6Syntax function\r\n")));
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Invalid Syntax_Method"));
    EXPECT_EQ(boxes.shown()[0].style, 64);
    EXPECT_TRUE(events.names().isEmpty());
    EXPECT_EQ(m_control.Text(), QStringLiteral("dim x"));
    EXPECT_EQ(m_undo.saves, 0);
}

TEST_F(KeywordColouringTest, ARunningPassRefusesAnotherCall)
{
    m_control.LetText(QStringLiteral("dim x"));
    RichTextLibraryState::instance().SyntaxRunning = true;
    testsupport::SignalRecorder events(&m_control);
    m_control.ApplyVB6Syntax();
    EXPECT_EQ(m_control.Text(), QStringLiteral("dim x"));
    EXPECT_TRUE(events.names().isEmpty());
}

TEST_F(KeywordColouringTest, UserExpressionsAreUsedUnchanged)
{
    m_control.LetMyFirstString(QStringLiteral("Dim|End"));
    m_control.LetMyThirdString(QStringLiteral("x+"));
    m_control.LetColorMyFirstKeyWord(0x111111);
    m_control.LetColorMySecondKeyWord(0x222222);
    m_control.LetColorMyThirdKeyWord(0x333333);
    m_control.LetText(QStringLiteral("Dimension xx end"));
    m_control.ApplyMySyntax();
    EXPECT_EQ(m_control.Text(), QStringLiteral("Dimension xx end"));
    EXPECT_EQ(colorOf(0, 3), 0x111111u);
    EXPECT_EQ(colorOf(3, 6), 0u);
    EXPECT_EQ(colorOf(10, 2), 0x333333u);
    EXPECT_EQ(colorOf(13, 3), 0x111111u);
    // With MySecondString empty no text gets its colour and no font changes.
    EXPECT_NE(formatOf(0, 3).face, QStringLiteral("Courier New"));
}

TEST_F(KeywordColouringTest, MalformedUserExpressionStillEndsTheCall)
{
    m_control.LetMyFirstString(QStringLiteral("(unclosed"));
    m_control.LetText(QStringLiteral("unclosed"));
    testsupport::SignalRecorder events(&m_control);
    m_control.ApplyMySyntax();
    EXPECT_EQ(bracketEvents(events), (QStringList{"Begin", "Finish", "Ready"}));
    EXPECT_FALSE(RichTextLibraryState::instance().SyntaxRunning);
    EXPECT_FALSE(host::HourglassCursor::isShown());
    EXPECT_EQ(testsupport::editingWindow(m_control).engine().layout().freezeCount(), 0);
    // The control is usable again.
    m_control.LetMyFirstString(QStringLiteral("unclosed"));
    m_control.ApplyMySyntax();
    EXPECT_EQ(colorOf(0, 8), m_control.ColorMyFirstKeyWord());
}

TEST(KeywordListTest, ListsHoldTheExpressionsAlternativesInOrder)
{
    struct Case {
        int id;
        const QString* pattern;
        int words;
        int length;
        const char* start;
    };
    const Case cases[] = {{102, &VB6KeyWordPattern, 146, 912, "|AddressOf|Alias|And|"},
                          {103, &VBNetKeyWordPattern, 142, 972, "|AddHandler|AddressOf|Alias|"}};
    for (const Case& c : cases) {
        const QString list = KeywordColouring::keywordListResource(c.id);
        EXPECT_EQ(list.size(), c.length) << c.id;
        EXPECT_TRUE(list.startsWith(QLatin1String(c.start))) << c.id;
        QString alternatives = c.pattern->mid(3, c.pattern->size() - 6);
        alternatives.remove(QStringLiteral("(?!\\()"));
        EXPECT_EQ(QStringLiteral("|") + alternatives + QStringLiteral("|"), list) << c.id;
        EXPECT_EQ(alternatives.split(u'|').size(), c.words) << c.id;
    }
}
