// The suggestion engine: its scores and patterns exactly, and the suggestions it draws from the
// shipped lists.
#include "richtext/core/XrRTB.h"
#include "richtext/language/SpellingSuggestions.h"
#include "richtext/language/WordLists.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>
#include <algorithm>
#include <vector>

namespace {

using Engine = SpellingSuggestions;

class SpellingSuggestionsTest : public testsupport::XrRTBTestBase {
protected:
    SPELL_CHECK_TYPE ask(const QString& word, int16_t accuracy = 72)
    {
        SPELL_CHECK_TYPE request;
        request.IncorrectWord = word;
        request.QAccuracy = accuracy;
        m_control.GetPossibleSpellingCorrections(request);
        return request;
    }

    XrRTB m_control;
};

}  // namespace

TEST(SpellingScoreTest, ScoresCombineSubsequenceSoundAndDistance)
{
    EXPECT_EQ(Engine::ScoreSuggestion(QStringLiteral("recieve"), QStringLiteral("receive")), 94);
    EXPECT_EQ(Engine::ScoreSuggestion(QStringLiteral("teh"), QStringLiteral("the")), 75);
    EXPECT_EQ(Engine::ScoreSuggestion(QStringLiteral("abc"), QStringLiteral("xyz")), -13);
    EXPECT_EQ(Engine::ScoreSuggestion(QStringLiteral("word"), QStringLiteral("word")), 110);
    EXPECT_EQ(Engine::GetLCSPercent(QStringLiteral("teh"), QStringLiteral("the")), 66);
    // The share is of the second word's length.
    EXPECT_EQ(Engine::GetLCSPercent(QStringLiteral("ab"), QStringLiteral("abcd")), 50);
    EXPECT_EQ(Engine::GetLCSPercent(QStringLiteral("abcd"), QStringLiteral("ab")), 100);
    EXPECT_EQ(Engine::GetLCSPercent(QString(), QStringLiteral("ab")), 0);
}

TEST(SpellingScoreTest, SubsequenceShareMatchesTheWholeTableOverRandomWords)
{
    // The longest common subsequence from the full table of prefix pairs, as a percentage of
    // the second word's length.
    const auto wholeTable = [](const QString& a, const QString& b) {
        std::vector<std::vector<int>> table(size_t(a.size() + 1),
                                            std::vector<int>(size_t(b.size() + 1), 0));
        for (qsizetype i = 1; i <= a.size(); ++i)
            for (qsizetype j = 1; j <= b.size(); ++j)
                table[size_t(i)][size_t(j)] = a[i - 1] == b[j - 1]
                                                  ? table[size_t(i - 1)][size_t(j - 1)] + 1
                                                  : std::max(table[size_t(i - 1)][size_t(j)],
                                                             table[size_t(i)][size_t(j - 1)]);
        return int(table[size_t(a.size())][size_t(b.size())] * 100 / b.size());
    };
    QRandomGenerator random(33);
    const auto word = [&random] {
        // Up to 300 letters: past the stack rows, into heap rows.
        QString letters(random.bounded(random.bounded(4) == 0 ? 300 : 12) + 1, u'a');
        // One letter outside Latin-1, which has no slot of its own in the bit-parallel form.
        const QString alphabet = QStringLiteral("abc\u0101");
        for (QChar& ch : letters)
            ch = alphabet.at(random.bounded(4));
        return letters;
    };
    for (int round = 0; round < 2000; ++round) {
        const QString a = word();
        const QString b = word();
        ASSERT_EQ(Engine::GetLCSPercent(a, b), wholeTable(a, b))
            << a.toStdString() << " " << b.toStdString();
    }
    // Words around the length of one machine word.
    for (const qsizetype length : {63, 64, 65}) {
        for (int round = 0; round < 50; ++round) {
            QString a = word();
            QString b(length, u'a');
            for (QChar& ch : b)
                ch = QChar(u'a' + random.bounded(3));
            ASSERT_EQ(Engine::GetLCSPercent(a, b), wholeTable(a, b)) << length;
            ASSERT_EQ(Engine::GetLCSPercent(b, b), 100);
        }
    }
}

TEST(SpellingScoreTest, EditDistanceTakesFrontMatchesGreedilyAndIsCapped)
{
    EXPECT_EQ(Engine::GetEditDistance(u"ab", u"bab", 3), 2);
    EXPECT_EQ(Engine::GetEditDistance(u"recieve", u"receive", 3), 1);
    EXPECT_EQ(Engine::GetEditDistance(u"abc", u"xyz", 3), 3);
    EXPECT_EQ(Engine::GetEditDistance(u"kitten", u"sitting", 3), 3);
    EXPECT_EQ(Engine::GetEditDistance(u"cat", u"cart", 3), 1);
    EXPECT_EQ(Engine::GetEditDistance(u"", u"ab", 3), 2);
    EXPECT_EQ(Engine::GetEditDistance(u"a", u"abcd", 3), 3);
    EXPECT_EQ(Engine::GetEditDistance(u"same", u"same", 3), 0);
    // A long common start costs no stack depth.
    const QString longWord(200000, u'a');
    EXPECT_EQ(Engine::GetEditDistance(longWord, longWord + u'b', 3), 1);
    EXPECT_EQ(Engine::GetEditDistance(longWord + u'x' + longWord, longWord + u'y' + longWord, 3),
              1);
}

TEST(SpellingScoreTest, SoundexCodesAreUnpadded)
{
    EXPECT_EQ(Engine::GetSoundexCode(QStringLiteral("pepper")), QStringLiteral("P16"));
    EXPECT_EQ(Engine::GetSoundexCode(QStringLiteral("ashcan")), QStringLiteral("A225"));
    EXPECT_EQ(Engine::GetSoundexCode(QStringLiteral("lee")), QStringLiteral("L"));
    EXPECT_EQ(Engine::GetSoundexCode(QStringLiteral("recieve")), QStringLiteral("R21"));
    EXPECT_EQ(Engine::GetSoundexCode(QStringLiteral("receive")), QStringLiteral("R21"));
    // Four characters at most; other characters are skipped.
    EXPECT_EQ(Engine::GetSoundexCode(QStringLiteral("robert's-pact")), QStringLiteral("R163"));
}

TEST(SpellingScoreTest, SoundexCodesFollowTheFullCaseMappingOverRandomText)
{
    // The code from the text upper-cased as a whole: letters outside ASCII may become A to Z
    // ("ſ" is "S", "ı" is "I") or grow ("ß" is "SS").
    const auto fromUpperCased = [](const QString& text) {
        const QString upper = text.toUpper();
        if (upper.isEmpty())
            return QString();
        const auto digitOf = [](QChar ch) {
            return ch >= u'A' && ch <= u'Z' ? "01230120022455012623010202"[ch.unicode() - u'A']
                                            : '0';
        };
        QString code(upper.at(0));
        char previous = digitOf(upper.at(0));
        for (qsizetype i = 1; i < upper.size() && code.size() < 4; ++i) {
            if (upper.at(i) < u'A' || upper.at(i) > u'Z')
                continue;
            const char digit = digitOf(upper.at(i));
            if (digit != '0' && digit != previous)
                code += QLatin1Char(digit);
            previous = digit;
        }
        return code;
    };
    const QString alphabet =
        QStringLiteral("abcdgklmnrstwyzAEHPRS'-1 \u00e9\u00df\u017f\u0131\ufb00");
    QRandomGenerator random(34);
    for (int round = 0; round < 5000; ++round) {
        QString text(random.bounded(9), u'a');
        for (QChar& ch : text)
            ch = alphabet.at(random.bounded(alphabet.size()));
        ASSERT_EQ(Engine::GetSoundexCode(text), fromUpperCased(text)) << text.toStdString();
    }
    EXPECT_EQ(Engine::GetSoundexCode(QStringLiteral("\u017fmith")), QStringLiteral("S53"));
}

TEST(SpellingScoreTest, PatternsAreBuiltFromTheWordAsItIs)
{
    EXPECT_EQ(Engine::BuildSuggestionPattern(QStringLiteral("recieve")),
              QStringLiteral("(\\b(r)[eciev\\S]{4,7}(e)\\b|\\b(r)[ecieve]{4,7}\\w?\\b|"
                             "\\b(re)[a-z\\'\\’]{4,7}\\b)\\s"));
    EXPECT_EQ(Engine::BuildSuggestionPattern(QStringLiteral("teh")),
              QStringLiteral("\\bt(e|\\S)(h|\\S)\\S?\\.?\\s"));
    EXPECT_EQ(Engine::BuildShortWordPattern(QStringLiteral("u")),
              QStringLiteral("\\bu\\S?\\.?\\s"));
    // Four letters: between 2 and 4 characters; eight: between 5 and 8.
    EXPECT_TRUE(Engine::BuildSuggestionPattern(QStringLiteral("abcd")).contains(u"{2,4}"));
    EXPECT_TRUE(Engine::BuildSuggestionPattern(QStringLiteral("abcdefgh")).contains(u"{5,8}"));
    EXPECT_EQ(Engine::GetDottedForm(QStringLiteral("am")), QStringLiteral("a.m."));
}

TEST_F(SpellingSuggestionsTest, AbbreviationsAnswerWhateverTheThreshold)
{
    for (const QString& word :
         {QStringLiteral("am"), QStringLiteral("a.m"), QStringLiteral("AM")}) {
        SPELL_CHECK_TYPE request;
        request.IncorrectWord = word;
        request.QAccuracy = 200;
        request.Suggestions = QStringList{QStringLiteral("x"), QStringLiteral("y")};
        m_control.GetPossibleSpellingCorrections(request);
        EXPECT_EQ(*request.Suggestions, QStringList{QStringLiteral("a.m.")}) << word.toStdString();
    }
    EXPECT_EQ(*ask(QStringLiteral("calif"), 200).Suggestions,
              QStringList{QStringLiteral("Calif.")});
    EXPECT_EQ(*ask(QStringLiteral("dc")).Suggestions, QStringList{QStringLiteral("D.C.")});
    EXPECT_EQ(*ask(QStringLiteral("etc")).Suggestions, QStringList{QStringLiteral("etc.")});
}

TEST_F(SpellingSuggestionsTest, CandidatesAreListEntriesScoredAgainstTheThreshold)
{
    const SPELL_CHECK_TYPE receive = ask(QStringLiteral("recieve"));
    ASSERT_TRUE(m_control.IsArrayGood(receive.Suggestions));
    EXPECT_TRUE(receive.Suggestions->contains(QStringLiteral("receive")));
    const QString plain = WordLists::instance().LoadDictionaryText(QStringLiteral("R"));
    for (const QString& suggestion : *receive.Suggestions) {
        EXPECT_GE(Engine::ScoreSuggestion(QStringLiteral("recieve"), suggestion.toLower()), 72);
        EXPECT_FALSE(suggestion.contains(u'\u2019'));
        EXPECT_TRUE(plain.contains(suggestion + QStringLiteral("\r\n")))
            << suggestion.toStdString();
    }
    EXPECT_TRUE(ask(QStringLiteral("teh")).Suggestions->contains(QStringLiteral("the")));

    // Suggestions keep list order; the capital block comes first.
    const QStringList all = *ask(QStringLiteral("paris"), -13).Suggestions;
    qsizetype firstSmall = all.size();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i].at(0).isLower())
            firstSmall = std::min(firstSmall, i);
        else
            EXPECT_EQ(firstSmall, all.size()) << "capital after a small word";
    }
    EXPECT_TRUE(all.contains(QStringLiteral("Paris")));
}

TEST_F(SpellingSuggestionsTest, NothingFoundLeavesTheRecordAsItWas)
{
    const QStringList earlier{QStringLiteral("earlier"), QStringLiteral("words")};
    for (const QString& word :
         {QStringLiteral("recieve"), QString(), QStringLiteral("..."), QStringLiteral("élan"),
          QStringLiteral("9am"), QStringLiteral("a[b"), QStringLiteral("re(ieve"),
          QStringLiteral("rec\\ieve"), QStringLiteral("rec-ieve")}) {
        SPELL_CHECK_TYPE request;
        request.IncorrectWord = word;
        request.QAccuracy = word == QStringLiteral("recieve") ? 111 : 72;
        request.Suggestions = earlier;
        m_control.GetPossibleSpellingCorrections(request);
        EXPECT_EQ(*request.Suggestions, earlier) << word.toStdString();
    }
    SPELL_CHECK_TYPE untouched;
    untouched.IncorrectWord = QStringLiteral("zzzzzzzzzz");
    m_control.GetPossibleSpellingCorrections(untouched);
    EXPECT_FALSE(m_control.IsArrayGood(untouched.Suggestions));
}
