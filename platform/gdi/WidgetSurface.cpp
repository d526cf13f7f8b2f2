#include "platform/gdi/WidgetSurface.h"

#include "platform/gdi/Pixels.h"

#include <QPainter>
#include <QWidget>

namespace gdi {

WidgetSurface::WidgetSurface(QWidget* widget, COLORREF background)
    : m_widget(widget), m_background(background & 0xFFFFFFu)
{
    m_dc = std::make_unique<DeviceContext>(Bitmap());
    resizeToWidget();
}

void WidgetSurface::resizeToWidget()
{
    const int width = std::max(1, m_widget ? m_widget->width() : 1);
    const int height = std::max(1, m_widget ? m_widget->height() : 1);
    const double ratio = m_widget ? m_widget->devicePixelRatioF() : 1.0;
    if (!m_bitmap.isNull() && m_bitmap.width() == width && m_bitmap.height() == height &&
        m_bitmap.devicePixelRatio() == ratio)
        return;
    Bitmap resized = Bitmap::create(width, height, ratio);
    if (resized.isNull())
        return;
    resized.image().fill(pixels::fromColorref(m_background));
    if (!m_bitmap.isNull()) {
        QPainter painter(&resized.image());
        painter.drawImage(0, 0, m_bitmap.image());
    }
    m_bitmap = resized;
    m_dc->selectBitmap(m_bitmap);
}

void WidgetSurface::clear()
{
    m_bitmap.image().fill(pixels::fromColorref(m_background));
}

// The exposed part, device pixel for device pixel when the widget's ratio is the bitmap's.
void WidgetSurface::present(QPainter& painter, const QRect& exposed) const
{
    const QRect source = m_bitmap.grid().toDevice(exposed, m_bitmap.image().size());
    if (!source.isEmpty())
        painter.drawImage(exposed & m_bitmap.rect(), m_bitmap.image(), source);
}

void WidgetSurface::invalidate()
{
    if (m_widget)
        m_widget->update();
}

Rect clientRect(const QWidget* widget)
{
    if (!widget)
        return {};
    return {0, 0, widget->width(), widget->height()};
}

}  // namespace gdi
