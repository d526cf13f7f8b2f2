// The view widget: event order, events by reference, keys, mouse, scrolling and painting.
#include "tests/platform/richedit/view/RichTextViewTest.h"

#include "platform/host/Clipboard.h"
#include "platform/host/KeyCodes.h"
#include "platform/host/OleColor.h"
#include "tests/support/PixelAt.h"
#include "tests/support/QStringPrinting.h"

#include <QDialog>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <random>
#include <vector>

using namespace richedit;
using testsupport::ViewEventLog;
using testsupport::ViewFixture;

namespace {

QString manyLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    return lines.join(QStringLiteral("\r\n"));
}

// Opens a modal dialog that runs `edit` from inside its own event loop, then closes.
void runModalDialog(QWidget* parent, const std::function<void()>& edit)
{
    QDialog dialog(parent);
    QTimer::singleShot(0, &dialog, [&] {
        edit();
        dialog.accept();
    });
    dialog.exec();
}

// What the platform delivers for a double-click: press, release, double-click, release.
void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    QMouseEvent second(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &second);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

bool imageHasColor(const QImage& image, host::COLORREF color, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (testsupport::pixelAt(image, x, y) == color)
                return true;
        }
    }
    return false;
}

}  // namespace

// --- Event order ---

using ViewEventOrderTest = ViewFixture;

TEST_F(ViewEventOrderTest, TypingEnterPasteAndUndoRaiseTheirEventsInOrder)
{
    ViewEventLog log(*view, engine);
    QTest::keyClick(view.get(), Qt::Key_A);
    EXPECT_EQ(log.entries(),
              QStringList({"KeyDown 65", "KeyPress 97", "Change", "SelChange", "KeyUp 65"}));

    log.clear();
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(log.entries(),
              QStringList({"KeyDown 13", "KeyPress 13", "Change", "SelChange", "KeyUp 13"}));
    EXPECT_EQ(engine.text(), QStringLiteral("a\r\n"));
    EXPECT_EQ(engine.caret(), 3);

    host::Clipboard::SetText(QStringLiteral("xyz"));
    log.clear();
    QTest::keyClick(view.get(), Qt::Key_V, Qt::ControlModifier);
    // The Ctrl key itself raises its own KeyDown and KeyUp (17).
    EXPECT_EQ(log.entries(), QStringList({"KeyDown 17", "KeyDown 86", "Change", "SelChange",
                                          "KeyPress 22", "KeyUp 86", "KeyUp 17"}));
    EXPECT_EQ(engine.text(), QStringLiteral("a\r\nxyz"));

    log.clear();
    QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(log.entries(), QStringList({"KeyDown 17", "KeyDown 90", "Change", "SelChange",
                                          "KeyPress 26", "KeyUp 90", "KeyUp 17"}));
    EXPECT_EQ(engine.text(), QStringLiteral("a\r\n"));
}

TEST_F(ViewEventOrderTest, ClickPlacesTheCaretBetweenMouseDownAndMouseUp)
{
    setText(QStringLiteral("hello world"));
    ViewEventLog log(*view, engine);
    QTest::mouseClick(client(), Qt::LeftButton, {}, pixelOf(6, 0.1));
    EXPECT_EQ(log.entries(), QStringList({"MouseDown 1", "SelChange", "MouseUp 1", "Click"}));
    EXPECT_EQ(engine.caret(), 6);
}

TEST_F(ViewEventOrderTest, DoubleClickAfterAClickReplacesTheSecondMouseDown)
{
    setText(QStringLiteral("hello world"));
    ViewEventLog log(*view, engine);
    doubleClick(client(), pixelOf(8));
    EXPECT_EQ(log.entries(), QStringList({"MouseDown 1", "SelChange", "MouseUp 1", "Click",
                                          "DblClick", "SelChange", "MouseUp 1"}));
    EXPECT_EQ(engine.selText(), QStringLiteral("world"));
}

TEST_F(ViewEventOrderTest, RightClickKeepsTheSelectionAndRaisesNoClick)
{
    setText(QStringLiteral("one two three"));
    engine.exSetSel({4, 7});
    ViewEventLog log(*view, engine);
    QTest::mouseClick(client(), Qt::RightButton, {}, pixelOf(10));
    EXPECT_EQ(log.entries(), QStringList({"MouseDown 2", "MouseUp 2"}));
    EXPECT_EQ(engine.selStart(), 4);
    EXPECT_EQ(engine.selLength(), 3);

    QTest::mouseClick(client(), Qt::MiddleButton, {}, pixelOf(10));
    EXPECT_EQ(engine.selLength(), 3);
}

// --- Events by reference ---

using ViewEventArgumentsTest = ViewFixture;

TEST_F(ViewEventArgumentsTest, KeyDownSwallowsOrChangesTheKey)
{
    setText(QStringLiteral("abc"));
    ViewEventLog log(*view, engine);
    QObject::connect(view.get(), &RichTextView::KeyDown, [](int& code, int& shift) {
        if (code == host::vbKeyA) {
            code = 0;
            shift = 0;
        } else if (code == host::vbKeyLeft) {
            code = host::vbKeyRight;
        } else if (code == host::vbKeyA + 23) {
            code = host::vbKeyA + 24;
            shift = host::vbShiftMask;
        }
    });
    QTest::keyClick(view.get(), Qt::Key_A);
    // The log was connected first, so it saw the key before the handler swallowed it.
    EXPECT_EQ(log.entries(), QStringList({"KeyDown 65", "KeyUp 65"}));
    EXPECT_EQ(engine.text(), QStringLiteral("abc"));

    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(engine.caret(), 1);
    QTest::keyClick(view.get(), Qt::Key_X);
    EXPECT_EQ(engine.text(), QStringLiteral("aYbc"));
}

TEST_F(ViewEventArgumentsTest, KeyPressChangesOrCancelsTheCharacter)
{
    QObject::connect(view.get(), &RichTextView::KeyPress, [](int& ascii) {
        if (ascii == 'a')
            ascii = 'b';
        else if (ascii == 'q' || ascii == 8)
            ascii = 0;
    });
    QTest::keyClicks(view.get(), QStringLiteral("aqc"));
    EXPECT_EQ(engine.text(), QStringLiteral("bc"));
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    EXPECT_EQ(engine.text(), QStringLiteral("bc"));
}

TEST_F(ViewEventArgumentsTest, CharactersOutsideTheCodePageAreTypedAsThemselves)
{
    std::vector<int> codes;
    QObject::connect(view.get(), &RichTextView::KeyPress,
                     [&codes](int& ascii) { codes.push_back(ascii); });
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\u0436\U0001F600"));
    QApplication::sendEvent(view.get(), &press);
    EXPECT_EQ(engine.text(), QStringLiteral("\u0436\U0001F600"));
    EXPECT_EQ(codes, std::vector<int>({'?', '?', '?'}));
}

TEST_F(ViewEventArgumentsTest, AutoRepeatRaisesKeyDownButNoKeyUpUntilTheRealRelease)
{
    ViewEventLog log(*view, engine);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"),
                            true);
    QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QApplication::sendEvent(view.get(), &press);
    QApplication::sendEvent(view.get(), &repeatRelease);
    QApplication::sendEvent(view.get(), &repeatPress);
    QApplication::sendEvent(view.get(), &release);
    EXPECT_EQ(log.entries().count(QStringLiteral("KeyDown 66")), 2);
    EXPECT_EQ(log.entries().count(QStringLiteral("KeyUp 66")), 1);
    EXPECT_EQ(log.entries().last(), QStringLiteral("KeyUp 66"));
    EXPECT_EQ(engine.text(), QStringLiteral("bb"));
}

TEST_F(ViewEventArgumentsTest, ModalDialogInKeyDownMayReplaceTheDocument)
{
    setText(QStringLiteral("short"));
    engine.setSelStart(5);
    QObject::connect(view.get(), &RichTextView::KeyDown, view.get(), [this](int& code, int&) {
        if (code != host::vbKeyA + 23)
            return;
        runModalDialog(view.get(), [this] {
            engine.setText(manyLines(80));
            engine.setSelStart(engine.text().indexOf(QStringLiteral("line 70")) + 4);
        });
    });
    QTest::keyClick(view.get(), Qt::Key_X);
    const int32_t at = engine.text().indexOf(QStringLiteral("linex 70"));
    EXPECT_GE(at, 0);
    EXPECT_EQ(engine.caret(), at + 5);
    settle();
    EXPECT_EQ(view->verticalScrollBar()->value(), engine.firstVisibleLine());
    EXPECT_GT(engine.firstVisibleLine(), 0);
}

TEST_F(ViewEventArgumentsTest, ModalDialogInMouseUpMayEditTheDocument)
{
    setText(QStringLiteral("first second third"));
    ViewEventLog log(*view, engine);
    QObject::connect(view.get(), &RichTextView::MouseUp, view.get(),
                     [this](int&, int&, float&, float&) {
                         runModalDialog(view.get(), [this] {
                             engine.exSetSel({0, 6});
                             engine.setSelText(QString());
                         });
                     });
    QTest::mouseClick(client(), Qt::LeftButton, {}, pixelOf(14, 0.1));
    EXPECT_EQ(engine.text(), QStringLiteral("second third"));
    EXPECT_EQ(engine.caret(), 0);
    EXPECT_EQ(log.entries().last(), QStringLiteral("Click"));
}

TEST_F(ViewEventArgumentsTest, MouseEventsReportTwipsFromTheClientCorner)
{
    float x = -1;
    float y = -1;
    int button = 0;
    QObject::connect(view.get(), &RichTextView::MouseDown, [&](int& b, int&, float& px, float& py) {
        button = b;
        x = px;
        y = py;
    });
    QTest::mousePress(client(), Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    QTest::mouseRelease(client(), Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    EXPECT_EQ(button, 1);
    EXPECT_FLOAT_EQ(x, 150);
    EXPECT_FLOAT_EQ(y, 300);
}

// --- Keys ---

using ViewKeysTest = ViewFixture;

TEST_F(ViewKeysTest, TabAndEnterInsertAndTheFocusStays)
{
    QTest::keyClick(view.get(), Qt::Key_A);
    QTest::keyClick(view.get(), Qt::Key_Tab);
    QTest::keyClick(view.get(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(engine.text(), QStringLiteral("a\t\r\n\r\n"));
    EXPECT_EQ(engine.caret(), 6);
    EXPECT_TRUE(view->hasFocus());
}

TEST_F(ViewKeysTest, ArrowsHomeEndAndWordsMoveAndExtend)
{
    setText(QStringLiteral("alpha beta, gamma\r\nsecond line"));
    engine.setSelStart(0);
    QTest::keyClick(view.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(engine.caret(), 6);
    QTest::keyClick(view.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(engine.caret(), 10);  // at the comma
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_EQ(engine.caret(), 17);
    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_EQ(engine.caret(), 19);  // over the paragraph end in one step
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(engine.caret(), 17);
    QTest::keyClick(view.get(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(engine.caret(), 12);
    QTest::keyClick(view.get(), Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(engine.anchor(), 12);
    EXPECT_EQ(engine.caret(), 10);
    QTest::keyClick(view.get(), Qt::Key_Right);  // collapses to the selection's end
    EXPECT_EQ(engine.caret(), 12);
    EXPECT_EQ(engine.selLength(), 0);
    QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(engine.selText(), QStringLiteral("gamma\r\nsecond line"));
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(engine.caret(), 0);
    QTest::keyClick(view.get(), Qt::Key_Home);
    EXPECT_EQ(engine.caret(), 0);
}

// Ctrl+Backspace and Ctrl+Delete take words as Backspace and Delete take characters (each its
// own undo step); Ctrl+Up and Ctrl+Down go by paragraph starts.
TEST_F(ViewKeysTest, WordAndParagraphKeysDeleteAndMove)
{
    setText(QStringLiteral("alpha beta, gamma\r\nsecond line\r\nthird"));
    engine.setSelStart(8);
    QTest::keyClick(view.get(), Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(engine.text().left(17), QStringLiteral("alpha ta, gamma\r\n"));
    EXPECT_EQ(engine.caret(), 6);
    QTest::keyClick(view.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(engine.text().left(15), QStringLiteral("alpha , gamma\r\n"));
    QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(engine.text().left(17), QStringLiteral("alpha ta, gamma\r\n"));
    // At a paragraph's start the word before is the paragraph end.
    engine.setSelStart(17);
    QTest::keyClick(view.get(), Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(engine.text(), QStringLiteral("alpha ta, gammasecond line\r\nthird"));

    engine.setSelStart(3);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(engine.caret(), 28);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(engine.caret(), 33);  // the end
    QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(engine.caret(), 28);
    EXPECT_EQ(engine.anchor(), 33);
    QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(engine.selText(), QStringLiteral("alpha ta, gammasecond line\r\nthird"));
    engine.setSelStart(20);
    QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(engine.caret(), 0);  // the start of its own paragraph first
}

// Hidden text is passed over: every arrow press moves the caret on the screen, and Backspace
// and Delete remove the character that shows, never hidden text the user cannot see.
TEST_F(ViewKeysTest, ArrowsBackspaceAndDeleteGoByShownCharacters)
{
    engine.setTextRtf(
        QStringLiteral("{\\rtf1\\ansi\\pard ab{\\v XY}cd\\par"
                       "{\\v\\pard hidden\\par}\\pard e{\\v Z}\\par}"));
    settle();
    ASSERT_EQ(engine.text(), QStringLiteral("abXYcd\r\nhidden\r\neZ"));
    engine.setSelStart(1);
    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_EQ(engine.caret(), 4);  // after 'b' and the hidden "XY"
    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_EQ(engine.caret(), 5);
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(engine.caret(), 4);
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(engine.caret(), 1);  // before 'b', over the hidden "XY"
    engine.setSelStart(6);
    QTest::keyClick(view.get(), Qt::Key_Right);  // over the hidden paragraph in one step
    EXPECT_EQ(engine.caret(), 16);
    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_EQ(engine.caret(), 18);  // past 'e' and the hidden 'Z'
    QTest::keyClick(view.get(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(engine.selText(), QStringLiteral("eZ"));
    QTest::keyClick(view.get(), Qt::Key_Left);  // collapses
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(engine.caret(), 6);  // back over the hidden paragraph

    // Backspace and Delete take the shown character next to the caret with the hidden text
    // between; a paragraph end takes the hidden paragraph after it along, joining the lines.
    engine.setSelStart(4);
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    EXPECT_EQ(engine.text(), QStringLiteral("acd\r\nhidden\r\neZ"));
    engine.undo();
    engine.setSelStart(2);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(engine.text(), QStringLiteral("abd\r\nhidden\r\neZ"));
    engine.setSelStart(3);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(engine.text(), QStringLiteral("abdeZ"));
    engine.undo();
    EXPECT_EQ(engine.text(), QStringLiteral("abd\r\nhidden\r\neZ"));
    engine.setSelStart(13);
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    EXPECT_EQ(engine.text(), QStringLiteral("abdeZ"));
    EXPECT_EQ(engine.caret(), 3);
    engine.undo();
    EXPECT_EQ(engine.text(), QStringLiteral("abd\r\nhidden\r\neZ"));
    // Only hidden text before the caret: nothing shows there to take.
    engine.setTextRtf(QStringLiteral("{\\rtf1\\ansi\\pard{\\v XY}ab\\par}"));
    engine.setSelStart(2);
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    EXPECT_EQ(engine.text(), QStringLiteral("XYab"));
}

// Ctrl+Left and Ctrl+Right stop at the words that show: a hidden word is no stop, a hidden run
// inside a word leaves it one word, and a hidden paragraph is passed in the same step.
TEST_F(ViewKeysTest, WordStepsGoByShownWords)
{
    engine.setTextRtf(
        QStringLiteral("{\\rtf1\\ansi\\pard one {\\v hid }two{\\v XX}three four\\par"
                       "{\\v\\pard hidden\\par}\\pard five\\par}"));
    settle();
    ASSERT_EQ(engine.text(), QStringLiteral("one hid twoXXthree four\r\nhidden\r\nfive"));
    engine.setSelStart(0);
    std::vector<int32_t> stops;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(view.get(), Qt::Key_Right, Qt::ControlModifier);
        stops.push_back(engine.caret());
    }
    EXPECT_EQ(stops, (std::vector<int32_t>{8, 19, 23, 33}));
    stops.clear();
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(view.get(), Qt::Key_Left, Qt::ControlModifier);
        stops.push_back(engine.caret());
    }
    EXPECT_EQ(stops, (std::vector<int32_t>{23, 19, 8, 0}));
}

TEST_F(ViewKeysTest, UpAndDownKeepTheColumnAcrossShortLines)
{
    setText(QStringLiteral("abcdefgh\r\nab\r\nabcdefgh"));
    engine.setSelStart(6);
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(engine.caret(), 12);  // end of the short line
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(engine.caret(), 20);  // back in column 6
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(engine.caret(), 20);
    QTest::keyClick(view.get(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(engine.anchor(), 20);
    EXPECT_EQ(engine.caret(), 12);
}

TEST_F(ViewKeysTest, PageDownAndUpMoveByAViewAndScroll)
{
    setText(manyLines(200));
    engine.setSelStart(0);
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    const int line = engine.lineFromChar(-1);
    EXPECT_GT(line, 5);
    EXPECT_LT(line, 40);
    EXPECT_GT(engine.firstVisibleLine(), 0);
    QTest::keyClick(view.get(), Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_GT(engine.lineFromChar(-1), line);
    EXPECT_EQ(engine.anchor(), engine.lineIndex(line));
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    EXPECT_EQ(engine.caret(), 0);
    EXPECT_EQ(engine.firstVisibleLine(), 0);
}

TEST_F(ViewKeysTest, EditingKeysAndShortcutsUseTheUserEdits)
{
    setText(QStringLiteral("abcdef"));
    engine.setSelStart(3);
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(engine.text(), QStringLiteral("abef"));
    QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(engine.selLength(), 4);
    QTest::keyClick(view.get(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(host::Clipboard::GetText(), QStringLiteral("abef"));
    QTest::keyClick(view.get(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(engine.text(), QString());
    QTest::keyClick(view.get(), Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Insert);  // no overtype
    QTest::keyClick(view.get(), Qt::Key_Z);
    EXPECT_EQ(engine.text(), QStringLiteral("abefz"));
    QTest::keyClick(view.get(), Qt::Key_B, Qt::ControlModifier);  // no formatting shortcuts
    engine.exSetSel({0, -1});
    EXPECT_EQ(engine.selBold(), std::optional<bool>(false));
}

TEST_F(ViewKeysTest, LockedProtectedAndMaxLengthRefuseUserInput)
{
    setText(QStringLiteral("abc"));
    engine.setSelStart(3);
    engine.setReadOnly(true);
    QTest::keyClicks(view.get(), QStringLiteral("xy"));
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    EXPECT_EQ(engine.text(), QStringLiteral("abc"));
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(engine.caret(), 2);  // moving still works

    engine.setReadOnly(false);
    engine.setMaxLength(4);
    engine.setSelStart(3);
    QTest::keyClicks(view.get(), QStringLiteral("xy"));
    EXPECT_EQ(engine.text(), QStringLiteral("abcx"));

    engine.setMaxLength(0);
    engine.exSetSel({0, 2});
    engine.setSelProtected(true);
    engine.setSelStart(1);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    QTest::keyClick(view.get(), Qt::Key_Q);
    EXPECT_EQ(engine.text(), QStringLiteral("abcx"));
}

// --- Mouse ---

using ViewMouseTest = ViewFixture;

TEST_F(ViewMouseTest, DoubleClickSelectsWordWithBlanksTheBlankRunOrOneCharacter)
{
    setText(QStringLiteral("hello   world, again"));
    doubleClick(client(), pixelOf(2));
    EXPECT_EQ(engine.selText(), QStringLiteral("hello   "));
    doubleClick(client(), pixelOf(6));
    EXPECT_EQ(engine.selText(), QStringLiteral("   "));
    doubleClick(client(), pixelOf(13));
    EXPECT_EQ(engine.selText(), QStringLiteral(","));
    doubleClick(client(), pixelOf(17));
    EXPECT_EQ(engine.selText(), QStringLiteral("again"));
}

TEST_F(ViewMouseTest, DragSelectsAndShiftClickExtends)
{
    setText(QStringLiteral("one two three four"));
    QTest::mousePress(client(), Qt::LeftButton, {}, pixelOf(4, 0.1));
    QTest::mouseMove(client(), pixelOf(13, 0.1));
    QMouseEvent move(QEvent::MouseMove, pixelOf(13, 0.1), client()->mapToGlobal(pixelOf(13, 0.1)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(client(), &move);
    QTest::mouseRelease(client(), Qt::LeftButton, {}, pixelOf(13, 0.1));
    EXPECT_EQ(engine.selText(), QStringLiteral("two three"));

    QTest::mouseClick(client(), Qt::LeftButton, Qt::ShiftModifier, pixelOf(17, 0.9));
    EXPECT_EQ(engine.anchor(), 4);
    EXPECT_EQ(engine.caret(), 18);
}

// --- Viewport, scrolling and painting ---

using ViewDisplayTest = ViewFixture;

TEST_F(ViewDisplayTest, EngineLayoutFollowsTheViewportSize)
{
    const QMargins insets = view->textInsets();
    const QSize client = view->viewport()->size();
    const FormattingRect rect = engine.formattingRectPx();
    EXPECT_EQ(rect.left, insets.left());
    EXPECT_EQ(rect.right, client.width() - insets.right());
    EXPECT_EQ(rect.bottom, client.height() - insets.bottom());

    setText(QStringLiteral("word ").repeated(60));
    const int narrowLines = engine.lineCount();
    view->resize(700, 300);
    settle();
    EXPECT_LT(engine.lineCount(), narrowLines);
    EXPECT_EQ(engine.formattingRectPx().right, view->viewport()->width() - insets.right());
}

TEST_F(ViewDisplayTest, VerticalScrollBarAndFirstVisibleLineMoveTogether)
{
    setText(manyLines(200));
    QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
    settle();
    QScrollBar* bar = view->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), engine.lineCount() - 1);
    EXPECT_GT(engine.firstVisibleLine(), 150);
    EXPECT_EQ(bar->value(), engine.firstVisibleLine());

    QTest::keyClick(view.get(), Qt::Key_Left);
    bar->setValue(20);
    EXPECT_EQ(engine.firstVisibleLine(), 20);
    EXPECT_EQ(engine.caret(), engine.text().size() - 1);  // scrolling leaves the caret

    engine.lineScroll(5);
    settle();
    EXPECT_EQ(bar->value(), 25);

    // An edit at a caret scrolled out of sight brings it back; Shift alone does not.
    QTest::keyClick(view.get(), Qt::Key_Shift);
    EXPECT_EQ(engine.firstVisibleLine(), 25);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_GT(engine.firstVisibleLine(), 150);
}

TEST_F(ViewDisplayTest, ShortDocumentsThumbFillsNearlyTheWholeTrack)
{
    setText(manyLines(2));
    settle();
    QScrollBar* bar = view->verticalScrollBar();
    const int fitting = view->viewport()->height() /
                        std::max(view->fontMetrics().height(), 1);  // lines of about this font
    ASSERT_GT(fitting, 4);
    // The page is what fits in the window, not just the lines there are.
    EXPECT_GE(bar->pageStep(), fitting / 2);
    EXPECT_EQ(bar->maximum(), engine.lineCount() - 1);
}

TEST_F(ViewDisplayTest, NoWrapScrollsHorizontallyToTheCaret)
{
    engine.setTargetDevice(nullptr, 1);
    setText(QStringLiteral("wide ").repeated(100));
    settle();
    EXPECT_EQ(engine.lineCount(), 1);
    QTest::keyClick(view.get(), Qt::Key_End);
    settle();
    QScrollBar* bar = view->horizontalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_GT(bar->value(), 0);
    // A click lands on the text under the pointer, scrolled as it is.
    const int32_t end = engine.caret();
    QTest::mouseClick(client(), Qt::LeftButton, {}, pixelOf(end - 3, 0.3));
    EXPECT_EQ(engine.caret(), end - 3);
    QTest::keyClick(view.get(), Qt::Key_Home);
    settle();
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ViewDisplayTest, SelectionShowsInHighlightColoursAlsoWithoutFocus)
{
    setText(QStringLiteral("select me please"));
    engine.exSetSel({0, 9});
    view->clearFocus();
    settle();
    const QImage shown = view->viewport()->grab().toImage();
    const host::COLORREF highlight = host::GetSysColor(host::COLOR_HIGHLIGHT);
    const QPoint inside = pixelOf(3);
    EXPECT_TRUE(imageHasColor(shown, highlight, QRect(inside, QSize(4, 4))));
    EXPECT_FALSE(imageHasColor(shown, highlight, QRect(pixelOf(12), QSize(4, 4))));

    view->setBackColor(0x0000FF00);
    const QImage green = view->viewport()->grab().toImage();
    EXPECT_EQ(testsupport::pixelAt(green, green.width() - 3, green.height() - 3), 0x0000FF00u);
}

TEST_F(ViewDisplayTest, KeystrokesRepaintWhatTheyChanged)
{
    engine.setTextRtf(QStringLiteral(
        "{\\rtf1\\ansi\\pard{\\*\\pn\\pnlvlbody\\pnindent0\\pnstart1\\pndec{\\pntxta.}}"
        " one\\par two\\par three\\par\\pard plain\\par}"));
    view->clearFocus();  // no blinking caret in the pictures
    settle();
    // What the screen shows, as the window's backing store holds it after partial repaints.
    const auto onScreen = [this] {
        settle();
        const QPoint corner = client()->mapTo(view->window(), QPoint(0, 0));
        const QImage window = view->window()
                                  ->screen()
                                  ->grabWindow(view->window()->winId())
                                  .toImage()
                                  .convertToFormat(QImage::Format_RGB32);
        return window.copy(QRect(corner, client()->size()));
    };
    const auto freshlyPainted = [this] {
        return client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    ASSERT_EQ(onScreen(), freshlyPainted());

    engine.setSelStart(3);
    const auto press = [this](Qt::Key key, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(view.get(), &event);
    };
    press(Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(onScreen(), freshlyPainted());
    press(Qt::Key_Return, QStringLiteral("\r"));  // numbers below count on
    EXPECT_EQ(onScreen(), freshlyPainted());
    engine.setSelStart(engine.lineIndex(2));
    press(Qt::Key_Backspace, QStringLiteral("\b"));  // and back
    EXPECT_EQ(onScreen(), freshlyPainted());
    engine.exSetSel({0, 5});
    press(Qt::Key_Y, QStringLiteral("y"));
    EXPECT_EQ(onScreen(), freshlyPainted());
    EXPECT_EQ(engine.text().left(7), QStringLiteral("yetwo\r\n"));
}

TEST_F(ViewDisplayTest, NothingIsPaintedWhileFrozen)
{
    setText(QStringLiteral("frozen text"));
    const QSize size = view->viewport()->size();
    const auto render = [&] {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(1, 2, 3));
        view->viewport()->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return image;
    };
    engine.freeze();
    engine.setText(QStringLiteral("changed while frozen"));
    const QImage frozen = render();
    EXPECT_EQ(testsupport::pixelAt(frozen, 10, 10), host::RGB(1, 2, 3));
    engine.unfreeze();
    settle();
    const QImage thawed = render();
    EXPECT_EQ(testsupport::pixelAt(thawed, size.width() - 2, size.height() - 2),
              host::GetSysColor(host::COLOR_WINDOW));
}

TEST_F(ViewDisplayTest, ViewLetsGoOfAnEngineThatGoesAway)
{
    auto other = std::make_unique<Engine>();
    RichTextView orphan(*other);
    orphan.resize(200, 100);
    orphan.show();
    other.reset();
    EXPECT_EQ(orphan.engine(), nullptr);
    QTest::keyClick(&orphan, Qt::Key_A);
    QTest::mouseClick(orphan.viewport(), Qt::LeftButton);
    orphan.viewport()->grab();
}

// --- Word and line steps ---

TEST(ViewInputTest, WordStepsStopAtWordsPunctuationAndParagraphEnds)
{
    using namespace viewinput;
    const QString text = QStringLiteral("it's  done.\r\n  next_one");
    EXPECT_EQ(nextWordStart(text, 0), 6);
    EXPECT_EQ(nextWordStart(text, 6), 10);
    EXPECT_EQ(nextWordStart(text, 10), 11);
    EXPECT_EQ(nextWordStart(text, 11), 13);
    EXPECT_EQ(nextWordStart(text, 13), 15);
    EXPECT_EQ(nextWordStart(text, 15), text.size());
    EXPECT_EQ(previousWordStart(text, 15), 13);
    EXPECT_EQ(previousWordStart(text, 13), 11);
    EXPECT_EQ(previousWordStart(text, 11), 10);
    EXPECT_EQ(previousWordStart(text, 10), 6);
    EXPECT_EQ(previousWordStart(text, 3), 0);
    EXPECT_EQ(previousPosition(text, 13), 11);
    EXPECT_EQ(nextPosition(text, 11), 13);

    const QString pair = QStringLiteral("a\U0001F600b");
    EXPECT_EQ(nextPosition(pair, 1), 3);
    EXPECT_EQ(previousPosition(pair, 3), 1);
    EXPECT_EQ(wordSelection(pair, 2), (CharRange{1, 3}));
    EXPECT_EQ(wordSelection(text, 11), (CharRange{11, 11}));
    EXPECT_EQ(wordSelection(text, 17), (CharRange{15, 23}));
}

// The steps over a document read only the paragraphs near the position; they must land where
// the same steps over the whole text do.
TEST(ViewInputTest, WordStepsOverADocumentMatchTheWholeText)
{
    using namespace viewinput;
    static const QStringList pieces = {
        QStringLiteral("word"), QStringLiteral(" "),          QStringLiteral("\t"),
        QStringLiteral("\r\n"), QStringLiteral("."),          QStringLiteral("it's"),
        QStringLiteral("\v"),   QStringLiteral("\U0001F600"), QStringLiteral("\u00e9t\u00e9")};
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        QString text;
        const int count = int(random() % 25);
        for (int i = 0; i < count; ++i)
            text += pieces[int(random() % pieces.size())];
        Document document;
        document.setPlainText(text);
        ASSERT_EQ(document.text(), text);
        for (int32_t pos = 0; pos <= int32_t(text.size()); ++pos) {
            const int32_t at = document.snap(pos);
            ASSERT_EQ(nextWordStart(document, at), nextWordStart(text, at)) << round << ' ' << pos;
            ASSERT_EQ(previousWordStart(document, at), previousWordStart(text, at))
                << round << ' ' << pos;
            if (pos < int32_t(text.size())) {
                ASSERT_EQ(wordSelection(document, pos), wordSelection(text, pos))
                    << round << ' ' << pos;
            }
        }
    }
}
