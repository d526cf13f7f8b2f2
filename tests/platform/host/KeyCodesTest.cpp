#include "platform/host/KeyCodes.h"
#include "platform/host/Units.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

using host::virtualKeyCode;

namespace {

struct KeyCase {
    int qtKey;
    int keyCode;
};

QKeyEvent press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers, text);
}

}  // namespace

TEST(KeyCodes, CharacterKeysFollowAUsLayout)
{
    for (int n = 0; n < 26; ++n)
        EXPECT_EQ(virtualKeyCode(Qt::Key_A + n, Qt::ShiftModifier), 65 + n);
    for (int n = 0; n < 10; ++n)
        EXPECT_EQ(virtualKeyCode(Qt::Key_0 + n, Qt::NoModifier), 48 + n);
    // A shifted character reports the key that carries it.
    const KeyCase shifted[] = {
        {Qt::Key_At, 50},          {Qt::Key_Exclam, 49},
        {Qt::Key_ParenRight, 48},  {Qt::Key_Colon, 186},
        {Qt::Key_Semicolon, 186},  {Qt::Key_Equal, 187},
        {Qt::Key_Plus, 187},       {Qt::Key_Comma, 188},
        {Qt::Key_Less, 188},       {Qt::Key_Minus, 189},
        {Qt::Key_Underscore, 189}, {Qt::Key_Period, 190},
        {Qt::Key_Greater, 190},    {Qt::Key_Slash, 191},
        {Qt::Key_Question, 191},   {Qt::Key_QuoteLeft, 192},
        {Qt::Key_AsciiTilde, 192}, {Qt::Key_BracketLeft, 219},
        {Qt::Key_BraceLeft, 219},  {Qt::Key_Backslash, 220},
        {Qt::Key_Bar, 220},        {Qt::Key_BracketRight, 221},
        {Qt::Key_Apostrophe, 222}, {Qt::Key_QuoteDbl, 222},
        {Qt::Key_Space, 32},
    };
    for (const KeyCase& key : shifted)
        EXPECT_EQ(virtualKeyCode(key.qtKey, Qt::NoModifier), key.keyCode) << key.qtKey;
}

TEST(KeyCodes, KeypadKeysHaveTheirOwnCodesOnlyWithTheKeypadModifier)
{
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(virtualKeyCode(Qt::Key_0 + n, Qt::KeypadModifier), 96 + n);
        EXPECT_EQ(virtualKeyCode(Qt::Key_0 + n, Qt::NoModifier), 48 + n);
    }
    EXPECT_EQ(virtualKeyCode(Qt::Key_Asterisk, Qt::KeypadModifier), 106);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Period, Qt::KeypadModifier), 110);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Period, Qt::NoModifier), 190);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Slash, Qt::KeypadModifier), 111);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Enter, Qt::KeypadModifier), 13);
    // With Num Lock off the keypad sends navigation keys, which keep their usual codes.
    EXPECT_EQ(virtualKeyCode(Qt::Key_Home, Qt::KeypadModifier), 36);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Delete, Qt::KeypadModifier), 46);
}

TEST(KeyCodes, NamedKeys)
{
    const KeyCase keys[] = {
        {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},          {Qt::Key_Backtab, 9},
        {Qt::Key_Return, 13},   {Qt::Key_Shift, 16},       {Qt::Key_Control, 17},
        {Qt::Key_Alt, 18},      {Qt::Key_Pause, 19},       {Qt::Key_CapsLock, 20},
        {Qt::Key_Escape, 27},   {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},
        {Qt::Key_End, 35},      {Qt::Key_Home, 36},        {Qt::Key_Left, 37},
        {Qt::Key_Up, 38},       {Qt::Key_Right, 39},       {Qt::Key_Down, 40},
        {Qt::Key_Insert, 45},   {Qt::Key_Delete, 46},      {Qt::Key_Super_L, 91},
        {Qt::Key_Meta, 91},     {Qt::Key_Super_R, 92},     {Qt::Key_Menu, 93},
        {Qt::Key_NumLock, 144}, {Qt::Key_ScrollLock, 145}, {Qt::Key_F1, 112},
        {Qt::Key_F12, 123},
    };
    for (const KeyCase& key : keys)
        EXPECT_EQ(virtualKeyCode(key.qtKey, Qt::NoModifier), key.keyCode) << key.qtKey;
    EXPECT_EQ(virtualKeyCode(Qt::Key_Adiaeresis, Qt::NoModifier), 0);
    EXPECT_EQ(virtualKeyCode(Qt::Key_VolumeUp, Qt::NoModifier), 0);
    EXPECT_EQ(virtualKeyCode(press(Qt::Key_At, Qt::ShiftModifier, QStringLiteral("@"))), 50);
}

TEST(KeyCodes, EveryCodeMapsBackToAKeyWithThatCode)
{
    int mapped = 0;
    for (int code = 1; code < 256; ++code) {
        const Qt::Key key = host::qtKeyOf(code);
        if (key == Qt::Key_unknown)
            continue;
        ++mapped;
        const bool keypad = code >= 96 && code <= 111;
        EXPECT_EQ(virtualKeyCode(key, keypad ? Qt::KeypadModifier : Qt::NoModifier), code) << code;
    }
    EXPECT_EQ(mapped, 114);
    EXPECT_EQ(host::qtKeyOf(186), Qt::Key_Semicolon);
    EXPECT_EQ(host::qtKeyOf(0), Qt::Key_unknown);
}

TEST(KeyCodes, ShiftMaskAddsShiftCtrlAndAlt)
{
    EXPECT_EQ(host::shiftMask(Qt::NoModifier), 0);
    EXPECT_EQ(host::shiftMask(Qt::ShiftModifier | Qt::KeypadModifier), 1);
    EXPECT_EQ(host::shiftMask(Qt::ControlModifier | Qt::MetaModifier), 2);
    EXPECT_EQ(host::shiftMask(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    for (int shift = 0; shift < 8; ++shift)
        EXPECT_EQ(host::shiftMask(host::qtModifiersOf(shift)), shift);
}

TEST(KeyCodes, KeyAsciiIsTheTypedCharacterInWindows1252)
{
    EXPECT_EQ(host::keyAscii(press(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"))), 97);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"))), 65);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"))), 53);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("\u00E9"))), 233);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_E, Qt::ControlModifier | Qt::AltModifier,
                                   QStringLiteral("\u20AC"))),
              128);
    EXPECT_EQ(host::keyAscii(press(0x0416, Qt::NoModifier, QStringLiteral("\u0436"))), 63);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\U0001F600"))),
              63);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "))), 32);
}

TEST(KeyCodes, KeyAsciiOfControlKeys)
{
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"))), 8);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"))), 13);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Enter, Qt::KeypadModifier)), 13);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Escape)), 27);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"))), 9);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_A, Qt::ControlModifier)), 1);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"))), 26);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier)), 3);
    // Keys that type nothing raise no KeyPress.
    EXPECT_EQ(host::keyAscii(press(Qt::Key_1, Qt::ControlModifier, QStringLiteral("1"))), 0);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_F, Qt::AltModifier, QStringLiteral("f"))), 0);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"))), 0);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Left)), 0);
    EXPECT_EQ(host::keyAscii(press(Qt::Key_Shift, Qt::ShiftModifier)), 0);
}

TEST(KeyCodes, KeyAsciiTextIsTheCodePageCharacter)
{
    EXPECT_EQ(host::keyAsciiText(65), QStringLiteral("A"));
    EXPECT_EQ(host::keyAsciiText(128), QStringLiteral("\u20AC"));
    EXPECT_EQ(host::keyAsciiText(233), QStringLiteral("\u00E9"));
    EXPECT_EQ(host::keyAsciiText(13), QStringLiteral("\r"));
    EXPECT_TRUE(host::keyAsciiText(0).isEmpty());
    EXPECT_TRUE(host::keyAsciiText(256).isEmpty());
    EXPECT_TRUE(host::keyAsciiText(-1).isEmpty());
}

TEST(KeyCodes, MouseButtons)
{
    EXPECT_EQ(host::mouseButtonCode(Qt::LeftButton), 1);
    EXPECT_EQ(host::mouseButtonCode(Qt::RightButton), 2);
    EXPECT_EQ(host::mouseButtonCode(Qt::MiddleButton), 4);
    EXPECT_EQ(host::mouseButtonCode(Qt::BackButton), 0);
    EXPECT_EQ(host::mouseButtonsMask(Qt::NoButton), 0);
    EXPECT_EQ(host::mouseButtonsMask(Qt::LeftButton | Qt::MiddleButton | Qt::BackButton), 5);
    EXPECT_EQ(host::mouseButtonsMask(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton), 7);
}

TEST(KeyCodes, PositionsInTwipsFollowTheLogicalDpi)
{
    {
        host::ScopedLogicalDpi dpi(96.0, 96.0);
        EXPECT_EQ(host::pixelsToTwips(QPointF(10.0, 2.5)), QPointF(150.0, 37.5));
    }
    host::ScopedLogicalDpi dpi(120.0, 144.0);
    EXPECT_EQ(host::pixelsToTwips(QPointF(10.0, 2.5)), QPointF(120.0, 25.0));
}

namespace {

class KeyLog : public QWidget {
public:
    QStringList log;

protected:
    void keyPressEvent(QKeyEvent*) override { log.append(QStringLiteral("down")); }
    void keyReleaseEvent(QKeyEvent*) override { log.append(QStringLiteral("up")); }
};

}  // namespace

TEST(KeyCodes, RepeatFilterLeavesOnlyTheRepeatedPressesAndTheLastRelease)
{
    KeyLog widget;
    host::KeyRepeatFilter filter;
    widget.installEventFilter(&filter);
    auto send = [&widget](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), repeat);
        QCoreApplication::sendEvent(&widget, &event);
    };
    send(QEvent::KeyPress, false);
    send(QEvent::KeyRelease, true);
    send(QEvent::KeyPress, true);
    send(QEvent::KeyRelease, true);
    send(QEvent::KeyPress, true);
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(widget.log, QStringList({"down", "down", "down", "up"}));

    EXPECT_TRUE(host::isAutoRepeatRelease(QKeyEvent(QEvent::KeyRelease, Qt::Key_A, {}, {}, true)));
    EXPECT_FALSE(host::isAutoRepeatRelease(QKeyEvent(QEvent::KeyPress, Qt::Key_A, {}, {}, true)));
    EXPECT_FALSE(
        host::isAutoRepeatRelease(QKeyEvent(QEvent::KeyRelease, Qt::Key_A, {}, {}, false)));
}
