#include "platform/richedit/model/HiddenText.h"

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

int32_t skipHiddenForward(const Document& document, int32_t position)
{
    const int32_t length = document.length();
    int32_t at = document.snap(position);
    while (at < length && document.formatAt(at).is(Hidden))
        at = document.nextPosition(at);
    return at;
}

int32_t skipHiddenBackward(const Document& document, int32_t position)
{
    int32_t at = document.snap(position);
    while (at > 0 && document.formatAt(document.previousPosition(at)).is(Hidden))
        at = document.previousPosition(at);
    return at;
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
    if (anyParagraphHoldsHidden(document, first, last)) {
        read(document, first, last);
        return;
    }
    m_text =
        first == 0 && last == count - 1 ? document.text() : document.mid(m_start, m_end - m_start);
    m_pieces.push_back({0, m_start});
}

ShownText::ShownText(const Document& document) : ShownText(document, 0, document.paragraphCount())
{
}

void ShownText::read(const Document& document, int first, int last)
{
    const int count = document.paragraphCount();
    int32_t start = m_start;
    for (int index = first; index <= last; ++index) {
        const Paragraph& paragraph = document.paragraph(index);
        const auto length = int32_t(paragraph.text.size());
        if (!paragraphShowsNothing(document, index)) {
            int32_t offset = 0;
            for (const TextRun& run : paragraph.runs) {
                if (!runIsHidden(document, run)) {
                    int32_t at = start + offset;
                    paragraph.text.forEachPiece(offset, run.length, [&](QStringView piece) {
                        append(piece, at);
                        at += int32_t(piece.size());
                    });
                }
                offset += run.length;
            }
            if (index + 1 < count)
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
