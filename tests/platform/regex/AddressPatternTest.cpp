// The shared address pattern of the hyperlink passes, the spell checker and the word counter,
// run as they run it: IgnoreCase and Global.
#include "platform/regex/RegExp.h"

#include "tests/platform/regex/MatchListing.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using regextest::findAll;
using regextest::Found;
using regextest::makeRegExp;
using regextest::valuesOf;

namespace {

const QString addressPattern =
    uR"((\b[A-Z0-9._%-]+@[A-Z0-9.-]+\.[A-Z]{2,4}\b|\b(((https?|ftp|gopher|telnet|file|notes|ms-help):((//)|(\\\\))|(WWW)\.)+[\w\d:#@%/;$()~_?\+-=\\\.&]{3,})))"_s;
const QString emailHalf = uR"(\b[A-Z0-9._%-]+@[A-Z0-9.-]+\.[A-Z]{2,4}\b)"_s;
const QString webHalf =
    uR"(\b(((https?|ftp|gopher|telnet|file|notes|ms-help):((//)|(\\\\))|(WWW)\.)+[\w\d:#@%/;$()~_?\+-=\\\.&]{3,}))"_s;

std::vector<QString> addressesIn(const QString& text, const QString& pattern = addressPattern)
{
    auto re = makeRegExp(pattern, true);
    return valuesOf(findAll(re, text));
}

}  // namespace

TEST(AddressPattern, FindsWebAndMailAddresses)
{
    const std::vector<QString> addresses = {
        u"john.doe@example.com"_s,
        u"JOHN_D%1@MAIL.EXAMPLE.ORG"_s,
        u"a-b@x-y.info"_s,
        u"http://example.com"_s,
        u"HTTPS://Example.com/a/b?q=1&r=2#top"_s,
        u"ftp://files.example.net/pub/x.tar"_s,
        u"gopher://old.example.org"_s,
        u"telnet://host:23"_s,
        u"file:\\\\server\\share\\doc.rtf"_s,
        u"notes://server/db.nsf"_s,
        u"ms-help://topic.htm"_s,
        u"www.example.com/~user/(1)"_s,
        u"WwW.abc"_s,
        u"http://www.example.com/x;y=1,2"_s,
    };
    for (const QString& address : addresses) {
        EXPECT_EQ(addressesIn(u"see "_s + address + u" now"_s), std::vector<QString>{address})
            << address.toStdString();
    }
}

TEST(AddressPattern, PassesOverNearMisses)
{
    const std::vector<QString> nearMisses = {
        u"john@example"_s, u"john@example.c"_s,    u"a@b.museum"_s, u"@example.com"_s,
        u"www.ab"_s,       u"ww.example.com"_s,    u"ftp://ab"_s,   u"http:/example.com"_s,
        u"mailto:"_s,      u"http//example.com"_s, u"news://x.y"_s, u"example.com"_s,
    };
    for (const QString& text : nearMisses)
        EXPECT_TRUE(addressesIn(u"x "_s + text + u" y"_s).empty()) << text.toStdString();
}

TEST(AddressPattern, ReadsTheLastBracketAsARangeFromPlusToEquals)
{
    // The range admits , - . / digits : ; < and =, but not > or a blank.
    EXPECT_EQ(addressesIn(u"http://x.com/a,b-c.d/1:2;3<4=5>6"_s),
              std::vector<QString>{u"http://x.com/a,b-c.d/1:2;3<4=5"_s});
    // A trailing full stop or parenthesis belongs to the address, as in the original dialect.
    EXPECT_EQ(addressesIn(u"(Visit www.example.com.)"_s),
              std::vector<QString>{u"www.example.com.)"_s});
}

TEST(AddressPattern, PositionsAcrossLinesAndNonAsciiText)
{
    const QString text =
        u"Caf\u00e9 \U0001F600 mail:\r\nann@example.org\r\nweb: http://example.com/a\r\n"_s
        u"\u00fcber www.test.de\r\n"_s;
    auto re = makeRegExp(addressPattern, true);
    EXPECT_EQ(findAll(re, text), (std::vector<Found>{{15, 15, u"ann@example.org"_s},
                                                     {37, 20, u"http://example.com/a"_s},
                                                     {64, 11, u"www.test.de"_s}}));
    // \w is ASCII: a non-ASCII letter ends an address.
    EXPECT_EQ(addressesIn(u"http://exa\u00e4mple.com"_s), std::vector<QString>{u"http://exa"_s});
}

TEST(AddressPattern, SubMatchesTellTheKindOfAddress)
{
    auto re = makeRegExp(addressPattern, true);
    const vbscript::MatchCollection matches = re.Execute(u"ann@x.org WWW.site.com"_s);
    ASSERT_EQ(matches.Count(), 2);
    const QStringList mail = matches.Item(0).SubMatches();
    ASSERT_EQ(mail.size(), 8);
    EXPECT_EQ(mail[0], u"ann@x.org"_s);
    EXPECT_TRUE(mail[1].isEmpty() && mail[7].isEmpty());
    const QStringList web = matches.Item(1).SubMatches();
    EXPECT_EQ(web[1], u"WWW.site.com"_s);
    EXPECT_EQ(web[7], u"WWW"_s);
}

TEST(AddressPattern, HalvesStandAlone)
{
    const QString text = u"ann@x.org http://x.org/ann@y.org"_s;
    EXPECT_EQ(addressesIn(text, emailHalf), (std::vector<QString>{u"ann@x.org"_s, u"ann@y.org"_s}));
    EXPECT_EQ(addressesIn(text, webHalf), std::vector<QString>{u"http://x.org/ann@y.org"_s});
    EXPECT_EQ(addressesIn(text),
              (std::vector<QString>{u"ann@x.org"_s, u"http://x.org/ann@y.org"_s}));
}
