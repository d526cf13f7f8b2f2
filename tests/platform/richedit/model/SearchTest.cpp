#include "platform/richedit/model/Search.h"

#include <gtest/gtest.h>

using namespace richedit;

class SearchTest : public ::testing::Test {
protected:
    void setText(const QString& text) { document.insert(0, text, defaultCharFormat()); }
    int32_t find(CharRange range, const QString& what, uint32_t flags = 0)
    {
        return findText(document, range, what, flags);
    }
    Document document;
};

TEST_F(SearchTest, SearchesForwardInsideTheRange)
{
    setText(QStringLiteral("abc abc abc"));
    EXPECT_EQ(find({0, -1}, QStringLiteral("abc")), 0);
    EXPECT_EQ(find({1, -1}, QStringLiteral("abc")), 4);
    EXPECT_EQ(find({5, 10}, QStringLiteral("abc")), -1);  // the last hit ends at 11
    EXPECT_EQ(find({5, 11}, QStringLiteral("abc")), 8);
    EXPECT_EQ(find({8, 4}, QStringLiteral("abc")), -1);  // reversed: never searched back
    EXPECT_EQ(find({0, -1}, QString()), -1);
    EXPECT_EQ(find({0, 2}, QStringLiteral("abc")), -1);
    EXPECT_EQ(find({0, 99}, QStringLiteral("c")), 2);
}

TEST_F(SearchTest, WholeWordLooksAtNeighboursOutsideTheRange)
{
    setText(QStringLiteral("xcat cat_ cat don't it\u2019s t"));
    // The hit at 1 is inside "xcat": its neighbour outside the range still counts.
    EXPECT_EQ(find({1, 4}, QStringLiteral("cat"), WholeWord), -1);
    EXPECT_EQ(find({1, 4}, QStringLiteral("cat")), 1);
    // Punctuation, "_" and apostrophes included, never belongs to a word of a search.
    EXPECT_EQ(find({0, -1}, QStringLiteral("cat"), WholeWord), 5);
    EXPECT_EQ(find({0, -1}, QStringLiteral("don"), WholeWord), 14);
    EXPECT_EQ(find({0, -1}, QStringLiteral("t"), WholeWord), 18);
    EXPECT_EQ(find({0, -1}, QStringLiteral("s"), WholeWord), 23);
    // Letters of any script, their combining marks and digits do.
    EXPECT_TRUE(isWholeWordCharacterAt(QStringLiteral("\u00E9\u03A9\u732B7"), 0));
    EXPECT_TRUE(isWholeWordCharacterAt(QStringLiteral("e\u0301"), 1));
    EXPECT_FALSE(isWholeWordCharacterAt(QStringLiteral("\u20AC"), 0));
    EXPECT_FALSE(isWholeWordCharacterAt(QStringLiteral("it's"), 2));
    // The caret's words still hold an apostrophe between two letters.
    EXPECT_TRUE(isWordCharacterAt(QStringLiteral("it's"), 2));
    EXPECT_FALSE(isWordCharacterAt(QStringLiteral("it'"), 2));
    EXPECT_FALSE(isWordCharacterAt(QStringLiteral("'s"), 0));
}

TEST_F(SearchTest, CaseFoldsOneUnitToOneUnit)
{
    setText(QStringLiteral("Stra\u00DFe \u0391\u0392\u0393 Caf\u00C9 a?b"));
    EXPECT_EQ(find({0, -1}, QStringLiteral("caf\u00E9")), 11);
    EXPECT_EQ(find({0, -1}, QStringLiteral("caf\u00E9"), MatchCase), -1);
    EXPECT_EQ(find({0, -1}, QStringLiteral("\u03B1\u03B2\u03B3")), 7);
    // Sharp s does not expand to "ss": a hit is as long as the text searched for.
    EXPECT_EQ(find({0, -1}, QStringLiteral("strasse")), -1);
    EXPECT_EQ(find({0, -1}, QStringLiteral("STRA\u00DFE")), 0);
    // "?" in the text matches only "?", and characters outside a code page stay themselves.
    EXPECT_EQ(find({0, -1}, QStringLiteral("a\u00E9b")), -1);
    EXPECT_EQ(find({0, -1}, QStringLiteral("A?B")), 16);
}

TEST_F(SearchTest, RangeEndsObeyTheSnapRule)
{
    setText(QStringLiteral("ab\r\ncd"));
    // A range ending between CR and LF reaches past the LF.
    EXPECT_EQ(find({0, 3}, QStringLiteral("b\r\n")), 1);
    EXPECT_EQ(find({3, -1}, QStringLiteral("cd")), 4);
}
