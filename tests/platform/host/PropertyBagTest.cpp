#include "platform/host/PropertyBag.h"

#include <gtest/gtest.h>
#include <QFont>
#include <QtEndian>
#include <cmath>

using host::PropertyBag;

namespace {

QFont sampleFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10.5);
    font.setBold(true);
    font.setItalic(true);
    font.setUnderline(true);
    return font;
}

QByteArray pictureBytes()
{
    QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    bytes.append('\0');
    bytes.append(QByteArray(300, '\xff'));
    return bytes;
}

// A bag holding one value of every type, written without defaults.
PropertyBag everyType()
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("AllowImages"), false);
    bag.WriteProperty(QStringLiteral("Appearance"), QVariant::fromValue<short>(-2));
    bag.WriteProperty(QStringLiteral("BackColor"), static_cast<int>(0x80000005u));
    bag.WriteProperty(QStringLiteral("RightMargin"), -1.25f);
    bag.WriteProperty(QStringLiteral("Text"), QStringLiteral("Zoë ☃ \r\n\0end"));
    bag.WriteProperty(QStringLiteral("Empty"), QString());
    bag.WriteProperty(QStringLiteral("Font"), sampleFont());
    bag.WriteProperty(QStringLiteral("MouseIcon"), pictureBytes());
    return bag;
}

}  // namespace

TEST(PropertyBag, AValueEqualToItsDefaultIsNotStored)
{
    PropertyBag bag;
    EXPECT_TRUE(bag.WriteProperty(QStringLiteral("Locked"), false, false));
    EXPECT_TRUE(bag.WriteProperty(QStringLiteral("Text"), QString(), QString()));
    // A Long compared with the 16-bit Integer default it is given: equal by value.
    EXPECT_TRUE(bag.WriteProperty(QStringLiteral("MaxLength"), 0, QVariant::fromValue<short>(0)));
    EXPECT_TRUE(
        bag.WriteProperty(QStringLiteral("RightMargin"), 0.0f, QVariant::fromValue<short>(0)));
    // Boolean True is -1 when compared with a number.
    EXPECT_TRUE(bag.WriteProperty(QStringLiteral("Flag"), true, -1));
    EXPECT_TRUE(bag.isEmpty());

    EXPECT_EQ(bag.ReadProperty(QStringLiteral("MyHLColor"), 0xFFFF), QVariant(0xFFFF));
    EXPECT_FALSE(bag.ReadProperty(QStringLiteral("Missing")).isValid());

    // Different values, or values of another kind than the default, are stored.
    bag.WriteProperty(QStringLiteral("Flag"), true, 1);
    bag.WriteProperty(QStringLiteral("Zero"), QStringLiteral("0"), 0);
    bag.WriteProperty(QStringLiteral("Font"), sampleFont());  // no default: always stored
    bag.WriteProperty(QStringLiteral("Other"), QFont(QStringLiteral("Liberation Serif")),
                      sampleFont());
    EXPECT_EQ(bag.names(), (QStringList{QStringLiteral("Flag"), QStringLiteral("Zero"),
                                        QStringLiteral("Font"), QStringLiteral("Other")}));
}

TEST(PropertyBag, WritingTheDefaultOverAStoredValueRemovesIt)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("PrinterMargin"), 720, 1440);
    ASSERT_TRUE(bag.contains(QStringLiteral("PrinterMargin")));
    bag.WriteProperty(QStringLiteral("PrinterMargin"), 1440, 1440);
    EXPECT_FALSE(bag.contains(QStringLiteral("PrinterMargin")));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("PrinterMargin"), 1440).toInt(), 1440);
}

TEST(PropertyBag, RefusesEmptyNamesAndTypesItCannotHold)
{
    PropertyBag bag;
    EXPECT_FALSE(bag.WriteProperty(QString(), 1));
    EXPECT_FALSE(bag.WriteProperty(QStringLiteral("Double"), 1.5));
    EXPECT_FALSE(bag.WriteProperty(QStringLiteral("Wide"), qint64(1)));
    EXPECT_FALSE(bag.WriteProperty(QStringLiteral("Nothing"), QVariant()));
    EXPECT_TRUE(bag.isEmpty());
}

TEST(PropertyBag, NamesCompareWithoutRegardToCaseAndKeepTheirFirstPlace)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("BackColor"), 1);
    bag.WriteProperty(QStringLiteral("Text"), QStringLiteral("a"));
    bag.WriteProperty(QStringLiteral("BACKCOLOR"), 2);

    EXPECT_EQ(bag.count(), 2);
    EXPECT_EQ(bag.names(), (QStringList{QStringLiteral("BackColor"), QStringLiteral("Text")}));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("backcolor"), 0).toInt(), 2);
    EXPECT_TRUE(bag.contains(QStringLiteral("tExT")));

    bag.WriteProperty(QStringLiteral("text"), QString(), QString());
    EXPECT_EQ(bag.names(), QStringList{QStringLiteral("BackColor")});
}

TEST(PropertyBag, EveryValueTypeSurvivesTheStoredForm)
{
    const PropertyBag original = everyType();
    bool ok = false;
    const PropertyBag copy = PropertyBag::fromBytes(original.toBytes(), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(copy.names(), original.names());
    for (const QString& name : original.names()) {
        const QVariant before = original.ReadProperty(name);
        const QVariant after = copy.ReadProperty(name);
        EXPECT_EQ(after.typeId(), before.typeId()) << qPrintable(name);
        EXPECT_EQ(after, before) << qPrintable(name);
    }
    EXPECT_EQ(copy.ReadProperty(QStringLiteral("BackColor")).toInt(),
              static_cast<int>(0x80000005u));
    EXPECT_EQ(copy.ReadProperty(QStringLiteral("Appearance")).value<short>(), -2);
    const QFont font = copy.ReadProperty(QStringLiteral("Font")).value<QFont>();
    EXPECT_EQ(font.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 10.5);
    EXPECT_TRUE(font.bold() && font.italic() && font.underline());
    EXPECT_EQ(copy.ReadProperty(QStringLiteral("MouseIcon")).toByteArray(), pictureBytes());

    // The stored form of a round trip is the same bytes again.
    EXPECT_EQ(copy.toBytes(), original.toBytes());

    // Floats keep their exact bits, NaN included.
    PropertyBag floats;
    floats.WriteProperty(QStringLiteral("NaN"), std::nanf(""));
    floats.WriteProperty(QStringLiteral("Tiny"), 1e-40f);
    const PropertyBag floatsBack = PropertyBag::fromBytes(floats.toBytes(), &ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(std::isnan(floatsBack.ReadProperty(QStringLiteral("NaN")).toFloat()));
    EXPECT_EQ(floatsBack.ReadProperty(QStringLiteral("Tiny")).toFloat(), 1e-40f);

    // An empty bag is a valid stored form too.
    EXPECT_TRUE(PropertyBag::fromBytes(PropertyBag().toBytes(), &ok).isEmpty());
    EXPECT_TRUE(ok);
}

TEST(PropertyBag, MalformedStoredFormsGiveAnEmptyBagAndAnErrorFlag)
{
    const QByteArray valid = everyType().toBytes();
    auto rejects = [](const QByteArray& bytes) {
        bool ok = true;
        const PropertyBag bag = PropertyBag::fromBytes(bytes, &ok);
        return !ok && bag.isEmpty();
    };

    EXPECT_TRUE(rejects(QByteArray()));
    EXPECT_TRUE(rejects(QByteArray("not a bag at all")));
    // Every truncation, and anything after the last entry.
    for (qsizetype size = 0; size < valid.size(); ++size)
        EXPECT_TRUE(rejects(valid.left(size))) << size;
    EXPECT_TRUE(rejects(valid + '\0'));

    // A later version of the form is not guessed at.
    QByteArray newer = valid;
    qToLittleEndian<quint16>(2, newer.data() + 4);
    EXPECT_TRUE(rejects(newer));

    // An entry count far beyond the data, and a name length far beyond it.
    QByteArray manyEntries = valid;
    qToLittleEndian<quint32>(0xFFFFFFFFu, manyEntries.data() + 6);
    EXPECT_TRUE(rejects(manyEntries));
    QByteArray longName = valid;
    qToLittleEndian<quint32>(0x7FFFFFFFu, longName.data() + 10);
    EXPECT_TRUE(rejects(longName));

    // Hand-made entries: unknown tag, a Boolean byte other than 0/1, an empty name, and the
    // same name twice in another spelling.
    auto oneEntry = [](const QString& name, QByteArray payload, quint32 count = 1) {
        QByteArray bytes("SVPB\x01\x00", 6);
        QByteArray number(4, '\0');
        qToLittleEndian<quint32>(count, number.data());
        bytes += number;
        for (quint32 i = 0; i < count; ++i) {
            const QString spelt = i % 2 ? name.toUpper() : name;
            qToLittleEndian<quint32>(static_cast<quint32>(spelt.size()), number.data());
            bytes += number;
            for (const QChar ch : spelt)
                bytes += QByteArray(1, static_cast<char>(ch.unicode())) + '\0';
            bytes += payload;
        }
        return bytes;
    };
    bool ok = false;
    EXPECT_EQ(PropertyBag::fromBytes(oneEntry(QStringLiteral("On"), QByteArray("\x01\x01", 2)), &ok)
                  .ReadProperty(QStringLiteral("on")),
              QVariant(true));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(rejects(oneEntry(QStringLiteral("On"), QByteArray("\x09\x01", 2))));
    EXPECT_TRUE(rejects(oneEntry(QStringLiteral("On"), QByteArray("\x01\x02", 2))));
    EXPECT_TRUE(rejects(oneEntry(QString(), QByteArray("\x01\x01", 2))));
    EXPECT_TRUE(rejects(oneEntry(QStringLiteral("On"), QByteArray("\x01\x01", 2), 2)));
    // A font description that is not one.
    EXPECT_TRUE(rejects(
        oneEntry(QStringLiteral("Font"), QByteArray("\x06\x01\0\0\0A\0\x01\0\0\0x\0", 13))));

    // Any single damaged byte is either read cleanly or refused; never more.
    for (qsizetype at = 0; at < valid.size(); ++at) {
        QByteArray damaged = valid;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        const PropertyBag bag = PropertyBag::fromBytes(damaged, &ok);
        if (!ok) {
            EXPECT_TRUE(bag.isEmpty()) << at;
        }
    }
}
