#include "richtext/printing/Ruler.h"

#include "platform/host/Units.h"
#include "platform/runtime/VbNumbers.h"
#include "richtext/printing/PrinterTarget.h"

#include <QFont>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <cmath>

namespace {

constexpr QRgb SurfaceColour = 0xFFFFFF;
constexpr QRgb ShadeColour = 0xE5E5E5;
constexpr QRgb TickColour = 0x000000;

int pixelX(double twips)
{
    return int(std::lround(host::twipsToPixelsX(twips)));
}

int pixelY(double twips)
{
    return int(std::lround(host::twipsToPixelsY(twips)));
}

// The control's own font, which the inch numbers are printed in.
QFont rulerFont()
{
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    return font;
}

QImage surfaceImage(QRgb colour)
{
    QImage image(pixelX(ruler::ShadeWidth), pixelY(ruler::StripHeight), QImage::Format_RGB32);
    const double dpmX = 1440.0 / host::TwipsPerPixelX() / 0.0254;
    const double dpmY = 1440.0 / host::TwipsPerPixelY() / 0.0254;
    image.setDotsPerMeterX(int(std::lround(dpmX)));
    image.setDotsPerMeterY(int(std::lround(dpmY)));
    image.fill(colour);
    return image;
}

}  // namespace

Ruler::Ruler(QWidget* control, richedit::RichTextBox& window, richedit::TextDocument& textDocument,
             const int32_t& printerMargin, bool& undoSuspended)
    : QWidget(control),
      m_window(window),
      m_textDocument(textDocument),
      m_printerMargin(printerMargin),
      RulerUndoSuspended(undoSuspended),
      m_surface(blankSurface()),
      m_shadeRulerPic(makeShadeRulerPic()),
      m_masterPic(makeMasterPic())
{
    setObjectName(QStringLiteral("Ruler"));
    using Shape = IndentHandle::Shape;
    m_HIHandle =
        new IndentHandle(this, QStringLiteral("HIHandle"), QStringLiteral("Hanging Indent"),
                         Shape::PointingUp, ruler::HangingHandleTop);
    m_LIHandle = new IndentHandle(this, QStringLiteral("LIHandle"), QStringLiteral("Left Indent"),
                                  Shape::PointingDown, 0);
    m_RIHandle = new IndentHandle(this, QStringLiteral("RIHandle"), QStringLiteral("Right Indent"),
                                  Shape::PointingUp, 0);
    m_RIHandle->setLeft(ruler::PageWidth);

    const auto direct = Qt::DirectConnection;
    connect(m_LIHandle, &IndentHandle::MouseMove, this, &Ruler::LIHandle_MouseMove, direct);
    connect(m_HIHandle, &IndentHandle::MouseMove, this, &Ruler::HIHandle_MouseMove, direct);
    connect(m_RIHandle, &IndentHandle::MouseMove, this, &Ruler::RIHandle_MouseMove, direct);
    for (IndentHandle* handle : {m_LIHandle, m_HIHandle, m_RIHandle})
        connect(handle, &IndentHandle::MouseUp, this, &Ruler::handleReleased, direct);
}

// --- Drawing and shading ---

QImage Ruler::blankSurface() const
{
    return surfaceImage(SurfaceColour);
}

void Ruler::drawTicks(QImage& image)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(rulerFont());
    const QFontMetrics metrics(painter.font(), &image);
    const int bottom = pixelY(ruler::StripHeight);
    const auto tick = [&](float x, double top) {
        const int left = pixelX(x);
        const int from = pixelY(top);
        painter.fillRect(left, from, 1, bottom - from, QColor::fromRgb(TickColour));
    };
    // Groups of eight ticks from 1/8 inch; the half-inch tick of 8 1/2 inches ends the ruler.
    float x = float(ruler::TickStep + ruler::Zero);
    while (x < float(ruler::RightLimit)) {
        for (int i = 1; i <= 8; ++i) {
            const double inches = std::trunc(double(x) / ruler::TwipsPerInch);
            if (i == 8) {
                tick(x, 0);
                // The number is printed one label width right of the line, top at 0.
                const QString label = QStringLiteral(" %1").arg(int(inches));
                const int width = metrics.horizontalAdvance(label);
                painter.setPen(QColor::fromRgb(TickColour));
                painter.drawText(pixelX(x) + width, metrics.ascent(), label);
            } else if (i == 4) {
                tick(x, ruler::StripHeight - ruler::StripHeight * 0.5);
                if (inches == 8)
                    return;
            } else {
                tick(x, ruler::StripHeight - ruler::StripHeight * 0.125);
            }
            x += float(ruler::TickStep);
        }
    }
}

void Ruler::DrawRuler()
{
    drawTicks(m_surface);
    update();
}

void Ruler::ClearRuler()
{
    m_surface = blankSurface();
    update();
}

QImage Ruler::makeShadeRulerPic()
{
    QImage image = surfaceImage(ShadeColour);
    drawTicks(image);
    return image;
}

QImage Ruler::makeMasterPic()
{
    // A left-aligned tab stop: an L in the top part of the marker.
    QImage image(pixelX(ruler::MarkerWidth), pixelY(300), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QColor ink(0x20, 0x20, 0x20);
    const int w = image.width();
    const int foot = std::min(image.height(), pixelY(ruler::MarkerHeight)) - 3;
    painter.fillRect(1, foot - 7, 2, 8, ink);
    painter.fillRect(1, foot - 1, w - 2, 2, ink);
    return image;
}

void Ruler::ShadeRuler()
{
    int32_t start = 0;
    if (!PrinterTarget::PrinterInstalled()) {
        const double centre = m_RIHandle->Left() + m_RIHandle->Width() / 2;
        const double fromRight = vb::roundHalfEven(ruler::RightLimit - centre);
        start = SnapToGrid(int32_t(ruler::RightLimit - fromRight));
    } else {
        const int64_t s = (int64_t(m_printerMargin) + PrinterTarget::GetPrinterOffsetX()) * 2 - 315;
        const int64_t at = std::clamp<int64_t>(ruler::RightLimit - s, INT32_MIN, INT32_MAX);
        start = SnapToGrid(int32_t(at));
    }
    // The grey copy replaces the surface from the start rightwards, at the same place.
    const int from = std::max(0, pixelX(start));
    if (from < m_surface.width()) {
        QPainter painter(&m_surface);
        const QRect area(from, 0, m_shadeRulerPic.width() - from, m_surface.height());
        painter.drawImage(area.topLeft(), m_shadeRulerPic, area);
    }
    update();
}

// --- The widget ---

QRect Ruler::markerRect(int index)
{
    return QRect(ruler::markerLeft(index), 0, ruler::MarkerWidth, ruler::MarkerHeight);
}

int Ruler::markerAt(QPoint pixels) const
{
    const double x = host::pixelsToTwipsX(pixels.x() + 0.5);
    const double y = host::pixelsToTwipsY(pixels.y() + 0.5);
    // Neighbouring markers overlap by 30 twips; the later one lies on top.
    for (int index = ruler::TabMarkerCount - 1; index >= 0; --index) {
        const QRect r = markerRect(index);
        if (x >= r.left() && x < r.left() + r.width() && y >= r.top() && y < r.top() + r.height())
            return index;
    }
    return -1;
}

void Ruler::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(SurfaceColour));
    painter.drawImage(0, 0, m_surface);
    for (int index = 0; index < ruler::TabMarkerCount; ++index) {
        if (!m_markers[size_t(index)].showsPicture)
            continue;
        const QRect r = markerRect(index);
        const QRect target(pixelX(r.left()), pixelY(r.top()), pixelX(r.width()),
                           pixelY(r.height()));
        painter.drawImage(target.topLeft(), m_masterPic,
                          QRect(0, 0, target.width(), target.height()));
    }
}

void Ruler::mousePressEvent(QMouseEvent* event)
{
    m_pressedMarker =
        event->button() == Qt::LeftButton ? markerAt(event->position().toPoint()) : -1;
}

void Ruler::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = m_pressedMarker;
    m_pressedMarker = -1;
    // A click is a left press and release over the same marker.
    if (event->button() == Qt::LeftButton && pressed >= 0 &&
        markerAt(event->position().toPoint()) == pressed)
        Image1_Click(int16_t(pressed));
}

bool Ruler::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = markerAt(help->pos());
        const QString tip = index >= 0 ? m_markers[size_t(index)].ToolTipText : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this);
        }
        return true;
    }
    return QWidget::event(event);
}
