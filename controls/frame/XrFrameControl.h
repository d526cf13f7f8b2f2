// XrFrameControl: the owner-drawn frame of the XrFrame library, a container for other
// controls with nine drawing styles, six colour themes, gradient headers, a caption with an
// optional icon, rounded corners and a disabled look.
#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/WidgetSurface.h"
#include "platform/host/AmbientProperties.h"
#include "platform/host/OleColor.h"
#include "platform/host/PropertyBag.h"
#include "platform/host/PropertySchema.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

namespace XrFrame {

// Enumerations of the library. Setters store values outside the lists as they come.
enum jcStyleConst : std::int32_t {
    XPDefault = 0,
    jcGradient = 1,
    TextBox = 2,
    Windows = 3,
    Messenger = 4,
    InnerWedge = 5,
    OuterWedge = 6,
    Header = 7,
    Panel = 8,
};

enum jcThemeConst : std::int32_t {
    Blue = 0,
    Silver = 1,
    Olive = 2,
    Visual2005 = 3,
    Norton2004 = 4,
    Custom = 5,
};

enum jcGradConst : std::int32_t {
    VerticalGradient = 0,
    HorizontalGradient = 1,
    VCilinderGradient = 2,
    HCilinderGradient = 3,
};

enum jcHeaderConst : std::int32_t {
    TxtBoxColor = 0,
    Gradient = 1,
};

// "No shadow" and Shadow.
enum jcShadowConst : std::int32_t {
    NoShadow = 0,
    Shadow = 1,
};

// Declared with the others; no member uses it.
enum jcBackStyleConst : std::int32_t {
    g_Opaque = 0,
    g_Transparent = 1,
};

enum IconAlignConst : std::int32_t {
    vbLeftAligment = 0,
    vbRightAligment = 1,
};

// Caption alignment.
enum AlignmentConstants : std::int32_t {
    vbLeftJustify = 0,
    vbRightJustify = 1,
    vbCenter = 2,
};

// What the container offers the controls placed on it. The display name defaults to the
// control's object name.
using AmbientProperties = host::AmbientProperties;

}  // namespace XrFrame

// The public members follow the control's interface slot by slot: a property's read is
// `Name()`, its write `LetName()`, and an object property's assignment `SetName()`. Colours
// are 0x00BBGGRR; a system colour (0x80000000 | index) is translated when written, and one
// that cannot be translated is stored as 0xFFFFFFFF (-1). Every write but `Caption` tells the
// host through PropertyChanged; every write repaints. A new frame starts as a placed one.
class XrFrameControl : public QWidget {
    Q_OBJECT

public:
    // The caption font: the control keeps its own object, which Font() hands out.
    using StdFont = std::shared_ptr<QFont>;

    explicit XrFrameControl(QWidget* parent = nullptr);
    ~XrFrameControl() override;

    void LetFrameColor(host::OLE_COLOR value);
    host::OLE_COLOR FrameColor() const;
    void LetFillColor(host::OLE_COLOR value);
    host::OLE_COLOR FillColor() const;
    void LetRoundedCornerTxtBox(bool value);
    bool RoundedCornerTxtBox() const;
    // Also sets "Enabled" of every control the frame contains.
    void LetEnabled(bool value);
    bool Enabled() const;
    void LetTxtBoxShadow(XrFrame::jcShadowConst value);
    XrFrame::jcShadowConst TxtBoxShadow() const;
    void LetRoundedCorner(bool value);
    bool RoundedCorner() const;
    void LetCaption(const QString& value);
    QString Caption() const;
    void LetAlignment(XrFrame::AlignmentConstants value);
    XrFrame::AlignmentConstants Alignment() const;
    // Applies the style's preset colours and options after notifying.
    void LetStyle(XrFrame::jcStyleConst value);
    XrFrame::jcStyleConst Style() const;
    void LetTextBoxHeight(int value);
    int TextBoxHeight() const;
    void LetTextColor(host::OLE_COLOR value);
    host::OLE_COLOR TextColor() const;
    void LetTextBoxColor(host::OLE_COLOR value);
    host::OLE_COLOR TextBoxColor() const;
    void LetBackColor(host::OLE_COLOR value);
    host::OLE_COLOR BackColor() const;
    // Both copy name, size, bold and italic of the given font into the control's own font.
    void SetFont(const StdFont& value);
    void LetFont(const StdFont& value);
    StdFont Font() const;
    QImage Picture() const;
    void SetPicture(const QImage& value);
    std::int16_t IconSize() const;
    void LetIconSize(std::int16_t value);
    void LetIconAlignment(XrFrame::IconAlignConst value);
    XrFrame::IconAlignConst IconAlignment() const;
    XrFrame::jcThemeConst ThemeColor() const;
    // Does nothing when the value is the current one.
    void LetThemeColor(XrFrame::jcThemeConst value);
    host::OLE_COLOR ColorFrom() const;
    void LetColorFrom(host::OLE_COLOR value);
    host::OLE_COLOR ColorTo() const;
    void LetColorTo(host::OLE_COLOR value);
    void LetHeaderStyle(XrFrame::jcHeaderConst value);
    XrFrame::jcHeaderConst HeaderStyle() const;
    void LetGradientHeaderStyle(XrFrame::jcGradConst value);
    XrFrame::jcGradConst GradientHeaderStyle() const;

    // --- hosting ---------------------------------------------------------------------------
    // The container's ambient values; set them before InitProperties or ReadProperties.
    void setAmbientProperties(const XrFrame::AmbientProperties& ambient);
    const XrFrame::AmbientProperties& ambientProperties() const { return m_ambient; }
    // First placement on a host: the defaults of a new frame, without notifying or painting.
    void InitProperties();
    // Every later load: the 22 persisted keys, then a paint. A stored value of the wrong type
    // fails with error 13, one outside its property's range with error 6.
    void ReadProperties(const host::PropertyBag& PropBag);
    void WriteProperties(host::PropertyBag& PropBag) const;
    // The smallest size, 700 x 400 twips, in whole pixels at the screen's dpi.
    QSize minimumFrameSize() const;

signals:
    // The mouse moved over the frame: buttons held (1 left, 2 right, 4 middle), shift state
    // (1 Shift, 2 Ctrl, 4 Alt) and the position in pixels.
    void MouseMove(short& Button, short& Shift, float& x, float& y);
    // A persisted property was written (the host's property-changed notification).
    void PropertyChanged(const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Where a style painter puts the caption and, for some styles, the icon.
    struct CaptionPlace {
        CaptionPlace() = default;
        CaptionPlace(const gdi::Rect& captionRect, int top = -1) : rect(captionRect), iconTop(top)
        {
        }
        gdi::Rect rect;
        int iconTop = -1;
        // Set by a style that lays the icon out beside its caption itself; the rectangle then
        // already leaves the icon's room out.
        std::optional<int> iconLeft;
    };

    // The persisted properties: keys, defaults, and what a write of each does.
    static const host::PropertySchema<XrFrameControl>& persistedProperties();
    // The effects the table gives `key` (among `effects`): notifying the host, repainting.
    void written(const char* key, unsigned effects = ~0u);

    // Colours, fonts and theme.
    gdi::COLORREF ambientBackColor() const;
    QString ambientDisplayName() const;
    void copyFont(const QFont& source);
    void recomputeTextFlags();
    void loadThemeColours();
    void MakeDisabledColours();
    void applyStylePreset(std::int32_t style);
    void SetContainedEnabled(bool value);
    void applyMinimumSize();

    // Painting.
    void Paint();
    void ResetWindowRegion();
    void measureCaption();
    void useWorkingColours();
    CaptionPlace paintStyle();
    bool drawsIcon() const;
    void makeIconRoom(CaptionPlace& place) const;
    void drawCaption(const gdi::Rect& rect);
    void drawIcon(int left, int top);
    void DrawRoundBox(bool bRounded, int radius, gdi::COLORREF fillColour, gdi::COLORREF lineColour,
                      const gdi::Rect& rect, bool bOutlineOnly);
    int paintWidth() const;
    int paintHeight() const;
    int headerHeight() const;

    // The style painters.
    CaptionPlace paintXPDefault();
    CaptionPlace paintGradient();
    CaptionPlace paintTextBox();
    CaptionPlace paintWindows();
    CaptionPlace paintMessenger();
    CaptionPlace paintInnerWedge();
    CaptionPlace paintOuterWedge();
    CaptionPlace paintHeader();
    CaptionPlace paintPanel();
    void paintGradientBody(int top);
    void paintMessengerGrip();
    void wedgeTab(int& t, int& g) const;

    // The control's surface: its bitmap and device context, and the fill and line colours
    // and fill style that its shape drawing uses.
    gdi::WidgetSurface m_surface;
    gdi::COLORREF m_surfaceFillColor = 0;
    gdi::COLORREF m_surfaceForeColor = 0;
    bool m_surfaceFillSolid = true;
    XrFrame::AmbientProperties m_ambient;

    // The persisted members take their first values from the property table when the frame is
    // made.
    gdi::COLORREF m_clrFrame = 0;
    gdi::COLORREF m_clrTextBox = 0;
    gdi::COLORREF m_BackColor = 0;
    gdi::COLORREF m_clrFill = 0;
    gdi::COLORREF m_clrDisFrame = 0;
    gdi::COLORREF m_clrDisTextBox = 0;
    gdi::COLORREF m_clrDisFill = 0;
    gdi::COLORREF m_clrDisGradLight = 0;
    gdi::COLORREF m_clrDisGradDark = 0;
    gdi::COLORREF m_clrDisTheme = 0;
    gdi::COLORREF m_FrameColor = 0;
    gdi::COLORREF m_TextBoxColor = 0;
    gdi::COLORREF m_FillColor = 0;
    gdi::COLORREF m_clrThemeLight = 0;
    gdi::COLORREF m_clrThemeDark = 0;
    gdi::COLORREF m_clrThemeText = 0;
    QString m_Caption;
    bool m_Enabled = false;
    std::int32_t m_TextBoxHeight = 0;
    std::int32_t m_lCaptionHeight = 0;
    std::int32_t m_lCaptionWidth = 0;
    std::int32_t m_lHeaderTop = 3;
    gdi::COLORREF m_TextColor = 0;
    std::int32_t m_Alignment = 0;
    StdFont m_Font;
    bool m_RoundedCorner = false;
    bool m_RoundedCornerTxtBox = false;
    std::int32_t m_Style = 0;
    std::int32_t m_HeaderStyle = 0;
    std::int32_t m_GradientHeaderStyle = 0;
    QImage m_Picture;
    std::int16_t m_IconSize = 0;
    std::int32_t m_IconAlignment = 0;
    std::int32_t m_ThemeColor = 0;
    gdi::COLORREF m_ColorTo = 0;
    gdi::COLORREF m_ColorFrom = 0;
    std::int16_t m_iIconGap = 15;
    std::int16_t m_iTextGap = 6;
    std::int32_t m_TxtBoxShadow = XrFrame::NoShadow;
    std::int32_t m_lHalfCaption = 0;
    std::int32_t m_lTextFlags = 0;
    gdi::COLORREF m_clrGradLight = 0;
    gdi::COLORREF m_clrGradDark = 0;
    gdi::COLORREF m_clrTheme = 0;
};
