// The view's mouse: MouseDown, MouseMove, MouseUp, Click and DblClick, caret placement,
// drag selection and the double-click word.
#include "platform/host/KeyCodes.h"
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/RichTextView.h"
#include "platform/richedit/view/ViewInput.h"

#include <QMouseEvent>
#include <cmath>

namespace richedit {

RichTextView::MouseArgs RichTextView::mouseArgs(const QMouseEvent& event, int button) const
{
    const QPointF twips = host::pixelsToTwips(event.position());
    return {button, host::shiftMask(event.modifiers()), float(twips.x()), float(twips.y())};
}

QPoint RichTextView::layoutPoint(float xTw, float yTw) const
{
    // Twips from the client corner to twips of the formatting rectangle.
    const double tpp = twipsPerPixel();
    const auto clampToInt = [](double value) {
        return int(std::clamp<double>(std::round(value), INT32_MIN / 2, INT32_MAX / 2));
    };
    return {clampToInt(xTw - m_insets.left() * tpp), clampToInt(yTw - m_insets.top() * tpp)};
}

int32_t RichTextView::positionAt(float xTw, float yTw)
{
    return m_engine->layout().charFromPointTw(layoutPoint(xTw, yTw));
}

void RichTextView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_engine)
        return;
    const QPointer<RichTextView> self(this);
    MouseArgs args = mouseArgs(*event, host::mouseButtonCode(event->button()));
    m_afterDoubleClick = false;
    emit MouseDown(args.button, args.shift, args.x, args.y);
    if (!self || !m_engine)
        return;
    // Only the left button edits the selection: a right-click keeps it for the context menu
    // and the middle button pastes nothing.
    if (args.button != host::vbLeftButton)
        return;
    m_pressed = true;
    m_dragging = true;
    const int32_t position = positionAt(args.x, args.y);
    const bool extend = (args.shift & host::vbShiftMask) != 0;
    m_engine->session().select(extend ? m_engine->anchor() : position, position);
}

void RichTextView::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_engine)
        return;
    const QPointer<RichTextView> self(this);
    MouseArgs args = mouseArgs(*event, host::mouseButtonsMask(event->buttons()));
    emit MouseMove(args.button, args.shift, args.x, args.y);
    if (!self || !m_engine || !m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    m_engine->session().select(m_engine->anchor(), positionAt(args.x, args.y));
}

void RichTextView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_engine)
        return;
    const QPointer<RichTextView> self(this);
    MouseArgs args = mouseArgs(*event, host::mouseButtonCode(event->button()));
    const bool left = event->button() == Qt::LeftButton;
    // The drag is over before MouseUp: its handler sees the final caret.
    if (left)
        m_dragging = false;
    const bool click = left && m_pressed && !m_afterDoubleClick;
    if (left) {
        m_pressed = false;
        m_afterDoubleClick = false;
    }
    emit MouseUp(args.button, args.shift, args.x, args.y);
    if (!self || !click)
        return;
    emit Click();
}

void RichTextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_engine)
        return;
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);  // another button's second press is a plain press
        return;
    }
    const QPointer<RichTextView> self(this);
    MouseArgs args = mouseArgs(*event, host::vbLeftButton);
    m_afterDoubleClick = true;
    m_pressed = true;
    m_dragging = false;
    emit DblClick();
    if (!self || !m_engine)
        return;
    selectWordAt(args.x, args.y);
}

void RichTextView::selectWordAt(float xTw, float yTw)
{
    Engine& engine = *m_engine;
    QPoint point = layoutPoint(xTw, yTw);
    point.rx() += m_horizontalOffsetTw;
    const int32_t character = viewinput::characterAt(engine, point);
    if (character < 0) {
        const int32_t position = positionAt(xTw, yTw);
        engine.session().select(position, position);
        return;
    }
    const CharRange word = viewinput::wordSelection(engine.document(), character);
    engine.session().select(word.cpMin, word.cpMax);
}

}  // namespace richedit
