#include "platform/runtime/VbFormat.h"

#include <gtest/gtest.h>
#include <QLocale>

using namespace vb;

namespace {

// Tuesday, 5 March 2024, five past nine in the evening and three seconds.
const QDateTime Evening(QDate(2024, 3, 5), QTime(21, 5, 3));

class VbFormat : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

}  // namespace

TEST_F(VbFormat, NamedFormsFollowTheLocale)
{
    EXPECT_EQ(Format(Evening, QStringLiteral("Short Date")), QStringLiteral("3/5/2024"));
    EXPECT_EQ(Format(Evening, QStringLiteral("Long Time")), QStringLiteral("9:05:03 PM"));
    EXPECT_EQ(Format(Evening, QStringLiteral("short time")), QStringLiteral("21:05"));
    EXPECT_EQ(Format(Evening, QStringLiteral("Medium Time")), QStringLiteral("09:05 PM"));
    EXPECT_EQ(Format(Evening, QStringLiteral("Long Date")),
              QStringLiteral("Tuesday, March 5, 2024"));
    EXPECT_EQ(Format(Evening, QStringLiteral("Medium Date")), QStringLiteral("05-Mar-24"));
}

TEST_F(VbFormat, GeneralDateShowsTheDateTheTimeOrBoth)
{
    EXPECT_EQ(Format(Evening), QStringLiteral("3/5/2024 9:05:03 PM"));
    EXPECT_EQ(Format(Evening, QStringLiteral("General Date")),
              QStringLiteral("3/5/2024 9:05:03 PM"));
    EXPECT_EQ(Format(QDate(2024, 3, 5)), QStringLiteral("3/5/2024"));
    EXPECT_EQ(Format(QTime(9, 5, 3)), QStringLiteral("9:05:03 AM"));
    EXPECT_EQ(Format(Evening, QStringLiteral("c")), QStringLiteral("3/5/2024 9:05:03 PM"));
    EXPECT_EQ(Format(QDateTime()), QString());
}

TEST_F(VbFormat, CustomPatternsTheSystemUses)
{
    EXPECT_EQ(Format(Evening, QStringLiteral("mmmm dd, yyyy")), QStringLiteral("March 05, 2024"));
    EXPECT_EQ(Format(Evening, QStringLiteral("Hh:Mm:Ss")), QStringLiteral("21:05:03"));
    EXPECT_EQ(Format(Evening, QStringLiteral("HH:mm:ss")), QStringLiteral("21:05:03"));
    EXPECT_EQ(Format(Evening, QStringLiteral("hh:mm:ss AMPM")), QStringLiteral("09:05:03 PM"));
    EXPECT_EQ(Format(Evening, QStringLiteral("mm/dd/yyyy")), QStringLiteral("03/05/2024"));
    EXPECT_EQ(Format(QDateTime(QDate(2024, 1, 9), QTime(0, 0, 0)), QStringLiteral("Hh:Mm:Ss")),
              QStringLiteral("00:00:00"));
}

TEST_F(VbFormat, MonthTokensNextToTimeTokensMeanMinutes)
{
    EXPECT_EQ(Format(Evening, QStringLiteral("h:m")), QStringLiteral("21:5"));
    EXPECT_EQ(Format(Evening, QStringLiteral("mm:ss")), QStringLiteral("05:03"));
    EXPECT_EQ(Format(Evening, QStringLiteral("m/d h")), QStringLiteral("3/5 21"));
    EXPECT_EQ(Format(Evening, QStringLiteral("hh mmm")), QStringLiteral("21 Mar"));
    EXPECT_EQ(Format(Evening, QStringLiteral("nn")), QStringLiteral("05"));
}

TEST_F(VbFormat, TwelveHourClockMarkers)
{
    const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 30));
    const QDateTime noon(QDate(2024, 3, 5), QTime(12, 0));
    EXPECT_EQ(Format(midnight, QStringLiteral("h:nn AM/PM")), QStringLiteral("12:30 AM"));
    EXPECT_EQ(Format(noon, QStringLiteral("h:nn am/pm")), QStringLiteral("12:00 pm"));
    EXPECT_EQ(Format(Evening, QStringLiteral("h A/P")), QStringLiteral("9 P"));
    EXPECT_EQ(Format(midnight, QStringLiteral("h a/p")), QStringLiteral("12 a"));
    EXPECT_EQ(Format(Evening, QStringLiteral("h")), QStringLiteral("21"));
}

TEST_F(VbFormat, OtherTokensAndLiterals)
{
    EXPECT_EQ(Format(Evening, QStringLiteral("dddd, ddd d")), QStringLiteral("Tuesday, Tue 5"));
    EXPECT_EQ(Format(Evening, QStringLiteral("m/d/yy")), QStringLiteral("3/5/24"));
    EXPECT_EQ(Format(Evening, QStringLiteral("w ww q y")), QStringLiteral("3 10 1 65"));
    EXPECT_EQ(Format(Evening, QStringLiteral("ddddd|ttttt")),
              QStringLiteral("3/5/2024|9:05:03 PM"));
    EXPECT_EQ(Format(Evening, QStringLiteral("\"day\" d \\d\\a\\y")), QStringLiteral("day 5 day"));
    EXPECT_EQ(Format(Evening, QStringLiteral("d \"unclosed")), QStringLiteral("5 unclosed"));
    EXPECT_EQ(Format(Evening, QStringLiteral("yyyy-mm-dd [x]")), QStringLiteral("2024-03-05 [x]"));
}

TEST_F(VbFormat, NamesComeFromTheCurrentLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Format(Evening, QStringLiteral("mmmm dd, yyyy")), QStringLiteral("März 05, 2024"));
    EXPECT_EQ(Format(Evening, QStringLiteral("dddd")), QStringLiteral("Dienstag"));
    EXPECT_EQ(Format(Evening, QStringLiteral("Short Date")), QStringLiteral("05.03.2024"));
    EXPECT_EQ(Format(Evening, QStringLiteral("Long Time")), QStringLiteral("21:05:03"));
}
