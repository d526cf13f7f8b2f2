#include "platform/host/PropertySchema.h"

#include "platform/runtime/VbError.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>

using host::PropertyType;
using testsupport::raisedError;

namespace {

// A control with one property of each kind the tables use.
struct Gadget {
    bool visible = true;
    std::int16_t size = 16;
    std::uint32_t colour = 0x8000000Fu;
    float indent = 0;
    QString caption;
    QFont font;
    QStringList written;
};

using Row = host::PropertyRow<Gadget>;

constexpr auto constant = &Row::constant;

template <class T>
Row member(const char* key, PropertyType type, QVariant defaultValue, T Gadget::*field)
{
    return Row{
        .key = key,
        .type = type,
        .defaultValue = constant(defaultValue),
        .get = [type, field](const Gadget& g) { return host::toStored(type, g.*field); },
        .put =
            [key, field](Gadget& g, const QVariant& v) {
                g.*field = host::fromStored<T>(v);
                g.written.append(QString::fromLatin1(key));
            },
        .effects = host::NotifyHost,
    };
}

const host::PropertySchema<Gadget>& gadgetSchema()
{
    static const host::PropertySchema<Gadget> schema(
        {
            member("Visible", PropertyType::Boolean, true, &Gadget::visible),
            member("Size", PropertyType::Integer, 16, &Gadget::size),
            member("Colour", PropertyType::Long, int(0x8000000Fu), &Gadget::colour),
            member("Indent", PropertyType::Single, 0.0f, &Gadget::indent),
            Row{
                .key = "Caption",
                .type = PropertyType::String,
                .defaultValue = constant(QString()),
                .get = [](const Gadget& g) { return g.caption; },
                .put =
                    [](Gadget& g, const QVariant& v) {
                        g.caption = v.toString();
                        g.written.append(QStringLiteral("Caption"));
                    },
                .effects = host::NotifyHost | host::Redraw,
                .placement = Row::Placement::Own,
                .placed = constant(QStringLiteral("Gadget1")),
            },
            Row{
                .key = "Font",
                .type = PropertyType::Font,
                .get = [](const Gadget& g) { return QVariant::fromValue(g.font); },
                .put =
                    [](Gadget& g, const QVariant& v) {
                        g.font = v.value<QFont>();
                        g.written.append(QStringLiteral("Font"));
                    },
            },
        },
        {"Caption", "Font", "Visible", "Size", "Colour", "Indent"});
    return schema;
}

}  // namespace

TEST(PropertySchema, ValuesConvertAsThePlatformConvertsThem)
{
    using host::convertProperty;
    EXPECT_EQ(convertProperty(QStringLiteral(" true "), PropertyType::Boolean), QVariant(true));
    EXPECT_EQ(convertProperty(2.0f, PropertyType::Boolean), QVariant(true));
    EXPECT_EQ(convertProperty(true, PropertyType::Long), QVariant(-1));
    EXPECT_EQ(convertProperty(QStringLiteral("12.5"), PropertyType::Integer),
              QVariant::fromValue<short>(12));
    EXPECT_EQ(convertProperty(-2147483648.0, PropertyType::Long), QVariant(INT32_MIN));
    EXPECT_EQ(convertProperty(100.5, PropertyType::Single), QVariant(100.5f));
    EXPECT_EQ(convertProperty(false, PropertyType::String), QVariant(QStringLiteral("False")));
    EXPECT_EQ(convertProperty(7, PropertyType::String), QVariant(QStringLiteral("7")));
    EXPECT_FALSE(convertProperty(QVariant(), PropertyType::Long).isValid());
    // Bytes that are no picture are no picture.
    EXPECT_TRUE(
        convertProperty(QByteArray("junk"), PropertyType::Picture).value<QImage>().isNull());

    struct Case {
        QVariant value;
        PropertyType type;
        long error;
    };
    const Case failing[] = {
        {40000, PropertyType::Integer, vb::ErrOverflow},
        {-32769.0, PropertyType::Integer, vb::ErrOverflow},
        {2147483648.0, PropertyType::Long, vb::ErrOverflow},
        {1e39, PropertyType::Single, vb::ErrOverflow},
        {QStringLiteral("wide"), PropertyType::Long, vb::ErrTypeMismatch},
        {QStringLiteral("maybe"), PropertyType::Boolean, vb::ErrTypeMismatch},
        {QFont(), PropertyType::Long, vb::ErrTypeMismatch},
        {QFont(), PropertyType::String, vb::ErrTypeMismatch},
        {QByteArray("x"), PropertyType::Single, vb::ErrTypeMismatch},
        {QStringLiteral("Arial"), PropertyType::Font, vb::ErrTypeMismatch},
        {5, PropertyType::Picture, vb::ErrTypeMismatch},
    };
    for (const Case& c : failing)
        EXPECT_EQ(raisedError([&] { convertProperty(c.value, c.type); }), c.error)
            << c.value.toString().toStdString() << " as " << int(c.type);
}

TEST(PropertySchema, WritesInTableOrderLeavingDefaultsOutAndReadsInItsOwnOrder)
{
    Gadget original;
    host::PropertyBag bag;
    gadgetSchema().write(original, bag);
    EXPECT_EQ(bag.names(), QStringList{"Font"}) << "a property without default is always kept";

    original.visible = false;
    original.size = -3;
    original.colour = 0x80000005u;
    original.indent = 12.5f;
    original.caption = QStringLiteral("Tools");
    original.font = QFont(QStringLiteral("DejaVu Serif"), 11);
    gadgetSchema().write(original, bag);
    EXPECT_EQ(bag.names(), (QStringList{"Font", "Visible", "Size", "Colour", "Indent", "Caption"}));
    EXPECT_EQ(bag.ReadProperty("Size").typeId(), QMetaType::Short);
    EXPECT_EQ(bag.ReadProperty("Colour"), QVariant(int(0x80000005u))) << "a colour keeps its bits";

    Gadget copy;
    gadgetSchema().read(copy, host::PropertyBag::fromBytes(bag.toBytes()));
    EXPECT_EQ(copy.written,
              (QStringList{"Caption", "Font", "Visible", "Size", "Colour", "Indent"}));
    EXPECT_FALSE(copy.visible);
    EXPECT_EQ(copy.size, -3);
    EXPECT_EQ(copy.colour, 0x80000005u);
    EXPECT_EQ(copy.indent, 12.5f);
    EXPECT_EQ(copy.caption, QStringLiteral("Tools"));
    EXPECT_EQ(copy.font.family(), QStringLiteral("DejaVu Serif"));

    // Back at the defaults, the bag forgets the values it held; an absent key without default
    // leaves the control's value alone.
    gadgetSchema().write(Gadget(), bag);
    EXPECT_EQ(bag.names(), QStringList{"Font"});
    host::PropertyBag empty;
    copy.written.clear();
    gadgetSchema().read(copy, empty);
    EXPECT_FALSE(copy.written.contains("Font"));
    EXPECT_EQ(copy.font.family(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(copy.visible);
}

TEST(PropertySchema, AFailingValueStopsTheReadWithTheValuesBeforeItStored)
{
    host::PropertyBag bag;
    bag.WriteProperty("Caption", QStringLiteral("Kept"));
    bag.WriteProperty("Visible", false);
    bag.WriteProperty("Size", 70000);
    bag.WriteProperty("Indent", 4.0f);
    Gadget gadget;
    EXPECT_EQ(raisedError([&] { gadgetSchema().read(gadget, bag); }), vb::ErrOverflow);
    EXPECT_EQ(gadget.caption, QStringLiteral("Kept"));
    EXPECT_FALSE(gadget.visible);
    EXPECT_EQ(gadget.size, 16);
    EXPECT_EQ(gadget.indent, 0.0f);
}

TEST(PropertySchema, FirstPlacementGivesDefaultsAndOwnValues)
{
    Gadget gadget;
    gadget.visible = false;
    gadget.size = 99;
    gadgetSchema().place(gadget);
    EXPECT_TRUE(gadget.visible);
    EXPECT_EQ(gadget.size, 16);
    EXPECT_EQ(gadget.caption, QStringLiteral("Gadget1"));
    EXPECT_FALSE(gadget.written.contains("Font")) << "no default: nothing to place";

    EXPECT_EQ(gadgetSchema().row(QLatin1String("Caption")).effects,
              host::NotifyHost | host::Redraw);
    EXPECT_EQ(gadgetSchema().row(QLatin1String("Size")).effects, host::NotifyHost);
}
