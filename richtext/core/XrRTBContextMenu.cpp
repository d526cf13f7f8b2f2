// The control's context menu: built from what the control can do now, shown at the cursor,
// and the chosen command carried out through the control's own members.
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/ContextMenu.h"
#include "richtext/core/XrRTB.h"
#include "richtext/language/Thesaurus.h"

#include <exception>

void XrRTB::showContextMenu()
{
    emit Begin();
    try {
        ContextMenu::MenuState state;
        state.canUndo = CanUndo();
        state.canUndoSpecial = GetCanUndoSpecial();
        state.canCut = CanCut();
        state.canCopy = CanCopy();
        state.canPaste = CanPaste();
        state.canDelete = CanDelete();
        state.canSelectAll = CanSelectAll();
        state.canHighlight = CanHighlight();
        state.canGetSynonym = CanGetSynonym();
        state.canGetSpelling = CanGetSpelling();
        state.showVB6Syntax = ShowVB6Syntax();
        // The thesaurus and the spellings look up the word as it shows.
        const richedit::Engine& engine = RichTextBox1->engine();
        const QString selected = richedit::shownTextOf(
            engine.document(), {engine.selStart(), engine.selStart() + engine.selLength()});
        QString word = Thesaurus::TrimNewLines(selected);
        if (state.canGetSynonym) {
            StringArray synonyms;
            GetSynonyms(word, synonyms);
            if (IsArrayGood(synonyms))
                state.synonyms = synonyms->mid(0, ContextMenu::MaxSynonyms);
        }
        if (state.canGetSpelling) {
            StringArray spellings;
            QString prefix = word;
            const int32_t limit = ContextMenu::MaxSpellings;
            GetWordsThatStartWith(prefix, spellings, limit);
            if (IsArrayGood(spellings))
                state.spellings = spellings->mid(0, ContextMenu::MaxSpellings);
        }

        const int chosen = ContextMenu::Build(state).trackAtCursor(this);
        runContextMenuCommand(chosen, selected, state);
    } catch (const std::exception&) {
        // A failing command leaves the rest undone; the closing events still follow.
    }
    emit Finish();
    emit Ready();
}

void XrRTB::runContextMenuCommand(int id, const QString& selected,
                                  const ContextMenu::MenuState& state)
{
    using namespace ContextMenu;
    if (id >= FirstSynonymId && id < FirstSynonymId + state.synonyms.size()) {
        LetSelText(SynonymReplacement(selected, state.synonyms.at(id - FirstSynonymId)));
        return;
    }
    if (id >= FirstSpellingId && id < FirstSpellingId + state.spellings.size()) {
        const QString text = RichTextBox1->Text();
        const qsizetype after = qsizetype(SelStart()) + SelLength();
        const QChar next = after < text.size() ? text.at(after) : QChar();
        bool extend = false;
        const QString replacement =
            SpellingReplacement(selected, state.spellings.at(id - FirstSpellingId), next, extend);
        if (extend)
            LetSelLength(SelLength() + 1);
        LetSelText(replacement);
        return;
    }
    switch (id) {
        case UndoId:
            Undo();
            break;
        case HyperUndoId:
            HyperUndo();
            break;
        case CutId:
            Cut();
            break;
        case CopyId:
            Copy();
            break;
        case PasteId:
            Paste();
            break;
        case DeleteId:
            Delete();
            break;
        case SelectAllId:
            SelectAllText();
            break;
        case FontId:
            if (!UseCustomFontDialog()) {
                int16_t error = 0;
                CommonDialogFontSelect(error);
            } else {
                SharedRichTextScope handOver(RichTextBox1);
                ShowFontSelect();
            }
            break;
        case FontColorId: {
            host::OLE_COLOR color = MyFontColor();
            color = CommonDialogFontColor(color);
            LetMyFontColor(color);
            emit MenuFontColorClick();
            break;
        }
        case HighlightId: {
            host::OLE_COLOR color = MyHLColor();
            HighLightText(color);
            break;
        }
        case HighlightColorId: {
            bool cancelled = false;
            host::OLE_COLOR color = MyHLColor();
            color = CommonDialogColor(cancelled, true, color);
            LetMyHLColor(color);
            emit MenuHLColorClick();
            break;
        }
        case ApplyVB6SyntaxId:
            emit MenuVBSyntaxClickStart();
            ApplyVB6Syntax(Syntax_All_Text, Remove_All_Formatting);
            emit MenuVBSyntaxClickEnd();
            break;
        default:
            break;
    }
}
