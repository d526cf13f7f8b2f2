// Colouring program source in an editing window: comments, string literals and keywords found by
// three regular expressions, run once over the unchanged text, then coloured role by role; the
// built-in sets also set one plain font and rewrite keywords in their listed letter case.
#pragma once

#include "platform/host/OleColor.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace richedit {
class RichTextBox;
}
class WholeDocumentUndo;

enum Syntax_Behavior : int32_t {
    Syntax_All_Text = 1,
    Syntax_Selected_Text = 2,
};

enum Formatting_Options : int32_t {
    Remove_All_Formatting = 1,
    Remove_Bold = 2,
    Remove_Bullets = 3,
    Remove_Italics = 4,
    Remove_StrikeThru = 5,
    Remove_UnderLine = 6,
    Retain_All_Formatting = 7,
};

// The keyword expressions of the two built-in sets and the comment expression they share.
extern const QString VB6KeyWordPattern;
extern const QString VBNetKeyWordPattern;
extern const QString CommentPattern;

// One keyword set: its three expressions (an empty one is skipped) with the colours of their
// roles, read at each match.
struct KeywordSet {
    QString memberName;  // for the message about an invalid method
    QString commentPattern;
    QString stringPattern;
    QString keywordPattern;
    std::function<host::OLE_COLOR()> commentColor;
    std::function<host::OLE_COLOR()> stringColor;
    std::function<host::OLE_COLOR()> keywordColor;
    // Built-in sets: base font and colour, protected literals and the listed letter case.
    bool builtIn = true;
    // The keyword list ("|Word|Word|...|") of a built-in set.
    QString keywordList;
    // Only the whole-text pass of the first built-in set mutes SelChange.
    bool suppressSelChangeWholeText = false;
};

// What the pass needs of the control that runs it.
struct KeywordColouringHooks {
    std::function<void()> begin;
    std::function<void()> finish;
    std::function<void()> ready;
    std::function<void(bool)> lockWindowUpdate;
    std::function<void()> saveViewPos;
    std::function<void()> restoreViewPos;
};

class KeywordColouring {
public:
    // `syntaxCancel` and `suppressSelChange` are the control's own flags; `undo` may be null
    // (no snapshot is taken and a stop leaves the document as far as the pass got).
    KeywordColouring(richedit::RichTextBox& window, KeywordColouringHooks hooks, bool& syntaxCancel,
                     bool& suppressSelChange);

    void setUndo(WholeDocumentUndo* undo) { m_undo = undo; }

    // The public member: returns at once while a long pass runs; methods other than 1 and 2
    // only show the message. A failing expression ends the pass through its end steps, and the
    // member still puts the pointer back and raises Finish and Ready.
    void apply(const KeywordSet& set, int32_t method, int32_t formatting);

    // The list resource of a built-in set (102 or 103); empty when it is missing.
    static QString keywordListResource(int id);

private:
    void runPass(const KeywordSet& set, bool selectedText, int32_t formatting);

    richedit::RichTextBox& m_window;
    KeywordColouringHooks m_hooks;
    bool& m_syntaxCancel;
    bool& m_suppressSelChange;
    WholeDocumentUndo* m_undo = nullptr;
};
