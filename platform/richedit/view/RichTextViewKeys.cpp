// The view's keyboard: KeyDown, the built-in keys, KeyPress and typing, KeyUp.
#include "platform/host/KeyCodes.h"
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/RichTextView.h"
#include "platform/richedit/view/ViewInput.h"
#include "platform/runtime/Windows1252.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <cmath>

namespace richedit {
namespace {

// Keys whose character depends on Shift on a US layout.
struct ShiftedPair {
    int keyCode;
    char16_t plain;
    char16_t shifted;
};

constexpr ShiftedPair kPunctuation[] = {
    {host::vbKeySemicolon, u';', u':'},  {host::vbKeyEquals, u'=', u'+'},
    {host::vbKeyComma, u',', u'<'},      {host::vbKeyMinus, u'-', u'_'},
    {host::vbKeyPeriod, u'.', u'>'},     {host::vbKeySlash, u'/', u'?'},
    {host::vbKeyBackquote, u'`', u'~'},  {host::vbKeyOpenBracket, u'[', u'{'},
    {host::vbKeyBackslash, u'\\', u'|'}, {host::vbKeyCloseBracket, u']', u'}'},
    {host::vbKeyQuote, u'\'', u'"'},
};

constexpr char16_t kShiftedDigits[] = u")!@#$%^&*(";
// The character Ctrl+Backspace types.
constexpr int WordBackspace = 127;
constexpr char16_t kKeypadOperators[] = u"*+\0-./";  // 106..111; 108 has no character

// The text a key that a handler put in place of the pressed one types on a US layout.
QString textOfKey(int keyCode, int shift)
{
    const bool shifted = (shift & host::vbShiftMask) != 0;
    if ((shift & host::vbCtrlMask) || (shift & host::vbAltMask))
        return {};
    if (keyCode >= host::vbKeyA && keyCode < host::vbKeyA + 26)
        return QChar(char16_t((shifted ? u'A' : u'a') + (keyCode - host::vbKeyA)));
    if (keyCode >= host::vbKey0 && keyCode < host::vbKey0 + 10)
        return QChar(shifted ? kShiftedDigits[keyCode - host::vbKey0]
                             : char16_t(u'0' + (keyCode - host::vbKey0)));
    if (keyCode >= host::vbKeyNumpad0 && keyCode < host::vbKeyNumpad0 + 10)
        return QChar(char16_t(u'0' + (keyCode - host::vbKeyNumpad0)));
    if (keyCode >= host::vbKeyMultiply && keyCode <= host::vbKeyDivide &&
        kKeypadOperators[keyCode - host::vbKeyMultiply] != 0)
        return QChar(kKeypadOperators[keyCode - host::vbKeyMultiply]);
    for (const ShiftedPair& pair : kPunctuation) {
        if (pair.keyCode == keyCode)
            return QChar(shifted ? pair.shifted : pair.plain);
    }
    switch (keyCode) {
        case host::vbKeySpace:
            return QStringLiteral(" ");
        case host::vbKeyReturn:
            return QStringLiteral("\r");
        case host::vbKeyTab:
            return QStringLiteral("\t");
        case host::vbKeyBack:
            return QStringLiteral("\b");
        case host::vbKeyEscape:
            return QStringLiteral("\x1b");
        default:
            return {};
    }
}

bool isKeypadCode(int keyCode)
{
    return keyCode >= host::vbKeyNumpad0 && keyCode <= host::vbKeyDivide;
}

// The KeyAscii of a character the event carries as text.
int asciiOf(QChar unit)
{
    if (unit.unicode() < 0x80)
        return unit.unicode();
    return vb::unicodeToWindows1252(unit.unicode());
}

// Drops halves of surrogate pairs that lost their partner (a handler cancelled one).
QString withoutLoneSurrogates(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            result += c;
            result += text[++i];
        } else if (!c.isSurrogate()) {
            result += c;
        }
    }
    return result;
}

}  // namespace

void RichTextView::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (!m_engine)
        return;
    const QPointer<RichTextView> self(this);
    const int pressedCode = host::virtualKeyCode(*event);
    const int pressedShift = host::shiftMask(event->modifiers());
    int keyCode = pressedCode;
    int shift = pressedShift;
    emit KeyDown(keyCode, shift);
    // A key without a code of its own (0 from the start) is not a swallowed key.
    if (!self || !m_engine || (keyCode == 0 && pressedCode != 0))
        return;
    Stroke stroke;
    if (keyCode == pressedCode && shift == pressedShift) {
        stroke = {event->key(), event->modifiers(), event->text()};
    } else {
        Qt::KeyboardModifiers modifiers = host::qtModifiersOf(shift);
        if (isKeypadCode(keyCode))
            modifiers |= Qt::KeypadModifier;
        stroke = {host::qtKeyOf(keyCode), modifiers, textOfKey(keyCode, shift)};
    }
    const int editsBefore = m_edits;
    runCommand(stroke);
    if (!self || !m_engine)
        return;
    typeCharacters(stroke);
    // A key that changed something brings the caret back into view, also when the selection
    // stayed where it was (Delete after scrolling away).
    if (self && m_engine && m_edits != editsBefore && !m_engine->frozen()) {
        m_engine->layout().scrollCaretIntoView();
        keepCaretInViewHorizontally();
    }
}

void RichTextView::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    // Qt releases a held key before each repeated press; only the real release counts.
    if (host::isAutoRepeatRelease(*event))
        return;
    int keyCode = host::virtualKeyCode(*event);
    int shift = host::shiftMask(event->modifiers());
    emit KeyUp(keyCode, shift);
}

// The built-in keys: Ctrl+A select all; Ctrl+C and Ctrl+Insert copy; Ctrl+X and Shift+Delete
// cut; Ctrl+V and Shift+Insert paste; Ctrl+Z undo; Delete, and Ctrl+Delete to the start of the
// next word; Backspace, and Ctrl+Backspace to the start of the word (typed as its characters,
// 8 and 127); the arrows, Ctrl+Left/Right by words, Ctrl+Up/Down by paragraphs, Home/End on the
// display line, Ctrl+Home/End, Page Up/Down, each moving with Shift to extend.
void RichTextView::runCommand(const Stroke& stroke)
{
    Engine& engine = *m_engine;
    const bool shift = stroke.modifiers.testFlag(Qt::ShiftModifier);
    const bool ctrl = stroke.modifiers.testFlag(Qt::ControlModifier);
    if (stroke.modifiers.testFlag(Qt::AltModifier))
        return;
    const bool ctrlOnly = ctrl && !shift;
    const bool shiftOnly = shift && !ctrl;
    switch (stroke.key) {
        case Qt::Key_A:
            if (ctrlOnly)
                engine.exSetSel({0, -1});
            return;
        case Qt::Key_C:
            if (ctrlOnly)
                engine.copy();
            return;
        case Qt::Key_X:
            if (ctrlOnly)
                engine.cut();
            return;
        case Qt::Key_V:
            if (ctrlOnly)
                engine.paste();
            return;
        case Qt::Key_Z:
            if (ctrlOnly)
                engine.undo();
            return;
        case Qt::Key_Insert:  // no overtype: Insert alone does nothing
            if (ctrlOnly)
                engine.copy();
            else if (shiftOnly)
                engine.paste();
            return;
        case Qt::Key_Delete:
            if (shiftOnly)
                engine.cut();
            else if (!shift && !ctrl)
                engine.session().deleteForward();
            else if (ctrlOnly)
                engine.session().deleteTo(
                    viewinput::nextWordStart(engine.document(), engine.caret()));
            return;
        default:
            runNavigation(stroke.key, shift, ctrl);
            return;
    }
}

void RichTextView::runNavigation(int key, bool shift, bool ctrl)
{
    Engine& engine = *m_engine;
    const Document& document = engine.document();
    const int32_t caret = engine.caret();
    const bool collapse = !shift && engine.selLength() > 0;
    // Left and Right step over one character that shows; the caret ends before the next
    // character that shows, after any hidden text.
    switch (key) {
        case Qt::Key_Left:
            if (collapse && !ctrl)
                moveCaret(engine.selStart(), false);
            else
                moveCaret(ctrl ? viewinput::previousWordStart(document, caret)
                               : document.previousPosition(skipHiddenBackward(document, caret)),
                          shift);
            return;
        case Qt::Key_Right:
            if (collapse && !ctrl)
                moveCaret(engine.selStart() + engine.selLength(), false);
            else
                moveCaret(
                    ctrl ? viewinput::nextWordStart(document, caret)
                         : skipHiddenForward(
                               document, document.nextPosition(skipHiddenForward(document, caret))),
                    shift);
            return;
        case Qt::Key_Up:
            if (ctrl)
                moveCaret(viewinput::previousParagraphStart(document, caret), shift);
            else
                moveVertically(-1, shift);
            return;
        case Qt::Key_Down:
            if (ctrl)
                moveCaret(viewinput::nextParagraphStart(document, caret), shift);
            else
                moveVertically(1, shift);
            return;
        case Qt::Key_Home:
            moveCaret(ctrl ? 0 : viewinput::lineStart(engine, caret), shift);
            return;
        case Qt::Key_End:
            moveCaret(ctrl ? engine.document().length() : viewinput::lineEnd(engine, caret), shift);
            return;
        case Qt::Key_PageUp:
            movePage(-1, shift);
            return;
        case Qt::Key_PageDown:
            movePage(1, shift);
            return;
        default:
            return;
    }
}

void RichTextView::moveCaret(int32_t caret, bool extend)
{
    Engine& engine = *m_engine;
    engine.session().select(extend ? engine.anchor() : caret, caret);
}

void RichTextView::moveVertically(int lines, bool extend)
{
    Engine& engine = *m_engine;
    const int32_t caret = engine.caret();
    if (!m_goalX)
        m_goalX = viewinput::xOfPosition(engine, caret);
    const int target = engine.lineFromChar(caret) + lines;
    if (target < 0 || target >= engine.lineCount())
        return;
    m_movingVertically = true;
    moveCaret(viewinput::positionOnLine(engine, target, *m_goalX), extend);
    m_movingVertically = false;
}

void RichTextView::movePage(int direction, bool extend)
{
    Engine& engine = *m_engine;
    DocumentLayout& layout = engine.layout();
    const int32_t caret = engine.caret();
    const int line = engine.lineFromChar(caret);
    const int last = engine.lineCount() - 1;
    if ((direction < 0 && line == 0) || (direction > 0 && line == last)) {
        moveCaret(direction < 0 ? 0 : engine.document().length(), extend);
        return;
    }
    if (!m_goalX)
        m_goalX = viewinput::xOfPosition(engine, caret);
    const int64_t page = int64_t(
        std::lround((viewport()->height() - m_insets.top() - m_insets.bottom()) * twipsPerPixel()));
    const int64_t y = layout.lineTop(line) + direction * std::max<int64_t>(page, 1);
    int target = y < 0 ? 0 : layout.lineAtHeight(y);
    if (target == line)
        target = std::clamp(line + direction, 0, last);
    // The view moves with the caret, so the caret keeps its place on the screen.
    engine.lineScroll(target - line);
    m_movingVertically = true;
    moveCaret(viewinput::positionOnLine(engine, target, *m_goalX), extend);
    m_movingVertically = false;
}

void RichTextView::typeCharacters(const Stroke& stroke)
{
    const QKeyEvent event(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text);
    const int code = host::keyAscii(event);
    if (code == 0)
        return;
    std::vector<Typed> typed;
    // Backspace, Tab, Enter, Escape and Ctrl with a letter stand for their control code;
    // Ctrl+Backspace types 127, which takes back the word before the caret.
    if (code == 8 && stroke.modifiers == Qt::ControlModifier) {
        typed.push_back({WordBackspace, QChar(char16_t(WordBackspace))});
    } else if (code < 32 || stroke.text.isEmpty()) {
        typed.push_back({code, QChar(char16_t(code))});
    } else {
        for (const QChar unit : stroke.text)
            typed.push_back({asciiOf(unit), unit});
    }
    pressCharacters(typed);
}

void RichTextView::pressCharacters(const std::vector<Typed>& typed)
{
    const QPointer<RichTextView> self(this);
    QString pending;
    bool backspace = false;
    bool wordBackspace = false;
    for (const Typed& character : typed) {
        int keyAscii = character.keyAscii;
        emit KeyPress(keyAscii);
        if (!self || !m_engine)
            return;
        if (keyAscii == 8) {
            backspace = true;
            continue;
        }
        if (keyAscii == WordBackspace) {
            wordBackspace = true;
            continue;
        }
        if (keyAscii == 13)
            pending += u'\r';
        else if (keyAscii == 9)
            pending += u'\t';
        else if (keyAscii == character.keyAscii && keyAscii >= 32)
            pending += character.own;  // a character outside the code page stays itself
        else if (keyAscii >= 32)
            pending += host::keyAsciiText(keyAscii);
    }
    // A key produces either a Backspace or text; a handler that turns a character into 8
    // asks for a Backspace in its place.
    if (backspace)
        m_engine->session().backspace();
    else if (wordBackspace)
        m_engine->session().backspaceTo(
            viewinput::previousWordStart(m_engine->document(), m_engine->caret()));
    if (!self || !m_engine)
        return;
    pending = withoutLoneSurrogates(pending);
    if (!pending.isEmpty())
        m_engine->session().typeText(pending);
}

void RichTextView::inputMethodEvent(QInputMethodEvent* event)
{
    event->accept();
    if (!m_engine || event->commitString().isEmpty())
        return;
    std::vector<Typed> typed;
    for (const QChar unit : event->commitString())
        typed.push_back({asciiOf(unit), unit});
    pressCharacters(typed);
}

QVariant RichTextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImCursorRectangle:
            return const_cast<RichTextView*>(this)->caretRect().translated(viewport()->pos());
        default:
            return QAbstractScrollArea::inputMethodQuery(query);
    }
}

}  // namespace richedit
