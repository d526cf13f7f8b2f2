#include "richtext/common/LineQueries.h"

#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbNumbers.h"

using namespace richedit;

LineQueries::LineQueries(RichTextBox& window) : m_window(window)
{
}

intptr_t LineQueries::send(uint32_t message, intptr_t wParam, intptr_t lParam)
{
    return sendMessage(m_window.hWnd(), message, wParam, lParam);
}

QString LineQueries::lineTextFrom(int32_t start)
{
    // A line past the end has start -1: there is no 1-based position 0 to read from.
    if (m_window.engine().document().length() == 0 || start < 0)
        return QString();
    // The length is asked one past the line's start, as the 1-based start reads as a position.
    const auto length = int32_t(send(EM_LINELENGTH, start + 1));
    return m_window.engine().document().text().mid(start, length);
}

void LineQueries::SelectLine()
{
    const auto start = int32_t(send(EM_LINEINDEX, -1));
    const auto length = int32_t(send(EM_LINELENGTH, start));
    m_window.setSelStart(start);
    m_window.setSelLength(length);
}

QString LineQueries::GetLineText(int32_t& LineStart, int32_t& LineLength)
{
    if (m_window.engine().document().length() == 0)
        return QString();
    LineStart = int32_t(send(EM_LINEINDEX, -1)) + 1;
    LineLength = int32_t(send(EM_LINELENGTH, LineStart));
    return m_window.engine().document().text().mid(LineStart - 1, LineLength);
}

QString LineQueries::GetPrevLineText()
{
    return lineTextFrom(GetPosOfFirstCharInPrevLine());
}

QString LineQueries::GetAnyLineText(int32_t MyLineNum)
{
    return lineTextFrom(GetPosOfFirstCharInLine(MyLineNum));
}

int32_t LineQueries::GetPosOfFirstCharInLine(int32_t MyLine)
{
    return int32_t(send(EM_LINEINDEX, MyLine));
}

int32_t LineQueries::GetPosOfFirstCharInPrevLine()
{
    // On the first line this asks for line -1, which is the caret's own.
    return GetPosOfFirstCharInLine(CurrentLine() - 2);
}

int32_t LineQueries::FirstVisibleLine()
{
    return int32_t(send(EM_GETFIRSTVISIBLELINE)) + 1;
}

int32_t LineQueries::LastVisibleLine()
{
    Rect area;
    send(EM_GETRECT, 0, reinterpret_cast<intptr_t>(&area));
    PointL point;
    point.x = area.right;
    point.y = area.bottom - int32_t(vb::roundHalfEven(area.bottom * 0.05));
    const intptr_t character = send(EM_CHARFROMPOS, 0, reinterpret_cast<intptr_t>(&point));
    return int32_t(send(EM_EXLINEFROMCHAR, 0, character)) + 1;
}

int32_t LineQueries::TotalLineCount()
{
    return int32_t(send(EM_GETLINECOUNT));
}

int32_t LineQueries::CurrentLine()
{
    return int32_t(send(EM_LINEFROMCHAR, m_window.SelStart())) + 1;
}

void LineQueries::GoToLine(int32_t LineNumQ, bool SelectLineQ)
{
    const auto start = int32_t(send(EM_LINEINDEX, LineNumQ));
    if (start == -1)
        return;
    const auto length = int32_t(send(EM_LINELENGTH, start));
    send(EM_LINESCROLL, 0, intptr_t(LineNumQ) - send(EM_GETFIRSTVISIBLELINE));
    if (SelectLineQ) {
        m_window.setSelStart(start);
        m_window.setSelLength(length);
    }
}
