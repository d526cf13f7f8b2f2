#include "richtext/scanning/WholeWord.h"

#include "platform/richedit/model/Search.h"

namespace {

// Classes as bit flags: 1 blank, 2 symbol, 4 control character, 8 digit; 0 a letter. The same
// word rule as every whole-word search of the editing window.
int separatorClassAt(const QString& text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return 1;
    const QChar character = text.at(index);
    if (richedit::isWholeWordCharacterAt(text, index))
        return character.isDigit() ? 8 : 0;
    if (character.unicode() < 32)
        return 4;
    if (character == QLatin1Char(' '))
        return 1;
    return 2;
}

}  // namespace

bool IsSeparatorAt(const QString& text, qsizetype index, int32_t separatorType,
                   const QString& separator)
{
    if (separatorType == specialSep) {
        const QChar character =
            index >= 0 && index < text.size() ? text.at(index) : QLatin1Char(' ');
        return !separator.isEmpty() && character.toUpper() == separator.front().toUpper();
    }
    return (separatorClassAt(text, index) & separatorType) != 0;
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
        // `position` is 1-based: the characters around the occurrence are at position - 2 and
        // position - 1 + the find text's length.
        if (!IsSeparatorAt(text, position - 2, separatorType, separator))
            continue;
        if (IsSeparatorAt(text, position - 1 + find.size(), separatorType, separator))
            return position;
    }
}
