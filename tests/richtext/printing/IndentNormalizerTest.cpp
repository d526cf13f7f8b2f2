// The indent normaliser and its pair reader.
#include "richtext/printing/IndentNormalizer.h"

#include <gtest/gtest.h>

namespace {

// Academic margin with no printer offset.
const int64_t AcademicLineEnd = IndentNormalizer::lineEnd(1440, 0);

QString document(const QString& pairs)
{
    return QStringLiteral("{\\rtf1\\ansi\r\n\\viewkind4\\pard\\f0 ") + pairs +
           QStringLiteral("\r\n\\par }\r\n");
}

}  // namespace

TEST(IndentNormalizerTest, ParseIndentPairReadsBothNumbers)
{
    const IndentPair pair = ParseIndentPair(QStringLiteral("\\li720\\ri360"));
    EXPECT_EQ(pair.left, 720);
    EXPECT_EQ(pair.right, 360);
    const IndentPair none = ParseIndentPair(QStringLiteral("\\li\\ri"));
    EXPECT_EQ(none.left, 0);
    EXPECT_EQ(none.right, 0);
    // The first two characters never count.
    EXPECT_EQ(ParseIndentPair(QStringLiteral("12\\34")).left, 0);
    EXPECT_EQ(ParseIndentPair(QStringLiteral("12\\34")).right, 34);
    EXPECT_EQ(AcademicLineEnd, 9360);
    // Beyond a Long: held at its limit.
    const IndentPair huge = ParseIndentPair(QStringLiteral("\\li99999999999999999999999\\ri5"));
    EXPECT_EQ(huge.left, INT32_MAX);
    EXPECT_EQ(huge.right, 5);
}

TEST(IndentNormalizerTest, HugeIndentsRewriteWithoutOverflow)
{
    const QString captured =
        document(QStringLiteral("\\li99999999999999999999\\ri99999999999999 x"));
    QString current = captured;
    // Held values no longer spell the pair's digits: nothing in the document matches them.
    EXPECT_FALSE(IndentNormalizer::normalize(captured, current, AcademicLineEnd));
    EXPECT_EQ(current, captured);

    const QString wide = document(QStringLiteral("\\li2147483647\\ri2147483647 x"));
    QString rewritten = wide;
    EXPECT_TRUE(IndentNormalizer::normalize(wide, rewritten, AcademicLineEnd));
    EXPECT_TRUE(rewritten.contains(QStringLiteral("\\li2147483647\\ri-")));
}

TEST(IndentNormalizerTest, RewritesOnlyTheParagraphsThatAreTooNarrow)
{
    const QString captured =
        document(QStringLiteral("\\li8000\\ri500 narrow\r\n\\par \\li0\\ri500 wide\r\n"
                                "\\par \\li0\\ri5000 other\r\n\\par \\li8000\\ri500 narrow again"));
    QString current = captured;
    ASSERT_TRUE(IndentNormalizer::normalize(captured, current, AcademicLineEnd));
    // Excess 310: the new right indent is 500 - (310 + 1170).
    EXPECT_EQ(current, document(QStringLiteral(
                           "\\li8000\\ri-980 narrow\r\n\\par \\li0\\ri500 wide\r\n"
                           "\\par \\li0\\ri5000 other\r\n\\par \\li8000\\ri-980 narrow again")));
}

TEST(IndentNormalizerTest, LeavesWideParagraphsAndDocumentsWithoutRightIndents)
{
    const QString wide = document(QStringLiteral("\\li1440\\ri1440 fine"));
    QString current = wide;
    EXPECT_FALSE(IndentNormalizer::normalize(wide, current, AcademicLineEnd));
    EXPECT_EQ(current, wide);

    // No "\ri" in what was captured: the current document is not looked at.
    const QString withoutRight = document(QStringLiteral("\\li8000 text"));
    QString other = document(QStringLiteral("\\li8000\\ri500 text"));
    EXPECT_FALSE(IndentNormalizer::normalize(withoutRight, other, AcademicLineEnd));
    EXPECT_EQ(other, document(QStringLiteral("\\li8000\\ri500 text")));

    // A pair already rewritten is not found again in the current document.
    const QString captured = document(QStringLiteral("\\li8000\\ri500 x"));
    QString rewritten = document(QStringLiteral("\\li8000\\ri-980 x"));
    EXPECT_FALSE(IndentNormalizer::normalize(captured, rewritten, AcademicLineEnd));
}
