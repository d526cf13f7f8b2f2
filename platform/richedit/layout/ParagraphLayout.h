// One paragraph laid out in display lines at a width in twips with a measuring device's font
// metrics: line breaks, indents, tabs, alignment, line heights and x <-> position mapping.
#pragma once

#include "platform/richedit/layout/LayoutFonts.h"
#include "platform/richedit/layout/LayoutInput.h"
#include "platform/richedit/layout/LineStore.h"

class QPaintDevice;

namespace richedit {

// A list label as laid out on the first line.
struct LayoutLabel {
    QString text;
    CharFormat format;
    double x = 0;
    double width = 0;
};

// An edit of a paragraph's text: `removed` units at `offset` became `added` units.
struct ParagraphEdit {
    int32_t offset = 0;
    int32_t removed = 0;
    int32_t added = 0;
};

// One run of the paragraph with its own copy of the format. The measuring font is the shared
// one of the format (see sharedMeasuringFont), which lives until the application ends.
struct LayoutSpan {
    int32_t start = 0;
    int32_t length = 0;
    CharFormat format;
    std::shared_ptr<const Picture> picture;
    const MeasuringFont* font = nullptr;

    int32_t end() const { return start + length; }
};

class ParagraphLayout {
public:
    // No wrapping: lines end only at U+000B.
    static constexpr int32_t NoWrap = 0;

    ParagraphLayout() = default;
    // Lays the paragraph out at `widthTw` (<= 0: no wrap) with the metrics of `device` (null:
    // the screen at 96 dpi). A `startOffset` inside the paragraph starts at that display-line
    // start with the following-lines indent, without the space before and the label.
    ParagraphLayout(const LayoutParagraphInput& input, int32_t widthTw,
                    const QPaintDevice* device = nullptr, int32_t startOffset = 0);
    // Lays another paragraph out in this object, as the constructor would, reusing its memory:
    // a pass over many paragraphs lays them all out in one.
    void layOut(const LayoutParagraphInput& input, int32_t widthTw, LayoutDevice device,
                int32_t startOffset = 0);

    // Lays the paragraph out again after an edit of its text or character formats, from the
    // first line the edit can change: earlier lines keep their breaks, and once a line starts
    // where one started before (moved by the edit's length) the rest are the old lines moved.
    // The input's paragraph format, mark format and label must be the ones the layout has
    // (see `canRelayout`).
    void relayout(const LayoutParagraphInput& input, const ParagraphEdit& edit);
    bool canRelayout(const LayoutParagraphInput& input, const ParagraphEdit& edit) const;

    bool wraps() const { return m_width > 0; }
    int32_t width() const { return m_width; }
    LayoutDevice device() const { return m_device; }
    const ParagraphText& text() const { return m_source ? *m_source : m_ownText; }
    // The length the lines were made for: a source read in place may have changed since.
    int32_t textLength() const { return m_textLength; }
    int32_t startOffset() const { return m_startOffset; }
    const ParaFormat& format() const { return m_format; }
    const CharFormat& markFormat() const { return m_markFormat; }
    const LayoutLabel& label() const { return m_label; }
    const std::vector<LayoutSpan>& spans() const { return m_spans; }

    int lineCount() const { return int(m_lines.size()); }
    LayoutLine line(int index) const { return lineWithShift(size_t(index)); }
    std::vector<LayoutLine> lines() const;
    int32_t height() const { return m_height; }
    // The widest extent drawn: the width, or further where lines run past it.
    double boxWidth() const;

    // The line holding an offset: a position at a wrap belongs to the line it starts, the
    // text's end to the last line.
    int lineAt(int32_t offset) const;
    // The line holding a height from the paragraph's top: the last line whose top is at or
    // above it.
    int lineAtHeight(int64_t y) const;
    // The offset nearest to x on a line; at or past its right end the offset after its last
    // character, or of that character on a line that wraps (so that it maps back to the line).
    int32_t positionFromX(int lineIndex, double x) const;
    // The x of a position's left edge on its line.
    double xFromPosition(int32_t offset) const;
    // The x of every position of an existing line from its start to its end (length + 1
    // values).
    std::vector<double> edges(int lineIndex) const;
    // The span holding an offset (the last one at the end); null for a paragraph without text.
    const LayoutSpan* spanAt(int32_t offset) const;
    bool isHidden(int32_t offset) const;
    // Everything of the paragraph is hidden (see paragraphShowsNothing): its one line has no
    // height, and the document gives it no display line.
    bool showsNothing() const { return m_showsNothing; }

private:
    struct LineBreak;

    void buildSpans(const LayoutParagraphInput& input);
    // Breaks lines from line `first` on (dropping the lines from there), placing them below
    // the lines before it. With an edit, stops at the first line that starts where an old line
    // after the edit started and keeps the old lines from there, moved.
    void layOutFrom(int first, const ParagraphEdit* edit);
    // Moves the lines from `kept` on by an edit's `delta` characters and `moved` twips down;
    // an edit's running `decided` (see LayoutLine::decidedBy) is carried into them.
    void moveTail(size_t kept, int32_t delta, int64_t moved, int32_t decided);
    LayoutLine lineWithShift(size_t index) const;
    // A line stored at `index`, moved by the shift still to come there.
    LayoutLine withShift(size_t index, const LayoutLine& stored) const;
    // The first line for which `holds` is false, `holds` being true for every line before it.
    template <typename Predicate>
    int partitionLines(Predicate holds) const;
    // Stores a line's true values at `index`, taking off the shift still to come there.
    void store(size_t index, LayoutLine line);
    // Applies the shift still to come to the stored lines [from, to).
    void applyShift(size_t from, size_t to);
    double followingIndent() const;
    double lineLimit() const;
    void buildLabel();
    LineBreak breakLine(int32_t from, double origin, double limit) const;
    // The same over `text`: the characters straight from one string, or through a reader of
    // blocks.
    template <typename Characters>
    LineBreak breakLineOver(Characters text, int32_t from, double origin, double limit) const;
    // The line of a break, its height measured and the line aligned; the top of the
    // paragraph's next line moves below it.
    LayoutLine makeLine(const LineBreak& brk, bool first, bool last, double limit, int64_t& top,
                        int32_t& decided) const;
    double firstLineOrigin(double following) const;
    LayoutLine lineOf(const LineBreak& brk) const;
    void measureHeights(LayoutLine& line, bool firstInParagraph, bool lastInParagraph) const;
    void align(LayoutLine& line, double limit, bool lastInParagraph) const;
    int32_t lineBoxHeight(int32_t natural) const;
    double tabEnd(double x) const;
    double advanceAt(int32_t offset, size_t span) const;
    size_t spanIndexAt(int32_t offset) const;
    const CharFormat& formatForEmptyLine(int32_t offset) const;

    void takeText(const LayoutParagraphInput& input);

    // The input's own text, or its source's (see LayoutParagraphInput::source).
    ParagraphText m_ownText;
    const ParagraphText* m_source = nullptr;
    int32_t m_textLength = 0;
    ParaFormat m_format;
    CharFormat m_markFormat;
    std::vector<LayoutSpan> m_spans;
    std::vector<int32_t> m_tabs;  // ascending
    LayoutLabel m_label;
    LayoutDevice m_device;
    int32_t m_width = NoWrap;
    int32_t m_startOffset = 0;
    bool m_showsNothing = false;
    // Lines from m_shiftFrom on are stored without the last edits' move (m_shiftStart
    // characters, m_shiftTop twips): an edit moves the lines after it in a constant time, and
    // the shift is worked into the stored lines only between edits at different places.
    LineStore m_lines;
    size_t m_shiftFrom = 0;
    int64_t m_shiftTop = 0;
    int32_t m_shiftStart = 0;
    int32_t m_height = 0;
};

}  // namespace richedit
