// Line, caret and view questions about one editing window, asked through its window messages:
// display lines (wrapped lines count), 1-based line numbers where the control's interface
// answers them, and moving the view to a line.
#pragma once

#include <QString>
#include <cstdint>

namespace richedit {
class RichTextBox;
}

class LineQueries {
public:
    explicit LineQueries(richedit::RichTextBox& window);

    // Selects the caret's display line, without its paragraph end.
    void SelectLine();
    // The caret's line: its 1-based start and the length asked at that position (one past the
    // line's start, so an empty line reports the next line's length). An empty document
    // answers "" and leaves both out-arguments as they were.
    QString GetLineText(int32_t& LineStart, int32_t& LineLength);
    // The line above the caret's; on the first line the caret's own line.
    QString GetPrevLineText();
    // A 0-based line; "" past the end.
    QString GetAnyLineText(int32_t MyLineNum);
    // First position of a 0-based line (-1: the caret's); -1 past the end.
    int32_t GetPosOfFirstCharInLine(int32_t MyLine = -1);
    int32_t GetPosOfFirstCharInPrevLine();
    // 1-based numbers of the top line and of the last line shown whole enough: the line at 5 %
    // of the formatting rectangle's height above its bottom.
    int32_t FirstVisibleLine();
    int32_t LastVisibleLine();
    int32_t TotalLineCount();
    // 1-based line of SelStart.
    int32_t CurrentLine();
    // Scrolls a 0-based line to the top of the view and, when asked, selects it; a line past
    // the end does nothing.
    void GoToLine(int32_t LineNumQ, bool SelectLineQ = true);

private:
    intptr_t send(uint32_t message, intptr_t wParam = 0, intptr_t lParam = 0);
    // The characters of the line whose 0-based start is given, as the text members read them.
    QString lineTextFrom(int32_t start);

    richedit::RichTextBox& m_window;
};
