// The main window's start, caption and status panels, geometry, close, event handlers and the
// splash window that opens it.
#include "app/StartUpForm.h"
#include "controls/frame/XrFrameControl.h"
#include "controls/progressbar/XrucProgressBar.h"
#include "image/control/XrImageControl.h"
#include "platform/host/KeyCodes.h"
#include "platform/widgets/StatusBar.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"
#include "tests/app/MainWindowSupport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using testsupport::MainWindowTest;

QString panel(app::Form1& window, int index)
{
    return window.StatusBar1->Panels(index).Text();
}

using MainWindowStart = MainWindowTest;

TEST_F(MainWindowStart, WithoutArgumentsShowsANewOwnDocument)
{
    app::Form1& form = load();
    EXPECT_EQ(form.documentPath(), "");
    EXPECT_EQ(form.documentType(), app::rtfWXF);
    EXPECT_EQ(form.windowTitle(), "Document.wmdf - Wexmoor Scrivet");
    EXPECT_EQ(panel(form, 1), "Document Name: Document.wmdf");
    EXPECT_EQ(panel(form, 2), "Line: " + QString::number(form.XrRTB1->VanticLine()));
    EXPECT_EQ(panel(form, 3), "Column: " + QString::number(form.XrRTB1->VanticColumn()));
    EXPECT_EQ(panel(form, 4), "Position: " + QString::number(form.XrRTB1->VanticChar()));
    EXPECT_TRUE(form.XrRTB2->isHidden());
    ASSERT_NE(form.XrImageControl1, nullptr);
    EXPECT_TRUE(form.XrImageControl1->isHidden());
    EXPECT_EQ(form.StatusBar1->PanelCount(), 4);
}

TEST_F(MainWindowStart, CommandLineNamesTheDocumentAndItsType)
{
    app::Form1& form = load("\"/home/me/My Files/a.txt\"");
    EXPECT_EQ(form.documentPath(), "/home/me/My Files/a.txt");
    EXPECT_EQ(form.documentType(), app::rtfText);
    // The wrap mode's Ready at the end of the load shows the display name.
    EXPECT_EQ(form.windowTitle(), "a.txt - Wexmoor Scrivet");
    EXPECT_EQ(panel(form, 1), "Document Name: a.txt");
    form.UpdateTitleAndStatus(true);
    EXPECT_EQ(form.windowTitle(), "/home/me/My Files/a.txt.txt - Wexmoor Scrivet");

    EXPECT_EQ(load("/media/LETTER~1.WMD").documentType(), app::rtfWXF);
    EXPECT_EQ(load("/home/me/notes.odt").documentType(), app::rtfRTF);
    EXPECT_EQ(load("/home/me/Letter.rtf").CurExt(), ".rtf");
}

TEST_F(MainWindowStart, LoadsTheNamedFileWithLinksAndAnEmptyUndoHistory)
{
    const QString path = appData.filePath("My Notes.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("see www.example.com\r\nbye");
    file.close();
    app::Form1& form = load("\"" + path + "\"");
    XrRTB& control = *form.XrRTB1;
    EXPECT_EQ(control.Text(), "see www.example.com\r\nbye");
    EXPECT_FALSE(control.CanUndo());
    EXPECT_FALSE(control.HasRTBChanged());
    control.LetSelStart(6);
    control.LetSelLength(1);
    QString address;
    EXPECT_TRUE(control.DetectURLZone(6, address));

    // Links stored off: the loaded document keeps none.
    store("ENABLEAUTOLINK", "0");
    app::Form1& plain = load("\"" + path + "\"");
    plain.XrRTB1->LetSelStart(6);
    plain.XrRTB1->LetSelLength(1);
    EXPECT_FALSE(plain.XrRTB1->DetectURLZone(6, address));

    // A file that cannot be read still opens the window with its path and type.
    app::Form1& missing = load(appData.filePath("gone.wmd"));
    EXPECT_EQ(missing.documentType(), app::rtfWXF);
    EXPECT_EQ(missing.windowTitle(), "gone.wmdf - Wexmoor Scrivet");
}

TEST_F(MainWindowStart, RestoresTheStoredGeometry)
{
    store("APPWIDTH", "9000");
    store("APPHEIGHT", "6000");
    app::Form1& form = load();
    EXPECT_EQ(form.size(), QSize(600, 400));
    EXPECT_FALSE(form.windowState().testFlag(Qt::WindowMaximized));

    store("WINDOWSTATE", "2");
    EXPECT_TRUE(load().windowState().testFlag(Qt::WindowMaximized));
}

TEST_F(MainWindowStart, AppliesTheStoredOptions)
{
    app::Form1& defaults = load();
    EXPECT_TRUE(defaults.menuShowRuler->isChecked());
    EXPECT_TRUE(defaults.menuStatusBar->isChecked());
    EXPECT_FALSE(defaults.menuAllowRTFormat->isChecked());
    EXPECT_TRUE(defaults.menuAllowAutomaticHyperlink->isChecked());
    EXPECT_TRUE(defaults.XrRTB1->DetectHyperLinks());
    EXPECT_FALSE(defaults.menuApplyVBSyntax->isVisible());
    EXPECT_TRUE(defaults.menu34inch->isChecked());
    EXPECT_FALSE(defaults.menu1inch->isChecked());
    EXPECT_EQ(defaults.XrRTB1->PrinterMargin(), 1080);
    EXPECT_TRUE(defaults.menuWindowWrap->isChecked());
    EXPECT_FALSE(defaults.menuWrapRuler->isChecked());
    EXPECT_EQ(defaults.XrRTB1->Font().family(), "Verdana");
    EXPECT_EQ(defaults.XrRTB1->Font().pointSize(), 11);
    EXPECT_EQ(defaults.XrRTB1->MyHLColor(), 65535u);

    store("SHOWRULER", "0");
    store("SHOWSTATUSBAR", "0");
    store("ENABLERTFSAVE", "1");
    store("DISABLELINKING", "1");
    store("ENABLEVISUALBASIC", "1");
    store("FONTSTYLE", "Bold Italic");
    store("FONTSIZE", "14");
    store("FONTUNDERLINE", "True");
    store("PRINTMARGIN", "1440");
    store("FONTCOLOR", "255");
    store("HIGHLIGHTCOLOR", "65280");
    store("WRAP", "0");
    app::Form1& form = load();
    EXPECT_FALSE(form.XrRTB1->DisplayRuler());
    EXPECT_FALSE(form.menuShowRuler->isChecked());
    EXPECT_TRUE(form.StatusBar1->isHidden());
    EXPECT_TRUE(form.XrRTB1->AllowRTFSave());
    EXPECT_TRUE(form.menuDisableHyperlinking->isChecked());
    EXPECT_FALSE(form.menuAllowAutomaticHyperlink->isChecked());
    EXPECT_FALSE(form.menuAllowAutomaticHyperlink->isEnabled());
    EXPECT_FALSE(form.HyperlinkButton->isEnabled());
    EXPECT_FALSE(form.XrRTB1->DetectHyperLinks());
    EXPECT_TRUE(form.XrRTB1->ShowVB6Syntax());
    EXPECT_TRUE(form.menuApplyVBSyntax->isVisible());
    EXPECT_TRUE(form.XrRTB1->Font().bold());
    EXPECT_TRUE(form.XrRTB1->Font().italic());
    EXPECT_TRUE(form.XrRTB1->Font().underline());
    EXPECT_EQ(form.XrRTB1->Font().pointSize(), 14);
    EXPECT_TRUE(form.menu1inch->isChecked());
    EXPECT_EQ(form.XrRTB1->PrinterMargin(), 1440);
    EXPECT_EQ(form.XrRTB1->MyFontColor(), 255u);
    EXPECT_EQ(form.SelectFontColor->BackColor(), 255u);
    EXPECT_EQ(form.SelectHLColor->BackColor(), 65280u);
    EXPECT_TRUE(form.menuNoWrap->isChecked());
}

TEST_F(MainWindowStart, ValuesOutsideTheirListsChangeNothing)
{
    store("PRINTMARGIN", "1000");
    store("WRAP", "3");
    store("SHOWRULER", "7");
    app::Form1& form = load();
    EXPECT_FALSE(form.menu1inch->isChecked());
    EXPECT_FALSE(form.menu34inch->isChecked());
    EXPECT_EQ(form.XrRTB1->PrinterMargin(), XrRTB().PrinterMargin());
    EXPECT_FALSE(form.menuWrapRuler->isChecked());
    EXPECT_FALSE(form.menuWindowWrap->isChecked());
    EXPECT_FALSE(form.menuNoWrap->isChecked());
    EXPECT_FALSE(form.menuShowRuler->isChecked());
    EXPECT_EQ(setting("WRAP"), "3");
}

TEST_F(MainWindowStart, WithoutAPrinterRulerWrapBecomesWindowWrap)
{
    store("WRAP", "2");
    printer.setInstalled(false);
    app::Form1& form = load();
    EXPECT_EQ(setting("WRAP"), "1");
    EXPECT_TRUE(form.menuWindowWrap->isChecked());
    EXPECT_FALSE(form.menuWrapRuler->isChecked());
    EXPECT_FALSE(form.menuWrapRuler->isEnabled());

    store("WRAP", "0");
    app::Form1& noWrap = load();
    EXPECT_EQ(setting("WRAP"), "0");
    EXPECT_TRUE(noWrap.menuNoWrap->isChecked());
    EXPECT_FALSE(noWrap.menuWrapRuler->isEnabled());

    printer.setInstalled(true);
    store("WRAP", "2");
    app::Form1& withPrinter = load();
    EXPECT_EQ(setting("WRAP"), "2");
    EXPECT_TRUE(withPrinter.menuWrapRuler->isChecked());
    EXPECT_TRUE(withPrinter.menuWrapRuler->isEnabled());
}

using MainWindowClose = MainWindowTest;

TEST_F(MainWindowClose, StoresTheGeometryByTheRules)
{
    app::Form1& form = load();
    form.resize(700, 500);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(setting("APPWIDTH"), "10500");
    EXPECT_EQ(setting("APPHEIGHT"), "7500");
    EXPECT_EQ(setting("WINDOWSTATE"), "0");

    app::Form1& low = load();
    low.resize(700, 120);  // 1800 twips
    low.close();
    EXPECT_EQ(setting("APPHEIGHT"), "2400");

    app::Form1& minimised = load();
    minimised.resize(300, 300);
    minimised.setWindowState(Qt::WindowMinimized);
    minimised.close();
    EXPECT_EQ(setting("APPHEIGHT"), "9357");
    EXPECT_EQ(setting("APPWIDTH"), "11790");
    EXPECT_EQ(setting("WINDOWSTATE"), "0");

    app::Form1& maximised = load();
    maximised.setWindowState(Qt::WindowMaximized);
    maximised.close();
    EXPECT_EQ(setting("WINDOWSTATE"), "2");

    // What was stored is what the next start restores.
    store("APPWIDTH", "10500");
    store("APPHEIGHT", "7500");
    store("WINDOWSTATE", "0");
    EXPECT_EQ(load().size(), QSize(700, 500));
}

using MainWindowEvents = MainWindowTest;

TEST_F(MainWindowEvents, SelectionRefreshFollowsBracketsAndKeys)
{
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    emit control.Begin();
    EXPECT_FALSE(form.selectionRefresh());
    form.StatusBar1->Panels(1).setText("stale");
    emit control.SelChange();
    EXPECT_EQ(panel(form, 1), "stale") << "no refresh inside Begin/Finish";
    emit control.Finish();
    EXPECT_TRUE(form.selectionRefresh());
    emit control.SelChange();
    EXPECT_EQ(panel(form, 1), "Document Name: Document.wmdf");

    form.StatusBar1->Panels(1).setText("stale");
    int key = host::vbKeyA + 4;
    int shift = 0;
    emit control.KeyDown(key, shift);
    EXPECT_FALSE(form.selectionRefresh());
    emit control.SelChange();
    EXPECT_EQ(panel(form, 1), "stale") << "typing leaves the panels";
    emit control.Ready();
    EXPECT_EQ(panel(form, 1), "Document Name: Document.wmdf") << "Ready refreshes at once";

    int selectAll = host::vbKeyA;
    int ctrl = host::vbCtrlMask;
    emit control.KeyUp(selectAll, ctrl);
    EXPECT_TRUE(form.selectionRefresh());
    int left = host::vbKeyLeft;
    emit control.KeyDown(key, shift);
    emit control.KeyUp(left, shift);
    EXPECT_TRUE(form.selectionRefresh());
}

// While the Find dialog is open, each Find Next moves the Line, Column and Position panels with
// the selection it makes, not only when the dialog closes.
TEST_F(MainWindowEvents, CaretPanelsFollowFindNextWhileTheDialogIsOpen)
{
    app::Form1& form = load();
    form.XrRTB1->LetText("one two\r\nthree word\r\nword");
    form.XrRTB1->LetSelStart(0);
    form.RefreshToolbarState();
    QStringList seen;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || dialog == &form)
            return;
        auto* find = dialog->findChild<QLineEdit*>("FindTxt");
        auto* next = dialog->findChild<QPushButton*>("FindNextButton");
        if (!find || !next)
            return;
        find->setText("word");
        for (int i = 0; i < 2; ++i) {
            next->click();
            QApplication::processEvents();
            seen << panel(form, 2) + " " + panel(form, 3) + " " + panel(form, 4);
        }
        driver.stop();
        dialog->close();
    });
    driver.start(5);
    form.menuFindReplace->trigger();
    driver.stop();
    EXPECT_EQ(seen,
              QStringList({"Line: 2 Column: 7 Position: 16", "Line: 3 Column: 1 Position: 22"}));
}

TEST(MainWindowKeys, TypingKeysAreTheTabledOnes)
{
    using app::Form1;
    for (int key : {9, 13, 32, 46, 48, 57, 65, 90, 96, 105, 106, 111})
        EXPECT_TRUE(Form1::isTypingKey(key, 0)) << key;
    for (int key : {8, 16, 27, 33, 37, 40, 45, 47, 58, 64, 91, 95, 112, 186})
        EXPECT_FALSE(Form1::isTypingKey(key, 0)) << key;
    EXPECT_FALSE(Form1::isTypingKey(65, host::vbCtrlMask));
    EXPECT_TRUE(Form1::isTypingKey(65, host::vbShiftMask));
    EXPECT_TRUE(Form1::isTypingKey(66, host::vbCtrlMask));
}

TEST_F(MainWindowEvents, ColourAndMenuEventsReachSettingsAndMenus)
{
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    control.LetMyFontColor(0x123456);
    emit control.MenuFontColorClick();
    EXPECT_EQ(setting("FONTCOLOR"), QString::number(0x123456));
    control.LetMyHLColor(0x00FF00);
    emit control.MenuHLColorClick();
    EXPECT_EQ(setting("HIGHLIGHTCOLOR"), QString::number(0x00FF00));

    control.LetDetectHyperLinks(false);  // raises UpdateParentMenu
    EXPECT_FALSE(form.menuAllowAutomaticHyperlink->isChecked());
    control.LetDetectHyperLinks(true);
    EXPECT_TRUE(form.menuAllowAutomaticHyperlink->isChecked());

    emit control.MenuVBSyntaxClickStart();
    EXPECT_TRUE(form.Timer1->isActive());
    form.Timer1_Timer();
    EXPECT_EQ(panel(form, 1), "Working... 0%");
    emit control.MenuVBSyntaxClickEnd();
    EXPECT_FALSE(form.Timer1->isActive());
}

TEST_F(MainWindowEvents, ResizeFollowsTheLayoutRules)
{
    app::Form1& form = load();
    form.resize(1200, 600);
    form.show();
    QApplication::processEvents();
    const double width = form.ScaleWidth();
    EXPECT_EQ(form.XrRTB1->width(), form.centralWidget()->width());
    EXPECT_EQ(form.XrRTB1->height(), qRound((form.ScaleHeight() - 765) / 15) + 1);
    if (width >= app::ToolbarFrameWidth) {
        EXPECT_EQ(form.XrFrameControl1->x(), 0);
        EXPECT_EQ(form.XrFrameControl1->width(), form.centralWidget()->width());
    }
    // Narrower than the frame: it keeps its width, flush with the right edge.
    form.resize(600, 400);
    QApplication::processEvents();
    EXPECT_EQ(form.XrFrameControl1->width(), qRound(app::ToolbarFrameWidth / 15));
    EXPECT_EQ(form.XrFrameControl1->geometry().right(), form.centralWidget()->width() - 1);
    // Every button stays in view.
    for (XrUCbutton* button : form.XrFrameControl1->findChildren<XrUCbutton*>())
        EXPECT_GE(button->mapTo(&form, QPoint(0, 0)).x(), 0) << button->objectName().toStdString();
}

TEST_F(MainWindowEvents, ClickingTheToolbarFrameLeavesTheFocusInTheEditor)
{
    app::Form1& form = load();
    form.resize(900, 500);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    form.StatusBar1->setFocusPolicy(Qt::ClickFocus);
    form.StatusBar1->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(form.XrRTB1->isAncestorOf(QApplication::focusWidget()));
    const QPoint empty(form.XrFrameControl1->width() - 5, form.XrFrameControl1->height() / 2);
    QTest::mouseClick(form.XrFrameControl1, Qt::LeftButton, {}, empty);
    QApplication::processEvents();
    EXPECT_TRUE(form.XrRTB1->isAncestorOf(QApplication::focusWidget()));
}

TEST(SplashWindow, CountsTo73ThenOpensTheMainWindowOnce)
{
    testsupport::RedirectedAppData appData;
    testsupport::FakeRegistry registry;
    app::registerControlLibraries();
    int opened = 0;
    app::StartUpForm splash([&opened] { ++opened; });
    splash.Form_Load();
    EXPECT_FALSE(app::settingsFilePath().isEmpty()) << "the initialisation ran";
    EXPECT_EQ(splash.Timer1->interval(), 1);
    EXPECT_EQ(splash.Timer2->interval(), 73);
    ASSERT_NE(splash.XrucProgressBar1, nullptr);
    for (int tick = 1; tick <= 73; ++tick) {
        EXPECT_EQ(opened, 0) << "before tick " << tick;
        splash.Timer1_Timer();
        EXPECT_EQ(splash.XrucProgressBar1->Value(), tick);
    }
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(splash.Timer1->isActive());
    EXPECT_FALSE(splash.Timer2->isActive());
    app::setSettingsFilePath({});
}

TEST(SplashWindow, LabelCyclesThroughFivePointCounts)
{
    app::registerControlLibraries();
    app::StartUpForm splash({});
    QStringList captions;
    for (int tick = 0; tick < 7; ++tick) {
        splash.Timer2_Timer();
        captions << splash.Label1->text();
    }
    EXPECT_EQ(captions, QStringList({"Loading", "Loading.", "Loading..", "Loading...",
                                     "Loading....", "Loading", "Loading."}));
}

}  // namespace
