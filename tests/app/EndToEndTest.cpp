// The program as a person uses it: typing into the real main window, bold by key and by the
// toolbar, Save As RTF, close, and a new start with the saved file on the command line.
#include "platform/richedit/view/RichTextView.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"
#include "tests/app/MainWindowSupport.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/FakeCommonDialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMimeData>
#include <QTest>

namespace {

class EndToEnd : public testsupport::MainWindowTest {
protected:
    app::Form1& show(const QString& commandLine = {})
    {
        app::Form1& form = load(commandLine);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        view = form.XrRTB1->findChild<richedit::RichTextView*>(QStringLiteral("RichTextBox1View"));
        EXPECT_NE(view, nullptr);
        return form;
    }
    // Selects the word that ends at the caret with Shift+Left.
    void selectBackwards(int characters)
    {
        for (int step = 0; step < characters; ++step)
            QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
        QApplication::processEvents();
    }

    QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    testsupport::FakeCommonDialogs dialogs;
    testsupport::FakeClipboard clipboard;
    richedit::RichTextView* view = nullptr;
};

TEST_F(EndToEnd, TypedFormattedAndLinkedTextComesBackFromItsFile)
{
    const QString path = appData.filePath("Letter.rtf");
    const QString typed = "Visit www.example.com today for bold news";
    {
        app::Form1& form = show();
        XrRTB& control = *form.XrRTB1;
        view->setFocus();
        QTest::keyClicks(view, typed);
        QApplication::processEvents();
        ASSERT_EQ(control.Text(), typed);

        // "news" bold by Ctrl+B, "bold" by the toolbar button.
        selectBackwards(4);
        QTest::keyClick(view, Qt::Key_B, Qt::ControlModifier);
        QApplication::processEvents();
        EXPECT_TRUE(control.SelBold());
        QTest::keyClick(view, Qt::Key_Left);
        QTest::keyClick(view, Qt::Key_Left);
        selectBackwards(4);
        ASSERT_EQ(control.SelText(), "bold");
        QTest::mouseClick(form.BoldButton, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_TRUE(control.SelBold());
        EXPECT_TRUE(form.BoldButton->Value());
        EXPECT_TRUE(control.HasRTBChanged());

        // RTF saving on, then Save As RTF (the second filter entry).
        boxes.answer(host::vbOK);
        form.menuAllowRTFormat->trigger();
        dialogs.answer(host::DialogAnswer::file(path, 2));
        form.menuSaveas->trigger();
        EXPECT_EQ(form.windowTitle(), "Letter.rtf - Wexmoor Scrivet");
        EXPECT_TRUE(form.close());
    }
    window.reset();

    app::Form1& again = show("\"" + path + "\"");
    XrRTB& control = *again.XrRTB1;
    EXPECT_EQ(again.windowTitle(), "Letter.rtf - Wexmoor Scrivet");
    EXPECT_EQ(control.Text(), typed);
    const auto boldAt = [&control](int start, int length) {
        control.LetSelStart(start);
        control.LetSelLength(length);
        return control.SelBold();
    };
    const int bold = typed.indexOf("bold");
    const int news = typed.indexOf("news");
    EXPECT_TRUE(boldAt(bold, 4));
    EXPECT_TRUE(boldAt(news, 4));
    EXPECT_FALSE(boldAt(0, 5));
    EXPECT_FALSE(boldAt(bold - 4, 3));
    // The address is a live link again: the link mark on its characters, found at a hit.
    const auto linkAt = [&control](int position, QString& address) {
        control.LetSelStart(position);
        control.LetSelLength(1);
        return control.DetectURLZone(position, address);
    };
    QString address;
    EXPECT_TRUE(linkAt(typed.indexOf("example"), address));
    EXPECT_EQ(address, "www.example.com");
    EXPECT_FALSE(linkAt(typed.indexOf("today") + 1, address));
}

TEST_F(EndToEnd, HelpChosenByEnterLeavesAnUntouchedDocumentUnchanged)
{
    app::Form1& form = show();
    view->setFocus();
    // The menu takes the press of Enter; its release comes to the editor, which has the focus.
    form.menuGeneralHelp->trigger();
    QTest::keyRelease(view, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(shell.opened().size(), 1u);
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
    EXPECT_TRUE(form.selectionRefresh()) << "the caret's panels follow it again";
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(boxes.shown().empty()) << "Exit asked about an untouched document";
}

TEST_F(EndToEnd, PastedTextKeepsNothingInvisibleInTheDocumentOrItsFiles)
{
    app::Form1& form = show();
    XrRTB& control = *form.XrRTB1;
    const QString kept = QString::fromUtf16(u"tab\uFFFDle\uFFFD \U0001F600");
    auto* data = new QMimeData;
    data->setText(QString("t") + QChar(0) + "ab" + QChar(0xD83D) + "le" + QChar(0xDE00) + " " +
                  QString::fromUtf16(u"\U0001F600"));
    clipboard.setMimeData(data);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_EQ(control.Text(), kept);

    const QString rtf = appData.filePath("pasted.wmdf");
    dialogs.answer(host::DialogAnswer::file(rtf, 1));
    form.menuSaveas->trigger();
    EXPECT_FALSE(readFile(rtf).contains("\\'00"));
    EXPECT_EQ(readFile(rtf).count("\\u-3?"), 2);
    const QString text = appData.filePath("pasted.txt");
    dialogs.answer(host::DialogAnswer::file(text, 2));
    form.menuSaveas->trigger();
    EXPECT_EQ(readFile(text), kept.toUtf8());
    for (const QString& path : {rtf, text}) {
        control.LetText("other");
        bool changed = false;
        control.SetRTBChanged(changed);
        dialogs.answer(host::DialogAnswer::file(path, 1));
        form.menuOpen->trigger();
        EXPECT_EQ(control.Text(), kept) << path.toStdString();
    }
}

}  // namespace
