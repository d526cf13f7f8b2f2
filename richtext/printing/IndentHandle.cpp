#include "richtext/printing/IndentHandle.h"

#include "platform/host/Units.h"
#include "richtext/printing/RulerGeometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <cmath>

int mouseButtonsOf(Qt::MouseButtons buttons)
{
    return (buttons.testFlag(Qt::LeftButton) ? 1 : 0) |
           (buttons.testFlag(Qt::RightButton) ? 2 : 0) |
           (buttons.testFlag(Qt::MiddleButton) ? 4 : 0);
}

int shiftStateOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

IndentHandle::IndentHandle(QWidget* ruler, const QString& name, const QString& toolTip, Shape shape,
                           float top)
    : QWidget(ruler), m_shape(shape), m_top(top)
{
    setObjectName(name);
    setToolTip(toolTip);
    setCursor(Qt::SizeHorCursor);
    place();
}

float IndentHandle::Width() const
{
    return float(ruler::HandleSize);
}

void IndentHandle::setLeft(float twips)
{
    m_left = twips;
    place();
}

void IndentHandle::place()
{
    const int size = int(std::lround(host::twipsToPixelsX(ruler::HandleSize)));
    setGeometry(int(std::lround(host::twipsToPixelsX(m_left))),
                int(std::lround(host::twipsToPixelsY(m_top))), size, size);
}

void IndentHandle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const int mid = w / 2;
    QPolygon outline;
    if (m_shape == Shape::PointingDown)
        outline << QPoint(0, 0) << QPoint(w - 1, 0) << QPoint(w - 1, h / 2) << QPoint(mid, h - 1)
                << QPoint(mid - 1, h - 1) << QPoint(0, h / 2);
    else
        outline << QPoint(mid - 1, 0) << QPoint(mid, 0) << QPoint(w - 1, h / 2)
                << QPoint(w - 1, h - 1) << QPoint(0, h - 1) << QPoint(0, h / 2);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.setBrush(QColor(0xD8, 0xDE, 0xE8));
    painter.drawPolygon(outline);
}

void IndentHandle::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void IndentHandle::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    emit MouseMove(mouseButtonsOf(event->buttons()), shiftStateOf(event->modifiers()),
                   float(host::pixelsToTwipsX(at.x())), float(host::pixelsToTwipsY(at.y())));
}

void IndentHandle::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    emit MouseUp(mouseButtonsOf(event->button()), shiftStateOf(event->modifiers()),
                 float(host::pixelsToTwipsX(at.x())), float(host::pixelsToTwipsY(at.y())));
}
