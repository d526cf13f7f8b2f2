#include "richtext/printing/PageCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {

constexpr int CanvasDpi = 1440 / PageCanvas::TwipsPerPixel;

int pixelsOf(int32_t twips)
{
    return std::max(1, (twips + PageCanvas::TwipsPerPixel / 2) / PageCanvas::TwipsPerPixel);
}

QImage blankSheet(int32_t widthTwips, int32_t heightTwips)
{
    QImage image(pixelsOf(widthTwips), pixelsOf(heightTwips), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(CanvasDpi / 0.0254));
    image.setDotsPerMeterY(qRound(CanvasDpi / 0.0254));
    return image;
}

}  // namespace

PageCanvas::PageCanvas() : m_width(SheetWidth), m_height(SheetHeight)
{
    Font = QFont(QStringLiteral("Lucida Console"));
    Font.setPointSizeF(9);
    Font.setWeight(QFont::Weight(400));
    m_image = blankSheet(m_width, m_height);
}

void PageCanvas::setSize(int32_t widthTwips, int32_t heightTwips)
{
    widthTwips = std::max(widthTwips, 0);
    heightTwips = std::max(heightTwips, 0);
    if (widthTwips == m_width && heightTwips == m_height)
        return;
    QImage resized = blankSheet(widthTwips, heightTwips);
    {
        QPainter painter(&resized);
        painter.drawImage(0, 0, m_image);
    }
    m_image = std::move(resized);
    m_width = widthTwips;
    m_height = heightTwips;
}

void PageCanvas::setHeight(int32_t twips)
{
    setSize(m_width, twips);
}

void PageCanvas::Cls()
{
    m_image.fill(Qt::white);
    CurrentX = 0;
    CurrentY = 0;
}

richedit::TargetDevice PageCanvas::device() const
{
    return {CanvasDpi, CanvasDpi, &m_image};
}

double PageCanvas::TextWidth(const QString& text) const
{
    const QFontMetricsF metrics(Font, &m_image);
    return metrics.horizontalAdvance(text) * TwipsPerPixel;
}

void PageCanvas::Print(const QString& text)
{
    const QFontMetricsF metrics(Font, &m_image);
    if (!text.isEmpty()) {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(Font);
        painter.setPen(QColor(int(ForeColor & 0xFF), int((ForeColor >> 8) & 0xFF),
                              int((ForeColor >> 16) & 0xFF)));
        painter.drawText(
            QPointF(CurrentX / TwipsPerPixel, CurrentY / TwipsPerPixel + metrics.ascent()), text);
    }
    CurrentX = 0;
    CurrentY += metrics.lineSpacing() * TwipsPerPixel;
}
