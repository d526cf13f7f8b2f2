// The common-dialog control: open, save, colour, font and print dialogs set up through its
// members and flags; a cancel raises error 32755 when CancelError is set.
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

namespace host {

// Flags of the open and save dialogs.
enum FileOpenConstants : long {
    cdlOFNReadOnly = 0x1,
    cdlOFNOverwritePrompt = 0x2,
    cdlOFNHideReadOnly = 0x4,
    cdlOFNNoChangeDir = 0x8,
    cdlOFNHelpButton = 0x10,
    cdlOFNNoValidate = 0x100,
    cdlOFNAllowMultiselect = 0x200,
    cdlOFNExtensionDifferent = 0x400,
    cdlOFNPathMustExist = 0x800,
    cdlOFNFileMustExist = 0x1000,
    cdlOFNCreatePrompt = 0x2000,
    cdlOFNShareAware = 0x4000,
    cdlOFNNoReadOnlyReturn = 0x8000,
    cdlOFNExplorer = 0x80000,
    cdlOFNNoDereferenceLinks = 0x100000,
    cdlOFNLongNames = 0x200000,
};

// Flags of the colour dialog.
enum ColorConstants : long {
    cdlCCRGBInit = 0x1,
    cdlCCFullOpen = 0x2,
    cdlCCPreventFullOpen = 0x4,
    cdlCCHelpButton = 0x8,
};

// Flags of the font dialog.
enum FontsConstants : long {
    cdlCFScreenFonts = 0x1,
    cdlCFPrinterFonts = 0x2,
    cdlCFBoth = 0x3,
    cdlCFHelpButton = 0x4,
    cdlCFEffects = 0x100,
    cdlCFApply = 0x200,
    cdlCFANSIOnly = 0x400,
    cdlCFNoVectorFonts = 0x800,
    cdlCFNoSimulations = 0x1000,
    cdlCFLimitSize = 0x2000,
    cdlCFFixedPitchOnly = 0x4000,
    cdlCFWYSIWYG = 0x8000,
    cdlCFForceFontExist = 0x10000,
    cdlCFScalableOnly = 0x20000,
    cdlCFTTOnly = 0x40000,
    cdlCFNoFaceSel = 0x80000,
    cdlCFNoStyleSel = 0x100000,
    cdlCFNoSizeSel = 0x200000,
};

// Flags of the print dialog; the range bits (cdlPDSelection, cdlPDPageNums) are also written
// back to tell which range the user chose.
enum PrinterConstants : long {
    cdlPDAllPages = 0x0,
    cdlPDSelection = 0x1,
    cdlPDPageNums = 0x2,
    cdlPDNoSelection = 0x4,
    cdlPDNoPageNums = 0x8,
    cdlPDCollate = 0x10,
    cdlPDPrintToFile = 0x20,
    cdlPDPrintSetup = 0x40,
    cdlPDNoWarning = 0x80,
    cdlPDReturnDC = 0x100,
    cdlPDReturnIC = 0x200,
    cdlPDReturnDefault = 0x400,
    cdlPDHelpButton = 0x800,
    cdlPDUseDevModeCopies = 0x40000,
    cdlPDDisablePrintToFile = 0x80000,
    cdlPDHidePrintToFile = 0x100000,
};

enum PrinterOrientationConstants : int {
    cdlPortrait = 1,
    cdlLandscape = 2,
};

enum class DialogKind { Open, Save, Color, Font, Printer };

struct FontChoice {
    QString name;
    double size = 0;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethru = false;
    bool operator==(const FontChoice&) const = default;
};

struct PrinterChoice {
    QString deviceName;  // empty: the system's default printer
    int copies = 1;
    int fromPage = 0;
    int toPage = 0;
    int orientation = cdlPortrait;
    long range = cdlPDAllPages;  // cdlPDAllPages, cdlPDSelection or cdlPDPageNums
    bool operator==(const PrinterChoice&) const = default;
};

// Everything one dialog is opened with.
struct DialogRequest {
    DialogKind kind = DialogKind::Open;
    QString title;
    QString filter;       // "description|pattern|description|pattern"
    int filterIndex = 1;  // 1-based
    long flags = 0;
    QString fileName;  // initial file name (may carry a folder)
    QString initDir;
    QString defaultExt;
    unsigned long color = 0;  // 0x00BBGGRR
    FontChoice font;
    int min = 0;
    int max = 0;
    PrinterChoice printer;
    QWidget* owner = nullptr;
};

// What the user ended a dialog with.
struct DialogAnswer {
    bool accepted = false;
    QString fileName;
    int filterIndex = 1;
    bool readOnly = false;  // the open dialog's read-only box, where it was shown
    unsigned long color = 0;
    FontChoice font;
    PrinterChoice printer;

    static DialogAnswer cancel() { return {}; }
    static DialogAnswer file(const QString& name, int index = 1, bool readOnly = false);
    static DialogAnswer withColor(unsigned long color);
    static DialogAnswer withFont(const FontChoice& font);
    static DialogAnswer withPrinter(const PrinterChoice& printer);
};

class CommonDialogService {
public:
    virtual ~CommonDialogService() = default;
    // Shows the dialog modally and returns the user's answer.
    virtual DialogAnswer show(const DialogRequest& request) = 0;
};

ServiceSlot<CommonDialogService>& commonDialogService();

// One entry of a filter string.
struct FileFilter {
    QString description;
    QStringList patterns;  // as the file chooser matches them ("*.*" becomes "*")
};

// Splits "description|pattern|..." into entries; a trailing description without a pattern is
// dropped, and so are patterns the chooser cannot express (empty ones, ones with brackets).
std::vector<FileFilter> parseFilter(const QString& filter);

// The verdict on a name the user typed into a file dialog.
struct FileCheck {
    enum Verdict { Accept, Refuse, AskOverwrite };
    Verdict verdict = Accept;
    QString path;     // the name as it will be returned (default extension added)
    QString message;  // why it is refused, or the overwrite question
};

// Applies the flags to a typed absolute path: default extension, path and file must exist
// (the latter in the open dialog only), overwrite prompt (the save dialog only).
FileCheck checkFileChoice(const QString& path, long flags, bool saving, const QString& defaultExt);

// The printer the user chose last in a print dialog with PrinterDefault set; empty while none
// was chosen. The printer object follows it as the system's default.
QString chosenDefaultPrinter();

class CommonDialog {
public:
    // Dialog-independent members.
    QString DialogTitle;
    long Flags = 0;
    bool CancelError = false;

    // Open and save.
    QString FileName;
    QString FileTitle;
    QString Filter;
    int FilterIndex = 0;
    QString InitDir;
    QString DefaultExt;

    // Colour (also the font colour).
    unsigned long Color = 0;

    // Font.
    QString FontName;
    double FontSize = 0;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool FontStrikethru = false;

    // Font size limits (cdlCFLimitSize) and page limits of the print dialog.
    int Min = 0;
    int Max = 0;

    // Printer.
    int Copies = 1;
    int FromPage = 0;
    int ToPage = 0;
    int Orientation = cdlPortrait;
    bool PrinterDefault = true;
    QString DeviceName;  // the printer chosen in the print dialog

    void setOwner(QWidget* owner) { m_owner = owner; }
    QWidget* owner() const { return m_owner; }

    void ShowOpen();
    void ShowSave();
    void ShowColor();
    void ShowFont();
    void ShowPrinter();

private:
    DialogRequest request(DialogKind kind) const;
    DialogAnswer run(const DialogRequest& request) const;
    void showFile(DialogKind kind);

    QWidget* m_owner = nullptr;
};

}  // namespace host
