// Typing into the program's window: the editing control keeps what was typed in sight and
// scrolls only when the caret leaves the visible part of the document.
#include "app/Form1.h"
#include "app/ScrivetApplication.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/core/XrRTB.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <memory>

namespace {

struct ShownWindow {
    std::unique_ptr<QWidget> window;
    XrRTB* control = nullptr;
    richedit::RichTextView* view = nullptr;
};

ShownWindow showMainWindow()
{
    app::registerControlLibraries();
    ShownWindow shown;
    app::Form1* window = app::createMainWindow();
    shown.window.reset(window);
    shown.control = window->XrRTB1;
    shown.window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(shown.window.get()));
    shown.view =
        shown.control->findChild<richedit::RichTextView*>(QStringLiteral("RichTextBox1View"));
    return shown;
}

void typeLines(QWidget* target, int count)
{
    for (int line = 1; line <= count; ++line) {
        if (line > 1)
            QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClicks(target, QStringLiteral("Line %1").arg(line));
    }
    QApplication::processEvents();
}

// Rows of the image that hold anything but the background colour of its top-left pixel.
int inkedRows(const QImage& image, int fromRow, int toRow)
{
    const QRgb background = image.pixel(image.width() / 2, image.height() - 1);
    int rows = 0;
    for (int y = fromRow; y < toRow && y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

}  // namespace

TEST(MainWindowTyping, TenTypedLinesStayInSight)
{
    ShownWindow shown = showMainWindow();
    ASSERT_NE(shown.view, nullptr);
    typeLines(shown.view, 10);
    EXPECT_EQ(shown.control->FirstVisibleLine(), 1) << "the first line scrolled out of sight";
    EXPECT_EQ(shown.control->TotalLineCount(), 10);
    EXPECT_GE(shown.control->LastVisibleLine(), 10);
    EXPECT_EQ(shown.view->verticalScrollBar()->value(), 0);
    // The scroll bar's page spans the lines the window shows, far more than one.
    EXPECT_GE(shown.view->verticalScrollBar()->pageStep(), 10);

    const QImage shot = shown.view->viewport()->grab().toImage();
    // Text at the top of the page, not an empty page.
    EXPECT_GT(inkedRows(shot, 0, shot.height() / 4), 5);
}

TEST(MainWindowTyping, ScrollsOnlyWhenTheCaretLeavesTheViewAndByTheLeastAmount)
{
    ShownWindow shown = showMainWindow();
    ASSERT_NE(shown.view, nullptr);
    // A small window, without the ruler and then with it, each after a resize.
    for (bool ruler : {false, true}) {
        SCOPED_TRACE(ruler ? "with the ruler" : "without the ruler");
        shown.control->LetDisplayRuler(ruler);
        shown.window->resize(500, 260);
        QApplication::processEvents();
        shown.control->LetText(QString());
        QApplication::processEvents();

        typeLines(shown.view, 1);
        int lines = 1;
        // Every line typed while the window has room stays in sight, the first one on top.
        while (lines < 200) {
            QTest::keyClick(shown.view, Qt::Key_Return);
            QTest::keyClicks(shown.view, QStringLiteral("x"));
            QApplication::processEvents();
            ++lines;
            if (shown.control->FirstVisibleLine() != 1)
                break;
            ASSERT_EQ(shown.control->LastVisibleLine(), lines) << "line " << lines;
        }
        ASSERT_LT(lines, 200) << "the view never scrolled";
        EXPECT_GT(lines, 4) << "the window shows several lines";
        // The first line below the view scrolls it by one line, showing the caret's line.
        EXPECT_EQ(shown.control->FirstVisibleLine(), 2);
        EXPECT_EQ(shown.control->LastVisibleLine(), lines);
        EXPECT_EQ(shown.view->verticalScrollBar()->value(), 1);
        EXPECT_GE(shown.view->verticalScrollBar()->pageStep(), lines - 2);

        // A taller window shows the whole document again and does not scroll it away.
        shown.window->resize(500, 600);
        QApplication::processEvents();
        EXPECT_LE(shown.control->FirstVisibleLine(), 2);
        EXPECT_EQ(shown.control->LastVisibleLine(), lines);
    }
}
