// The editing control of the XrRichTextBox library: one editing window with its ruler, hidden
// helpers and dialogs, its layout, its life from creation to destruction, and its events.
#pragma once

#include "platform/host/AmbientProperties.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/TextObjectModel.h"
#include "richtext/core/XrRTBSettings.h"

#include <QFont>
#include <QImage>
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
template <class Control>
class PropertySchema;
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

    // --- Hosting ---
    // The container's values; set them before UserControl_InitProperties or ReadProperties.
    void setAmbientProperties(const host::AmbientProperties& ambient);
    const host::AmbientProperties& ambientProperties() const { return m_ambient; }
    // First placement on a host: the initial size, the host's name for the control as text and
    // the settings of a new control; raises nothing.
    void UserControl_InitProperties();
    // Every later load, and every save, of the host's property bag: the persisted keys in
    // their fixed order. Reading stores the settings without events or re-layout; a stored
    // value of the wrong type fails with error 13, one the editing window refuses with its
    // error.
    void UserControl_ReadProperties(const host::PropertyBag& PropBag);
    void UserControl_WriteProperties(host::PropertyBag& PropBag) const;

    // --- The control's interface, in its designed order ---
    // A property's read is `Name()`, its write `LetName()` (`SetName()` for an object). Writes
    // of persisted properties tell the host through PropertyChanged, even when the value is
    // unchanged. Errors of the editing window are raised as vb::VbError.

    // Persisted, and passed to RichTextBox1 unless said.
    AppearEnum Appearance() const { return m_Appearance; }
    void LetAppearance(int value);
    host::OLE_COLOR BackColor() const;
    void LetBackColor(host::OLE_COLOR value);
    BorderEnum BorderStyle() const;
    // Applies the absolute value: -1 gives a single border.
    void LetBorderStyle(int value);
    float BulletIndent() const;
    void LetBulletIndent(float value);
    bool Enabled() const;
    void LetEnabled(bool value);
    QFont Font() const;
    void SetFont(const QFont& value);
    bool Locked() const;
    void LetLocked(bool value);
    int32_t MaxLength() const;
    void LetMaxLength(int32_t value);
    QImage MouseIcon() const;
    void SetMouseIcon(const QImage& value);
    int32_t MousePointer() const;
    void LetMousePointer(int32_t value);
    float RightMargin() const;
    void LetRightMargin(float value);
    QString Text() const;
    void LetText(const QString& value);
    QString TextRTF() const;
    void LetTextRTF(const QString& value);

    // The selection's properties, neither persisted nor notified. A selection without one
    // value (mixed) reads as False, 0 or "".
    QString SelText() const;
    void LetSelText(const QString& value);
    QString SelRTF() const;
    void LetSelRTF(const QString& value);
    QString SelFontName() const;
    void LetSelFontName(const QString& value);
    bool SelBold() const;
    void LetSelBold(bool value);
    bool SelItalic() const;
    void LetSelItalic(bool value);
    bool SelUnderline() const;
    void LetSelUnderline(bool value);
    bool SelStrikeThru() const;
    void LetSelStrikeThru(bool value);
    bool SelBullet() const;
    void LetSelBullet(bool value);
    bool SelProtected() const;
    void LetSelProtected(bool value);
    int16_t SelCharOffset() const;
    void LetSelCharOffset(int16_t value);
    int16_t SelFontSize() const;
    void LetSelFontSize(int16_t value);
    int16_t SelIndent() const;
    void LetSelIndent(int16_t value);
    int16_t SelHangingIndent() const;
    void LetSelHangingIndent(int16_t value);
    int16_t SelRightIndent() const;
    void LetSelRightIndent(int16_t value);
    int16_t SelTabCount() const;
    void LetSelTabCount(int16_t value);
    host::OLE_COLOR SelColor() const;
    void LetSelColor(host::OLE_COLOR value);
    int32_t SelStart() const;
    void LetSelStart(int32_t value);
    int32_t SelLength() const;
    void LetSelLength(int32_t value);
    // The tab stop of that index, twips.
    int16_t SelTabs(int16_t e_ellmt) const;
    void LetSelTabs(int16_t e_ellmt, int16_t value);

    // Held by the control and persisted. The switches marked "menu" also raise
    // UpdateParentMenu after the notification.
    bool AllowRTFSave() const { return m_settings.AllowRTFSave; }
    void LetAllowRTFSave(bool value);  // menu
    bool AutoVMenu() const { return m_settings.AutoVMenu; }
    void LetAutoVMenu(bool value);
    bool DetectHyperLinks() const { return m_settings.DetectHyperLinks; }
    // Also becomes SharedDetectHyperLinks; menu.
    void LetDetectHyperLinks(bool value);
    host::OLE_COLOR MyFontColor() const { return m_settings.MyFontColor; }
    void LetMyFontColor(host::OLE_COLOR value);
    host::OLE_COLOR MyHLColor() const { return m_settings.MyHLColor; }
    void LetMyHLColor(host::OLE_COLOR value);
    int32_t PrinterMargin() const { return m_settings.PrinterMargin; }
    // Menu, then the page layout follows the new margin.
    void LetPrinterMargin(int32_t value);
    bool ShowVB6Syntax() const { return m_settings.ShowVB6Syntax; }
    void LetShowVB6Syntax(bool value);  // menu
    bool UseCustomFontDialog() const { return m_settings.UseCustomFontDialog; }
    void LetUseCustomFontDialog(bool value);
    QString WhatsThisHelpFile() const { return m_settings.WhatsThisHelpFile; }
    void LetWhatsThisHelpFile(const QString& value);
    // One-shot: the next key release in the editing window skips the control's processing.
    bool InternalShutOFF() const { return m_settings.InternalShutOFF; }
    void LetInternalShutOFF(bool value);
    bool TurnOnSound() const { return m_settings.TurnOnSound; }
    void LetTurnOnSound(bool value);  // menu

    // Makes WhatsThisHelpFile the library's help file.
    void PointToWhatsThisHelpFile();

    bool AllowImages() const { return m_settings.AllowImages; }
    void LetAllowImages(bool value);  // menu
    bool RemoveUnUsableData() const { return m_settings.RemoveUnUsableData; }
    void LetRemoveUnUsableData(bool value);  // menu
    QString MyFirstString() const { return m_settings.MyFirstString; }
    void LetMyFirstString(const QString& value);
    QString MySecondString() const { return m_settings.MySecondString; }
    void LetMySecondString(const QString& value);
    QString MyThirdString() const { return m_settings.MyThirdString; }
    void LetMyThirdString(const QString& value);
    host::OLE_COLOR ColorMyFirstKeyWord() const { return m_settings.ColorMyFirstKeyWord; }
    void LetColorMyFirstKeyWord(host::OLE_COLOR value);
    host::OLE_COLOR ColorMySecondKeyWord() const { return m_settings.ColorMySecondKeyWord; }
    void LetColorMySecondKeyWord(host::OLE_COLOR value);
    host::OLE_COLOR ColorMyThirdKeyWord() const { return m_settings.ColorMyThirdKeyWord; }
    void LetColorMyThirdKeyWord(host::OLE_COLOR value);
    host::OLE_COLOR ColorVBNetKeyWord() const { return m_settings.ColorVBNetKeyWord; }
    void LetColorVBNetKeyWord(host::OLE_COLOR value);
    host::OLE_COLOR ColorVBNetComment() const { return m_settings.ColorVBNetComment; }
    void LetColorVBNetComment(host::OLE_COLOR value);
    host::OLE_COLOR ColorVBNetString() const { return m_settings.ColorVBNetString; }
    void LetColorVBNetString(host::OLE_COLOR value);
    host::OLE_COLOR ColorVB6KeyWord() const { return m_settings.ColorVB6KeyWord; }
    void LetColorVB6KeyWord(host::OLE_COLOR value);
    host::OLE_COLOR ColorVB6Comment() const { return m_settings.ColorVB6Comment; }
    void LetColorVB6Comment(host::OLE_COLOR value);
    host::OLE_COLOR ColorVB6String() const { return m_settings.ColorVB6String; }
    void LetColorVB6String(host::OLE_COLOR value);
    int32_t MyWrapStyle() const { return m_settings.MyWrapStyle; }
    void LetMyWrapStyle(int32_t value);  // menu

    // The window handle of RichTextBox1; read only.
    intptr_t hwnd() const;

    bool DisplayRuler() const { return m_settings.DisplayRuler; }
    // Menu, then the control is laid out again.
    void LetDisplayRuler(bool value);

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

    // Not an event of the interface: the host's property-changed notification, with the
    // property's bag key.
    void PropertyChanged(const QString& key);

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

    // The persisted properties: bag keys, defaults, and what a write of each tells the host.
    static const host::PropertySchema<XrRTB>& persistedProperties();
    // Runs the effects the table gives `key` (among `effects`): the host's notification, and
    // UpdateParentMenu for a menu switch.
    void propertyWritten(const char* key, unsigned effects = ~0u);
    void applyBulletIndent(float twips);
    // The page-layout refresh after a margin change.
    void RefreshPageLayout();

    host::AmbientProperties m_ambient;
    AppearEnum m_Appearance = rtfFlat;
    // Twips; the editing window keeps only whole ones.
    float m_BulletIndent = 0;
    XrRTBSettings m_settings;

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
