// Character and paragraph formatting of ranges, and the mixed-value readings of them.
#include "platform/richedit/model/Document.h"
#include "platform/richedit/model/ParagraphRuns.h"

#include <unordered_map>

namespace richedit {

namespace {

constexpr uint32_t AutoBackColorReading = 0xFFFFFFFF;

uint32_t readColor(const CharFormat& format)
{
    return format.is(AutoColorEffect) ? 0 : format.color;
}

uint32_t readBackColor(const CharFormat& format)
{
    return format.is(AutoBackColorEffect) ? AutoBackColorReading : format.backColor;
}

// The mask bits of the fields in which two stored formats differ as the reader sees them:
// explicit black equals automatic text colour, automatic background equals no real colour.
uint32_t charDifferences(const CharFormat& a, const CharFormat& b)
{
    const uint32_t effects = a.effects ^ b.effects;
    uint32_t result = effects & (Bold | Italic | Underline | StrikeOut | Protected | Link | Hidden);
    if (effects & SubSuperscript)
        result |= SubSuperscript;
    if (readColor(a) != readColor(b))
        result |= Color;
    if (readBackColor(a) != readBackColor(b))
        result |= BackColor;
    if (a.heightTw != b.heightTw)
        result |= Size;
    if (a.offsetTw != b.offsetTw)
        result |= Offset;
    if (a.lcid != b.lcid)
        result |= Lcid;
    if (a.charset != b.charset)
        result |= Charset;
    if (a.face != b.face)
        result |= Face;
    return result;
}

uint32_t paraDifferences(const ParaFormat& a, const ParaFormat& b)
{
    uint32_t result = 0;
    const auto differ = [&](bool different, uint32_t bit) {
        if (different)
            result |= bit;
    };
    differ(a.startIndent != b.startIndent, StartIndent);
    differ(a.rightIndent != b.rightIndent, RightIndent);
    differ(a.offset != b.offset, OffsetIndent);
    differ(a.alignment != b.alignment, Alignment);
    differ(a.tabs != b.tabs, TabStops);
    differ(a.numbering != b.numbering, Numbering);
    differ(a.spaceBefore != b.spaceBefore, SpaceBefore);
    differ(a.spaceAfter != b.spaceAfter, SpaceAfter);
    differ(a.lineSpacing != b.lineSpacing || a.lineSpacingRule != b.lineSpacingRule, LineSpacing);
    differ(a.numberingStyle != b.numberingStyle, NumberingStyle);
    differ(a.numberingTab != b.numberingTab, NumberingTab);
    differ(a.numberingStart != b.numberingStart, NumberingStart);
    return result;
}

}  // namespace

CharFormat charFormatReading(const CharFormat& format, uint32_t mask)
{
    CharFormat result = format;
    result.mask = mask;
    result.color = readColor(format);
    result.backColor = readBackColor(format);
    return result;
}

void Document::applyChar(CharRange range, const CharFormat& change)
{
    const CharRange r = normalized(range);
    const bool endMark = r.cpMax == length();
    if (r.cpMin == r.cpMax && !endMark)
        return;
    const Location a = locate(r.cpMin);
    const Location b = locate(r.cpMax);
    std::unordered_map<uint32_t, uint32_t> remapped;
    const auto remap = [&](uint32_t index) {
        auto found = remapped.find(index);
        if (found != remapped.end())
            return found->second;
        CharFormat format = m_pool.at(index);
        mergeCharFormat(format, change);
        const uint32_t result = m_pool.intern(complete(format));
        remapped.emplace(index, result);
        return result;
    };
    if (a.paragraph == b.paragraph && !endMark) {
        formatInPlace(a.paragraph, a.offset, b.offset, remap);
        // The notice below is the one change the hint has seen; a watcher that changes the
        // document again makes it stale.
        m_runHint.version = m_version + 1;
        notify({ChangeKind::Format, r.cpMin, r.cpMax - r.cpMin, r.cpMax - r.cpMin});
        return;
    }
    std::vector<Paragraph> result;
    for (int i = a.paragraph; i <= b.paragraph; ++i) {
        const Paragraph& old = paragraph(i);
        const auto length = int32_t(old.text.size());
        const int32_t from = i == a.paragraph ? a.offset : 0;
        const int32_t to = i == b.paragraph ? b.offset : length;
        Paragraph paragraph;
        // The characters stay as they are: shared, not copied (a paragraph of millions of
        // characters takes one change for each address the link pass finds in it).
        paragraph.text = old.text;
        paragraph.format = old.format;
        paragraph.mark = i < b.paragraph || endMark ? remap(old.mark) : old.mark;
        RunList& runs = paragraph.runs;
        forEachRun(old, 0, length, [&](const TextRun& run, int32_t start, int32_t end) {
            if (run.picture) {
                const bool changed = start >= from && start < to;
                runs.push_back(TextRun{1, changed ? remap(run.format) : run.format, run.picture});
                return;
            }
            const int32_t changed = std::min(end, to) - std::max(start, from);
            appendRun(runs, std::min(end, from) - start, run.format);
            if (changed > 0)
                appendRun(runs, changed, remap(run.format));
            appendRun(runs, end - std::max(start, to), run.format);
        });
        result.push_back(std::move(paragraph));
    }
    const int32_t span = r.cpMax - r.cpMin;
    const int count = int(result.size());
    replaceParagraphs(a.paragraph, count, std::move(result),
                      {ChangeKind::Format, r.cpMin, span, span});
}

template <typename Remap>
void Document::formatInPlace(int index, int32_t from, int32_t to, Remap remap)
{
    m_paragraphs.update(index, [&](ParagraphSlot& slot) {
        RunList& runs = slot.paragraph->runs;
        // The runs [first, last) overlap the range; `start` is where the first begins.
        auto [first, start] = runAt(index, from);
        size_t last = first;
        int32_t end = start;
        while (last < runs.size() && end < to)
            end += runs[last++].length;
        if (first == last)
            return;
        // Their replacement, with a neighbour on either side so that runs of one format that
        // come to meet join as they would in a paragraph built afresh.
        const size_t low = first > 0 ? first - 1 : first;
        const size_t high = last < runs.size() ? last + 1 : last;
        const int32_t lowStart = low < first ? start - runs[low].length : start;
        const int32_t highEnd = high > last ? end + runs[last].length : end;
        // The undo buffer keeps just these runs.
        if (m_observer)
            m_observer->aboutToFormat(index, low, high, lowStart, highEnd - lowStart);
        m_runHint.paragraph = index;
        m_runHint.run = low;
        m_runHint.start = lowStart;
        RunList replacement;
        for (size_t k = low; k < first; ++k)
            appendRun(replacement, runs[k]);
        int32_t runStart = start;
        for (size_t k = first; k < last; ++k) {
            const TextRun& run = runs[k];
            const int32_t runEnd = runStart + run.length;
            if (run.picture) {
                const bool changed = runStart >= from && runStart < to;
                replacement.push_back(
                    TextRun{run.length, changed ? remap(run.format) : run.format, run.picture});
            } else {
                appendRun(replacement, std::min(runEnd, from) - runStart, run.format);
                appendRun(replacement, std::min(runEnd, to) - std::max(runStart, from),
                          remap(run.format));
                appendRun(replacement, runEnd - std::max(runStart, to), run.format);
            }
            runStart = runEnd;
        }
        for (size_t k = last; k < high; ++k)
            appendRun(replacement, runs[k]);
        const size_t count = replacement.size();
        replaceRuns(runs, low, high, std::move(replacement));
        if (m_observer)
            m_observer->formatted(index, count);
    });
}

void Document::restoreRuns(int paragraph, size_t first, size_t count, RunList runs, int32_t offset,
                           int32_t length)
{
    m_paragraphs.update(paragraph, [&](ParagraphSlot& slot) {
        replaceRuns(slot.paragraph->runs, first, first + count, std::move(runs));
    });
    const int32_t start = paragraphStart(paragraph) + offset;
    notify({ChangeKind::Format, start, length, length});
}

std::pair<size_t, int32_t> Document::runAt(int index, int32_t offset) const
{
    const RunList& runs = paragraph(index).runs;
    size_t k = 0;
    int32_t start = 0;
    if (m_runHint.paragraph == index && m_runHint.version == m_version &&
        m_runHint.start <= offset && m_runHint.run < runs.size()) {
        k = m_runHint.run;
        start = m_runHint.start;
    }
    while (k < runs.size() && start + runs[k].length <= offset)
        start += runs[k++].length;
    if (k < runs.size())
        m_runHint = {index, k, start, m_version};
    return {k, start};
}

std::pair<int, int> Document::touchedParagraphs(CharRange range) const
{
    const CharRange r = normalized(range);
    const Location a = locate(r.cpMin);
    const Location b = locate(r.cpMax);
    // A range that ends right after a paragraph end does not reach into the next paragraph.
    if (b.offset == 0 && b.paragraph > a.paragraph)
        return {a.paragraph, b.paragraph - 1};
    return {a.paragraph, b.paragraph};
}

void Document::applyPara(CharRange range, const ParaFormat& change)
{
    const auto [first, last] = touchedParagraphs(range);
    std::vector<Paragraph> result = copyParagraphs(first, last - first + 1);
    for (Paragraph& paragraph : result) {
        ParaFormat format = paraFormat(paragraph.format);
        mergeParaFormat(format, change);
        if (format.tabs.size() > size_t(MaxTabStops))
            format.tabs.resize(MaxTabStops);
        paragraph.format = m_paraPool.intern(format);
    }
    const int32_t start = paragraphStart(first);
    const int32_t span = spanOf(first, last - first + 1);
    const int count = int(result.size());
    replaceParagraphs(first, count, std::move(result), {ChangeKind::Format, start, span, span});
}

CharFormat Document::charFormatAt(CharRange range) const
{
    const CharRange r = normalized(range);
    if (r.cpMin == r.cpMax)
        return charFormatReading(insertionFormat(r.cpMin), AllCharFields);
    const Location a = locate(r.cpMin);
    const Location b = locate(r.cpMax);
    std::optional<uint32_t> first;
    uint32_t previous = 0;
    uint32_t mask = AllCharFields;
    const auto count = [&](uint32_t index) {
        if (!first) {
            first = previous = index;
        } else if (index != previous) {
            mask &= ~charDifferences(m_pool.at(*first), m_pool.at(index));
            previous = index;
        }
    };
    for (int i = a.paragraph; i <= b.paragraph; ++i) {
        const Paragraph& paragraph = this->paragraph(i);
        const int32_t from = i == a.paragraph ? a.offset : 0;
        const int32_t to = i == b.paragraph ? b.offset : int32_t(paragraph.text.size());
        auto [k, start] = runAt(i, from);
        for (; k < paragraph.runs.size() && start < to; start += paragraph.runs[k++].length)
            count(paragraph.runs[k].format);
    }
    // Marks count only when the range holds nothing but marks.
    if (!first) {
        for (int i = a.paragraph; i < b.paragraph; ++i)
            count(paragraph(i).mark);
    }
    return charFormatReading(m_pool.at(first.value_or(paragraph(a.paragraph).mark)), mask);
}

ParaFormat Document::paraFormatAt(CharRange range) const
{
    const auto [first, last] = touchedParagraphs(range);
    ParaFormat result = paragraphFormat(first);
    uint32_t mask = AllParaFields;
    for (int i = first + 1; i <= last; ++i)
        mask &= ~paraDifferences(result, paragraphFormat(i));
    result.mask = mask;
    return result;
}

}  // namespace richedit
