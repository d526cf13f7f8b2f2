// The editing window's key handling: arming the link check while an address is typed, the
// per-key undo snapshots, the link passes after word-boundary keys, the hot keys and the keys
// the control takes over from the window. Works through the control's actions, so every key's
// steps can be followed without a control.
#pragma once

#include <cstdint>

// What the key handling asks of the control around it.
class TypingKeyActions {
public:
    virtual ~TypingKeyActions() = default;

    virtual bool detectHyperLinks() = 0;
    virtual bool removeUnUsableData() = 0;
    virtual bool autoVMenu() = 0;
    virtual int32_t selStart() = 0;
    virtual bool selectionEmpty() = 0;
    // The control's link mark at the selection.
    virtual bool inLink() = 0;

    // The control's own members that keys are handed to.
    virtual void deleteSelection() = 0;
    virtual void paste() = 0;
    virtual void showContextMenu() = 0;
    // Bold, italic or underline of the selection off when on, else on (mixed becomes on).
    virtual void toggleBold() = 0;
    virtual void toggleItalic() = 0;
    virtual void toggleUnderline() = 0;

    virtual bool canUndo() = 0;
    virtual void undo() = 0;
    virtual bool canUndoSpecial() = 0;
    virtual void hyperUndo() = 0;
    virtual void saveRegularUndoData() = 0;
    virtual void saveDeleteUndoData() = 0;
    virtual void saveInLinkUndoData() = 0;
    virtual void clearUndoBuffer() = 0;

    virtual void unlinkAtCaret(int32_t caret) = 0;
    virtual void autoLinkWhileTyping(int32_t caret) = 0;
    virtual void relinkAfterEnter(int32_t caret) = 0;
    virtual void markSelectionLinked() = 0;
    virtual void markSelectionUnlinked() = 0;
    virtual void clearStopLinkPass() = 0;

    // The ruler's handles and tab markers from the selection.
    virtual void syncRuler() = 0;
    // Whether a one-shot request asks to skip this release; every such request is cleared.
    virtual bool takeSkipRequest() = 0;
};

class TypingKeys {
public:
    // `undoKeyState` is shared with the undo snapshots, which test it and reset it.
    TypingKeys(TypingKeyActions& actions, int32_t& undoKeyState);

    // After the host saw the key: the control's own steps. A KeyCode (and Shift) set to 0
    // swallows the key.
    void KeyDown(int& KeyCode, int& Shift);
    // After the host saw the release. False when a one-shot request skipped it: the control
    // then raises neither Finish nor Ready. The release of a key not pressed in the window
    // (`pressedHere` false) takes no typing steps and records no caret.
    bool KeyUp(int KeyCode, bool pressedHere = true);

    // The typing state, by its designed names.
    bool LinkCheckArmed = false;
    int32_t LastKeyWasW = 0;
    bool CtrlKeyDown = false;
    bool EnterInLink = false;
    int32_t LastCaretPos = 0;

private:
    void releaseWithLinks(int KeyCode, bool& recordCaret);

    TypingKeyActions& m_actions;
    int32_t& UndoKeyState;
};
