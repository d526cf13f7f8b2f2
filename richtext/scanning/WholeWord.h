// The whole-word test of the searches: an occurrence counts as a word when the characters on
// both sides of it are separators of the chosen classes.
#pragma once

#include "platform/runtime/VbStrings.h"

#include <QString>
#include <cstdint>

// Separator classes as bit flags: 1 space, 2 symbol, 4 control character, 8 digit.
// specialSep compares with one given character instead.
enum sepType : int32_t {
    specialSep = 0,
    spacesOnly = 1,
    spacesAndSymbols = 3,
    spacesSymbolsAndCtrl = 7,
    spacesSymbolsCtrlAndDigits = 15,
};

// Whether the character at the 0-based `index` of `text` is a separator of the classes in
// `separatorType` (outside the text: a blank). Letters of any script and their marks are never
// separators, digits only with the digit class; punctuation and symbols are. With specialSep,
// whether it equals the upper-cased first character of `separator`.
bool IsSeparatorAt(const QString& text, qsizetype index, int32_t separatorType,
                   const QString& separator = QString());

// The 1-based position of the first occurrence of `find` at or after `start` that has a
// separator on both sides (the text's ends count as blanks), or 0.
qsizetype FindWholeWord(qsizetype start, const QString& text, const QString& find,
                        vb::CompareMethod compare, int32_t separatorType,
                        const QString& separator = QString());
