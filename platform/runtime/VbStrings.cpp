#include "platform/runtime/VbStrings.h"

#include "platform/runtime/VbError.h"

#include <algorithm>

namespace vb {
namespace {

Qt::CaseSensitivity sensitivity(CompareMethod compare)
{
    return compare == vbTextCompare ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

void requireArgument(bool valid)
{
    if (!valid)
        raiseError(ErrInvalidProcedureCall);
}

// Maps each code point on its own, so that no character grows or shrinks (a sharp s stays
// one character in upper case) and positions in the text stay where they were.
template <class Mapping>
QString mapCase(const QString& text, Mapping map)
{
    QString result = text;
    QChar* units = result.data();
    const qsizetype size = result.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (units[i].isHighSurrogate() && i + 1 < size && units[i + 1].isLowSurrogate()) {
            const char32_t mapped = map(QChar::surrogateToUcs4(units[i], units[i + 1]));
            if (QChar::requiresSurrogates(mapped)) {
                units[i] = QChar(QChar::highSurrogate(mapped));
                units[i + 1] = QChar(QChar::lowSurrogate(mapped));
            }
            ++i;
            continue;
        }
        const char32_t mapped = map(units[i].unicode());
        if (!QChar::requiresSurrogates(mapped))
            units[i] = QChar(static_cast<char16_t>(mapped));
    }
    return result;
}

char32_t upperOf(char32_t c)
{
    return QChar::toUpper(c);
}

char32_t lowerOf(char32_t c)
{
    return QChar::toLower(c);
}

bool isWordSeparator(QChar c)
{
    switch (c.unicode()) {
        case 0x00:
        case 0x09:
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x20:
            return true;
        default:
            return false;
    }
}

QString properCase(const QString& text)
{
    QString result = LCase(text);
    bool wordStart = true;
    for (QChar& c : result) {
        if (wordStart && !c.isSurrogate())
            c = QChar(static_cast<char16_t>(upperOf(c.unicode())));
        wordStart = isWordSeparator(c);
    }
    return result;
}

}  // namespace

qsizetype Len(const QString& text)
{
    return text.size();
}

QString Left(const QString& text, qsizetype length)
{
    requireArgument(length >= 0);
    return text.left(length);
}

QString Right(const QString& text, qsizetype length)
{
    requireArgument(length >= 0);
    return text.right(length);
}

QString Mid(const QString& text, qsizetype start)
{
    requireArgument(start >= 1);
    if (start > text.size())
        return {};
    return text.mid(start - 1);
}

QString Mid(const QString& text, qsizetype start, qsizetype length)
{
    requireArgument(start >= 1 && length >= 0);
    if (start > text.size())
        return {};
    return text.mid(start - 1, std::min(length, text.size() - (start - 1)));
}

qsizetype InStr(const QString& text, const QString& find, CompareMethod compare)
{
    return InStr(1, text, find, compare);
}

qsizetype InStr(qsizetype start, const QString& text, const QString& find, CompareMethod compare)
{
    requireArgument(start >= 1);
    if (text.isEmpty() || start > text.size() + 1)
        return 0;
    if (find.isEmpty())
        return start;
    return text.indexOf(find, start - 1, sensitivity(compare)) + 1;
}

qsizetype InStrRev(const QString& text, const QString& find, qsizetype start, CompareMethod compare)
{
    requireArgument(start == -1 || start >= 1);
    if (text.isEmpty())
        return 0;
    if (start == -1)
        start = text.size();
    if (start > text.size())
        return 0;
    if (find.isEmpty())
        return start;
    const qsizetype lastStart = start - find.size();
    if (lastStart < 0)
        return 0;
    return text.lastIndexOf(find, lastStart, sensitivity(compare)) + 1;
}

QString LTrim(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && text[first] == u' ')
        ++first;
    return text.mid(first);
}

QString RTrim(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;
    return text.left(end);
}

QString Trim(const QString& text)
{
    return LTrim(RTrim(text));
}

QString LCase(const QString& text)
{
    return mapCase(text, lowerOf);
}

QString UCase(const QString& text)
{
    return mapCase(text, upperOf);
}

QString StrConv(const QString& text, int conversion)
{
    switch (conversion) {
        case vbUpperCase:
            return UCase(text);
        case vbLowerCase:
            return LCase(text);
        case vbProperCase:
            return properCase(text);
        default:
            raiseError(ErrInvalidProcedureCall);
    }
}

QString Space(qsizetype count)
{
    return String(count, QChar(u' '));
}

QString String(qsizetype count, QChar ch)
{
    requireArgument(count >= 0);
    return QString(count, ch);
}

QString String(qsizetype count, const QString& text)
{
    requireArgument(!text.isEmpty());
    return String(count, text[0]);
}

QString Replace(const QString& expression, const QString& find, const QString& replacement,
                qsizetype start, qsizetype count, CompareMethod compare)
{
    requireArgument(start >= 1 && count >= -1);
    if (start > expression.size())
        return {};
    const QString source = expression.mid(start - 1);
    if (find.isEmpty() || count == 0)
        return source;
    QString result;
    result.reserve(source.size());
    qsizetype from = 0;
    for (qsizetype done = 0; count == -1 || done < count; ++done) {
        const qsizetype hit = source.indexOf(find, from, sensitivity(compare));
        if (hit < 0)
            break;
        result += QStringView(source).mid(from, hit - from);
        result += replacement;
        from = hit + find.size();
    }
    result += QStringView(source).mid(from);
    return result;
}

QStringList Split(const QString& expression, const QString& delimiter, qsizetype limit,
                  CompareMethod compare)
{
    requireArgument(limit >= -1);
    if (expression.isEmpty() || limit == 0)
        return {};
    if (delimiter.isEmpty())
        return {expression};
    QStringList pieces;
    qsizetype from = 0;
    while (limit == -1 || pieces.size() < limit - 1) {
        const qsizetype hit = expression.indexOf(delimiter, from, sensitivity(compare));
        if (hit < 0)
            break;
        pieces.append(expression.mid(from, hit - from));
        from = hit + delimiter.size();
    }
    pieces.append(expression.mid(from));
    return pieces;
}

QString Join(const QStringList& list, const QString& delimiter)
{
    return list.join(delimiter);
}

}  // namespace vb
