// Hidden characters are positions like any others, but what the user reads is the shown text:
// caret steps and deletions pass over hidden characters to the next character that shows, so
// that every key press does something visible, and the word tools (counting, spelling, finding,
// replacing, word steps) read the shown text only, so that they never act on text unseen.
#pragma once

#include "platform/richedit/model/Document.h"

#include <QString>
#include <vector>

namespace richedit {

// The position after the hidden characters that follow `position` (snapped).
int32_t skipHiddenForward(const Document& document, int32_t position);
// The position before the hidden characters that precede `position` (snapped).
int32_t skipHiddenBackward(const Document& document, int32_t position);

// What Backspace and Delete remove at a caret: the character that shows before (after) it with
// the hidden text between the two. A paragraph end takes the paragraphs that show nothing after
// it along, so that the lines on either side join.
CharRange shownCharacterBefore(const Document& document, int32_t caret);
CharRange shownCharacterAfter(const Document& document, int32_t caret);

// A paragraph whose mark and characters are all hidden takes no line at all.
bool paragraphShowsNothing(const Document& document, int index);
bool paragraphHoldsHidden(const Document& document, int index);
// Any hidden character at all: a look at the paragraphs' runs, never at their text.
bool documentHoldsHidden(const Document& document);
// The paragraph's characters that show, without its mark (its own text, shared, when none is
// hidden).
QString shownParagraphText(const Document& document, int index);

// The shown characters of a range (snapped), paragraph ends as CR LF.
QString shownTextOf(const Document& document, CharRange range);

// The text a reader sees of whole paragraphs, with the way back to positions. The characters
// that show, in order; a paragraph end shows as CR LF unless its paragraph shows nothing. A
// hidden run inside a word leaves the word whole. Without hidden text it is the document's text
// itself (shared, not copied) and the positions are its own.
class ShownText {
public:
    // Paragraphs [first, last], clamped to the document.
    ShownText(const Document& document, int first, int last);
    // The whole document.
    explicit ShownText(const Document& document);
    // Positions [cpMin, cpMax) (snapped) of the document: a paragraph end shows when both its
    // units lie inside.
    ShownText(const Document& document, CharRange range);

    const QString& text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }
    // The position of the shown unit at `index`, after any hidden text before it; `size()` gives
    // the end of the paragraphs read.
    int32_t position(qsizetype index) const;
    // The position right after the shown unit at `index - 1` (the start of the paragraphs read
    // for 0): where shown units [from, index) end in the document.
    int32_t endPosition(qsizetype index) const;
    // The positions shown units [from, to) cover, hidden text inside them included.
    CharRange range(qsizetype from, qsizetype to) const;
    // The index of the first shown unit at or after `position`.
    qsizetype indexAt(int32_t position) const;

private:
    // A stretch of shown units that lie side by side in the document.
    struct Piece {
        qsizetype index = 0;
        int32_t position = 0;
    };
    void read(const Document& document, int first, int last);
    void append(QStringView units, int32_t position);
    size_t pieceOfIndex(qsizetype index) const;

    QString m_text;
    std::vector<Piece> m_pieces;
    int32_t m_start = 0;
    int32_t m_end = 0;
};

}  // namespace richedit
