// Library-wide state of the editing-control library: the one set of values shared by every XrRTB
// and every dialog of the library on the user-interface thread.
#pragma once

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/DefaultFontData.h"

#include <QPointer>
#include <QString>
#include <cstdint>

// The last spelling correction, which the spell-check members and the spell-check dialog can
// take back once.
struct SpellUndoRecordType {
    bool Available = false;
    // The replaced selection as RTF.
    QString OldRTF;
    int32_t Start = 0;
    // Includes a full stop taken in with the word.
    int32_t OldLength = 0;
    int32_t NewLength = 0;
    // Where the corrected word stood in the list of misspellings; written only on removal.
    int32_t ListPosition = 0;
};

// Plain fields, no locking: everything that reads or writes them runs on the one user-interface
// thread, and long passes poll the flags between steps.
struct RichTextLibraryState {
    // PasteState while Paste holds the display frozen; freeze requests are ignored meanwhile.
    static constexpr int32_t PasteFreezing = 3;

    RichTextLibraryState() = default;
    // Copies are refused so that a write can never land on a copy instead of the shared set;
    // assignment stays for reset().
    RichTextLibraryState(const RichTextLibraryState&) = delete;
    RichTextLibraryState& operator=(const RichTextLibraryState&) = default;

    // The one set of the library.
    static RichTextLibraryState& instance();

    // Puts every value back to its initial value (for tests). A window that SharedRichText
    // refers to is only let go, never destroyed.
    void reset();

    // ProgressDone x 100 / ProgressTotal, rounded down; 0 while ProgressTotal is 0. Exact for
    // any counter values; a result beyond the range of int is held at its limit.
    int ProgressPercentage() const;

    // The editing window whose document the open dialog works on; empty when no dialog is open,
    // and empty again by itself when that window is destroyed.
    QPointer<richedit::RichTextBox> SharedRichText;
    // Page margin of the print preview and printing, twips.
    int32_t SharedPrintMargin = 0;
    // Stop request for the misspelling scan; only the initialisation of an XrRTB clears it.
    bool SpellScanAbort = false;
    // A long pass (colouring, spelling navigation, replace) is running.
    bool SyntaxRunning = false;
    // Stop request for the search and replace loops.
    bool ReplaceAbort = false;
    // Stop request for a running hyperlink pass; a stopped pass leaves it set.
    bool StopLinkPass = false;
    // PasteFreezing while Paste holds the display frozen, else 0.
    int32_t PasteState = 0;
    // Size of the running long pass and how far it has got, in the pass's own unit (matches,
    // words or bytes). 64-bit: a byte count times 100 passes 2^31 on large documents.
    int64_t ProgressTotal = 0;
    int64_t ProgressDone = 0;
    // One-shot request that the next key release in any editing window be ignored.
    bool SkipNextKeyUp = false;
    // Copy of the DetectHyperLinks value last set or shown by any XrRTB.
    bool SharedDetectHyperLinks = false;
    // The document RTF the last loading clean-up took before changing the document.
    QString CleanupRTF;
    // A hyperlink pass is marking or unmarking; keeps a second pass from starting inside it.
    bool LinkPassRunning = false;
    // The view keeper's slots: the first position of the line that stood at the top of the
    // window, one slot per family of passes (0 until saved: the top of the document).
    int32_t TopLinePos1 = 0;
    int32_t TopLinePos2 = 0;
    int32_t TopLinePos3 = 0;
    // Which of the two views after a replace the last restore showed (slot 3: true).
    bool ViewPos3Restored = false;

    // The whole-document undo snapshot: one record, each snapshot replacing the last, whichever
    // control took it. `held` is cleared only by opening a document through the open dialog.
    struct UndoSnapshot {
        int32_t SelLength = 0;
        int32_t SelStart = 0;
        QString RTF;
        bool held = false;
    };
    UndoSnapshot SpecialUndoSnapshot;
    // Which family of passes took the snapshot last (UndoTypePE); chooses HyperUndo's view.
    int32_t SpecialUndoKind = 0;
    // Lines above the found text that the view after a replace keeps.
    int32_t ReplaceViewLines = 0;

    // While set, every font dialog shows and edits DefaultFontData instead of a selection.
    bool DefaultFontMode = false;
    DEFUALT_FONT_DATA DefaultFontData;

    // Spell-check navigation: set while a step to another misspelling searches (a nested step
    // does not move), the position the next search starts from, and the last search's hit
    // (-1: none).
    bool SpellNavBusy = false;
    int32_t SpellSearchAnchor = 0;
    int32_t SpellFoundStart = 0;
    SpellUndoRecordType SpellUndoRecord;
};

// Kinds of the whole-document snapshot.
enum UndoTypePE : int32_t { HyperLinkUD = 1, ReplaceTextUD = 2 };

// Hands an editing window to the dialogs for the life of a scope: sets SharedRichText on entry
// and puts back what it held before on every way out, exceptions and early returns included.
// Restoring rather than clearing keeps an outer hand-over intact when launchers nest.
class SharedRichTextScope {
public:
    explicit SharedRichTextScope(richedit::RichTextBox* window);
    ~SharedRichTextScope();
    SharedRichTextScope(const SharedRichTextScope&) = delete;
    SharedRichTextScope& operator=(const SharedRichTextScope&) = delete;

private:
    QPointer<richedit::RichTextBox> m_previous;
};
