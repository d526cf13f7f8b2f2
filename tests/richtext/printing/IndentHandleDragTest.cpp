#include "tests/richtext/printing/RulerTestSupport.h"

#include "platform/richedit/view/RichTextView.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>

namespace {

class IndentHandleDragTest : public testsupport::RulerTestBase {
protected:
    IndentHandleDragTest()
    {
        engine().setText(QStringLiteral("A paragraph of some length to indent."));
        control().PrepareXrRTB();
    }
    // The pointer offset from a handle's left edge that centres it on ruler position p.
    static double towards(IndentHandle& handle, double p) { return p - handle.Left() + 75; }
    int32_t indent() { return engine().selIndent().value_or(-99999); }
    int32_t hanging() { return engine().selHangingIndent().value_or(-99999); }
    int32_t rightIndent() { return engine().selRightIndent().value_or(-99999); }
};

TEST_F(IndentHandleDragTest, LeftHandleSnapsAndKeepsTheHangingLinesInPlace)
{
    IndentHandle& left = handle("LIHandle");
    testsupport::SignalRecorder events(&control());
    drag(left, towards(left, 700));
    EXPECT_EQ(left.Left(), 720);
    EXPECT_EQ(indent(), 720);
    EXPECT_EQ(hanging(), -720) << "the hanging handle stayed at 0";
    EXPECT_EQ(events.names(), QStringList{QStringLiteral("Ready")});

    // Left of the ruler zero it is pinned at 0.
    drag(left, towards(left, -400));
    EXPECT_EQ(left.Left(), 0);
    EXPECT_EQ(indent(), 0);

    // Into the right handle at 9540: stopped at snap(9540 - 1170 - 150).
    drag(left, towards(left, 11000));
    EXPECT_EQ(left.Left(), 8190);
    EXPECT_EQ(indent(), 8190);

    // Where snapping carries the handle past the gap, the indent is the unsnapped limit.
    handle("RIHandle").setLeft(9555);
    drag(left, towards(left, 11000));
    EXPECT_EQ(left.Left(), 8280);
    EXPECT_EQ(indent(), 9555 - 1170 - 150);
}

TEST_F(IndentHandleDragTest, HangingHandleLeftOfTheLeftHandleGivesANegativeHangingIndent)
{
    drag(handle("LIHandle"), towards(handle("LIHandle"), 1440));
    drag(handle("HIHandle"), towards(handle("HIHandle"), 1080));
    EXPECT_EQ(handle("HIHandle").Left(), 1080);
    EXPECT_EQ(hanging(), -360);
    EXPECT_EQ(indent(), 1440);

    // Placed back from the selection, it stands 30 further left than the indent says.
    control().LetPrinterMargin(Academic);
    EXPECT_EQ(handle("LIHandle").Left(), 1440);
    EXPECT_EQ(handle("HIHandle").Left(), 1050);
}

TEST_F(IndentHandleDragTest, RightHandleMapsToTheRightIndentAndKeepsTheGap)
{
    IndentHandle& right = handle("RIHandle");
    drag(right, towards(right, 13000));
    EXPECT_EQ(right.Left(), 12240);
    EXPECT_EQ(rightIndent(), -2700);

    drag(right, towards(right, 8640));
    EXPECT_EQ(right.Left(), 8640);
    EXPECT_EQ(rightIndent(), 12420 - (8640 + 2880));

    // It stops at the gap behind the further right of the two left handles.
    drag(handle("LIHandle"), towards(handle("LIHandle"), 720));
    drag(right, towards(right, 100));
    EXPECT_EQ(right.Left(), 2070);  // snap(720 + 150 + 1170)
    drag(right, towards(right, 8640));
    drag(handle("HIHandle"), towards(handle("HIHandle"), 900));
    drag(right, towards(right, 100));
    EXPECT_EQ(right.Left(), 2250);  // snap(900 + 150 + 1170)
}

TEST_F(IndentHandleDragTest, OnlyTheLeftButtonAloneDragsAndOneDragIsOneUndoStep)
{
    IndentHandle& left = handle("LIHandle");
    const QPoint middle(5, 5);
    for (Qt::MouseButtons buttons :
         {Qt::MouseButtons(Qt::RightButton), Qt::LeftButton | Qt::RightButton}) {
        QTest::mousePress(&left, Qt::RightButton, {}, middle);
        move(left, towards(left, 1440), buttons);
        EXPECT_EQ(left.Left(), 0);
        EXPECT_EQ(indent(), 0);
        // Undo collection still runs.
        engine().replaceSel(QStringLiteral("x"), true);
        EXPECT_TRUE(engine().canUndo());
        engine().emptyUndoBuffer();
        QTest::mouseRelease(&left, Qt::RightButton, {}, middle);
    }

    testsupport::SignalRecorder events(&control());
    QTest::mousePress(&left, Qt::LeftButton, {}, middle);
    move(left, towards(left, 360));
    move(left, towards(left, 540));
    EXPECT_EQ(indent(), 540) << "indents follow every move";
    QTest::mouseRelease(&left, Qt::LeftButton, {}, middle);
    ASSERT_TRUE(engine().undo());
    EXPECT_EQ(indent(), 0) << "the whole drag is undone";
    ASSERT_TRUE(engine().undo());
    EXPECT_EQ(indent(), 540);
    engine().replaceSel(QStringLiteral("y"), true);
    // Besides the code edit's own Change and SelChange, only the release's Ready.
    QStringList names = events.names();
    names.removeAll(QStringLiteral("Change"));
    names.removeAll(QStringLiteral("SelChange"));
    EXPECT_EQ(names, QStringList{QStringLiteral("Ready")});
    engine().replaceSel(QStringLiteral("z"), true);
    ASSERT_TRUE(engine().undo());
    EXPECT_TRUE(engine().text().contains(u'y')) << "the release resumed it: steps are their own";
    EXPECT_FALSE(engine().text().contains(u'z'));
}

class IndentHandleWithoutPrinterTest : public testsupport::RulerTestBase {
protected:
    IndentHandleWithoutPrinterTest() : RulerTestBase(false) { control().PrepareXrRTB(); }
};

TEST_F(IndentHandleWithoutPrinterTest, DragsStillApplyIndentsButSelectionDoesNotMoveHandles)
{
    IndentHandle& right = handle("RIHandle");
    drag(right, 12240 - right.Left() + 75);
    EXPECT_EQ(engine().selRightIndent(), -2700);
    engine().setSelIndent(1440);
    control().LetPrinterMargin(Academic);
    EXPECT_EQ(handle("LIHandle").Left(), 0);
}

}  // namespace

namespace {

class IndentDragUndoTest : public testsupport::RulerTestBase {};

TEST_F(IndentDragUndoTest, UndoAfterADragTakesTheDragAndKeepsTheTyping)
{
    control().PrepareXrRTB();
    QWidget& view = window().view();
    view.setFocus();
    QTest::keyClicks(&view, QStringLiteral("typed"));
    ASSERT_EQ(engine().text(), QStringLiteral("typed"));
    drag(handle("LIHandle"), 720 + 75);
    ASSERT_EQ(engine().selIndent(), 720);
    ASSERT_TRUE(engine().undo());
    EXPECT_EQ(engine().text(), QStringLiteral("typed"));
    EXPECT_EQ(engine().selIndent(), 0);
    EXPECT_EQ(engine().selHangingIndent(), 0);
}

}  // namespace
