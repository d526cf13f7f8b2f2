// The word members through the control: prefixes, the misspelling scan with its counters and
// its stop request.
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/XrRTB.h"
#include "richtext/language/WordLists.h"
#include "richtext/language/WordQueries.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>
#include <QTimer>

namespace {

class WordQueriesTest : public testsupport::XrRTBTestBase {
protected:
    // The misspellings the control reports for a document of that text.
    QStringList misspellings(const QString& text)
    {
        m_control.LetText(text);
        StringArray found;
        m_control.DetectMisspellings(found);
        return found.value_or(QStringList());
    }

    // The plain list's entries of the initial that start with the prefix in either case, at
    // the entry's start, without the U+2019 twins, in list order.
    static QStringList entriesStartingWith(const QString& prefix)
    {
        QStringList result;
        const QString list =
            WordLists::instance().LoadDictionaryText(WordLists::initialListName(prefix));
        for (const QString& entry : list.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            if (entry.startsWith(prefix, Qt::CaseInsensitive) && !entry.contains(u'\u2019'))
                result.append(entry);
        }
        return result;
    }

    XrRTB m_control;
    RichTextLibraryState& m_state = RichTextLibraryState::instance();
};

}  // namespace

TEST_F(WordQueriesTest, WordPatternIsTheDocumentedOne)
{
    EXPECT_EQ(MisspellingWordPattern().size(), 227);
    EXPECT_TRUE(MisspellingWordPattern().startsWith(QStringLiteral("[\\à\\á\\â")));
    EXPECT_TRUE(MisspellingWordPattern().endsWith(QStringLiteral("\\'\\’]?(?!(:|#))")));
}

TEST_F(WordQueriesTest, WordsThatStartWithAPrefixComeInListOrderUpToTheLimit)
{
    QString prefix = QStringLiteral("ab");
    StringArray words;
    ASSERT_TRUE(m_control.GetWordsThatStartWith(prefix, words, 3));
    EXPECT_EQ(*words, entriesStartingWith(QStringLiteral("ab")).mid(0, 3));
    EXPECT_EQ(prefix, QStringLiteral("ab"));

    // No limit: every such entry; none holds U+2019; each as its entry, no line end.
    StringArray all = QStringList{QStringLiteral("left"), QStringLiteral("over"),
                                  QStringLiteral("from"), QStringLiteral("before")};
    QString again = QStringLiteral("Ab");
    ASSERT_TRUE(m_control.GetWordsThatStartWith(again, all));
    EXPECT_EQ(*all, entriesStartingWith(QStringLiteral("ab")));
}

TEST_F(WordQueriesTest, PrefixWithAnApostropheIsWrittenBackEscaped)
{
    QString prefix = QStringLiteral("o'c");
    StringArray words;
    ASSERT_TRUE(m_control.GetWordsThatStartWith(prefix, words));
    EXPECT_EQ(prefix, QStringLiteral("o\\'c"));
    EXPECT_TRUE(words->contains(QStringLiteral("o'clock")));
    for (const QString& word : *words)
        EXPECT_FALSE(word.contains(u'\u2019')) << word.toStdString();
}

TEST_F(WordQueriesTest, PrefixNotStartingWithALetterFindsNothingAndTouchesNothing)
{
    for (const QString& start : {QString(), QStringLiteral("9am"), QStringLiteral("'tis"),
                                 QStringLiteral("élan"), QStringLiteral("[ab")}) {
        QString prefix = start;
        StringArray words = QStringList{QStringLiteral("kept")};
        EXPECT_FALSE(m_control.GetWordsThatStartWith(prefix, words));
        EXPECT_EQ(prefix, start);
        EXPECT_EQ(*words, QStringList{QStringLiteral("kept")});
    }
    // Characters after the first letter that a pattern would read as syntax are escaped.
    QString odd = QStringLiteral("a(b[");
    StringArray none;
    EXPECT_FALSE(m_control.GetWordsThatStartWith(odd, none));
    EXPECT_EQ(odd, QStringLiteral("a\\(b\\["));
    EXPECT_FALSE(m_control.IsArrayGood(none));
}

TEST_F(WordQueriesTest, IsArrayGoodTellsAllocatedArrays)
{
    EXPECT_FALSE(m_control.IsArrayGood(StringArray()));
    EXPECT_TRUE(m_control.IsArrayGood(StringArray(QStringList())));
    EXPECT_FALSE(m_control.IsArrayGood(QVariant()));
    EXPECT_FALSE(m_control.IsArrayGood(QVariant(QStringLiteral("text"))));
    EXPECT_TRUE(m_control.IsArrayGood(QVariant(QStringList{QStringLiteral("a")})));
}

TEST_F(WordQueriesTest, CaseRulesOfSmallWordsAndCapitalisedWords)
{
    EXPECT_EQ(misspellings(QStringLiteral("Hello hello HELLO")), QStringList());
    EXPECT_EQ(misspellings(QStringLiteral("Paris paris")), QStringList{QStringLiteral("paris")});
    EXPECT_EQ(misspellings(QStringLiteral("NATO nato")), QStringList{QStringLiteral("nato")});
}

TEST_F(WordQueriesTest, WordsPassedOverUnchecked)
{
    // Quoted words and trailing apostrophes, single letters, letters joined to digits, words
    // before ":" or "#", and addresses.
    EXPECT_EQ(misspellings(QStringLiteral("'hellox' dogsx' x 9zzq zzq9 zzqa: zzqb# "
                                          "www.zzqc.com zzqd@zzqe.org http://zzqf.net/zzqg")),
              QStringList());
    // Listed abbreviations go before the scan; an unlisted dotted initialism is one word.
    EXPECT_EQ(misspellings(QStringLiteral("Mr. Smith, e.g. this, and x.y.z. too")),
              QStringList{QStringLiteral("x.y.z.")});
    // No list holds an accented initial.
    EXPECT_EQ(misspellings(QStringLiteral("an élan")), QStringList{QStringLiteral("élan")});
}

TEST_F(WordQueriesTest, EachOccurrenceIsReportedInTextOrderFromElementZero)
{
    m_control.LetText(QStringLiteral("zzqa the zzqb\r\nzzqa"));
    StringArray found =
        QStringList{QStringLiteral("old0"), QStringLiteral("old1"), QStringLiteral("old2"),
                    QStringLiteral("old3"), QStringLiteral("old4")};
    EXPECT_TRUE(m_control.DetectMisspellings(found));
    EXPECT_EQ(*found, (QStringList{QStringLiteral("zzqa"), QStringLiteral("zzqb"),
                                   QStringLiteral("zzqa")}));

    // A clean document leaves the array as it was.
    m_control.LetText(QStringLiteral("the cat sat"));
    EXPECT_FALSE(m_control.DetectMisspellings(found));
    EXPECT_EQ(found->size(), 3);
}

// Only shown words are checked and selected: a hidden word is no misspelling, a hidden run
// inside a word leaves it whole, a hidden paragraph holds nothing to check.
TEST_F(WordQueriesTest, HiddenTextIsNeitherCheckedNorSelected)
{
    m_control.LetTextRTF(
        QStringLiteral("{\\rtf1\\ansi\\pard {\\v zzqh }zzqa spel{\\v XX}ling zzqb"
                       "\\par{\\v\\pard zzqc\\par}\\pard end\\par}"));
    ASSERT_EQ(m_control.Text(), QStringLiteral("zzqh zzqa spelXXling zzqb\r\nzzqc\r\nend"));
    StringArray found;
    EXPECT_TRUE(m_control.DetectMisspellings(found));
    EXPECT_EQ(found.value_or(QStringList()), (QStringList{"zzqa", "zzqb"}));
    // The spell check selects the first of them where it shows.
    StringArray words;
    EXPECT_EQ(m_control.SpellCheck(words), 0);
    EXPECT_EQ(words.value_or(QStringList()).size(), 2);
    EXPECT_EQ(m_control.SelStart(), 5);
    EXPECT_EQ(m_control.SelText(), QStringLiteral("zzqa"));
}

TEST_F(WordQueriesTest, CountersFollowTheScan)
{
    m_control.LetText(QString());
    StringArray found;
    EXPECT_FALSE(m_control.DetectMisspellings(found));
    EXPECT_EQ(m_state.ProgressTotal, 0);
    EXPECT_FALSE(m_control.IsArrayGood(found));

    m_control.LetText(QStringLiteral("one two zzqa three"));
    m_state.ProgressDone = 7;
    EXPECT_TRUE(m_control.DetectMisspellings(found));
    EXPECT_EQ(m_state.ProgressTotal, 4);
    EXPECT_EQ(m_state.ProgressDone, 0);
}

TEST_F(WordQueriesTest, KillSwitchDuringTheScanStopsItAndEarlierRequestsDoNot)
{
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("zzqa the ");
    m_control.LetText(text);

    // A stop request made before the scan does not end it.
    m_control.KillSwitch();
    StringArray found;
    EXPECT_TRUE(m_control.DetectMisspellings(found));
    EXPECT_EQ(found->size(), 20000);

    // One made while it runs (from the event loop, as the dialog's Close button does) ends
    // it: the array is unallocated and the progress reads 0.
    int percentSeen = -1;
    QTimer::singleShot(0, &m_control, [&] {
        percentSeen = m_control.ProgressPercentage();
        m_control.KillSwitch();
    });
    StringArray stopped = QStringList{QStringLiteral("earlier")};
    m_control.DetectMisspellings(stopped);
    EXPECT_FALSE(m_control.IsArrayGood(stopped));
    EXPECT_GE(percentSeen, 0);
    EXPECT_LT(percentSeen, 100);
    EXPECT_EQ(m_control.ProgressPercentage(), 0);
}

TEST_F(WordQueriesTest, CommonInflectionsContractionsAndNamesAreKnown)
{
    EXPECT_EQ(misspellings(QStringLiteral(
                  "walk walks walked walking. city cities. run runs ran running. happy happier "
                  "happiest. child children's. go goes went gone going. write wrote written "
                  "writing. don't it's o'clock dog's dog\u2019s dogs\u2019 houses' "
                  "Monday January America's English NATO Paris Calif. Mr. e.g.")),
              QStringList());
}

namespace {

// The scan as once written over the whole text at once: addresses and then listed abbreviations
// replaced out of one string, every word matched, then each looked up. The paragraph-at-a-time
// scan must report what this reports.
QStringList wholeTextMisspellings(const QString& documentText)
{
    vbscript::RegExp addresses;
    addresses.setPattern(AddressPattern);
    addresses.setIgnoreCase(true);
    addresses.setGlobal(true);
    vbscript::RegExp abbreviations;
    abbreviations.setPattern(QStringLiteral("\\b") +
                             WordLists::instance().LoadDictionaryText(QStringLiteral("DOTS")));
    abbreviations.setGlobal(true);
    const QString text =
        abbreviations.Replace(addresses.Replace(documentText, QString()), QString());

    vbscript::RegExp words;
    words.setPattern(MisspellingWordPattern());
    words.setIgnoreCase(true);
    words.setGlobal(true);
    WordLists& lists = WordLists::instance();
    QStringList misspelt;
    for (const vbscript::Match match : words.Execute(text)) {
        const QString word = match.Value();
        const auto apostrophe = [](QChar ch) { return ch == u'\'' || ch == u'\u2019'; };
        if (apostrophe(word.front()) || apostrophe(word.back()))
            continue;
        const QString initial = WordLists::initialListName(word);
        const bool known =
            (!initial.isEmpty() && lists.containsMarked(initial + u'$', word.toLower())) ||
            lists.containsMarked(QStringLiteral("101"), word);
        if (!known)
            misspelt.append(word);
    }
    return misspelt;
}

// Random documents built from pieces that meet the scan's edge cases: known, unknown,
// capitalised and accented words, apostrophes of both kinds, listed abbreviations, addresses of
// every kind, the ":" and "#" that exclude a word, and paragraph ends, often glued together
// so that taking an address or an abbreviation out joins the words around it.
QString randomDocument(QRandomGenerator& random)
{
    static const QStringList pieces = {
        QStringLiteral("the"),
        QStringLiteral("walked"),
        QStringLiteral("zzqa"),
        QStringLiteral("Paris"),
        QStringLiteral("paris"),
        QStringLiteral("NATO"),
        QStringLiteral("HELLO"),
        QStringLiteral("élan"),
        QStringLiteral("café"),
        QStringLiteral("ÉCOLE"),
        QStringLiteral("don't"),
        QStringLiteral("dog\u2019s"),
        QStringLiteral("'tis"),
        QStringLiteral("houses'"),
        QStringLiteral("e.g."),
        QStringLiteral("Mr."),
        QStringLiteral("Calif."),
        QStringLiteral("x.y.z."),
        QStringLiteral("a.m."),
        QStringLiteral("www.zzqc.com"),
        QStringLiteral("me@zzqe.org"),
        QStringLiteral("http://zzqf.net/zzqg"),
        QStringLiteral("ftp://a.b"),
        QStringLiteral(":"),
        QStringLiteral("#"),
        QStringLiteral("."),
        QStringLiteral(","),
        QStringLiteral("9"),
        QStringLiteral("\r\n"),
        QStringLiteral("\r"),
        QStringLiteral("\n"),
        QStringLiteral("İstanbul"),
        QStringLiteral("ß"),
        QStringLiteral("\u2019"),
        QStringLiteral("'"),
        QStringLiteral("qu"),
        QStringLiteral("file:\\\\zzqh\\share"),
        QStringLiteral("WWW.ZZQI.ORG"),
        QStringLiteral("@"),
    };
    QString text;
    const int count = int(random.bounded(1, 60));
    for (int i = 0; i < count; ++i) {
        text += pieces[random.bounded(pieces.size())];
        if (random.bounded(3) != 0)
            text += random.bounded(8) == 0 ? QStringLiteral("\r\n") : QStringLiteral(" ");
    }
    return text;
}

}  // namespace

TEST(MisspellingScanTest, ParagraphAtATimeReportsWhatTheWholeTextScanReports)
{
    RichTextLibraryState::instance().reset();
    QRandomGenerator random(34);
    richedit::RichTextBox window;
    WordQueries queries(window, WordLists::instance());
    for (int round = 0; round < 400; ++round) {
        window.setText(randomDocument(random));
        StringArray found;
        const bool any = queries.DetectMisspellings(found);
        const QStringList expected = wholeTextMisspellings(window.Text());
        ASSERT_EQ(found.value_or(QStringList()), expected) << window.Text().toStdString();
        EXPECT_EQ(any, !expected.isEmpty());
    }
}
