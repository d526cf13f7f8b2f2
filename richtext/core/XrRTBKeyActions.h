// The control's members behind its typing keys; private to the control's own sources.
#pragma once

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/TypingKeys.h"
#include "richtext/core/XrRTB.h"

// The control's members behind the typing keys.
class XrRTB::KeyActions : public TypingKeyActions {
public:
    explicit KeyActions(XrRTB& control) : m_control(control) {}

    bool detectHyperLinks() override { return m_control.m_settings.DetectHyperLinks; }
    bool removeUnUsableData() override { return m_control.m_settings.RemoveUnUsableData; }
    bool autoVMenu() override { return m_control.m_settings.AutoVMenu; }
    int32_t selStart() override { return window().SelStart(); }
    bool selectionEmpty() override { return window().SelText().isEmpty(); }
    bool inLink() override { return m_control.IsSelectionHyperLink(); }

    void deleteSelection() override { m_control.Delete(); }
    void paste() override { m_control.Paste(); }
    void showContextMenu() override { m_control.showContextMenu(); }
    void toggleBold() override
    {
        window().engine().setSelBold(!window().engine().selBold().value_or(false));
    }
    void toggleItalic() override
    {
        window().engine().setSelItalic(!window().engine().selItalic().value_or(false));
    }
    void toggleUnderline() override
    {
        window().engine().setSelUnderline(!window().engine().selUnderline().value_or(false));
    }

    bool canUndo() override { return m_control.CanUndo(); }
    void undo() override { m_control.Undo(); }
    bool canUndoSpecial() override { return m_control.GetCanUndoSpecial(); }
    void hyperUndo() override { m_control.HyperUndo(); }
    void saveRegularUndoData() override { m_control.SaveRegularUndoData(); }
    void saveDeleteUndoData() override { m_control.SaveDeleteUndoData(); }
    void saveInLinkUndoData() override { m_control.SaveInLinkUndoData(); }
    void clearUndoBuffer() override { m_control.ClearUndoBuffer(); }

    void unlinkAtCaret(int32_t caret) override { m_control.UnlinkAtCaret(caret); }
    void autoLinkWhileTyping(int32_t caret) override { m_control.AutoLinkWhileTyping(caret); }
    void relinkAfterEnter(int32_t caret) override { m_control.RelinkAfterEnter(caret); }
    void markSelectionLinked() override { m_control.MarkSelectionLinked(); }
    void markSelectionUnlinked() override { m_control.MarkSelectionUnlinked(); }
    void clearStopLinkPass() override { RichTextLibraryState::instance().StopLinkPass = false; }

    void syncRuler() override
    {
        m_control.SyncRulerHandles();
        m_control.SetRulerTabs();
    }
    bool takeSkipRequest() override
    {
        // The font dialog's mark on the window, the one-shot property and the library's
        // request (set by the spell-check dialog).
        auto& library = RichTextLibraryState::instance();
        if (window().Tag() != QLatin1String("1") && !m_control.m_settings.InternalShutOFF &&
            !library.SkipNextKeyUp)
            return false;
        window().setTag(QString());
        library.SkipNextKeyUp = false;
        m_control.LetInternalShutOFF(false);
        return true;
    }

private:
    richedit::RichTextBox& window() { return *m_control.RichTextBox1; }

    XrRTB& m_control;
};
