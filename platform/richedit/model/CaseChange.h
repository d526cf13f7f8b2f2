// Case changes of a text, one UTF-16 unit to one, so that lengths and positions never move.
#pragma once

#include <QString>

namespace richedit {

// Codes: 0 lower, 1 upper, 2 title (the first letter of each word upper, the others lower),
// 4 sentence (the first letter of the text, of a paragraph and after ".", "!" or "?" plus
// white space upper, the others lower), 5 toggle. Other codes leave the text as it is.
QString changeCaseOf(const QString& text, int code);

}  // namespace richedit
