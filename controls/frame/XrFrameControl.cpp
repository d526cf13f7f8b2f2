#include "controls/frame/XrFrameControl.h"

#include "platform/host/KeyCodes.h"
#include "platform/host/PropertySchema.h"
#include "platform/host/StdFont.h"
#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

using namespace XrFrame;

namespace {

constexpr gdi::COLORREF white = 0xFFFFFF;
constexpr host::OLE_COLOR inactiveBorder = 0x8000000Bu;
constexpr host::OLE_COLOR light3D = 0x80000016u;
constexpr host::OLE_COLOR buttonFace = 0x8000000Fu;
constexpr gdi::COLORREF defaultColorFrom = 0x9E9EFF;
constexpr gdi::COLORREF defaultColorTo = 0xF0F0FF;
constexpr double minimumWidthTwips = 700.0;
constexpr double minimumHeightTwips = 400.0;

// The smallest whole number of pixels covering that length (a hair of slack keeps exact
// conversions exact).
int wholePixels(double pixels)
{
    return int(std::ceil(pixels - 1e-9));
}

struct ThemeColours {
    gdi::COLORREF dark;
    gdi::COLORREF light;
    gdi::COLORREF accent;
};

ThemeColours themeColours(std::int32_t theme)
{
    switch (theme) {
        case Blue:
            return {gdi::RGB(129, 169, 226), gdi::RGB(221, 236, 254), gdi::RGB(0, 0, 128)};
        case Olive:
            return {gdi::RGB(181, 197, 143), gdi::RGB(247, 249, 225), gdi::RGB(63, 93, 56)};
        case Visual2005:
            return {gdi::RGB(194, 194, 171), gdi::RGB(248, 248, 242), gdi::RGB(145, 145, 115)};
        case Norton2004:
            return {gdi::RGB(217, 172, 1), gdi::RGB(255, 239, 165), gdi::RGB(117, 91, 30)};
        default:
            return {gdi::RGB(153, 151, 180), gdi::RGB(244, 244, 251), gdi::RGB(75, 75, 111)};
    }
}

// The colours and alignment every style preset sets.
struct StylePreset {
    gdi::COLORREF textColor;
    gdi::COLORREF frameColor;
    gdi::COLORREF textBoxColor;
    std::int32_t alignment;
};

constexpr StylePreset stylePresets[] = {
    {0xCF3603, gdi::RGB(195, 195, 195), white, vbLeftJustify},  // XPDefault
    {0, 0, white, vbCenter},                                    // jcGradient
    {0, 0x6A6A6A, 0xB0EFF0, vbCenter},                          // TextBox
    {0, 0, 0xB0EFF0, vbCenter},                                 // Windows
    {0, 0, white, vbCenter},                                    // Messenger
    {white, 0xC0, 0xC0, vbLeftJustify},                         // InnerWedge
    {white, 0xA60000, 0xA60000, vbLeftJustify},                 // OuterWedge
    {0xCF3603, gdi::RGB(195, 195, 195), white, vbLeftJustify},  // Header
    {0, 0, white, vbCenter},                                    // Panel
};

// What most property writes do besides storing.
constexpr unsigned notifyAndRedraw = host::NotifyHost | host::Redraw;

QVariant longValue(gdi::COLORREF colour)
{
    return QVariant(std::int32_t(colour));
}

gdi::COLORREF colourValue(const QVariant& value)
{
    return host::TranslateOleColor(host::OLE_COLOR(std::int32_t(value.toLongLong())));
}

}  // namespace

XrFrameControl::XrFrameControl(QWidget* parent)
    : QWidget(parent), m_surface(this, host::TranslateOleColor(buttonFace))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Until a host says otherwise its font is the standard one, and so is the frame's.
    m_ambient.Font = host::newStdFont();
    m_Font = std::make_shared<QFont>(host::newStdFont());
    // A frame a host shows before placing it or reading its bag looks like a placed one.
    InitProperties();
    applyMinimumSize();
}

XrFrameControl::~XrFrameControl() = default;

// --- the interface, slot by slot --------------------------------------------------------

void XrFrameControl::LetFrameColor(host::OLE_COLOR value)
{
    m_FrameColor = host::TranslateOleColor(value);
    written("FrameColor");
}

host::OLE_COLOR XrFrameControl::FrameColor() const
{
    return m_FrameColor;
}

void XrFrameControl::LetFillColor(host::OLE_COLOR value)
{
    m_FillColor = host::TranslateOleColor(value);
    written("FillColor");
}

host::OLE_COLOR XrFrameControl::FillColor() const
{
    return m_FillColor;
}

void XrFrameControl::LetRoundedCornerTxtBox(bool value)
{
    m_RoundedCornerTxtBox = value;
    written("RoundedCornerTxtBox");
}

bool XrFrameControl::RoundedCornerTxtBox() const
{
    return m_RoundedCornerTxtBox;
}

void XrFrameControl::LetEnabled(bool value)
{
    m_Enabled = value;
    written("Enabled");
    SetContainedEnabled(value);
}

bool XrFrameControl::Enabled() const
{
    return m_Enabled;
}

void XrFrameControl::LetTxtBoxShadow(jcShadowConst value)
{
    m_TxtBoxShadow = value;
    written("TxtBoxShadow");
}

jcShadowConst XrFrameControl::TxtBoxShadow() const
{
    return jcShadowConst(m_TxtBoxShadow);
}

void XrFrameControl::LetRoundedCorner(bool value)
{
    m_RoundedCorner = value;
    written("RoundedCorner");
}

bool XrFrameControl::RoundedCorner() const
{
    return m_RoundedCorner;
}

void XrFrameControl::LetCaption(const QString& value)
{
    m_Caption = value;
    written("Caption");
}

QString XrFrameControl::Caption() const
{
    return m_Caption;
}

void XrFrameControl::LetAlignment(AlignmentConstants value)
{
    m_Alignment = value;
    recomputeTextFlags();
    written("Alignment");
}

AlignmentConstants XrFrameControl::Alignment() const
{
    return AlignmentConstants(m_Alignment);
}

void XrFrameControl::LetStyle(jcStyleConst value)
{
    m_Style = value;
    written("Style", host::NotifyHost);
    applyStylePreset(value);
    written("Style", host::Redraw);
}

jcStyleConst XrFrameControl::Style() const
{
    return jcStyleConst(m_Style);
}

void XrFrameControl::LetTextBoxHeight(int value)
{
    m_TextBoxHeight = value;
    written("TextBoxHeight");
}

int XrFrameControl::TextBoxHeight() const
{
    return m_TextBoxHeight;
}

void XrFrameControl::LetTextColor(host::OLE_COLOR value)
{
    m_TextColor = host::TranslateOleColor(value);
    written("TextColor");
}

host::OLE_COLOR XrFrameControl::TextColor() const
{
    return m_TextColor;
}

void XrFrameControl::LetTextBoxColor(host::OLE_COLOR value)
{
    m_TextBoxColor = host::TranslateOleColor(value);
    written("TextBoxColor");
}

host::OLE_COLOR XrFrameControl::TextBoxColor() const
{
    return m_TextBoxColor;
}

void XrFrameControl::LetBackColor(host::OLE_COLOR value)
{
    m_BackColor = host::TranslateOleColor(value);
    m_surface.setBackground(m_BackColor);
    written("BackColor");
}

host::OLE_COLOR XrFrameControl::BackColor() const
{
    return m_BackColor;
}

// A font of nothing fails like any use of an unset object.
void XrFrameControl::SetFont(const StdFont& value)
{
    if (!value)
        vb::raiseError(vb::ErrObjectVariableNotSet, QStringLiteral("XrFrameControl"));
    copyFont(*value);
    written("Font");
}

void XrFrameControl::LetFont(const StdFont& value)
{
    SetFont(value);
}

XrFrameControl::StdFont XrFrameControl::Font() const
{
    return m_Font;
}

QImage XrFrameControl::Picture() const
{
    return m_Picture;
}

void XrFrameControl::SetPicture(const QImage& value)
{
    m_Picture = value;
    written("Picture");
}

std::int16_t XrFrameControl::IconSize() const
{
    return m_IconSize;
}

void XrFrameControl::LetIconSize(std::int16_t value)
{
    m_IconSize = value;
    written("IconSize");
}

void XrFrameControl::LetIconAlignment(IconAlignConst value)
{
    m_IconAlignment = value;
    written("IconAlignment");
}

IconAlignConst XrFrameControl::IconAlignment() const
{
    return IconAlignConst(m_IconAlignment);
}

jcThemeConst XrFrameControl::ThemeColor() const
{
    return jcThemeConst(m_ThemeColor);
}

void XrFrameControl::LetThemeColor(jcThemeConst value)
{
    if (value == m_ThemeColor)
        return;
    m_ThemeColor = value;
    loadThemeColours();
    written("ThemeColor", host::Redraw);
    written("ThemeColor", host::NotifyHost);
}

host::OLE_COLOR XrFrameControl::ColorFrom() const
{
    return m_ColorFrom;
}

void XrFrameControl::LetColorFrom(host::OLE_COLOR value)
{
    m_ColorFrom = host::TranslateOleColor(value);
    if (m_ThemeColor == Custom)
        m_clrThemeDark = m_ColorFrom;
    written("ColorFrom");
}

host::OLE_COLOR XrFrameControl::ColorTo() const
{
    return m_ColorTo;
}

void XrFrameControl::LetColorTo(host::OLE_COLOR value)
{
    m_ColorTo = host::TranslateOleColor(value);
    if (m_ThemeColor == Custom)
        m_clrThemeLight = m_ColorTo;
    written("ColorTo");
}

void XrFrameControl::LetHeaderStyle(jcHeaderConst value)
{
    m_HeaderStyle = value;
    written("HeaderStyle");
}

jcHeaderConst XrFrameControl::HeaderStyle() const
{
    return jcHeaderConst(m_HeaderStyle);
}

void XrFrameControl::LetGradientHeaderStyle(jcGradConst value)
{
    m_GradientHeaderStyle = value;
    written("GradientHeaderStyle");
}

jcGradConst XrFrameControl::GradientHeaderStyle() const
{
    return jcGradConst(m_GradientHeaderStyle);
}

// --- hosting ----------------------------------------------------------------------------

void XrFrameControl::setAmbientProperties(const AmbientProperties& ambient)
{
    m_ambient = ambient;
}

// The 22 keys in their order. Reading and first placement store straight into the members,
// without notifying or painting; colours come in as plain RGB, a system colour found in a bag
// translated like one written through a setter.
const host::PropertySchema<XrFrameControl>& XrFrameControl::persistedProperties()
{
    using host::PropertyType;
    using Row = host::PropertyRow<XrFrameControl>;
    const auto constant = &Row::constant;
    const auto ambientBack = [](const XrFrameControl& frame) {
        return longValue(frame.ambientBackColor());
    };
    const auto member = [](const char* key, PropertyType type, Row::Value defaultValue, auto field,
                           unsigned effects = notifyAndRedraw) {
        using Value = std::remove_cvref_t<decltype(std::declval<XrFrameControl>().*field)>;
        return Row{
            .key = key,
            .type = type,
            .defaultValue = std::move(defaultValue),
            .get = [type, field](
                       const XrFrameControl& frame) { return host::toStored(type, frame.*field); },
            .put = [field](
                       XrFrameControl& frame,
                       const QVariant& value) { frame.*field = host::fromStored<Value>(value); },
            .effects = effects,
        };
    };
    const auto colour = [](const char* key, Row::Value defaultValue,
                           gdi::COLORREF XrFrameControl::*field) {
        return Row{
            .key = key,
            .type = PropertyType::Long,
            .defaultValue = std::move(defaultValue),
            .get = [field](const XrFrameControl& frame) { return longValue(frame.*field); },
            .put = [field](XrFrameControl& frame,
                           const QVariant& value) { frame.*field = colourValue(value); },
            .effects = notifyAndRedraw,
        };
    };
    using F = XrFrameControl;
    constexpr auto Long = PropertyType::Long;
    constexpr auto Boolean = PropertyType::Boolean;

    static const host::PropertySchema<XrFrameControl> schema{
        colour("FrameColor", constant(longValue(0)), &F::m_FrameColor),
        colour("BackColor", ambientBack, &F::m_BackColor),
        colour("FillColor", ambientBack, &F::m_FillColor),
        colour("TextBoxColor", constant(longValue(white)), &F::m_TextBoxColor),
        member("TxtBoxShadow", Long, constant(int(NoShadow)), &F::m_TxtBoxShadow),
        member("Style", Long, constant(int(jcGradient)), &F::m_Style),
        member("RoundedCorner", Boolean, constant(true), &F::m_RoundedCorner),
        member("Enabled", Boolean, constant(true), &F::m_Enabled),
        member("RoundedCornerTxtBox", Boolean, constant(false), &F::m_RoundedCornerTxtBox),
        member(
            "Caption", PropertyType::String,
            [](const XrFrameControl& frame) { return frame.ambientDisplayName(); }, &F::m_Caption,
            host::Redraw),
        member("TextBoxHeight", Long, constant(22), &F::m_TextBoxHeight),
        colour("TextColor", constant(longValue(0)), &F::m_TextColor),
        member("Alignment", Long, constant(int(vbCenter)), &F::m_Alignment),
        member("IconAlignment", Long, constant(int(vbLeftAligment)), &F::m_IconAlignment),
        Row{
            .key = "Font",
            .type = PropertyType::Font,
            .defaultValue =
                [](const XrFrameControl& frame) {
                    return QVariant::fromValue(host::stdFontFrom(frame.m_ambient.Font));
                },
            .get =
                [](const XrFrameControl& frame) {
                    return QVariant::fromValue(host::stdFontFrom(*frame.m_Font));
                },
            .put = [](XrFrameControl& frame,
                      const QVariant& value) { frame.copyFont(value.value<QFont>()); },
            .effects = notifyAndRedraw,
        },
        member("Picture", PropertyType::Picture, constant(QVariant::fromValue(QImage())),
               &F::m_Picture),
        member("IconSize", PropertyType::Integer, constant(16), &F::m_IconSize),
        member("ThemeColor", Long, constant(int(Blue)), &F::m_ThemeColor),
        colour("ColorFrom", constant(longValue(defaultColorFrom)), &F::m_ColorFrom),
        colour("ColorTo", constant(longValue(defaultColorTo)), &F::m_ColorTo),
        Row{
            .key = "HeaderStyle",
            .type = Long,
            .defaultValue = constant(int(TxtBoxColor)),
            .get = [](const XrFrameControl& frame) { return frame.m_HeaderStyle; },
            .put = [](XrFrameControl& frame,
                      const QVariant& value) { frame.m_HeaderStyle = value.toInt(); },
            .effects = notifyAndRedraw,
            // A placed frame has a gradient header, one read from a bag without the key none.
            .placement = Row::Placement::Own,
            .placed = constant(int(Gradient)),
        },
        member("GradientHeaderStyle", Long, constant(int(VerticalGradient)),
               &F::m_GradientHeaderStyle),
    };
    return schema;
}

void XrFrameControl::written(const char* key, unsigned effects)
{
    effects &= persistedProperties().row(QLatin1String(key)).effects;
    if (effects & host::NotifyHost)
        emit PropertyChanged(QString::fromLatin1(key));
    if (effects & host::Redraw)
        Paint();
}

// First placement also takes the host's font, so that a placed frame keeps no font in its bag
// until it is given one of its own.
void XrFrameControl::InitProperties()
{
    persistedProperties().place(*this);
    m_surface.setBackground(m_BackColor);
    loadThemeColours();
    recomputeTextFlags();
    // A frame placed disabled needs its disabled look as much as one read from a bag.
    MakeDisabledColours();
}

void XrFrameControl::ReadProperties(const host::PropertyBag& PropBag)
{
    persistedProperties().read(*this, PropBag);
    m_surface.setBackground(m_BackColor);
    recomputeTextFlags();
    loadThemeColours();
    MakeDisabledColours();
    Paint();
}

void XrFrameControl::WriteProperties(host::PropertyBag& PropBag) const
{
    persistedProperties().write(*this, PropBag);
}

QSize XrFrameControl::minimumFrameSize() const
{
    return QSize(wholePixels(host::twipsToPixelsX(minimumWidthTwips)),
                 wholePixels(host::twipsToPixelsY(minimumHeightTwips)));
}

// --- state helpers ----------------------------------------------------------------------

gdi::COLORREF XrFrameControl::ambientBackColor() const
{
    return host::TranslateOleColor(m_ambient.BackColor);
}

QString XrFrameControl::ambientDisplayName() const
{
    return m_ambient.DisplayName.isEmpty() ? objectName() : m_ambient.DisplayName;
}

// The control keeps its own font object; whoever handed the font over keeps theirs.
void XrFrameControl::copyFont(const QFont& source)
{
    *m_Font = host::stdFontFrom(source);
}

// Single line, vertically centred, and left, right or centred.
void XrFrameControl::recomputeTextFlags()
{
    const unsigned base = gdi::DT_SINGLELINE | gdi::DT_VCENTER;
    switch (m_Alignment) {
        case vbLeftJustify:
            m_lTextFlags = std::int32_t(base | gdi::DT_LEFT);
            break;
        case vbRightJustify:
            m_lTextFlags = std::int32_t(base | gdi::DT_RIGHT);
            break;
        default:
            m_lTextFlags = std::int32_t(base | gdi::DT_CENTER);
            break;
    }
}

// The Custom theme's accent is the working frame colour, which each paint picks (it differs
// while the frame is disabled).
void XrFrameControl::loadThemeColours()
{
    if (m_ThemeColor == Custom) {
        m_clrThemeDark = m_ColorFrom;
        m_clrThemeLight = m_ColorTo;
        m_clrThemeText = m_clrFrame;
        return;
    }
    const ThemeColours colours = themeColours(m_ThemeColor);
    m_clrThemeDark = colours.dark;
    m_clrThemeLight = colours.light;
    m_clrThemeText = colours.accent;
}

void XrFrameControl::MakeDisabledColours()
{
    m_clrDisFrame = host::TranslateOleColor(inactiveBorder);
    m_clrDisTheme = host::TranslateOleColor(inactiveBorder);
    m_clrDisTextBox = host::TranslateOleColor(light3D);
    m_clrDisFill = ambientBackColor();
    m_clrDisGradLight = host::TranslateOleColor(buttonFace);
    m_clrDisGradDark = host::TranslateOleColor(buttonFace);
}

// The presets write the members directly, without notifying. A preset that chooses the Blue
// theme shows its colours at once, as a frame read back from its bag would.
void XrFrameControl::applyStylePreset(std::int32_t style)
{
    if (style < XPDefault || style > Panel)
        return;
    const StylePreset& preset = stylePresets[style];
    m_TextColor = preset.textColor;
    m_FrameColor = preset.frameColor;
    m_TextBoxColor = preset.textBoxColor;
    m_Alignment = preset.alignment;
    auto chooseBlueTheme = [this] {
        m_ThemeColor = Blue;
        loadThemeColours();
    };
    switch (style) {
        case jcGradient:
            chooseBlueTheme();
            break;
        case TextBox:
            m_RoundedCornerTxtBox = true;
            m_FillColor = ambientBackColor();
            break;
        case Windows:
            m_RoundedCorner = true;
            m_RoundedCornerTxtBox = false;
            m_FillColor = 0xE0FFFF;
            m_GradientHeaderStyle = HorizontalGradient;
            m_HeaderStyle = TxtBoxColor;
            break;
        case Messenger:
            chooseBlueTheme();
            m_GradientHeaderStyle = VerticalGradient;
            m_HeaderStyle = TxtBoxColor;
            break;
        case Panel:
            chooseBlueTheme();
            m_GradientHeaderStyle = VCilinderGradient;
            m_HeaderStyle = Gradient;
            break;
        default:
            m_FillColor = ambientBackColor();
            break;
    }
    m_TextBoxHeight = 22;
    recomputeTextFlags();
}

// Every control placed on the frame gets the same state through its "Enabled" property when
// it has one, else through the widget's own enabled state; one that refuses it is passed over.
void XrFrameControl::SetContainedEnabled(bool value)
{
    const auto contained = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* control : contained) {
        if (control->isWindow())
            continue;
        if (control->metaObject()->indexOfProperty("Enabled") >= 0)
            control->setProperty("Enabled", value);
        else
            control->setEnabled(value);
    }
}

void XrFrameControl::applyMinimumSize()
{
    const QSize smallest = minimumFrameSize();
    if (minimumSize() != smallest)
        setMinimumSize(smallest);
}

// --- the control's own events -----------------------------------------------------------

void XrFrameControl::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    m_surface.present(painter, event->rect());
}

void XrFrameControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyMinimumSize();
    Paint();
}

void XrFrameControl::mouseMoveEvent(QMouseEvent* event)
{
    short button = short(host::mouseButtonsMask(event->buttons()));
    short shift = short(host::shiftMask(event->modifiers()));
    float x = float(event->position().x());
    float y = float(event->position().y());
    emit MouseMove(button, shift, x, y);
    QWidget::mouseMoveEvent(event);
}
