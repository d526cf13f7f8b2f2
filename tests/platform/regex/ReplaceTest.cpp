#include "platform/regex/RegExp.h"

#include "tests/platform/regex/MatchListing.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using regextest::makeRegExp;

TEST(RegExpReplace, ExpandsGroupsMatchAndSurroundings)
{
    auto re = makeRegExp(u"(\\w+)@(\\w+)"_s);
    const QString subject = u"to ann@host now"_s;
    EXPECT_EQ(re.Replace(subject, u"$2 at $1"_s), u"to host at ann now"_s);
    EXPECT_EQ(re.Replace(subject, u"[$&]"_s), u"to [ann@host] now"_s);
    EXPECT_EQ(re.Replace(subject, u"<$`>"_s), u"to <to > now"_s);
    EXPECT_EQ(re.Replace(subject, u"<$'>"_s), u"to < now> now"_s);
    EXPECT_EQ(re.Replace(subject, u"$$1 costs $"_s), u"to $1 costs $ now"_s);
}

TEST(RegExpReplace, DollarsThatNameNoGroupStayLiteral)
{
    auto re = makeRegExp(u"(a)(b)?"_s);
    // $0, $3 and $9 name no group; $10 is group 1 and a "0"; $02 is group 2.
    EXPECT_EQ(re.Replace(u"ab"_s, u"$0|$3|$10|$02|$x|$"_s), u"$0|$3|a0|b|$x|$"_s);
    // A group that took no part gives the empty string.
    EXPECT_EQ(re.Replace(u"a"_s, u"[$2]"_s), u"[]"_s);
}

TEST(RegExpReplace, TwoDigitGroupsWhenThePatternHasThem)
{
    auto re = makeRegExp(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)"_s);
    EXPECT_EQ(re.Replace(u"abcdefghijk"_s, u"$11$10$1$9"_s), u"kjai"_s);
    EXPECT_EQ(re.Replace(u"abcdefghijk"_s, u"$12"_s), u"a2"_s);
}

TEST(RegExpReplace, WholeSubjectKeepsTextBetweenMatches)
{
    auto re = makeRegExp(u"colou?r"_s, true);
    const QString subject = u"Colour\r\n\U0001F600 color, \u00e9 COLOR\r\nend colour"_s;
    EXPECT_EQ(re.Replace(subject, u"hue"_s), u"hue\r\n\U0001F600 hue, \u00e9 hue\r\nend hue"_s);
    re.setGlobal(false);
    EXPECT_EQ(re.Replace(subject, u"hue"_s),
              u"hue\r\n\U0001F600 color, \u00e9 COLOR\r\nend colour"_s);
}

TEST(RegExpReplace, MatchesAtBothEndsAndEmptyMatches)
{
    auto ends = makeRegExp(u"^x|x$"_s);
    EXPECT_EQ(ends.Replace(u"xax"_s, u"-"_s), u"-a-"_s);
    auto lines = makeRegExp(u"^"_s, false, true, true);
    EXPECT_EQ(lines.Replace(u"a\nb\n"_s, u"> "_s), u"> a\n> b\n> "_s);
    auto empty = makeRegExp(u"\\b"_s);
    EXPECT_EQ(empty.Replace(u"ab cd"_s, u"|"_s), u"|ab| |cd|"_s);
}
