// Searching the control's own editing window: finding and selecting the next or previous
// occurrence of a text, optionally passing over occurrences inside web or e-mail addresses,
// and the plain yes/no test whether a text occurs under given options.
#pragma once

#include <QString>
#include <cstdint>

namespace richedit {
class RichTextBox;
struct CharRange;
}  // namespace richedit

// The values are the window's find flags (2 whole word, 4 match case).
enum FindOptionsQ : int32_t {
    AllMatches = 0,
    WholeWord = 2,
    MatchCase = 4,
    WholeWord_MatchCase = 6,
};

enum FindDirectionQ : int32_t {
    FindNext = 1,
    FindPrevious = -1,
};

class TextFinder {
public:
    explicit TextFinder(richedit::RichTextBox& window);

    // The hit's position (selected), -1 when the search found nothing, 0 for a direction or
    // options outside the listed values (nothing searched). Backwards, only occurrences that
    // begin before the caret are found.
    int32_t Find2(const QString& TextToFind, int32_t FindDirection, int32_t FindOptions,
                  bool SkipURLEmail);
    // Whether the plain text holds the text under the options (whole words bounded by
    // blanks, symbols or control characters); 1, 3, 5 and above 6 give False.
    bool FindVerify(const QString& FVTextToFind, int32_t FVFindOptions);

private:
    int32_t findForward(const QString& what, int32_t options, bool skipAddresses);
    int32_t findBackward(const QString& what, int32_t options);
    int32_t findWordBackward(const QString& what, int32_t options, bool skipAddresses);
    // The window's find over [from, to] (to -1: the end of the text); {-1, -1} for none.
    richedit::CharRange find(const QString& what, int32_t from, int32_t to, int32_t options);
    void select(const richedit::CharRange& hit);

    richedit::RichTextBox& m_window;
};
