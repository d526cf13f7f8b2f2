#include "controls/progressbar/XrucProgressBar.h"

#include "controls/progressbar/LongArithmetic.h"
#include "platform/gdi/ColourLines.h"
#include "platform/host/PropertySchema.h"
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
    written("BrushStyle");
}

void XrucProgressBar::LetDoubleValOnMetal(bool value)
{
    m_DoubleValOnMetal = value;
    written("DoubleValOnMetal");
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
    written("Color");
}

host::OLE_COLOR XrucProgressBar::Color2() const
{
    return host::OLE_COLOR(m_Color2);
}

void XrucProgressBar::LetColor2(host::OLE_COLOR value)
{
    m_Color2 = TranslateColor(std::int32_t(value));
    written("Color2");
}

XrucProgressBar::StdFont XrucProgressBar::Font() const
{
    return m_Font;
}

// Stores the reference only: the host is not told and the bar not redrawn.
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
    written("Image");
}

int XrucProgressBar::Min() const
{
    return m_Min;
}

// Every bound is kept, also one that leaves the range empty for a while: a host may write the
// two in either order. The conversion copes with an empty range.
void XrucProgressBar::LetMin(int value)
{
    m_Min = value;
    written("Min");
}

int XrucProgressBar::Max() const
{
    return m_Max;
}

void XrucProgressBar::LetMax(int value)
{
    m_Max = value;
    written("Max");
}

cOrientation XrucProgressBar::Orientation() const
{
    return cOrientation(m_Orientation);
}

void XrucProgressBar::LetOrientation(cOrientation value)
{
    m_Orientation = value;
    written("Orientation");
}

cScrolling XrucProgressBar::Scrolling() const
{
    return cScrolling(m_Scrolling);
}

void XrucProgressBar::LetScrolling(cScrolling value)
{
    m_Scrolling = value;
    written("Scrolling");
}

bool XrucProgressBar::ShowText() const
{
    return m_ShowText;
}

void XrucProgressBar::LetShowText(bool value)
{
    m_ShowText = value;
    written("ShowText");
}

int XrucProgressBar::Value() const
{
    return valueFromPercent(m_lPercent);
}

void XrucProgressBar::LetValue(int value)
{
    m_lPercent = percentFromValue(value);
    written("Value");
}

int XrucProgressBar::Value2() const
{
    return valueFromPercent(m_lPercent2);
}

void XrucProgressBar::LetValue2(int value)
{
    m_lPercent2 = percentFromValue(value);
    written("Value2");
}

// --- value and percentage ---------------------------------------------------------------

// (Value - Min) x 100 in Long arithmetic, divided by (Max - Min) in double precision and
// rounded halves to even; anything outside the Long range is the overflow error. An empty
// range shows nothing: 0 %.
int XrucProgressBar::percentFromValue(int value) const
{
    const std::int32_t offset = checkedLong(std::int64_t(value) - m_Min);
    const std::int32_t product = checkedLong(std::int64_t(offset) * 100);
    const std::int32_t range = checkedLong(std::int64_t(m_Max) - m_Min);
    if (range == 0)
        return 0;
    return roundLong(double(product) / double(range));
}

int XrucProgressBar::valueFromPercent(int percent) const
{
    const std::int32_t range = checkedLong(std::int64_t(m_Max) - m_Min);
    return roundLong(double(percent) / 100.0 * double(range) + double(m_Min));
}

// --- persistence ------------------------------------------------------------------------

// The 13 keys in the order they are written; reading restores the colours first and the bounds
// before the values. "Value" and "Value2" hold the stored percentages, so they come back as
// they are rather than through the setters, which would convert them once more with the
// bounds. The properties read through their setters notify and redraw as those do.
const host::PropertySchema<XrucProgressBar>& XrucProgressBar::persistedProperties()
{
    using host::PropertyType;
    using Row = host::PropertyRow<XrucProgressBar>;
    using Bar = XrucProgressBar;
    const auto constant = &Row::constant;
    constexpr auto Long = PropertyType::Long;
    constexpr auto Boolean = PropertyType::Boolean;
    constexpr unsigned notifyAndRedraw = host::NotifyHost | host::Redraw;

    // A member, read back through `put` or, without one, straight into the member.
    const auto member = [](const char* key, PropertyType type, const QVariant& defaultValue,
                           auto field, unsigned effects, Row::Put put = {}) {
        using Value = std::remove_cvref_t<decltype(std::declval<Bar>().*field)>;
        if (!put)
            put = [field](Bar& bar, const QVariant& v) { bar.*field = host::fromStored<Value>(v); };
        return Row{
            .key = key,
            .type = type,
            .defaultValue = Row::constant(defaultValue),
            .get = [type, field](const Bar& bar) { return host::toStored(type, bar.*field); },
            .put = std::move(put),
            .effects = effects,
        };
    };
    // A stored percentage comes back as it is, redrawn as a write of its value redraws.
    const auto percentage = [member](const char* key, std::int32_t Bar::*field) {
        return member(key, Long, 0, field, host::Redraw, [key, field](Bar& bar, const QVariant& v) {
            bar.*field = v.toInt();
            bar.written(key);
        });
    };

    static const host::PropertySchema<XrucProgressBar> schema(
        {
            // No default: always written. A font of nothing has no stored form, and a bag
            // without a font leaves the bar its own.
            Row{
                .key = "Font",
                .type = PropertyType::Font,
                .get =
                    [](const Bar& bar) {
                        return bar.m_Font ? QVariant::fromValue(*bar.m_Font) : QVariant();
                    },
                .put =
                    [](Bar& bar, const QVariant& v) {
                        bar.SetFont(std::make_shared<QFont>(v.value<QFont>()));
                    },
            },
            member("BrushStyle", Long, 4, &Bar::m_BrushStyle, host::NotifyHost),
            member("Color", Long, highlightSystemColor, &Bar::m_Color, host::Redraw,
                   [](Bar& bar, const QVariant& v) { bar.LetColor(host::OLE_COLOR(v.toInt())); }),
            Row{
                .key = "Image",
                .type = PropertyType::Picture,
                .defaultValue = constant(QVariant::fromValue(QImage())),
                .get = [](const Bar& bar) { return QVariant::fromValue(bar.m_Image.toImage()); },
                .put =
                    [](Bar& bar, const QVariant& v) {
                        bar.m_Image = gdi::Bitmap::fromImage(v.value<QImage>());
                    },
                .effects = notifyAndRedraw,
            },
            member("Max", Long, 100, &Bar::m_Max, host::NotifyHost,
                   [](Bar& bar, const QVariant& v) { bar.LetMax(v.toInt()); }),
            member("Min", Long, 0, &Bar::m_Min, host::NotifyHost,
                   [](Bar& bar, const QVariant& v) { bar.LetMin(v.toInt()); }),
            member(
                "Orientation", Long, 0, &Bar::m_Orientation, notifyAndRedraw,
                [](Bar& bar, const QVariant& v) { bar.LetOrientation(cOrientation(v.toInt())); }),
            member("Scrolling", Long, 0, &Bar::m_Scrolling, notifyAndRedraw,
                   [](Bar& bar, const QVariant& v) { bar.LetScrolling(cScrolling(v.toInt())); }),
            member("ShowText", Boolean, false, &Bar::m_ShowText, notifyAndRedraw,
                   [](Bar& bar, const QVariant& v) { bar.LetShowText(v.toBool()); }),
            percentage("Value", &Bar::m_lPercent),
            percentage("Value2", &Bar::m_lPercent2),
            member("Color2", Long, highlightSystemColor, &Bar::m_Color2, host::Redraw,
                   [](Bar& bar, const QVariant& v) { bar.LetColor2(host::OLE_COLOR(v.toInt())); }),
            member("DoubleValOnMetal", Boolean, false, &Bar::m_DoubleValOnMetal, host::Redraw),
        },
        {"Font", "BrushStyle", "Color", "Color2", "Image", "Max", "Min", "Orientation", "Scrolling",
         "ShowText", "Value", "Value2", "DoubleValOnMetal"});
    return schema;
}

void XrucProgressBar::written(const char* key)
{
    const unsigned effects = persistedProperties().row(QLatin1String(key)).effects;
    if (effects & host::NotifyHost)
        emit PropertyChanged(QString::fromLatin1(key));
    if (effects & host::Redraw)
        DrawProgressBar();
}

void XrucProgressBar::WriteProperties(host::PropertyBag& PropBag) const
{
    persistedProperties().write(*this, PropBag);
}

void XrucProgressBar::ReadProperties(const host::PropertyBag& PropBag)
{
    persistedProperties().read(*this, PropBag);
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
