// The addresses a reader sees. Hidden text ends an address as a blank does: each stretch of
// text that shows without hidden text inside it is matched on its own, so that an address never
// takes in, joins across or starts in what is not on the screen.
#pragma once

#include "platform/regex/RegExp.h"
#include "platform/richedit/model/HiddenText.h"

#include <functional>

// Calls visit(match, first, range) for each match of `expression` in the shown text, in order:
// `first` is the match's index in the shown text and `range` the positions its characters
// hold, which hold no hidden text. A false result from visit ends the walk. A failing pattern
// ends it too, with what was visited so far.
void forEachShownAddress(
    vbscript::RegExp& expression, const richedit::ShownText& shown,
    const std::function<bool(const vbscript::Match&, qsizetype, richedit::CharRange)>& visit);
