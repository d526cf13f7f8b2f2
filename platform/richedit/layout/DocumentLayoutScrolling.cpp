// The vertical scroll state and the freeze count of the document layout.
#include "platform/richedit/layout/DocumentLayout.h"

#include <algorithm>

namespace richedit {

int DocumentLayout::firstVisibleLine()
{
    return lineFromChar(m_topAnchor);
}

int32_t DocumentLayout::topPosition()
{
    checkConsistency();
    const int32_t top = m_document.snap(m_topAnchor);
    const int paragraph = m_document.paragraphAt(top);
    const ParagraphLayout& layout = paragraphLayout(paragraph);
    const int32_t start = m_document.paragraphStart(paragraph);
    return start + layout.line(layout.lineAt(top - start)).start;
}

void DocumentLayout::scrollToLine(int line)
{
    int32_t top = lineIndex(std::max(line, 0));
    if (top < 0)
        top = lineIndex(lineCount() - 1);
    if (top == m_topAnchor)
        return;
    m_topAnchor = top;
    repaint();
}

int DocumentLayout::lineScroll(int delta)
{
    const int64_t target = int64_t(firstVisibleLine()) + delta;
    scrollToLine(int(std::clamp<int64_t>(target, 0, lineCount() - 1)));
    return 1;
}

void DocumentLayout::scrollCaretIntoView()
{
    const int caretLine = lineFromChar(-1);
    const int first = firstVisibleLine();
    if (caretLine < first) {
        scrollToLine(caretLine);
        return;
    }
    const int64_t bottom = lineTop(caretLine) + lineHeight(caretLine);
    const int64_t viewHeight = textHeightTw();
    if (bottom <= lineTop(first) + viewHeight)
        return;
    // The highest top line that still shows the caret's line whole; a line taller than the
    // view goes to the top.
    const int64_t y = bottom - viewHeight;
    int top = lineAtHeight(y);
    if (lineTop(top) < y)
        ++top;
    scrollToLine(std::min(top, caretLine));
}

void DocumentLayout::selectionChanged()
{
    if (frozen())
        m_scrollPending = true;
    else
        scrollCaretIntoView();
}

void DocumentLayout::freeze()
{
    ++m_freezeCount;
}

void DocumentLayout::unfreeze()
{
    if (m_freezeCount == 0)
        return;
    if (m_freezeCount == 1)
        settleDeferred();
    if (m_freezeCount == 1 && m_scrollPending) {
        // Still frozen here, so that the scroll and the unfreeze repaint once.
        m_scrollPending = false;
        scrollCaretIntoView();
    }
    if (--m_freezeCount == 0)
        repaint();
}

void DocumentLayout::repaint()
{
    if (!frozen() && onRepaintNeeded)
        onRepaintNeeded();
}

}  // namespace richedit
