#include "platform/regex/RegExp.h"

#include "platform/runtime/VbError.h"
#include "tests/platform/regex/MatchListing.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using regextest::findAll;
using regextest::Found;
using regextest::makeRegExp;
using regextest::valuesOf;
using testsupport::raisedError;

TEST(RegExp, DotMatchesEverythingButLineFeed)
{
    auto re = makeRegExp(u"a.b"_s);
    EXPECT_TRUE(re.Test(u"a\rb"_s));
    EXPECT_FALSE(re.Test(u"a\nb"_s));
    auto line = makeRegExp(u"x.*"_s);
    EXPECT_EQ(findAll(line, u"x1\r\nx2"_s),
              (std::vector<Found>{{0, 3, u"x1\r"_s}, {4, 2, u"x2"_s}}));
}

TEST(RegExp, AnchorsMatchAtSubjectEndsUnlessMultiLine)
{
    auto start = makeRegExp(u"^b"_s);
    EXPECT_FALSE(start.Test(u"a\nb"_s));
    auto end = makeRegExp(u"a$"_s);
    EXPECT_FALSE(end.Test(u"a\n"_s)) << "$ must not match before a final line feed";
    EXPECT_TRUE(end.Test(u"ba"_s));

    auto lines = makeRegExp(u"^\\w+$"_s, false, true, true);
    EXPECT_EQ(valuesOf(findAll(lines, u"one\ntwo\nthree"_s)),
              (std::vector<QString>{u"one"_s, u"two"_s, u"three"_s}));
    // Only a line feed ends a line: a CR stays part of the line's text.
    auto afterCr = makeRegExp(u"^b"_s, false, true, true);
    EXPECT_FALSE(afterCr.Test(u"a\rb"_s));
    EXPECT_EQ(findAll(afterCr, u"a\r\nb"_s), (std::vector<Found>{{3, 1, u"b"_s}}));
}

TEST(RegExp, ClassEscapesAndWordBoundariesAreAscii)
{
    auto word = makeRegExp(u"\\w+"_s);
    EXPECT_EQ(valuesOf(findAll(word, u"caf\u00e9 na\u00efve_1"_s)),
              (std::vector<QString>{u"caf"_s, u"na"_s, u"ve_1"_s}));
    EXPECT_FALSE(makeRegExp(u"\\d"_s).Test(u"\u0663\uff11"_s));
    EXPECT_FALSE(makeRegExp(u"\\s"_s).Test(u"\u00a0\u2003"_s));
    EXPECT_TRUE(makeRegExp(u"\\s"_s).Test(u"\t"_s));
    // An accented letter is no word character, so a boundary lies before it.
    auto boundary = makeRegExp(u"a\\b"_s);
    EXPECT_TRUE(boundary.Test(u"a\u00e9"_s));
    EXPECT_FALSE(boundary.Test(u"ab"_s));
}

TEST(RegExp, IgnoreCaseFoldsLettersAndRecompilesWhenChanged)
{
    auto re = makeRegExp(u"\u00c9cole [a-z]+"_s);
    EXPECT_FALSE(re.Test(u"\u00e9cole ABC"_s));
    re.setIgnoreCase(true);
    EXPECT_TRUE(re.Test(u"\u00e9cole ABC"_s));
    re.setIgnoreCase(false);
    EXPECT_FALSE(re.Test(u"\u00e9cole ABC"_s));
    re.setPattern(u"ABC"_s);
    EXPECT_TRUE(re.Test(u"\u00e9cole ABC"_s));
}

TEST(RegExp, RangeStartingAtEscapedCharacterIsARange)
{
    auto re = makeRegExp(u"[\\+-=]+"_s);
    EXPECT_EQ(findAll(re, u"a+,-./09:;<=>"_s), (std::vector<Found>{{1, 11, u"+,-./09:;<="_s}}));
}

TEST(RegExp, LazyLookAheadAndBackReferences)
{
    auto lazy = makeRegExp(u"<.+?>"_s);
    EXPECT_EQ(valuesOf(findAll(lazy, u"<a><b>"_s)), (std::vector<QString>{u"<a>"_s, u"<b>"_s}));
    auto ahead = makeRegExp(u"foo(?=bar)|Len(?!\\()"_s);
    EXPECT_EQ(findAll(ahead, u"foobar foobaz Len(x) Len x"_s),
              (std::vector<Found>{{0, 3, u"foo"_s}, {21, 3, u"Len"_s}}));
    auto twice = makeRegExp(u"(\\w)\\1"_s);
    EXPECT_EQ(findAll(twice, u"hello"_s), (std::vector<Found>{{2, 2, u"ll"_s}}));
    // A back-reference to a group that took no part matches the empty string.
    EXPECT_TRUE(makeRegExp(u"^(a)?b\\1$"_s).Test(u"b"_s));
}

TEST(RegExp, GlobalDecidesBetweenFirstAndEveryMatch)
{
    auto re = makeRegExp(u"\\d+"_s, false, false);
    EXPECT_EQ(findAll(re, u"a1 b22 c333"_s), (std::vector<Found>{{1, 1, u"1"_s}}));
    EXPECT_EQ(re.Replace(u"a1 b22 c333"_s, u"#"_s), u"a# b22 c333"_s);
    re.setGlobal(true);
    EXPECT_EQ(re.Execute(u"a1 b22 c333"_s).Count(), 3);
    EXPECT_EQ(re.Replace(u"a1 b22 c333"_s, u"#"_s), u"a# b# c#"_s);
    EXPECT_EQ(re.Execute(u"none"_s).Count(), 0);
    EXPECT_EQ(re.Replace(u"none"_s, u"#"_s), u"none"_s);
}

TEST(RegExp, EmptyMatchesAdvanceOneCharacter)
{
    auto re = makeRegExp(u"x*"_s);
    EXPECT_EQ(findAll(re, u"axxb"_s),
              (std::vector<Found>{{0, 0, u""_s}, {1, 2, u"xx"_s}, {3, 0, u""_s}, {4, 0, u""_s}}));
    EXPECT_EQ(re.Replace(u"ab"_s, u"-"_s), u"-a-b-"_s);
    // The first alternative's empty match wins; the search moves on instead of retrying.
    auto alternatives = makeRegExp(u"x*|b"_s);
    EXPECT_EQ(findAll(alternatives, u"b"_s), (std::vector<Found>{{0, 0, u""_s}, {1, 0, u""_s}}));
    // A surrogate pair is stepped over whole.
    EXPECT_EQ(findAll(re, u"\U0001F600"_s), (std::vector<Found>{{0, 0, u""_s}, {2, 0, u""_s}}));
    EXPECT_EQ(makeRegExp(u""_s).Execute(u"abc"_s).Count(), 4);
}

TEST(RegExp, PositionsCountUtf16UnitsAcrossNonAsciiAndSurrogatePairs)
{
    auto re = makeRegExp(u"[a-z]+"_s);
    const QString subject = u"\u00fcber \U0001F600 ok \u4e2d\U00010348 end"_s;
    EXPECT_EQ(findAll(re, subject),
              (std::vector<Found>{{1, 3, u"ber"_s}, {8, 2, u"ok"_s}, {15, 3, u"end"_s}}));
    // A pair is one character for "." and for a negated class.
    auto one = makeRegExp(u"<.>|\\[[^\\]]\\]"_s);
    EXPECT_EQ(findAll(one, u"<\U0001F600>[\U00010348]"_s),
              (std::vector<Found>{{0, 4, u"<\U0001F600>"_s}, {4, 4, u"[\U00010348]"_s}}));
}

TEST(RegExp, LoneSurrogatesAreCharactersOfTheirOwn)
{
    const QString subject = u"a"_s + QChar(0xD800) + u"b "_s + QChar(0xDC00) + u"\U0001F600"_s;
    auto dot = makeRegExp(u"a.b"_s);
    EXPECT_EQ(findAll(dot, subject), (std::vector<Found>{{0, 3, subject.left(3)}}));
    auto any = makeRegExp(u"[^ ]+"_s);
    EXPECT_EQ(findAll(any, subject),
              (std::vector<Found>{{0, 3, subject.left(3)}, {4, 3, subject.mid(4)}}));
    auto empty = makeRegExp(u"z*"_s);
    EXPECT_EQ(empty.Execute(subject).Count(), 8);
    EXPECT_EQ(makeRegExp(QString(QChar(0xDC00))).Execute(subject).Count(), 1);
}

TEST(RegExp, MalformedPatternRaisesSyntaxErrorWhenUsed)
{
    vbscript::RegExp re;
    re.setPattern(u"(unclosed"_s);
    EXPECT_EQ(raisedError([&] { re.Test(u"x"_s); }), vb::ErrRegexSyntax);
    EXPECT_EQ(raisedError([&] { re.Execute(u"x"_s); }), vb::ErrRegexSyntax);
    EXPECT_EQ(raisedError([&] { re.Replace(u"x"_s, u"y"_s); }), vb::ErrRegexSyntax);
    for (const QString& bad : {u"a**"_s, u"[z-a]"_s, u"x{3,1}"_s, u"\\"_s, u"(?<=a+)b"_s}) {
        re.setPattern(bad);
        EXPECT_EQ(raisedError([&] { re.Test(u"x"_s); }), vb::ErrRegexSyntax) << bad.toStdString();
    }
    re.setPattern(u"(closed)"_s);
    EXPECT_TRUE(re.Test(u"closed"_s));
}

TEST(RegExp, BasicDialectEscapesAndClasses)
{
    EXPECT_TRUE(makeRegExp(u"^\\y\\Qa\\E$"_s).Test(u"yQaE"_s)) << "unknown escapes are literal";
    auto hyphen = makeRegExp(u"[\\w-.]+"_s);
    EXPECT_EQ(valuesOf(findAll(hyphen, u"a-b.c d"_s)), (std::vector<QString>{u"a-b.c"_s, u"d"_s}));
    EXPECT_TRUE(makeRegExp(u"^[.-\\d]+$"_s).Test(u".-5"_s));
    auto vertical = makeRegExp(u"\\v"_s);
    EXPECT_TRUE(vertical.Test(u"\x0b"_s));
    EXPECT_FALSE(vertical.Test(u"\n\r\f"_s));
    EXPECT_TRUE(makeRegExp(u"^\\x41\\u00e9\\u0042$"_s).Test(u"A\u00e9B"_s));
    EXPECT_FALSE(makeRegExp(u"[]"_s).Test(u"[]"_s));
    EXPECT_TRUE(makeRegExp(u"a[^]b"_s).Test(u"a\nb"_s));
    EXPECT_TRUE(makeRegExp(u"^[[:a]]$"_s).Test(u":]"_s)) << "no POSIX classes";
    EXPECT_TRUE(makeRegExp(u"^\\cJ\\c1$"_s).Test(u"\n\\c1"_s));
}

TEST(RegExp, MatchCollectionHoldsItsOwnResults)
{
    vbscript::MatchCollection matches;
    EXPECT_EQ(matches.Count(), 0);
    {
        QString subject = u"k1=v1; k2=v2"_s;
        auto re = makeRegExp(u"(\\w+)=(\\w+)|(;)"_s);
        matches = re.Execute(subject);
        subject.fill(u'x');
    }
    ASSERT_EQ(matches.Count(), 3);
    EXPECT_EQ(matches.Item(2).Value(), u"k2=v2"_s);
    EXPECT_EQ(matches.Item(2).FirstIndex(), 7);
    EXPECT_EQ(matches.Item(0).SubMatches(), (QStringList{u"k1"_s, u"v1"_s, u""_s}));
    EXPECT_EQ(matches.Item(1).SubMatches(), (QStringList{u""_s, u""_s, u";"_s}));
    EXPECT_EQ(raisedError([&] { matches.Item(3); }), vb::ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([&] { matches.Item(-1); }), vb::ErrInvalidProcedureCall);
}

TEST(RegExp, RunawayMatchRaisesInsteadOfReportingNoMatch)
{
    auto re = makeRegExp(u"^(\\w+\\s?)*$"_s);
    const QString subject = QString(5000, u'a') + u" a!"_s;
    const long number = raisedError([&] { re.Test(subject); });
    EXPECT_EQ(number, 28);
}
