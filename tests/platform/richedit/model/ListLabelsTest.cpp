#include "platform/richedit/model/ListLabels.h"

#include <gtest/gtest.h>

using namespace richedit;

namespace {

ParaFormat numbered(uint16_t kind, uint16_t start = 1, uint16_t style = NumberPeriod)
{
    ParaFormat format = defaultParaFormat();
    format.numbering = kind;
    format.numberingStart = start;
    format.numberingStyle = style;
    return format;
}

}  // namespace

TEST(ListLabels, NumbersAreWrittenInEachKind)
{
    EXPECT_EQ(listNumberText(Arabic, 42), QStringLiteral("42"));
    EXPECT_EQ(listNumberText(LowerLetter, 1), QStringLiteral("a"));
    EXPECT_EQ(listNumberText(LowerLetter, 26), QStringLiteral("z"));
    EXPECT_EQ(listNumberText(LowerLetter, 27), QStringLiteral("aa"));
    EXPECT_EQ(listNumberText(UpperLetter, 28), QStringLiteral("AB"));
    EXPECT_EQ(listNumberText(UpperLetter, 702), QStringLiteral("ZZ"));
    EXPECT_EQ(listNumberText(UpperLetter, 703), QStringLiteral("AAA"));
    EXPECT_EQ(listNumberText(LowerRoman, 4), QStringLiteral("iv"));
    EXPECT_EQ(listNumberText(LowerRoman, 1994), QStringLiteral("mcmxciv"));
    EXPECT_EQ(listNumberText(UpperRoman, 3999), QStringLiteral("MMMCMXCIX"));
    EXPECT_EQ(listNumberText(UpperRoman, 49), QStringLiteral("XLIX"));
    EXPECT_EQ(listNumberText(Bullet, 7), QString(QChar(BulletCharacter)));
    // Nothing to write a zero in with letters or roman numerals.
    EXPECT_EQ(listNumberText(LowerRoman, 0), QStringLiteral("0"));
    EXPECT_EQ(listNumberText(UpperLetter, 0), QStringLiteral("0"));
}

TEST(ListLabels, StylesFrameTheNumberAndBulletsIgnoreThem)
{
    EXPECT_EQ(listLabelText(Arabic, NumberPeriod, 3), QStringLiteral("3."));
    EXPECT_EQ(listLabelText(LowerLetter, NumberParenthesis, 3), QStringLiteral("c)"));
    EXPECT_EQ(listLabelText(UpperRoman, NumberInParentheses, 3), QStringLiteral("(III)"));
    EXPECT_EQ(listLabelText(Arabic, NumberPlain, 3), QStringLiteral("3"));
    EXPECT_EQ(listLabelText(Arabic, NumberNone, 3), QString());
    EXPECT_EQ(listLabelText(Bullet, NumberNone, 1), QString(QChar(BulletCharacter)));
    EXPECT_EQ(listLabelText(Bullet, NumberInParentheses, 1), QString(QChar(BulletCharacter)));
    EXPECT_EQ(listLabelText(NoNumbering, NumberPeriod, 1), QString());
    EXPECT_EQ(listLabelText(7, NumberPeriod, 1), QString());
}

TEST(ListLabels, ConsecutiveParagraphsOfOneKindCountOnAndOthersRestart)
{
    ListCounter counter;
    EXPECT_EQ(counter.nextLabel(numbered(Arabic)), QStringLiteral("1."));
    EXPECT_EQ(counter.nextLabel(numbered(Arabic)), QStringLiteral("2."));
    // A later start value does not interrupt a run; the count goes on.
    EXPECT_EQ(counter.next(numbered(Arabic, 10)), 3);
    // Another kind restarts from its own start.
    EXPECT_EQ(counter.nextLabel(numbered(LowerRoman, 4)), QStringLiteral("iv."));
    EXPECT_EQ(counter.nextLabel(numbered(LowerRoman, 4)), QStringLiteral("v."));
    // A plain paragraph or a bullet breaks the run.
    EXPECT_EQ(counter.next(defaultParaFormat()), 0);
    EXPECT_EQ(counter.next(numbered(LowerRoman, 4)), 4);
    EXPECT_EQ(counter.nextLabel(numbered(Bullet)), QString(QChar(BulletCharacter)));
    EXPECT_EQ(counter.next(numbered(LowerRoman, 4)), 4);
    // Style changes within a run keep counting.
    EXPECT_EQ(counter.nextLabel(numbered(LowerRoman, 4, NumberInParentheses)),
              QStringLiteral("(v)"));
    // The largest start still counts on without wrapping.
    ListCounter high;
    EXPECT_EQ(high.next(numbered(Arabic, 65535)), 65535);
    EXPECT_EQ(high.next(numbered(Arabic, 65535)), 65536);
}
