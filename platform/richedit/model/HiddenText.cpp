#include "platform/richedit/model/HiddenText.h"

#include "platform/richedit/model/ParagraphRuns.h"

#include <algorithm>

namespace richedit {

namespace {

bool runIsHidden(const Document& document, const TextRun& run)
{
    return run.length > 0 && document.format(run.format).is(Hidden);
}

// From the start of a paragraph, past the paragraphs after it that show nothing.
int32_t pastParagraphsShowingNothing(const Document& document, int32_t position)
{
    int index = document.paragraphAt(position);
    if (document.paragraphStart(index) != position)
        return position;
    while (paragraphShowsNothing(document, index))
        ++index;
    return document.paragraphStart(index);
}

bool anyParagraphHoldsHidden(const Document& document, int first, int last)
{
    for (int index = first; index <= last; ++index) {
        if (paragraphHoldsHidden(document, index))
            return true;
    }
    return false;
}

}  // namespace

// Both skips go run by run: a hidden run costs one step whatever its length, so that a caret key
// beside it costs what a key beside shown text costs.
int32_t skipHiddenForward(const Document& document, int32_t position)
{
    const int count = document.paragraphCount();
    int32_t at = document.snap(position);
    int index = document.paragraphAt(at);
    int32_t start = document.paragraphStart(index);
    for (;;) {
        const Paragraph& paragraph = document.paragraph(index);
        const auto size = int32_t(paragraph.text.size());
        int32_t runStart = 0;
        for (const TextRun& run : paragraph.runs) {
            const int32_t runEnd = runStart + run.length;
            if (runEnd > at - start && run.length > 0 && !runIsHidden(document, run))
                return std::max(at, start + runStart);
            runStart = runEnd;
        }
        // Only hidden characters up to the paragraph's end: its mark decides, the end mark stops.
        if (index + 1 >= count || !document.format(paragraph.mark).is(Hidden))
            return start + size;
        start += size + 2;
        at = start;
        ++index;
    }
}

int32_t skipHiddenBackward(const Document& document, int32_t position)
{
    int32_t at = document.snap(position);
    int index = document.paragraphAt(at);
    int32_t start = document.paragraphStart(index);
    for (;;) {
        const Paragraph& paragraph = document.paragraph(index);
        // The last shown character before the caret ends the skip.
        int32_t runStart = 0;
        int32_t shownEnd = -1;
        for (const TextRun& run : paragraph.runs) {
            if (runStart >= at - start)
                break;
            if (run.length > 0 && !runIsHidden(document, run))
                shownEnd = std::min(runStart + run.length, at - start);
            runStart += run.length;
        }
        if (shownEnd >= 0)
            return start + shownEnd;
        if (index == 0)
            return 0;
        const Paragraph& previous = document.paragraph(index - 1);
        if (!document.format(previous.mark).is(Hidden))
            return start;
        --index;
        at = start - 2;
        start = document.paragraphStart(index);
    }
}

CharRange shownCharacterBefore(const Document& document, int32_t caret)
{
    int32_t end = document.snap(caret);
    const int32_t shownEnd = skipHiddenBackward(document, end);
    if (shownEnd == 0)
        return {end, end};
    const int32_t start = document.previousPosition(shownEnd);
    if (document.charAt(start) == u'\r')
        end = std::max(end, pastParagraphsShowingNothing(document, shownEnd));
    return {start, end};
}

CharRange shownCharacterAfter(const Document& document, int32_t caret)
{
    const int32_t start = document.snap(caret);
    const int32_t shownStart = skipHiddenForward(document, start);
    if (shownStart >= document.length())
        return {start, start};
    int32_t end = document.nextPosition(shownStart);
    if (document.charAt(shownStart) == u'\r')
        end = pastParagraphsShowingNothing(document, end);
    return {start, end};
}

bool paragraphShowsNothing(const Document& document, int index)
{
    // The last paragraph always holds the caret's line.
    if (index < 0 || index + 1 >= document.paragraphCount())
        return false;
    const Paragraph& paragraph = document.paragraph(index);
    if (!document.format(paragraph.mark).is(Hidden))
        return false;
    return std::all_of(paragraph.runs.begin(), paragraph.runs.end(), [&](const TextRun& run) {
        return run.length == 0 || runIsHidden(document, run);
    });
}

bool paragraphHoldsHidden(const Document& document, int index)
{
    const Paragraph& paragraph = document.paragraph(index);
    return paragraphShowsNothing(document, index) ||
           std::any_of(paragraph.runs.begin(), paragraph.runs.end(),
                       [&](const TextRun& run) { return runIsHidden(document, run); });
}

bool documentHoldsHidden(const Document& document)
{
    return anyParagraphHoldsHidden(document, 0, document.paragraphCount() - 1);
}

QString shownParagraphText(const Document& document, int index)
{
    const Paragraph& paragraph = document.paragraph(index);
    if (!paragraphHoldsHidden(document, index))
        return paragraph.text.mid(0);
    QString shown;
    if (paragraphShowsNothing(document, index))
        return shown;
    qsizetype offset = 0;
    for (const TextRun& run : paragraph.runs) {
        if (!runIsHidden(document, run))
            paragraph.text.appendTo(shown, offset, run.length);
        offset += run.length;
    }
    return shown;
}

QString shownTextOf(const Document& document, CharRange range)
{
    const CharRange normal = document.normalized(range);
    const ShownText shown(document, document.paragraphAt(normal.cpMin),
                          document.paragraphAt(normal.cpMax));
    const qsizetype from = shown.indexAt(normal.cpMin);
    return shown.text().mid(from, shown.indexAt(normal.cpMax) - from);
}

ShownText::ShownText(const Document& document, int first, int last)
{
    const int count = document.paragraphCount();
    first = std::clamp(first, 0, count - 1);
    last = std::clamp(last, first, count - 1);
    m_start = document.paragraphStart(first);
    m_end = last + 1 < count ? document.paragraphStart(last + 1) : document.length();
    read(document, first, last);
}

ShownText::ShownText(const Document& document) : ShownText(document, 0, document.paragraphCount())
{
}

ShownText::ShownText(const Document& document, CharRange range)
{
    const CharRange normal = document.normalized(range);
    m_start = normal.cpMin;
    m_end = normal.cpMax;
    read(document, document.paragraphAt(m_start), document.paragraphAt(m_end));
}

void ShownText::read(const Document& document, int first, int last)
{
    if (!anyParagraphHoldsHidden(document, first, last)) {
        m_text = m_start == 0 && m_end == document.length()
                     ? document.text()
                     : document.mid(m_start, m_end - m_start);
        m_pieces.push_back({0, m_start});
        return;
    }
    const int count = document.paragraphCount();
    int32_t start = document.paragraphStart(first);
    for (int index = first; index <= last; ++index) {
        const Paragraph& paragraph = document.paragraph(index);
        const auto length = int32_t(paragraph.text.size());
        if (!paragraphShowsNothing(document, index)) {
            const int32_t from = std::max(m_start - start, 0);
            const int32_t to = std::min(m_end - start, length);
            forEachRun(
                paragraph, from, to, [&](const TextRun& run, int32_t runFrom, int32_t runTo) {
                    if (runIsHidden(document, run))
                        return;
                    int32_t at = start + runFrom;
                    paragraph.text.forEachPiece(runFrom, runTo - runFrom, [&](QStringView piece) {
                        append(piece, at);
                        at += int32_t(piece.size());
                    });
                });
            if (index + 1 < count && m_start <= start + length && m_end >= start + length + 2)
                append(u"\r\n", start + length);
        }
        start += length + 2;
    }
}

void ShownText::append(QStringView units, int32_t position)
{
    if (units.isEmpty())
        return;
    const bool continues =
        !m_pieces.empty() &&
        m_pieces.back().position + (m_text.size() - m_pieces.back().index) == position;
    if (!continues)
        m_pieces.push_back({m_text.size(), position});
    m_text += units;
}

size_t ShownText::pieceOfIndex(qsizetype index) const
{
    const auto after =
        std::upper_bound(m_pieces.begin(), m_pieces.end(), index,
                         [](qsizetype i, const Piece& piece) { return i < piece.index; });
    return size_t(std::max<ptrdiff_t>(after - m_pieces.begin() - 1, 0));
}

int32_t ShownText::position(qsizetype index) const
{
    if (index >= m_text.size() || m_pieces.empty())
        return m_end;
    const Piece& piece = m_pieces[pieceOfIndex(std::max<qsizetype>(index, 0))];
    return piece.position + int32_t(std::max<qsizetype>(index, 0) - piece.index);
}

int32_t ShownText::endPosition(qsizetype index) const
{
    if (index <= 0 || m_pieces.empty())
        return m_start;
    const qsizetype last = std::min(index, m_text.size()) - 1;
    const Piece& piece = m_pieces[pieceOfIndex(last)];
    return piece.position + int32_t(last - piece.index) + 1;
}

CharRange ShownText::range(qsizetype from, qsizetype to) const
{
    const int32_t start = position(from);
    return {start, to > from ? endPosition(to) : start};
}

qsizetype ShownText::indexAt(int32_t position) const
{
    const auto after =
        std::upper_bound(m_pieces.begin(), m_pieces.end(), position,
                         [](int32_t p, const Piece& piece) { return p < piece.position; });
    if (after == m_pieces.begin())
        return 0;
    const Piece& piece = *(after - 1);
    const qsizetype next = after == m_pieces.end() ? m_text.size() : after->index;
    return std::min(piece.index + (position - piece.position), next);
}

}  // namespace richedit
