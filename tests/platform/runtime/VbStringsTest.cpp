#include "platform/runtime/VbStrings.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>

using namespace vb;
using testsupport::raisedError;

TEST(VbStrings, InStrFindsOneBasedPositionsFromStart)
{
    EXPECT_EQ(InStr(QStringLiteral("abcabc"), QStringLiteral("c")), 3);
    EXPECT_EQ(InStr(4, QStringLiteral("abcabc"), QStringLiteral("c")), 6);
    EXPECT_EQ(InStr(7, QStringLiteral("abcabc"), QStringLiteral("c")), 0);
    EXPECT_EQ(InStr(QStringLiteral("abc"), QStringLiteral("x")), 0);
    EXPECT_EQ(InStr(QStringLiteral("ab"), QStringLiteral("abc")), 0);
    EXPECT_EQ(InStr(QStringLiteral("ABC"), QStringLiteral("b")), 0);
    EXPECT_EQ(InStr(QStringLiteral("ABC"), QStringLiteral("b"), vbTextCompare), 2);
    EXPECT_EQ(InStr(1, QStringLiteral("ÉCOLE école"), QStringLiteral("école"), vbTextCompare), 1);
    EXPECT_EQ(InStr(2, QStringLiteral("ÉCOLE école"), QStringLiteral("ÉCOLE"), vbTextCompare), 7);
}

TEST(VbStrings, InStrWithEmptyTextsFollowsTheRuntime)
{
    EXPECT_EQ(InStr(QStringLiteral("abc"), QString()), 1);
    EXPECT_EQ(InStr(3, QStringLiteral("abc"), QString()), 3);
    EXPECT_EQ(InStr(4, QStringLiteral("abc"), QString()), 4);
    EXPECT_EQ(InStr(5, QStringLiteral("abc"), QString()), 0);
    EXPECT_EQ(InStr(QString(), QString()), 0);
    EXPECT_EQ(InStr(QString(), QStringLiteral("a")), 0);
    EXPECT_EQ(raisedError([] { InStr(0, QStringLiteral("abc"), QStringLiteral("a")); }),
              ErrInvalidProcedureCall);
}

TEST(VbStrings, InStrRevFindsTheLastMatchEndingByStart)
{
    const QString text = QStringLiteral("abcabc");
    EXPECT_EQ(InStrRev(text, QStringLiteral("bc")), 5);
    EXPECT_EQ(InStrRev(text, QStringLiteral("bc"), 5), 2);  // "bc" at 5 ends at 6
    EXPECT_EQ(InStrRev(text, QStringLiteral("bc"), 6), 5);
    EXPECT_EQ(InStrRev(text, QStringLiteral("ab"), 1), 0);
    EXPECT_EQ(InStrRev(text, QStringLiteral("a"), 1), 1);
    EXPECT_EQ(InStrRev(text, QStringLiteral("c"), 7), 0);  // start past the end
    EXPECT_EQ(InStrRev(text, QStringLiteral("BC")), 0);
    EXPECT_EQ(InStrRev(text, QStringLiteral("BC"), -1, vbTextCompare), 5);
    EXPECT_EQ(InStrRev(text, QString(), 3), 3);
    EXPECT_EQ(InStrRev(QString(), QStringLiteral("a")), 0);
    EXPECT_EQ(raisedError([&] { InStrRev(text, QStringLiteral("a"), 0); }),
              ErrInvalidProcedureCall);
}

TEST(VbStrings, MidLeftRightClampAndRejectNegativeArguments)
{
    const QString text = QStringLiteral("Hello");
    EXPECT_EQ(Mid(text, 2), QStringLiteral("ello"));
    EXPECT_EQ(Mid(text, 2, 3), QStringLiteral("ell"));
    EXPECT_EQ(Mid(text, 4, 100), QStringLiteral("lo"));
    EXPECT_EQ(Mid(text, 6), QString());
    EXPECT_EQ(Mid(text, 99, 2), QString());
    EXPECT_EQ(Mid(text, 1, 0), QString());
    EXPECT_EQ(Left(text, 2), QStringLiteral("He"));
    EXPECT_EQ(Left(text, 9), text);
    EXPECT_EQ(Right(text, 2), QStringLiteral("lo"));
    EXPECT_EQ(Right(text, 9), text);
    EXPECT_EQ(Len(text), 5);
    EXPECT_EQ(raisedError([&] { Mid(text, 0); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([&] { Mid(text, 1, -1); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([&] { Left(text, -1); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([&] { Right(text, -1); }), ErrInvalidProcedureCall);
}

TEST(VbStrings, TrimRemovesBlanksOnly)
{
    const QString text = QStringLiteral("  \t a b \r\n  ");
    EXPECT_EQ(Trim(text), QStringLiteral("\t a b \r\n"));
    EXPECT_EQ(LTrim(text), QStringLiteral("\t a b \r\n  "));
    EXPECT_EQ(RTrim(text), QStringLiteral("  \t a b \r\n"));
    EXPECT_EQ(Trim(QStringLiteral("    ")), QString());
    EXPECT_EQ(Trim(QStringLiteral("\u00A0x\u00A0")), QStringLiteral("\u00A0x\u00A0"));
}

TEST(VbStrings, CaseMappingKeepsTheLength)
{
    EXPECT_EQ(UCase(QStringLiteral("straße ÿ")), QStringLiteral("STRAßE Ÿ"));
    EXPECT_EQ(LCase(QStringLiteral("ÀÉÎ Œ Ž")), QStringLiteral("àéî œ ž"));
    const QString deseret = QString::fromUcs4(U"\U00010428x");  // lower-case Deseret letter
    EXPECT_EQ(UCase(deseret), QString::fromUcs4(U"\U00010400X"));
    EXPECT_EQ(StrConv(QStringLiteral("abc"), vbUpperCase), QStringLiteral("ABC"));
    EXPECT_EQ(StrConv(QStringLiteral("ABC"), vbLowerCase), QStringLiteral("abc"));
    EXPECT_EQ(raisedError([] { StrConv(QStringLiteral("a"), 99); }), ErrInvalidProcedureCall);
}

TEST(VbStrings, ProperCaseCapitalisesTheFirstLetterOfEachWord)
{
    EXPECT_EQ(StrConv(QStringLiteral("NASA"), vbProperCase), QStringLiteral("Nasa"));
    EXPECT_EQ(StrConv(QStringLiteral("the QUICK  brown\tfox\r\njumps"), vbProperCase),
              QStringLiteral("The Quick  Brown\tFox\r\nJumps"));
    EXPECT_EQ(StrConv(QStringLiteral("jack-in-the-box o'neil 3rd"), vbProperCase),
              QStringLiteral("Jack-in-the-box O'neil 3rd"));
    EXPECT_EQ(StrConv(QStringLiteral("élan ÉTÉ"), vbProperCase), QStringLiteral("Élan Été"));
    EXPECT_EQ(StrConv(QString(), vbProperCase), QString());
}

TEST(VbStrings, SpaceAndStringRepeatACharacter)
{
    EXPECT_EQ(Space(3), QStringLiteral("   "));
    EXPECT_EQ(Space(0), QString());
    EXPECT_EQ(String(4, QChar(u'-')), QStringLiteral("----"));
    EXPECT_EQ(String(2, QStringLiteral("xyz")), QStringLiteral("xx"));
    EXPECT_EQ(raisedError([] { String(2, QString()); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([] { Space(-1); }), ErrInvalidProcedureCall);
}

TEST(VbStrings, ReplaceHonoursStartCountAndCompare)
{
    const QString text = QStringLiteral("aXbxcX");
    EXPECT_EQ(Replace(text, QStringLiteral("X"), QStringLiteral("--")), QStringLiteral("a--bxc--"));
    EXPECT_EQ(Replace(text, QStringLiteral("x"), QStringLiteral("_"), 1, -1, vbTextCompare),
              QStringLiteral("a_b_c_"));
    EXPECT_EQ(Replace(text, QStringLiteral("x"), QStringLiteral("_"), 1, 2, vbTextCompare),
              QStringLiteral("a_b_cX"));
    EXPECT_EQ(Replace(text, QStringLiteral("X"), QStringLiteral("_"), 3), QStringLiteral("bxc_"));
    EXPECT_EQ(Replace(text, QStringLiteral("X"), QStringLiteral("_"), 7), QString());
    EXPECT_EQ(Replace(text, QString(), QStringLiteral("_")), text);
    // A replacement that holds the search text is not searched again.
    EXPECT_EQ(Replace(QStringLiteral("aa"), QStringLiteral("a"), QStringLiteral("aa")),
              QStringLiteral("aaaa"));
    EXPECT_EQ(raisedError([&] { Replace(text, QStringLiteral("X"), {}, 0); }),
              ErrInvalidProcedureCall);
}

TEST(VbStrings, SplitAndJoinRoundTrip)
{
    EXPECT_EQ(Split(QStringLiteral("a,b,,c"), QStringLiteral(",")),
              QStringList({"a", "b", "", "c"}));
    EXPECT_EQ(Split(QStringLiteral("a b c")), QStringList({"a", "b", "c"}));
    EXPECT_EQ(Split(QStringLiteral("a,b,c"), QStringLiteral(","), 2), QStringList({"a", "b,c"}));
    EXPECT_EQ(Split(QStringLiteral("aXbxc"), QStringLiteral("x"), -1, vbTextCompare),
              QStringList({"a", "b", "c"}));
    EXPECT_EQ(Split(QStringLiteral("a,"), QStringLiteral(",")), QStringList({"a", ""}));
    EXPECT_TRUE(Split(QString(), QStringLiteral(",")).isEmpty());
    EXPECT_EQ(Split(QStringLiteral("abc"), QString()), QStringList({"abc"}));
    const QString joined = QStringLiteral("x||y||");
    EXPECT_EQ(Join(Split(joined, QStringLiteral("||")), QStringLiteral("||")), joined);
}
