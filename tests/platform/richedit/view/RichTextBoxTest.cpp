#include "platform/richedit/view/EngineHandles.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/RichTextView.h"

#include "tests/support/SignalRecorder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QTest>

using namespace richedit;

TEST(RichTextBox, NamesReachTheEngineAndTheHandleLeadsBack)
{
    RichTextBox box;
    EXPECT_FALSE(box.hasView());
    EXPECT_EQ(engineFromHandle(box.hWnd()), &box.engine());
    EXPECT_EQ(box.Font().family(), box.engine().document().defaultFormat().face);

    testsupport::SignalRecorder events(&box);
    box.setText(QStringLiteral("one\r\ntwo"));
    box.setSelStart(5);
    box.setSelLength(3);
    EXPECT_EQ(box.SelText(), QStringLiteral("two"));
    EXPECT_EQ(box.GetLineFromChar(box.SelStart()), 1);
    EXPECT_EQ(events.names(), (QStringList{"Change", "SelChange", "SelChange"}));

    box.setSelRTF(box.SelRTF());
    EXPECT_EQ(box.Text(), QStringLiteral("one\r\ntwo"));

    testsupport::TempFolder folder;
    const QString path = folder.filePath(QStringLiteral("doc.rtf"));
    EXPECT_FALSE(box.SaveFile(path).has_value());
    RichTextBox other;
    EXPECT_FALSE(other.LoadFile(path).has_value());
    EXPECT_EQ(other.Text(), box.Text());
    EXPECT_TRUE(other.LoadFile(folder.filePath(QStringLiteral("missing.rtf"))).has_value());

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(14);
    box.setFont(font);
    EXPECT_EQ(box.engine().selFontName(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(box.engine().selFontSize(), 14.0);
}

// A handler of the box's KeyDown sees the view's arguments by reference: zeroing the key
// swallows it before the view acts.
TEST(RichTextBox, KeyHandlersCanSwallowTheViewsKeys)
{
    RichTextBox box;
    RichTextView& view = box.view();
    view.resize(300, 200);
    view.show();

    QObject::connect(&box, &RichTextBox::KeyDown, [](int& keyCode, int&) {
        if (keyCode == 'B')
            keyCode = 0;
    });
    QTest::keyClicks(view.viewport(), QStringLiteral("abc"));
    EXPECT_EQ(box.Text(), QStringLiteral("ac"));
}
