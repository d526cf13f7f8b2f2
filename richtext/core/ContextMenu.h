// The editing control's context menu: its entries and ids, built afresh for each showing from
// what the control can do now, and the replacement texts of its word entries.
#pragma once

#include "platform/host/PopupMenu.h"

#include <QString>
#include <QStringList>

namespace ContextMenu {

enum MenuId : int {
    NoCommand = 0,
    UndoId = 1,
    HyperUndoId = 2,
    CutId = 4,
    CopyId = 5,
    PasteId = 6,
    DeleteId = 7,
    SelectAllId = 8,
    FontId = 9,
    FontColorId = 10,
    HighlightId = 11,
    HighlightColorId = 13,
    // Synonyms and dictionary words each have ten ids of their own, so that every entry shown
    // acts and the two ranges never meet.
    FirstSynonymId = 37,
    FirstSpellingId = 47,
    ApplyVB6SyntaxId = 99,
};
constexpr int MaxSynonyms = FirstSpellingId - FirstSynonymId;
constexpr int MaxSpellings = 10;

// What the control answers at the moment the menu is built.
struct MenuState {
    bool canUndo = false;
    bool canUndoSpecial = false;
    bool canCut = false;
    bool canCopy = false;
    bool canPaste = false;
    bool canDelete = false;
    bool canSelectAll = false;
    bool canHighlight = false;
    bool canGetSynonym = false;
    bool canGetSpelling = false;
    bool showVB6Syntax = false;
    // Only entries shown are listed: at most MaxSynonyms and MaxSpellings.
    QStringList synonyms;
    QStringList spellings;
};

host::PopupMenu Build(const MenuState& state);

// The synonym keeps a space that ended the selection.
QString SynonymReplacement(const QString& selected, const QString& synonym);

// A dictionary word for the selection: a trailing space is kept; otherwise a word ending in
// "." takes in a "." right after the selection (true in `extendSelection`) so that the
// period is not doubled.
QString SpellingReplacement(const QString& selected, const QString& word, QChar nextCharacter,
                            bool& extendSelection);

}  // namespace ContextMenu
