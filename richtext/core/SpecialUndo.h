// The control's two kinds of undo: the editing window's own single-level undo, and the one
// whole-document snapshot (library-wide) that HyperUndo swaps with the document, so that a
// second HyperUndo redoes.
#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>

#include "richtext/scanning/WholeDocumentUndo.h"

class ViewKeeper;

namespace richedit {
class RichTextBox;
}

struct SpecialUndoHooks {
    std::function<void()> begin;
    std::function<void()> finish;
    std::function<void()> ready;
    // The control's nesting display freeze (LockWindowUpdateEx).
    std::function<void(bool)> freeze;
    std::function<void()> syncRulerHandles;
    std::function<void()> setRulerTabs;
    std::function<bool()> detectHyperLinks;
    // The link pass run after the document came back from the snapshot.
    std::function<void()> hyperLinkPassUndo;
    // The document as RTF (GetRTFString).
    std::function<QString()> documentRtf;
};

class SpecialUndo : public WholeDocumentUndo {
public:
    // `undoKeyState` is the key handlers' typing state, which the per-key snapshots test and
    // the undo members reset.
    SpecialUndo(richedit::RichTextBox& window, ViewKeeper& view, int32_t& undoKeyState,
                SpecialUndoHooks hooks);

    bool GetCanUndoSpecial() const;
    // Takes the snapshot unconditionally.
    void SaveSpecialUndoData() override;
    // The state before the last edit (undo, snapshot, undo again), only with no key run open.
    void SaveRegularUndoData();
    // The state before a delete key, unless a key run is open; empties the window's undo.
    void SaveDeleteUndoData();
    // The current state, only with no key run open.
    void SaveInLinkUndoData();
    // The window can undo and no long pass runs.
    bool CanUndo();
    // The window's own undo; raises Begin, and Finish and Ready when something was undone.
    QVariant Undo();
    // Swaps the document and selection with the snapshot.
    void HyperUndo() override;

    // The document RTF the snapshot stores.
    QString BuildUndoSnapshot();
    // The snapshot's line filter over the engine's RTF and the document's plain text: drops a
    // lone "\par " line when the matching text line holds characters. With the engine's line
    // shape that never happens, so empty paragraphs survive.
    static QString filterSnapshotLines(const QString& rtf, const QString& text);

private:
    // Selection and RTF into the snapshot, which is then held.
    void storeSnapshot();
    void emptyUndoBuffer();

    richedit::RichTextBox& m_window;
    ViewKeeper& m_view;
    int32_t& m_undoKeyState;
    SpecialUndoHooks m_hooks;
};
