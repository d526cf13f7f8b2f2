// The thesaurus and the random word, as members of the control and in the random-word dialog
// driven by clicks.
#include "richtext/language/RandomFrm.h"
#include "richtext/language/Thesaurus.h"
#include "richtext/language/WordLists.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/richtext/language/LanguageDialogTestSupport.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <deque>
#include <tuple>

namespace {

class ThesaurusTest : public testsupport::XrRTBTestBase {
protected:
    ~ThesaurusTest() override { Thesaurus::setUniformSource({}); }

    // Answers the queued values in turn, then 0.
    void script(std::deque<double> values)
    {
        m_values = std::move(values);
        Thesaurus::setUniformSource([this] {
            if (m_values.empty())
                return 0.0;
            const double value = m_values.front();
            m_values.pop_front();
            return value;
        });
    }

    static QStringList plainList(char letter)
    {
        return WordLists::instance()
            .LoadDictionaryText(QString(QLatin1Char(letter)))
            .split(QStringLiteral("\r\n"));
    }

    XrRTB m_control;
    std::deque<double> m_values;
};

}  // namespace

TEST_F(ThesaurusTest, SynonymsOfAWholeHeadWordInAnyCase)
{
    for (QString word :
         {QStringLiteral("aback"), QStringLiteral("ABACK"), QStringLiteral("Aback")}) {
        SCOPED_TRACE(word.toStdString());
        StringArray synonyms =
            QStringList{QStringLiteral("old"), QStringLiteral("older"), QStringLiteral("oldest")};
        EXPECT_EQ(m_control.GetSynonyms(word, synonyms), QString());
        // Earlier contents are replaced, not extended.
        EXPECT_EQ(synonyms, (QStringList{QStringLiteral("confused"), QStringLiteral("surprised")}));
    }
    // The synonym list holds what its head-word line says, in order.
    StringArray abandon;
    QString word = QStringLiteral("abandon");
    m_control.GetSynonyms(word, abandon);
    const QString asyn = WordLists::instance().LoadDictionaryText(QStringLiteral("ASYN"));
    const qsizetype at = asyn.indexOf(QStringLiteral("$abandon<"));
    ASSERT_GE(at, 0);
    const QString line = asyn.mid(at + 9, asyn.indexOf(u'>', at) - at - 9);
    EXPECT_EQ(abandon->join(u' '), line.trimmed());
}

TEST_F(ThesaurusTest, WordsWithoutAHeadLineLeaveTheArrayAlone)
{
    const StringArray before = QStringList{QStringLiteral("kept")};
    for (QString word :
         {QStringLiteral("abac"), QString(), QStringLiteral("2nd"), QStringLiteral("\u00e9clair"),
          QStringLiteral("$aback"), QStringLiteral("aback<")}) {
        SCOPED_TRACE(word.toStdString());
        StringArray synonyms = before;
        EXPECT_EQ(m_control.GetSynonyms(word, synonyms), QStringLiteral("No synonyms found."));
        EXPECT_EQ(synonyms, before);
        StringArray unallocated;
        m_control.GetSynonyms(word, unallocated);
        EXPECT_FALSE(m_control.IsArrayGood(unallocated));
    }
}

TEST_F(ThesaurusTest, SynonymTextSplitsExactlyAtSingleBlanks)
{
    using Thesaurus::SplitSynonyms;
    EXPECT_EQ(SplitSynonyms(QStringLiteral(" dolt dummy  weights >")),
              (QStringList{"dolt", "dummy", "", "weights", ">"}));
    EXPECT_EQ(SplitSynonyms(QStringLiteral(" dolt dummy  weights ")),
              (QStringList{"dolt", "dummy", "", "weights"}));
    // Doubled blanks before the end are trimmed away; a missing last blank changes nothing.
    EXPECT_EQ(SplitSynonyms(QStringLiteral(" arrow blade bomb bow  ")),
              (QStringList{"arrow", "blade", "bomb", "bow"}));
    EXPECT_EQ(SplitSynonyms(QStringLiteral(" boat kayak")), (QStringList{"boat", "kayak"}));
    EXPECT_EQ(SplitSynonyms(QStringLiteral("  ")), QStringList());
    // Blanks are trimmed before the line ends are removed.
    EXPECT_EQ(Thesaurus::TrimNewLines(QStringLiteral("  a\r\nb \r\n ")), QStringLiteral("ab "));
    // Only blanks are trimmed: a tab stays.
    EXPECT_EQ(Thesaurus::TrimNewLines(QStringLiteral("\tword ")), QStringLiteral("\tword"));
}

TEST_F(ThesaurusTest, RandomWordFollowsTheLetterAndIndexRules)
{
    // Index = whole part of r2 x last index, plus 1.
    const QStringList a = plainList('a');
    const qsizetype aback = a.indexOf(QStringLiteral("aback"));
    ASSERT_GT(aback, 1);
    const double abackDraw = (double(aback) - 1 + 0.5) / double(a.size() - 1);
    // Letter = 97 + r1 x 25 rounded, halves to even: 0.5 gives "a", 1.5 "c", 24.5 "y".
    script({0.02, abackDraw});
    EXPECT_EQ(m_control.GetRandomWord(), QStringLiteral("Aback"));
    const QStringList c = plainList('c');
    const qsizetype cabin = c.indexOf(QStringLiteral("cabin"));
    ASSERT_GT(cabin, 1);
    script({0.06, (double(cabin) - 1 + 0.5) / double(c.size() - 1)});
    EXPECT_EQ(m_control.GetRandomWord(), QStringLiteral("Cabin"));
    for (const auto& [r1, letter, word] :
         {std::tuple{0.98, 'y', QStringLiteral("yacht")}, {0.99, 'z', QStringLiteral("zebra")}}) {
        const QStringList list = plainList(letter);
        const qsizetype index = list.indexOf(word);
        ASSERT_GT(index, 1);
        script({r1, (double(index) - 1 + 0.5) / double(list.size() - 1)});
        EXPECT_EQ(m_control.GetRandomWord().toLower(), word);
    }
    // A short entry is refused and the draw starts again with a new letter and index.
    const qsizetype shortEntry = a.indexOf(QStringLiteral("ace"));
    ASSERT_GT(shortEntry, 1);
    script({0.0, (double(shortEntry) - 1 + 0.5) / double(a.size() - 1), 0.02, abackDraw});
    EXPECT_EQ(m_control.GetRandomWord(), QStringLiteral("Aback"));
}

TEST_F(ThesaurusTest, RandomWordsOverManyCallsCoverEveryInitialAndAreAcceptable)
{
    QSet<QChar> initials;
    for (int call = 0; call < 2000 && initials.size() < 26; ++call) {
        const QString word = m_control.GetRandomWord();
        ASSERT_GE(word.size(), 4) << word.toStdString();
        EXPECT_FALSE(word.contains(u'\'') || word.contains(QChar(0x2019)) || word.contains(u'.') ||
                     word.contains(QChar(0)))
            << word.toStdString();
        // Proper case: "NASA" comes back as "Nasa".
        EXPECT_EQ(word, word.front().toUpper() + word.mid(1).toLower()) << word.toStdString();
        initials.insert(word.front());
    }
    EXPECT_EQ(initials.size(), 26);
}

TEST_F(ThesaurusTest, RandomDrawStopsWhenNothingIsAcceptable)
{
    // Always index 1 of "a"; stripped of NULs and still too short, it would loop for ever.
    const QString first = plainList('a').at(1);
    if (first.size() >= 4 && !first.contains(u'\'') && !first.contains(u'.'))
        GTEST_SKIP() << "the list's second entry is acceptable";
    Thesaurus::setUniformSource([] { return 0.0; });
    EXPECT_EQ(m_control.GetRandomWord(), QString());
}

TEST_F(ThesaurusTest, RandomWordDialogShowsAWordWithItsSynonymsAndCopiesAPick)
{
    // "aback" is drawn first: the letter a, then the index of its line.
    const QStringList a = plainList('a');
    const qsizetype abackIndex = a.indexOf(QStringLiteral("aback"));
    ASSERT_GT(abackIndex, 0);
    const double abackDraw = (double(abackIndex) - 1 + 0.5) / double(a.size() - 1);
    // Then a capitalised name without a synonym line.
    const qsizetype nameIndex = a.indexOf(QStringLiteral("Abby"));
    ASSERT_GT(nameIndex, 0);
    const double nameDraw = (double(nameIndex) - 1 + 0.5) / double(a.size() - 1);
    script({0.0, abackDraw, 0.0, nameDraw});

    testsupport::SignalRecorder events(&m_control);
    const bool ran = testsupport::runModalDialog<RandomFrm>(
        [&] { m_control.ShowRandomWord(); },
        [&](RandomFrm& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Random Word"));
            EXPECT_TRUE(dialog.isModal());
            EXPECT_EQ(dialog.parentWidget(), &m_control);
            EXPECT_TRUE(RichTextLibraryState::instance().SharedRichText.isNull());
            EXPECT_EQ(dialog.Frame3->title(), QStringLiteral("Results"));
            EXPECT_EQ(dialog.Label2->text(), QStringLiteral("Synonyms"));
            EXPECT_EQ(dialog.Label1->text(), QStringLiteral("Copy Selected Synonym"));
            EXPECT_EQ(dialog.NewWordButton->text(), QStringLiteral("New Word"));
            EXPECT_EQ(dialog.RWordTxt->text(), QStringLiteral("Aback"));
            EXPECT_EQ(testsupport::listEntries(*dialog.SynoList),
                      (QStringList{"confused", "surprised"}));
            EXPECT_TRUE(dialog.Text1->text().isEmpty());
            testsupport::saveShot(dialog, QStringLiteral("random-word"));

            testsupport::clickListEntry(*dialog.SynoList, 1);
            EXPECT_EQ(dialog.Text1->text(), QStringLiteral("surprised"));

            testsupport::clickButton(dialog, "NewWordButton");
            EXPECT_EQ(dialog.RWordTxt->text(), QStringLiteral("Abby"));
            EXPECT_TRUE(dialog.Text1->text().isEmpty());
            EXPECT_EQ(testsupport::listEntries(*dialog.SynoList),
                      QStringList{"No synonyms found."});
            testsupport::clickListEntry(*dialog.SynoList, 0);
            EXPECT_TRUE(dialog.Text1->text().isEmpty());
        });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(events.names().isEmpty());
}
