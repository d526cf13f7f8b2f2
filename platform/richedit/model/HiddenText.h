// Hidden characters are positions like any others, but the user's caret steps and deletions
// pass over them to the next character that shows, so that every key press does something
// visible and no hidden text goes unseen.
#pragma once

#include "platform/richedit/model/Document.h"

namespace richedit {

// The position after the hidden characters that follow `position` (snapped).
int32_t skipHiddenForward(const Document& document, int32_t position);
// The position before the hidden characters that precede `position` (snapped).
int32_t skipHiddenBackward(const Document& document, int32_t position);

}  // namespace richedit
