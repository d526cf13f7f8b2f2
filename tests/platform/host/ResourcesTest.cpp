#include "platform/host/Resources.h"

#include <gtest/gtest.h>
#include <QDir>

// The test resources live in tests/data/TestResources.qrc under the deliverable "ScrivetTest".
static void loadTestResources()
{
    Q_INIT_RESOURCE(TestResources);
}

namespace {

const QString kDeliverable = QStringLiteral("ScrivetTest");

class Resources : public testing::Test {
protected:
    void SetUp() override { loadTestResources(); }
};

QByteArray allBytes()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(static_cast<char>(value));
    return bytes;
}

}  // namespace

TEST_F(Resources, ReadsTheWholeResourceByteForByte)
{
    const auto words =
        host::resourceData(kDeliverable, QStringLiteral("USDICTIONARY"), QStringLiteral("A"));
    ASSERT_TRUE(words.has_value());
    EXPECT_EQ(*words, QByteArray("Apple\r\nAnt\r\n\xE9"
                                 "clair\r\n\0\0",
                                 22));

    const auto help = host::resourceData(kDeliverable, QStringLiteral("HELP"), 101);
    ASSERT_TRUE(help.has_value());
    EXPECT_EQ(*help, allBytes());

    // Stored compressed by the resource compiler, read back as it was.
    const auto filler =
        host::resourceData(kDeliverable, QStringLiteral("USDICTIONARY"), QStringLiteral("ZERO"));
    ASSERT_TRUE(filler.has_value());
    EXPECT_EQ(*filler, QByteArray(8370, '\xD8'));
}

TEST_F(Resources, TypesAndNamesMatchWithoutRegardToCase)
{
    EXPECT_TRUE(
        host::resourceData(kDeliverable, QStringLiteral("usdictionary"), QStringLiteral("a"))
            .has_value());
    EXPECT_TRUE(host::resourceData(kDeliverable, QStringLiteral("Help"), QStringLiteral("101"))
                    .has_value());
    // Entries stored in mixed case are found in any spelling too.
    const auto click =
        host::resourceData(kDeliverable, QStringLiteral("WAVE"), QStringLiteral("CLICK"));
    ASSERT_TRUE(click.has_value());
    EXPECT_EQ(*click, allBytes());
    EXPECT_TRUE(host::resourceData(kDeliverable, QStringLiteral("wave"), QStringLiteral("click"))
                    .has_value());
}

TEST_F(Resources, AnEmptyResourceIsNotAMissingOne)
{
    const auto empty =
        host::resourceData(kDeliverable, QStringLiteral("CUSTOM"), QStringLiteral("empty"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());

    EXPECT_FALSE(host::resourceData(kDeliverable, QStringLiteral("CUSTOM"), QStringLiteral("B"))
                     .has_value());
    EXPECT_FALSE(host::resourceData(kDeliverable, QStringLiteral("HELP"), 102).has_value());
    EXPECT_FALSE(host::resourceData(kDeliverable, QStringLiteral("BITMAP"), 101).has_value());
    EXPECT_FALSE(host::resourceData(QStringLiteral("NoSuchLibrary"), QStringLiteral("HELP"), 101)
                     .has_value());
    EXPECT_FALSE(
        host::resourceData(kDeliverable.toLower(), QStringLiteral("HELP"), 101).has_value());
}

TEST_F(Resources, NamesThatAreNotASinglePathElementFindNothing)
{
    ASSERT_TRUE(QDir(QStringLiteral(":/ScrivetTest/HELP")).exists());
    const QString bad[] = {QStringLiteral("../HELP/101"), QStringLiteral(".."), QStringLiteral("."),
                           QString(), QStringLiteral("x\\101")};
    for (const QString& name : bad) {
        EXPECT_FALSE(
            host::resourceData(kDeliverable, QStringLiteral("USDICTIONARY"), name).has_value())
            << name.toStdString();
        EXPECT_FALSE(host::resourceData(kDeliverable, name, QStringLiteral("101")).has_value())
            << name.toStdString();
    }
    EXPECT_FALSE(host::resourceData(kDeliverable, QStringLiteral("HELP/101"), QStringLiteral(""))
                     .has_value());
    // A type folder is no resource.
    EXPECT_FALSE(host::resourceData(QStringLiteral("ScrivetTest/HELP"), QStringLiteral("101"),
                                    QStringLiteral("x"))
                     .has_value());
}
