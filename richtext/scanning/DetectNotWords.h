// Whether a character position lies inside a web or e-mail address of a document's text: the
// test by which searches pass over hits that are parts of addresses rather than words.
#pragma once

#include <cstdint>

namespace richedit {
class RichTextBox;
}

// True when `MyHitSpot` (0-based) lies inside a match of the shared address pattern in the
// plain text of `window`. The link mark is not consulted. Every match up to the spot is
// examined, also while user input waits (the event loop runs between matches, input never
// makes the test pass a match over). Errors give False.
bool DetectNotWords(richedit::RichTextBox& window, const int32_t& MyHitSpot);
