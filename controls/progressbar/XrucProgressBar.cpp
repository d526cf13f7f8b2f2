#include "controls/progressbar/XrucProgressBar.h"

#include "controls/progressbar/LongArithmetic.h"
#include "platform/gdi/ColourLines.h"
#include "platform/host/PictureProperty.h"
#include "platform/host/StdFont.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"

#include <QPaintEvent>
#include <QPainter>

using namespace XrSpecStatusBar;

namespace {

constexpr std::int32_t highlightSystemColor = std::int32_t(0x8000000Du);

}  // namespace

XrucProgressBar::XrucProgressBar(QWidget* parent) : QWidget(parent), m_surface(this, 0xFFFFFF)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetFont(std::make_shared<QFont>(host::newStdFont()));
    LetHDC(&m_surface.dc());
    m_hwnd = this;
    m_Max = 100;
    m_Min = 0;
    m_lPercent = 0;
    m_Orientation = ccOrientationHorizontal;
    m_Scrolling = ccScrollingStandard;
    LetColor(host::OLE_COLOR(highlightSystemColor));
    DrawProgressBar();
}

XrucProgressBar::~XrucProgressBar()
{
    releaseMemDC();
}

// --- the interface, slot by slot --------------------------------------------------------

void XrucProgressBar::DrawLine(int X, int Y, int Width, int Height, gdi::DeviceContext* cHdc,
                               int Color)
{
    if (cHdc)
        gdi::colourLine(*cHdc, X, Y, Width, Height, gdi::COLORREF(TranslateColor(Color)));
}

void XrucProgressBar::pDraw(gdi::DeviceContext* hDC, int xSrc, int ySrc, int WidthSrc,
                            int HeightSrc, int xDst, int yDst)
{
    if (WidthSrc < 1)
        WidthSrc = m_lMemWidth;
    if (HeightSrc < 1)
        HeightSrc = m_lMemHeight;
    // Without a memory device context the transfer has no source and does nothing.
    if (!hDC || !m_hMemDC)
        return;
    hDC->bitBlt(xDst, yDst, WidthSrc, HeightSrc, *m_hMemDC, xSrc, ySrc, gdi::SRCCOPY);
}

void XrucProgressBar::LetBrushStyle(BrushStyle value)
{
    m_BrushStyle = value;
    emit PropertyChanged(QStringLiteral("BrushStyle"));
}

void XrucProgressBar::LetDoubleValOnMetal(bool value)
{
    m_DoubleValOnMetal = value;
    DrawProgressBar();
}

bool XrucProgressBar::DoubleValOnMetal() const
{
    return m_DoubleValOnMetal;
}

host::OLE_COLOR XrucProgressBar::Color() const
{
    return host::OLE_COLOR(m_Color);
}

void XrucProgressBar::LetColor(host::OLE_COLOR value)
{
    m_Color = TranslateColor(std::int32_t(value));
    DrawProgressBar();
}

host::OLE_COLOR XrucProgressBar::Color2() const
{
    return host::OLE_COLOR(m_Color2);
}

void XrucProgressBar::LetColor2(host::OLE_COLOR value)
{
    m_Color2 = TranslateColor(std::int32_t(value));
    DrawProgressBar();
}

XrucProgressBar::StdFont XrucProgressBar::Font() const
{
    return m_Font;
}

void XrucProgressBar::SetFont(const StdFont& value)
{
    m_Font = value;
}

void XrucProgressBar::LetFont(const StdFont& value)
{
    SetFont(value);
}

QWidget* XrucProgressBar::hwnd() const
{
    return m_hwnd;
}

void XrucProgressBar::LetHwnd(QWidget* value)
{
    m_hwnd = value;
}

gdi::DeviceContext* XrucProgressBar::hDC() const
{
    return m_hDC;
}

// A new memory bitmap only when the surface has grown past the one there is; a smaller
// surface keeps the larger bitmap.
void XrucProgressBar::LetHDC(gdi::DeviceContext* /*value*/)
{
    const int width = QWidget::width();
    const int height = QWidget::height();
    if (!m_hMemDC) {
        if (width + height > 0)
            makeMemDC(width, height);
    } else if (height > m_lMemHeight || width > m_lMemWidth) {
        makeMemDC(width, height);
    }
    m_hDC = m_hMemDC ? m_hMemDC.get() : &m_surface.dc();
    if (m_hMemDC)
        m_bUseMemDC = true;
}

XrucProgressBar::Picture XrucProgressBar::Image() const
{
    return m_Image;
}

void XrucProgressBar::SetImage(const Picture& value)
{
    m_Image = value;
    emit PropertyChanged(QStringLiteral("Image"));
    DrawProgressBar();
}

int XrucProgressBar::Min() const
{
    return m_Min;
}

// A lower bound equal to the upper one would leave no range to divide by: such a write is
// ignored (and so is the same for Max).
void XrucProgressBar::LetMin(int value)
{
    if (value == m_Max)
        return;
    m_Min = value;
    emit PropertyChanged(QStringLiteral("Min"));
}

int XrucProgressBar::Max() const
{
    return m_Max;
}

void XrucProgressBar::LetMax(int value)
{
    if (value == m_Min)
        return;
    m_Max = value;
    emit PropertyChanged(QStringLiteral("Max"));
}

cOrientation XrucProgressBar::Orientation() const
{
    return cOrientation(m_Orientation);
}

void XrucProgressBar::LetOrientation(cOrientation value)
{
    m_Orientation = value;
    emit PropertyChanged(QStringLiteral("Orientation"));
    DrawProgressBar();
}

cScrolling XrucProgressBar::Scrolling() const
{
    return cScrolling(m_Scrolling);
}

void XrucProgressBar::LetScrolling(cScrolling value)
{
    m_Scrolling = value;
    emit PropertyChanged(QStringLiteral("Scrolling"));
    DrawProgressBar();
}

bool XrucProgressBar::ShowText() const
{
    return m_ShowText;
}

void XrucProgressBar::LetShowText(bool value)
{
    m_ShowText = value;
    emit PropertyChanged(QStringLiteral("ShowText"));
    DrawProgressBar();
}

int XrucProgressBar::Value() const
{
    return valueFromPercent(m_lPercent);
}

void XrucProgressBar::LetValue(int value)
{
    m_lPercent = percentFromValue(value);
    DrawProgressBar();
}

int XrucProgressBar::Value2() const
{
    return valueFromPercent(m_lPercent2);
}

void XrucProgressBar::LetValue2(int value)
{
    m_lPercent2 = percentFromValue(value);
    DrawProgressBar();
}

// --- value and percentage ---------------------------------------------------------------

// (Value - Min) x 100 in Long arithmetic, divided by (Max - Min) in double precision and
// rounded halves to even; anything outside the Long range is the overflow error.
int XrucProgressBar::percentFromValue(int value) const
{
    const std::int32_t offset = checkedLong(std::int64_t(value) - m_Min);
    const std::int32_t product = checkedLong(std::int64_t(offset) * 100);
    const std::int32_t range = checkedLong(std::int64_t(m_Max) - m_Min);
    return roundLong(double(product) / double(range));
}

int XrucProgressBar::valueFromPercent(int percent) const
{
    const std::int32_t range = checkedLong(std::int64_t(m_Max) - m_Min);
    return roundLong(double(percent) / 100.0 * double(range) + double(m_Min));
}

// --- persistence ------------------------------------------------------------------------

void XrucProgressBar::WriteProperties(host::PropertyBag& PropBag) const
{
    // A font of nothing has no stored form: the bag then keeps no font, and a bar read from
    // it keeps its own.
    if (m_Font)
        PropBag.WriteProperty(QStringLiteral("Font"), QVariant::fromValue(*m_Font));
    PropBag.WriteProperty(QStringLiteral("BrushStyle"), m_BrushStyle, QVariant(4));
    PropBag.WriteProperty(QStringLiteral("Color"), m_Color, QVariant(highlightSystemColor));
    if (!m_Image.isNull())
        PropBag.WriteProperty(QStringLiteral("Image"), host::pictureProperty(m_Image.toImage()));
    PropBag.WriteProperty(QStringLiteral("Max"), m_Max, QVariant(100));
    PropBag.WriteProperty(QStringLiteral("Min"), m_Min, QVariant(0));
    PropBag.WriteProperty(QStringLiteral("Orientation"), m_Orientation, QVariant(0));
    PropBag.WriteProperty(QStringLiteral("Scrolling"), m_Scrolling, QVariant(0));
    PropBag.WriteProperty(QStringLiteral("ShowText"), m_ShowText, QVariant(false));
    PropBag.WriteProperty(QStringLiteral("Value"), m_lPercent, QVariant(0));
    PropBag.WriteProperty(QStringLiteral("Value2"), m_lPercent2, QVariant(0));
    PropBag.WriteProperty(QStringLiteral("Color2"), m_Color2, QVariant(highlightSystemColor));
    PropBag.WriteProperty(QStringLiteral("DoubleValOnMetal"), m_DoubleValOnMetal, QVariant(false));
}

// "Value" and "Value2" hold the stored percentages, so they come back as they are rather than
// through the setters, which would convert them once more with the bounds. A bag without a
// font keeps the font the control has.
void XrucProgressBar::ReadProperties(const host::PropertyBag& PropBag)
{
    const QVariant font = PropBag.ReadProperty(QStringLiteral("Font"));
    if (font.typeId() == QMetaType::QFont)
        SetFont(std::make_shared<QFont>(font.value<QFont>()));
    m_BrushStyle = PropBag.ReadProperty(QStringLiteral("BrushStyle"), 4).toInt();
    LetColor(host::OLE_COLOR(
        PropBag.ReadProperty(QStringLiteral("Color"), highlightSystemColor).toInt()));
    LetColor2(host::OLE_COLOR(
        PropBag.ReadProperty(QStringLiteral("Color2"), highlightSystemColor).toInt()));
    m_Image = gdi::Bitmap::fromImage(
        host::pictureFromProperty(PropBag.ReadProperty(QStringLiteral("Image"))));
    restoreBounds(PropBag.ReadProperty(QStringLiteral("Max"), 100).toInt(),
                  PropBag.ReadProperty(QStringLiteral("Min"), 0).toInt());
    LetOrientation(cOrientation(PropBag.ReadProperty(QStringLiteral("Orientation"), 0).toInt()));
    LetScrolling(cScrolling(PropBag.ReadProperty(QStringLiteral("Scrolling"), 0).toInt()));
    LetShowText(PropBag.ReadProperty(QStringLiteral("ShowText"), false).toBool());
    m_lPercent = PropBag.ReadProperty(QStringLiteral("Value"), 0).toInt();
    DrawProgressBar();
    m_lPercent2 = PropBag.ReadProperty(QStringLiteral("Value2"), 0).toInt();
    DrawProgressBar();
    m_DoubleValOnMetal = PropBag.ReadProperty(QStringLiteral("DoubleValOnMetal"), false).toBool();
}

// Max and Min come back as a pair, notified as their setters notify; a pair with no range
// between them is handed to the setters, which keep the bar's own bounds.
void XrucProgressBar::restoreBounds(int maxValue, int minValue)
{
    if (maxValue == minValue) {
        LetMax(maxValue);
        LetMin(minValue);
        return;
    }
    m_Max = maxValue;
    emit PropertyChanged(QStringLiteral("Max"));
    m_Min = minValue;
    emit PropertyChanged(QStringLiteral("Min"));
}

// --- memory device context --------------------------------------------------------------

void XrucProgressBar::makeMemDC(int width, int height)
{
    releaseMemDC();
    auto memoryDc = std::make_unique<gdi::DeviceContext>();
    const gdi::Bitmap bitmap = gdi::Bitmap::create(width, height);
    if (bitmap.isNull())
        return;
    m_hOldBitmap = memoryDc->selectBitmap(bitmap);
    m_hMemBitmap = bitmap;
    m_hMemDC = std::move(memoryDc);
    m_lMemWidth = width;
    m_lMemHeight = height;
}

void XrucProgressBar::releaseMemDC()
{
    if (m_hMemDC && !m_hOldBitmap.isNull())
        m_hMemDC->selectBitmap(m_hOldBitmap);
    m_hOldBitmap = {};
    m_hMemBitmap = {};
    if (m_hDC == m_hMemDC.get())
        m_hDC = &m_surface.dc();
    m_hMemDC.reset();
    m_lMemWidth = 0;
    m_lMemHeight = 0;
}

// --- the control's own events -----------------------------------------------------------

// A paint that fails (an overflow from an extreme value) leaves what was drawn; the event has
// no caller to hand the error to.
void XrucProgressBar::paintEvent(QPaintEvent* event)
{
    m_inPaintEvent = true;
    try {
        DrawProgressBar();
    } catch (const vb::VbError&) {
    }
    m_inPaintEvent = false;
    QPainter painter(this);
    m_surface.present(painter, event->rect());
}

void XrucProgressBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_surface.resizeToWidget();
    LetHDC(&m_surface.dc());
}
