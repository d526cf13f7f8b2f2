#include "platform/widgets/XrUCbutton.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int padding = 4;
constexpr int gap = 4;
constexpr qreal cornerRadius = 3.0;

}  // namespace

XrUCbutton::XrUCbutton(QWidget* parent) : QAbstractButton(parent)
{
    // Toolbar buttons leave the keyboard focus in the document.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setIconSize(QSize(16, 16));
    connect(this, &QAbstractButton::clicked, this, &XrUCbutton::Click);
}

void XrUCbutton::setCaption(const QString& caption)
{
    setText(caption);
    updateGeometry();
}

void XrUCbutton::setPicture(const QIcon& picture)
{
    setIcon(picture);
    updateGeometry();
}

void XrUCbutton::setToggle(bool toggle)
{
    setCheckable(toggle);
    update();
}

host::OLE_COLOR XrUCbutton::BackColor() const
{
    return m_backColor.value_or(host::SystemColorFlag | host::COLOR_BTNFACE);
}

void XrUCbutton::setBackColor(host::OLE_COLOR color)
{
    m_backColor = color;
    update();
}

QSize XrUCbutton::sizeHint() const
{
    int width = 0;
    int height = 0;
    if (!icon().isNull()) {
        width = iconSize().width();
        height = iconSize().height();
    }
    if (!text().isEmpty()) {
        const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
        width += textSize.width() + (width > 0 ? gap : 0);
        height = std::max(height, textSize.height());
    }
    return QSize(width + 2 * padding + 2, height + 2 * padding + 2).expandedTo(QSize(24, 24));
}

void XrUCbutton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintFace(painter);
    paintContent(painter);
}

void XrUCbutton::paintFace(QPainter& painter) const
{
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool down = isDown() || isChecked();
    const bool hot = isEnabled() && underMouse();
    const QColor highlight = palette().color(QPalette::Highlight);

    QColor fill = Qt::transparent;
    if (m_backColor) {
        const QColor face = host::colorFromOleColor(*m_backColor);
        fill = face.isValid() ? face : palette().color(QPalette::Button);
    }
    QColor border = m_backColor ? palette().color(QPalette::Mid) : QColor(Qt::transparent);
    if (down) {
        fill = m_backColor ? fill.darker(115)
                           : QColor(highlight.red(), highlight.green(), highlight.blue(), 70);
        border = highlight.darker(120);
    } else if (hot) {
        fill = m_backColor ? fill.lighter(110)
                           : QColor(highlight.red(), highlight.green(), highlight.blue(), 35);
        border = highlight;
    }
    painter.setPen(border.alpha() ? QPen(border) : QPen(Qt::NoPen));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, cornerRadius, cornerRadius);
}

void XrUCbutton::paintContent(QPainter& painter) const
{
    const bool pressed = isDown();
    QRect area = rect().adjusted(padding, padding, -padding, -padding);
    if (pressed)
        area.translate(1, 1);  // the content sinks while the mouse holds the button

    const bool hasPicture = !icon().isNull();
    const QSize textSize =
        text().isEmpty() ? QSize() : fontMetrics().size(Qt::TextShowMnemonic, text());
    const int contentWidth = (hasPicture ? iconSize().width() : 0) + textSize.width() +
                             (hasPicture && !text().isEmpty() ? gap : 0);
    int x = area.left() + (area.width() - contentWidth) / 2;

    if (hasPicture) {
        const QIcon::Mode mode =
            !isEnabled() ? QIcon::Disabled : (underMouse() ? QIcon::Active : QIcon::Normal);
        const QPixmap pixmap = icon().pixmap(iconSize(), devicePixelRatioF(), mode);
        const QSize shown = pixmap.deviceIndependentSize().toSize();
        painter.drawPixmap(x + (iconSize().width() - shown.width()) / 2,
                           area.top() + (area.height() - shown.height()) / 2, pixmap);
        x += iconSize().width() + gap;
    }
    if (!text().isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(QRect(x, area.top(), textSize.width(), area.height()),
                         Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, text());
    }
}
