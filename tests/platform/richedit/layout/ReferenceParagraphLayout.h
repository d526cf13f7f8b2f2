// The paragraph layout as it was before bulk passes reused one layout and runs were measured
// with hoisted fonts: the oracle ParagraphLayoutOracleTest compares the layout with, line by
// line. Only making and relaying out; no position mapping.
#pragma once

#include "platform/richedit/layout/LayoutPictures.h"
#include "platform/richedit/layout/ParagraphLayout.h"

#include <algorithm>
#include <cmath>

namespace testsupport::reference {

using namespace richedit;

constexpr char16_t LineBreakCharacter = u'\x000B';
constexpr double Unlimited = std::numeric_limits<double>::infinity();
constexpr int32_t DefaultTabTw = 720;
// Largest spacing, indent or line height the layout accepts (twips, about 11,650 inches).
constexpr int32_t MaxLengthTw = 1 << 24;

inline int32_t clampLength(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, 0, MaxLengthTw));
}

// Tops add up over many lines; a long paragraph may pass MaxLengthTw.
inline int32_t clampTop(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()));
}

inline bool isPairAt(const QString& text, int32_t i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

inline bool isInsidePair(const QString& text, int32_t i)
{
    return i > 0 && i < text.size() && text[i].isLowSurrogate() && text[i - 1].isHighSurrogate();
}

class ReferenceParagraphLayout {
public:
    ReferenceParagraphLayout(const LayoutParagraphInput& input, int32_t widthTw,
                             const QPaintDevice* device = nullptr, int32_t startOffset = 0);
    void relayout(const LayoutParagraphInput& input, const ParagraphEdit& edit);

    const std::vector<LayoutLine>& lines() const { return m_lines; }
    int32_t height() const { return m_height; }
    const LayoutLabel& label() const { return m_label; }
    int32_t textLength() const { return int32_t(m_text.size()); }

private:
    struct Span {
        int32_t start = 0;
        int32_t length = 0;
        CharFormat format;
        std::shared_ptr<const Picture> picture;
        std::shared_ptr<const MeasuringFont> font;
        int32_t end() const { return start + length; }
    };
    struct LineBreak;
    static constexpr int32_t NoWrap = 0;

    bool wraps() const { return m_width > 0; }
    void buildSpans(const LayoutParagraphInput& input);
    void layOutFrom(int first, const ParagraphEdit* edit);
    double followingIndent() const;
    double lineLimit() const;
    void buildLabel();
    LineBreak breakLine(int32_t from, double origin, double limit) const;
    double firstLineOrigin(double following) const;
    LayoutLine lineOf(const LineBreak& brk) const;
    void measureHeights(LayoutLine& line, bool firstInParagraph, bool lastInParagraph) const;
    void align(LayoutLine& line, double limit, bool lastInParagraph) const;
    int32_t lineBoxHeight(int32_t natural) const;
    double tabEnd(double x) const;
    double advanceAt(int32_t offset, size_t span) const;
    size_t spanIndexAt(int32_t offset) const;
    bool isHidden(int32_t offset) const;
    const CharFormat& formatForEmptyLine(int32_t offset) const;

    QString m_text;
    ParaFormat m_format;
    CharFormat m_markFormat;
    std::vector<Span> m_spans;
    std::vector<int32_t> m_tabs;
    LayoutLabel m_label;
    LayoutDevice m_device;
    int32_t m_width = NoWrap;
    int32_t m_startOffset = 0;
    bool m_showsNothing = false;
    std::vector<LayoutLine> m_lines;
    int32_t m_height = 0;
};

// Where a line ends and how far its characters reach (x before alignment).
struct ReferenceParagraphLayout::LineBreak {
    int32_t start = 0;
    int32_t end = 0;
    double origin = 0;
    int32_t contentEnd = 0;
    double contentEndX = 0;
    double endX = 0;
    bool closedByBreak = false;
    bool softWrap = false;
    int32_t decidedBy = 0;
};

inline ReferenceParagraphLayout::ReferenceParagraphLayout(const LayoutParagraphInput& input,
                                                          int32_t widthTw,
                                                          const QPaintDevice* device,
                                                          int32_t startOffset)
    : m_text(input.characters().string()),
      m_format(input.format ? *input.format : defaultParaFormat()),
      m_markFormat(input.markFormat ? *input.markFormat : defaultCharFormat()),
      m_device(LayoutDevice::of(device)),
      m_width(std::max(widthTw, NoWrap)),
      m_showsNothing(paragraphShowsNothing(input))
{
    const int32_t length = textLength();
    m_startOffset = std::clamp(startOffset, 0, length);
    if (isInsidePair(m_text, m_startOffset))
        ++m_startOffset;
    buildSpans(input);
    m_tabs.assign(m_format.tabs.begin(),
                  m_format.tabs.begin() + std::min<size_t>(m_format.tabs.size(), MaxTabStops));
    std::sort(m_tabs.begin(), m_tabs.end());
    if (m_startOffset == 0 && !input.listLabel.isEmpty() && !m_showsNothing) {
        m_label.text = input.listLabel;
        buildLabel();
    }

    layOutFrom(0, nullptr);
}

inline double ReferenceParagraphLayout::followingIndent() const
{
    const double startIndent = std::clamp(m_format.startIndent, -MaxLengthTw, MaxLengthTw);
    return std::max(0.0, startIndent + std::clamp(m_format.offset, -MaxLengthTw, MaxLengthTw));
}

inline double ReferenceParagraphLayout::lineLimit() const
{
    return wraps() ? double(m_width) - std::clamp(m_format.rightIndent, -MaxLengthTw, MaxLengthTw)
                   : Unlimited;
}

inline void ReferenceParagraphLayout::layOutFrom(int first, const ParagraphEdit* edit)
{
    const int32_t length = textLength();
    const double following = followingIndent();
    const double limit = lineLimit();
    const int32_t delta = edit ? edit->added - edit->removed : 0;
    const int32_t editEnd = edit ? edit->offset + edit->removed : 0;  // before the edit
    const auto originOf = [&](size_t made) {
        return made == 0 && first == 0 ? firstLineOrigin(following) : following;
    };

    // Old lines from `kept` on stay; the first old line that may still be one after the edit
    // is `candidate`.
    size_t kept = m_lines.size();
    size_t candidate = size_t(first) + 1;
    std::vector<LineBreak> breaks;
    int32_t from = first > 0 ? m_lines[size_t(first) - 1].end() : m_startOffset;
    while (from < length) {
        breaks.push_back(breakLine(from, originOf(breaks.size()), limit));
        from = breaks.back().end;
        // A line that ran out of text is the last one, whatever followed before.
        if (!edit || (from == length && !breaks.back().closedByBreak))
            continue;
        while (candidate < m_lines.size() && m_lines[candidate].start + delta < from)
            ++candidate;
        if (candidate < m_lines.size() && m_lines[candidate].start >= editEnd &&
            m_lines[candidate].start + delta == from) {
            kept = candidate;
            break;
        }
    }
    const bool hasTail = kept < m_lines.size();
    if (!hasTail && (breaks.empty() || breaks.back().closedByBreak)) {
        // An empty paragraph, or the empty line after a final U+000B.
        LineBreak empty;
        empty.start = empty.end = empty.contentEnd = length;
        empty.origin = empty.contentEndX = empty.endX = originOf(breaks.size());
        empty.decidedBy = length + 1;
        breaks.push_back(empty);
    }

    const LayoutLine* before = first > 0 ? &m_lines[size_t(first) - 1] : nullptr;
    int64_t top = before ? int64_t(before->top) + before->height : 0;
    int32_t decided = before ? before->decidedBy : 0;
    std::vector<LayoutLine> fresh;
    fresh.reserve(breaks.size());
    for (size_t i = 0; i < breaks.size(); ++i) {
        LayoutLine line = lineOf(breaks[i]);
        measureHeights(line, i == 0 && first == 0 && m_startOffset == 0,
                       !hasTail && i + 1 == breaks.size());
        align(line, limit, !hasTail && i + 1 == breaks.size());
        line.top = clampTop(top);
        line.baseline = clampTop(top + line.baseline);
        decided = std::max(decided, line.decidedBy);
        line.decidedBy = decided;
        top += line.height;
        fresh.push_back(line);
    }
    if (hasTail) {
        // The kept lines move by the edit's length and by the height the new lines changed.
        const int64_t moved = top - m_lines[kept].top;
        for (size_t j = kept; j < m_lines.size(); ++j) {
            LayoutLine& line = m_lines[j];
            line.start += delta;
            line.justifyFrom += delta;
            decided = std::max(decided, line.decidedBy + delta);
            line.decidedBy = decided;
            if (moved != 0) {
                line.top = clampTop(line.top + moved);
                line.baseline = clampTop(line.baseline + moved);
            }
        }
    }
    const auto at = m_lines.begin() + first;
    if (m_lines.empty()) {
        m_lines = std::move(fresh);
    } else if (fresh.size() == kept - size_t(first)) {
        std::move(fresh.begin(), fresh.end(), at);
    } else {
        m_lines.erase(at, m_lines.begin() + std::ptrdiff_t(kept));
        m_lines.insert(m_lines.begin() + first, fresh.begin(), fresh.end());
    }
    m_height = clampTop(int64_t(m_lines.back().top) + m_lines.back().height);
}

inline void ReferenceParagraphLayout::relayout(const LayoutParagraphInput& input,
                                               const ParagraphEdit& edit)
{
    m_text = input.characters().string();
    m_spans.clear();
    buildSpans(input);
    if (!m_label.text.isEmpty())
        buildLabel();  // it takes the first character's format
    // The first line whose break looked at a character the edit changed.
    const auto changed =
        std::partition_point(m_lines.begin(), m_lines.end(),
                             [&](const LayoutLine& line) { return line.decidedBy <= edit.offset; });
    layOutFrom(int(std::min(changed, m_lines.end() - 1) - m_lines.begin()), &edit);
}

inline void ReferenceParagraphLayout::buildSpans(const LayoutParagraphInput& input)
{
    const int32_t length = textLength();
    int32_t position = 0;
    auto add = [&](int32_t count, const CharFormat& format,
                   std::shared_ptr<const Picture> picture) {
        Span span{position, count, format, std::move(picture), {}};
        span.font = measuringFont(span.format, m_device);
        m_spans.push_back(std::move(span));
        position += count;
    };
    for (const LayoutRun& run : input.runs) {
        if (position >= length)
            break;
        if (run.length > 0)
            add(std::min(run.length, length - position), run.format ? *run.format : m_markFormat,
                run.picture);
    }
    if (position < length)
        add(length - position, m_markFormat, nullptr);
}

inline void ReferenceParagraphLayout::buildLabel()
{
    CharFormat format = m_spans.empty() ? m_markFormat : m_spans.front().format;
    // The label takes the first character's face, size and colour, not its decorations.
    format.effects &= ~(Underline | StrikeOut | Link | SubSuperscript | Hidden);
    format.offsetTw = 0;
    m_label.format = format;
    m_label.x = std::clamp<double>(m_format.startIndent, 0, MaxLengthTw);
    m_label.width = measuringFont(format, m_device)->textWidth(m_label.text);
}

inline double ReferenceParagraphLayout::tabEnd(double x) const
{
    auto stop = std::find_if(m_tabs.begin(), m_tabs.end(), [x](int32_t tab) { return tab > x; });
    if (stop != m_tabs.end())
        return *stop;
    return (std::floor(x / DefaultTabTw) + 1) * DefaultTabTw;
}

inline double ReferenceParagraphLayout::advanceAt(int32_t offset, size_t span) const
{
    const Span& run = m_spans[span];
    if (run.format.is(Hidden))
        return 0;
    if (run.picture)
        return pictureSizeTw(*run.picture).width();
    if (isPairAt(m_text, offset))
        return run.font->advance(QChar::surrogateToUcs4(m_text[offset], m_text[offset + 1]));
    return run.font->advance(m_text[offset].unicode());
}

inline size_t ReferenceParagraphLayout::spanIndexAt(int32_t offset) const
{
    auto after = std::upper_bound(m_spans.begin(), m_spans.end(), offset,
                                  [](int32_t value, const Span& s) { return value < s.start; });
    return after == m_spans.begin() ? 0 : size_t(after - m_spans.begin() - 1);
}

inline bool ReferenceParagraphLayout::isHidden(int32_t offset) const
{
    return !m_spans.empty() && m_spans[spanIndexAt(offset)].format.is(Hidden);
}

inline ReferenceParagraphLayout::LineBreak ReferenceParagraphLayout::breakLine(int32_t from,
                                                                               double origin,
                                                                               double limit) const
{
    const int32_t length = textLength();
    LineBreak result;
    result.start = from;
    result.origin = origin;
    LineBreak lastBreak;  // the line as it would end at the last break opportunity
    double x = origin;
    int32_t contentEnd = from;
    double contentEndX = origin;
    bool placed = false;  // a shown character is on the line before `i`
    size_t span = spanIndexAt(from);
    for (int32_t i = from; i < length;) {
        while (span + 1 < m_spans.size() && m_spans[span].end() <= i)
            ++span;
        const char16_t c = m_text[i].unicode();
        if (m_spans[span].format.is(Hidden)) {
            // Hidden text takes no room and neither ends nor breaks a line.
            i += isPairAt(m_text, i) ? 2 : 1;
            result.end = i;
            continue;
        }
        if (c == LineBreakCharacter) {
            result.end = i + 1;
            result.closedByBreak = true;
            result.decidedBy = i + 1;
            break;
        }
        if (c == u' ' && !m_spans[span].picture) {
            x += advanceAt(i, span);
            ++i;
            placed = true;
            lastBreak = {from, i, origin, contentEnd, contentEndX, x, false, true};
            continue;
        }
        const double width = c == u'\t' ? tabEnd(x) - x : advanceAt(i, span);
        if (placed && x + width > limit) {
            LineBreak wrapped =
                lastBreak.end > from ? lastBreak : LineBreak{from, i, origin, i, x, x, false, true};
            wrapped.decidedBy = i + 1;
            return wrapped;
        }
        x += width;
        i += isPairAt(m_text, i) ? 2 : 1;
        placed = true;
        contentEnd = i;
        contentEndX = x;
        if (c == u'\t')
            lastBreak = {from, i, origin, contentEnd, contentEndX, x, false, true};
        result.end = i;
    }
    if (!result.closedByBreak) {
        result.end = length;
        result.decidedBy = length + 1;  // more text could join the line
    }
    result.contentEnd = contentEnd;
    result.contentEndX = contentEndX;
    result.endX = x;
    return result;
}

inline double ReferenceParagraphLayout::firstLineOrigin(double following) const
{
    if (m_startOffset > 0)
        return following;
    const double first = std::clamp<double>(m_format.startIndent, 0, MaxLengthTw);
    if (m_label.text.isEmpty())
        return first;
    // The text keeps to the following-lines indent when the label fits before it.
    const double labelEnd = m_label.x + m_label.width;
    if (following >= labelEnd)
        return following;
    return labelEnd + measuringFont(m_label.format, m_device)->advance(u' ');
}

inline LayoutLine ReferenceParagraphLayout::lineOf(const LineBreak& brk) const
{
    const double origin = brk.origin;
    LayoutLine line;
    line.start = brk.start;
    line.length = brk.end - brk.start;
    line.closedByBreak = brk.closedByBreak;
    line.softWrap = brk.softWrap;
    line.hangingSpaces = line.lengthWithoutBreak() - (brk.contentEnd - brk.start);
    line.origin = origin;
    line.left = origin;
    line.contentWidth = brk.contentEndX - origin;
    line.right = brk.endX;
    line.justifyFrom = brk.start;
    line.decidedBy = brk.decidedBy;
    return line;
}

inline const CharFormat& ReferenceParagraphLayout::formatForEmptyLine(int32_t offset) const
{
    if (offset == 0 || m_spans.empty())
        return m_markFormat;
    return m_spans[spanIndexAt(offset - 1)].format;
}

inline void ReferenceParagraphLayout::measureHeights(LayoutLine& line, bool firstInParagraph,
                                                     bool lastInParagraph) const
{
    if (m_showsNothing)
        return;  // the one line keeps every height 0
    double ascent = 0;
    double descent = 0;
    auto takeFont = [&](const MeasuringFont& font) {
        ascent = std::max(ascent, font.ascent() + font.raise());
        descent = std::max(descent, font.descent() - font.raise());
    };
    bool shown = false;
    if (line.length == 0) {
        takeFont(*measuringFont(formatForEmptyLine(line.start), m_device));
        shown = true;
    } else {
        for (size_t s = spanIndexAt(line.start); s < m_spans.size(); ++s) {
            const Span& span = m_spans[s];
            if (span.start >= line.end())
                break;
            if (span.format.is(Hidden))
                continue;
            shown = true;
            if (span.picture) {
                // A picture stands on the baseline.
                ascent = std::max<double>(
                    ascent, pictureSizeTw(*span.picture).height() + span.font->raise());
                descent = std::max<double>(descent, -span.font->raise());
            } else {
                takeFont(*span.font);
            }
        }
    }
    if (!shown)  // only hidden text: as high as an empty line
        takeFont(*measuringFont(m_markFormat, m_device));
    if (firstInParagraph && !m_label.text.isEmpty())
        takeFont(*measuringFont(m_label.format, m_device));

    line.ascent = clampLength(std::llround(ascent));
    line.descent = clampLength(std::llround(descent));
    const int32_t natural = clampLength(int64_t(line.ascent) + line.descent);
    const int32_t box = lineBoxHeight(natural);
    line.spaceBefore = firstInParagraph ? clampLength(m_format.spaceBefore) : 0;
    line.spaceAfter = lastInParagraph ? clampLength(m_format.spaceAfter) : 0;
    line.height = line.spaceBefore + box + line.spaceAfter;  // each part below 2^24
    // Extra height goes above the text; an exact height below the natural one squeezes it.
    const int64_t inBox = box >= natural ? box - line.descent
                                         : (natural > 0 ? int64_t(line.ascent) * box / natural : 0);
    line.baseline = clampLength(line.spaceBefore + inBox);
}

inline int32_t ReferenceParagraphLayout::lineBoxHeight(int32_t natural) const
{
    const int64_t value = m_format.lineSpacing;
    switch (m_format.lineSpacingRule) {
        case 1:
            return clampLength((int64_t(natural) * 3 + 1) / 2);
        case 2:
            return clampLength(int64_t(natural) * 2);
        case 3:
            return clampLength(std::max<int64_t>(natural, value));
        case 4:
            // An exact height of nothing would stack every line on the one before.
            return value > 0 ? clampLength(value) : natural;
        case 5:
            return value > 0 ? clampLength((natural * value + 10) / 20) : natural;
        default:
            return natural;
    }
}

inline void ReferenceParagraphLayout::align(LayoutLine& line, double limit,
                                            bool lastInParagraph) const
{
    if (!wraps())
        return;
    const double room = limit - line.origin - line.contentWidth;
    if (room <= 0)
        return;
    switch (m_format.alignment) {
        case AlignRight:
            line.shift = room;
            break;
        case AlignCenter:
            line.shift = room / 2;
            break;
        case AlignJustify: {
            if (lastInParagraph)
                return;
            // Spaces after the last tab stretch, so that tabbed columns stay put.
            const int32_t contentEnd = line.start + line.contentLength();
            int32_t from = line.start;
            int spaces = 0;
            for (int32_t i = line.start; i < contentEnd; ++i) {
                if (isHidden(i))
                    continue;
                if (m_text[i] == u'\t') {
                    from = i + 1;
                    spaces = 0;
                } else if (m_text[i] == u' ') {
                    ++spaces;
                }
            }
            if (spaces == 0)
                return;
            line.justifyFrom = from;
            line.spaceExtra = room / spaces;
            line.contentWidth += room;
            line.right += room;
            return;
        }
        default:
            return;
    }
    line.left += line.shift;
    line.right += line.shift;
}

}  // namespace testsupport::reference
