// The editing control of the XrRichTextBox library: one editing window with its ruler, hidden
// helpers and dialogs, its layout, its life from creation to destruction, and its events.
#pragma once

#include "platform/richedit/RichTextBox.h"
#include "platform/richedit/TextObjectModel.h"

#include <QVariant>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;

namespace host {
class CommonDialog;
class PropertyBag;
}  // namespace host

class XrRTB : public QWidget {
    Q_OBJECT
public:
    // Height of the ruler strip above the editing window and width of the gutter at its left.
    static constexpr double RulerStripTwips = 285;
    static constexpr double GutterTwips = 30;
    // Size of a control placed for the first time.
    static constexpr double InitialWidthTwips = 1575;
    static constexpr double InitialHeightTwips = 735;
    // Number of tab-stop markers on the ruler, one per 1/16 inch.
    static constexpr int TabMarkerCount = 136;

    explicit XrRTB(QWidget* parent = nullptr);
    ~XrRTB() override;

    // First placement on a host: the initial size, and the host's name for the control as text.
    void UserControl_InitProperties();
    // Every later load, and every save, of the host's property bag.
    void UserControl_ReadProperties(host::PropertyBag& PropBag);
    void UserControl_WriteProperties(host::PropertyBag& PropBag);

    bool DisplayRuler() const { return m_DisplayRuler; }
    void setDisplayRuler(bool value);

    // Asks a running colouring pass to stop; does nothing while no long pass runs.
    QVariant Cancel_Syntax();
    bool CanCancelSyntax() const;

    // How far the running long pass has got, 0 to 100.
    int32_t ProgressPercentage() const;

    // Stops the misspelling scan of every control at its next poll.
    void KillSwitch();

    // Freezes (true) or unfreezes (false) the display; nests, and does nothing while Paste
    // holds the display or while no text object model document is held.
    void LockWindowUpdateEx(bool& MyLockBool);
    // The launchers: each shows its dialog modally, handing RichTextBox1 over through
    // SharedRichText, which is given back on every way out. A dialog's exception reaches the
    // caller.
    void ShowPrintPreview();
    void ShowFontSelect();
    void ShowFindReplace();
    void ShowSpellCheck();
    void ShowWordCount();
    void ShowRandomWord();

    // Character index of the first visible line; 0 on any failure.
    int32_t TopLineSelStart();
    // Stops the search and replace loops at their next position.
    void ExitFindRep();

    // The control's help path (with its topic suffix), or with `NoColonFilePath` true the bare
    // file path; empty when the file can be neither found nor written.
    QString GetHelpFile();
    QString GetHelpFile(bool& NoColonFilePath);

    // Shows the control's greeting.
    void Tamsel();

signals:
    // The event interface, in its designed order. Arguments are references: a handler's
    // changes are what the control goes on with (a KeyCode set to 0 swallows the key).
    void Click();
    void DblClick();
    void SelChange();
    void Change();
    void KeyDown(int& KeyCode, int& Shift);
    void KeyPress(int& KeyAscii);
    void KeyUp(int& KeyCode, int& Shift);
    void MouseDown(int& Button, int& Shift, float& X, float& Y);
    void MouseMove(int& Button, int& Shift, float& X, float& Y);
    void MouseUp(int& Button, int& Shift, float& X, float& Y);
    void Begin();
    void Finish();
    void Ready();
    void UpdateParentMenu();
    void MenuFontColorClick();
    void MenuHLColorClick();
    void MenuVBSyntaxClickStart();
    void MenuVBSyntaxClickEnd();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads the cancel request that only the colouring pass consumes.
    friend class XrRTBLaunchersTest;

    void createConstituents();
    void createRuler();
    void createHiddenHelpers();
    void connectEditingWindow();

    void UserControl_Initialize();
    void UserControl_Resize();
    void UserControl_Show();
    void UserControl_Terminate();
    void LayoutControls();
    // Takes a fresh text object model document from RichTextBox1 (none when it offers none).
    void obtainTextDocument();
    // The run-time layout shared by UserControl_Resize and LayoutControls.
    void placeEditingWindow();

    void RichTextBox1_SelChange();
    void RichTextBox1_KeyDown(int& KeyCode, int& Shift);
    void RichTextBox1_KeyUp(int& KeyCode, int& Shift);
    void RichTextBox1_MouseUp(int& Button, int& Shift, float& X, float& Y);
    // Mouse release on any of the three indent handles.
    void IndentHandle_MouseUp();

    // Constituents; Qt children of the control, named as designed.
    richedit::RichTextBox* RichTextBox1 = nullptr;
    richedit::RichTextBox* RichTextBox2 = nullptr;
    QWidget* RTBPicture = nullptr;
    QLabel* MasterPic = nullptr;
    QLabel* ShadeRulerPic = nullptr;
    QLabel* HIHandle = nullptr;
    QLabel* LIHandle = nullptr;
    QLabel* RIHandle = nullptr;
    std::array<QLabel*, TabMarkerCount> Image1{};
    QLineEdit* regexTxt = nullptr;
    QLineEdit* regexTxt2 = nullptr;
    QLineEdit* regexTxt3 = nullptr;
    QListWidget* List1 = nullptr;
    std::unique_ptr<host::CommonDialog> CommonDialog1;

    // The text object model of RichTextBox1; an invalid handle when none was obtained.
    richedit::TextDocument TextDocument;

    // Persisted fields held so far.
    bool m_DetectHyperLinks = true;
    bool m_DisplayRuler = true;

    bool SyntaxCancel = false;
    bool SuppressSelChange = false;
    bool HandleDragging = false;
    // Typing state of the key handlers.
    bool LinkCheckArmed = false;
    int32_t LastKeyWasW = 0;
    bool CtrlKeyDown = false;
    bool EnterInLink = false;
    int32_t UndoKeyState = 0;
    int32_t LastCaretPos = 0;

    bool m_shown = false;
};
