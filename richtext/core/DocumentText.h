// The caret's line, column and character number and the selection's case changes through the
// text object model, and the documents handed over whole as strings, in memory.
#pragma once

#include <QString>
#include <cstdint>

namespace richedit {
class RichTextBox;
class TextDocument;
class TextRange;
}  // namespace richedit

class DocumentText {
public:
    // Case codes of the text object model.
    enum CaseCode : long {
        LowerCase = 0,
        UpperCase = 1,
        TitleCase = 2,
        SentenceCase = 4,
        ToggleCase = 5
    };

    // `document` is the control's own handle, which may be let go (invalid) meanwhile; the
    // caret's numbers are then read from the window, the case changes do nothing.
    DocumentText(richedit::RichTextBox& window, const richedit::TextDocument& document);

    // 1-based: the display line of the selection's start, its column counted from the start of
    // that display line, and its character number.
    int32_t VanticLine() const;
    int32_t VanticColumn() const;
    int32_t VanticChar() const;
    // Changes the case of the selection in place; lengths, formats and the selection stay.
    void changeCase(CaseCode code);

    // The document as RTF: what a saved RTF file holds, without its trailing zero byte.
    QString GetRTFString() const;
    // The plain text of the document that SharedRichText holds, as a plain-text file would give
    // it back (pictures left out). Raises error 91 while no dialog holds a document.
    static QString GetTextString();
    // Whether saving as plain text would lose formatting: any control word of the document's
    // RTF that begins with one of the formatting words counts, a colour table's \blue too.
    bool ContainSpecialFormatting() const;

private:
    richedit::TextRange caretRange() const;

    richedit::RichTextBox& m_window;
    const richedit::TextDocument& m_document;
};
