// The control's settings in the host's property bag: which keys, in which order, with which
// defaults, where each value goes, and what a write of each property tells the host.
#include "richtext/core/XrRTB.h"

#include "platform/host/PropertyBag.h"
#include "platform/host/PropertySchema.h"
#include "platform/host/StdFont.h"
#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"

#include <QSignalBlocker>

#include <cmath>

namespace {

using host::PropertyType;
using Row = host::PropertyRow<XrRTB>;

// The switches the host mirrors in its menus: a write also raises UpdateParentMenu.
constexpr unsigned MenuSwitch = host::FirstOwnEffect;

// The font object the bag keeps for the editing window's font: a font object's fields, with the
// underline and strike-through the window's font also has.
QFont fontObject(const QFont& font)
{
    QFont object = host::stdFontFrom(font);
    object.setUnderline(font.underline());
    object.setStrikeOut(font.strikeOut());
    return object;
}

// The RTF of an empty, unformatted document in that font: what the bag need not keep.
QString emptyDocumentRtf(const QFont& font)
{
    richedit::RichTextBox blank;
    blank.setFont(font);
    return blank.TextRTF();
}

constexpr auto constant = &Row::constant;

}  // namespace

// The bag's keys in their binding order. Reading stores each value without events (only
// "MouseIcon" goes through its property member and so marks itself changed); the font comes
// before the text, so the loaded text takes it, and the RTF comes last and decides the document.
const host::PropertySchema<XrRTB>& XrRTB::persistedProperties()
{
    static const XrRTBSettings defaults;
    // A setting held by the control; its default is the value of a new control.
    const auto setting = [](const char* key, PropertyType type, auto member,
                            unsigned effects = host::NotifyHost) {
        using Value = std::remove_cvref_t<decltype(defaults.*member)>;
        return Row{
            .key = key,
            .type = type,
            .defaultValue = constant(host::toStored(type, defaults.*member)),
            .get =
                [type, member](const XrRTB& control) {
                    return host::toStored(type, control.m_settings.*member);
                },
            .put =
                [member](XrRTB& control, const QVariant& value) {
                    control.m_settings.*member = host::fromStored<Value>(value);
                },
            .effects = effects,
        };
    };
    // A property of the editing window, which first placement leaves at its design-time value.
    const auto window = [](const char* key, PropertyType type, const QVariant& defaultValue,
                           Row::Value get, Row::Put put) {
        return Row{
            .key = key,
            .type = type,
            .defaultValue = constant(defaultValue),
            .get = std::move(get),
            .put = std::move(put),
            .effects = host::NotifyHost,
            .placement = Row::Placement::Kept,
        };
    };
    using S = XrRTBSettings;
    constexpr auto Boolean = PropertyType::Boolean;
    constexpr auto Long = PropertyType::Long;
    constexpr auto Single = PropertyType::Single;
    constexpr auto String = PropertyType::String;

    static const host::PropertySchema<XrRTB> schema{
        setting("AllowImages", Boolean, &S::AllowImages, host::NotifyHost | MenuSwitch),
        window(
            "Appearance", PropertyType::Integer, QVariant::fromValue<short>(rtfFlat),
            [](const XrRTB& c) { return host::toStored(PropertyType::Integer, c.m_Appearance); },
            [](XrRTB& c, const QVariant& v) { c.m_Appearance = host::fromStored<AppearEnum>(v); }),
        window(
            "BackColor", Long, int32_t(0x80000005u),
            [](const XrRTB& c) { return host::toStored(Long, c.RichTextBox1->BackColor()); },
            [](XrRTB& c, const QVariant& v) {
                c.RichTextBox1->setBackColor(host::fromStored<host::OLE_COLOR>(v));
            }),
        window(
            "BorderStyle", Long, 0, [](const XrRTB& c) { return c.RichTextBox1->BorderStyle(); },
            [](XrRTB& c, const QVariant& v) {
                vb::raiseIfFailed(c.RichTextBox1->setBorderStyle(v.toInt()));
            }),
        window(
            "BulletIndent", Single, 0.0f, [](const XrRTB& c) { return c.m_BulletIndent; },
            [](XrRTB& c, const QVariant& v) { c.applyBulletIndent(v.toFloat()); }),
        window(
            "Enabled", Boolean, true, [](const XrRTB& c) { return c.RichTextBox1->Enabled(); },
            [](XrRTB& c, const QVariant& v) { c.RichTextBox1->setEnabled(v.toBool()); }),
        Row{
            .key = "Font",
            .type = PropertyType::Font,
            .defaultValue =
                [](const XrRTB& c) { return QVariant::fromValue(fontObject(c.m_ambient.Font)); },
            .get =
                [](const XrRTB& c) {
                    return QVariant::fromValue(fontObject(c.RichTextBox1->Font()));
                },
            .put = [](XrRTB& c, const QVariant& v) { c.RichTextBox1->setFont(v.value<QFont>()); },
            .effects = host::NotifyHost,
            .placement = Row::Placement::Kept,
        },
        window(
            "Locked", Boolean, false, [](const XrRTB& c) { return c.RichTextBox1->Locked(); },
            [](XrRTB& c, const QVariant& v) { c.RichTextBox1->setLocked(v.toBool()); }),
        window(
            "MaxLength", Long, 0, [](const XrRTB& c) { return c.RichTextBox1->MaxLength(); },
            [](XrRTB& c, const QVariant& v) { c.RichTextBox1->setMaxLength(v.toInt()); }),
        window(
            "MouseIcon", PropertyType::Picture, QVariant::fromValue(QImage()),
            [](const XrRTB& c) { return QVariant::fromValue(c.RichTextBox1->MouseIcon()); },
            [](XrRTB& c, const QVariant& v) { c.SetMouseIcon(v.value<QImage>()); }),
        window(
            "MousePointer", Long, 0, [](const XrRTB& c) { return c.RichTextBox1->MousePointer(); },
            [](XrRTB& c, const QVariant& v) {
                vb::raiseIfFailed(c.RichTextBox1->setMousePointer(v.toInt()));
            }),
        window(
            "RightMargin", Single, 0.0f,
            [](const XrRTB& c) { return float(c.RichTextBox1->RightMargin()); },
            [](XrRTB& c, const QVariant& v) { c.RichTextBox1->setRightMargin(v.toFloat()); }),
        Row{
            .key = "Text",
            .type = String,
            .defaultValue = constant(QString()),
            .get = [](const XrRTB& c) { return c.RichTextBox1->Text(); },
            .put = [](XrRTB& c, const QVariant& v) { c.RichTextBox1->setText(v.toString()); },
            .effects = host::NotifyHost,
            // A new control shows the host's name for it.
            .placement = Row::Placement::Own,
            .placed =
                [](const XrRTB& c) {
                    return c.m_ambient.DisplayName.isEmpty() ? c.objectName()
                                                             : c.m_ambient.DisplayName;
                },
        },
        window(
            "TextRTF", String, QString(),
            [](const XrRTB& c) {
                // An empty document keeps its RTF only when it carries formatting of its own.
                const QString rtf = c.RichTextBox1->TextRTF();
                if (!c.RichTextBox1->Text().isEmpty())
                    return rtf;
                return rtf == emptyDocumentRtf(c.RichTextBox1->Font()) ? QString() : rtf;
            },
            [](XrRTB& c, const QVariant& v) {
                // An absent value must not wipe out the text just read.
                if (const QString rtf = v.toString(); !rtf.isEmpty())
                    c.RichTextBox1->setTextRTF(rtf);
            }),
        setting("RemoveUnUsableData", Boolean, &S::RemoveUnUsableData,
                host::NotifyHost | MenuSwitch),
        setting("ColorVBNetKeyWord", Long, &S::ColorVBNetKeyWord),
        setting("ColorVB6KeyWord", Long, &S::ColorVB6KeyWord),
        setting("ColorVBNetComment", Long, &S::ColorVBNetComment),
        setting("ColorVB6Comment", Long, &S::ColorVB6Comment),
        setting("ColorVBNetString", Long, &S::ColorVBNetString),
        setting("ColorVB6String", Long, &S::ColorVB6String),
        setting("ColorMyFirstKeyWord", Long, &S::ColorMyFirstKeyWord),
        setting("ColorMySecondKeyWord", Long, &S::ColorMySecondKeyWord),
        setting("ColorMyThirdKeyWord", Long, &S::ColorMyThirdKeyWord),
        setting("MyFirstString", String, &S::MyFirstString),
        setting("MySecondString", String, &S::MySecondString),
        setting("MyThirdString", String, &S::MyThirdString),
        setting("DetectHyperLinks", Boolean, &S::DetectHyperLinks, host::NotifyHost | MenuSwitch),
        setting("AutoVMenu", Boolean, &S::AutoVMenu),
        setting("MyFontColor", Long, &S::MyFontColor),
        setting("MyHLColor", Long, &S::MyHLColor),
        setting("ShowVB6Syntax", Boolean, &S::ShowVB6Syntax, host::NotifyHost | MenuSwitch),
        setting("UseCustomFontDialog", Boolean, &S::UseCustomFontDialog),
        setting("PrinterMargin", Long, &S::PrinterMargin, host::NotifyHost | MenuSwitch),
        setting("WhatsThisHelpFile", String, &S::WhatsThisHelpFile),
        setting("InternalShutOFF", Boolean, &S::InternalShutOFF),
        setting("TurnOnSound", Boolean, &S::TurnOnSound, host::NotifyHost | MenuSwitch),
        setting("MyWrapStyle", Long, &S::MyWrapStyle, host::NotifyHost | MenuSwitch),
        setting("DisplayRuler", Boolean, &S::DisplayRuler, host::NotifyHost | MenuSwitch),
        setting("AllowRTFSave", Boolean, &S::AllowRTFSave, host::NotifyHost | MenuSwitch),
    };
    return schema;
}

void XrRTB::propertyWritten(const char* key, unsigned effects)
{
    const auto& row = persistedProperties().row(QLatin1String(key));
    effects &= row.effects;
    if (effects & host::NotifyHost)
        emit PropertyChanged(QString::fromLatin1(row.key));
    if (effects & MenuSwitch)
        emit UpdateParentMenu();
}

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
    persistedProperties().place(*this);
}

void XrRTB::UserControl_ReadProperties(const host::PropertyBag& PropBag)
{
    // Settings are only stored: no UpdateParentMenu, and the layout follows the next resize.
    persistedProperties().read(*this, PropBag);
}

void XrRTB::UserControl_WriteProperties(host::PropertyBag& PropBag) const
{
    persistedProperties().write(*this, PropBag);
}
