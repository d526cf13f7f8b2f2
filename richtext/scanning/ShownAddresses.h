// The addresses a reader sees. The pattern runs over the shown text, so that hidden text before
// or after an address is never part of it, and an address that hidden text splits on the screen
// is found as the reader reads it.
#pragma once

#include "platform/regex/RegExp.h"
#include "platform/richedit/model/HiddenText.h"

#include <functional>

// Calls visit(match, first, range) for each match of `expression` in the shown text, in order:
// `first` is the match's index in the shown text and `range` the positions from its first
// character to its last, hidden text between them included. A false result from visit ends the
// walk. A failing pattern ends it too, with what was visited so far.
void forEachShownAddress(
    vbscript::RegExp& expression, const richedit::ShownText& shown,
    const std::function<bool(const vbscript::Match&, qsizetype, richedit::CharRange)>& visit);
