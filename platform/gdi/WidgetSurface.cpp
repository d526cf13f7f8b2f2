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
    if (!m_bitmap.isNull() && m_bitmap.width() == width && m_bitmap.height() == height)
        return;
    Bitmap resized = Bitmap::create(width, height);
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

void WidgetSurface::present(QPainter& painter, const QRect& exposed) const
{
    painter.drawImage(exposed, m_bitmap.image(), exposed);
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
