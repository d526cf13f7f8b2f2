// XrucProgressBar: the owner-drawn progress bar of the XrSpecStatusBar library, with ten
// drawing styles, a second value, percentage text and hatch or picture fills, painted into a
// memory device context and copied onto the control in one transfer.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/WidgetSurface.h"
#include "platform/host/OleColor.h"
#include "platform/host/PropertyBag.h"
#include "platform/host/PropertySchema.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

namespace XrSpecStatusBar {

// Enumerations of the library. Values outside the lists are stored as they come. The
// custom-brush fill hands its style straight to the hatch brush, so BrushStyle is the device
// layer's own list.
using BrushStyle = gdi::HatchStyle;
using enum gdi::HatchStyle;

enum cScrolling : std::int32_t {
    ccScrollingStandard = 0,
    ccScrollingSmooth = 1,
    ccScrollingSearch = 2,
    ccScrollingOfficeXP = 3,
    ccScrollingPastel = 4,
    ccScrollingJavT = 5,
    ccScrollingMediaPlayer = 6,
    ccScrollingCustomBrush = 7,
    ccScrollingPicture = 8,
    ccScrollingMetallic = 9,
};

enum cOrientation : std::int32_t {
    ccOrientationHorizontal = 0,
    ccOrientationVertical = 1,
};

}  // namespace XrSpecStatusBar

// The public members follow the control's interface slot by slot: a property's read is
// `Name()`, its write `LetName()`, and an object property's assignment `SetName()`.
// Colours are 0x00BBGGRR; a system colour (0x80000000 | index) is translated when written.
// Members that fail (an overflow in the value conversion or in the drawing arithmetic, a text
// font of nothing) throw vb::VbError; what was stored before the failing step stays.
class XrucProgressBar : public QWidget {
    Q_OBJECT

public:
    // A font or picture reference shared with whoever handed it over.
    using StdFont = std::shared_ptr<QFont>;
    using Picture = gdi::Bitmap;

    explicit XrucProgressBar(QWidget* parent = nullptr);
    ~XrucProgressBar() override;

    void DrawProgressBar();
    // A line from (X, Y) to (Width, Height), end point left out, in the translated colour.
    void DrawLine(int X, int Y, int Width, int Height, gdi::DeviceContext* cHdc, int Color);
    // Lines from lEndColor to lStartcolor: columns X .. X + X2 from row Y to row Y2 when bH,
    // else rows Y .. Y + Y2 from column X to column X2. Both colours are translated in place.
    // Never fails.
    void DrawGradient(int& lEndColor, int& lStartcolor, int X, int Y, int X2, int Y2,
                      gdi::DeviceContext* hDC, bool bH = false);
    // Copies the memory image to hDC; sizes below 1 mean the memory bitmap's.
    void pDraw(gdi::DeviceContext* hDC, int xSrc = 0, int ySrc = 0, int WidthSrc = 0,
               int HeightSrc = 0, int xDst = 0, int yDst = 0);
    void LetBrushStyle(XrSpecStatusBar::BrushStyle value);
    void LetDoubleValOnMetal(bool value);
    bool DoubleValOnMetal() const;
    host::OLE_COLOR Color() const;
    void LetColor(host::OLE_COLOR value);
    host::OLE_COLOR Color2() const;
    void LetColor2(host::OLE_COLOR value);
    StdFont Font() const;
    void SetFont(const StdFont& value);
    void LetFont(const StdFont& value);
    QWidget* hwnd() const;
    void LetHwnd(QWidget* value);
    gdi::DeviceContext* hDC() const;
    // The argument is not used: makes sure of the memory device context for the current size.
    void LetHDC(gdi::DeviceContext* value);
    Picture Image() const;
    void SetImage(const Picture& value);
    int Min() const;
    void LetMin(int value);
    int Max() const;
    void LetMax(int value);
    XrSpecStatusBar::cOrientation Orientation() const;
    void LetOrientation(XrSpecStatusBar::cOrientation value);
    XrSpecStatusBar::cScrolling Scrolling() const;
    void LetScrolling(XrSpecStatusBar::cScrolling value);
    bool ShowText() const;
    void LetShowText(bool value);
    int Value() const;
    void LetValue(int value);
    int Value2() const;
    void LetValue2(int value);

    // Persistence through the host's property bag. A stored value of the wrong type fails with
    // error 13, one outside its property's range with error 6.
    void ReadProperties(const host::PropertyBag& PropBag);
    void WriteProperties(host::PropertyBag& PropBag) const;

signals:
    // A persisted property was written (the host's property-changed notification).
    void PropertyChanged(const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Memory device context.
    void makeMemDC(int width, int height);
    void releaseMemDC();
    // Value <-> stored percentage.
    int percentFromValue(int value) const;
    int valueFromPercent(int percent) const;

    // The persisted properties: keys, defaults, and what a write of each does.
    static const host::PropertySchema<XrucProgressBar>& persistedProperties();
    // Notifies the host and redraws as the table says for `key`.
    void written(const char* key);

    // Colour and rectangle helpers.
    static int TranslateColor(int colour);
    static int LightenColor(int colour, int amount);
    static int MixColors(int colourA, int colourB, int amount);
    static void FrameRectColor(const gdi::Rect& rect, int colour, gdi::DeviceContext* dc);
    static void FillRectColor(const gdi::Rect& rect, int colour, gdi::DeviceContext* dc);

    // Painters.
    void CalcBlockBar();
    void FillBlockBar();
    void DrawBlockSeparators();
    void DrawBlockFrame();
    void PaintFlatFill();
    void PaintPastelGradient();
    void PaintTrackGradient();
    void PaintDarkGradient();
    void PaintHatchFill();
    void PaintPatternFill();
    void PaintMetalBar();
    void DrawBarText();
    void CenterTextRect(const QString& text);
    void DrawTextOverBar(const QString& text, double fill);
    void gradient(int endColor, int startColor, int x, int y, int x2, int y2, bool bH);
    void line(int x1, int y1, int x2, int y2, int colour);

    // The control's window surface (its own device context and background).
    gdi::WidgetSurface m_surface;
    bool m_inPaintEvent = false;

    std::int32_t m_Color = 0;
    std::int32_t m_Color2 = 0;
    gdi::DeviceContext* m_hDC = nullptr;
    QPointer<QWidget> m_hwnd;  // a window that goes away reads as none
    std::int32_t m_Max = 100;
    std::int32_t m_Min = 0;
    std::int32_t m_lPercent = 0;
    std::int32_t m_lPercent2 = 0;
    bool m_DoubleValOnMetal = false;
    bool m_ShowText = false;
    std::int32_t m_Scrolling = XrSpecStatusBar::ccScrollingStandard;
    std::int32_t m_Orientation = XrSpecStatusBar::ccOrientationHorizontal;
    std::int32_t m_BrushStyle = XrSpecStatusBar::HS_HORIZONTAL;
    Picture m_Image;
    bool m_bUseMemDC = false;
    std::unique_ptr<gdi::DeviceContext> m_hMemDC;
    gdi::Bitmap m_hMemBitmap;
    gdi::Bitmap m_hOldBitmap;
    StdFont m_oTextFont;
    StdFont m_Font;
    gdi::Font m_hOldFont;
    std::int32_t m_lMemWidth = 0;
    std::int32_t m_lMemHeight = 0;
    double m_dFillFraction = 0.0;
    gdi::Rect m_rcClient;
    gdi::Rect m_rcBar;
    gdi::Rect m_rcSeparator;
    gdi::Rect m_rcText;
    std::int32_t m_lBlockSize = 0;
    std::int32_t m_lBlockGap = 0;
};
