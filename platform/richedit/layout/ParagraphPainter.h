// Draws laid-out paragraphs onto a painter at a scale from twips to the painter's device
// pixels: every character format, pictures, list labels and a selection.
#pragma once

#include "platform/richedit/layout/ParagraphLayout.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <map>
#include <optional>
#include <tuple>

class QPainter;

namespace richedit {

// A selected range of the paragraph in offsets from its start. A `to` past the text's end
// selects the paragraph mark too, drawn as a space's width after the last line.
struct PaintSelection {
    int32_t from = 0;
    int32_t to = 0;
    QColor background;
    QColor text;
};

struct ParagraphPaintOptions {
    QColor windowText = Qt::black;  // the automatic text colour
    std::optional<PaintSelection> selection;
};

// The colour of the link effect (0x00FF0000 as BGR).
constexpr uint32_t LinkColorBgr = 0x00FF0000;

// How pictures reach the painter: the screen draws the bitmap kept for each picture (quick
// to repaint); a page for a printer, a PDF or the print preview gets metafiles played as
// vectors and bitmaps from their own pixels, so that they are as sharp as the device.
enum class PictureDrawing { Cached, FromSource };

class ParagraphPainter {
public:
    // `pixelsPerTwip` scales the layout's twips to the painter's device pixels.
    ParagraphPainter(QPainter& painter, double pixelsPerTwip,
                     PictureDrawing pictures = PictureDrawing::Cached);

    // Draws the whole paragraph with its top-left corner at `origin` (device pixels).
    void paint(const ParagraphLayout& layout, QPointF origin,
               const ParagraphPaintOptions& options = {});
    // Draws lines [first, first + count) with the top of line `first` at `origin`.
    void paintLines(const ParagraphLayout& layout, int first, int count, QPointF origin,
                    const ParagraphPaintOptions& options = {});

private:
    struct Piece;
    struct LineGeometry;

    void paintLine(const ParagraphLayout& layout, int index, const LineGeometry& geometry,
                   const ParagraphPaintOptions& options);
    std::vector<Piece> piecesOf(const ParagraphLayout& layout, const LayoutLine& line,
                                const ParagraphPaintOptions& options) const;
    QRectF rectOf(const Piece& piece, const std::vector<double>& edges,
                  const LineGeometry& geometry) const;
    void fillBackgrounds(const ParagraphLayout& layout, const std::vector<Piece>& pieces,
                         const std::vector<double>& edges, const LineGeometry& geometry,
                         const ParagraphPaintOptions& options);
    void drawPiece(const ParagraphLayout& layout, const Piece& piece,
                   const std::vector<double>& edges, const LineGeometry& geometry,
                   const ParagraphPaintOptions& options);
    void drawPicture(const LayoutSpan& span, const Piece& piece, const std::vector<double>& edges,
                     const LineGeometry& geometry, const ParagraphPaintOptions& options);
    void drawLabel(const ParagraphLayout& layout, const LineGeometry& geometry,
                   const ParagraphPaintOptions& options);
    void drawMarkSelection(const ParagraphLayout& layout, const LayoutLine& line,
                           const LineGeometry& geometry, const ParagraphPaintOptions& options);
    const QFont& fontFor(const CharFormat& format);
    // The font that draws `text` across exactly `width` device-independent pixels.
    QFont fittedFont(const QFont& font, const QString& text, double width) const;
    QColor textColor(const CharFormat& format, bool selected,
                     const ParagraphPaintOptions& options) const;
    double px(double twips) const { return twips * m_scale; }

    QPainter& m_painter;
    double m_scale;
    int m_dpiY;
    PictureDrawing m_pictures;
    std::map<std::tuple<QString, int32_t, uint32_t>, QFont> m_fonts;
};

}  // namespace richedit
