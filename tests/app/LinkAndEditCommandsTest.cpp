// The link options and the toolbar's link button, the undo step, the clipboard entries and the
// colour choices, over the control's link passes, undo snapshot and colour dialog.
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/RichTextView.h"
#include "platform/richedit/view/ViewInput.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"
#include "tests/app/MainWindowSupport.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/FakeCommonDialogs.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <cmath>

namespace {

class LinkAndEditCommands : public testsupport::MainWindowTest {
protected:
    // Whether the character at `position` carries the link mark of an address.
    static bool linkedAt(XrRTB& control, int position)
    {
        control.LetSelStart(position);
        control.LetSelLength(1);
        QString address;
        return control.DetectURLZone(position, address);
    }
    app::Form1& documentWithAddress()
    {
        app::Form1& form = load();
        form.XrRTB1->LetText(text);
        form.XrRTB1->HyperLinkDocument();
        bool changed = false;
        form.XrRTB1->SetRTBChanged(changed);
        return form;
    }

    const QString text = "mail www.example.com soon";
    const int address = 8;
    testsupport::FakeCommonDialogs dialogs;
};

TEST_F(LinkAndEditCommands, DisablingLinksRemovesThemWithoutChangingTheDocument)
{
    app::Form1& form = documentWithAddress();
    ASSERT_TRUE(linkedAt(*form.XrRTB1, address));
    form.menuDisableHyperlinking->trigger();
    EXPECT_TRUE(form.menuDisableHyperlinking->isChecked());
    EXPECT_FALSE(form.XrRTB1->DetectHyperLinks());
    EXPECT_FALSE(linkedAt(*form.XrRTB1, address));
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
    EXPECT_FALSE(form.menuAllowAutomaticHyperlink->isEnabled());
    EXPECT_FALSE(form.HyperlinkButton->isEnabled());
    EXPECT_EQ(setting("DISABLELINKING"), "1");

    // Back on with automatic links stored off: only the check mark goes, no pass runs.
    store("ENABLEAUTOLINK", "0");
    form.menuDisableHyperlinking->trigger();
    EXPECT_FALSE(form.menuDisableHyperlinking->isChecked());
    EXPECT_TRUE(form.XrRTB1->DetectHyperLinks());
    EXPECT_FALSE(form.menuAllowAutomaticHyperlink->isChecked());
    EXPECT_TRUE(form.menuAllowAutomaticHyperlink->isEnabled());
    EXPECT_TRUE(form.HyperlinkButton->isEnabled());
    EXPECT_FALSE(linkedAt(*form.XrRTB1, address));
    EXPECT_EQ(setting("DISABLELINKING"), "0");

    // With them stored on, the addresses are marked again.
    form.menuDisableHyperlinking->trigger();
    store("ENABLEAUTOLINK", "1");
    form.menuDisableHyperlinking->trigger();
    EXPECT_TRUE(form.menuAllowAutomaticHyperlink->isChecked());
    EXPECT_TRUE(linkedAt(*form.XrRTB1, address));
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
}

TEST_F(LinkAndEditCommands, AutomaticLinksOffKeepsLinksAndOnMarksThem)
{
    app::Form1& form = documentWithAddress();
    form.menuAllowAutomaticHyperlink->trigger();
    EXPECT_FALSE(form.XrRTB1->DetectHyperLinks());
    EXPECT_FALSE(form.menuAllowAutomaticHyperlink->isChecked());
    EXPECT_EQ(setting("ENABLEAUTOLINK"), "0");
    EXPECT_TRUE(linkedAt(*form.XrRTB1, address)) << "switching off removes nothing";

    form.XrRTB1->LetText("see www.example.org");
    bool changed = false;
    form.XrRTB1->SetRTBChanged(changed);
    form.menuAllowAutomaticHyperlink->trigger();
    EXPECT_TRUE(form.XrRTB1->DetectHyperLinks());
    EXPECT_EQ(setting("ENABLEAUTOLINK"), "1");
    EXPECT_TRUE(linkedAt(*form.XrRTB1, 6));
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
}

TEST_F(LinkAndEditCommands, LinkButtonKeepsTheChangedFlagAsItWas)
{
    app::Form1& form = load();
    form.XrRTB1->LetText(text);
    bool unchanged = false;
    form.XrRTB1->SetRTBChanged(unchanged);
    form.HyperlinkButton->click();
    EXPECT_TRUE(linkedAt(*form.XrRTB1, address));
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());

    form.XrRTB1->LetText("again www.example.net");
    bool changed = true;
    form.XrRTB1->SetRTBChanged(changed);
    form.HyperlinkButton->click();
    EXPECT_TRUE(form.XrRTB1->HasRTBChanged());
}

TEST_F(LinkAndEditCommands, UndoStepTakesTheEditorsUndoFirstThenTheSnapshot)
{
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    form.RefreshToolbarState();
    EXPECT_FALSE(form.UndoButton->isEnabled());
    EXPECT_FALSE(form.menuUndo->isEnabled());

    control.LetText("before");
    control.SaveSpecialUndoData();
    control.LetText("after");
    control.EmptyRTBUndoRedoBuffer();
    ASSERT_FALSE(control.CanUndo());
    ASSERT_TRUE(control.GetCanUndoSpecial());
    form.RefreshToolbarState();
    EXPECT_TRUE(form.UndoButton->isEnabled());
    EXPECT_TRUE(form.menuUndo->isEnabled());
    form.UndoButton->click();
    EXPECT_EQ(control.Text(), "before");
    form.menuUndo->trigger();
    EXPECT_EQ(control.Text(), "after") << "a second undo takes the first back";
}

TEST_F(LinkAndEditCommands, ClipboardEntriesFollowTheSelectionAndTheClipboard)
{
    testsupport::FakeClipboard clipboard;
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    control.LetText("cut this");
    control.LetSelStart(4);
    control.LetSelLength(4);
    form.RefreshToolbarState();
    EXPECT_TRUE(form.menuCut->isEnabled());
    EXPECT_TRUE(form.CopyButton->isEnabled());
    form.menuCut->trigger();
    EXPECT_EQ(control.Text(), "cut ");
    form.RefreshToolbarState();
    EXPECT_FALSE(form.menuCut->isEnabled());
    EXPECT_TRUE(form.menuPaste->isEnabled());
    EXPECT_TRUE(form.PasteButton->isEnabled());
    form.PasteButton->click();
    EXPECT_EQ(control.Text(), "cut this");
}

// A browser's copy offers HTML only: the real clipboard's HTML pastes as its text, with the
// address in it linked like any pasted address.
TEST_F(LinkAndEditCommands, PasteOfHtmlOnlyGivesItsText)
{
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    auto* data = new QMimeData;
    data->setData("text/html",
                  "<html><body><h1>Title</h1><p>see www.example.com &amp; "
                  "more</p><script>x()</script></body></html>");
    QGuiApplication::clipboard()->setMimeData(data);
    form.RefreshToolbarState();
    EXPECT_TRUE(form.menuPaste->isEnabled());
    form.menuPaste->trigger();
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(control.Text(), "Title\r\nsee www.example.com & more");
    EXPECT_TRUE(linkedAt(control, 11));
}

// Hidden text beside or inside an address is no part of it: a click on the address the reader
// sees opens that address, not one that runs on into hidden text or starts in it.
TEST_F(LinkAndEditCommands, ClickOnLinkBesideHiddenTextOpensTheShownAddress)
{
    app::Form1& form = load();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    XrRTB& control = *form.XrRTB1;
    auto* view = control.findChild<richedit::RichTextView*>(QStringLiteral("RichTextBox1View"));
    ASSERT_NE(view, nullptr);
    richedit::Engine& engine = *view->engine();
    const auto clickOn = [&](int32_t position) {
        QApplication::processEvents();
        const double tpp = engine.layout().twipsPerPixel();
        const int line = engine.lineFromChar(position);
        const double top = double(engine.layout().lineTop(line) -
                                  engine.layout().lineTop(engine.firstVisibleLine()));
        const double left = richedit::viewinput::xOfPosition(engine, position);
        const double x = left + (richedit::viewinput::xOfPosition(engine, position + 1) - left) / 3;
        const QPoint at(int(std::lround(view->textInsets().left() + x / tpp)) -
                            view->horizontalScrollBar()->value(),
                        int(std::lround(view->textInsets().top() + top / tpp + 4)));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    };
    const QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\fs20\r\n"
        "\\pard Visit www.bank.example{\\v .evil.example/steal} today.\\par\r\n"
        "\\pard Or {\\v http://evil.example/}www.shop.example now.\\par\r\n"
        "\\pard And www.cut{\\v xyz}.example too.\\par\r\n}");
    control.LetTextRTF(rtf);
    control.HyperLinkDocument();
    const QString text = control.Text();

    clickOn(int32_t(text.indexOf(u"bank")));
    EXPECT_EQ(shell.openedUrls(), QStringList{QStringLiteral("http://www.bank.example")});
    clickOn(int32_t(text.indexOf(u"shop")));
    EXPECT_EQ(shell.openedUrls(), (QStringList{QStringLiteral("http://www.bank.example"),
                                               QStringLiteral("http://www.shop.example")}));
    // The hidden text carries no mark: a click where it stands opens nothing more.
    clickOn(int32_t(text.indexOf(u" today")));
    EXPECT_EQ(shell.openedUrls().size(), 2);
    // An address that hidden text splits opens as it reads.
    clickOn(int32_t(text.indexOf(u"ample too")));
    EXPECT_EQ(shell.openedUrls().mid(2), QStringList{QStringLiteral("http://www.cut.example")});
}

TEST_F(LinkAndEditCommands, ColourChoicesStoreTheColourAndOnlyTheMenuAppliesIt)
{
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    control.LetText("colour");
    control.LetSelStart(0);
    control.LetSelLength(6);

    dialogs.answer(host::DialogAnswer::withColor(0x0000FF));
    form.SelectFontColor->click();
    EXPECT_EQ(control.MyFontColor(), 0x0000FFu);
    EXPECT_EQ(form.SelectFontColor->BackColor(), 0x0000FFu);
    EXPECT_EQ(setting("FONTCOLOR"), QString::number(0x0000FF));
    EXPECT_EQ(control.SelColor(), 0u) << "the swatch button applies nothing";

    // A cancelled menu choice keeps the colour and leaves the selection as it was.
    dialogs.answerCancel();
    form.menuFontColor->trigger();
    EXPECT_EQ(control.MyFontColor(), 0x0000FFu);
    EXPECT_EQ(control.SelColor(), 0u);
    dialogs.answer(host::DialogAnswer::withColor(0x00FF00));
    form.menuFontColor->trigger();
    EXPECT_EQ(control.SelColor(), 0x00FF00u);
    EXPECT_EQ(setting("FONTCOLOR"), QString::number(0x00FF00));

    dialogs.answer(host::DialogAnswer::withColor(0xFF0000));
    form.menuHighlightColor->trigger();
    EXPECT_EQ(control.MyHLColor(), 0xFF0000u);
    EXPECT_EQ(form.SelectHLColor->BackColor(), 0xFF0000u);
    EXPECT_EQ(setting("HIGHLIGHTCOLOR"), QString::number(0xFF0000));
}

}  // namespace
