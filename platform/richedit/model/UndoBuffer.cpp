#include "platform/richedit/model/UndoBuffer.h"

#include <algorithm>

namespace richedit {

UndoBuffer::UndoBuffer(Document& document) : m_document(document)
{
    m_document.setParagraphObserver(this);
}

UndoBuffer::~UndoBuffer()
{
    m_document.setParagraphObserver(nullptr);
}

void UndoBuffer::begin(UndoKind kind, const SelectionState& before)
{
    m_recording = true;
    m_kind = kind;
    m_before = before;
    m_stepStarted = kind != UndoKind::Other && m_runOpen && m_step && m_step->kind == kind &&
                    m_step->selectionAfter == before;
}

void UndoBuffer::end(const SelectionState& after)
{
    if (m_recording && m_stepStarted && m_step) {
        m_step->selectionAfter = after;
        m_runOpen = m_kind != UndoKind::Other;
    } else if (m_recording) {
        m_runOpen = false;
    }
    m_recording = false;
    m_stepStarted = false;
}

void UndoBuffer::aboutToReplace(int first, int count)
{
    if (!m_recording || m_restoring)
        return;
    if (!m_stepStarted) {
        m_step =
            Step{first, count, m_document.copyParagraphs(first, count), m_before, m_before, m_kind};
        m_stepStarted = true;
        return;
    }
    // Widen the step to cover this change too; paragraphs outside it are still as they were
    // when the step began.
    Step& step = *m_step;
    const int low = std::min(step.first, first);
    const int high = std::max(step.first + step.count, first + count);
    std::vector<Paragraph> before = m_document.copyParagraphs(low, step.first - low);
    before.insert(before.end(), std::make_move_iterator(step.before.begin()),
                  std::make_move_iterator(step.before.end()));
    std::vector<Paragraph> after =
        m_document.copyParagraphs(step.first + step.count, high - (step.first + step.count));
    before.insert(before.end(), std::make_move_iterator(after.begin()),
                  std::make_move_iterator(after.end()));
    step.before = std::move(before);
    step.first = low;
    step.count = high - low;
}

void UndoBuffer::replaced(int first, int oldCount, int newCount)
{
    if (m_restoring)
        return;
    if (m_recording && m_stepStarted) {
        m_step->count += newCount - oldCount;
        return;
    }
    // An unrecorded change that moves paragraphs would leave the step pointing at the wrong
    // ones.
    if (!m_recording && oldCount != newCount && m_step && first < m_step->first + m_step->count)
        clear();
}

std::optional<SelectionState> UndoBuffer::undo()
{
    if (!m_step)
        return std::nullopt;
    Step step = std::move(*m_step);
    Step inverse;
    inverse.first = step.first;
    inverse.count = int(step.before.size());
    inverse.before = m_document.copyParagraphs(step.first, step.count);
    inverse.selectionBefore = step.selectionAfter;
    inverse.selectionAfter = step.selectionBefore;
    m_restoring = true;
    m_document.restoreParagraphs(step.first, step.count, std::move(step.before));
    m_restoring = false;
    m_step = std::move(inverse);
    m_runOpen = false;
    return step.selectionBefore;
}

void UndoBuffer::clear()
{
    m_step.reset();
    m_runOpen = false;
    m_stepStarted = false;
}

}  // namespace richedit
