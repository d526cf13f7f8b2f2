#include "platform/host/KeyCodes.h"

#include "platform/host/Units.h"
#include "platform/runtime/Windows1252.h"

#include <QKeyEvent>

namespace host {
namespace {

struct KeyPair {
    int qtKey;
    int keyCode;
};

// Keys whose code does not follow from a character range. The punctuation rows hold both the
// plain and the shifted character of each key of a US layout.
constexpr KeyPair kKeyTable[] = {
    {Qt::Key_Backspace, vbKeyBack},
    {Qt::Key_Tab, vbKeyTab},
    {Qt::Key_Backtab, vbKeyTab},
    {Qt::Key_Clear, vbKeyClear},
    {Qt::Key_Return, vbKeyReturn},
    {Qt::Key_Enter, vbKeyReturn},
    {Qt::Key_Shift, vbKeyShift},
    {Qt::Key_Control, vbKeyControl},
    {Qt::Key_Alt, vbKeyMenu},
    {Qt::Key_AltGr, vbKeyMenu},
    {Qt::Key_Pause, vbKeyPause},
    {Qt::Key_CapsLock, vbKeyCapital},
    {Qt::Key_Escape, vbKeyEscape},
    {Qt::Key_Space, vbKeySpace},
    {Qt::Key_PageUp, vbKeyPageUp},
    {Qt::Key_PageDown, vbKeyPageDown},
    {Qt::Key_End, vbKeyEnd},
    {Qt::Key_Home, vbKeyHome},
    {Qt::Key_Left, vbKeyLeft},
    {Qt::Key_Up, vbKeyUp},
    {Qt::Key_Right, vbKeyRight},
    {Qt::Key_Down, vbKeyDown},
    {Qt::Key_Print, vbKeySnapshot},
    {Qt::Key_Insert, vbKeyInsert},
    {Qt::Key_Delete, vbKeyDelete},
    {Qt::Key_Help, vbKeyHelp},
    {Qt::Key_Meta, vbKeyLeftWindows},
    {Qt::Key_Super_L, vbKeyLeftWindows},
    {Qt::Key_Super_R, vbKeyRightWindows},
    {Qt::Key_Menu, vbKeyApps},
    {Qt::Key_NumLock, vbKeyNumlock},
    {Qt::Key_ScrollLock, vbKeyScrollLock},
    {Qt::Key_Exclam, vbKey0 + 1},
    {Qt::Key_At, vbKey0 + 2},
    {Qt::Key_NumberSign, vbKey0 + 3},
    {Qt::Key_Dollar, vbKey0 + 4},
    {Qt::Key_Percent, vbKey0 + 5},
    {Qt::Key_AsciiCircum, vbKey0 + 6},
    {Qt::Key_Ampersand, vbKey0 + 7},
    {Qt::Key_Asterisk, vbKey0 + 8},
    {Qt::Key_ParenLeft, vbKey0 + 9},
    {Qt::Key_ParenRight, vbKey0},
    {Qt::Key_Semicolon, vbKeySemicolon},
    {Qt::Key_Colon, vbKeySemicolon},
    {Qt::Key_Equal, vbKeyEquals},
    {Qt::Key_Plus, vbKeyEquals},
    {Qt::Key_Comma, vbKeyComma},
    {Qt::Key_Less, vbKeyComma},
    {Qt::Key_Minus, vbKeyMinus},
    {Qt::Key_Underscore, vbKeyMinus},
    {Qt::Key_Period, vbKeyPeriod},
    {Qt::Key_Greater, vbKeyPeriod},
    {Qt::Key_Slash, vbKeySlash},
    {Qt::Key_Question, vbKeySlash},
    {Qt::Key_QuoteLeft, vbKeyBackquote},
    {Qt::Key_AsciiTilde, vbKeyBackquote},
    {Qt::Key_BracketLeft, vbKeyOpenBracket},
    {Qt::Key_BraceLeft, vbKeyOpenBracket},
    {Qt::Key_Backslash, vbKeyBackslash},
    {Qt::Key_Bar, vbKeyBackslash},
    {Qt::Key_BracketRight, vbKeyCloseBracket},
    {Qt::Key_BraceRight, vbKeyCloseBracket},
    {Qt::Key_Apostrophe, vbKeyQuote},
    {Qt::Key_QuoteDbl, vbKeyQuote},
};

constexpr KeyPair kKeypadTable[] = {
    {Qt::Key_Asterisk, vbKeyMultiply}, {Qt::Key_Plus, vbKeyAdd},
    {Qt::Key_Minus, vbKeySubtract},    {Qt::Key_Period, vbKeyDecimal},
    {Qt::Key_Comma, vbKeyDecimal},     {Qt::Key_Slash, vbKeyDivide},
};

int lookUp(const KeyPair* begin, const KeyPair* end, int qtKey)
{
    for (const KeyPair* pair = begin; pair != end; ++pair) {
        if (pair->qtKey == qtKey)
            return pair->keyCode;
    }
    return 0;
}

// The keypad keys that have codes of their own; with Num Lock off the keypad sends the
// navigation keys, which keep their usual codes.
int keypadCode(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return vbKeyNumpad0 + (qtKey - Qt::Key_0);
    return lookUp(std::begin(kKeypadTable), std::end(kKeypadTable), qtKey);
}

bool isLetterKey(int qtKey)
{
    return qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z;
}

}  // namespace

int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int code = keypadCode(qtKey))
            return code;
    }
    if (isLetterKey(qtKey))
        return vbKeyA + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return vbKey0 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vbKeyF1 + (qtKey - Qt::Key_F1);
    return lookUp(std::begin(kKeyTable), std::end(kKeyTable), qtKey);
}

int virtualKeyCode(const QKeyEvent& event)
{
    return virtualKeyCode(event.key(), event.modifiers());
}

Qt::Key qtKeyOf(int keyCode)
{
    if (keyCode >= vbKeyA && keyCode < vbKeyA + 26)
        return static_cast<Qt::Key>(Qt::Key_A + (keyCode - vbKeyA));
    if (keyCode >= vbKey0 && keyCode < vbKey0 + 10)
        return static_cast<Qt::Key>(Qt::Key_0 + (keyCode - vbKey0));
    if (keyCode >= vbKeyNumpad0 && keyCode < vbKeyNumpad0 + 10)
        return static_cast<Qt::Key>(Qt::Key_0 + (keyCode - vbKeyNumpad0));
    if (keyCode >= vbKeyF1 && keyCode < vbKeyF1 + 24)
        return static_cast<Qt::Key>(Qt::Key_F1 + (keyCode - vbKeyF1));
    // The first row of a code in either table is its unshifted key.
    for (const KeyPair& pair : kKeypadTable) {
        if (pair.keyCode == keyCode)
            return static_cast<Qt::Key>(pair.qtKey);
    }
    for (const KeyPair& pair : kKeyTable) {
        if (pair.keyCode == keyCode)
            return static_cast<Qt::Key>(pair.qtKey);
    }
    return Qt::Key_unknown;
}

int shiftMask(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        shift += vbShiftMask;
    if (modifiers.testFlag(Qt::ControlModifier))
        shift += vbCtrlMask;
    if (modifiers.testFlag(Qt::AltModifier))
        shift += vbAltMask;
    return shift;
}

Qt::KeyboardModifiers qtModifiersOf(int shift)
{
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, (shift & vbShiftMask) != 0);
    modifiers.setFlag(Qt::ControlModifier, (shift & vbCtrlMask) != 0);
    modifiers.setFlag(Qt::AltModifier, (shift & vbAltMask) != 0);
    return modifiers;
}

int keyAscii(const QKeyEvent& event)
{
    const int key = event.key();
    switch (key) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        default:
            break;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    // Ctrl together with Alt is how the platform reports AltGr: the typed character counts.
    if (ctrl && !alt)
        return isLetterKey(key) ? key - Qt::Key_A + 1 : 0;
    if (alt && !ctrl)
        return 0;
    // Keys outside the character range (Delete, arrows, function keys) type nothing, even
    // where the platform plugin attaches a control character as their text. An unknown key
    // with a text is a character the keyboard layout has no key code for.
    if (key >= Qt::Key_Escape && key < Qt::Key_unknown)
        return 0;
    const QString text = event.text();
    if (text.isEmpty())
        return 0;
    if (text.at(0).isSurrogate())
        return '?';
    return vb::unicodeToWindows1252(text.at(0).unicode());
}

QString keyAsciiText(int keyAscii)
{
    if (keyAscii < 1 || keyAscii > 255)
        return {};
    return QString(QChar(vb::windows1252ToUnicode(static_cast<unsigned char>(keyAscii))));
}

int mouseButtonCode(Qt::MouseButton button)
{
    switch (button) {
        case Qt::LeftButton:
            return vbLeftButton;
        case Qt::RightButton:
            return vbRightButton;
        case Qt::MiddleButton:
            return vbMiddleButton;
        default:
            return 0;
    }
}

int mouseButtonsMask(Qt::MouseButtons buttons)
{
    int mask = 0;
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (buttons.testFlag(button))
            mask += mouseButtonCode(button);
    }
    return mask;
}

QPointF pixelsToTwips(const QPointF& pixels)
{
    return {pixelsToTwipsX(pixels.x()), pixelsToTwipsY(pixels.y())};
}

bool isAutoRepeatRelease(const QKeyEvent& event)
{
    return event.type() == QEvent::KeyRelease && event.isAutoRepeat();
}

bool KeyRepeatFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && isAutoRepeatRelease(*static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

}  // namespace host
