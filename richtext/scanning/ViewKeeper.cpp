#include "richtext/scanning/ViewKeeper.h"

#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"

using namespace richedit;

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

}  // namespace

ViewKeeper::ViewKeeper(RichTextBox& window) : m_window(window)
{
}

intptr_t ViewKeeper::send(uint32_t message, intptr_t wParam, intptr_t lParam)
{
    return sendMessage(m_window.hWnd(), message, wParam, lParam);
}

int32_t ViewKeeper::topLineStart()
{
    return int32_t(send(EM_LINEINDEX, send(EM_GETFIRSTVISIBLELINE)));
}

void ViewKeeper::SaveViewPos1()
{
    library().TopLinePos1 = topLineStart();
}

void ViewKeeper::SaveViewPos2()
{
    library().TopLinePos2 = topLineStart();
}

bool ViewKeeper::scrollBackTo(int32_t position)
{
    intptr_t target = send(EM_EXLINEFROMCHAR, 0, position);
    const intptr_t count = send(EM_GETLINECOUNT);
    const intptr_t first = send(EM_GETFIRSTVISIBLELINE);
    if (first == target)
        return false;
    if (target > count)
        target = count;
    send(EM_LINESCROLL, 0, target - first);
    return true;
}

void ViewKeeper::RestoreViewPos1()
{
    const int32_t saved = library().TopLinePos1;
    if (scrollBackTo(saved))
        m_window.setSelStart(saved);
}

void ViewKeeper::RestoreViewPos2()
{
    if (scrollBackTo(library().TopLinePos2))
        library().ViewPos3Restored = false;
}

void ViewKeeper::RestoreViewPos3(int32_t LinesAbove)
{
    const intptr_t target = send(EM_EXLINEFROMCHAR, 0, library().TopLinePos3);
    const intptr_t first = send(EM_GETFIRSTVISIBLELINE);
    const intptr_t delta = target - first - LinesAbove;
    if (delta == 0)
        return;
    send(EM_LINESCROLL, 0, delta);
    library().ViewPos3Restored = true;
}
