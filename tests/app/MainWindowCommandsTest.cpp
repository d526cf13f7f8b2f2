// The main window's option, edit, insert and format commands, the toolbar, the refresh of
// toolbar and menu state, Help, New and the about window.
#include "app/AboutForm.h"
#include "platform/host/PrintServer.h"
#include "platform/host/SystemPrinter.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/RichTextView.h"
#include "platform/system/ShellService.h"
#include "platform/widgets/StatusBar.h"
#include "platform/widgets/XrLinkControl.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/FontFrm.h"
#include "richtext/core/XrRTB.h"
#include "richtext/printing/PrintPreview.h"
#include "tests/app/MainWindowSupport.h"
#include "tests/support/FakeCommonDialogs.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

using testsupport::MainWindowTest;

using OptionCommands = MainWindowTest;

TEST_F(OptionCommands, TogglesMoveControlCheckMarkAndKeyTogether)
{
    app::Form1& form = load();
    form.menuShowRuler->trigger();
    EXPECT_FALSE(form.XrRTB1->DisplayRuler());
    EXPECT_FALSE(form.menuShowRuler->isChecked());
    EXPECT_EQ(setting("SHOWRULER"), "0");
    form.menuShowRuler->trigger();
    EXPECT_TRUE(form.XrRTB1->DisplayRuler());
    EXPECT_TRUE(form.menuShowRuler->isChecked());
    EXPECT_EQ(setting("SHOWRULER"), "1");

    form.menuStatusBar->trigger();
    EXPECT_TRUE(form.StatusBar1->isHidden());
    EXPECT_FALSE(form.menuStatusBar->isChecked());
    EXPECT_EQ(setting("SHOWSTATUSBAR"), "0");

    form.menuVBSyntax->trigger();
    EXPECT_TRUE(form.XrRTB1->ShowVB6Syntax());
    EXPECT_TRUE(form.menuVBSyntax->isChecked());
    EXPECT_TRUE(form.menuApplyVBSyntax->isVisible());
    EXPECT_TRUE(form.menuVBSyntaxSeparator->isVisible());
    EXPECT_EQ(setting("ENABLEVISUALBASIC"), "1");
    form.menuVBSyntax->trigger();
    EXPECT_FALSE(form.menuApplyVBSyntax->isVisible());
    EXPECT_EQ(setting("ENABLEVISUALBASIC"), "0");
}

TEST_F(OptionCommands, RichTextSavingAsksOnlyWhenSwitchedOn)
{
    app::Form1& form = load();
    boxes.answer(host::vbCancel);
    form.menuAllowRTFormat->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Enable Richtext File (RTF) Save");
    EXPECT_EQ(boxes.shown()[0].style, host::vbOKCancel | host::vbInformation);
    EXPECT_TRUE(
        boxes.shown()[0].text.startsWith("Some formatting differences exist between "
                                         "Wexmoor Scrivet and other text editing software."));
    EXPECT_TRUE(boxes.shown()[0].text.endsWith("Click OK to enable RTF Saving."));
    EXPECT_FALSE(form.XrRTB1->AllowRTFSave());
    EXPECT_FALSE(form.menuAllowRTFormat->isChecked());
    EXPECT_EQ(setting("ENABLERTFSAVE"), "0");

    boxes.answer(host::vbOK);
    form.menuAllowRTFormat->trigger();
    EXPECT_TRUE(form.XrRTB1->AllowRTFSave());
    EXPECT_TRUE(form.menuAllowRTFormat->isChecked());
    EXPECT_EQ(setting("ENABLERTFSAVE"), "1");

    form.menuAllowRTFormat->trigger();
    EXPECT_EQ(boxes.shown().size(), 2u) << "switching off asks nothing";
    EXPECT_FALSE(form.XrRTB1->AllowRTFSave());
    EXPECT_EQ(setting("ENABLERTFSAVE"), "0");
}

TEST_F(OptionCommands, MarginAndWrapEntriesAreGroupsOfOne)
{
    app::Form1& form = load();
    form.menu1inch->trigger();
    EXPECT_TRUE(form.menu1inch->isChecked());
    EXPECT_FALSE(form.menu34inch->isChecked());
    EXPECT_EQ(form.XrRTB1->PrinterMargin(), 1440);
    EXPECT_EQ(setting("PRINTMARGIN"), "1440");
    form.menu34inch->trigger();
    EXPECT_FALSE(form.menu1inch->isChecked());
    EXPECT_EQ(form.XrRTB1->PrinterMargin(), 1080);
    EXPECT_EQ(setting("PRINTMARGIN"), "1080");

    const std::pair<QAction*, const char*> entries[] = {
        {form.menuNoWrap, "0"}, {form.menuWrapRuler, "2"}, {form.menuWindowWrap, "1"}};
    for (const auto& [entry, stored] : entries) {
        entry->trigger();
        EXPECT_EQ(setting("WRAP"), stored);
        for (QAction* other : {form.menuNoWrap, form.menuWrapRuler, form.menuWindowWrap})
            EXPECT_EQ(other->isChecked(), other == entry) << other->objectName().toStdString();
    }
}

TEST_F(OptionCommands, HelpOpensTheInstalledHelpFileAndNewStartsTheProgramAgain)
{
    app::Form1& form = load();
    form.menuGeneralHelp->trigger();
    ASSERT_EQ(shell.opened().size(), 1u);
    EXPECT_EQ(shell.opened()[0], appData.path() + "/Wexmoor Software/Help/Scrivet.chm");

    form.XrRTB1->LetText("kept");
    form.menuNew->trigger();
    ASSERT_EQ(shell.started().size(), 1u);
    EXPECT_EQ(shell.started()[0].program, app::programPath());
    EXPECT_EQ(form.XrRTB1->Text(), "kept");
}

// On a desktop without a viewer for compiled help, the help's pages go to the browser; without
// a browser either, the user is told.
TEST_F(OptionCommands, HelpTopicsHandsTheDesktopOpenerAPageOfTheHelp)
{
    QStringList opened;
    bool hasBrowser = false;
    sys::OpenFailed openerFailed;
    const std::unique_ptr<sys::ShellService> desktop = sys::makeDesktopShell(
        [&](const QString& url, const sys::OpenFailed& failed) {
            opened << url;
            openerFailed = failed;
            return true;
        },
        [&](const QString& path) { return hasBrowser && path.endsWith(".htm"); });
    testsupport::ScopedService<sys::ShellService> installed(sys::shellService(), *desktop);
    app::Form1& form = load();
    form.menuGeneralHelp->trigger();
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Unknown Filetype.");
    EXPECT_EQ(boxes.shown()[0].style, host::vbOKOnly | host::vbInformation);

    hasBrowser = true;
    form.menuGeneralHelp->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(boxes.shown().size(), 1u);
    const QUrl address(opened[0]);
    ASSERT_TRUE(address.isLocalFile());
    const QString page = address.toLocalFile();
    EXPECT_EQ(QMimeDatabase().mimeTypeForFile(page).name(), "text/html");
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
    // The pages it links to are beside it.
    static const QRegularExpression link(QStringLiteral("href=\"([a-z]+\\.htm)\""));
    int links = 0;
    for (const QRegularExpressionMatch& match : link.globalMatch(QString::fromUtf8(html))) {
        EXPECT_TRUE(QFileInfo::exists(QFileInfo(page).dir().filePath(match.captured(1))))
            << match.captured(1).toStdString();
        ++links;
    }
    EXPECT_GT(links, 0);

    // The program the desktop names for web pages cannot show them after all (only a
    // terminal editor handles their parent type): the user is told as when there is none.
    ASSERT_TRUE(openerFailed);
    openerFailed();
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[1].text, "Unknown Filetype.");
    EXPECT_EQ(boxes.shown()[1].owner, window.get());
}

TEST_F(OptionCommands, AboutWindowShowsTheInstalledAboutText)
{
    load();
    app::AboutForm about(window.get());
    about.Form_Load();
    EXPECT_TRUE(about.XrRTB1->Text().startsWith("Wexmoor Scrivet\r\n"));
    EXPECT_TRUE(about.XrRTB1->Text().contains("support@wexmoor.test"));
    EXPECT_TRUE(about.XrRTB1->Locked());

    QStringList navigated;
    const auto previous = XrLinkControl::setUrlOpener([&navigated](const QUrl& url) {
        navigated << url.toString();
        return true;
    });
    emit about.XrLinkControl1->Click();
    XrLinkControl::setUrlOpener(previous);
    EXPECT_EQ(navigated, QStringList({"http://www.wexmoor.test"}));

    // A deleted about file shows an empty text.
    QFile::remove(setting("ABOUTLOC"));
    app::AboutForm empty(window.get());
    empty.Form_Load();
    EXPECT_EQ(empty.XrRTB1->Text(), "");
}

TEST_F(OptionCommands, AboutWindowClosesOnReturnAndEscapeFromItsText)
{
    load();
    for (const auto& [key, result] : {std::pair{Qt::Key_Return, int(QDialog::Accepted)},
                                      std::pair{Qt::Key_Escape, int(QDialog::Rejected)}}) {
        app::AboutForm about(window.get());
        about.Form_Load();
        about.setResult(-1);
        about.show();
        auto* view = about.XrRTB1->findChild<QWidget*>(QStringLiteral("RichTextBox1View"));
        ASSERT_NE(view, nullptr);
        view->setFocus();
        const QString before = about.XrRTB1->Text();
        QTest::keyClick(view, key);
        EXPECT_FALSE(about.isVisible()) << key;
        EXPECT_EQ(about.result(), result) << key;
        EXPECT_EQ(about.XrRTB1->Text(), before);
    }
}

using EditCommands = MainWindowTest;

TEST_F(EditCommands, RefreshShowsWhatTheSelectionAllows)
{
    app::Form1& form = load();
    form.RefreshToolbarState();
    for (QAction* entry : {form.menuUpperCase, form.menuLowerCase, form.menuTitleCase,
                           form.menuToggleCase, form.menuHighlight, form.menuCut, form.menuDelete})
        EXPECT_FALSE(entry->isEnabled()) << entry->objectName().toStdString();
    EXPECT_FALSE(form.HighLightButton->isEnabled());
    EXPECT_EQ(form.menuSelectAll->isEnabled(), form.XrRTB1->CanSelectAll());

    form.XrRTB1->LetText("plain words");
    form.XrRTB1->LetSelStart(0);
    form.XrRTB1->LetSelLength(5);
    form.XrRTB1->LetSelBold(true);
    bool centre = true;
    form.XrRTB1->AlignCenter(centre);
    form.RefreshToolbarState();
    for (QAction* entry : {form.menuUpperCase, form.menuLowerCase, form.menuTitleCase,
                           form.menuToggleCase, form.menuHighlight})
        EXPECT_TRUE(entry->isEnabled()) << entry->objectName().toStdString();
    EXPECT_TRUE(form.HighLightButton->isEnabled());
    EXPECT_TRUE(form.BoldButton->Value());
    EXPECT_FALSE(form.ItalicsButton->Value());
    EXPECT_TRUE(form.CenterButton->Value());
    EXPECT_FALSE(form.AlignLeftButton->Value());
    EXPECT_FALSE(form.AlignRightButton->Value());

    // A selection of mixed weight shows the button up.
    form.XrRTB1->LetSelLength(8);
    form.RefreshToolbarState();
    EXPECT_FALSE(form.BoldButton->Value());

    // The swatches follow colours set elsewhere.
    form.XrRTB1->LetMyHLColor(0x0000FF);
    form.RefreshToolbarState();
    EXPECT_EQ(form.SelectHLColor->BackColor(), 0x0000FFu);
}

TEST_F(EditCommands, FormattingButtonsPassTheValueTheUserAsksFor)
{
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    control.LetText("one two");
    control.LetSelStart(0);
    control.LetSelLength(3);

    form.BoldButton->click();
    EXPECT_TRUE(control.SelBold());
    EXPECT_TRUE(form.BoldButton->Value());
    form.BoldButton->click();
    EXPECT_FALSE(control.SelBold());
    form.UnderlineButton->click();
    EXPECT_TRUE(control.SelUnderline());

    form.NumbersButton->click();
    ListNN numbered = ListNumberQ;
    EXPECT_TRUE(control.SelListMethod(numbered));
    form.NumbersButton->click();
    ListNN none = ListNoneQ;
    EXPECT_TRUE(control.SelListMethod(none));

    form.AlignRightButton->click();
    EXPECT_EQ(control.GetAlignment().toInt(), 1);
    EXPECT_TRUE(form.AlignRightButton->Value());
    EXPECT_FALSE(form.AlignLeftButton->Value());

    control.LetMyFontColor(0x0000FF);
    form.FontColorButton->click();
    EXPECT_EQ(control.SelColor(), 0x0000FFu);
}

// Bullets on two paragraphs, then a drag of the left indent handle on one: Ctrl+Z takes back
// the drag, and only the drag.
TEST_F(EditCommands, UndoAfterAnIndentDragTakesBackTheDrag)
{
    app::Form1& form = load();
    form.show();
    XrRTB& control = *form.XrRTB1;
    auto& engine =
        control.findChild<richedit::RichTextBox*>(QStringLiteral("RichTextBox1"))->engine();
    auto* view = control.findChild<richedit::RichTextView*>(QStringLiteral("RichTextBox1View"));
    auto* handle = control.findChild<QWidget*>(QStringLiteral("LIHandle"));
    ASSERT_NE(handle, nullptr);
    control.LetText("first line\r\nsecond line");
    engine.exSetSel({0, -1});
    form.BulletsButton->click();
    const auto formatOf = [&engine](int paragraph) {
        return engine.document().paragraphFormat(paragraph);
    };
    ASSERT_EQ(formatOf(0).numbering, richedit::Bullet);
    ASSERT_EQ(formatOf(1).numbering, richedit::Bullet);
    const richedit::ParaFormat bulleted = formatOf(1);

    control.LetSelStart(15);
    const QPoint middle(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, middle);
    for (const int step : {20, 40, 60}) {
        const QPointF at(middle.x() + step, middle.y());
        QMouseEvent move(QEvent::MouseMove, at, handle->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
    }
    QTest::mouseRelease(handle, Qt::LeftButton, {}, middle);
    ASSERT_GT(formatOf(1).startIndent, bulleted.startIndent);

    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(formatOf(1), bulleted);
    EXPECT_EQ(formatOf(0).numbering, richedit::Bullet);
    EXPECT_EQ(control.Text(), QStringLiteral("first line\r\nsecond line"));
}

// Format > Font closed with OK and nothing changed: Ctrl+Z still takes back the typing.
TEST_F(EditCommands, FontDialogClosedUnchangedLeavesTheTypingUndoable)
{
    app::Form1& form = load();
    form.show();
    XrRTB& control = *form.XrRTB1;
    auto* view = control.findChild<richedit::RichTextView*>(QStringLiteral("RichTextBox1View"));
    QTest::keyClicks(view, QStringLiteral("typed"));
    ASSERT_EQ(control.Text(), QStringLiteral("typed"));
    bool shown = false;
    FontFrm::setShowHook([&shown](FontFrm& dialog) {
        shown = true;
        dialog.OKButton->click();
    });
    form.menuFont->trigger();
    FontFrm::setShowHook({});
    ASSERT_TRUE(shown);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(control.Text(), QString());
}

TEST_F(EditCommands, InsertEntriesReplaceTheSelection)
{
    app::Form1& form = load();
    form.setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(21, 5, 3)); });
    XrRTB& control = *form.XrRTB1;
    control.LetText("xAy");
    control.LetSelStart(1);
    control.LetSelLength(1);
    form.menuCopyRight->trigger();
    EXPECT_EQ(control.Text(), QString("x") + QChar(0xA9) + "y");
    for (QAction* entry : {form.menuParagraph, form.menuSection, form.menuRegistered,
                           form.menuTradeMark, form.menuEllipsis})
        entry->trigger();
    EXPECT_EQ(control.Text(), QString("x") + QChar(0xA9) + QChar(0xB6) + QChar(0xA7) + QChar(0xAE) +
                                  QChar(0x2122) + QChar(0x2026) + "y");

    control.LetText("");
    form.menuMilitTime->trigger();
    EXPECT_EQ(control.Text(), " 21:05:03 ");
    control.LetText("");
    form.menuWriteDate->trigger();
    EXPECT_EQ(control.Text(), " March 05, 2026 ");

    control.LetText("mixed Case");
    control.LetSelStart(0);
    control.LetSelLength(10);
    form.menuUpperCase->trigger();
    EXPECT_EQ(control.Text(), "MIXED CASE");
    form.menuTitleCase->trigger();
    EXPECT_EQ(control.Text(), "Mixed Case");
}

TEST_F(EditCommands, WholeDocumentEntriesFollowTheText)
{
    store("ENABLEVISUALBASIC", "1");
    app::Form1& form = load();
    form.XrRTB1->LetText("some text");
    form.RefreshToolbarState();
    for (QAction* entry :
         {form.menuFindReplace, form.menuApplyVBSyntax, form.menuSpellCheck, form.menuWordCount})
        EXPECT_TRUE(entry->isEnabled()) << entry->objectName().toStdString();
    EXPECT_TRUE(form.menuRandomWord->isEnabled());
    form.XrRTB1->LetText("");
    form.RefreshToolbarState();
    for (QAction* entry :
         {form.menuFindReplace, form.menuApplyVBSyntax, form.menuSpellCheck, form.menuWordCount})
        EXPECT_FALSE(entry->isEnabled()) << entry->objectName().toStdString();
    EXPECT_TRUE(form.menuRandomWord->isEnabled()) << "the refresh leaves Random Word alone";
}

TEST_F(EditCommands, LanguageEntriesOpenTheirDialogs)
{
    app::Form1& form = load();
    form.XrRTB1->LetText("a fewx wordz to chekk");
    form.RefreshToolbarState();
    QStringList opened;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened << dialog->metaObject()->className();
            dialog->close();
        }
    });
    closer.start(5);
    form.menuSpellCheck->trigger();
    form.SpellCheckButton->click();
    form.menuWordCount->trigger();
    form.menuRandomWord->trigger();
    closer.stop();
    EXPECT_EQ(opened,
              QStringList({"SpellCheckFrm", "SpellCheckFrm", "CountWordsFrm", "RandomFrm"}));
}

TEST_F(EditCommands, FindReplaceOpensFromTheMenuTheButtonAndCtrlF)
{
    app::Form1& form = load();
    form.XrRTB1->LetText("find me");
    form.RefreshToolbarState();
    // Closes each dialog as soon as it is up, noting what it was.
    QStringList opened;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened << dialog->metaObject()->className();
            dialog->close();
        }
    });
    closer.start(5);
    auto* view = form.XrRTB1->findChild<richedit::RichTextView*>("RichTextBox1View");
    ASSERT_NE(view, nullptr);
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    form.menuFindReplace->trigger();
    form.FindButton->click();
    closer.stop();
    EXPECT_EQ(opened, QStringList({"FindReplaceFrm", "FindReplaceFrm", "FindReplaceFrm"}));
}

TEST_F(EditCommands, PrintPreviewNeedsAPrinter)
{
    app::Form1& form = load();
    int previews = 0;
    PrintPreview::setShowHook([&previews](PrintPreview&) { ++previews; });
    form.menuPrint->trigger();
    form.PrintButton->click();
    EXPECT_EQ(previews, 2);
    EXPECT_TRUE(boxes.shown().empty());

    printer.setInstalled(false);
    form.menuPrint->trigger();
    PrintPreview::setShowHook({});
    EXPECT_EQ(previews, 2);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Install and connect a printer for printing.");
    EXPECT_EQ(boxes.shown()[0].title, "No Printer Detected!");
}

// Print to PDF whose file dialog is cancelled prints nothing, says nothing and asks once for all
// the copies.
TEST_F(EditCommands, CancellingThePdfFileDialogEndsThePrintQuietly)
{
    struct NoQueues : host::PrintServer {
        QList<host::PrintQueue> queues() override { return {}; }
        host::OpenedQueue open(const QString&) override { return {}; }
    } server;
    testsupport::ScopedService<host::PrintServer> serverInstalled(host::printServerService(),
                                                                  server);
    const std::unique_ptr<host::PrinterDevice> pdfOnly = host::makeSystemPrinter();
    testsupport::ScopedService<host::PrinterDevice> printerInstalled(host::printerService(),
                                                                     *pdfOnly);
    testsupport::FakeCommonDialogs dialogs;
    app::Form1& form = load();
    form.XrRTB1->LetText("A letter that will not be printed.");
    PrintPreview::setShowHook([](PrintPreview& preview) {
        preview.CopiesTxt->setText(QStringLiteral("2"));
        preview.PrintButton->click();
    });
    form.menuPrint->trigger();
    PrintPreview::setShowHook({});
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "Print to PDF");
    EXPECT_TRUE(boxes.shown().empty()) << boxes.shown()[0].text.toStdString();
    EXPECT_FALSE(host::printerService().get().printing());
}

TEST_F(EditCommands, KeywordColouringRunsWithItsProgressTimer)
{
    store("ENABLEVISUALBASIC", "1");
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    control.LetText("Dim total As Long");
    form.RefreshToolbarState();
    form.menuApplyVBSyntax->trigger();
    EXPECT_FALSE(form.Timer1->isActive());
    control.LetSelStart(0);
    control.LetSelLength(3);
    EXPECT_NE(control.SelColor(), 0u) << "the keyword is coloured";
    control.LetSelStart(4);
    control.LetSelLength(5);
    EXPECT_EQ(control.SelColor(), 0u);
}

}  // namespace
