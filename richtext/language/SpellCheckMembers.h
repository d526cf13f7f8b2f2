// The spell check over the control's own document: the list of misspelled words (the
// control's hidden list box), stepping from one occurrence to the next or previous, the
// correction with its period rule, and taking the last correction back. The navigation values
// and the undo record are the library's, shared with every control and the dialog.
#pragma once

#include "platform/host/OleColor.h"
#include "richtext/language/StringArray.h"

#include <QString>
#include <cstdint>
#include <functional>

class QListWidget;
class WordQueries;
namespace richedit {
class RichTextBox;
}

class SpellCheckMembers {
public:
    // The control's search member: finds the text from the selection in the direction, with
    // the options, passing over hits inside addresses when asked; selects a hit and returns its
    // position, or -1.
    using Find2Function = std::function<int32_t(const QString& TextToFind, int32_t FindDirection,
                                                int32_t FindOptions, bool SkipURLEmail)>;
    static constexpr int32_t FindNext = 1;
    static constexpr int32_t FindPrevious = -1;
    static constexpr int32_t AllMatches = 0;
    static constexpr int32_t WholeWord = 2;
    static constexpr int32_t WholeWord_MatchCase = 6;
    static constexpr host::OLE_COLOR DefaultHighLightColor = 0x8000;

    SpellCheckMembers(richedit::RichTextBox& window, QListWidget& list, WordQueries& queries);

    // Until a search is given, every search finds nothing and leaves the selection alone.
    void setFind2(Find2Function find2) { m_find2 = std::move(find2); }

    // 0 once the first misspelling is selected; -1 when the document has none; 0 with an
    // unallocated array and an empty list when the scan was stopped.
    int32_t SpellCheck(StringArray& ReturnArray);
    void PrepNonSpellCheckRTB(const StringArray& PassInArray);
    // The list position after the step; unchanged at the ends or while a step runs.
    int32_t GoToNextSpellError();
    int32_t GoToPreviousSpellError();
    // Replaces the selected occurrence (and a full stop after it when the correction ends with
    // one), removes the word from the list and goes to the next; 0 with an empty selection.
    int32_t FixSpelling(const QString& CorrectSpelling, bool HighlightFixes = true,
                        host::OLE_COLOR HighLightColor = DefaultHighLightColor);
    void FixSpelling2(const QString& CorrectSpelling);
    // The list position of the restored word, or 0 when there is nothing to take back.
    int32_t UndoSpellCorrection();

private:
    int32_t find(const QString& text, int32_t direction, int32_t options);
    void select(int32_t start, int32_t length);
    int32_t listIndex() const;
    int32_t listCount() const;
    void setListIndex(int32_t index);
    QString currentEntry() const;
    void fillList(const QStringList& words);
    // Steps 3 to 6 of a correction: the period rule, the undo record, the replacement; returns
    // the number of words after the current one and the replacement's position.
    int32_t replaceSelection(const QString& correction, int32_t& position);
    // Takes the corrected word out of the list and selects the one now at its place.
    void removeCurrentWord(int32_t remaining);

    richedit::RichTextBox& m_window;
    QListWidget& m_list;
    WordQueries& m_queries;
    Find2Function m_find2;
};
