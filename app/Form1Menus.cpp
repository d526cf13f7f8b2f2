// The main window's menu bar: every entry with its caption, check marks and groups, connected
// to its command.
#include "app/Form1.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"

#include <QActionGroup>
#include <QMenuBar>

namespace app {

void Form1::createMenus()
{
    QMenuBar* bar = menuBar();
    auto entry = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    auto checkable = [&entry](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = entry(menu, name, caption);
        action->setCheckable(true);
        return action;
    };
    auto submenu = [](QMenu* menu, const char* name, const QString& caption) {
        QMenu* sub = menu->addMenu(caption);
        sub->setObjectName(QString::fromLatin1(name));
        return sub;
    };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    menuNew = entry(file, "menuNew", QStringLiteral("&New"));
    menuOpen = entry(file, "menuOpen", QStringLiteral("&Open"));
    menuSave = entry(file, "menuSave", QStringLiteral("&Save"));
    menuSaveas = entry(file, "menuSaveas", QStringLiteral("Save As..."));
    file->addSeparator();
    menuPrint = entry(file, "menuPrint", QStringLiteral("&Print Preview"));
    file->addSeparator();
    menuExit = entry(file, "menuExit", QStringLiteral("Exit"));

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    menuUndo = entry(edit, "menuUndo", QStringLiteral("Undo"));
    edit->addSeparator();
    menuCut = entry(edit, "menuCut", QStringLiteral("Cut"));
    menuCopy = entry(edit, "menuCopy", QStringLiteral("Copy"));
    menuPaste = entry(edit, "menuPaste", QStringLiteral("Paste"));
    menuDelete = entry(edit, "menuDelete", QStringLiteral("Delete"));
    edit->addSeparator();
    menuSelectAll = entry(edit, "menuSelectAll", QStringLiteral("Select All"));
    edit->addSeparator();
    menuFindReplace = entry(edit, "menuFindReplace", QStringLiteral("&Find / Replace"));

    QMenu* insert = bar->addMenu(QStringLiteral("&Insert"));
    insert->setObjectName(QStringLiteral("menuInsert"));
    menuImage = entry(insert, "menuImage", QStringLiteral("Image"));
    menuSpecialCharacter =
        submenu(insert, "menuSpecialCharacter", QStringLiteral("Special Character"));
    menuCopyRight = entry(menuSpecialCharacter, "menuCopyRight", QStringLiteral("Copyright    ©"));
    menuParagraph = entry(menuSpecialCharacter, "menuParagraph", QStringLiteral("Paragraph   ¶"));
    menuSection = entry(menuSpecialCharacter, "menuSection", QStringLiteral("Section        §"));
    menuRegistered = entry(menuSpecialCharacter, "menuRegistered", QStringLiteral("Registered  ®"));
    menuTradeMark = entry(menuSpecialCharacter, "menuTradeMark", QStringLiteral("Trademark  ™"));
    menuEllipsis =
        entry(menuSpecialCharacter, "menuEllipsis", QStringLiteral("Ellipsis         …"));
    menuDate = submenu(insert, "menuDate", QStringLiteral("Date"));
    menuRegDate = entry(menuDate, "menuRegDate", QStringLiteral("Regular Date"));
    menuWriteDate = entry(menuDate, "menuWriteDate", QStringLiteral("Written Date"));
    menuTime = submenu(insert, "menuTime", QStringLiteral("Time"));
    menuRegTime = entry(menuTime, "menuRegTime", QStringLiteral("Regular Time"));
    menuMilitTime = entry(menuTime, "menuMilitTime", QStringLiteral("Military Time"));

    QMenu* format = bar->addMenu(QStringLiteral("F&ormat"));
    format->setObjectName(QStringLiteral("menuFormat"));
    menuFont = entry(format, "menuFont", QStringLiteral("Font"));
    menuFontColor = entry(format, "menuFontColor", QStringLiteral("Font Color"));
    format->addSeparator();
    menuHighlight = entry(format, "menuHighlight", QStringLiteral("Highlight"));
    menuHighlightColor = entry(format, "menuHighlightColor", QStringLiteral("Highlight Color"));
    format->addSeparator();
    menuWordWrap = submenu(format, "menuWordWrap", QStringLiteral("Word Wrap"));
    menuWrapRuler = checkable(menuWordWrap, "menuWrapRuler", QStringLiteral("Wrap to Ruler"));
    menuWindowWrap = checkable(menuWordWrap, "menuWindowWrap", QStringLiteral("Wrap to Window"));
    menuNoWrap = checkable(menuWordWrap, "menuNoWrap", QStringLiteral("No Wrapping"));
    format->addSeparator();
    menuUpperCase = entry(format, "menuUpperCase", QStringLiteral("Upper Case"));
    menuLowerCase = entry(format, "menuLowerCase", QStringLiteral("Lower Case"));
    menuTitleCase = entry(format, "menuTitleCase", QStringLiteral("Title Case"));
    menuToggleCase = entry(format, "menuToggleCase", QStringLiteral("Toggle Case"));
    menuVBSyntaxSeparator = format->addSeparator();
    menuApplyVBSyntax = entry(format, "menuApplyVBSyntax", QStringLiteral("Apply VB6 Syntax"));

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("menuTools"));
    menuSpellCheck = entry(tools, "menuSpellCheck", QStringLiteral("Spell Check"));
    menuWordCount = entry(tools, "menuWordCount", QStringLiteral("Word Count"));
    menuRandomWord = entry(tools, "menuRandomWord", QStringLiteral("Random Word"));

    QMenu* options = bar->addMenu(QStringLiteral("O&ptions"));
    options->setObjectName(QStringLiteral("menuOptions"));
    menuShowRuler = checkable(options, "menuShowRuler", QStringLiteral("Show Ruler"));
    menuStatusBar = checkable(options, "menuStatusBar", QStringLiteral("Show Status Bar"));
    options->addSeparator();
    menuDisableHyperlinking =
        checkable(options, "menuDisableHyperlinking", QStringLiteral("Disable Hyperlinking"));
    menuAllowAutomaticHyperlink = checkable(options, "menuAllowAutomaticHyperlink",
                                            QStringLiteral("Enable Automatic Hyperlink Detection"));
    menuAllowRTFormat =
        checkable(options, "menuAllowRTFormat", QStringLiteral("Enable Richtext Format Saving"));
    menuVBSyntax = checkable(options, "menuVBSyntax", QStringLiteral("Enable Visual Basic Syntax"));
    options->addSeparator();
    menuSetDefaultFont = entry(options, "menuSetDefaultFont", QStringLiteral("Set Default Font"));
    menuPrintMargin =
        submenu(options, "menuPrintMargin", QStringLiteral("Set Default Print Margin"));
    menu1inch = checkable(menuPrintMargin, "menu1inch", QStringLiteral("1 inch Academic"));
    menu34inch = checkable(menuPrintMargin, "menu34inch", QStringLiteral("3/4 inch Paper Saver"));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    menuGeneralHelp = entry(help, "menuGeneralHelp", QStringLiteral("Help Topics"));
    help->addSeparator();
    menuAbout = entry(help, "menuAbout", QStringLiteral("About Wexmoor Scrivet"));

    // Check marks follow the commands, not the clicks: a click leaves them to the command.
    for (QAction* action : bar->findChildren<QAction*>())
        if (action->isCheckable())
            connect(action, &QAction::triggered, action,
                    [action](bool checked) { action->setChecked(!checked); });

    auto on = [this](QAction* action, void (Form1::*command)()) {
        connect(action, &QAction::triggered, this, command);
    };
    on(menuNew, &Form1::menuNew_Click);
    on(menuSetDefaultFont, &Form1::menuSetDefaultFont_Click);
    on(menuPrint, &Form1::menuPrint_Click);
    on(menuFindReplace, &Form1::menuFindReplace_Click);
    on(menuApplyVBSyntax, &Form1::menuApplyVBSyntax_Click);
    on(menuSpellCheck, &Form1::menuSpellCheck_Click);
    connect(menuWordCount, &QAction::triggered, this, [this] { XrRTB1->ShowWordCount(); });
    connect(menuRandomWord, &QAction::triggered, this, [this] { XrRTB1->ShowRandomWord(); });
    on(menuOpen, &Form1::menuOpen_Click);
    on(menuSave, &Form1::menuSave_Click);
    on(menuSaveas, &Form1::menuSaveas_Click);
    on(menuUndo, &Form1::undoStep);
    connect(menuCut, &QAction::triggered, this, [this] {
        XrRTB1->Cut();
        XrRTB1->SetInFocus();
    });
    connect(menuCopy, &QAction::triggered, this, [this] {
        XrRTB1->Copy();
        XrRTB1->SetInFocus();
    });
    connect(menuPaste, &QAction::triggered, this, [this] {
        XrRTB1->Paste();
        XrRTB1->SetInFocus();
    });
    connect(menuDelete, &QAction::triggered, this, [this] {
        XrRTB1->Delete();
        XrRTB1->SetInFocus();
    });
    on(menuFontColor, &Form1::menuFontColor_Click);
    connect(menuHighlightColor, &QAction::triggered, this, [this] {
        highlightColorChoice();
        RefreshToolbarState();
        XrRTB1->SetInFocus();
    });
    on(menuAllowAutomaticHyperlink, &Form1::menuAllowAutomaticHyperlink_Click);
    on(menuDisableHyperlinking, &Form1::menuDisableHyperlinking_Click);
    connect(menuExit, &QAction::triggered, this, [this] { close(); });
    on(menuSelectAll, &Form1::menuSelectAll_Click);
    on(menuFont, &Form1::menuFont_Click);
    on(menuHighlight, &Form1::menuHighlight_Click);
    for (QAction* caseEntry : {menuUpperCase, menuLowerCase, menuTitleCase, menuToggleCase})
        connect(caseEntry, &QAction::triggered, this,
                [this, caseEntry] { menuCase_Click(caseEntry); });
    const std::pair<QAction*, const char16_t*> characters[] = {
        {menuCopyRight, u"\u00A9"},  {menuParagraph, u"\u00B6"}, {menuSection, u"\u00A7"},
        {menuRegistered, u"\u00AE"}, {menuTradeMark, u"\u2122"}, {menuEllipsis, u"\u2026"}};
    for (const auto& [action, character] : characters) {
        const QString text = QString::fromUtf16(character);
        connect(action, &QAction::triggered, this, [this, text] { insertText(text); });
    }
    on(menuRegDate, &Form1::menuRegDate_Click);
    on(menuWriteDate, &Form1::menuWriteDate_Click);
    on(menuRegTime, &Form1::menuRegTime_Click);
    on(menuMilitTime, &Form1::menuMilitTime_Click);
    on(menuWrapRuler, &Form1::menuWrapRuler_Click);
    on(menuWindowWrap, &Form1::menuWindowWrap_Click);
    on(menuNoWrap, &Form1::menuNoWrap_Click);
    on(menuShowRuler, &Form1::menuShowRuler_Click);
    on(menuStatusBar, &Form1::menuStatusBar_Click);
    on(menuAllowRTFormat, &Form1::menuAllowRTFormat_Click);
    on(menuVBSyntax, &Form1::menuVBSyntax_Click);
    on(menu1inch, &Form1::menu1inch_Click);
    on(menu34inch, &Form1::menu34inch_Click);
    on(menuGeneralHelp, &Form1::menuGeneralHelp_Click);
    on(menuAbout, &Form1::menuAbout_Click);
    connect(menuImage, &QAction::triggered, this, [this] {
        InsertImage();
        RefreshToolbarState();
    });
}

}  // namespace app
