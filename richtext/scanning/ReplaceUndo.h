// The whole-document undo snapshot that the replace command takes from the shared editing
// window before it changes the document.
#pragma once

#include <QString>

namespace richedit {
class RichTextBox;
}

namespace ReplaceUndo {

// The RTF the snapshot keeps: the document's RTF with the "\par " lines dropped that stand for
// no paragraph of the text. An empty document keeps its RTF as the window gives it.
QString BuildSharedUndoSnapshot(const QString& rtf, const QString& text);
QString BuildSharedUndoSnapshot(richedit::RichTextBox& window);

// TopLinePos2 := the first position of the shared window's top line.
void SaveSharedViewPos2(richedit::RichTextBox& window);

// Fills the library's snapshot record from the shared window (through replaceUndoWriter);
// the snapshot's kind is left to the caller.
void SaveReplaceUndo(richedit::RichTextBox& window);

}  // namespace ReplaceUndo
