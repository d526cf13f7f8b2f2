// Where the view's keys and clicks put the caret: steps over characters and words, display-line
// moves with a remembered x, and the word a double-click selects.
#pragma once

#include "platform/richedit/model/Document.h"

#include <QPoint>
#include <QString>
#include <cstdint>

namespace richedit {

class Engine;

namespace viewinput {

// One character back or forward: a paragraph end (CR LF) and a surrogate pair are one step.
int32_t previousPosition(const QString& text, int32_t position);
int32_t nextPosition(const QString& text, int32_t position);

// Ctrl+Right: past the word (or run of other characters) at the position and the blanks after
// it; a paragraph end or soft break is a stop of its own.
int32_t nextWordStart(const QString& text, int32_t position);
// Ctrl+Left: back over blanks to the start of the word before the position; at the start of a
// paragraph, to the end of the previous one.
int32_t previousWordStart(const QString& text, int32_t position);

// What a double-click on the character at `position` selects: a word with its trailing
// blanks, a run of blanks, or the single character. Empty at a paragraph end.
CharRange wordSelection(const QString& text, int32_t position);

// The same over a document, reading only the position's paragraph and its neighbours (a word
// step never crosses more than one paragraph end), never the whole text.
int32_t nextWordStart(const Document& document, int32_t position);
int32_t previousWordStart(const Document& document, int32_t position);
CharRange wordSelection(const Document& document, int32_t position);

// Ctrl+Up: the start of the position's paragraph, or of the one before when it is there
// already. Ctrl+Down: the start of the next paragraph; in the last one, the end.
int32_t previousParagraphStart(const Document& document, int32_t position);
int32_t nextParagraphStart(const Document& document, int32_t position);

// --- Display lines (positions are document positions, x in twips of the layout width) ---
int32_t lineStart(Engine& engine, int32_t position);
// The end of the position's display line: after its last character, or on a line that
// wraps, before its last character (so that the caret stays on that line).
int32_t lineEnd(Engine& engine, int32_t position);
double xOfPosition(Engine& engine, int32_t position);
// The position nearest to x on a display line (clamped to the existing lines).
int32_t positionOnLine(Engine& engine, int line, double x);
// The character under a point of the formatting rectangle (twips, after horizontal
// scrolling); -1 on an empty line.
int32_t characterAt(Engine& engine, QPoint twips);

}  // namespace viewinput
}  // namespace richedit
