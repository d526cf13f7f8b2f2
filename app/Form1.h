// The program's document window: the editing control with its toolbar, status bar and menus,
// the document's path and type, start and close, caption and status panels, and the handlers
// of the control's events. The commands live in Form1Options.cpp and Form1Commands.cpp.
#pragma once

#include "platform/system/FileSystem.h"

#include <QDateTime>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QTimer;
class StatusBar;
class XrFrameControl;
class XrRTB;
class XrUCbutton;
namespace XrImage {
class XrImageControl;
}
namespace vb {
class VbError;
}

namespace app {

// Document types: the values of the control's QFileType.
enum DocumentType : qint32 { rtfRTF = 0, rtfText = 1, rtfWXF = 2 };

// Heights in twips of the toolbar frame and of the status bar; together the 765 twips the
// editor leaves free.
constexpr double ToolbarFrameHeight = 450;
constexpr double StatusBarHeight = 315;
// The toolbar frame's full width: narrower windows show its right part.
constexpr double ToolbarFrameWidth = 15255;

class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The load: control layout, command line, stored geometry, caption, stored settings, the
    // named document, wrap mode, empty undo and the no-printer rule.
    void Form_Load(const QString& commandLine);

    // The extension of the document type: ".rtf", ".txt", ".wmdf", or "" for any other.
    QString CurExt() const;
    // Caption and the four status panels; with `storedPath` the name is the stored path itself.
    void UpdateTitleAndStatus(bool storedPath);
    // The Line, Column and Position panels from the control's caret.
    void UpdateCaretPanels();
    // Toolbar values and enabled states, and the edit menus' enabled states, from the control.
    void RefreshToolbarState();

    QString documentPath() const { return m_documentPath; }
    qint32 documentType() const { return m_documentType; }
    bool selectionRefresh() const { return m_selectionRefresh; }

    // The clock the date and time entries read; tests fix it.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Twips of the client area below the menu bar.
    double ScaleWidth() const;
    double ScaleHeight() const;

    // Constituents, named as designed.
    XrRTB* XrRTB1 = nullptr;
    XrRTB* XrRTB2 = nullptr;
    XrFrameControl* XrFrameControl1 = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;

    XrUCbutton* BoldButton = nullptr;
    XrUCbutton* ItalicsButton = nullptr;
    XrUCbutton* UnderlineButton = nullptr;
    XrUCbutton* StrikethruButton = nullptr;
    XrUCbutton* BulletsButton = nullptr;
    XrUCbutton* NumbersButton = nullptr;
    XrUCbutton* AlignLeftButton = nullptr;
    XrUCbutton* CenterButton = nullptr;
    XrUCbutton* AlignRightButton = nullptr;
    XrUCbutton* UndoButton = nullptr;
    XrUCbutton* CutButton = nullptr;
    XrUCbutton* CopyButton = nullptr;
    XrUCbutton* PasteButton = nullptr;
    XrUCbutton* FindButton = nullptr;
    XrUCbutton* FontButton = nullptr;
    XrUCbutton* FontColorButton = nullptr;
    XrUCbutton* SelectFontColor = nullptr;
    XrUCbutton* HighLightButton = nullptr;
    XrUCbutton* SelectHLColor = nullptr;
    XrUCbutton* SpellCheckButton = nullptr;
    XrUCbutton* PrintButton = nullptr;
    XrUCbutton* HyperlinkButton = nullptr;

    // File
    QAction* menuNew = nullptr;
    QAction* menuOpen = nullptr;
    QAction* menuSave = nullptr;
    QAction* menuSaveas = nullptr;
    QAction* menuPrint = nullptr;
    QAction* menuExit = nullptr;
    // Edit
    QAction* menuUndo = nullptr;
    QAction* menuCut = nullptr;
    QAction* menuCopy = nullptr;
    QAction* menuPaste = nullptr;
    QAction* menuDelete = nullptr;
    QAction* menuSelectAll = nullptr;
    QAction* menuFindReplace = nullptr;
    // Insert
    QAction* menuImage = nullptr;
    QMenu* menuSpecialCharacter = nullptr;
    QAction* menuCopyRight = nullptr;
    QAction* menuParagraph = nullptr;
    QAction* menuSection = nullptr;
    QAction* menuRegistered = nullptr;
    QAction* menuTradeMark = nullptr;
    QAction* menuEllipsis = nullptr;
    QMenu* menuDate = nullptr;
    QAction* menuRegDate = nullptr;
    QAction* menuWriteDate = nullptr;
    QMenu* menuTime = nullptr;
    QAction* menuRegTime = nullptr;
    QAction* menuMilitTime = nullptr;
    // Format
    QAction* menuFont = nullptr;
    QAction* menuFontColor = nullptr;
    QAction* menuHighlight = nullptr;
    QAction* menuHighlightColor = nullptr;
    QMenu* menuWordWrap = nullptr;
    QAction* menuWrapRuler = nullptr;
    QAction* menuWindowWrap = nullptr;
    QAction* menuNoWrap = nullptr;
    QAction* menuUpperCase = nullptr;
    QAction* menuLowerCase = nullptr;
    QAction* menuTitleCase = nullptr;
    QAction* menuToggleCase = nullptr;
    QAction* menuVBSyntaxSeparator = nullptr;
    QAction* menuApplyVBSyntax = nullptr;
    // Tools
    QAction* menuSpellCheck = nullptr;
    QAction* menuWordCount = nullptr;
    QAction* menuRandomWord = nullptr;
    // Options
    QAction* menuShowRuler = nullptr;
    QAction* menuStatusBar = nullptr;
    QAction* menuDisableHyperlinking = nullptr;
    QAction* menuAllowAutomaticHyperlink = nullptr;
    QAction* menuAllowRTFormat = nullptr;
    QAction* menuVBSyntax = nullptr;
    QAction* menuSetDefaultFont = nullptr;
    QMenu* menuPrintMargin = nullptr;
    QAction* menu1inch = nullptr;
    QAction* menu34inch = nullptr;
    // Help
    QAction* menuGeneralHelp = nullptr;
    QAction* menuAbout = nullptr;

    // Option commands and the start-up appliers.
    void menuShowRuler_Click();
    void menuStatusBar_Click();
    void menuAllowRTFormat_Click();
    void menuVBSyntax_Click();
    void menu1inch_Click();
    void menu34inch_Click();
    void menuWrapRuler_Click();
    void menuWindowWrap_Click();
    void menuNoWrap_Click();
    void menuGeneralHelp_Click();
    void menuAbout_Click();
    void ApplySettings();
    void ApplyWrapSetting();
    void ApplyDefaultFont();
    void Timer1_Timer();

    // File commands.
    void menuNew_Click();
    void menuOpen_Click();
    void menuSave_Click();
    void menuSaveas_Click();
    // Print Preview, also the toolbar's print button.
    void menuPrint_Click();

    // Option commands over the link passes and the font dialog.
    void menuAllowAutomaticHyperlink_Click();
    void menuDisableHyperlinking_Click();
    void menuSetDefaultFont_Click();

    // Edit, insert and format commands.
    void undoStep();
    // Find / Replace, also the toolbar's find button.
    void menuFindReplace_Click();
    void menuApplyVBSyntax_Click();
    // Spell Check, also the toolbar's spelling button.
    void menuSpellCheck_Click();
    void menuFontColor_Click();
    void SelectFontColor_Click();
    void highlightColorChoice();
    void hyperlinkStep();
    void menuSelectAll_Click();
    void menuFont_Click();
    void menuHighlight_Click();
    void menuCase_Click(QAction* entry);
    void insertText(const QString& text);
    void menuRegDate_Click();
    void menuWriteDate_Click();
    void menuRegTime_Click();
    void menuMilitTime_Click();
    void toolbarButton_Click(XrUCbutton* button);

    // True for the keys whose handling leaves the status panels and toolbar as they are.
    static bool isTypingKey(int keyCode, int shift);

    // Image insertion (Form1Images.cpp): the hidden control that loads and fits the picture,
    // the Insert > Image command and its paste at the caret.
    XrImage::XrImageControl* XrImageControl1 = nullptr;
    void InsertImage();
    void PasteImageIntoDocument();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    // A file named on the command line that exists but cannot be loaded: says which and why,
    // and leaves the window with a new, untitled document.
    void refuseCommandLineFile(const vb::VbError& error);
    void createMenus();
    void createToolbar();
    void connectControlEvents();
    void createImageControl();
    void layoutToolbarButtons();
    // The close request; false cancels the close.
    bool Form_QueryUnload();
    void storeWindowGeometry();
    // The save step before the document is replaced or the window closes: false when the
    // document was not saved (a cancelled dialog or a failed write), which stops the caller.
    bool saveChangedDocument();
    // The save dialog; a file it wrote becomes the document's path, its type the type written
    // and its entry the stored SAVEINDEX. False when nothing was written.
    bool saveThroughDialog(const QString& suggestedName, int16_t filterIndex);
    // Before a save over the document's file: true when the file is as this window last read
    // or wrote it, or when the user chose to overwrite what another program or window saved.
    bool mayOverwriteDocumentFile();
    // The version of the document's file this window read or wrote last.
    void noteDocumentFileVersion();
    // Asks whether to save the changed document: vbYes, vbNo or vbCancel.
    int askSaveQuestion();
    void RefreshLinksAfterOpen();
    // The stored automatic-linking choice (0 off, 1 on, anything else leaves things as they are)
    // on the menu and the control; switching it off removes the document's links.
    void applyAutoLinkSetting(int value);
    // Save is offered unless an RTF document may not be saved as RTF.
    void updateSaveEntry();
    void setDocumentUnchanged();
    void Form_Resize();
    void setWrapChecks(QAction* checked);
    QDateTime now() const;

    QWidget* m_client = nullptr;
    QList<XrUCbutton*> m_buttons;

    QString m_documentPath;
    qint32 m_documentType = rtfWXF;
    std::optional<sys::FileVersion> m_documentFileVersion;
    bool m_selectionRefresh = true;
    // Gathers the selection changes a dialog makes into one panel update when the event loop
    // next runs: a Replace All of many matches updates the panels once per poll, not per match.
    QTimer* m_caretPanelsTimer = nullptr;
    std::function<QDateTime()> m_clock;
};

}  // namespace app
