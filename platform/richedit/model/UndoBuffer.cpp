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
    if (m_restoring)
        return;
    if (!m_recording) {
        m_unrecordedBefore.clear();
        m_unrecordedFirst = -1;
        if (m_step && first < m_step->first + m_step->count && first + count > m_step->first) {
            m_unrecordedFirst = first;
            m_unrecordedBefore = m_document.copyParagraphs(first, count);
        }
        return;
    }
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
    else if (!m_recording && oldCount == newCount)
        keepFormatChanges(first, newCount);
    m_unrecordedBefore.clear();
    m_unrecordedFirst = -1;
}

void UndoBuffer::keepFormatChanges(int first, int count)
{
    if (!m_step || m_step->before.empty() || m_unrecordedFirst != first ||
        m_unrecordedBefore.size() != size_t(count))
        return;
    Step& step = *m_step;
    const auto sameRuns = [](const RunList& a, const RunList& b) {
        return std::equal(
            a.begin(), a.end(), b.begin(), b.end(), [](const TextRun& x, const TextRun& y) {
                return x.length == y.length && x.format == y.format && x.picture == y.picture;
            });
    };
    for (int k = 0; k < count; ++k) {
        const int index = first + k;
        if (index < step.first || index >= step.first + step.count)
            continue;
        const Paragraph& now = m_document.paragraph(index);
        const Paragraph& was = m_unrecordedBefore[size_t(k)];
        // Only the paragraph format changed; text and character formats stay the step's.
        if (now.text != was.text || now.mark != was.mark || !sameRuns(now.runs, was.runs))
            continue;
        // A step over more paragraphs than it replaced (a split) maps its extra ones onto
        // the last paragraph it restores.
        const size_t slot = std::min(size_t(index - step.first), step.before.size() - 1);
        step.before[slot].format = now.format;
    }
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
