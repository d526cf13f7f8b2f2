// The spell-check members over an editing window and its list of misspellings, with a search
// that records how it was asked and selects hits as the control's search does.
#include "platform/host/EventLoop.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/XrRTB.h"
#include "richtext/language/SpellCheckMembers.h"
#include "richtext/language/WordLists.h"
#include "richtext/language/WordQueries.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>
#include <QListWidget>
#include <QTimer>

namespace {

struct SearchCall {
    QString text;
    int32_t direction;
    int32_t options;
    bool skipAddresses;
};

bool isWordCharacter(const QString& text, qsizetype index)
{
    return index >= 0 && index < text.size() &&
           (text.at(index).isLetterOrNumber() || text.at(index) == u'_');
}

class SpellCheckMembersTest : public testsupport::XrRTBTestBase {
protected:
    SpellCheckMembersTest()
    {
        m_members.setFind2([this](const QString& text, int32_t direction, int32_t options,
                                  bool skip) { return search(text, direction, options, skip); });
    }

    // Forward from the selection's end or backward from its start; whole word (2) and match
    // case (4) as the options say. A hit is selected.
    int32_t search(const QString& needle, int32_t direction, int32_t options, bool skip)
    {
        m_calls.push_back({needle, direction, options, skip});
        const QString text = m_window.Text();
        const Qt::CaseSensitivity sensitivity =
            options & 4 ? Qt::CaseSensitive : Qt::CaseInsensitive;
        auto fits = [&](qsizetype at) {
            return !(options & 2) ||
                   (!isWordCharacter(text, at - 1) && !isWordCharacter(text, at + needle.size()));
        };
        qsizetype hit = -1;
        if (direction == SpellCheckMembers::FindNext) {
            for (qsizetype at = m_window.SelStart() + m_window.SelLength();
                 (at = text.indexOf(needle, at, sensitivity)) >= 0; ++at) {
                if (fits(at)) {
                    hit = at;
                    break;
                }
            }
        } else {
            for (qsizetype at = m_window.SelStart() - 1;
                 at >= 0 && (at = text.lastIndexOf(needle, at, sensitivity)) >= 0; --at) {
                if (fits(at)) {
                    hit = at;
                    break;
                }
            }
        }
        if (hit >= 0) {
            m_window.setSelStart(static_cast<int32_t>(hit));
            m_window.setSelLength(static_cast<int32_t>(needle.size()));
        }
        return static_cast<int32_t>(hit);
    }

    QStringList listed() const
    {
        QStringList words;
        for (int row = 0; row < m_list.count(); ++row)
            words.append(m_list.item(row)->text());
        return words;
    }

    // Starts a check of the text and expects the first misspelling selected.
    void start(const QString& text)
    {
        m_window.setText(text);
        StringArray words;
        ASSERT_EQ(m_members.SpellCheck(words), 0);
    }

    QString selected() const { return m_window.SelText(); }

    richedit::RichTextBox m_window;
    QListWidget m_list;
    WordQueries m_queries{m_window, WordLists::instance()};
    SpellCheckMembers m_members{m_window, m_list, m_queries};
    std::vector<SearchCall> m_calls;
    RichTextLibraryState& m_state = RichTextLibraryState::instance();
};

}  // namespace

TEST_F(SpellCheckMembersTest, SpellCheckListsTheWordsAndSelectsTheFirst)
{
    m_window.setText(QStringLiteral("A zzqa and zzqb.\r\nThen zzqa again."));
    StringArray words;
    EXPECT_EQ(m_members.SpellCheck(words), 0);
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("zzqa"), QStringLiteral("zzqb"),
                                     QStringLiteral("zzqa")}));
    EXPECT_EQ(m_list.currentRow(), 0);
    EXPECT_EQ(m_window.SelStart(), 2);
    EXPECT_EQ(selected(), QStringLiteral("zzqa"));
    EXPECT_EQ(m_state.SpellSearchAnchor, 6);
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls[0].direction, SpellCheckMembers::FindNext);
    EXPECT_EQ(m_calls[0].options, SpellCheckMembers::WholeWord_MatchCase);
    EXPECT_TRUE(m_calls[0].skipAddresses);
}

static int64_t millisecondPerRead()
{
    static int64_t now = 0;
    return now += 1'000'000;
}

TEST_F(SpellCheckMembersTest, CleanAndStoppedChecksAreToldApart)
{
    m_list.addItem(QStringLiteral("stale"));
    m_window.setText(QStringLiteral("Nothing wrong here."));
    StringArray words;
    EXPECT_EQ(m_members.SpellCheck(words), -1);
    EXPECT_EQ(m_list.count(), 0);

    // A scan stopped before it found anything is not reported as a clean document.
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("the cat ");
    m_window.setText(text + QStringLiteral("zzqa"));
    QTimer::singleShot(0, &m_list, [] { RichTextLibraryState::instance().SpellScanAbort = true; });
    // Each read of the poll clock moves it a millisecond on, so that the scan lets the event
    // loop run within its first polls however fast this build scans.
    struct FastPollClock {
        FastPollClock() { host::setPollClock(millisecondPerRead); }
        ~FastPollClock() { host::setPollClock(nullptr); }
    } fastClock;
    StringArray stopped;
    EXPECT_EQ(m_members.SpellCheck(stopped), 0);
    EXPECT_FALSE(IsArrayGood(stopped));
    EXPECT_EQ(m_list.count(), 0);
    EXPECT_TRUE(m_calls.empty());
}

TEST_F(SpellCheckMembersTest, StepsForwardAndBackThroughTheOccurrences)
{
    start(QStringLiteral("zzqa one zzqb two zzqa three e.x.q. four"));
    ASSERT_EQ(listed().size(), 4);
    EXPECT_EQ(m_members.GoToNextSpellError(), 1);
    EXPECT_EQ(m_window.SelStart(), 9);
    EXPECT_EQ(m_members.GoToNextSpellError(), 2);
    EXPECT_EQ(m_window.SelStart(), 18);
    EXPECT_EQ(m_calls.back().options, SpellCheckMembers::WholeWord);
    EXPECT_EQ(m_members.GoToNextSpellError(), 3);
    EXPECT_EQ(selected(), QStringLiteral("e.x.q."));
    EXPECT_EQ(m_calls.back().options, SpellCheckMembers::AllMatches);

    // At the last word nothing moves.
    const size_t calls = m_calls.size();
    EXPECT_EQ(m_members.GoToNextSpellError(), 3);
    EXPECT_EQ(m_calls.size(), calls);

    EXPECT_EQ(m_members.GoToPreviousSpellError(), 2);
    EXPECT_EQ(m_window.SelStart(), 18);
    EXPECT_EQ(m_calls.back().direction, SpellCheckMembers::FindPrevious);
    EXPECT_EQ(m_members.GoToPreviousSpellError(), 1);
    EXPECT_EQ(m_window.SelStart(), 9);
    EXPECT_EQ(m_members.GoToPreviousSpellError(), 0);
    EXPECT_EQ(m_window.SelStart(), 0);
    EXPECT_EQ(m_members.GoToPreviousSpellError(), 0);
    EXPECT_EQ(m_window.SelStart(), 0);
}

TEST_F(SpellCheckMembersTest, ANestedStepDoesNotMove)
{
    start(QStringLiteral("zzqa zzqb zzqc"));
    m_state.SpellNavBusy = true;
    EXPECT_EQ(m_members.GoToNextSpellError(), 0);
    EXPECT_EQ(m_members.GoToPreviousSpellError(), 0);
    EXPECT_TRUE(m_calls.size() == 1u);
    m_state.SpellNavBusy = false;
    EXPECT_EQ(m_members.GoToNextSpellError(), 1);
    EXPECT_FALSE(m_state.SpellNavBusy);
}

TEST_F(SpellCheckMembersTest, PrepFillsTheListWithoutSearching)
{
    m_window.setText(QStringLiteral("zzqa zzqb"));
    m_window.setSelStart(3);
    m_members.PrepNonSpellCheckRTB(QStringList{QStringLiteral("zzqb"), QStringLiteral("zzqa")});
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("zzqb"), QStringLiteral("zzqa")}));
    EXPECT_EQ(m_list.currentRow(), 0);
    EXPECT_EQ(m_window.SelStart(), 3);
    EXPECT_TRUE(m_calls.empty());
    m_members.PrepNonSpellCheckRTB(StringArray());
    EXPECT_EQ(m_list.count(), 0);
}

TEST_F(SpellCheckMembersTest, FixReplacesColoursRecordsAndMovesOn)
{
    start(QStringLiteral("zzqa one zzqb two zzqc"));
    m_state.SpellUndoRecord.ListPosition = 42;
    EXPECT_EQ(m_members.FixSpelling(QStringLiteral("fixed")), 0);
    EXPECT_EQ(m_window.Text(), QStringLiteral("fixed one zzqb two zzqc"));
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("zzqb"), QStringLiteral("zzqc")}));
    EXPECT_EQ(selected(), QStringLiteral("zzqb"));
    EXPECT_EQ(m_state.SpellSearchAnchor, 14);
    const SpellUndoRecordType& record = m_state.SpellUndoRecord;
    EXPECT_TRUE(record.Available);
    EXPECT_EQ(record.Start, 0);
    EXPECT_EQ(record.OldLength, 4);
    EXPECT_EQ(record.NewLength, 5);
    EXPECT_EQ(record.ListPosition, 0);
    m_window.setSelStart(0);
    m_window.setSelLength(5);
    EXPECT_EQ(m_window.engine().selColor(), std::optional<uint32_t>(0x8000));

    // The last word: removed, the new last entry is searched backward.
    m_list.setCurrentRow(1);
    m_window.setSelStart(19);
    m_window.setSelLength(4);
    EXPECT_EQ(m_members.FixSpelling(QStringLiteral("good"), false), 0);
    EXPECT_EQ(m_calls.back().direction, SpellCheckMembers::FindPrevious);
    EXPECT_EQ(m_calls.back().options, SpellCheckMembers::AllMatches);
    EXPECT_EQ(selected(), QStringLiteral("zzqb"));

    // The only word: removed, -1, no search.
    const size_t calls = m_calls.size();
    EXPECT_EQ(m_members.FixSpelling(QStringLiteral("fine")), -1);
    EXPECT_EQ(m_list.count(), 0);
    EXPECT_EQ(m_calls.size(), calls);
    EXPECT_EQ(m_window.Text(), QStringLiteral("fixed one fine two good"));
}

TEST_F(SpellCheckMembersTest, FixWithoutASelectionChangesNothing)
{
    start(QStringLiteral("zzqa here"));
    m_window.setSelStart(1);
    EXPECT_EQ(m_members.FixSpelling(QStringLiteral("x")), 0);
    m_members.FixSpelling2(QStringLiteral("x"));
    EXPECT_EQ(m_window.Text(), QStringLiteral("zzqa here"));
    EXPECT_FALSE(m_state.SpellUndoRecord.Available);
    EXPECT_EQ(m_list.count(), 1);
}

TEST_F(SpellCheckMembersTest, APeriodInTheCorrectionTakesTheDocumentsPeriodAndUndoRestoresIt)
{
    start(QStringLiteral("Tea etc. and zzqa etc."));
    m_window.setSelStart(4);
    m_window.setSelLength(3);
    EXPECT_EQ(m_members.FixSpelling(QStringLiteral("etc."), false), -1);
    EXPECT_EQ(m_window.Text(), QStringLiteral("Tea etc. and zzqa etc."));
    EXPECT_EQ(m_state.SpellUndoRecord.OldLength, 4);
    EXPECT_EQ(m_state.SpellUndoRecord.NewLength, 4);

    EXPECT_EQ(m_members.UndoSpellCorrection(), 0);
    EXPECT_EQ(m_window.Text(), QStringLiteral("Tea etc. and zzqa etc."));
    EXPECT_EQ(m_window.SelStart(), 4);
    EXPECT_EQ(m_window.SelLength(), 4);
    EXPECT_EQ(listed().front(), QStringLiteral("etc."));
}

TEST_F(SpellCheckMembersTest, UndoPutsTheWordBackOnce)
{
    start(QStringLiteral("one zzqa two zzqb"));
    m_list.setCurrentRow(1);
    m_window.setSelStart(13);
    m_window.setSelLength(4);
    m_members.FixSpelling2(QStringLiteral("three"));
    EXPECT_EQ(m_window.Text(), QStringLiteral("one zzqa two three"));
    EXPECT_EQ(m_window.SelStart(), 18);
    EXPECT_EQ(m_window.SelLength(), 0);
    EXPECT_EQ(listed(), QStringList{QStringLiteral("zzqa")});
    EXPECT_EQ(m_list.currentRow(), 0);

    EXPECT_EQ(m_members.UndoSpellCorrection(), 1);
    EXPECT_EQ(m_window.Text(), QStringLiteral("one zzqa two zzqb"));
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("zzqa"), QStringLiteral("zzqb")}));
    EXPECT_EQ(m_list.currentRow(), 1);
    EXPECT_EQ(m_state.SpellFoundStart, 13);
    EXPECT_EQ(m_state.SpellSearchAnchor, 13);

    EXPECT_EQ(m_members.UndoSpellCorrection(), 0);
    EXPECT_EQ(m_window.Text(), QStringLiteral("one zzqa two zzqb"));
    EXPECT_EQ(m_list.count(), 2);
}

TEST_F(SpellCheckMembersTest, ControlMembersForwardToTheSpellCheck)
{
    XrRTB control;
    control.LetText(QStringLiteral("zzqa and zzqb"));
    StringArray words;
    EXPECT_EQ(control.SpellCheck(words), 0);
    auto* list = control.findChild<QListWidget*>(QStringLiteral("List1"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);
    control.LetSelStart(9);
    control.LetSelLength(4);
    QString correction = QStringLiteral("zebra");
    control.FixSpelling2(correction);
    EXPECT_EQ(control.Text(), QStringLiteral("zzqa and zebra"));
    EXPECT_EQ(control.UndoSpellCorrection(), 0);
    EXPECT_EQ(control.Text(), QStringLiteral("zzqa and zzqb"));
}
