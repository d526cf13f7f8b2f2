// The editing control of the XrRichTextBox library: one editing window with its ruler, hidden
// helpers and dialogs, its layout, its life from creation to destruction, and its events.
#pragma once

#include "platform/host/AmbientProperties.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/TextObjectModel.h"
#include "richtext/common/DefaultFontData.h"
#include "richtext/core/SelectionFormatting.h"
#include "richtext/core/XrRTBSettings.h"
#include "richtext/language/SpellingSuggestions.h"
#include "richtext/language/StringArray.h"
#include "richtext/printing/RulerGeometry.h"
#include "richtext/scanning/KeywordColouring.h"
#include "richtext/scanning/TextFinder.h"

#include <QFont>
#include <QImage>
#include <QVariant>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QListWidget;
class DocumentText;
class HyperlinkMark;
class HyperlinkPasses;
class LineQueries;
class PrinterTarget;
class Ruler;
class SpecialUndo;
class TypingKeys;
class ViewKeeper;
class SpellCheckMembers;
class WordQueries;
namespace ContextMenu {
struct MenuState;
}

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
    // What the last load that went through read its file as: rtfRTF when the editing window
    // found RTF, rtfText otherwise (always for a plain-text load); nothing for an empty file,
    // which reads the same either way. A host saves the document back as this type.
    std::optional<QFileType> loadedFileType() const { return m_loadedType; }

    // --- The control's interface, in its designed order ---
    // A property's read is `Name()`, its write `LetName()` (`SetName()` for an object). Writes
    // of persisted properties tell the host through PropertyChanged, even when the value is
    // unchanged. Errors of the editing window are raised as vb::VbError.

    // Document loading. LoadFile refuses a file another program holds (a message, no events);
    // otherwise it raises Begin, loads by type (RTF, plain text in the control's font face, or
    // the own type as RTF), cleans RTF and links addresses as the switches say, puts the caret
    // at the start and raises Finish and Ready. OpenSuccess becomes True unless the file was
    // refused, could not be read (then no Finish or Ready) or was a missing plain-text file.
    void LoadFile(const QString& bstrFilename, QFileType vFileType = rtfRTF);
    void LoadFile(const QString& bstrFilename, QFileType vFileType, bool& TXTLinks,
                  bool& OpenSuccess);
    // The editing window's own load, nothing else.
    QVariant LoadFileRTBOriginal(const QString& bstrFilename, QFileType vFileType = rtfRTF);

    // Line, caret and view queries. Lines are display lines (wrapped lines count); line
    // numbers passed in are 0-based, the ones answered by the three line members 1-based.
    QVariant FreezeRichText(bool& FreezeRTB);
    QVariant SelectLine();
    // The caret's line from its 1-based start; its length is asked one past the start, so an
    // empty line reports the following line's length. "" on an empty document, which leaves
    // the out-arguments as they were.
    QString GetLineText();
    QString GetLineText(int32_t& LineStart, int32_t& LineLength);
    QString GetPrevLineText();
    QString GetAnyLineText(const int32_t& MyLineNum);
    // -1 (the default) is the caret's line; a line past the end answers -1.
    int32_t GetPosOfFirstCharInLine(const int32_t& MyLine = -1);
    int32_t GetPosOfFirstCharInPrevLine();
    int32_t FirstVisibleLine();
    int32_t LastVisibleLine();
    int32_t TotalLineCount();
    int32_t CurrentLine();
    // Scrolls the line to the top and selects it unless told not to; past the end: nothing.
    void GoToLine(const int32_t& LineNumQ, bool SelectLineQ = true);

    // Common dialogs. A cancelled dialog gives 32755 in MyErr and the focus back to the
    // editing window; another error of a step is written to MyErr and the member goes on.
    host::OLE_COLOR CommonDialogColor(bool& UserCancelQ, bool UseOrigONCancel = false,
                                      host::OLE_COLOR MyOrgigColor = 0);
    host::OLE_COLOR CommonDialogColor(bool& UserCancelQ, bool UseOrigONCancel,
                                      host::OLE_COLOR MyOrgigColor, int16_t& MyErr);
    // Shows the open dialog and loads the chosen file as the type of the chosen filter entry
    // (1 own type, 2 RTF, 3 text); a file carrying the encryption marker is only named.
    QString CommonDialogFileOpen();
    QString CommonDialogFileOpen(const QString& DefaultDirectory, const QString& CustomFilter,
                                 bool& TextWLinks, int16_t& ShowFilterIndex, int16_t& FindexRet,
                                 int16_t& MyErr, bool& OpenSuccess,
                                 const QString& Title = QStringLiteral("Select File..."));
    void OpenDecryptedFile(const QString& MyFileName, int16_t MyIndex);
    void OpenDecryptedFile(const QString& MyFileName, int16_t MyIndex, bool& TextWLinks,
                           bool& OpenSuccess, int16_t& MyErr);
    // Whether the file begins with the marker "xreS"; a file that cannot be opened raises its
    // error.
    bool IsFileEncrypted(const QString& FileNameSTR);
    host::OLE_COLOR CommonDialogFontColor(host::OLE_COLOR MyOrgigColor = 0);
    host::OLE_COLOR CommonDialogFontColor(host::OLE_COLOR MyOrgigColor, int16_t& MyErr);
    host::OLE_COLOR CommonDialogSelFontColor(host::OLE_COLOR CurrentColor = 0);
    host::OLE_COLOR CommonDialogSelFontColor(host::OLE_COLOR CurrentColor, int16_t& MyErr);
    host::OLE_COLOR CommonDialogSelColor(host::OLE_COLOR CurrentColor = 0);
    host::OLE_COLOR CommonDialogSelColor(host::OLE_COLOR CurrentColor, int16_t& MyErr);
    void CommonDialogFontSelect();
    void CommonDialogFontSelect(int16_t& MyErr);
    // Shows the save dialog and writes the document; SaveSuccess is True only when the file
    // was written. The chosen name is the result, also when nothing was written.
    QString CommonDialogFileSave();
    QString CommonDialogFileSave(const QString& DefaultDirectory, const QString& FileNameSTR,
                                 bool PromptOverWrite, const QString& CustomFilter,
                                 int16_t& ShowFilterIndex, int16_t& FindexRet, int16_t& MyErr,
                                 const QString& Title, bool& SaveSuccess);
    // Prints the document page by page; 1 after printing, 0 without a printer or on cancel.
    int32_t CommonDialogPrint();
    int32_t CommonDialogPrint(int16_t& MyErr);

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

    // Keyword colouring of the whole text (1) or the selection (2), after switching the chosen
    // effects off; one step for the whole-document undo. Nothing while a long pass runs.
    QVariant ApplyVB6Syntax(const Syntax_Behavior& Syntax_Method = Syntax_All_Text,
                            const Formatting_Options& Syntax_Formatting = Remove_All_Formatting);
    QVariant ApplyVBNetSyntax(const Syntax_Behavior& Syntax_Method = Syntax_All_Text,
                              const Formatting_Options& Syntax_Formatting = Remove_All_Formatting);
    // The user's three expressions: MyFirstString keywords, MySecondString comments,
    // MyThirdString strings.
    QVariant ApplyMySyntax(const Syntax_Behavior& Syntax_Method = Syntax_All_Text,
                           const Formatting_Options& Syntax_Formatting = Remove_All_Formatting);
    // Asks a running colouring pass to stop; does nothing while no long pass runs.
    QVariant Cancel_Syntax();
    bool CanCancelSyntax() const;

    // Formatting of the selection. The three alignments act only when passed true.
    QVariant AlignCenter(bool& MyBool);
    QVariant AlignRight(bool& MyBool);
    QVariant AlignLeft(bool& MyBool);
    // 0 left, 1 right, 2 centre; Null (invalid) for paragraphs that differ.
    QVariant GetAlignment();
    // Selects everything; raises Ready.
    QVariant SelectAllText();
    int32_t GetLineFromChar(int32_t lChar);
    void Refresh();
    // Writes the document (a formatted one as text only after the user agreed); True only when
    // the file was written. A failed write keeps the old file and says why.
    bool SaveFile(const QString& bstrFilename, QFileType vFlags = rtfRTF);
    // Prints the selection (everything when nothing is selected) when a printer is installed.
    void SelPrint(bool vStartDoc = true);
    void SetInFocus();
    void Span(const QString& bstrCharacterSet, bool vForward = true, bool vNegate = false);
    void ToolTipTxt(const QString& NewTip);
    void UpTo(const QString& bstrCharacterSet, bool vForward = true, bool vNegate = false);
    // Highlight colours are OLE colours; -1 is the automatic background.
    QVariant HighLightText(host::OLE_COLOR& HighLightColor);
    bool IsTextHighLighted(host::OLE_COLOR& HighLightColor);
    QVariant UnHighLightText();
    QVariant UnHighLightText(Unhighlight_Behavior& All_or_Selected_Text);
    int32_t ReadOnly(bool& ApplyReadOnly);
    void LineSpacing(LineSpc& LineMethod);
    void LineSpacing(LineSpc& LineMethod, int32_t& exactORmultiple);
    // These three raise Finish and Ready.
    void ScriptStyle(ScripTT& ScriptMethod);
    void ListStyle(ListNN& ListMethod);
    bool SelListMethod(ListNN& ListMethod);
    bool CanChangeCase();
    bool CanClear();
    bool CanCopy();
    bool CanCut();
    bool CanDelete();
    bool CanGetSpelling();
    bool CanGetSynonym();
    bool CanHighlight();
    bool CanSelectAll();
    // No wrapping, wrapping at the printed line width (RulerWrap) or at the window; raises
    // Finish and Ready.
    QVariant Word_Wrap(bool& Wrap);
    QVariant Word_Wrap(bool& Wrap, bool& RulerWrap);

    // Clipboard members. Delete, Cut and Paste raise Begin, Finish and Ready (Delete and Cut
    // only when something is selected) and keep the whole-document snapshot.
    QVariant Delete();
    QVariant Copy();
    // Cleans and links what was pasted as a loaded document is; always ends unfrozen.
    QVariant Paste();
    bool CanPaste();
    QVariant Cut();
    // How far the running long pass has got, 0 to 100.
    int32_t ProgressPercentage() const;
    bool HasRTBChanged();
    // Without an argument the document is marked unchanged.
    QVariant SetRTBChanged();
    QVariant SetRTBChanged(bool& BoolValQ);
    QVariant EmptyRTBUndoRedoBuffer();

    // Hyperlink passes over the whole document: marks every address; takes every link mark
    // off, only while DetectHyperLinks is off.
    void HyperLinkDocument();
    void UnHyperLinkDocument();

    // True when the character index lies inside an address of that kind and the selection
    // carries the link mark; the address goes to the out-argument.
    bool DetectEmailZone(const int32_t& MyHitSpot, QString& ReturnMyEAddress);
    bool DetectURLZone(const int32_t& MyHitSpot, QString& ReturnMyURL);

    // --- Language tools ---
    // Result arrays are filled from element 0 by a call that finds anything and left as they
    // were by one that finds nothing; none of these members raises.
    // The dictionary words that begin with the letters (ReturnLimit 0: all of them); the
    // letters come back escaped for a regular expression.
    bool GetWordsThatStartWith(QString& MyStartingLetters, StringArray& MyReturnArray,
                               const int32_t& ReturnLimit = 0);
    // The synonyms of a whole head word in any case: found, the array holds exactly them and
    // the result is ""; otherwise the array is left as it was and the result is "No synonyms
    // found.".
    QString GetSynonyms(QString& MYWORD1, StringArray& ASynArray);
    // Whether the array is allocated (for a Variant: whether it holds a list at all).
    bool IsArrayGood(const StringArray& AnyArray) const;
    bool IsArrayGood(const QVariant& AnyArray) const;
    // Every word of the document the word lists do not hold, once per occurrence; true when
    // any was found. KillSwitch stops it, leaving the array unallocated.
    bool DetectMisspellings(StringArray& MyReturnArray);
    // Whether the 0-based position lies inside a web or e-mail address of the text.
    bool DetectNotWords(const int32_t& MyHitSpot);
    void GetPossibleSpellingCorrections(SPELL_CHECK_TYPE& SCData);
    // The spell check over the document, driven through the hidden list of misspellings.
    int32_t SpellCheck(StringArray& ReturnArray);
    void PrepNonSpellCheckRTB(StringArray& PassInArray);
    int32_t GoToNextSpellError();
    int32_t GoToPreviousSpellError();
    int32_t FixSpelling(QString& CorrectSpelling, bool HighlightFixes = true,
                        host::OLE_COLOR HighLightColor = 0x8000);
    void FixSpelling2(QString& CorrectSpelling);
    int32_t UndoSpellCorrection();

    // Whether the platform has a printer to print on; asked afresh on every call.
    bool PrinterInstalled();

    // Whether a whole-document snapshot is held.
    bool GetCanUndoSpecial();
    // Stops the misspelling scan of every control at its next poll.
    void KillSwitch();
    // The whole-document undo snapshots: unconditional; the state before the last edit; before
    // a delete key; the current state inside a link (the last three only as the typing state
    // allows).
    void SaveSpecialUndoData();
    void SaveRegularUndoData();
    void SaveDeleteUndoData();
    void SaveInLinkUndoData();
    // The editing window can undo and no long pass runs.
    bool CanUndo();
    QVariant Undo();
    // Swaps document and selection with the snapshot: a second call redoes.
    void HyperUndo();

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

    // Marks the range as a link of the control's own, empties the undo buffer and leaves a
    // caret at the range's start.
    void HyperLinkSelected(const int32_t& RTBSelStart, const int32_t& RTBSelectedLength);
    // Searching: the hit's position, selected; -1 when nothing was found; 0 for a direction or
    // options outside their values. Whole-word searches pass over hits inside addresses when
    // asked; punctuation never belongs to a word.
    int32_t Find2(const QString& TextToFind, const FindDirectionQ& FindDirection = FindNext,
                  const FindOptionsQ& FindOptions = AllMatches, const bool& SkipURLEmail = true);
    bool FindVerify(const QString& FVTextToFind, const FindOptionsQ& FVFindOptions = AllMatches);
    // Character index of the first visible line; 0 on any failure.
    int32_t TopLineSelStart();
    // Stops the search and replace loops at their next position.
    void ExitFindRep();

    // Open a clicked link: only http, https, ftp, mailto and "www." addresses are launched.
    // MyErrorData receives the number of an error the launch raised.
    void GoToWebsite(const QString& MyWebSite);
    void GoToWebsite(const QString& MyWebSite, QString& MyErrorData);
    void GoToEmailClient(const QString& MyEmail);
    void GoToEmailClient(const QString& MyEmail, QString& MyErrorData);

    // The control's help path (with its topic suffix), or with `NoColonFilePath` true the bare
    // file path; empty when the file can be neither found nor written.
    QString GetHelpFile();
    QString GetHelpFile(bool& NoColonFilePath);

    // The caret through the text object model: 1-based line, column (from the start of the
    // displayed line) and character number; 0 without a text object model document.
    int32_t VanticLine();
    int32_t VanticColumn();
    int32_t VanticChar();
    // Case changes of the selection in place; lengths, formats and the selection stay.
    void VanticUpperCase();
    void VanticLowerCase();
    void VanticSentenceCase();
    void VanticToggleCase();
    void VanticTitleCase();

    // Shows the control's greeting.
    void Tamsel();

    // --- Ruler and page layout ---
    // Draws the ticks and inch numbers over what the ruler shows; does not clear first.
    void DrawRuler();
    // Clears everything drawn on the ruler, shading included.
    void ClearRuler();
    // Shows the selection's tab stops as set markers; mixed stops leave them as they are.
    void SetRulerTabs();
    // Shades the ruler beyond the usable line width.
    void ShadeRuler();
    // Places the editing window below the ruler strip (or over the whole control); with the
    // ruler shown also clears it, puts the indent handles at rest and applies MyWrapStyle.
    void PrepareXrRTB();
    // Tab-stop marker `index` (0 to 135), by its designed name.
    const ruler::TabMarker& Image1(int index) const;

    // The document as RTF, as a saved file holds it without its trailing zero byte.
    QString GetRTFString();
    // The plain text of the document whose dialog is open (SharedRichText); raises error 91
    // while no dialog holds one.
    QString GetTextString();

    // A dictionary word of four or more characters in proper case, drawn afresh on each call.
    QString GetRandomWord();

    // --- Default font ---
    // While the library-wide mode is set, every font dialog shows and edits the shared
    // default-font record instead of a selection.
    void SetDefaultFontMode();
    void EndDefaultFontMode();
    DEFUALT_FONT_DATA GetDefaultFontData();
    void ShareDefaultFontData(DEFUALT_FONT_DATA& MyDefFontData);

    // Whether the document's RTF carries formatting a plain-text save would lose.
    bool ContainSpecialFormatting();

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

private:
    // Reads the cancel request that only the colouring pass consumes.
    friend class XrRTBLaunchersTest;
    // Supplies the whole-document undo that the colouring pass takes and restores.
    friend class XrRTBSearchTest;
    // Runs menu commands that the shipped word lists cannot offer (more than six synonyms).
    friend class ContextMenuTest;

    void createConstituents();
    void createRuler();
    void createHiddenHelpers();
    void connectEditingWindow();
    // The word queries, suggestions and spell-check members over RichTextBox1 and List1.
    void createLanguageTools();
    // The link passes and the undo snapshot, wired to the control's freeze and events.
    void createDocumentServices();
    void createKeywordColouring();
    void createTypingKeys();

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

    // The ruler's members behind the control's.
    static int32_t SnapToGrid(const int32_t& value);
    int32_t GetPrinterOffsetX();
    void SyncRulerHandles();
    void ResetRulerHandles();
    // MyWrapStyle through Word_Wrap; a value outside the enumeration applies nothing.
    void applyWrapStyle();

    // Constituents; Qt children of the control, named as designed.
    richedit::RichTextBox* RichTextBox1 = nullptr;
    richedit::RichTextBox* RichTextBox2 = nullptr;
    QWidget* RTBPicture = nullptr;
    // The ruler strip: drawing surface, tab-stop markers and indent handles.
    Ruler* m_ruler = nullptr;
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
    // Wraps at the printed line width of the printer target.
    void SetPrinterWrap();

    // Loading: plain text in the control's font face, the in-use test, the clean-up pass and
    // its steps.
    void ReadTextFile(const QString& FileName, bool& Done);
    // What the editing window's last load read: see loadedFileType.
    std::optional<QFileType> loadedType() const;
    void IsFileInUse(const QString& FileName, bool& InUse);
    void CleanData();
    void RemoveJunk();
    void PreLoadFileLinkRemove();
    // Open-dialog epilogue: ruler, Finish and Ready; after a load that went through also the
    // unchanged mark and the snapshot flag cleared (a failed open leaves both as they were).
    void finishOpen(bool loaded);
    // The page-layout normaliser of right indents that leave a paragraph too narrow.
    void NormalizeIndents();
    // Writes the document, after the plain-text warning when `askFirst`; a failed write says
    // why. False only when the user declined; `written` tells whether the file was written.
    bool writeDocument(const QString& path, QFileType type, bool askFirst, bool& written);

    // Hyperlink passes run by the control's own handlers (see HyperlinkPasses).
    void HyperLinkPass(int32_t& caret);
    void UnlinkRange(int32_t caret);
    void AutoLinkWhileTyping(int32_t caret);
    void UnlinkAtCaret(int32_t caret);
    void RelinkAfterEnter(int32_t caret);
    // Empties the editing window's undo buffer.
    void ClearUndoBuffer();
    // The click sound of a link, when TurnOnSound is set.
    void playLinkSound();
    // The context menu at the mouse cursor, between Begin and Finish, Ready; the chosen
    // command is carried out through the control's own members.
    void showContextMenu();
    void runContextMenuCommand(int id, const QString& selected,
                               const ContextMenu::MenuState& state);

    // Hyperlink mark on the selection, for the key handlers and Paste.
    bool IsSelectionHyperLink();
    void MarkSelectionLinked();
    void MarkSelectionUnlinked();
    // The view keeper's slots.
    void SaveViewPos1();
    void SaveViewPos2();
    void RestoreViewPos1();
    void RestoreViewPos2();
    void RestoreViewPos3(int32_t& LinesAbove);

    // The components behind the members; they work on RichTextBox1.
    std::unique_ptr<LineQueries> m_lines;
    std::unique_ptr<DocumentText> m_documentText;
    std::unique_ptr<SelectionFormatting> m_formatting;
    std::unique_ptr<HyperlinkMark> m_links;
    std::unique_ptr<ViewKeeper> m_viewKeeper;
    std::unique_ptr<PrinterTarget> m_printerTarget;
    std::unique_ptr<WordQueries> m_wordQueries;
    std::unique_ptr<SpellingSuggestions> m_suggestions;
    std::unique_ptr<SpellCheckMembers> m_spelling;
    std::unique_ptr<HyperlinkPasses> m_linkPasses;
    std::unique_ptr<SpecialUndo> m_undo;
    std::unique_ptr<TextFinder> m_finder;
    std::unique_ptr<KeywordColouring> m_colouring;
    // The keyword set of each colouring member, with the colours read from the properties.
    KeywordSet vb6KeywordSet();
    KeywordSet vbNetKeywordSet();
    KeywordSet myKeywordSet();
    // The key handling and the control's members it acts through.
    class KeyActions;
    std::unique_ptr<KeyActions> m_keyActions;
    std::unique_ptr<TypingKeys> m_typingKeys;
    // Keys whose press reached the editing window and whose release has not come yet.
    std::vector<int> m_keysDown;

    host::AmbientProperties m_ambient;
    AppearEnum m_Appearance = rtfFlat;
    // Twips; the editing window keeps only whole ones.
    float m_BulletIndent = 0;
    XrRTBSettings m_settings;

    bool SyntaxCancel = false;
    bool SuppressSelChange = false;
    bool HandleDragging = false;
    // Typing state the key handlers and the undo snapshots share; the rest of the typing state
    // is the typing keys' own.
    int32_t UndoKeyState = 0;

    bool m_shown = false;
    // The document RTF the last loading clean-up took before changing the document; per
    // control, so one document's indents are never applied to another.
    QString m_capturedRtf;
    // Why the last load failed (its number goes to the open dialog's MyErr): 55 for a file
    // refused as in use, whose message was shown already; 0 after a load that went through.
    long m_loadError = 0;
    std::optional<QFileType> m_loadedType;
};
