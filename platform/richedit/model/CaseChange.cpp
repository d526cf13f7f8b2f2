#include "platform/richedit/model/CaseChange.h"

namespace richedit {

namespace {

enum class Mapping { Lower, Upper, Toggle };

// Maps the character at `index` (both halves of a surrogate pair when the mapping keeps it a
// pair) and returns how many units it took.
qsizetype mapAt(QString& text, qsizetype index, Mapping mapping)
{
    const QChar unit = text[index];
    if (unit.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate()) {
        const char32_t codePoint = QChar::surrogateToUcs4(unit, text[index + 1]);
        char32_t mapped = codePoint;
        if (mapping == Mapping::Lower || (mapping == Mapping::Toggle && QChar::isUpper(codePoint)))
            mapped = QChar::toLower(codePoint);
        else if (mapping == Mapping::Upper || mapping == Mapping::Toggle)
            mapped = QChar::toUpper(codePoint);
        if (QChar::requiresSurrogates(mapped)) {
            text[index] = QChar(QChar::highSurrogate(mapped));
            text[index + 1] = QChar(QChar::lowSurrogate(mapped));
        }
        return 2;
    }
    if (mapping == Mapping::Lower || (mapping == Mapping::Toggle && unit.isUpper()))
        text[index] = unit.toLower();
    else if (mapping == Mapping::Upper || mapping == Mapping::Toggle)
        text[index] = unit.toUpper();
    return 1;
}

bool isLetterAt(const QString& text, qsizetype index)
{
    const QChar unit = text[index];
    if (unit.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
        return QChar::isLetter(QChar::surrogateToUcs4(unit, text[index + 1]));
    return unit.isLetter();
}

// Whether the character before `index` keeps a letter at `index` inside its word.
bool continuesWord(const QString& text, qsizetype index)
{
    if (index == 0)
        return false;
    const QChar before = text[index - 1];
    if (before.isLowSurrogate() && index >= 2 && text[index - 2].isHighSurrogate()) {
        const char32_t codePoint = QChar::surrogateToUcs4(text[index - 2], before);
        return QChar::isLetter(codePoint) || QChar::isDigit(codePoint);
    }
    return before.isLetterOrNumber() || before == u'\'' || before == u'\x2019';
}

QString titleCase(QString text)
{
    for (qsizetype i = 0; i < text.size();) {
        if (!isLetterAt(text, i)) {
            ++i;
            continue;
        }
        i += mapAt(text, i, continuesWord(text, i) ? Mapping::Lower : Mapping::Upper);
    }
    return text;
}

QString sentenceCase(QString text)
{
    bool capitalise = true;  // the next letter starts a sentence
    bool afterStop = false;  // a full stop, "!" or "?" waits for white space
    for (qsizetype i = 0; i < text.size();) {
        const QChar unit = text[i];
        if (isLetterAt(text, i)) {
            i += mapAt(text, i, capitalise ? Mapping::Upper : Mapping::Lower);
            capitalise = false;
            afterStop = false;
            continue;
        }
        if (unit == u'\r' || unit == u'\n') {
            capitalise = true;
        } else if (unit == u'.' || unit == u'!' || unit == u'?') {
            afterStop = true;
        } else if (unit.isSpace()) {
            capitalise = capitalise || afterStop;
        } else {
            afterStop = false;
        }
        ++i;
    }
    return text;
}

QString mapAll(QString text, Mapping mapping)
{
    for (qsizetype i = 0; i < text.size();)
        i += mapAt(text, i, mapping);
    return text;
}

}  // namespace

QString changeCaseOf(const QString& text, int code)
{
    switch (code) {
        case 0:
            return mapAll(text, Mapping::Lower);
        case 1:
            return mapAll(text, Mapping::Upper);
        case 2:
            return titleCase(text);
        case 4:
            return sentenceCase(text);
        case 5:
            return mapAll(text, Mapping::Toggle);
        default:
            return text;
    }
}

}  // namespace richedit
