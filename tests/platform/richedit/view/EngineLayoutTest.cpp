#include "platform/richedit/view/Engine.h"

#include <gtest/gtest.h>

using namespace richedit;

namespace {

QString numberedLines(int count)
{
    QStringList lines;
    for (int line = 1; line <= count; ++line)
        lines.append(QStringLiteral("line %1").arg(line));
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace

// The engine's line members answer from its own layout, which follows every edit.
TEST(EngineLayout, LineQueriesFollowTheDocumentAndTheCaret)
{
    Engine engine;
    EXPECT_EQ(engine.lineCount(), 1);
    EXPECT_EQ(engine.lineIndex(0), 0);

    engine.setText(QStringLiteral("ab\r\ncde\r\nf"));
    EXPECT_EQ(engine.lineCount(), 3);
    EXPECT_EQ(engine.lineIndex(1), 4);
    EXPECT_EQ(engine.lineIndex(3), -1);
    EXPECT_EQ(engine.lineLength(5), 3);
    EXPECT_EQ(engine.lineFromChar(engine.text().size()), 2);

    engine.setSelStart(5);
    EXPECT_EQ(engine.lineFromChar(-1), 1);
    EXPECT_EQ(engine.lineIndex(-1), 4);

    engine.setSelText(QStringLiteral("\r\n"));
    EXPECT_EQ(engine.lineCount(), 4);
    EXPECT_EQ(engine.lineFromChar(-1), 2);
    engine.undo();
    EXPECT_EQ(engine.lineCount(), 3);
}

// The layout kept for a paragraph shares its text until an edit in place: typing in a long
// paragraph neither copies its text nor leaves the layout reading the old one.
TEST(EngineLayout, TypingInALongParagraphKeepsItsTextAndItsLines)
{
    Engine engine;
    engine.setViewportSize(QSize(6000, 3000));
    engine.setText(QString(QStringLiteral("word ")).repeated(4000));
    const int lines = engine.lineCount();
    engine.setSelStart(10000);
    engine.session().typeText(QStringLiteral("x"));
    const QChar* storage = engine.document().paragraph(0).text.storageAt(15000);
    for (int key = 0; key < 20; ++key)
        engine.session().typeText(QStringLiteral("y"));
    EXPECT_EQ(engine.document().paragraph(0).text.storageAt(15020), storage);
    EXPECT_GE(engine.lineCount(), lines);
    EXPECT_EQ(engine.lineFromChar(-1), engine.lineFromChar(10000));
    const int32_t start = engine.lineIndex(-1);
    EXPECT_EQ(engine.lineLength(start), engine.lineLength(start + 1));
    engine.undo();
    EXPECT_EQ(engine.lineCount(), lines);
    EXPECT_EQ(engine.text(), QString(QStringLiteral("word ")).repeated(4000));
}

TEST(EngineLayout, WrapModesChangeTheDisplayLines)
{
    Engine engine;
    engine.setViewportSize(QSize(1500, 3000));
    engine.setText(QString(QStringLiteral("word ")).repeated(60));

    engine.setTargetDevice(nullptr, 1);  // no wrap
    EXPECT_EQ(engine.lineCount(), 1);

    engine.setTargetDevice(nullptr, 0);  // the window's width
    const int atWindow = engine.lineCount();
    EXPECT_GT(atWindow, 1);

    engine.setRightMargin(6000);  // a wider line than the window
    EXPECT_LT(engine.lineCount(), atWindow);
    EXPECT_GT(engine.lineCount(), 1);
}

// A selection change scrolls the caret into view at once, unless the window is frozen: then
// the scroll waits for the last unfreeze.
TEST(EngineLayout, TheCaretIsScrolledIntoViewAfterTheLastUnfreeze)
{
    Engine engine;
    engine.setViewportSize(QSize(6000, 1500));
    engine.setText(numberedLines(200));

    engine.setSelStart(engine.text().size());
    const int followed = engine.firstVisibleLine();
    EXPECT_GT(followed, 150);

    engine.setSelStart(0);
    EXPECT_EQ(engine.firstVisibleLine(), 0);

    engine.freeze();
    engine.freeze();
    engine.setSelStart(engine.text().size());
    EXPECT_EQ(engine.lineFromChar(-1), 199);  // queries work while frozen
    EXPECT_EQ(engine.firstVisibleLine(), 0);
    engine.unfreeze();
    EXPECT_TRUE(engine.frozen());
    EXPECT_EQ(engine.firstVisibleLine(), 0);
    engine.unfreeze();
    EXPECT_FALSE(engine.frozen());
    EXPECT_EQ(engine.firstVisibleLine(), followed);

    EXPECT_EQ(engine.lineScroll(-1000), 1);
    EXPECT_EQ(engine.firstVisibleLine(), 0);
    EXPECT_EQ(engine.lineFromChar(-1), 199);  // scrolling leaves the caret alone
}
