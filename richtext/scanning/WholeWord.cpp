#include "richtext/scanning/WholeWord.h"

#include "platform/runtime/Windows1252.h"

namespace {

// The code page code of the upper-cased character; characters the code page lacks give "?".
int upperCode(QChar character)
{
    return vb::unicodeToWindows1252(character.toUpper().unicode());
}

int separatorClass(int code)
{
    if (code < 32)
        return 4;
    if (code == 32)
        return 1;
    if (code >= 48 && code <= 57)
        return 8;
    if (code >= 65 && code <= 90)
        return 0;
    return 2;
}

}  // namespace

bool IsSeparator(int code, int32_t separatorType, const QString& separator)
{
    if (separatorType == specialSep)
        return !separator.isEmpty() && code == upperCode(separator.front());
    return (separatorClass(code) & separatorType) != 0;
}

qsizetype FindWholeWord(qsizetype start, const QString& text, const QString& find,
                        vb::CompareMethod compare, int32_t separatorType, const QString& separator)
{
    if (find.isEmpty() || start < 1)
        return 0;
    qsizetype position = start - 1;
    for (;;) {
        position = vb::InStr(position + 1, text, find, compare);
        if (position == 0)
            return 0;
        const int before = position == 1 ? 32 : upperCode(text.at(position - 2));
        if (!IsSeparator(before, separatorType, separator))
            continue;
        const qsizetype afterIndex = position - 1 + find.size();
        const int after = afterIndex >= text.size() ? 32 : upperCode(text.at(afterIndex));
        if (IsSeparator(after, separatorType, separator))
            return position;
    }
}
