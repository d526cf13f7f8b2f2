#include "platform/richedit/model/UndoBuffer.h"

#include "platform/richedit/model/ParagraphRuns.h"

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

void UndoBuffer::setSuspended(bool suspended)
{
    if (suspended == m_suspended)
        return;
    m_suspended = suspended;
    m_suspendedStepStarted = false;
    m_runOpen = false;
}

void UndoBuffer::begin(UndoKind kind, const SelectionState& before)
{
    m_recording = true;
    m_kind = kind;
    m_before = before;
    if (m_suspended) {
        m_stepStarted = m_suspendedStepStarted && m_step;
        return;
    }
    m_stepStarted = kind != UndoKind::Other && m_runOpen && m_step && m_step->kind == kind &&
                    m_step->selectionAfter == before;
}

void UndoBuffer::end(const SelectionState& after)
{
    // A change that replaced paragraphs by their equals (a format applied where every
    // character has it already) leaves the old step in place.
    if (m_recording && m_displacedStep) {
        if (m_step && changesNothing(*m_step)) {
            m_step = std::move(m_displaced);
            m_stepStarted = false;
        }
        m_displaced.reset();
        m_displacedStep = false;
    }
    if (m_suspended) {
        if (m_recording && m_stepStarted && m_step) {
            m_step->selectionAfter = after;
            m_suspendedStepStarted = true;
        }
        m_runOpen = false;
    } else if (m_recording && m_stepStarted && m_step) {
        m_step->selectionAfter = after;
        m_runOpen = m_kind != UndoKind::Other;
    } else if (m_recording) {
        m_runOpen = false;
    }
    m_recording = false;
    m_stepStarted = false;
}

UndoBuffer::Step UndoBuffer::newStep(int first, int count) const
{
    Step step;
    step.first = first;
    step.count = count;
    step.selectionBefore = step.selectionAfter = m_before;
    step.kind = m_kind;
    return step;
}

void UndoBuffer::aboutToReplace(int first, int count)
{
    if (m_restoring)
        return;
    if (!m_recording) {
        // The runs a slice step counts on may move.
        if (m_step && m_step->runSlice && m_step->first >= first && m_step->first < first + count)
            keepWholeParagraph(*m_step);
        return;
    }
    if (!m_stepStarted) {
        Step step = newStep(first, count);
        step.before = m_document.copyParagraphs(first, count);
        startStep(std::move(step));
        return;
    }
    keepWholeParagraph(*m_step);
    widen(*m_step, first, count);
}

void UndoBuffer::startStep(Step step)
{
    m_displaced = std::move(m_step);
    m_displacedStep = true;
    m_step = std::move(step);
    m_stepStarted = true;
}

bool UndoBuffer::changesNothing(const Step& step) const
{
    const auto sameRun = [](const TextRun& x, const TextRun& y) {
        return x.length == y.length && x.format == y.format && x.picture == y.picture;
    };
    const auto sameRuns = [&](const RunList& a, const RunList& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameRun);
    };
    if (step.runSlice) {
        const RunList& now = m_document.paragraph(step.first).runs;
        if (step.firstRun + step.runCount > now.size())
            return false;
        const auto slice = now.begin() + ptrdiff_t(step.firstRun);
        return std::equal(slice, slice + ptrdiff_t(step.runCount), step.runs.begin(),
                          step.runs.end(), sameRun);
    }
    if (step.inParagraph) {
        const Paragraph& now = m_document.paragraph(step.first);
        return step.added == step.removedText.size() && now.format == step.format &&
               sameRuns(now.runs, step.runs) &&
               now.text.mid(step.offset, step.added) == step.removedText;
    }
    if (size_t(step.count) != step.before.size())
        return false;
    // Runs and formats first: they tell a real format change at once, before any text is
    // compared.
    for (int k = 0; k < step.count; ++k) {
        const Paragraph& now = m_document.paragraph(step.first + k);
        const Paragraph& was = step.before[size_t(k)];
        if (now.format != was.format || now.mark != was.mark || !sameRuns(now.runs, was.runs))
            return false;
    }
    for (int k = 0; k < step.count; ++k) {
        if (!(m_document.paragraph(step.first + k).text == step.before[size_t(k)].text))
            return false;
    }
    return true;
}

void UndoBuffer::widen(Step& step, int first, int count) const
{
    // Paragraphs outside the step are still as they were when the step began.
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

void UndoBuffer::keepWholeParagraph(Step& step) const
{
    if (step.runSlice) {
        Paragraph was = m_document.paragraph(step.first);
        replaceRuns(was.runs, step.firstRun, step.firstRun + step.runCount, std::move(step.runs));
        step.before.clear();
        step.before.push_back(std::move(was));
        step.runSlice = false;
        step.runs = {};
        return;
    }
    if (!step.inParagraph)
        return;
    const Paragraph& now = m_document.paragraph(step.first);
    QString text;
    text.reserve(now.text.size() - step.added + step.removedText.size());
    now.text.appendTo(text, 0, step.offset);
    text.append(step.removedText);
    now.text.appendTo(text, step.offset + step.added);
    Paragraph was;
    was.text = std::move(text);
    was.runs = std::move(step.runs);
    was.format = step.format;
    was.mark = now.mark;
    step.before.clear();
    step.before.push_back(std::move(was));
    step.inParagraph = false;
    step.removedText.clear();
    step.runs = {};
}

void UndoBuffer::aboutToEdit(int paragraph, int32_t offset, int32_t removed, int32_t added)
{
    if (m_restoring)
        return;
    const bool covered =
        m_step && paragraph >= m_step->first && paragraph < m_step->first + m_step->count;
    if (!m_recording) {
        // Text changed beneath the step: its positions no longer hold.
        if (covered)
            clear();
        return;
    }
    const Paragraph& now = m_document.paragraph(paragraph);
    if (!m_stepStarted) {
        Step step = newStep(paragraph, 1);
        step.inParagraph = true;
        step.offset = offset;
        step.added = added;
        step.removedText = now.text.mid(offset, removed);
        step.runs = now.runs;
        step.format = now.format;
        startStep(std::move(step));
        return;
    }
    Step& step = *m_step;
    const int32_t end = offset + removed;
    if (step.inParagraph && step.first == paragraph && offset <= step.offset + step.added &&
        end >= step.offset) {
        // The edit meets what the step replaced: the step grows over both. Outside the step's
        // own units the paragraph still holds the text from before it.
        const int32_t low = std::min(offset, step.offset);
        const int32_t high = std::max(end, step.offset + step.added);
        QString removedText;
        removedText.reserve(high - low - step.added + step.removedText.size());
        now.text.appendTo(removedText, low, step.offset - low);
        removedText.append(step.removedText);
        now.text.appendTo(removedText, step.offset + step.added, high - step.offset - step.added);
        step.removedText = std::move(removedText);
        step.offset = low;
        step.added = high - low - removed + added;
        return;
    }
    keepWholeParagraph(step);
    widen(step, paragraph, 1);
}

void UndoBuffer::aboutToFormat(int paragraph, size_t firstRun, size_t lastRun, int32_t offset,
                               int32_t length)
{
    if (m_restoring)
        return;
    if (!m_recording || m_stepStarted) {
        aboutToReplace(paragraph, 1);
        return;
    }
    const RunList& runs = m_document.paragraph(paragraph).runs;
    Step step = newStep(paragraph, 1);
    step.runSlice = true;
    step.firstRun = firstRun;
    step.runCount = lastRun - firstRun;
    step.offset = offset;
    step.length = length;
    step.runs.reserve(step.runCount);
    for (size_t k = firstRun; k < lastRun; ++k)
        step.runs.push_back(runs[k]);
    startStep(std::move(step));
}

void UndoBuffer::formatted(int paragraph, size_t newCount)
{
    if (!m_restoring && m_recording && m_step && m_step->runSlice && m_step->first == paragraph)
        m_step->runCount = newCount;
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
    if (step.runSlice) {
        const RunList& now = m_document.paragraph(step.first).runs;
        Step inverse = step;
        inverse.selectionBefore = step.selectionAfter;
        inverse.selectionAfter = step.selectionBefore;
        inverse.runCount = step.runs.size();
        inverse.runs.clear();
        for (size_t k = step.firstRun; k < step.firstRun + step.runCount; ++k)
            inverse.runs.push_back(now[k]);
        m_restoring = true;
        m_document.restoreRuns(step.first, step.firstRun, step.runCount, std::move(step.runs),
                               step.offset, step.length);
        m_restoring = false;
        m_step = std::move(inverse);
        m_runOpen = false;
        return step.selectionBefore;
    }
    if (step.inParagraph) {
        const Paragraph& now = m_document.paragraph(step.first);
        Step inverse = step;
        inverse.selectionBefore = step.selectionAfter;
        inverse.selectionAfter = step.selectionBefore;
        inverse.added = int32_t(step.removedText.size());
        inverse.removedText = now.text.mid(step.offset, step.added);
        inverse.runs = now.runs;
        inverse.format = now.format;
        m_restoring = true;
        m_document.restoreEdit(step.first, step.offset, step.added, step.removedText,
                               std::move(step.runs), step.format);
        m_restoring = false;
        m_step = std::move(inverse);
        m_runOpen = false;
        return step.selectionBefore;
    }
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
    m_displaced.reset();
    m_runOpen = false;
    m_stepStarted = false;
    m_suspendedStepStarted = false;
}

}  // namespace richedit
