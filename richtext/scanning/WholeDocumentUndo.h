// The control's whole-document undo snapshot as the long passes use it: taken before a pass
// changes the document, and swapped back in when a stopped pass must put the document back.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class WholeDocumentUndo {
public:
    virtual ~WholeDocumentUndo() = default;
    // Takes the snapshot of the control's own document.
    virtual void SaveSpecialUndoData() = 0;
    // Swaps the document with the snapshot.
    virtual void HyperUndo() = 0;
};

// What the replace command stores in the library's one snapshot record (held becomes true).
struct ReplaceUndoRecord {
    int32_t SelLength = 0;
    int32_t SelStart = 0;
    QString RTF;
};

// Library-wide: where the replace command's snapshot goes. The control library's undo
// installs it; while none is installed the replace command takes no snapshot.
std::function<void(const ReplaceUndoRecord&)>& replaceUndoWriter();
