// A document with its selection, insertion format, undo buffer and modified flag: the editing
// operations that code and the user perform on an editing window, with the Change and
// SelChange notifications they raise.
#pragma once

#include "platform/richedit/model/Document.h"
#include "platform/richedit/model/UndoBuffer.h"
#include "platform/runtime/VbError.h"

#include <QString>
#include <functional>
#include <optional>

namespace richedit {

// EM_SETCHARFORMAT scopes; 9 (selection with interface rules) acts as the selection.
enum Scope : uint32_t { SelectionScope = 1, AllScope = 4, UseUiRules = 8 };

// ChangeCase codes.
enum CaseChange { LowerCase = 0, UpperCase = 1, TitleCase = 2, SentenceCase = 4, ToggleCase = 5 };

class EditSession {
public:
    explicit EditSession(const CharFormat& defaultFormat = defaultCharFormat());
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    const Document& document() const { return m_document; }

    // Raised after every text change (not format-only ones), before `onSelectionChanged`.
    std::function<void()> onChanged;
    // Raised synchronously after every real change of the anchor or the active end.
    std::function<void()> onSelectionChanged;

    // --- Selection ---
    int32_t anchor() const { return m_selection.anchor; }
    int32_t caret() const { return m_selection.caret; }
    int32_t selStart() const { return std::min(m_selection.anchor, m_selection.caret); }
    int32_t selEnd() const { return std::max(m_selection.anchor, m_selection.caret); }
    int32_t selLength() const { return selEnd() - selStart(); }
    CharRange selection() const { return {selStart(), selEnd()}; }
    // Negative values fail with error 380 and change nothing.
    std::optional<vb::VbError> setSelStart(int32_t position);
    std::optional<vb::VbError> setSelLength(int32_t length);
    // cpMax -1 = the end; cpMin -1 collapses to the active end; other negatives count as 0.
    // Returns the active end.
    int32_t exSetSel(CharRange range);
    // Sets both ends (clamped and snapped), as the view does for the user.
    void select(int32_t anchor, int32_t caret);

    // --- Code edits (never blocked by Locked, protection or MaxLength) ---
    QString selText() const;
    // One undo step; the caret ends after the new text.
    void setSelText(const QString& text);
    // As setSelText; without undo the buffer is emptied.
    void replaceSel(const QString& text, bool canUndo);
    // Replaces the selection with rich text (every paragraph end kept) as one undo step.
    void replaceSelWithFragment(const DocumentFragment& fragment);
    DocumentFragment selFragment() const { return m_document.extract(selection()); }
    // Works in place one unit to one, keeping formats and the selection.
    void changeCase(int code);
    int removePictures();
    // Extends the selection over the run of characters in `set` (or not in it).
    void span(const QString& set, bool forward = true, bool negate = false);
    // Moves the caret, collapsed, up to the first character in `set` (or not in it).
    void upTo(const QString& set, bool forward = true, bool negate = false);

    // --- Whole document (undo emptied, caret to 0) ---
    void setPlainText(const QString& text);
    void replaceDocument(DocumentFragment fragment);
    // The same with paragraphs streamed from a reader as it reads them.
    void replaceDocument(const std::function<void(const ParagraphSink&)>& produce);
    void setDefaultFormat(const CharFormat& format);

    // --- User edits: false when refused (Locked, protected text, MaxLength) ---
    bool typeText(const QString& text);
    bool backspace();
    bool deleteForward();
    // Ctrl+Backspace and Ctrl+Delete: from `position` (a word start before the caret, or the
    // next one after it) to the caret, as a Backspace or a Delete; a selection goes as with
    // those keys.
    bool backspaceTo(int32_t position);
    bool deleteTo(int32_t position);
    bool clear();
    // A paste of plain text: cut to fit MaxLength.
    bool pasteText(const QString& text);
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    int32_t maxLength() const { return m_maxLength; }
    void setMaxLength(int32_t length) { m_maxLength = std::max(length, 0); }

    // --- Formats ---
    // The selection's reading; a caret reads its insertion format.
    CharFormat charFormat() const;
    // Returns false for a scope it does not know.
    bool setCharFormat(uint32_t scope, const CharFormat& change);
    ParaFormat paraFormat() const { return m_document.paraFormatAt(selection()); }
    void setParaFormat(const ParaFormat& change);
    // The format plain text inserted now would take.
    CharFormat insertionFormat() const;
    bool hasPendingFormat() const { return m_pending.has_value(); }

    // --- Undo and the modified flag ---
    bool canUndo() const { return m_undo.canUndo(); }
    bool undo();
    void emptyUndoBuffer() { m_undo.clear(); }
    void suspendUndo() { m_undo.setSuspended(true); }
    void resumeUndo() { m_undo.setSuspended(false); }
    // While discarding (counted, for nesting), a change records no step and leaves the buffer
    // empty, as a caller that empties it after every change would find it: a pass that marks
    // thousands of ranges takes no snapshot for any of them.
    void beginDiscardingUndo() { ++m_discardingUndo; }
    void endDiscardingUndo() { m_discardingUndo = std::max(m_discardingUndo - 1, 0); }
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

private:
    class Operation;
    void setSelectionState(int32_t anchor, int32_t caret);
    void moveSelection(int32_t anchor, int32_t caret);
    // Replaces the selection with plain text as one change of `kind`.
    void replaceWithText(const QString& text, UndoKind kind, bool recordUndo);
    void removeRange(CharRange range, UndoKind kind);
    template <typename Change>
    void recorded(UndoKind kind, Change change);
    bool userMayRemove(CharRange range) const;
    bool userMayInsertAtCaret() const;
    int32_t roomLeft() const;

    Document m_document;
    UndoBuffer m_undo;
    SelectionState m_selection;
    std::optional<CharFormat> m_pending;
    bool m_modified = false;
    bool m_readOnly = false;
    int32_t m_maxLength = 0;
    int m_operationDepth = 0;
    int m_discardingUndo = 0;
    bool m_textChanged = false;
    SelectionState m_selectionAtStart;
    int m_watcher = 0;
};

}  // namespace richedit
