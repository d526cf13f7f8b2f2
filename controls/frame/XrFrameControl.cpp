#include "controls/frame/XrFrameControl.h"

#include "platform/host/KeyCodes.h"
#include "platform/host/PictureProperty.h"
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
    m_ambient.Font = QGuiApplication::font();
    m_Font = std::make_shared<QFont>(host::stdFontFrom(QGuiApplication::font()));
    m_IconSize = 16;
    m_ColorFrom = defaultColorFrom;
    m_ColorTo = defaultColorTo;
    m_TxtBoxShadow = NoShadow;
    m_ThemeColor = Blue;
    loadThemeColours();
    m_Enabled = true;
    m_TextBoxHeight = 22;
    m_Alignment = vbCenter;
    m_IconAlignment = vbLeftAligment;
    recomputeTextFlags();
    // The disabled look is known from the start, not only once a property bag was read.
    MakeDisabledColours();
    applyMinimumSize();
}

XrFrameControl::~XrFrameControl() = default;

// --- the interface, slot by slot --------------------------------------------------------

void XrFrameControl::LetFrameColor(host::OLE_COLOR value)
{
    m_FrameColor = host::TranslateOleColor(value);
    emit PropertyChanged(QStringLiteral("FrameColor"));
    Paint();
}

host::OLE_COLOR XrFrameControl::FrameColor() const
{
    return m_FrameColor;
}

void XrFrameControl::LetFillColor(host::OLE_COLOR value)
{
    m_FillColor = host::TranslateOleColor(value);
    emit PropertyChanged(QStringLiteral("FillColor"));
    Paint();
}

host::OLE_COLOR XrFrameControl::FillColor() const
{
    return m_FillColor;
}

void XrFrameControl::LetRoundedCornerTxtBox(bool value)
{
    m_RoundedCornerTxtBox = value;
    emit PropertyChanged(QStringLiteral("RoundedCornerTxtBox"));
    Paint();
}

bool XrFrameControl::RoundedCornerTxtBox() const
{
    return m_RoundedCornerTxtBox;
}

void XrFrameControl::LetEnabled(bool value)
{
    m_Enabled = value;
    emit PropertyChanged(QStringLiteral("Enabled"));
    Paint();
    SetContainedEnabled(value);
}

bool XrFrameControl::Enabled() const
{
    return m_Enabled;
}

void XrFrameControl::LetTxtBoxShadow(jcShadowConst value)
{
    m_TxtBoxShadow = value;
    emit PropertyChanged(QStringLiteral("TxtBoxShadow"));
    Paint();
}

jcShadowConst XrFrameControl::TxtBoxShadow() const
{
    return jcShadowConst(m_TxtBoxShadow);
}

void XrFrameControl::LetRoundedCorner(bool value)
{
    m_RoundedCorner = value;
    emit PropertyChanged(QStringLiteral("RoundedCorner"));
    Paint();
}

bool XrFrameControl::RoundedCorner() const
{
    return m_RoundedCorner;
}

void XrFrameControl::LetCaption(const QString& value)
{
    m_Caption = value;
    Paint();
}

QString XrFrameControl::Caption() const
{
    return m_Caption;
}

void XrFrameControl::LetAlignment(AlignmentConstants value)
{
    m_Alignment = value;
    recomputeTextFlags();
    emit PropertyChanged(QStringLiteral("Alignment"));
    Paint();
}

AlignmentConstants XrFrameControl::Alignment() const
{
    return AlignmentConstants(m_Alignment);
}

void XrFrameControl::LetStyle(jcStyleConst value)
{
    m_Style = value;
    emit PropertyChanged(QStringLiteral("Style"));
    applyStylePreset(value);
    Paint();
}

jcStyleConst XrFrameControl::Style() const
{
    return jcStyleConst(m_Style);
}

void XrFrameControl::LetTextBoxHeight(int value)
{
    m_TextBoxHeight = value;
    emit PropertyChanged(QStringLiteral("TextBoxHeight"));
    Paint();
}

int XrFrameControl::TextBoxHeight() const
{
    return m_TextBoxHeight;
}

void XrFrameControl::LetTextColor(host::OLE_COLOR value)
{
    m_TextColor = host::TranslateOleColor(value);
    emit PropertyChanged(QStringLiteral("TextColor"));
    Paint();
}

host::OLE_COLOR XrFrameControl::TextColor() const
{
    return m_TextColor;
}

void XrFrameControl::LetTextBoxColor(host::OLE_COLOR value)
{
    m_TextBoxColor = host::TranslateOleColor(value);
    emit PropertyChanged(QStringLiteral("TextBoxColor"));
    Paint();
}

host::OLE_COLOR XrFrameControl::TextBoxColor() const
{
    return m_TextBoxColor;
}

void XrFrameControl::LetBackColor(host::OLE_COLOR value)
{
    m_BackColor = host::TranslateOleColor(value);
    m_surface.setBackground(m_BackColor);
    emit PropertyChanged(QStringLiteral("BackColor"));
    Paint();
}

host::OLE_COLOR XrFrameControl::BackColor() const
{
    return m_BackColor;
}

// A font of nothing fails like any use of an unset object.
void XrFrameControl::SetFont(const StdFont& value)
{
    if (!value)
        vb::raiseError(vb::ErrObjectRequired, QStringLiteral("XrFrameControl"));
    copyFont(*value);
    emit PropertyChanged(QStringLiteral("Font"));
    Paint();
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
    emit PropertyChanged(QStringLiteral("Picture"));
    Paint();
}

std::int16_t XrFrameControl::IconSize() const
{
    return m_IconSize;
}

void XrFrameControl::LetIconSize(std::int16_t value)
{
    m_IconSize = value;
    emit PropertyChanged(QStringLiteral("IconSize"));
    Paint();
}

void XrFrameControl::LetIconAlignment(IconAlignConst value)
{
    m_IconAlignment = value;
    emit PropertyChanged(QStringLiteral("IconAlignment"));
    Paint();
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
    Paint();
    emit PropertyChanged(QStringLiteral("ThemeColor"));
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
    emit PropertyChanged(QStringLiteral("ColorFrom"));
    Paint();
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
    emit PropertyChanged(QStringLiteral("ColorTo"));
    Paint();
}

void XrFrameControl::LetHeaderStyle(jcHeaderConst value)
{
    m_HeaderStyle = value;
    emit PropertyChanged(QStringLiteral("HeaderStyle"));
    Paint();
}

jcHeaderConst XrFrameControl::HeaderStyle() const
{
    return jcHeaderConst(m_HeaderStyle);
}

void XrFrameControl::LetGradientHeaderStyle(jcGradConst value)
{
    m_GradientHeaderStyle = value;
    emit PropertyChanged(QStringLiteral("GradientHeaderStyle"));
    Paint();
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

void XrFrameControl::InitProperties()
{
    m_Caption = ambientDisplayName();
    m_BackColor = ambientBackColor();
    m_surface.setBackground(m_BackColor);
    m_FillColor = ambientBackColor();
    m_RoundedCorner = true;
    m_RoundedCornerTxtBox = false;
    m_Style = jcGradient;
    m_ThemeColor = Blue;
    loadThemeColours();
    m_TextColor = 0;
    m_FrameColor = 0;
    m_TextBoxColor = white;
    m_TxtBoxShadow = NoShadow;
    m_TextBoxHeight = 22;
    m_HeaderStyle = Gradient;
    m_GradientHeaderStyle = VerticalGradient;
    recomputeTextFlags();
    // A frame placed disabled needs its disabled look as much as one read from a bag.
    MakeDisabledColours();
}

// Colours come back as plain RGB: a system colour found in a bag is translated like one
// written through a setter.
void XrFrameControl::ReadProperties(const host::PropertyBag& PropBag)
{
    const gdi::COLORREF ambientBack = ambientBackColor();
    auto read = [&](const char* key, const QVariant& fallback) {
        return PropBag.ReadProperty(QString::fromLatin1(key), fallback);
    };
    m_FrameColor = colourValue(read("FrameColor", longValue(0)));
    m_BackColor = colourValue(read("BackColor", longValue(ambientBack)));
    m_FillColor = colourValue(read("FillColor", longValue(ambientBack)));
    m_TextBoxColor = colourValue(read("TextBoxColor", longValue(white)));
    m_TxtBoxShadow = read("TxtBoxShadow", NoShadow).toInt();
    m_Style = read("Style", jcGradient).toInt();
    m_RoundedCorner = read("RoundedCorner", true).toBool();
    m_Enabled = read("Enabled", true).toBool();
    m_RoundedCornerTxtBox = read("RoundedCornerTxtBox", false).toBool();
    m_Caption = read("Caption", ambientDisplayName()).toString();
    m_TextBoxHeight = read("TextBoxHeight", 22).toInt();
    m_TextColor = colourValue(read("TextColor", longValue(0)));
    m_Alignment = read("Alignment", vbCenter).toInt();
    m_IconAlignment = read("IconAlignment", vbLeftAligment).toInt();
    const QVariant font = read("Font", QVariant::fromValue(host::stdFontFrom(m_ambient.Font)));
    m_Picture = host::pictureFromProperty(read("Picture", QVariant()));
    m_IconSize = std::int16_t(read("IconSize", 16).toInt());
    m_ThemeColor = read("ThemeColor", Blue).toInt();
    m_ColorFrom = colourValue(read("ColorFrom", longValue(defaultColorFrom)));
    m_ColorTo = colourValue(read("ColorTo", longValue(defaultColorTo)));
    m_HeaderStyle = read("HeaderStyle", TxtBoxColor).toInt();
    m_GradientHeaderStyle = read("GradientHeaderStyle", VerticalGradient).toInt();

    m_surface.setBackground(m_BackColor);
    recomputeTextFlags();
    copyFont(font.canConvert<QFont>() ? font.value<QFont>() : m_ambient.Font);
    loadThemeColours();
    MakeDisabledColours();
    Paint();
}

void XrFrameControl::WriteProperties(host::PropertyBag& PropBag) const
{
    const gdi::COLORREF ambientBack = ambientBackColor();
    auto write = [&](const char* key, const QVariant& value, const QVariant& fallback) {
        PropBag.WriteProperty(QString::fromLatin1(key), value, fallback);
    };
    write("FrameColor", longValue(m_FrameColor), longValue(0));
    write("BackColor", longValue(m_BackColor), longValue(ambientBack));
    write("FillColor", longValue(m_FillColor), longValue(ambientBack));
    write("TextBoxColor", longValue(m_TextBoxColor), longValue(white));
    write("TxtBoxShadow", m_TxtBoxShadow, NoShadow);
    write("Style", m_Style, jcGradient);
    write("RoundedCorner", m_RoundedCorner, true);
    write("Enabled", m_Enabled, true);
    write("RoundedCornerTxtBox", m_RoundedCornerTxtBox, false);
    write("Caption", m_Caption, ambientDisplayName());
    write("TextBoxHeight", m_TextBoxHeight, 22);
    write("TextColor", longValue(m_TextColor), longValue(0));
    write("Alignment", m_Alignment, vbCenter);
    write("IconAlignment", m_IconAlignment, vbLeftAligment);
    write("Font", QVariant::fromValue(host::stdFontFrom(*m_Font)),
          QVariant::fromValue(host::stdFontFrom(m_ambient.Font)));
    if (!m_Picture.isNull())
        PropBag.WriteProperty(QStringLiteral("Picture"), host::pictureProperty(m_Picture));
    write("IconSize", int(m_IconSize), 16);
    write("ThemeColor", m_ThemeColor, Blue);
    write("ColorFrom", longValue(m_ColorFrom), longValue(defaultColorFrom));
    write("ColorTo", longValue(m_ColorTo), longValue(defaultColorTo));
    write("HeaderStyle", m_HeaderStyle, TxtBoxColor);
    write("GradientHeaderStyle", m_GradientHeaderStyle, VerticalGradient);
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
