#include "platform/widgets/XrLinkControl.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionFocusRect>

namespace {

constexpr int margin = 2;

XrLinkControl::UrlOpener& currentOpener()
{
    static XrLinkControl::UrlOpener opener = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };
    return opener;
}

// The address as the desktop should receive it, or an invalid URL for a kind we do not open.
QUrl webAddress(const QString& address)
{
    const QString text = address.trimmed();
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + text, QUrl::StrictMode);
    const QUrl url(text, QUrl::StrictMode);
    static const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"),
                                     QStringLiteral("ftp"), QStringLiteral("mailto")};
    if (!url.isValid() || !schemes.contains(url.scheme().toLower()))
        return {};
    return url;
}

}  // namespace

XrLinkControl::UrlOpener XrLinkControl::setUrlOpener(UrlOpener opener)
{
    UrlOpener previous = std::move(currentOpener());
    currentOpener() = std::move(opener);
    return previous;
}

XrLinkControl::XrLinkControl(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void XrLinkControl::setCaption(const QString& caption)
{
    m_caption = caption;
    setAccessibleName(caption);
    updateGeometry();
    update();
}

bool XrLinkControl::Navigate(const QString& address)
{
    const QUrl url = webAddress(address);
    if (!url.isValid() || !currentOpener())
        return false;
    return currentOpener()(url);
}

QSize XrLinkControl::sizeHint() const
{
    const QSize text = fontMetrics().size(Qt::TextSingleLine, m_caption);
    return text + QSize(2 * margin, 2 * margin);
}

void XrLinkControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QFont font = painter.font();
    font.setUnderline(true);
    painter.setFont(font);
    const QPalette::ColorRole role =
        underMouse() || m_pressed ? QPalette::Highlight : QPalette::Link;
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, role));
    const QRect area = rect().adjusted(margin, margin, -margin, -margin);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(m_caption, Qt::ElideRight, area.width()));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void XrLinkControl::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    update();
}

void XrLinkControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    update();
    if (click)
        activate();
}

void XrLinkControl::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
        activate();
    else
        QWidget::keyPressEvent(event);
}

void XrLinkControl::enterEvent(QEnterEvent* event)
{
    update();
    QWidget::enterEvent(event);
}

void XrLinkControl::leaveEvent(QEvent* event)
{
    update();
    QWidget::leaveEvent(event);
}

void XrLinkControl::activate()
{
    const QString address = m_url;
    const QPointer<XrLinkControl> alive(this);
    emit Click();
    // A Click handler may close the window that holds the label.
    if (alive && !address.isEmpty())
        Navigate(address);
}
