// The shipped word lists and their loaders: the formats every reader relies on, checked over
// the lists as shipped rather than against any particular word.
#include "richtext/language/WordLists.h"
#include "richtext/language/WordSet.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {

const QString Letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");

QString load(const QString& name)
{
    return WordLists::instance().LoadDictionaryText(name);
}

// The entries of a list: its CR LF separated lines, NULs at the end dropped.
QStringList entries(const QString& name)
{
    QString text = load(name);
    while (text.endsWith(QChar(0)))
        text.chop(1);
    if (text.endsWith(QStringLiteral("\r\n")))
        text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

// The marked entry's word: "$word<" gives "word".
QString unmarked(const QString& line)
{
    EXPECT_TRUE(line.startsWith(u'$') && line.endsWith(u'<')) << line.toStdString();
    return line.mid(1, line.size() - 2);
}

bool isCapital(const QString& entry)
{
    return entry.at(0).isUpper();
}

}  // namespace

TEST(WordListsTest, LoadsListsByNameWithoutRegardToCase)
{
    EXPECT_EQ(load(QStringLiteral("q")), load(QStringLiteral("Q")));
    EXPECT_EQ(load(QStringLiteral("asyn")), load(QStringLiteral("ASYN")));
    EXPECT_EQ(WordLists::instance().LoadDictionaryText(QStringLiteral("b"), true),
              load(QStringLiteral("101")));
    EXPECT_EQ(testsupport::raisedError([] { load(QStringLiteral("NOSUCHLIST")); }), 326);
    EXPECT_EQ(testsupport::raisedError([] { load(QStringLiteral("../A")); }), 326);
}

TEST(WordListsTest, LowerCaseTextIsTheListInSmallLetters)
{
    WordLists& lists = WordLists::instance();
    for (const QString& name :
         {QStringLiteral("DOTS2"), QStringLiteral("b"), QStringLiteral("101")}) {
        EXPECT_EQ(lists.LoadLowerCaseText(name), load(name).toLower()) << name.toStdString();
        // Kept, and the list itself stays as loaded.
        EXPECT_EQ(lists.LoadLowerCaseText(name), load(name).toLower());
        EXPECT_NE(load(name), load(name).toLower());
    }
    EXPECT_EQ(
        testsupport::raisedError([&] { lists.LoadLowerCaseText(QStringLiteral("NOSUCHLIST")); }),
        326);
}

TEST(WordListsTest, FillerIsTheByteD8WithoutLineBreaks)
{
    EXPECT_EQ(load(QStringLiteral("ZERO")), QString(8370, QChar(0x00D8)));
}

TEST(WordListsTest, MarkedListOfAWordIsChosenByItsLetterInitial)
{
    WordLists& lists = WordLists::instance();
    const QString z = load(QStringLiteral("Z$"));
    EXPECT_EQ(lists.GetMarkedWordList(QStringLiteral("zoo")), z);
    EXPECT_EQ(lists.GetMarkedWordList(QStringLiteral("Zoo")), z);
    for (const QString& word : {QString(), QStringLiteral("'tis"), QStringLiteral("élan"),
                                QStringLiteral("9am"), QStringLiteral("\u2019twas")})
        EXPECT_EQ(lists.GetMarkedWordList(word), QString()) << word.toStdString();
}

TEST(WordListsTest, MarkedLookupIsAWholeEntryTest)
{
    WordLists& lists = WordLists::instance();
    const QString c = QStringLiteral("C$");
    EXPECT_TRUE(lists.containsMarked(c, QStringLiteral("cat")));
    EXPECT_TRUE(lists.containsMarked(c, QStringLiteral("cats")));
    EXPECT_FALSE(lists.containsMarked(c, QStringLiteral("catsx")));
    EXPECT_FALSE(lists.containsMarked(c, QStringLiteral("at")));
    EXPECT_FALSE(lists.containsMarked(QStringLiteral("NOSUCHLIST"), QStringLiteral("cat")));

    // The index answers exactly as a substring search of the marked form would, also for
    // words that hold the markers or line breaks themselves.
    const QString text = load(c);
    const QStringList probes = {QStringLiteral("cat"),
                                QStringLiteral("cat<\r\n$cats"),
                                QStringLiteral("cats<\r\n$cat"),
                                QStringLiteral("c$cat"),
                                QStringLiteral(""),
                                QStringLiteral("cat’s"),
                                QStringLiteral("Cat"),
                                QStringLiteral("cat<")};
    for (const QString& probe : probes)
        EXPECT_EQ(lists.containsMarked(c, probe), text.contains(u'$' + probe + u'<'))
            << probe.toStdString();
}

TEST(WordListsTest, MarkedLookupKnowsEveryEntryOfEveryListAndNoNearMiss)
{
    WordLists& lists = WordLists::instance();
    QStringList names = {QStringLiteral("101"), QStringLiteral("DOTS2")};
    for (const QChar letter : Letters)
        names.append(QString(letter) + u'$');
    for (const QString& name : names) {
        QSet<QString> words;
        for (const QString& line : entries(name))
            words.insert(unmarked(line));
        const WordLists::MarkedLookup lookup = lists.markedLookup(name);
        for (const QString& word : words) {
            ASSERT_TRUE(lookup.contains(word)) << word.toStdString();
            if (word.isEmpty())
                continue;
            // One character more, one less, one changed, the case changed: answered as the
            // list's own entries answer.
            for (const QString& probe :
                 {word + u's', word.chopped(1), word.toUpper(),
                  QString(word).replace(0, 1, QChar(word[0].unicode() ^ 1)), word + QChar(0)})
                EXPECT_EQ(lookup.contains(probe), words.contains(probe)) << probe.toStdString();
        }
    }
}

TEST(WordListsTest, WordSetTellsWordsApartByEveryCharacterAndLength)
{
    WordSet set;
    EXPECT_FALSE(set.contains(u""));
    EXPECT_FALSE(set.contains(u"cat"));
    // Enough words to grow the table many times; words share long prefixes and suffixes, and
    // differ at each place of a four-character round of the hash.
    QStringList words;
    for (int n = 0; n < 40'000; ++n)
        words.append(QStringLiteral("ab%1cd").arg(n, 0, 36));
    // Words too long for a cell of their own, the first few around the limit.
    for (int n = 0; n < 2'000; ++n)
        words.append(QStringLiteral("%1").arg(n, 13 + n % 20, 10, QChar(u'x')));
    words << QString() << QStringLiteral("abcd") << QStringLiteral("abcdX")
          << QStringLiteral("abcdY") << QStringLiteral("Cat") << QString(QChar(0))
          << QStringLiteral("ab") << QStringLiteral("ab") + QChar(0) + QChar(0);
    for (const QString& word : words) {
        set.insert(word);
        ASSERT_TRUE(set.contains(word)) << word.toStdString();
    }
    for (const QString& word : words)
        ASSERT_TRUE(set.contains(word)) << word.toStdString();
    EXPECT_EQ(set.size(), words.size());
    // A word in again adds nothing.
    set.insert(QStringLiteral("abcdX"));
    EXPECT_EQ(set.size(), words.size());

    for (const QString& absent :
         {QStringLiteral("cat"), QStringLiteral("CAT"), QStringLiteral("abc"),
          QStringLiteral("abcdZ"), QStringLiteral("ab") + QChar(0), QString(2, QChar(0)),
          QStringLiteral("ab-1cd"), QStringLiteral("abzzzzcd"), QStringLiteral("b0cd"),
          QString(13, u'x') + u'0', QString(13, u'x') + u'2',
          QString(26, u'x') + QStringLiteral("1999")})
        EXPECT_FALSE(set.contains(absent)) << absent.toStdString();
    // Characters past Latin-1 are compared whole, not by their low byte.
    set.insert(u"\u0163a");
    EXPECT_TRUE(set.contains(u"\u0163a"));
    EXPECT_FALSE(set.contains(u"ca"));
}

TEST(WordListsTest, PlainListsHoldACapitalBlockThenASmallBlockOfTheirInitial)
{
    const QRegularExpression allowed(QStringLiteral("^[A-Za-z'\u2019.èéêï]+$"));
    for (const QChar letter : Letters) {
        const QStringList plain = entries(letter);
        ASSERT_FALSE(plain.isEmpty());
        bool inSmallBlock = false;
        for (const QString& entry : plain) {
            ASSERT_FALSE(entry.isEmpty()) << letter.toLatin1();
            EXPECT_EQ(entry.at(0).toUpper(), letter) << entry.toStdString();
            EXPECT_TRUE(allowed.match(entry).hasMatch()) << entry.toStdString();
            if (!isCapital(entry))
                inSmallBlock = true;
            else
                EXPECT_FALSE(inSmallBlock) << "capital after small: " << entry.toStdString();
        }
    }
}

TEST(WordListsTest, MarkedListsAreTheSmallBlocksAndTheCapitalsListTheCapitalBlocks)
{
    QStringList capitals;
    for (const QChar letter : Letters) {
        const QStringList plain = entries(letter);
        QStringList small;
        for (const QString& entry : plain)
            (isCapital(entry) ? capitals : small).append(entry);
        QStringList marked;
        for (const QString& line : entries(QString(letter) + u'$'))
            marked.append(unmarked(line));
        EXPECT_EQ(marked, small) << letter.toLatin1();
    }
    QStringList listed;
    for (const QString& line : entries(QStringLiteral("101")))
        listed.append(unmarked(line));
    EXPECT_EQ(listed, capitals);
}

TEST(WordListsTest, AbbreviationsAreTheOnlyEntriesWithAFullStop)
{
    QStringList abbreviations;
    for (const QString& line : entries(QStringLiteral("DOTS2")))
        abbreviations.append(unmarked(line));
    ASSERT_EQ(abbreviations.size(), 157);
    EXPECT_EQ(abbreviations.first(), QStringLiteral("A.D."));
    EXPECT_EQ(abbreviations.last(), QStringLiteral("yd."));

    QStringList escaped;
    for (const QString& abbreviation : abbreviations)
        escaped.append(QString(abbreviation).replace(u'.', QStringLiteral("\\.")));
    EXPECT_EQ(load(QStringLiteral("DOTS")), u'(' + escaped.join(u'|') + u')');

    const QSet<QString> expected(abbreviations.begin(), abbreviations.end());
    QSet<QString> dotted;
    for (const QChar letter : Letters) {
        for (const QString& entry : entries(letter)) {
            if (entry.contains(u'.'))
                dotted.insert(entry);
        }
    }
    EXPECT_EQ(dotted, expected);
}

TEST(WordListsTest, PossessivesStandWithBothApostrophes)
{
    for (const QChar letter : Letters) {
        const QStringList plain = entries(letter);
        const QSet<QString> all(plain.begin(), plain.end());
        for (const QString& entry : plain) {
            if (entry.contains(u'\'')) {
                EXPECT_TRUE(all.contains(QString(entry).replace(u'\'', u'\u2019')))
                    << entry.toStdString();
            }
            if (entry.contains(u'\u2019')) {
                EXPECT_TRUE(all.contains(QString(entry).replace(u'\u2019', u'\'')))
                    << entry.toStdString();
            }
        }
    }
}

TEST(WordListsTest, SynonymLinesGiveOneToSixSingleTokenSynonymsOfAListedHead)
{
    const QRegularExpression line(QStringLiteral("^\\$([^<]+)< (.+) >$"));
    const QRegularExpression token(QStringLiteral("^[A-Za-z'\u2019èéêï-]+$"));
    qsizetype heads = 0;
    for (const QChar letter : Letters) {
        const QStringList marked = entries(QString(letter) + u'$');
        const QSet<QString> known(marked.begin(), marked.end());
        const QString synonyms = load(QString(letter) + QStringLiteral("SYN"));
        if (synonyms.isEmpty())
            continue;
        for (const QString& text : entries(QString(letter) + QStringLiteral("SYN"))) {
            const QRegularExpressionMatch match = line.match(text);
            ASSERT_TRUE(match.hasMatch()) << text.toStdString();
            EXPECT_TRUE(known.contains(u'$' + match.captured(1) + u'<')) << text.toStdString();
            const QStringList words = match.captured(2).split(u' ');
            EXPECT_GE(words.size(), 1);
            EXPECT_LE(words.size(), 6);
            for (const QString& word : words)
                EXPECT_TRUE(token.match(word).hasMatch()) << text.toStdString();
            ++heads;
        }
    }
    EXPECT_GT(heads, 10000);
}

TEST(WordListsTest, EveryLetterHasAWordTheRandomDrawCanReturn)
{
    for (const QChar letter : Letters) {
        bool drawable = false;
        for (const QString& entry : entries(letter)) {
            if (entry.size() >= 4 && !entry.contains(u'\'') && !entry.contains(u'\u2019') &&
                !entry.contains(u'.'))
                drawable = true;
        }
        EXPECT_TRUE(drawable) << letter.toLatin1();
    }
}

TEST(WordListsTest, ListsAreCrLfLinesOfWindows1252Text)
{
    for (const QString& name : {QStringLiteral("A"), QStringLiteral("M$"), QStringLiteral("SSYN"),
                                QStringLiteral("101"), QStringLiteral("DOTS2")}) {
        const QString text = load(name);
        EXPECT_EQ(text.count(u'\r'), text.count(QStringLiteral("\r\n"))) << name.toStdString();
        EXPECT_EQ(text.count(u'\n'), text.count(QStringLiteral("\r\n"))) << name.toStdString();
        const auto controls = std::count_if(text.begin(), text.end(), [](QChar ch) {
            return ch.unicode() < 0x20 && ch != u'\r' && ch != u'\n';
        });
        EXPECT_EQ(controls, 0) << name.toStdString();
    }
    EXPECT_FALSE(load(QStringLiteral("DOTS")).contains(u'\n'));
}
