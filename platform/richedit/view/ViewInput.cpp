#include "platform/richedit/view/ViewInput.h"

#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/model/Search.h"
#include "platform/richedit/view/Engine.h"

#include <algorithm>
#include <limits>

namespace richedit::viewinput {
namespace {

constexpr char16_t SoftBreak = u'\x000B';

enum class CharClass { Blank, Word, Break, Other };

bool isBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == SoftBreak;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

CharClass classAt(const QString& text, int32_t i)
{
    const QChar c = text[i];
    if (isBreak(c))
        return CharClass::Break;
    if (isBlank(c))
        return CharClass::Blank;
    return isWordCharacterAt(text, i) ? CharClass::Word : CharClass::Other;
}

int32_t textLength(const QString& text)
{
    return int32_t(text.size());
}

struct LinePlace {
    int paragraph = 0;
    int32_t paragraphStart = 0;
    int line = 0;  // within the paragraph
};

LinePlace placeOfLine(Engine& engine, int line)
{
    DocumentLayout& layout = engine.layout();
    line = std::clamp(line, 0, layout.lineCount() - 1);
    const int32_t start = layout.lineIndex(line);
    LinePlace place;
    place.paragraph = engine.document().paragraphAt(std::max(start, 0));
    place.paragraphStart = engine.document().paragraphStart(place.paragraph);
    place.line = layout.paragraphLayout(place.paragraph).lineAt(start - place.paragraphStart);
    return place;
}

// The paragraphs before, at and after a position, with where they start in the document.
struct NearbyText {
    QString text;
    int32_t start = 0;
};

NearbyText nearbyText(const Document& document, int32_t position)
{
    const int paragraph = document.paragraphAt(position);
    const int32_t start = document.paragraphStart(std::max(paragraph - 1, 0));
    const int after = paragraph + 2;
    const int32_t end =
        after < document.paragraphCount() ? document.paragraphStart(after) : document.length();
    return {document.mid(start, end - start), start};
}

}  // namespace

int32_t previousPosition(const QString& text, int32_t position)
{
    int32_t previous = std::clamp(position - 1, 0, textLength(text));
    if (previous > 0 && ((text[previous] == u'\n' && text[previous - 1] == u'\r') ||
                         (text[previous].isLowSurrogate() && text[previous - 1].isHighSurrogate())))
        --previous;
    return previous;
}

int32_t nextPosition(const QString& text, int32_t position)
{
    const int32_t length = textLength(text);
    if (position >= length)
        return length;
    int32_t next = std::max(position, 0) + 1;
    if (next < length && ((text[next] == u'\n' && text[next - 1] == u'\r') ||
                          (text[next].isLowSurrogate() && text[next - 1].isHighSurrogate())))
        ++next;
    return next;
}

int32_t nextWordStart(const QString& text, int32_t position)
{
    const int32_t length = textLength(text);
    int32_t p = std::clamp(position, 0, length);
    if (p >= length)
        return length;
    const CharClass start = classAt(text, p);
    if (start == CharClass::Break)
        return nextPosition(text, p);
    if (start != CharClass::Blank) {
        while (p < length && classAt(text, p) == start)
            p = nextPosition(text, p);
    }
    while (p < length && isBlank(text[p]))
        ++p;
    return p;
}

int32_t previousWordStart(const QString& text, int32_t position)
{
    int32_t p = std::clamp(position, 0, textLength(text));
    while (p > 0 && isBlank(text[p - 1]))
        --p;
    if (p == 0)
        return 0;
    const int32_t before = previousPosition(text, p);
    const CharClass kind = classAt(text, before);
    if (kind == CharClass::Break)
        return p == position ? before : p;
    while (p > 0 && classAt(text, previousPosition(text, p)) == kind)
        p = previousPosition(text, p);
    return p;
}

CharRange wordSelection(const QString& text, int32_t position)
{
    const int32_t length = textLength(text);
    int32_t p = std::clamp(position, 0, length);
    if (p < length && text[p].isLowSurrogate() && p > 0 && text[p - 1].isHighSurrogate())
        --p;
    if (p >= length || text[p] == u'\r' || text[p] == u'\n')
        return {p, p};
    const CharClass kind = classAt(text, p);
    if (kind == CharClass::Blank) {
        int32_t from = p;
        int32_t to = p;
        while (from > 0 && isBlank(text[from - 1]))
            --from;
        while (to < length && isBlank(text[to]))
            ++to;
        return {from, to};
    }
    if (kind != CharClass::Word)
        return {p, nextPosition(text, p)};
    int32_t from = p;
    int32_t to = p;
    while (from > 0 && classAt(text, previousPosition(text, from)) == CharClass::Word)
        from = previousPosition(text, from);
    while (to < length && classAt(text, to) == CharClass::Word)
        to = nextPosition(text, to);
    while (to < length && isBlank(text[to]))
        ++to;
    return {from, to};
}

int32_t lineStart(Engine& engine, int32_t position)
{
    return engine.lineIndex(engine.lineFromChar(position));
}

int32_t lineEnd(Engine& engine, int32_t position)
{
    const LinePlace place = placeOfLine(engine, engine.lineFromChar(position));
    const ParagraphLayout& layout = engine.layout().paragraphLayout(place.paragraph);
    return place.paragraphStart +
           layout.positionFromX(place.line, std::numeric_limits<double>::infinity());
}

double xOfPosition(Engine& engine, int32_t position)
{
    const Document& document = engine.document();
    const int32_t at = document.snap(position);
    const int paragraph = document.paragraphAt(at);
    const ParagraphLayout& layout = engine.layout().paragraphLayout(paragraph);
    return layout.xFromPosition(at - document.paragraphStart(paragraph));
}

int32_t positionOnLine(Engine& engine, int line, double x)
{
    const LinePlace place = placeOfLine(engine, line);
    const ParagraphLayout& layout = engine.layout().paragraphLayout(place.paragraph);
    return place.paragraphStart + layout.positionFromX(place.line, x);
}

int32_t characterAt(Engine& engine, QPoint twips)
{
    DocumentLayout& layout = engine.layout();
    const int64_t y = layout.lineTop(layout.firstVisibleLine()) + twips.y();
    const LinePlace place = placeOfLine(engine, layout.lineAtHeight(y));
    const ParagraphLayout& paragraph = layout.paragraphLayout(place.paragraph);
    const LayoutLine& line = paragraph.line(place.line);
    const int32_t visible = line.lengthWithoutBreak();
    if (visible == 0)
        return -1;
    const std::vector<double> edges = paragraph.edges(place.line);
    // Past the line's end the last character counts, as the nearest one.
    int32_t k = visible - 1;
    for (int32_t i = 0; i < visible; ++i) {
        if (twips.x() < edges[size_t(i + 1)]) {
            k = i;
            break;
        }
    }
    return place.paragraphStart + line.start + k;
}

namespace {

// The shown text around a position: its paragraph and the next shown paragraph on either
// side, with the paragraphs that show nothing between them.
ShownText nearbyShownText(const Document& document, int32_t position)
{
    const int paragraph = document.paragraphAt(position);
    int first = std::max(paragraph - 1, 0);
    while (first > 0 && paragraphShowsNothing(document, first))
        --first;
    int last = std::min(paragraph + 1, document.paragraphCount() - 1);
    while (paragraphShowsNothing(document, last))
        ++last;
    return ShownText(document, first, last);
}

}  // namespace

// The word steps go by the shown text: a hidden word is no stop, a hidden run inside a word
// does not split it, and the caret lands after the hidden text before the word.
int32_t nextWordStart(const Document& document, int32_t position)
{
    const ShownText near = nearbyShownText(document, position);
    const auto at = int32_t(near.indexAt(position));
    return near.position(nextWordStart(near.text(), at));
}

int32_t previousWordStart(const Document& document, int32_t position)
{
    const ShownText near = nearbyShownText(document, position);
    const auto at = int32_t(near.indexAt(position));
    return near.position(previousWordStart(near.text(), at));
}

CharRange wordSelection(const Document& document, int32_t position)
{
    const NearbyText near = nearbyText(document, position);
    const CharRange word = wordSelection(near.text, position - near.start);
    return {near.start + word.cpMin, near.start + word.cpMax};
}

int32_t previousParagraphStart(const Document& document, int32_t position)
{
    const int paragraph = document.paragraphAt(position);
    const int32_t start = document.paragraphStart(paragraph);
    if (start < position || paragraph == 0)
        return start;
    return document.paragraphStart(paragraph - 1);
}

int32_t nextParagraphStart(const Document& document, int32_t position)
{
    const int paragraph = document.paragraphAt(position);
    if (paragraph + 1 >= document.paragraphCount())
        return document.length();
    return document.paragraphStart(paragraph + 1);
}

}  // namespace richedit::viewinput
