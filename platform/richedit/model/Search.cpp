#include "platform/richedit/model/Search.h"

#include "platform/richedit/model/HiddenText.h"

#include <algorithm>

namespace richedit {

namespace {

char32_t codePointAt(const QString& text, qsizetype index)
{
    const QChar unit = text[index];
    if (unit.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(unit, text[index + 1]);
    if (unit.isLowSurrogate() && index > 0 && text[index - 1].isHighSurrogate())
        return QChar::surrogateToUcs4(text[index - 1], unit);
    return unit.unicode();
}

bool isLetterAt(const QString& text, qsizetype index)
{
    return index >= 0 && index < text.size() && QChar::isLetter(codePointAt(text, index));
}

char16_t fold(char16_t unit)
{
    return QChar::toCaseFolded(unit);
}

}  // namespace

bool isWordCharacterAt(const QString& text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return false;
    const char16_t unit = text[index].unicode();
    if (unit == u'_')
        return true;
    if (unit == u'\'' || unit == u'\x2019')
        return isLetterAt(text, index - 1) && isLetterAt(text, index + 1);
    const char32_t codePoint = codePointAt(text, index);
    return QChar::isLetter(codePoint) || QChar::isDigit(codePoint);
}

bool isWholeWordCharacterAt(const QString& text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return false;
    const char32_t codePoint = codePointAt(text, index);
    return QChar::isLetter(codePoint) || QChar::isMark(codePoint) || QChar::isDigit(codePoint);
}

int32_t findText(const QString& text, CharRange range, const QString& what, uint32_t flags)
{
    const auto length = int32_t(text.size());
    const int32_t from = std::clamp(range.cpMin, 0, length);
    const int32_t to = range.cpMax == -1 ? length : std::clamp(range.cpMax, 0, length);
    const auto size = int32_t(what.size());
    if (size == 0 || range.cpMin > to || size > to - from)
        return -1;
    const bool matchCase = flags & MatchCase;
    QString needle = what;
    if (!matchCase) {
        for (QChar& unit : needle)
            unit = QChar(fold(unit.unicode()));
    }
    const char16_t* haystack = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* pattern = reinterpret_cast<const char16_t*>(needle.constData());
    for (int32_t start = from; start + size <= to; ++start) {
        int32_t k = 0;
        if (matchCase) {
            while (k < size && haystack[start + k] == pattern[k])
                ++k;
        } else {
            while (k < size && fold(haystack[start + k]) == pattern[k])
                ++k;
        }
        if (k < size)
            continue;
        if ((flags & WholeWord) &&
            (isWholeWordCharacterAt(text, start - 1) || isWholeWordCharacterAt(text, start + size)))
            continue;
        return start;
    }
    return -1;
}

namespace {

// The range in shown units and the shown text it lies in; empty when the range is reversed.
struct ShownRange {
    ShownText shown;
    CharRange units{-1, -1};
};

// Without hidden text the document's own text is read, shared; with it, only the paragraphs
// the range touches (a paragraph end is no word character, so the whole-word test needs no
// more).
ShownText shownTextAround(const Document& document, int32_t from, int32_t to)
{
    if (!documentHoldsHidden(document))
        return ShownText(document);
    return ShownText(document, document.paragraphAt(from), document.paragraphAt(to));
}

ShownRange shownRange(const Document& document, CharRange range)
{
    // Both ends obey the snap rule; a reversed range stays reversed (and finds nothing).
    const int32_t from = document.snap(std::max(range.cpMin, 0));
    const int32_t to = range.cpMax == -1 ? document.length() : document.snap(range.cpMax);
    ShownRange result{shownTextAround(document, from, to)};
    if (range.cpMin > (range.cpMax == -1 ? document.length() : range.cpMax))
        return result;
    result.units = {int32_t(result.shown.indexAt(from)), int32_t(result.shown.indexAt(to))};
    return result;
}

CharRange hitRange(const ShownText& shown, int32_t hit, const QString& what)
{
    if (hit < 0)
        return {-1, -1};
    return shown.range(hit, hit + what.size());
}

}  // namespace

CharRange findShownText(const Document& document, CharRange range, const QString& what,
                        uint32_t flags)
{
    const ShownRange where = shownRange(document, range);
    if (where.units.cpMin < 0)
        return {-1, -1};
    return hitRange(where.shown, findText(where.shown.text(), where.units, what, flags), what);
}

CharRange findLastShownText(const Document& document, CharRange range, const QString& what,
                            uint32_t flags)
{
    const ShownRange where = shownRange(document, range);
    int32_t last = -1;
    for (int32_t hit =
             where.units.cpMin < 0 ? -1 : findText(where.shown.text(), where.units, what, flags);
         hit >= 0; hit = findText(where.shown.text(), {hit + 1, where.units.cpMax}, what, flags))
        last = hit;
    return hitRange(where.shown, last, what);
}

int32_t findText(const Document& document, CharRange range, const QString& what, uint32_t flags)
{
    return findShownText(document, range, what, flags).cpMin;
}

}  // namespace richedit
