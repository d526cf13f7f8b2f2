#include "platform/runtime/Windows1252.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>

using namespace vb;
using testsupport::raisedError;

TEST(Windows1252, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = fromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toWindows1252(text), all);
}

TEST(Windows1252, HighControlRangeFollowsTheCodePage)
{
    EXPECT_EQ(windows1252ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(windows1252ToUnicode(0x92), u'\u2019');
    EXPECT_EQ(windows1252ToUnicode(0x9F), u'\u0178');
    EXPECT_EQ(windows1252ToUnicode(0xD8), u'\u00D8');
    for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(windows1252ToUnicode(undefined), undefined);
    EXPECT_EQ(unicodeToWindows1252(u'\u2014'), 0x97);
    EXPECT_EQ(unicodeToWindows1252(u'\u0160'), 0x8A);
    EXPECT_EQ(unicodeToWindows1252(u'\u00FF'), 0xFF);
}

TEST(Windows1252, CharactersOutsideTheTableEncodeAsQuestionMarks)
{
    // C1 controls that the code page reuses (0x80) are not in it; 0x81 is.
    EXPECT_EQ(toWindows1252(QString::fromUcs4(U"a\u0080\u0081\u4E2D\U0001F600b")),
              QByteArray("a?\x81???b"));
    EXPECT_EQ(toWindows1252(QString()), QByteArray());
}

TEST(Windows1252, CharacterCodeFunctions)
{
    EXPECT_EQ(Asc(QStringLiteral("A")), 65);
    EXPECT_EQ(Asc(QStringLiteral("\u20ACx")), 0x80);
    EXPECT_EQ(Asc(QStringLiteral("\u4E2D")), 63);
    EXPECT_EQ(Chr(0x93), QStringLiteral("\u201C"));
    EXPECT_EQ(Chr(0), QString(QChar(u'\0')));
    EXPECT_EQ(AscW(QStringLiteral("\u2019")), 0x2019);
    EXPECT_EQ(AscW(QStringLiteral("\uFFFD")), 0xFFFD);
    EXPECT_EQ(ChrW(0x2019), QStringLiteral("\u2019"));
    EXPECT_EQ(ChrW(-1), QStringLiteral("\uFFFF"));
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(Asc(Chr(code)), code);

    EXPECT_EQ(raisedError([] { Asc(QString()); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([] { AscW(QString()); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([] { Chr(256); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([] { Chr(-1); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([] { ChrW(65536); }), ErrInvalidProcedureCall);
    EXPECT_EQ(raisedError([] { ChrW(-32769); }), ErrInvalidProcedureCall);
}
