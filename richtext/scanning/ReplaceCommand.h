// The Replace and Replace All commands of the find and replace dialog on the shared editing
// window: the snapshot for the whole-document undo, the Replace All engine, caret and view
// restore, and the links marked again afterwards. Also the dialog's own find-and-select.
#pragma once

#include "platform/richedit/view/TextObjectModel.h"
#include "richtext/common/RichTextLibraryState.h"

#include <QString>
#include <cstdint>

namespace richedit {
class RichTextBox;
}

enum ReplaceOptionsQ : int32_t {
    ReplaceAll = 1,
    ReplaceNext = 2,
};

// Selects the next (direction 1) or previous (-1) occurrence through the document's
// selection; true when nothing was found, which is reported in a message box.
bool FindAndSelect(richedit::TextDocument& document, const QString& text, int32_t direction,
                   int32_t options);

class ReplaceCommand {
public:
    // `window` is the shared editing window and `document` the dialog's handle on it.
    ReplaceCommand(richedit::RichTextBox& window, richedit::TextDocument& document);

    // Holds SyntaxRunning and StopLinkPass for its run; returns at once while a long pass runs.
    // Replace All reports the count (also left in `count`); Replace replaces the selected
    // occurrence, or only selects the next one when nothing is selected.
    void ReplaceText(const QString& find, const QString& replacement, int32_t mode, int32_t options,
                     bool applyColor, uint32_t color, int32_t& count);

    // Whether the text holds `find` under the options, by the whole-word rules of the searches.
    bool DocumentContains(const QString& find, int32_t options);

private:
    void replaceAll(const QString& find, const QString& replacement, int32_t options,
                    bool applyColor, uint32_t color, int32_t& count);
    void replaceNext(const QString& find, const QString& replacement, int32_t options,
                     bool applyColor, uint32_t color);
    void RelinkAfterReplace(int32_t caret);
    // After a replacement at `start`: the link run it touches loses its mark and only what is
    // still an address is marked again, so a replacement that breaks an address unlinks it.
    void relinkRunAround(int32_t start, int32_t length);
    void RestoreReplaceView();
    void FreezeDocument(bool on);
    void ClearWindowUndo();
    intptr_t send(uint32_t message, intptr_t wParam = 0, intptr_t lParam = 0);

    richedit::RichTextBox& m_window;
    richedit::TextDocument& m_document;
};
