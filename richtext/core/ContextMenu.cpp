#include "richtext/core/ContextMenu.h"

namespace ContextMenu {

namespace {

unsigned enabledIf(bool enabled)
{
    return enabled ? host::MF_STRING : host::MF_STRING | host::MF_GRAYED;
}

host::PopupMenu wordSubmenu(const QStringList& words, int firstId, int maxCount,
                            const QString& noneText)
{
    host::PopupMenu submenu;
    if (words.isEmpty()) {
        submenu.AppendMenu(host::MF_STRING | host::MF_GRAYED, NoCommand, noneText);
        return submenu;
    }
    for (int k = 0; k < words.size() && k < maxCount; ++k)
        submenu.AppendMenu(host::MF_STRING, firstId + k, words.at(k));
    return submenu;
}

}  // namespace

host::PopupMenu Build(const MenuState& state)
{
    host::PopupMenu menu;
    if (state.canUndo)
        menu.AppendMenu(host::MF_STRING, UndoId, QStringLiteral("Undo"));
    else
        menu.AppendMenu(enabledIf(state.canUndoSpecial), HyperUndoId, QStringLiteral("Undo"));
    menu.AppendMenu(host::MF_SEPARATOR, 0);
    menu.AppendMenu(enabledIf(state.canCut), CutId, QStringLiteral("Cut"));
    menu.AppendMenu(enabledIf(state.canCopy), CopyId, QStringLiteral("Copy"));
    menu.AppendMenu(enabledIf(state.canPaste), PasteId, QStringLiteral("Paste"));
    menu.AppendMenu(enabledIf(state.canDelete), DeleteId, QStringLiteral("Delete"));
    menu.AppendMenu(host::MF_SEPARATOR, 0);
    menu.AppendMenu(enabledIf(state.canSelectAll), SelectAllId, QStringLiteral("Select All"));
    menu.AppendMenu(host::MF_SEPARATOR, 0);
    menu.AppendMenu(host::MF_STRING, FontId, QStringLiteral("Font"));
    menu.AppendMenu(host::MF_STRING, FontColorId, QStringLiteral("Font Color"));
    menu.AppendMenu(host::MF_SEPARATOR, 0);
    menu.AppendMenu(enabledIf(state.canHighlight), HighlightId, QStringLiteral("Highlight"));
    menu.AppendMenu(host::MF_STRING, HighlightColorId, QStringLiteral("Highlight Color"));
    menu.AppendMenu(host::MF_SEPARATOR, 0);

    const host::PopupMenu synonyms = state.canGetSynonym
                                         ? wordSubmenu(state.synonyms, FirstSynonymId, MaxSynonyms,
                                                       QStringLiteral("No Synonyms Found"))
                                         : host::PopupMenu();
    menu.AppendMenu(host::MF_POPUP | enabledIf(state.canGetSynonym), synonyms,
                    QStringLiteral("Synonyms"));
    const host::PopupMenu spellings =
        state.canGetSpelling ? wordSubmenu(state.spellings, FirstSpellingId, MaxSpellings,
                                           QStringLiteral("No Spell Help"))
                             : host::PopupMenu();
    menu.AppendMenu(host::MF_POPUP | enabledIf(state.canGetSpelling), spellings,
                    QStringLiteral("Spell..."));
    if (state.showVB6Syntax) {
        menu.AppendMenu(host::MF_SEPARATOR, 0);
        menu.AppendMenu(host::MF_STRING, ApplyVB6SyntaxId, QStringLiteral("Apply VB6 Syntax"));
    }
    return menu;
}

QString SynonymReplacement(const QString& selected, const QString& synonym)
{
    return selected.endsWith(u' ') ? synonym + u' ' : synonym;
}

QString SpellingReplacement(const QString& selected, const QString& word, QChar nextCharacter,
                            bool& extendSelection)
{
    extendSelection = false;
    if (selected.endsWith(u' '))
        return word + u' ';
    extendSelection = word.endsWith(u'.') && nextCharacter == u'.';
    return word;
}

}  // namespace ContextMenu
