// Finding text in a document: UTF-16 throughout, over the text the reader sees (hidden text
// left out), with the whole-word test looking at the shown characters on both sides of a hit.
#pragma once

#include "platform/richedit/model/Document.h"

#include <QString>
#include <cstdint>

namespace richedit {

enum FindFlags : uint32_t { WholeWord = 2, MatchCase = 4 };

// The start of the first occurrence of `what` lying wholly inside [cpMin, cpMax] (cpMax -1 =
// the end), or -1. An empty text, a text longer than the range or cpMin > cpMax gives -1.
// Without MatchCase each code unit is compared after simple case folding, so a hit is always
// as long as `what`.
int32_t findText(const Document& document, CharRange range, const QString& what, uint32_t flags);
int32_t findText(const QString& text, CharRange range, const QString& what, uint32_t flags);
// The positions of the first (last) occurrence in the document's shown text that lies inside
// [cpMin, cpMax]: it starts and ends at characters that show, and a hidden run inside it is
// part of the hit. {-1, -1} when there is none.
CharRange findShownText(const Document& document, CharRange range, const QString& what,
                        uint32_t flags);
CharRange findLastShownText(const Document& document, CharRange range, const QString& what,
                            uint32_t flags);

// Letters, digits and "_", plus U+0027 and U+2019 standing between two letters: the words
// that the caret and a double click move over.
bool isWordCharacterAt(const QString& text, qsizetype index);

// The one rule of whole-word searches (every find, replace and replace-all): letters of any
// script with their combining marks, and digits, make up words; punctuation, symbols, "_" and
// apostrophes never do. Outside the text: false.
bool isWholeWordCharacterAt(const QString& text, qsizetype index);

}  // namespace richedit
