// The control's settings in the host's property bag: which keys, in which order, with which
// defaults, and where each value goes.
#include "richtext/core/XrRTB.h"

#include "platform/host/PictureProperty.h"
#include "platform/host/PropertyBag.h"
#include "platform/host/StdFont.h"
#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"

#include <QSignalBlocker>

#include <cmath>
#include <variant>

namespace {

using BoolField = bool XrRTBSettings::*;
using ColourField = host::OLE_COLOR XrRTBSettings::*;
using LongField = int32_t XrRTBSettings::*;
using StringField = QString XrRTBSettings::*;

struct FieldKey {
    const char* key;
    std::variant<BoolField, ColourField, LongField, StringField> field;
};

// The first key of the bag is a field; the editing window's keys follow it, then these.
constexpr FieldKey FirstField{"AllowImages", &XrRTBSettings::AllowImages};

const FieldKey LaterFields[] = {
    {"RemoveUnUsableData", &XrRTBSettings::RemoveUnUsableData},
    {"ColorVBNetKeyWord", &XrRTBSettings::ColorVBNetKeyWord},
    {"ColorVB6KeyWord", &XrRTBSettings::ColorVB6KeyWord},
    {"ColorVBNetComment", &XrRTBSettings::ColorVBNetComment},
    {"ColorVB6Comment", &XrRTBSettings::ColorVB6Comment},
    {"ColorVBNetString", &XrRTBSettings::ColorVBNetString},
    {"ColorVB6String", &XrRTBSettings::ColorVB6String},
    {"ColorMyFirstKeyWord", &XrRTBSettings::ColorMyFirstKeyWord},
    {"ColorMySecondKeyWord", &XrRTBSettings::ColorMySecondKeyWord},
    {"ColorMyThirdKeyWord", &XrRTBSettings::ColorMyThirdKeyWord},
    {"MyFirstString", &XrRTBSettings::MyFirstString},
    {"MySecondString", &XrRTBSettings::MySecondString},
    {"MyThirdString", &XrRTBSettings::MyThirdString},
    {"DetectHyperLinks", &XrRTBSettings::DetectHyperLinks},
    {"AutoVMenu", &XrRTBSettings::AutoVMenu},
    {"MyFontColor", &XrRTBSettings::MyFontColor},
    {"MyHLColor", &XrRTBSettings::MyHLColor},
    {"ShowVB6Syntax", &XrRTBSettings::ShowVB6Syntax},
    {"UseCustomFontDialog", &XrRTBSettings::UseCustomFontDialog},
    {"PrinterMargin", &XrRTBSettings::PrinterMargin},
    {"WhatsThisHelpFile", &XrRTBSettings::WhatsThisHelpFile},
    {"InternalShutOFF", &XrRTBSettings::InternalShutOFF},
    {"TurnOnSound", &XrRTBSettings::TurnOnSound},
    {"MyWrapStyle", &XrRTBSettings::MyWrapStyle},
    {"DisplayRuler", &XrRTBSettings::DisplayRuler},
    {"AllowRTFSave", &XrRTBSettings::AllowRTFSave},
};

// The font object the bag keeps for the editing window's font: a font object's fields, with the
// underline and strike-through the window's font also has.
QFont fontObject(const QFont& font)
{
    QFont object = host::stdFontFrom(font);
    object.setUnderline(font.underline());
    object.setStrikeOut(font.strikeOut());
    return object;
}

[[noreturn]] void typeMismatch()
{
    vb::raiseError(vb::ErrTypeMismatch);
}

// Reads stored values as the types the control holds, the way the platform converts them: any
// number or numeric text becomes a number; anything else fails with error 13.
class BagReader {
public:
    explicit BagReader(const host::PropertyBag& bag) : m_bag(bag) {}

    QVariant value(const char* key, const QVariant& defaultValue) const
    {
        return m_bag.ReadProperty(QString::fromLatin1(key), defaultValue);
    }

    double number(const char* key, double defaultValue) const
    {
        const QVariant stored = value(key, defaultValue);
        if (stored.typeId() == QMetaType::Bool)
            return stored.toBool() ? -1.0 : 0.0;
        bool ok = false;
        const double result = stored.toDouble(&ok);
        if (!ok)
            typeMismatch();
        return result;
    }

    bool boolean(const char* key, bool defaultValue) const
    {
        const QVariant stored = value(key, defaultValue);
        if (stored.typeId() == QMetaType::QString) {
            const QString text = stored.toString().trimmed();
            if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                return true;
            if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                return false;
        }
        return number(key, defaultValue ? -1.0 : 0.0) != 0.0;
    }

    // Rounds as the platform does (halves to even); beyond 32 bits fails with error 6.
    int32_t integer(const char* key, int32_t defaultValue) const
    {
        return vb::CLng(number(key, defaultValue));
    }

    QString text(const char* key, const QString& defaultValue) const
    {
        const QVariant stored = value(key, defaultValue);
        if (stored.typeId() == QMetaType::QFont || stored.typeId() == QMetaType::QByteArray)
            typeMismatch();
        if (stored.typeId() == QMetaType::Bool)
            return stored.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return stored.toString();
    }

    QFont font(const char* key, const QFont& defaultValue) const
    {
        const QVariant stored = value(key, defaultValue);
        if (stored.typeId() != QMetaType::QFont)
            typeMismatch();
        return stored.value<QFont>();
    }

    QImage picture(const char* key) const
    {
        const QVariant stored = value(key, QVariant());
        if (!stored.isValid())
            return {};
        if (stored.typeId() != QMetaType::QByteArray)
            typeMismatch();
        return host::pictureFromProperty(stored);
    }

    void field(const FieldKey& entry, XrRTBSettings& settings) const
    {
        static const XrRTBSettings defaults;
        std::visit(
            [&](auto member) {
                using Value = std::remove_cvref_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<Value, bool>)
                    settings.*member = boolean(entry.key, defaults.*member);
                else if constexpr (std::is_same_v<Value, QString>)
                    settings.*member = text(entry.key, defaults.*member);
                else
                    settings.*member = static_cast<Value>(
                        integer(entry.key, static_cast<int32_t>(defaults.*member)));
            },
            entry.field);
    }

private:
    const host::PropertyBag& m_bag;
};

void writeField(host::PropertyBag& bag, const FieldKey& entry, const XrRTBSettings& settings)
{
    static const XrRTBSettings defaults;
    std::visit(
        [&](auto member) {
            using Value = std::remove_cvref_t<decltype(settings.*member)>;
            const QString key = QString::fromLatin1(entry.key);
            if constexpr (std::is_same_v<Value, bool> || std::is_same_v<Value, QString>)
                bag.WriteProperty(key, settings.*member, defaults.*member);
            else  // Long: colours keep their bits (a system colour is negative).
                bag.WriteProperty(key, static_cast<int32_t>(settings.*member),
                                  static_cast<int32_t>(defaults.*member));
        },
        entry.field);
}

}  // namespace

void XrRTB::setAmbientProperties(const host::AmbientProperties& ambient)
{
    m_ambient = ambient;
}

void XrRTB::UserControl_InitProperties()
{
    // A new control tells its host nothing, not even the Change of its first text.
    const QSignalBlocker quiet(this);
    resize(static_cast<int>(std::lround(host::twipsToPixelsX(InitialWidthTwips))),
           static_cast<int>(std::lround(host::twipsToPixelsY(InitialHeightTwips))));
    RichTextBox1->setText(m_ambient.DisplayName.isEmpty() ? objectName() : m_ambient.DisplayName);
    m_settings = XrRTBSettings();
}

void XrRTB::UserControl_ReadProperties(const host::PropertyBag& PropBag)
{
    const BagReader bag(PropBag);
    // Settings are only stored: no UpdateParentMenu, no notification, and the layout follows
    // the next resize.
    bag.field(FirstField, m_settings);
    m_Appearance = static_cast<AppearEnum>(bag.integer("Appearance", rtfFlat));
    RichTextBox1->setBackColor(
        static_cast<host::OLE_COLOR>(bag.integer("BackColor", static_cast<int32_t>(0x80000005u))));
    vb::raiseIfFailed(RichTextBox1->setBorderStyle(bag.integer("BorderStyle", 0)));
    RichTextBox1->setBulletIndent(bag.integer("BulletIndent", 0));
    RichTextBox1->setEnabled(bag.boolean("Enabled", true));
    // The font comes before the text, so the loaded text takes it.
    RichTextBox1->setFont(bag.font("Font", m_ambient.Font));
    RichTextBox1->setLocked(bag.boolean("Locked", false));
    RichTextBox1->setMaxLength(bag.integer("MaxLength", 0));
    // Through its property member, so only this key is marked changed.
    SetMouseIcon(bag.picture("MouseIcon"));
    vb::raiseIfFailed(RichTextBox1->setMousePointer(bag.integer("MousePointer", 0)));
    RichTextBox1->setRightMargin(bag.number("RightMargin", 0));
    RichTextBox1->setText(bag.text("Text", QString()));
    // The RTF decides the document. An empty document keeps no RTF in the bag, and an absent
    // value must not wipe out the text just read.
    const QString rtf = bag.text("TextRTF", QString());
    if (!rtf.isEmpty())
        RichTextBox1->setTextRTF(rtf);
    for (const FieldKey& entry : LaterFields)
        bag.field(entry, m_settings);
}

void XrRTB::UserControl_WriteProperties(host::PropertyBag& PropBag) const
{
    const auto write = [&PropBag](const char* key, const QVariant& value,
                                  const QVariant& defaultValue) {
        PropBag.WriteProperty(QString::fromLatin1(key), value, defaultValue);
    };
    writeField(PropBag, FirstField, m_settings);
    write("Appearance", static_cast<int16_t>(m_Appearance), int16_t(rtfFlat));
    write("BackColor", static_cast<int32_t>(RichTextBox1->BackColor()),
          static_cast<int32_t>(0x80000005u));
    write("BorderStyle", RichTextBox1->BorderStyle(), 0);
    write("BulletIndent", static_cast<float>(RichTextBox1->BulletIndent()), 0.0f);
    write("Enabled", RichTextBox1->Enabled(), true);
    write("Font", fontObject(RichTextBox1->Font()), fontObject(m_ambient.Font));
    write("Locked", RichTextBox1->Locked(), false);
    write("MaxLength", RichTextBox1->MaxLength(), 0);
    if (!RichTextBox1->MouseIcon().isNull())
        PropBag.WriteProperty(QStringLiteral("MouseIcon"),
                              host::pictureProperty(RichTextBox1->MouseIcon()));
    else
        PropBag.WriteProperty(QStringLiteral("MouseIcon"), QByteArray(), QByteArray());
    write("MousePointer", RichTextBox1->MousePointer(), 0);
    write("RightMargin", static_cast<float>(RichTextBox1->RightMargin()), 0.0f);
    const QString text = RichTextBox1->Text();
    write("Text", text, QString());
    write("TextRTF", text.isEmpty() ? QString() : RichTextBox1->TextRTF(), QString());
    for (const FieldKey& entry : LaterFields)
        writeField(PropBag, entry, m_settings);
}
