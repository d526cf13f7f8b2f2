// The drawing surface of a widget: a backing bitmap the size of the widget at the widget's
// device pixel ratio, with its own device context (the window's device context), shown by
// the widget's paint event.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiTypes.h"

#include <memory>

class QPainter;
class QPaintEvent;
class QWidget;

namespace gdi {

// Typical use in a control:
//   resizeEvent: surface.resizeToWidget();
//   paintEvent:  draw through surface.dc(), then surface.present(painter, event->rect());
//   elsewhere:   draw through surface.dc(), then surface.invalidate().
class WidgetSurface {
public:
    explicit WidgetSurface(QWidget* widget, COLORREF background = 0xFFFFFF);

    // The window's device context; it stays the same object for the surface's life, while
    // the bitmap under it follows the widget's size.
    DeviceContext& dc() { return *m_dc; }
    const Bitmap& bitmap() const { return m_bitmap; }

    COLORREF background() const { return m_background; }
    void setBackground(COLORREF color) { m_background = color & 0xFFFFFFu; }

    // Gives the bitmap the widget's current size and device pixel ratio: what overlaps is
    // kept, new pixels take the background colour.
    void resizeToWidget();
    // Fills the whole bitmap with the background colour (Cls).
    void clear();
    // Draws the bitmap onto the widget (call from its paint event).
    void present(QPainter& painter, const QRect& exposed) const;
    // Schedules a repaint of the widget so that drawing done outside its paint event shows.
    void invalidate();

private:
    QWidget* m_widget;
    COLORREF m_background;
    Bitmap m_bitmap;
    std::unique_ptr<DeviceContext> m_dc;
};

// GetClientRect: (0, 0, width, height) of the widget; empty for none.
Rect clientRect(const QWidget* widget);

}  // namespace gdi
