#include "richtext/core/TypingKeys.h"

#include "platform/host/KeyCodes.h"

namespace {

constexpr int Key2 = 50;
constexpr int KeyB = 66;
constexpr int KeyF = 70;
constexpr int KeyI = 73;
constexpr int KeyU = 85;
constexpr int KeyV = 86;
constexpr int KeyW = 87;
constexpr int KeyY = 89;
constexpr int KeyZ = 90;

// Key releases that are no typing: the caret's record stays as it was.
bool ignoredOnRelease(int key)
{
    return (key >= 16 && key <= 20) || key == host::vbKeyEscape || key == host::vbKeyEnd ||
           key == host::vbKeyHome || key == host::vbKeyInsert || key == host::vbKeyLeftWindows ||
           key == host::vbKeyRightWindows || (key >= 112 && key <= 123) ||
           key == host::vbKeyNumlock || key == host::vbKeyScrollLock;
}

bool movesByPageOrArrow(int key)
{
    return key == host::vbKeyPageUp || key == host::vbKeyPageDown ||
           (key >= host::vbKeyLeft && key <= host::vbKeyDown);
}

}  // namespace

TypingKeys::TypingKeys(TypingKeyActions& actions, int32_t& undoKeyState)
    : m_actions(actions), UndoKeyState(undoKeyState)
{
}

void TypingKeys::KeyDown(int& KeyCode, int& Shift)
{
    if (m_actions.detectHyperLinks()) {
        CtrlKeyDown = false;
        EnterInLink = false;
        // "@" and ":" of a US layout arm the check on their own; "W" then "." or the keypad
        // point form one chain that every key goes through.
        if (Shift == host::vbShiftMask && (KeyCode == Key2 || KeyCode == host::vbKeySemicolon))
            LinkCheckArmed = true;
        if (KeyCode == KeyW)
            LastKeyWasW = 1;
        else if (KeyCode == host::vbKeyPeriod ||
                 (KeyCode == host::vbKeyDecimal && LastKeyWasW == 1))
            LinkCheckArmed = true;
        else
            LastKeyWasW = 0;
    }

    if (KeyCode == host::vbKeyDelete && Shift == 0 && !m_actions.selectionEmpty()) {
        KeyCode = 0;
        m_actions.deleteSelection();
    }

    if (KeyCode == host::vbKeyReturn && m_actions.detectHyperLinks() && m_actions.inLink()) {
        m_actions.saveInLinkUndoData();
        UndoKeyState = 1;
        m_actions.unlinkAtCaret(m_actions.selStart());
        LinkCheckArmed = true;
        EnterInLink = true;
    }

    if (Shift == host::vbCtrlMask) {
        CtrlKeyDown = true;
        bool hotKey = true;
        switch (KeyCode) {
            case KeyB:
                m_actions.toggleBold();
                break;
            case KeyI:
                m_actions.toggleItalic();
                break;
            case KeyU:
                m_actions.toggleUnderline();
                break;
            case KeyZ:
            case KeyY:
                if (m_actions.canUndo())
                    m_actions.undo();
                else if (m_actions.canUndoSpecial())
                    m_actions.hyperUndo();
                break;
            case KeyF:
                // The host opens its find dialog from the KeyDown it received.
                break;
            default:
                hotKey = false;
                break;
        }
        if (hotKey) {
            KeyCode = 0;
            Shift = 0;
        }
    }

    if (KeyCode == KeyV && Shift == host::vbCtrlMask && m_actions.removeUnUsableData()) {
        KeyCode = 0;
        Shift = 0;
        m_actions.paste();
    }

    if (KeyCode == host::vbKeyApps && m_actions.autoVMenu())
        m_actions.showContextMenu();
}

bool TypingKeys::KeyUp(int KeyCode, bool pressedHere)
{
    if (m_actions.takeSkipRequest())
        return false;
    // A key pressed in another window typed nothing here; the bracket still closes.
    if (!pressedHere)
        return true;
    bool recordCaret = true;
    if (m_actions.detectHyperLinks())
        releaseWithLinks(KeyCode, recordCaret);
    else if (movesByPageOrArrow(KeyCode))
        m_actions.syncRuler();
    if (recordCaret)
        LastCaretPos = m_actions.selStart();
    return true;
}

void TypingKeys::releaseWithLinks(int KeyCode, bool& recordCaret)
{
    TypingKeyActions& act = m_actions;
    const int32_t caret = act.selStart();
    const int32_t last = LastCaretPos;
    switch (KeyCode) {
        case host::vbKeyBack:
            if (caret != last - 1)
                UndoKeyState = 0;
            if (act.inLink()) {
                act.saveDeleteUndoData();
                UndoKeyState = 1;
                act.unlinkAtCaret(act.selStart());
                LinkCheckArmed = true;
                act.clearStopLinkPass();
                act.autoLinkWhileTyping(act.selStart());
                act.markSelectionLinked();
            } else if (LinkCheckArmed) {
                act.saveDeleteUndoData();
                UndoKeyState = 1;
                act.autoLinkWhileTyping(act.selStart());
            }
            break;
        case host::vbKeyTab:
        case host::vbKeySpace:
            if (UndoKeyState == 2)
                UndoKeyState = 0;
            if (caret != last + 1)
                UndoKeyState = 0;
            if (act.inLink()) {
                act.saveRegularUndoData();
                UndoKeyState = 1;
                act.unlinkAtCaret(act.selStart());
                LinkCheckArmed = true;
            }
            act.markSelectionUnlinked();
            if (LinkCheckArmed) {
                act.clearStopLinkPass();
                act.autoLinkWhileTyping(act.selStart());
            }
            UndoKeyState = 0;
            break;
        case host::vbKeyReturn:
            if (UndoKeyState == 2)
                UndoKeyState = 0;
            if (caret != last + 2)
                UndoKeyState = 0;
            if (LinkCheckArmed) {
                act.clearStopLinkPass();
                act.relinkAfterEnter(act.selStart());
                act.autoLinkWhileTyping(act.selStart());
            }
            act.markSelectionUnlinked();
            UndoKeyState = 0;
            if (EnterInLink)
                act.clearUndoBuffer();
            break;
        case host::vbKeyDelete:
            if (caret != last)
                UndoKeyState = 0;
            if (act.inLink()) {
                act.saveDeleteUndoData();
                UndoKeyState = 1;
                act.unlinkAtCaret(act.selStart());
                LinkCheckArmed = true;
            } else {
                UndoKeyState = 1;
            }
            if (LinkCheckArmed) {
                act.clearStopLinkPass();
                act.autoLinkWhileTyping(act.selStart());
            }
            break;
        default:
            if (movesByPageOrArrow(KeyCode)) {
                act.syncRuler();
            } else if (ignoredOnRelease(KeyCode)) {
                recordCaret = false;
            } else {
                if (UndoKeyState == 2)
                    UndoKeyState = 0;
                if (caret != last + 1)
                    UndoKeyState = 0;
                if (act.inLink() && !CtrlKeyDown) {
                    act.saveInLinkUndoData();
                    act.clearStopLinkPass();
                    act.autoLinkWhileTyping(act.selStart());
                    LinkCheckArmed = false;
                    UndoKeyState = 1;
                } else {
                    UndoKeyState = 0;
                }
            }
            break;
    }
}
