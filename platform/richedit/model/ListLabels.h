// The labels of bulleted and numbered paragraphs: the text drawn before a list paragraph and
// the rule by which consecutive numbered paragraphs count.
#pragma once

#include "platform/richedit/model/Formats.h"

#include <QString>

namespace richedit {

// Numbering styles (wNumberingStyle).
enum ListNumberStyle : uint16_t {
    NumberParenthesis = 0x000,    // "1)"
    NumberInParentheses = 0x100,  // "(1)"
    NumberPeriod = 0x200,         // "1."
    NumberPlain = 0x300,          // "1"
    NumberNone = 0x400,           // no label
};

// The bullet drawn for numbering kind 1.
constexpr char16_t BulletCharacter = u'\x2022';

// The number alone in a numbering kind: "3", "c", "C", "iii", "III". Letters go on "z", "aa",
// "ab", ...; numbers below 1 in letter and roman kinds are written in arabic digits.
QString listNumberText(uint16_t kind, int number);

// The label of a paragraph of `kind` numbered `number` in `style`; empty when the paragraph
// has no label (no numbering, an unknown kind, or the style without number). A bullet ignores
// the style.
QString listLabelText(uint16_t kind, uint16_t style, int number);

// Counts a run of paragraphs in document order: a numbered paragraph continues the count of
// the paragraph before it when that one has the same numbering kind, else it starts again at
// its numbering start. Any other paragraph breaks the run.
class ListCounter {
public:
    // The number of the next paragraph (0 when it is not numbered).
    int next(const ParaFormat& format);
    // The label of the next paragraph, counting it.
    QString nextLabel(const ParaFormat& format);

private:
    uint16_t m_kind = NoNumbering;
    int m_number = 0;
};

}  // namespace richedit
