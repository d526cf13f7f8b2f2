// The text object model over an editing engine: a document handle (freeze, undo suspension,
// the selection, the story length) and text ranges (line and character numbers, moving to a
// line start, case change, find). Handles are cheap values; every state sits in the engine.
#pragma once

#include "platform/richedit/model/Document.h"

#include <QPointer>
#include <QString>
#include <cstdint>

namespace richedit {

class Engine;

// Units.
constexpr long tomCharacter = 1;
constexpr long tomLine = 5;
// Undo counts that switch undo collection off and on again.
constexpr long tomSuspend = -9999995;
constexpr long tomResume = -9999994;
// Find flags (the same bits as the find message's).
constexpr long tomMatchWord = 2;
constexpr long tomMatchCase = 4;

// A span of the document. The selection's range reads and writes the engine's selection; a
// duplicate is detached and keeps its own ends. All members answer 0 and change nothing once
// the engine is gone.
class TextRange {
public:
    TextRange() = default;

    // A detached range with the same ends.
    TextRange GetDuplicate() const;
    int32_t Start() const;
    int32_t End() const;
    bool isSelection() const { return m_isSelection; }

    // tomLine: the 1-based display line of the start; tomCharacter: the start + 1. Other units
    // give 0.
    long GetIndex(long unit) const;
    // tomLine: moves the start to the start of its display line; with `extend` 0 the end
    // follows (the range collapses), otherwise the end stays. Returns the signed distance the
    // start moved (never positive). tomCharacter moves nothing; other units give 0.
    long StartOf(long unit, long extend = 0);
    // Case codes 0 lower, 1 upper, 2 title, 4 sentence, 5 toggle; in place, one undo step. The
    // engine changes case on its selection, so a detached range borrows it and gives it back.
    void ChangeCase(long type);
    // count > 0 searches forward from the end, count < 0 backward from the start, over |count|
    // positions (the story length reaches the end). Flags tomMatchWord and tomMatchCase. A hit
    // becomes the range and its length is returned; 0 when nothing was found (range kept).
    long FindText(const QString& text, long count, long flags = 0);

private:
    friend class TextDocument;
    TextRange(Engine* engine, bool isSelection, int32_t start, int32_t end);
    // Sets both ends; the selection's range sets the engine's selection (anchor at `start`).
    void setRange(int32_t start, int32_t end);
    CharRange findForward(const QString& text, int32_t from, int64_t span, long flags) const;
    CharRange findBackward(const QString& text, int32_t before, int64_t span, long flags) const;

    QPointer<Engine> m_engine;
    bool m_isSelection = false;
    int32_t m_start = 0;
    int32_t m_end = 0;
};

// The document of one editing engine. Any number of handles may refer to one engine at once;
// the freeze count and undo suspension belong to the engine, never to a handle.
class TextDocument {
public:
    TextDocument() = default;
    explicit TextDocument(Engine& engine);

    // False for a default handle and once the engine is gone.
    bool isValid() const { return !m_engine.isNull(); }

    // Nesting: every Freeze needs its own Unfreeze; an Unfreeze at 0 does nothing.
    void Freeze();
    void Unfreeze();
    // tomSuspend gathers every change until tomResume into one undo step (a resume without a
    // suspend is harmless). No other count is used by the system; they change nothing.
    // Returns 0.
    long Undo(long count);
    // The range that is the engine's selection.
    TextRange Selection() const;
    // The text's length plus one for the final paragraph mark.
    long StoryLength() const;

private:
    QPointer<Engine> m_engine;
};

}  // namespace richedit
