// The expressions of keyword colouring, composed as the colouring passes compose them and run
// with IgnoreCase and Global.
#include "platform/regex/RegExp.h"

#include "tests/platform/regex/MatchListing.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using regextest::findAll;
using regextest::Found;
using regextest::makeRegExp;
using regextest::valuesOf;

namespace {

const QString commentExpression = uR"((')(.*)|\b(Rem)\b(.*))"_s;
// The string expression is the hidden text box's text with surrounding spaces removed.
const QString stringBoxText = uR"(  "[^"\r\n]*" )"_s;

const QString vb6Keywords =
    uR"(\b(AddressOf|Alias|And|Any|As|Base|Binary|Boolean|ByRef|Byte|ByVal|Call|Case|CBool|CByte|CCur|CDate|CDbl|CDec|CInt|CLng|Close|Compare|Const|CSng|CStr|Currency|CVar|CVErr|Date|Debug|Decimal|Declare|DefBool|DefByte|DefCur|DefDate|DefDbl|DefDec|DefInt|DefLng|DefObj|DefSng|DefStr|DefVar|Dim|Do|Double|Each|Else|ElseIf|Empty|End|Enum|Eqv|Erase|Error|Event|Exit|Explicit|False|For|Friend|Function|Get|Global|GoSub|GoTo|If|Imp|Implements|In|Input|Integer|Is|LBound|Len(?!\()|Let|Lib|Like|Line|Local|Lock|Long|Loop|LSet|Me|Mid|Mod|Name|New|Next|Not|Nothing|Null|Object|On|Open|Option|Option Base|Option Compare Binary|Option Compare|Option Explicit|Option Private|Optional|Or|Output|ParamArray|Preserve|Print|Private|Property|Public|Put|RaiseEvent|Random|Read|ReDim|Resume|Return|RSet|Seek|Select|Set|Single|Spc|Static|Step|Stop|String(?!\()|Sub|Tab|Then|To|True|Type|UBound|Unlock|Until|Variant|Wend|While|With|WithEvents|Write|Xor)\b)"_s;

const QString vbNetKeywords =
    uR"(\b(AddHandler|AddressOf|Alias|And|AndAlso|Ansi|As|Assembly|Auto|Boolean|ByRef|Byte|ByVal|Call|Case|Catch|CBool|CByte|CChar|CDate|CDbl|CDec|Char|CInt|Class|CLng|CObj|Const|CShort|CSng|CStr|CType|Date|Decimal|Declare|Default|Delegate|Dim|DirectCast|Do|Double|Each|Else|ElseIf|End|Enum|Erase|Error|Event|Exit|ExternalSource|False|Finally|For|Friend|Function|Get|GetType|Global|GoTo|Handles|If|Implements|Imports|In|Inherits|Integer|Interface|Is|Lib|Like|Long|Loop|Me|Mod|Module|MustInherit|MustOverride|MyBase|MyClass|Namespace|Narrowing|New|Next|Not|Nothing|NotInheritable|NotOverridable|Object|Of|On|Option|Optional|Or|OrElse|Overloads|Overridable|Overrides|ParamArray|Partial|Preserve|Private|Property|Protected|Public|RaiseEvent|ReadOnly|ReDim|Region|RemoveHandler|Resume|Return|Select|Set|Shadows|Shared|Short|Single|Static|Step|Stop|String|Structure|Sub|SyncLock|Then|Throw|To|True|Try|TryCast|TypeOf|Unicode|Until|Using|When|While|Widening|With|WithEvents|WriteOnly|Xor)\b)"_s;

std::vector<Found> matchesOf(const QString& pattern, const QString& text)
{
    auto re = makeRegExp(pattern, true);
    return findAll(re, text);
}

}  // namespace

TEST(KeywordPatterns, ExpressionsAreComposedInFull)
{
    EXPECT_EQ(commentExpression.size(), 21);
    EXPECT_EQ(stringBoxText.trimmed().size(), 11);
    EXPECT_EQ(vb6Keywords.size(), 928);
    EXPECT_EQ(vb6Keywords.count(u'|') + 1, 146);
    EXPECT_EQ(vbNetKeywords.size(), 976);
    EXPECT_EQ(vbNetKeywords.count(u'|') + 1, 142);
}

TEST(KeywordPatterns, Vb6KeywordsAreWholeWordsInAnyCase)
{
    EXPECT_EQ(matchesOf(vb6Keywords, u"dim x as integer"_s),
              (std::vector<Found>{{0, 3, u"dim"_s}, {6, 2, u"as"_s}, {9, 7, u"integer"_s}}));
    EXPECT_EQ(valuesOf(matchesOf(vb6Keywords, u"BYVAL Byval Dimension Dim_x My.Dim"_s)),
              (std::vector<QString>{u"BYVAL"_s, u"Byval"_s, u"Dim"_s}));
    // Ordered alternation: Option wins over the longer "Option Base".
    EXPECT_EQ(valuesOf(matchesOf(vb6Keywords, u"Option Base 1"_s)),
              (std::vector<QString>{u"Option"_s, u"Base"_s}));
}

TEST(KeywordPatterns, LenAndStringBeforeAParenthesisAreNoKeywords)
{
    EXPECT_EQ(matchesOf(vb6Keywords, u"n = Len(s) + LEN(t)"_s), std::vector<Found>{});
    EXPECT_EQ(matchesOf(vb6Keywords, u"s = String(5, \"x\")"_s), std::vector<Found>{});
    EXPECT_EQ(matchesOf(vb6Keywords, u"Len s: Dim a As String\r\n"_s),
              (std::vector<Found>{
                  {0, 3, u"Len"_s}, {7, 3, u"Dim"_s}, {13, 2, u"As"_s}, {16, 6, u"String"_s}}));
    EXPECT_EQ(valuesOf(matchesOf(vb6Keywords, u"Len (s)"_s)), std::vector<QString>{u"Len"_s});
}

TEST(KeywordPatterns, VbNetKeywordsBacktrackToLongerAlternatives)
{
    // "And" is tried first, fails at the word boundary, and AndAlso follows.
    EXPECT_EQ(valuesOf(matchesOf(vbNetKeywords, u"If a AndAlso b OrElse c Then"_s)),
              (std::vector<QString>{u"If"_s, u"AndAlso"_s, u"OrElse"_s, u"Then"_s}));
    EXPECT_EQ(valuesOf(matchesOf(vbNetKeywords, u"Dim s = Len(x) : String(3)"_s)),
              (std::vector<QString>{u"Dim"_s, u"String"_s}));
}

TEST(KeywordPatterns, CommentsRunToTheLineFeedIncludingTheCr)
{
    const QString source = u"x = 1 ' note\r\nrem Old code\r\nremark = 2\r\nREM\r\n"_s;
    auto re = makeRegExp(commentExpression, true);
    const vbscript::MatchCollection matches = re.Execute(source);
    EXPECT_EQ(regextest::listMatches(matches),
              (std::vector<Found>{
                  {6, 7, u"' note\r"_s}, {14, 13, u"rem Old code\r"_s}, {40, 4, u"REM\r"_s}}));
    EXPECT_EQ(matches.Item(0).SubMatches(), (QStringList{u"'"_s, u" note\r"_s, u""_s, u""_s}));
    EXPECT_EQ(matches.Item(1).SubMatches(),
              (QStringList{u""_s, u""_s, u"rem"_s, u" Old code\r"_s}));
}

TEST(KeywordPatterns, StringLiteralsStayOnOneLine)
{
    const QString source = u"a = \"Dim \" & b: c = \"it's\"\r\nd = \"open\r\ne = \"\"\r\n"_s;
    EXPECT_EQ(
        matchesOf(stringBoxText.trimmed(), source),
        (std::vector<Found>{{4, 6, u"\"Dim \""_s}, {20, 6, u"\"it's\""_s}, {43, 2, u"\"\""_s}}));
}

TEST(KeywordPatterns, MatchesAreFoundOncePerSubjectInOrder)
{
    // The passes collect all matches before changing anything: every keyword of a longer text
    // comes back in order of position, with positions that survive non-ASCII text.
    QString source;
    std::vector<long> expected;
    for (int line = 0; line < 200; ++line) {
        expected.push_back(static_cast<long>(source.size()));
        source += u"Dim \u00e9t\u00e9\U0001F600 As Long ' r\u00e9sum\u00e9\r\n"_s;
    }
    auto re = makeRegExp(vb6Keywords, true);
    const vbscript::MatchCollection matches = re.Execute(source);
    ASSERT_EQ(matches.Count(), 600);
    for (int line = 0; line < 200; ++line) {
        EXPECT_EQ(matches.Item(3 * line).FirstIndex(), expected[line]);
        EXPECT_EQ(matches.Item(3 * line + 2).Value(), u"Long"_s);
    }
}
