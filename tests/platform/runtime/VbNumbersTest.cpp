#include "platform/runtime/VbNumbers.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>
#include <cfenv>
#include <cmath>

using namespace vb;
using testsupport::raisedError;

TEST(VbNumbers, RoundingGoesToTheEvenNeighbourOnHalves)
{
    EXPECT_EQ(Round(0.5), 0.0);
    EXPECT_EQ(Round(1.5), 2.0);
    EXPECT_EQ(Round(2.5), 2.0);
    EXPECT_EQ(Round(-1.5), -2.0);
    EXPECT_EQ(Round(-0.5), 0.0);
    EXPECT_EQ(Round(2.4999), 2.0);
    EXPECT_EQ(Round(-2.6), -3.0);
    EXPECT_EQ(Round(0.125, 2), 0.12);
    EXPECT_EQ(Round(0.375, 2), 0.38);
    EXPECT_EQ(Round(1234.5678, 1), 1234.6);
    EXPECT_EQ(Round(1e300, 3), 1e300);
    EXPECT_EQ(raisedError([] { Round(1.0, -1); }), ErrInvalidProcedureCall);

    // The result must not depend on the floating-point rounding mode in force.
    const int mode = std::fegetround();
    std::fesetround(FE_UPWARD);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(Round(-2.5), -2.0);
    std::fesetround(mode);
}

TEST(VbNumbers, IntFloorsAndFixTruncates)
{
    EXPECT_EQ(Int(2.7), 2.0);
    EXPECT_EQ(Int(-2.2), -3.0);
    EXPECT_EQ(Fix(-2.7), -2.0);
    EXPECT_EQ(Fix(2.7), 2.0);
}

TEST(VbNumbers, WholeNumberConversionsRoundAndCheckTheirRange)
{
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-32768.5), -32768);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(raisedError([] { CInt(32767.5); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CInt(-32769.0); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CInt(std::nan("")); }), ErrOverflow);
    EXPECT_EQ(CLng(2147483647.4), 2147483647);
    EXPECT_EQ(CLng(-2147483648.5), -2147483647 - 1);
    EXPECT_EQ(raisedError([] { CLng(2147483647.5); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CLng(1e20); }), ErrOverflow);
    EXPECT_EQ(CByte(254.5), 254);
    EXPECT_EQ(raisedError([] { CByte(255.5); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CByte(-0.6); }), ErrOverflow);
    EXPECT_EQ(CByte(-0.5), 0);

    try {
        CInt(40000.0);
        FAIL() << "no overflow";
    } catch (const VbError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Overflow"));
    }
}

TEST(VbNumbers, ConversionsFromTextAcceptOnlyANumber)
{
    EXPECT_EQ(CInt(QStringLiteral("12")), 12);
    EXPECT_EQ(CInt(QStringLiteral("  -12.5\t")), -12);
    EXPECT_EQ(CInt(QStringLiteral("+1.5E1")), 15);
    EXPECT_EQ(CInt(QStringLiteral("2d2")), 200);
    EXPECT_EQ(CInt(QStringLiteral(".5")), 0);
    EXPECT_EQ(CInt(QStringLiteral("7.")), 7);
    EXPECT_EQ(CInt(QStringLiteral("&HFFFF")), -1);
    EXPECT_EQ(CInt(QStringLiteral("&o17")), 15);
    EXPECT_EQ(CLng(QStringLiteral("11790")), 11790);
    EXPECT_EQ(CLng(QStringLiteral("&HFFFFFFFF")), -1);
    EXPECT_EQ(CLng(QStringLiteral("&H10000")), 65536);
    EXPECT_EQ(CByte(QStringLiteral("255")), 255);

    for (const char* bad : {"", "  ", "abc", "12ab", "1 2", "- 1", "&H", "&HG", "1e5x", "."}) {
        EXPECT_EQ(raisedError([&] { CInt(QString::fromLatin1(bad)); }), ErrTypeMismatch) << bad;
        EXPECT_EQ(raisedError([&] { CLng(QString::fromLatin1(bad)); }), ErrTypeMismatch) << bad;
    }
    EXPECT_EQ(raisedError([] { CInt(QStringLiteral("32768")); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CInt(QStringLiteral("&H10000")); }), ErrOverflow);
    EXPECT_EQ(CInt(QStringLiteral("1e-400")), 0);
    EXPECT_EQ(CInt(QStringLiteral("-0.000000001e-350")), 0);
    EXPECT_EQ(CInt(QStringLiteral("0.0001e-99999999999999999999")), 0);
    EXPECT_EQ(raisedError([] { CLng(QStringLiteral("0.001e312")); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CLng(QStringLiteral("1e400")); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CLng(QStringLiteral("&H1FFFFFFFF")); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CLng(QStringLiteral("&H1FFFFFFFFFFFFFFFFF")); }), ErrOverflow);
    EXPECT_EQ(raisedError([] { CByte(QStringLiteral("-1")); }), ErrOverflow);
}

TEST(VbNumbers, ValReadsTheLeadingNumber)
{
    EXPECT_EQ(Val(QStringLiteral("  12ab")), 12.0);
    EXPECT_EQ(Val(QStringLiteral("1 2 3")), 123.0);
    EXPECT_EQ(Val(QStringLiteral("\t1\n2")), 12.0);
    EXPECT_EQ(Val(QStringLiteral("1\r2")), 1.0);  // a carriage return ends the number
    EXPECT_EQ(Val(QStringLiteral("-3.25xyz")), -3.25);
    EXPECT_EQ(Val(QStringLiteral("- 3")), -3.0);
    EXPECT_EQ(Val(QStringLiteral("1.2.3")), 1.2);
    EXPECT_EQ(Val(QStringLiteral("1e3")), 1000.0);
    EXPECT_EQ(Val(QStringLiteral("1D-2")), 0.01);
    EXPECT_EQ(Val(QStringLiteral("5e")), 5.0);
    EXPECT_EQ(Val(QStringLiteral("5e+x")), 5.0);
    EXPECT_EQ(Val(QStringLiteral("5 e 1")), 50.0);
    EXPECT_EQ(Val(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(Val(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("-")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("1e400")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("0.001e-399")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("4e-320")), 4e-320);
    EXPECT_EQ(Val(QStringLiteral("\u0661\u0662")), 0.0);  // only ASCII digits count
}

TEST(VbNumbers, ValReadsHexAndOctalLiteralsAsSignedWholeNumbers)
{
    EXPECT_EQ(Val(QStringLiteral("&HFF")), 255.0);
    EXPECT_EQ(Val(QStringLiteral("&hff")), 255.0);
    EXPECT_EQ(Val(QStringLiteral("&HFFFF")), -1.0);
    EXPECT_EQ(Val(QStringLiteral("&H8000")), -32768.0);
    EXPECT_EQ(Val(QStringLiteral("&H7FFF")), 32767.0);
    EXPECT_EQ(Val(QStringLiteral("&H10000")), 65536.0);
    EXPECT_EQ(Val(QStringLiteral("&HFFFFFFFF")), -1.0);
    EXPECT_EQ(Val(QStringLiteral("&H100000000")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("&H00000000000000000000001")), 1.0);
    EXPECT_EQ(Val(QStringLiteral("&H 1 0zz")), 16.0);
    EXPECT_EQ(Val(QStringLiteral("&O777")), 511.0);
    EXPECT_EQ(Val(QStringLiteral("&O8")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("&")), 0.0);
    EXPECT_EQ(Val(QStringLiteral("&Hxyz")), 0.0);
}
