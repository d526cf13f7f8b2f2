// The editing window's key and mouse handlers: the host sees each event first, then the
// control's typing keys run, or a click opens the link under the caret.
#include "richtext/core/XrRTB.h"

#include "platform/host/KeyCodes.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/TypingKeys.h"
#include "richtext/core/XrRTBKeyActions.h"
#include "richtext/language/SoundMod.h"
#include "richtext/scanning/LinkLauncher.h"

#include <algorithm>

void XrRTB::createTypingKeys()
{
    m_keyActions = std::make_unique<KeyActions>(*this);
    m_typingKeys = std::make_unique<TypingKeys>(*m_keyActions, UndoKeyState);
}

void XrRTB::RichTextBox1_KeyDown(int& KeyCode, int& Shift)
{
    if (std::find(m_keysDown.begin(), m_keysDown.end(), KeyCode) == m_keysDown.end())
        m_keysDown.push_back(KeyCode);
    emit KeyDown(KeyCode, Shift);
    m_typingKeys->KeyDown(KeyCode, Shift);
}

void XrRTB::RichTextBox1_KeyUp(int& KeyCode, int& Shift)
{
    // The release of a key pressed elsewhere (the Enter that chose a menu entry or closed a
    // window) comes here too; it typed nothing in this window.
    const auto down = std::find(m_keysDown.begin(), m_keysDown.end(), KeyCode);
    const bool pressedHere = down != m_keysDown.end();
    if (pressedHere)
        m_keysDown.erase(down);
    emit KeyUp(KeyCode, Shift);
    if (!m_typingKeys->KeyUp(KeyCode, pressedHere))
        return;
    emit Finish();
    emit Ready();
}

void XrRTB::RichTextBox1_MouseUp(int& Button, int& Shift, float& X, float& Y)
{
    emit Begin();
    emit MouseUp(Button, Shift, X, Y);
    RichTextLibraryState::instance().StopLinkPass = false;
    if (Button == host::vbLeftButton && RichTextBox1->SelLength() == 0) {
        const int32_t caret = RichTextBox1->SelStart();
        QString address;
        // The click sounds only for a link that is then opened: a refused web address is silent.
        if (DetectEmailZone(caret, address)) {
            playLinkSound();
            GoToEmailClient(address);
        } else if (DetectURLZone(caret, address)) {
            if (!LinkLauncher::launchableAddress(address).isEmpty())
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
