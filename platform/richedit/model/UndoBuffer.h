// The single-level undo buffer: one step holding the paragraphs a change replaced and the
// selection before and after it. Undoing turns the step into its own inverse, so a second
// undo puts the change back. While collection is suspended (an indent dragged on the ruler,
// from its first move to the release) every change joins one step, so that undo takes back
// the drag as a whole and nothing else.
#pragma once

#include "platform/richedit/model/Document.h"

#include <optional>
#include <vector>

namespace richedit {

struct SelectionState {
    int32_t anchor = 0;
    int32_t caret = 0;
    bool operator==(const SelectionState&) const = default;
};

// Runs of these kinds grow one step while the caret stays where the last one left it.
enum class UndoKind { Other, Typing, Backspace, Delete };

class UndoBuffer : public ParagraphObserver {
public:
    explicit UndoBuffer(Document& document);
    ~UndoBuffer() override;
    UndoBuffer(const UndoBuffer&) = delete;
    UndoBuffer& operator=(const UndoBuffer&) = delete;

    // Brackets one change. A typing, Backspace or Delete change continues the open run of its
    // kind when `before` is the selection that run left; otherwise the first paragraph
    // replacement inside the brackets starts a new step (a change that replaces nothing leaves
    // the old step in place).
    void begin(UndoKind kind, const SelectionState& before);
    void end(const SelectionState& after);

    bool canUndo() const { return m_step.has_value(); }
    // Takes the step back and returns the selection to restore; empty when there is no step.
    std::optional<SelectionState> undo();
    void clear();
    // The caret moved for another reason: the next typing starts a new step.
    void breakRun() { m_runOpen = false; }

    void setSuspended(bool suspended);
    bool suspended() const { return m_suspended; }

private:
    void aboutToReplace(int first, int count) override;
    void replaced(int first, int oldCount, int newCount) override;
    void aboutToEdit(int paragraph, int32_t offset, int32_t removed, int32_t added) override;
    void aboutToFormat(int paragraph, size_t firstRun, size_t lastRun, int32_t offset,
                       int32_t length) override;
    void formatted(int paragraph, size_t newCount) override;

    // Either the paragraphs a change replaced, or, for edits inside one paragraph, only what
    // they replaced there: `removedText` gave way to the `added` units at `offset` of paragraph
    // `first`, whose runs and format were `runs` and `format`. Keeping the text itself would
    // share it with the document, and the next edit would copy the whole paragraph.
    struct Step {
        int first = 0;
        int count = 0;  // paragraphs the step covers in the current document
        std::vector<Paragraph> before;
        SelectionState selectionBefore;
        SelectionState selectionAfter;
        UndoKind kind = UndoKind::Other;
        bool inParagraph = false;
        int32_t offset = 0;
        int32_t added = 0;
        QString removedText;
        RunList runs;
        uint32_t format = 0;
        // Or, for a format change inside one paragraph, only the runs it replaced: `runs` were
        // where runs [firstRun, firstRun + runCount) of paragraph `first` are, over `length`
        // characters from `offset`. A long paragraph coloured keyword by keyword is then not
        // copied for each keyword.
        bool runSlice = false;
        size_t firstRun = 0;
        size_t runCount = 0;
        int32_t length = 0;
    };
    // A step over paragraphs [first, first + count) for the bracketed change, nothing kept yet.
    Step newStep(int first, int count) const;
    // An in-paragraph step becomes one of whole paragraphs, for a change it cannot take.
    void keepWholeParagraph(Step& step) const;
    // Widens the step to paragraphs [first, first + count).
    void widen(Step& step, int first, int count) const;
    // Whether the document holds again exactly what the step would put back.
    bool changesNothing(const Step& step) const;
    // The first replacement of a bracketed change takes the step; the one it displaced is
    // kept until the change ends.
    void startStep(Step step);

    Document& m_document;
    std::optional<Step> m_step;
    bool m_recording = false;
    bool m_stepStarted = false;  // the bracketed change already owns m_step
    // The step a change in the brackets displaced, put back when that change changed nothing.
    std::optional<Step> m_displaced;
    bool m_displacedStep = false;
    UndoKind m_kind = UndoKind::Other;
    SelectionState m_before;
    bool m_runOpen = false;
    bool m_suspended = false;
    bool m_suspendedStepStarted = false;  // a change since the suspend owns m_step
    bool m_restoring = false;
};

}  // namespace richedit
