#include "platform/richedit/layout/ParagraphPainter.h"

#include "platform/richedit/layout/LayoutPictures.h"
#include "platform/richedit/picture/PictureDecoding.h"

#include "platform/picture/Metafile.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace richedit {

// Characters of a line drawn together: one span, one selection state, one kind.
struct ParagraphPainter::Piece {
    enum Kind { Text, Tab, Picture, Hanging };
    int32_t from = 0;  // paragraph offsets
    int32_t to = 0;
    size_t span = 0;
    bool selected = false;
    Kind kind = Text;
};

// Device-pixel places of a line.
struct ParagraphPainter::LineGeometry {
    double left = 0;        // x of the layout's left edge
    int32_t lineStart = 0;  // offset of the line's first character
    double textTop = 0;
    double textBottom = 0;
    double baseline = 0;
};

namespace {

bool hasMargins(const Picture& picture)
{
    return picture.cropLeftTw < 0 || picture.cropRightTw < 0 || picture.cropTopTw < 0 ||
           picture.cropBottomTw < 0;
}

// Draws the part of an image that falls in `shown` when the whole image covers `whole`; the
// rest of `shown` is white when the picture has margins.
void drawCropped(QPainter& painter, const QImage& image, const QRectF& whole, const QRectF& shown,
                 bool margins)
{
    if (margins)
        painter.fillRect(shown, Qt::white);
    const QRectF visible = whole & shown;
    if (visible.isEmpty())
        return;
    const double scaleX = image.width() / whole.width();
    const double scaleY = image.height() / whole.height();
    const QRectF source((visible.x() - whole.x()) * scaleX, (visible.y() - whole.y()) * scaleY,
                        visible.width() * scaleX, visible.height() * scaleY);
    painter.drawImage(visible, image, source);
}

bool isMetafile(const Picture& picture)
{
    return picture.kind == PictureKind::Metafile || picture.kind == PictureKind::EnhancedMetafile;
}

// Draws a picture whole into `whole`, cut to `shown`, at the device's own resolution: a
// metafile's records as the painter's own paths and text, a bitmap from its own pixels, which
// a PDF keeps at their resolution. False when the bytes do not decode.
bool drawFromSource(QPainter& painter, const std::shared_ptr<const Picture>& picture,
                    const QRect& wholeTw, const QRectF& whole, const QRectF& shown)
{
    std::optional<picture::Metafile> metafile;
    const QImage* image = nullptr;
    if (isMetafile(*picture)) {
        // A metafile without a size of its own gets the one the screen draws it at.
        metafile = metafileOf(picture->encoded, QSize(std::max(1, wholeTw.width() / 15),
                                                      std::max(1, wholeTw.height() / 15)));
        if (!metafile)
            return false;
    } else {
        image = &pictureImage(picture);
        if (image->isNull())
            return false;
    }
    if (hasMargins(*picture))
        painter.fillRect(shown, Qt::white);
    const QRectF visible = whole & shown;
    if (visible.isEmpty())
        return true;
    painter.save();
    painter.setClipRect(visible, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    if (metafile)
        metafile->play(painter, whole);
    else
        painter.drawImage(whole, *image);
    painter.restore();
    return true;
}

}  // namespace

ParagraphPainter::ParagraphPainter(QPainter& painter, double pixelsPerTwip, PictureDrawing pictures)
    : m_painter(painter),
      m_scale(pixelsPerTwip > 0 ? pixelsPerTwip : 1.0 / 15),
      m_dpiY(painter.device() ? painter.device()->logicalDpiY() : 96),
      m_pictures(pictures)
{
}

void ParagraphPainter::paint(const ParagraphLayout& layout, QPointF origin,
                             const ParagraphPaintOptions& options)
{
    paintLines(layout, 0, layout.lineCount(), origin, options);
}

void ParagraphPainter::paintLines(const ParagraphLayout& layout, int first, int count,
                                  QPointF origin, const ParagraphPaintOptions& options)
{
    first = std::max(first, 0);
    const int end = std::min(layout.lineCount(), first + std::max(count, 0));
    if (first >= end)
        return;
    const double top = origin.y() - px(layout.line(first).top);
    const LayoutLine& last = layout.line(end - 1);
    // Nothing leaves the box of the lines drawn, also with squeezed line heights.
    const QRectF box(origin.x(), origin.y(), px(layout.boxWidth()),
                     px(double(last.top) + last.height - layout.line(first).top));
    m_painter.save();
    m_painter.setClipRect(box, m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    for (int i = first; i < end; ++i) {
        const LayoutLine& line = layout.line(i);
        LineGeometry geometry;
        geometry.left = origin.x();
        geometry.lineStart = line.start;
        geometry.textTop = top + px(line.textTop());
        geometry.textBottom = geometry.textTop + px(line.textHeight());
        geometry.baseline = top + px(line.baseline);
        paintLine(layout, i, geometry, options);
    }
    m_painter.restore();
}

void ParagraphPainter::paintLine(const ParagraphLayout& layout, int index,
                                 const LineGeometry& geometry, const ParagraphPaintOptions& options)
{
    const LayoutLine& line = layout.line(index);
    const std::vector<double> edges = layout.edges(index);
    const std::vector<Piece> pieces = piecesOf(layout, line, options);
    fillBackgrounds(layout, pieces, edges, geometry, options);
    if (index == layout.lineCount() - 1)
        drawMarkSelection(layout, line, geometry, options);
    for (const Piece& piece : pieces)
        drawPiece(layout, piece, edges, geometry, options);
    if (index == 0 && layout.startOffset() == 0)
        drawLabel(layout, geometry, options);
}

std::vector<ParagraphPainter::Piece> ParagraphPainter::piecesOf(
    const ParagraphLayout& layout, const LayoutLine& line,
    const ParagraphPaintOptions& options) const
{
    const ParagraphText::Reader text = layout.text().reader();
    const auto& spans = layout.spans();
    const int32_t contentEnd = line.start + line.contentLength();
    const int32_t end = line.start + line.lengthWithoutBreak();
    std::vector<Piece> pieces;
    size_t span = 0;
    while (span + 1 < spans.size() && spans[span].end() <= line.start)
        ++span;
    for (int32_t i = line.start; i < end; ++i) {
        while (span + 1 < spans.size() && spans[span].end() <= i)
            ++span;
        if (spans[span].format.is(Hidden))
            continue;  // nothing drawn, not even a selection
        Piece::Kind kind = Piece::Text;
        if (spans[span].picture)
            kind = Piece::Picture;
        else if (i >= contentEnd)
            kind = Piece::Hanging;
        else if (text[i] == u'\t')
            kind = Piece::Tab;
        const bool selected =
            options.selection && i >= options.selection->from && i < options.selection->to;
        // Words start new pieces so that each lands where the layout put it.
        const bool wordStart = i > line.start && text[i - 1] == u' ' && text[i] != u' ';
        if (!pieces.empty()) {
            Piece& open = pieces.back();
            if (open.span == span && open.selected == selected && open.kind == kind &&
                kind != Piece::Picture && kind != Piece::Tab && !wordStart) {
                open.to = i + 1;
                continue;
            }
        }
        pieces.push_back({i, i + 1, span, selected, kind});
    }
    return pieces;
}

QRectF ParagraphPainter::rectOf(const Piece& piece, const std::vector<double>& edges,
                                const LineGeometry& geometry) const
{
    const double x1 = geometry.left + px(edges[size_t(piece.from - geometry.lineStart)]);
    const double x2 = geometry.left + px(edges[size_t(piece.to - geometry.lineStart)]);
    return {x1, geometry.textTop, x2 - x1, geometry.textBottom - geometry.textTop};
}

void ParagraphPainter::fillBackgrounds(const ParagraphLayout& layout,
                                       const std::vector<Piece>& pieces,
                                       const std::vector<double>& edges,
                                       const LineGeometry& geometry,
                                       const ParagraphPaintOptions& options)
{
    // Neighbouring pieces of one colour are filled as one rectangle: separate antialiased
    // fills would leave seams between them.
    QRectF open;
    QColor openColor;
    auto flush = [&] {
        if (openColor.isValid())
            m_painter.fillRect(open, openColor);
        openColor = QColor();
    };
    for (const Piece& piece : pieces) {
        const CharFormat& format = layout.spans()[piece.span].format;
        QColor color;
        if (piece.selected)
            color = options.selection->background;
        else if (!format.is(AutoBackColorEffect))
            color = colorFromBgr(format.backColor);
        if (color != openColor)
            flush();
        if (!color.isValid())
            continue;
        const QRectF rect = rectOf(piece, edges, geometry);
        open = openColor.isValid() ? open.united(rect) : rect;
        openColor = color;
    }
    flush();
}

void ParagraphPainter::drawMarkSelection(const ParagraphLayout& layout, const LayoutLine& line,
                                         const LineGeometry& geometry,
                                         const ParagraphPaintOptions& options)
{
    const auto& selection = options.selection;
    if (!selection || selection->to <= layout.textLength() || selection->from > layout.textLength())
        return;
    const double width = measuringFont(layout.markFormat(), layout.device())->advance(u' ');
    const double x = geometry.left + px(line.right);
    m_painter.fillRect(QRectF(x, geometry.textTop, std::max(px(width), 1.0),
                              geometry.textBottom - geometry.textTop),
                       selection->background);
}

void ParagraphPainter::drawPiece(const ParagraphLayout& layout, const Piece& piece,
                                 const std::vector<double>& edges, const LineGeometry& geometry,
                                 const ParagraphPaintOptions& options)
{
    const LayoutSpan& span = layout.spans()[piece.span];
    if (piece.kind == Piece::Picture) {
        drawPicture(span, piece, edges, geometry, options);
        return;
    }
    if (piece.kind == Piece::Hanging)
        return;  // spaces past the line's end show nothing, not even underlines
    const CharFormat& format = span.format;
    const QFont& font = fontFor(format);
    const QColor color = textColor(format, piece.selected, options);
    const double x1 = geometry.left + px(edges[size_t(piece.from - geometry.lineStart)]);
    const double x2 = geometry.left + px(edges[size_t(piece.to - geometry.lineStart)]);
    const double baseline = geometry.baseline - px(scriptPlacement(format).raiseTw);
    if (piece.kind == Piece::Text) {
        const QString text = layout.text().mid(piece.from, piece.to - piece.from);
        m_painter.setFont(fittedFont(font, text, x2 - x1));
        m_painter.setPen(color);
        m_painter.drawText(QPointF(x1, baseline), text);
    }
    // Decorations are drawn along the laid-out extent, so that they run on over tabs and
    // stretched spaces.
    const bool underline = format.is(Underline) || format.is(Link);
    if (!underline && !format.is(StrikeOut))
        return;
    // Whole device pixels keep the lines crisp.
    const QFontMetricsF metrics(font, m_painter.device());
    const double thickness = std::max(std::round(metrics.lineWidth()), 1.0);
    if (underline)
        m_painter.fillRect(
            QRectF(x1, std::round(baseline + metrics.underlinePos()), x2 - x1, thickness), color);
    if (format.is(StrikeOut))
        m_painter.fillRect(
            QRectF(x1, std::round(baseline - metrics.strikeOutPos()), x2 - x1, thickness), color);
}

void ParagraphPainter::drawPicture(const LayoutSpan& span, const Piece& piece,
                                   const std::vector<double>& edges, const LineGeometry& geometry,
                                   const ParagraphPaintOptions& options)
{
    const QSize size = pictureSizeTw(*span.picture);
    const QRect wholeTw = pictureWholeTw(*span.picture);
    const double bottom = geometry.baseline - px(scriptPlacement(span.format).raiseTw);
    for (int32_t i = piece.from; i < piece.to; ++i) {
        const double x = geometry.left + px(edges[size_t(i - geometry.lineStart)]);
        const QRectF rect(x, bottom - px(size.height()), px(size.width()), px(size.height()));
        const QRectF whole(rect.x() + px(wholeTw.x()), rect.y() + px(wholeTw.y()),
                           px(wholeTw.width()), px(wholeTw.height()));
        bool drawn = false;
        if (m_pictures == PictureDrawing::FromSource) {
            drawn = drawFromSource(m_painter, span.picture, wholeTw, whole, rect);
        } else if (const QImage& image = pictureImage(span.picture); !image.isNull()) {
            drawCropped(m_painter, image, whole, rect, hasMargins(*span.picture));
            drawn = true;
        }
        if (!drawn) {
            // A placeholder of the goal size for bytes that do not decode.
            m_painter.setPen(QPen(QColor(128, 128, 128), 1));
            m_painter.setBrush(Qt::NoBrush);
            m_painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
            m_painter.drawLine(rect.topLeft(), rect.bottomRight());
            m_painter.drawLine(rect.topRight(), rect.bottomLeft());
        }
        if (piece.selected) {
            QColor veil = options.selection->background;
            veil.setAlpha(128);
            m_painter.fillRect(rect, veil);
        }
    }
}

void ParagraphPainter::drawLabel(const ParagraphLayout& layout, const LineGeometry& geometry,
                                 const ParagraphPaintOptions& options)
{
    const LayoutLabel& label = layout.label();
    if (label.text.isEmpty())
        return;
    m_painter.setFont(fontFor(label.format));
    m_painter.setPen(textColor(label.format, false, options));
    m_painter.drawText(QPointF(geometry.left + px(label.x), geometry.baseline), label.text);
}

const QFont& ParagraphPainter::fontFor(const CharFormat& format)
{
    const ScriptPlacement placement = scriptPlacement(format);
    const auto key = std::make_tuple(format.face, placement.heightTw,
                                     uint32_t(format.effects & (Bold | Italic)));
    auto found = m_fonts.find(key);
    if (found == m_fonts.end())
        found = m_fonts.emplace(key, fontForFormat(format, px(placement.heightTw), m_dpiY)).first;
    return found->second;
}

QFont ParagraphPainter::fittedFont(const QFont& font, const QString& text, double width) const
{
    // Measured on the device it is drawn on (its resolution and pixel ratio), a run can come
    // out wider or narrower than the layout measured it on its own device (a printer, say), and
    // a wider one runs over the blank after it. Spreading the difference over its characters
    // makes the run fill exactly the extent the layout gave it.
    const double natural = QFontMetricsF(font, m_painter.device()).horizontalAdvance(text);
    qsizetype characters = 0;
    for (const QChar unit : text)
        characters += unit.isLowSurrogate() ? 0 : 1;
    if (characters < 2 || std::abs(width - natural) < 0.05)
        return font;
    QFont spaced(font);
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, (width - natural) / double(characters));
    return spaced;
}

QColor ParagraphPainter::textColor(const CharFormat& format, bool selected,
                                   const ParagraphPaintOptions& options) const
{
    if (selected && options.selection && options.selection->text.isValid())
        return options.selection->text;
    if (format.is(Link))
        return colorFromBgr(LinkColorBgr);
    if (format.is(AutoColorEffect))
        return options.windowText;
    return colorFromBgr(format.color);
}

}  // namespace richedit
