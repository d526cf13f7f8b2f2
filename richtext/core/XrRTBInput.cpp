// The editing window's key and mouse handlers: live links while typing, per-key undo
// snapshots, the hot keys, the context menu and opening a clicked link.
#include "richtext/core/XrRTB.h"

#include "platform/host/KeyCodes.h"
#include "platform/richedit/view/Messages.h"
#include "richtext/core/RichTextLibraryState.h"
#include "richtext/language/SoundMod.h"

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

// Key releases that are no typing: the caret's record stays as it was.
bool ignoredOnRelease(int key)
{
    return (key >= 16 && key <= 20) || key == host::vbKeyEscape || key == host::vbKeyEnd ||
           key == host::vbKeyHome || key == host::vbKeyInsert || key == host::vbKeyLeftWindows ||
           key == host::vbKeyRightWindows || (key >= 112 && key <= 123) ||
           key == host::vbKeyNumlock || key == host::vbKeyScrollLock;
}

bool movesCaretByPage(int key)
{
    return key == host::vbKeyPageUp || key == host::vbKeyPageDown ||
           (key >= host::vbKeyLeft && key <= host::vbKeyDown);
}

constexpr int KeyB = 66;
constexpr int KeyF = 70;
constexpr int KeyI = 73;
constexpr int KeyU = 85;
constexpr int KeyV = 86;
constexpr int KeyW = 87;
constexpr int KeyY = 89;
constexpr int KeyZ = 90;
constexpr int Key2 = 50;

}  // namespace

void XrRTB::RichTextBox1_KeyDown(int& KeyCode, int& Shift)
{
    emit KeyDown(KeyCode, Shift);

    if (m_settings.DetectHyperLinks) {
        CtrlKeyDown = false;
        EnterInLink = false;
        // "@" and ":" of a US layout arm the check; "W" then "." or the keypad point too.
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

    if (KeyCode == host::vbKeyDelete && Shift == 0 && !RichTextBox1->SelText().isEmpty()) {
        KeyCode = 0;
        Delete();
    }

    if (KeyCode == host::vbKeyReturn && m_settings.DetectHyperLinks && IsSelectionHyperLink()) {
        SaveInLinkUndoData();
        UndoKeyState = 1;
        UnlinkAtCaret(RichTextBox1->SelStart());
        LinkCheckArmed = true;
        EnterInLink = true;
    }

    if (Shift == host::vbCtrlMask) {
        CtrlKeyDown = true;
        auto& engine = RichTextBox1->engine();
        bool hotKey = true;
        switch (KeyCode) {
            case KeyB:
                engine.setSelBold(!engine.selBold().value_or(false));
                break;
            case KeyI:
                engine.setSelItalic(!engine.selItalic().value_or(false));
                break;
            case KeyU:
                engine.setSelUnderline(!engine.selUnderline().value_or(false));
                break;
            case KeyZ:
            case KeyY:
                if (CanUndo())
                    Undo();
                else if (GetCanUndoSpecial())
                    HyperUndo();
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

    if (KeyCode == KeyV && Shift == host::vbCtrlMask && m_settings.RemoveUnUsableData) {
        KeyCode = 0;
        Shift = 0;
        Paste();
    }

    if (KeyCode == host::vbKeyApps && m_settings.AutoVMenu)
        showContextMenu();
}

void XrRTB::RichTextBox1_KeyUp(int& KeyCode, int& Shift)
{
    emit KeyUp(KeyCode, Shift);

    // One-shot skip, for the key that closed a dialog.
    if (RichTextBox1->Tag() == QLatin1String("1") || m_settings.InternalShutOFF ||
        library().SkipNextKeyUp) {
        RichTextBox1->setTag(QString());
        library().SkipNextKeyUp = false;
        LetInternalShutOFF(false);
        return;
    }

    bool recordCaret = true;
    if (!m_settings.DetectHyperLinks) {
        if (movesCaretByPage(KeyCode)) {
            SyncRulerHandles();
            SetRulerTabs();
        }
    } else {
        const int32_t caret = RichTextBox1->SelStart();
        const int32_t last = LastCaretPos;
        const auto selStart = [this] { return RichTextBox1->SelStart(); };
        switch (KeyCode) {
            case host::vbKeyBack:
                if (caret != last - 1)
                    UndoKeyState = 0;
                if (IsSelectionHyperLink()) {
                    SaveDeleteUndoData();
                    UndoKeyState = 1;
                    UnlinkAtCaret(selStart());
                    LinkCheckArmed = true;
                    library().StopLinkPass = false;
                    AutoLinkWhileTyping(selStart());
                    MarkSelectionLinked();
                } else if (LinkCheckArmed) {
                    SaveDeleteUndoData();
                    UndoKeyState = 1;
                    AutoLinkWhileTyping(selStart());
                }
                break;
            case host::vbKeyTab:
            case host::vbKeySpace:
                if (UndoKeyState == 2)
                    UndoKeyState = 0;
                if (caret != last + 1)
                    UndoKeyState = 0;
                if (IsSelectionHyperLink()) {
                    SaveRegularUndoData();
                    UndoKeyState = 1;
                    UnlinkAtCaret(selStart());
                    LinkCheckArmed = true;
                }
                MarkSelectionUnlinked();
                if (LinkCheckArmed) {
                    library().StopLinkPass = false;
                    AutoLinkWhileTyping(selStart());
                }
                UndoKeyState = 0;
                break;
            case host::vbKeyReturn:
                if (UndoKeyState == 2)
                    UndoKeyState = 0;
                if (caret != last + 2)
                    UndoKeyState = 0;
                if (LinkCheckArmed) {
                    library().StopLinkPass = false;
                    RelinkAfterEnter(selStart());
                    AutoLinkWhileTyping(selStart());
                }
                MarkSelectionUnlinked();
                UndoKeyState = 0;
                if (EnterInLink)
                    ClearUndoBuffer();
                break;
            case host::vbKeyDelete:
                if (caret != last)
                    UndoKeyState = 0;
                if (IsSelectionHyperLink()) {
                    SaveDeleteUndoData();
                    UndoKeyState = 1;
                    UnlinkAtCaret(selStart());
                    LinkCheckArmed = true;
                } else {
                    UndoKeyState = 1;
                }
                if (LinkCheckArmed) {
                    library().StopLinkPass = false;
                    AutoLinkWhileTyping(selStart());
                }
                break;
            default:
                if (movesCaretByPage(KeyCode)) {
                    SyncRulerHandles();
                    SetRulerTabs();
                } else if (ignoredOnRelease(KeyCode)) {
                    recordCaret = false;
                } else {
                    if (UndoKeyState == 2)
                        UndoKeyState = 0;
                    if (caret != last + 1)
                        UndoKeyState = 0;
                    if (IsSelectionHyperLink() && !CtrlKeyDown) {
                        SaveInLinkUndoData();
                        library().StopLinkPass = false;
                        AutoLinkWhileTyping(selStart());
                        LinkCheckArmed = false;
                        UndoKeyState = 1;
                    } else {
                        UndoKeyState = 0;
                    }
                }
                break;
        }
    }
    if (recordCaret)
        LastCaretPos = RichTextBox1->SelStart();
    emit Finish();
    emit Ready();
}

void XrRTB::RichTextBox1_MouseUp(int& Button, int& Shift, float& X, float& Y)
{
    emit Begin();
    emit MouseUp(Button, Shift, X, Y);
    library().StopLinkPass = false;
    if (Button == host::vbLeftButton && RichTextBox1->SelLength() == 0) {
        const int32_t caret = RichTextBox1->SelStart();
        QString address;
        if (DetectEmailZone(caret, address)) {
            playLinkSound();
            GoToEmailClient(address);
        } else if (DetectURLZone(caret, address)) {
            playLinkSound();
            GoToWebsite(address);
        }
    } else if (Button == host::vbRightButton && m_settings.AutoVMenu) {
        showContextMenu();
    }
    SyncRulerHandles();
    SetRulerTabs();
    emit Finish();
}

void XrRTB::playLinkSound()
{
    if (!m_settings.TurnOnSound)
        return;
    const int16_t clickSound = 101;
    SoundMod::PlayResourceSound(clickSound);
}

void XrRTB::showContextMenu()
{
    // The context menu comes with its own component; until then the key and the right click
    // open nothing.
}
