// Remembers the line at the top of an editing window before a long pass selects text all over
// the document, and scrolls back to it afterwards. Three library-wide slots, one per family
// of passes (RichTextLibraryState::TopLinePos1 to 3).
#pragma once

#include <cstdint>

namespace richedit {
class RichTextBox;
}

class ViewKeeper {
public:
    explicit ViewKeeper(richedit::RichTextBox& window);

    // Store the first position of the top line.
    void SaveViewPos1();
    void SaveViewPos2();
    // Scroll back so that the saved position's line is at the top again (clamped to the last
    // line); nothing happens when it already is. Slot 1 then puts the caret at the saved
    // position, slot 2 leaves the caret and clears ViewPos3Restored.
    void RestoreViewPos1();
    void RestoreViewPos2();
    // Scroll so that slot 3's line stands `LinesAbove` lines below the top, and set
    // ViewPos3Restored; no clamp to the line count.
    void RestoreViewPos3(int32_t LinesAbove);

private:
    intptr_t send(uint32_t message, intptr_t wParam = 0, intptr_t lParam = 0);
    int32_t topLineStart();
    // Steps shared by slots 1 and 2; true when it scrolled.
    bool scrollBackTo(int32_t position);

    richedit::RichTextBox& m_window;
};
