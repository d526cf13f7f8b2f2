#include "app/ArtWork.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace app {
namespace {

const QColor Ink(0x2b, 0x2b, 0x2b);
const QColor Accent(0x1f, 0x5f, 0xa8);
const QColor Paper(0xfb, 0xfb, 0xf7);

void drawLetter(QPainter& painter, const QString& letter, bool bold, bool italic,
                const QRectF& box = QRectF(2, 0, 16, 17))
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(15);
    font.setBold(bold);
    font.setItalic(italic);
    painter.setFont(font);
    painter.setPen(Ink);
    painter.drawText(box, Qt::AlignCenter, letter);
}

void drawLines(QPainter& painter, const std::initializer_list<std::pair<double, double>>& spans,
               double top = 4, double step = 4)
{
    painter.setPen(QPen(Ink, 1.6, Qt::SolidLine, Qt::FlatCap));
    double y = top;
    for (const auto& [from, to] : spans) {
        painter.drawLine(QPointF(from, y), QPointF(to, y));
        y += step;
    }
}

void drawPage(QPainter& painter, const QRectF& page, const QColor& fill)
{
    painter.setPen(QPen(Ink, 1.1));
    painter.setBrush(fill);
    painter.drawRect(page);
}

void drawGlyph(QPainter& painter, ToolbarGlyph glyph)
{
    painter.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
        case ToolbarGlyph::Bold:
            drawLetter(painter, QStringLiteral("B"), true, false);
            break;
        case ToolbarGlyph::Italic:
            drawLetter(painter, QStringLiteral("I"), false, true);
            break;
        case ToolbarGlyph::Underline:
            drawLetter(painter, QStringLiteral("U"), false, false, QRectF(2, -1, 16, 16));
            painter.setPen(QPen(Ink, 1.5));
            painter.drawLine(QPointF(4.5, 17.5), QPointF(15.5, 17.5));
            break;
        case ToolbarGlyph::Strikethrough:
            drawLetter(painter, QStringLiteral("S"), false, false);
            painter.setPen(QPen(QColor(0xc0, 0x20, 0x20), 1.5));
            painter.drawLine(QPointF(3, 9.5), QPointF(17, 9.5));
            break;
        case ToolbarGlyph::Bullets:
            painter.setPen(Qt::NoPen);
            painter.setBrush(Accent);
            for (double y : {4.0, 10.0, 16.0})
                painter.drawEllipse(QPointF(4, y), 1.8, 1.8);
            drawLines(painter, {{8, 18}, {8, 18}, {8, 18}}, 4, 6);
            break;
        case ToolbarGlyph::Numbers: {
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(6);
            font.setBold(true);
            painter.setFont(font);
            painter.setPen(Accent);
            for (int n = 0; n < 3; ++n)
                painter.drawText(QRectF(0, 1 + 6 * n, 6, 6), Qt::AlignCenter,
                                 QString::number(n + 1));
            drawLines(painter, {{8, 18}, {8, 18}, {8, 18}}, 4, 6);
            break;
        }
        case ToolbarGlyph::AlignLeft:
            drawLines(painter, {{2, 18}, {2, 12}, {2, 18}, {2, 10}});
            break;
        case ToolbarGlyph::Center:
            drawLines(painter, {{2, 18}, {5, 15}, {2, 18}, {6, 14}});
            break;
        case ToolbarGlyph::AlignRight:
            drawLines(painter, {{2, 18}, {8, 18}, {2, 18}, {10, 18}});
            break;
        case ToolbarGlyph::Undo: {
            QPainterPath arc;
            arc.moveTo(5, 8);
            arc.cubicTo(9, 3, 17, 4, 17, 11);
            arc.cubicTo(17, 15, 14, 17, 10, 17);
            painter.setPen(QPen(Accent, 2, Qt::SolidLine, Qt::RoundCap));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(arc);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Accent);
            painter.drawPolygon(QPolygonF({QPointF(2, 4), QPointF(9, 5), QPointF(4, 11)}));
            break;
        }
        case ToolbarGlyph::Cut:
            painter.setPen(QPen(Ink, 1.5));
            painter.drawLine(QPointF(6, 2), QPointF(12.5, 13));
            painter.drawLine(QPointF(14, 2), QPointF(7.5, 13));
            painter.setPen(QPen(Accent, 1.8));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QPointF(6, 15.5), 2.8, 2.8);
            painter.drawEllipse(QPointF(14, 15.5), 2.8, 2.8);
            break;
        case ToolbarGlyph::Copy:
            drawPage(painter, QRectF(2.5, 2.5, 10, 12), Paper);
            drawPage(painter, QRectF(7.5, 6.5, 10, 12), Qt::white);
            painter.setPen(QPen(Accent, 1));
            for (double y : {10.0, 12.5, 15.0})
                painter.drawLine(QPointF(9.5, y), QPointF(15.5, y));
            break;
        case ToolbarGlyph::Paste:
            painter.setPen(QPen(Ink, 1.1));
            painter.setBrush(QColor(0xc8, 0x9a, 0x5a));
            painter.drawRoundedRect(QRectF(2.5, 3.5, 12, 15), 1.5, 1.5);
            painter.setBrush(QColor(0x90, 0x90, 0x90));
            painter.drawRect(QRectF(5.5, 2, 6, 3));
            drawPage(painter, QRectF(9.5, 8.5, 8, 10), Qt::white);
            break;
        case ToolbarGlyph::Find:
            painter.setPen(QPen(Ink, 2));
            painter.setBrush(QColor(0xd8, 0xe8, 0xf8));
            painter.drawEllipse(QPointF(8, 8), 5, 5);
            painter.setPen(QPen(Ink, 3, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(12, 12), QPointF(17, 17));
            break;
        case ToolbarGlyph::Font:
            drawLetter(painter, QStringLiteral("A"), true, false, QRectF(0, -1, 13, 17));
            drawLetter(painter, QStringLiteral("a"), false, false, QRectF(9, 3, 10, 15));
            break;
        case ToolbarGlyph::FontColor:
            drawLetter(painter, QStringLiteral("A"), true, false, QRectF(2, -2, 16, 16));
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0xd0, 0x20, 0x20));
            painter.drawRect(QRectF(3, 15, 14, 3.5));
            break;
        case ToolbarGlyph::ColorChoice:
            // Drawn over the chosen colour, which may be dark or light.
            painter.setPen(QPen(Ink, 1));
            painter.setBrush(Qt::white);
            painter.drawPolygon(QPolygonF({QPointF(6, 8), QPointF(14, 8), QPointF(10, 13)}));
            break;
        case ToolbarGlyph::Highlight: {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0xff, 0xe6, 0x00));
            painter.drawRect(QRectF(2, 14, 16, 4.5));
            QPainterPath pen;
            pen.moveTo(7, 13);
            pen.lineTo(14, 3);
            pen.lineTo(17, 5.5);
            pen.lineTo(10, 15);
            pen.closeSubpath();
            painter.setPen(QPen(Ink, 1.1));
            painter.setBrush(QColor(0x60, 0x60, 0x60));
            painter.drawPath(pen);
            break;
        }
        case ToolbarGlyph::SpellCheck: {
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(8);
            font.setBold(true);
            painter.setFont(font);
            painter.setPen(Ink);
            painter.drawText(QRectF(0, 0, 20, 9), Qt::AlignCenter, QStringLiteral("ABC"));
            painter.setPen(
                QPen(QColor(0x1a, 0x8a, 0x2a), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(QPolygonF({QPointF(5, 13), QPointF(9, 17), QPointF(16, 10)}));
            break;
        }
        case ToolbarGlyph::PrintPreview:
            painter.setPen(QPen(Ink, 1.1));
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(5.5, 1.5, 9, 6));
            painter.setBrush(QColor(0xb8, 0xb8, 0xb8));
            painter.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(5.5, 12.5, 9, 6));
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0x30, 0xa0, 0x30));
            painter.drawEllipse(QPointF(15.5, 10), 1, 1);
            break;
        case ToolbarGlyph::Hyperlink:
            painter.setPen(QPen(Accent, 2.2));
            painter.setBrush(Qt::NoBrush);
            painter.translate(10, 10);
            painter.rotate(-45);
            painter.drawRoundedRect(QRectF(-8.5, -3, 9, 6), 3, 3);
            painter.drawRoundedRect(QRectF(-0.5, -3, 9, 6), 3, 3);
            break;
    }
}

QPixmap glyphPixmap(ToolbarGlyph glyph, qreal scale)
{
    QPixmap pixmap(qRound(20 * scale), qRound(20 * scale));
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawGlyph(painter, glyph);
    return pixmap;
}

}  // namespace

QImage drawDocumentIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The page with its folded corner.
    const double fold = 8;
    QPainterPath page;
    page.moveTo(5, 1.5);
    page.lineTo(27 - fold, 1.5);
    page.lineTo(27, 1.5 + fold);
    page.lineTo(27, 30.5);
    page.lineTo(5, 30.5);
    page.closeSubpath();
    painter.setPen(QPen(QColor(0x55, 0x60, 0x70), 1.2));
    painter.setBrush(Paper);
    painter.drawPath(page);
    QPainterPath corner;
    corner.moveTo(27 - fold, 1.5);
    corner.lineTo(27 - fold, 1.5 + fold);
    corner.lineTo(27, 1.5 + fold);
    painter.setBrush(QColor(0xd6, 0xdc, 0xe4));
    painter.drawPath(corner);

    // A heading bar and lines of text.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Accent);
    painter.drawRect(QRectF(8, 6, 9, 2.5));
    painter.setBrush(QColor(0x8a, 0x94, 0xa0));
    for (int line = 0; line < 5; ++line)
        painter.drawRect(QRectF(8, 12 + line * 3.4, line == 4 ? 9 : 16, 1.4));

    // The quill stroke across the lower corner.
    QPainterPath quill;
    quill.moveTo(14, 29);
    quill.cubicTo(18, 24, 24, 20, 31, 17);
    quill.cubicTo(27, 22, 22, 26, 15, 29.5);
    quill.closeSubpath();
    painter.setBrush(QColor(0xc0, 0x4a, 0x1c));
    painter.drawPath(quill);
    return image;
}

QIcon toolbarIcon(ToolbarGlyph glyph)
{
    QIcon icon;
    icon.addPixmap(glyphPixmap(glyph, 1.0));
    icon.addPixmap(glyphPixmap(glyph, 2.0));
    return icon;
}

}  // namespace app
