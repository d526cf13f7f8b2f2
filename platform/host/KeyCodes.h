// Keyboard and mouse events in the platform's terms: virtual-key codes of a US layout, the
// Shift mask, the KeyPress character code, mouse-button codes and positions in twips.
#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <Qt>

class QKeyEvent;

namespace host {

// Modifier bits of key and mouse events, added together.
enum ShiftMask : int {
    vbShiftMask = 1,
    vbCtrlMask = 2,
    vbAltMask = 4,
};

// Mouse-button codes; MouseMove reports the buttons held down, added together.
enum MouseButtonCode : int {
    vbLeftButton = 1,
    vbRightButton = 2,
    vbMiddleButton = 4,
};

// Virtual-key codes. Letters are vbKeyA + n ("A" to "Z"), digits vbKey0 + n, keypad digits
// vbKeyNumpad0 + n, function keys vbKeyF1 + n (F1 to F24).
enum VirtualKey : int {
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyClear = 12,
    vbKeyReturn = 13,
    vbKeyShift = 16,
    vbKeyControl = 17,
    vbKeyMenu = 18,  // Alt
    vbKeyPause = 19,
    vbKeyCapital = 20,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeySnapshot = 44,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKeyHelp = 47,
    vbKey0 = 48,
    vbKeyA = 65,
    vbKeyLeftWindows = 91,
    vbKeyRightWindows = 92,
    vbKeyApps = 93,
    vbKeyNumpad0 = 96,
    vbKeyMultiply = 106,
    vbKeyAdd = 107,
    vbKeySubtract = 109,
    vbKeyDecimal = 110,
    vbKeyDivide = 111,
    vbKeyF1 = 112,
    vbKeyNumlock = 144,
    vbKeyScrollLock = 145,
    vbKeySemicolon = 186,  // ";" and ":"
    vbKeyEquals = 187,     // "=" and "+"
    vbKeyComma = 188,      // "," and "<"
    vbKeyMinus = 189,      // "-" and "_"
    vbKeyPeriod = 190,     // "." and ">"
    vbKeySlash = 191,      // "/" and "?"
    vbKeyBackquote = 192,  // "`" and "~"
    vbKeyOpenBracket = 219,
    vbKeyBackslash = 220,
    vbKeyCloseBracket = 221,
    vbKeyQuote = 222,  // "'" and '"'
};

// The virtual-key code of a key, as a US keyboard reports it: a shifted character gives the
// code of the key that carries it ("@" gives 50, ":" 186), keys carrying Qt::KeypadModifier
// give the keypad codes (96-111). 0 for a key without a code (a letter of another layout, a
// media key); a caller must not take such a 0 for a key that a handler swallowed.
int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
int virtualKeyCode(const QKeyEvent& event);

// The Qt key of a virtual-key code, for acting on a code that a handler changed; keypad
// codes give the plain key (digits, "*", "+", "-", ".", "/"). Qt::Key_unknown when none.
Qt::Key qtKeyOf(int keyCode);

int shiftMask(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiersOf(int shift);

// KeyAscii of a key press: the typed character in Windows-1252 (63, "?", for a character
// the code page lacks), 8 for Backspace, 9 for Tab, 13 for Enter, 27 for Escape, 1 to 26 for
// Ctrl with a letter. 0 when the key types nothing (arrows, modifiers, Alt with a key, Ctrl
// with anything but a letter): no KeyPress is raised for it. Where a handler leaves the code
// as it was, the editor inserts the event's own text, so that a character the code page
// lacks is not typed as "?".
int keyAscii(const QKeyEvent& event);

// The character of a KeyAscii code 1..255 (a Windows-1252 byte); empty for anything else.
QString keyAsciiText(int keyAscii);

// Mouse buttons: the one that was pressed or released, or those held down (MouseMove).
int mouseButtonCode(Qt::MouseButton button);
int mouseButtonsMask(Qt::MouseButtons buttons);

// A position in device-independent pixels converted to twips with the logical dpi of Units.h
// (15 twips per pixel at 96 dpi).
QPointF pixelsToTwips(const QPointF& pixels);

// Qt sends a release before every repeated press of a held key; the platform raises only
// the repeated presses and a single release when the key is let go.
bool isAutoRepeatRelease(const QKeyEvent& event);

// An event filter that swallows those repeat releases for the objects it is installed on,
// so that their key-release handlers raise KeyUp only when the key is really let go.
class KeyRepeatFilter : public QObject {
public:
    explicit KeyRepeatFilter(QObject* parent = nullptr) : QObject(parent) {}
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace host
