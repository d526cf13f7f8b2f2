#include "platform/richedit/layout/ParagraphLayout.h"

#include "platform/richedit/layout/LayoutPictures.h"

#include <algorithm>
#include <cmath>

namespace richedit {
namespace {

constexpr char16_t LineBreakCharacter = u'\x000B';
constexpr double Unlimited = std::numeric_limits<double>::infinity();
constexpr int32_t DefaultTabTw = 720;
// Largest spacing, indent or line height the layout accepts (twips, about 11,650 inches).
constexpr int32_t MaxLengthTw = 1 << 24;

int32_t clampLength(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, 0, MaxLengthTw));
}

// Tops add up over many lines; a long paragraph may pass MaxLengthTw.
int32_t clampTop(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()));
}

// Moves a line by an edit before it; the caller keeps the tops away from the clamp.
void moveLine(LayoutLine& line, int32_t characters, int64_t twips)
{
    line.start += characters;
    line.justifyFrom += characters;
    line.decidedBy += characters;
    line.top = int32_t(line.top + twips);
    line.baseline = int32_t(line.baseline + twips);
}

bool isPairAt(const ParagraphText& text, int32_t i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

bool isInsidePair(const ParagraphText& text, int32_t i)
{
    return i > 0 && i < text.size() && text[i].isLowSurrogate() && text[i - 1].isHighSurrogate();
}

}  // namespace

bool paragraphShowsNothing(const LayoutParagraphInput& input)
{
    if (input.endsDocument || !input.markFormat || !input.markFormat->is(Hidden))
        return false;
    // Runs short of the text leave the rest in the mark's (hidden) format.
    int32_t covered = 0;
    const auto length = int32_t(input.characters().size());
    for (const LayoutRun& run : input.runs) {
        if (covered >= length)
            break;
        if (run.length > 0 && !(run.format ? *run.format : *input.markFormat).is(Hidden))
            return false;
        covered += std::max(run.length, 0);
    }
    return true;
}

// Where a line ends and how far its characters reach (x before alignment).
struct ParagraphLayout::LineBreak {
    int32_t start = 0;
    int32_t end = 0;
    double origin = 0;
    int32_t contentEnd = 0;  // after the last character that is not a hanging space or U+000B
    double contentEndX = 0;
    double endX = 0;
    bool closedByBreak = false;
    bool softWrap = false;
    int32_t decidedBy = 0;
};

ParagraphLayout::ParagraphLayout(const LayoutParagraphInput& input, int32_t widthTw,
                                 const QPaintDevice* device, int32_t startOffset)
{
    layOut(input, widthTw, LayoutDevice::of(device), startOffset);
}

void ParagraphLayout::layOut(const LayoutParagraphInput& input, int32_t widthTw,
                             LayoutDevice device, int32_t startOffset)
{
    takeText(input);
    m_format = input.format ? *input.format : defaultParaFormat();
    m_markFormat = input.markFormat ? *input.markFormat : defaultCharFormat();
    m_device = device;
    m_width = std::max(widthTw, NoWrap);
    m_showsNothing = paragraphShowsNothing(input);
    const int32_t length = textLength();
    m_startOffset = std::clamp(startOffset, 0, length);
    if (isInsidePair(text(), m_startOffset))
        ++m_startOffset;
    buildSpans(input);
    m_tabs.assign(m_format.tabs.begin(),
                  m_format.tabs.begin() + std::min<size_t>(m_format.tabs.size(), MaxTabStops));
    std::sort(m_tabs.begin(), m_tabs.end());
    m_label = {};
    if (m_startOffset == 0 && !input.listLabel.isEmpty() && !m_showsNothing) {
        m_label.text = input.listLabel;
        buildLabel();
    }

    m_lines.clear();
    m_shiftFrom = 0;
    m_shiftStart = 0;
    m_shiftTop = 0;
    m_height = 0;
    layOutFrom(0, nullptr);
}

double ParagraphLayout::followingIndent() const
{
    const double startIndent = std::clamp(m_format.startIndent, -MaxLengthTw, MaxLengthTw);
    return std::max(0.0, startIndent + std::clamp(m_format.offset, -MaxLengthTw, MaxLengthTw));
}

double ParagraphLayout::lineLimit() const
{
    return wraps() ? double(m_width) - std::clamp(m_format.rightIndent, -MaxLengthTw, MaxLengthTw)
                   : Unlimited;
}

void ParagraphLayout::layOutFrom(int first, const ParagraphEdit* edit)
{
    const int32_t length = textLength();
    const double following = followingIndent();
    const double limit = lineLimit();
    const int32_t delta = edit ? edit->added - edit->removed : 0;
    const int32_t editEnd = edit ? edit->offset + edit->removed : 0;  // before the edit
    const auto originOf = [&](size_t made) {
        return made == 0 && first == 0 ? firstLineOrigin(following) : following;
    };

    // Without an edit (from the start, the lines cleared) the lines go straight into m_lines;
    // an edit compares the new lines with the old ones, so they are made aside.
    std::vector<LayoutLine> fresh;
    const LayoutLine before = first > 0 ? line(first - 1) : LayoutLine();
    int64_t top = first > 0 ? int64_t(before.top) + before.height : 0;
    int32_t decided = first > 0 ? before.decidedBy : 0;
    const bool startsParagraph = first == 0 && m_startOffset == 0;
    const auto addLine = [&](const LineBreak& brk, bool firstInParagraph, bool last) {
        const LayoutLine made = makeLine(brk, firstInParagraph, last, limit, top, decided);
        if (edit)
            fresh.push_back(made);
        else
            m_lines.push_back(made);
    };

    // Old lines from `kept` on stay; the first old line that may still be one after the edit
    // is `candidate`. A break becomes a line once the next one shows whether it is the last.
    size_t kept = size_t(lineCount());
    size_t candidate = size_t(first) + 1;
    size_t breaks = 0;
    LineBreak pending;
    int32_t from = first > 0 ? before.end() : m_startOffset;
    while (from < length) {
        const LineBreak next = breakLine(from, originOf(breaks), limit);
        if (breaks > 0)
            addLine(pending, breaks == 1 && startsParagraph, false);
        pending = next;
        ++breaks;
        from = next.end;
        // A line that ran out of text is the last one, whatever followed before.
        if (!edit || (from == length && !next.closedByBreak))
            continue;
        while (candidate < kept && lineWithShift(candidate).start + delta < from)
            ++candidate;
        if (candidate < kept && lineWithShift(candidate).start >= editEnd &&
            lineWithShift(candidate).start + delta == from) {
            kept = candidate;
            break;
        }
    }
    const bool hasTail = edit && kept < size_t(lineCount());
    if (!hasTail && (breaks == 0 || pending.closedByBreak)) {
        // An empty paragraph, or the empty line after a final U+000B.
        LineBreak empty;
        empty.start = empty.end = empty.contentEnd = length;
        empty.origin = empty.contentEndX = empty.endX = originOf(breaks);
        empty.decidedBy = length + 1;
        if (breaks > 0)
            addLine(pending, breaks == 1 && startsParagraph, false);
        pending = empty;
        ++breaks;
    }
    addLine(pending, breaks == 1 && startsParagraph, !hasTail);
    if (!edit) {
        m_height = clampTop(int64_t(m_lines.back().top) + m_lines.back().height);
        return;
    }
    if (hasTail) {
        // The kept lines move by the edit's length and by the height the new lines changed.
        moveTail(kept, delta, top - lineWithShift(kept).top, decided);
    } else if (m_shiftStart != 0 || m_shiftTop != 0) {
        // Every line from `first` on is made again.
        applyShift(m_shiftFrom, size_t(first));
        m_shiftStart = 0;
        m_shiftTop = 0;
    }
    // The new lines end before m_shiftFrom (moveTail left it at `kept` or after).
    if (fresh.size() == kept - size_t(first)) {
        auto next = fresh.begin();
        m_lines.forEach(size_t(first), kept, [&](LayoutLine& line) { line = *next++; });
    } else {
        m_lines.replace(size_t(first), kept - size_t(first), fresh);
        m_shiftFrom = m_shiftFrom + fresh.size() - (kept - size_t(first));
    }
    const LayoutLine last = withShift(m_lines.size() - 1, m_lines.back());
    m_height = clampTop(int64_t(last.top) + last.height);
}

void ParagraphLayout::moveTail(size_t kept, int32_t delta, int64_t moved, int32_t decided)
{
    const size_t count = size_t(lineCount());
    const bool pending = m_shiftStart != 0 || m_shiftTop != 0;
    // Tops clamp only near the largest heights, which a shift kept aside would not repeat:
    // there the lines move one by one.
    const int64_t reach = int64_t(m_height) + std::abs(moved) + std::abs(m_shiftTop);
    if (reach >= std::numeric_limits<int32_t>::max() / 2) {
        if (pending)
            applyShift(m_shiftFrom, count);
        m_shiftStart = 0;
        m_shiftTop = 0;
        m_lines.forEach(kept, count, [&](LayoutLine& line) {
            line.start += delta;
            line.justifyFrom += delta;
            decided = std::max(decided, line.decidedBy + delta);
            line.decidedBy = decided;
            if (moved != 0) {
                line.top = clampTop(line.top + moved);
                line.baseline = clampTop(line.baseline + moved);
            }
        });
        return;
    }
    // Only the stored lines between this edit and the last one's shift are touched, on the
    // side that holds fewer.
    if (!pending) {
        m_shiftFrom = kept;
    } else if (m_shiftFrom <= kept) {
        applyShift(m_shiftFrom, kept);
        m_shiftFrom = kept;
    } else if (m_shiftFrom - kept <= count - m_shiftFrom) {
        m_lines.forEach(kept, m_shiftFrom, [&](LayoutLine& line) { moveLine(line, delta, moved); });
    } else {
        applyShift(m_shiftFrom, count);
        m_shiftFrom = kept;
        m_shiftStart = 0;
        m_shiftTop = 0;
    }
    m_shiftStart += delta;
    m_shiftTop += moved;
    // The lines' decidedBy grow from line to line: once a moved one reaches the new lines'
    // `decided`, so do all after it.
    for (size_t j = kept; j < count; ++j) {
        LayoutLine line = lineWithShift(j);
        if (line.decidedBy >= decided)
            break;
        line.decidedBy = decided;
        store(j, line);
    }
}

template <typename Predicate>
int ParagraphLayout::partitionLines(Predicate holds) const
{
    return int(m_lines.partition(
        [&](size_t index, const LayoutLine& line) { return holds(withShift(index, line)); }));
}

LayoutLine ParagraphLayout::lineWithShift(size_t index) const
{
    return withShift(index, m_lines[index]);
}

LayoutLine ParagraphLayout::withShift(size_t index, const LayoutLine& stored) const
{
    LayoutLine line = stored;
    if (index >= m_shiftFrom)
        moveLine(line, m_shiftStart, m_shiftTop);
    return line;
}

void ParagraphLayout::store(size_t index, LayoutLine line)
{
    if (index >= m_shiftFrom)
        moveLine(line, -m_shiftStart, -m_shiftTop);
    m_lines[index] = line;
}

void ParagraphLayout::applyShift(size_t from, size_t to)
{
    m_lines.forEach(std::max(from, m_shiftFrom), to,
                    [&](LayoutLine& line) { moveLine(line, m_shiftStart, m_shiftTop); });
}

std::vector<LayoutLine> ParagraphLayout::lines() const
{
    std::vector<LayoutLine> result;
    result.reserve(size_t(lineCount()));
    m_lines.forEach(0, m_lines.size(), [&](const LayoutLine& line) {
        result.push_back(withShift(result.size(), line));
    });
    return result;
}

LayoutLine ParagraphLayout::makeLine(const LineBreak& brk, bool first, bool last, double limit,
                                     int64_t& top, int32_t& decided) const
{
    LayoutLine line = lineOf(brk);
    measureHeights(line, first, last);
    align(line, limit, last);
    line.top = clampTop(top);
    line.baseline = clampTop(top + line.baseline);
    decided = std::max(decided, line.decidedBy);
    line.decidedBy = decided;
    top += line.height;
    return line;
}

bool ParagraphLayout::canRelayout(const LayoutParagraphInput& input,
                                  const ParagraphEdit& edit) const
{
    const int32_t oldLength = textLength();
    const auto newLength = int32_t(input.characters().size());
    return m_startOffset == 0 && lineCount() > 0 && edit.offset >= 0 && edit.removed >= 0 &&
           edit.added >= 0 && edit.offset + edit.removed <= oldLength &&
           newLength == oldLength - edit.removed + edit.added &&
           (input.format ? *input.format : defaultParaFormat()) == m_format &&
           (input.markFormat ? *input.markFormat : defaultCharFormat()) == m_markFormat &&
           input.listLabel == m_label.text && paragraphShowsNothing(input) == m_showsNothing;
}

void ParagraphLayout::relayout(const LayoutParagraphInput& input, const ParagraphEdit& edit)
{
    takeText(input);
    buildSpans(input);
    if (!m_label.text.isEmpty())
        buildLabel();  // it takes the first character's format
    // The first line whose break looked at a character the edit changed.
    const int changed =
        partitionLines([&](const LayoutLine& line) { return line.decidedBy <= edit.offset; });
    layOutFrom(std::min(changed, lineCount() - 1), &edit);
}

void ParagraphLayout::takeText(const LayoutParagraphInput& input)
{
    m_source = input.source;
    m_ownText = input.source ? ParagraphText() : input.text;
    m_textLength = int32_t(text().size());
}

void ParagraphLayout::buildSpans(const LayoutParagraphInput& input)
{
    m_spans.clear();
    const int32_t length = textLength();
    int32_t position = 0;
    const auto add = [&](int32_t count, const CharFormat& format,
                         const std::shared_ptr<const Picture>& picture) {
        m_spans.push_back(
            {position, count, format, picture, &sharedMeasuringFont(format, m_device)});
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

void ParagraphLayout::buildLabel()
{
    CharFormat format = m_spans.empty() ? m_markFormat : m_spans.front().format;
    // The label takes the first character's face, size and colour, not its decorations.
    format.effects &= ~(Underline | StrikeOut | Link | SubSuperscript | Hidden);
    format.offsetTw = 0;
    m_label.format = format;
    m_label.x = std::clamp<double>(m_format.startIndent, 0, MaxLengthTw);
    m_label.width = sharedMeasuringFont(format, m_device).textWidth(m_label.text);
}

double ParagraphLayout::tabEnd(double x) const
{
    auto stop = std::find_if(m_tabs.begin(), m_tabs.end(), [x](int32_t tab) { return tab > x; });
    if (stop != m_tabs.end())
        return *stop;
    return (std::floor(x / DefaultTabTw) + 1) * DefaultTabTw;
}

double ParagraphLayout::advanceAt(int32_t offset, size_t span) const
{
    const LayoutSpan& run = m_spans[span];
    if (run.format.is(Hidden))
        return 0;
    if (run.picture)
        return pictureSizeTw(*run.picture).width();
    if (isPairAt(text(), offset))
        return run.font->advance(QChar::surrogateToUcs4(text()[offset], text()[offset + 1]));
    return run.font->advance(text()[offset].unicode());
}

size_t ParagraphLayout::spanIndexAt(int32_t offset) const
{
    if (m_spans.size() <= 1)
        return 0;
    auto after =
        std::upper_bound(m_spans.begin(), m_spans.end(), offset,
                         [](int32_t value, const LayoutSpan& s) { return value < s.start; });
    return after == m_spans.begin() ? 0 : size_t(after - m_spans.begin() - 1);
}

bool ParagraphLayout::isHidden(int32_t offset) const
{
    return !m_spans.empty() && m_spans[spanIndexAt(offset)].format.is(Hidden);
}

const LayoutSpan* ParagraphLayout::spanAt(int32_t offset) const
{
    return m_spans.empty() ? nullptr : &m_spans[spanIndexAt(offset)];
}

ParagraphLayout::LineBreak ParagraphLayout::breakLine(int32_t from, double origin,
                                                      double limit) const
{
    if (const QChar* characters = text().singleString())
        return breakLineOver(characters, from, origin, limit);
    return breakLineOver(text().reader(), from, origin, limit);
}

template <typename Characters>
ParagraphLayout::LineBreak ParagraphLayout::breakLineOver(Characters text, int32_t from,
                                                          double origin, double limit) const
{
    const int32_t length = textLength();
    LineBreak result;
    result.start = from;
    result.origin = origin;
    // The line as it would end at the last break opportunity (after a space or a tab).
    LineBreak lastBreak{from, from, origin, from, origin, origin, false, true};
    double x = origin;
    int32_t contentEnd = from;
    double contentEndX = origin;
    bool placed = false;  // a shown character is on the line before `i`
    // The line when the character at `i` does not fit: up to the last break opportunity, or
    // else up to that character.
    const auto wrapped = [&](int32_t i) {
        LineBreak line =
            lastBreak.end > from ? lastBreak : LineBreak{from, i, origin, i, x, x, false, true};
        line.decidedBy = i + 1;
        return line;
    };
    size_t span = spanIndexAt(from);
    for (int32_t i = from; i < length && !result.closedByBreak;) {
        while (span + 1 < m_spans.size() && m_spans[span].end() <= i)
            ++span;
        const LayoutSpan& run = m_spans[span];
        // Spans cover the text, so the last one ends with it.
        const int32_t runEnd = run.end();
        if (run.format.is(Hidden)) {
            // Hidden text takes no room and neither ends nor breaks a line.
            while (i < runEnd)
                i += isPairAt(this->text(), i) ? 2 : 1;
            continue;
        }
        const MeasuringFont& font = *run.font;
        const bool picture = run.picture != nullptr;
        const double pictureWidth = picture ? pictureSizeTw(*run.picture).width() : 0;
        while (i < runEnd) {
            const char16_t c = text[i].unicode();
            if (c > u' ' && !QChar::isSurrogate(c) && !picture) {
                // Most characters: neither a break, a space, a tab nor half of a pair.
                const double width = font.advance(c);
                if (placed && x + width > limit)
                    return wrapped(i);
                x += width;
                ++i;
                placed = true;
                contentEnd = i;
                contentEndX = x;
                continue;
            }
            if (c == LineBreakCharacter) {
                result.end = i + 1;
                result.closedByBreak = true;
                result.decidedBy = i + 1;
                break;
            }
            if (c == u' ' && !picture) {
                x += font.advance(u' ');
                ++i;
                placed = true;
                lastBreak = {from, i, origin, contentEnd, contentEndX, x, false, true};
                continue;
            }
            const bool pair = QChar::isHighSurrogate(c) && isPairAt(this->text(), i);
            double width = 0;
            if (c == u'\t')
                width = tabEnd(x) - x;
            else if (picture)
                width = pictureWidth;
            else
                width = font.advance(pair ? QChar::surrogateToUcs4(c, text[i + 1].unicode()) : c);
            if (placed && x + width > limit)
                return wrapped(i);
            x += width;
            i += pair ? 2 : 1;
            placed = true;
            contentEnd = i;
            contentEndX = x;
            if (c == u'\t')
                lastBreak = {from, i, origin, contentEnd, contentEndX, x, false, true};
        }
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

double ParagraphLayout::firstLineOrigin(double following) const
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
    return labelEnd + sharedMeasuringFont(m_label.format, m_device).advance(u' ');
}

LayoutLine ParagraphLayout::lineOf(const LineBreak& brk) const
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

const CharFormat& ParagraphLayout::formatForEmptyLine(int32_t offset) const
{
    if (offset == 0 || m_spans.empty())
        return m_markFormat;
    return m_spans[spanIndexAt(offset - 1)].format;
}

void ParagraphLayout::measureHeights(LayoutLine& line, bool firstInParagraph,
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
        takeFont(sharedMeasuringFont(formatForEmptyLine(line.start), m_device));
        shown = true;
    } else {
        for (size_t s = spanIndexAt(line.start); s < m_spans.size(); ++s) {
            const LayoutSpan& span = m_spans[s];
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
        takeFont(sharedMeasuringFont(m_markFormat, m_device));
    if (firstInParagraph && !m_label.text.isEmpty())
        takeFont(sharedMeasuringFont(m_label.format, m_device));

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

int32_t ParagraphLayout::lineBoxHeight(int32_t natural) const
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

void ParagraphLayout::align(LayoutLine& line, double limit, bool lastInParagraph) const
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
            size_t span = spanIndexAt(line.start);
            for (int32_t i = line.start; i < contentEnd; ++i) {
                while (span + 1 < m_spans.size() && m_spans[span + 1].start <= i)
                    ++span;
                if (m_spans[span].format.is(Hidden))
                    continue;
                if (text()[i] == u'\t') {
                    from = i + 1;
                    spaces = 0;
                } else if (text()[i] == u' ') {
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

double ParagraphLayout::boxWidth() const
{
    double widest = std::max(m_width, 0);
    m_lines.forEach(0, m_lines.size(),
                    [&](const LayoutLine& line) { widest = std::max(widest, line.right); });
    if (!m_label.text.isEmpty())
        widest = std::max(widest, m_label.x + m_label.width);
    return widest;
}

int ParagraphLayout::lineAt(int32_t offset) const
{
    const int after = partitionLines([&](const LayoutLine& l) { return l.start <= offset; });
    return std::max(after - 1, 0);
}

int ParagraphLayout::lineAtHeight(int64_t y) const
{
    const int after = partitionLines([&](const LayoutLine& l) { return l.top <= y; });
    return std::max(after - 1, 0);
}

std::vector<double> ParagraphLayout::edges(int lineIndex) const
{
    const LayoutLine line = this->line(lineIndex);
    std::vector<double> result(size_t(line.length) + 1);
    const int32_t contentEnd = line.start + line.contentLength();
    double x = line.origin;
    double extra = 0;
    size_t span = spanIndexAt(line.start);
    for (int32_t k = 0; k < line.length;) {
        const int32_t i = line.start + k;
        while (span + 1 < m_spans.size() && m_spans[span].end() <= i)
            ++span;
        result[size_t(k)] = x + line.shift + extra;
        const char16_t c = text()[i].unicode();
        const bool pair = isPairAt(text(), i) && k + 1 < line.length;
        const bool hidden = m_spans[span].format.is(Hidden);
        if (!hidden && c == u'\t')
            x += tabEnd(x) - x;
        else if (c != LineBreakCharacter)
            x += advanceAt(i, span);  // 0 for hidden text
        if (c == u' ' && !hidden && i >= line.justifyFrom && i < contentEnd)
            extra += line.spaceExtra;
        if (pair) {
            result[size_t(k + 1)] = result[size_t(k)];  // inside the pair: no position of its own
            ++k;
        }
        ++k;
    }
    result[size_t(line.length)] = x + line.shift + extra;
    return result;
}

int32_t ParagraphLayout::positionFromX(int lineIndex, double x) const
{
    if (lineCount() == 0)
        return 0;  // a default-made layout has no lines
    lineIndex = std::clamp(lineIndex, 0, lineCount() - 1);
    const LayoutLine line = this->line(lineIndex);
    const int32_t visible = line.lengthWithoutBreak();
    if (visible == 0)
        return line.start;
    // The furthest position that still maps back to this line.
    int32_t furthest = visible;
    if (line.softWrap)
        furthest = visible - (isInsidePair(text(), line.start + visible - 1) ? 2 : 1);
    const std::vector<double> x0 = edges(lineIndex);
    if (x >= x0[size_t(visible)])
        return line.start + furthest;
    int32_t best = 0;
    for (int32_t k = 1; k <= visible; ++k) {
        if (isInsidePair(text(), line.start + k))
            continue;
        if (x0[size_t(k)] > x) {
            if (x0[size_t(k)] - x < x - x0[size_t(best)])
                best = k;
            break;
        }
        best = k;
    }
    return line.start + std::min(best, furthest);
}

double ParagraphLayout::xFromPosition(int32_t offset) const
{
    if (lineCount() == 0)
        return 0;
    const int index = lineAt(offset);
    const LayoutLine line = this->line(index);
    const std::vector<double> x = edges(index);
    return x[size_t(std::clamp(offset - line.start, 0, line.length))];
}

}  // namespace richedit
