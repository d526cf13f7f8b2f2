#include "platform/widgets/StatusBar.h"

#include "platform/host/Units.h"
#include "platform/runtime/VbError.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace {

constexpr int outerMargin = 2;
constexpr int panelGap = 2;
constexpr int textPadding = 4;

int pixelsAcross(double twips)
{
    return std::max(0, static_cast<int>(std::lround(host::twipsToPixelsX(twips))));
}

}  // namespace

void StatusBar::Panel::setText(const QString& text)
{
    m_text = text;
    changed();
}

void StatusBar::Panel::setVisible(bool visible)
{
    m_visible = visible;
    changed();
}

void StatusBar::Panel::setWidth(double twips)
{
    m_width = std::max(0.0, twips);
    changed();
}

void StatusBar::Panel::setMinWidth(double twips)
{
    m_minWidth = std::max(0.0, twips);
    changed();
}

void StatusBar::Panel::setAutoSize(PanelAutoSize autoSize)
{
    m_autoSize = autoSize;
    changed();
}

void StatusBar::Panel::changed()
{
    m_owner->updateGeometry();
    m_owner->update();
}

StatusBar::StatusBar(int panelCount, QWidget* parent) : QWidget(parent)
{
    for (int index = 0; index < std::max(1, panelCount); ++index)
        m_panels.push_back(std::unique_ptr<Panel>(new Panel(this)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

StatusBar::~StatusBar() = default;

StatusBar::Panel& StatusBar::Panels(int index)
{
    if (index < 1 || index > PanelCount())
        throw vb::VbError(IndexOutOfBounds, QStringLiteral("Index out of bounds"),
                          QStringLiteral("StatusBar"));
    return *m_panels[static_cast<size_t>(index - 1)];
}

int StatusBar::contentWidth(const Panel& panel) const
{
    return fontMetrics().horizontalAdvance(panel.m_text) + 2 * textPadding + 2;
}

// Fixed panels take their Width, content panels fit their text, and spring panels share what
// is left of the bar; every self-sizing panel keeps at least its MinWidth.
std::vector<int> StatusBar::panelWidths() const
{
    std::vector<int> widths(m_panels.size(), 0);
    int used = 2 * outerMargin;
    int springs = 0;
    for (size_t index = 0; index < m_panels.size(); ++index) {
        const Panel& panel = *m_panels[index];
        if (!panel.m_visible)
            continue;
        if (panel.m_autoSize == sbrSpring)
            ++springs;
        else if (panel.m_autoSize == sbrContents)
            widths[index] = std::max(pixelsAcross(panel.m_minWidth), contentWidth(panel));
        else
            widths[index] = pixelsAcross(panel.m_width);
        used += widths[index] + panelGap;
    }
    int left = std::max(0, width() - used + panelGap);
    for (size_t index = 0; index < m_panels.size() && springs > 0; ++index) {
        const Panel& panel = *m_panels[index];
        if (!panel.m_visible || panel.m_autoSize != sbrSpring)
            continue;
        const int share = left / springs--;
        widths[index] = std::max(pixelsAcross(panel.m_minWidth), share);
        left -= share;
    }
    return widths;
}

QRect StatusBar::panelRect(int index) const
{
    if (index < 1 || index > PanelCount() || !m_panels[static_cast<size_t>(index - 1)]->m_visible)
        return {};
    const std::vector<int> widths = panelWidths();
    int x = outerMargin;
    for (int at = 0; at < index - 1; ++at) {
        if (m_panels[static_cast<size_t>(at)]->m_visible)
            x += widths[static_cast<size_t>(at)] + panelGap;
    }
    return QRect(x, outerMargin, widths[static_cast<size_t>(index - 1)],
                 height() - 2 * outerMargin);
}

QSize StatusBar::sizeHint() const
{
    return QSize(400, fontMetrics().height() + 2 * outerMargin + 8);
}

QSize StatusBar::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void StatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect().topLeft(), rect().topRight());
    for (int index = 1; index <= PanelCount(); ++index) {
        const QRect area = panelRect(index);
        if (area.isEmpty())
            continue;
        qDrawShadePanel(&painter, area, palette(), true, 1);
        const QRect textArea = area.adjusted(textPadding, 1, -textPadding, -1);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         fontMetrics().elidedText(m_panels[static_cast<size_t>(index - 1)]->m_text,
                                                  Qt::ElideRight, textArea.width()));
    }
}
