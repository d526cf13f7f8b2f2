// Formatting of an editing window's selection through the character and paragraph format
// records (alignment, highlight, line spacing, scripts, lists), the questions whether an
// editing command makes sense now, and the window's wrap modes.
#pragma once

#include "platform/host/OleColor.h"

#include <cstdint>
#include <optional>

namespace richedit {
class RichTextBox;
}

enum LineSpc : int32_t {
    LineSpaceSingleQ = 0,
    LineSpace1pt5Q = 1,
    LineSpaceDoubleQ = 2,
    LineSpaceExactlyQ = 4,
    LineSpaceMultipleQ = 5,
};

enum ScripTT : int32_t {
    NoScriptQ = 0,
    SubScriptQ = 1,
    SuperScriptQ = 2,
};

enum ListNN : int32_t {
    ListNoneQ = 0,
    ListBulletQ = 1,
    ListNumberQ = 2,
    ListNumberAsLCLetterQ = 3,
    ListNumberAsUCLetterQ = 4,
    ListNumberAsLCRomanQ = 5,
    ListNumberAsUCRomanQ = 6,
};

enum Unhighlight_Behavior : int32_t {
    Unhighlight_All_Text = 1,
    Unhighlight_Selected_Text = 2,
};

class SelectionFormatting {
public:
    // Alignment values of the window's selection property.
    enum Alignment : int { Left = 0, Right = 1, Center = 2 };
    // The longest selection the spelling and synonym lookups take, exclusive.
    static constexpr int LookupLimit = 38;

    explicit SelectionFormatting(richedit::RichTextBox& window);

    void align(Alignment alignment);
    // Empty when the selected paragraphs differ.
    std::optional<int> GetAlignment() const;
    void SelectAllText();

    // Toggles: a selection already highlighted in that colour loses its highlight. -1 is the
    // automatic background; any other colour is translated first. An empty selection: nothing.
    void HighLightText(host::OLE_COLOR HighLightColor);
    bool IsTextHighLighted(host::OLE_COLOR HighLightColor);
    // Automatic background on the whole text or on the (non-empty) selection; other values do
    // nothing.
    void UnHighLightText(int32_t All_or_Selected_Text = Unhighlight_All_Text);

    // The window's answer to the read-only message.
    int32_t ReadOnly(bool ApplyReadOnly);
    // The value counts only for exact (twips) and multiple (twentieths of a line) spacing.
    void LineSpacing(int32_t LineMethod, int32_t exactORmultiple = 10);
    // Other values apply nothing.
    void ScriptStyle(int32_t ScriptMethod);
    // Numbering of that kind, starting at 1, the number followed by a full stop.
    void ListStyle(int32_t ListMethod);
    bool SelListMethod(int32_t ListMethod);

    // True when something is selected (the Can queries of the copy, cut, delete, clear, case
    // and highlight commands).
    bool HasSelectedText() const;
    // Something selected and shorter than LookupLimit.
    bool CanLookUpSelection() const;
    // False when the text is empty or already all selected.
    bool CanSelectAll() const;

    // The wrap modes the window's target device gives without a printer.
    void wrapNowhere();
    void wrapAtWindow();

private:
    intptr_t send(uint32_t message, intptr_t wParam, const void* record);
    void applyAutomaticBackground(intptr_t scope);

    richedit::RichTextBox& m_window;
};
