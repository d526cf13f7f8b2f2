// The control's common-dialog wrappers, saving and the encrypted-document test.
#include "richtext/core/XrRTB.h"

#include "platform/host/CommonDialog.h"
#include "platform/host/MessageBox.h"
#include "platform/host/Printer.h"
#include "platform/richedit/view/Messages.h"
#include "platform/runtime/VbError.h"
#include "richtext/common/RichTextLibraryState.h"

#include <QFile>
#include <QFileInfo>
#include <exception>

namespace {

const QString DocumentFilter = QStringLiteral(
    "Wexmoor Document File (*.wmdf)|*.wmdf|RichText Format (*.rtf)|*.rtf|Text Files (*.txt)|*.txt");
const QString SaveFilterWithoutRtf =
    QStringLiteral("Wexmoor Document File (*.wmdf)|*.wmdf|Text Files (*.txt)|*.txt");
const QByteArray EncryptedMarker("xreS", 4);

int16_t errorNumber(const std::exception& error)
{
    if (const auto* vbError = dynamic_cast<const vb::VbError*>(&error))
        return int16_t(vbError->number());
    return int16_t(vb::ErrInvalidProcedureCall);
}

bool cancelled(const std::exception& error)
{
    return errorNumber(error) == vb::ErrCancel;
}

// The open dialog's entry to the type it loads: 1 own type, 2 RTF, 3 text.
std::optional<QFileType> openType(int index)
{
    switch (index) {
        case 1:
            return rtfWXF;
        case 2:
            return rtfRTF;
        case 3:
            return rtfText;
        default:
            return std::nullopt;
    }
}

// The colour dialog, full open, starting on `start`; raises when the user cancels.
host::OLE_COLOR askColour(host::CommonDialog& dialog, host::OLE_COLOR start)
{
    dialog.CancelError = true;
    dialog.Flags = host::cdlCCRGBInit | host::cdlCCFullOpen;
    dialog.Color = start;
    dialog.ShowColor();
    return host::OLE_COLOR(dialog.Color);
}

}  // namespace

// --- Colour and font ---

host::OLE_COLOR XrRTB::CommonDialogColor(bool& UserCancelQ, bool UseOrigONCancel,
                                         host::OLE_COLOR MyOrgigColor)
{
    int16_t ignored = 0;
    return CommonDialogColor(UserCancelQ, UseOrigONCancel, MyOrgigColor, ignored);
}

host::OLE_COLOR XrRTB::CommonDialogColor(bool& UserCancelQ, bool UseOrigONCancel,
                                         host::OLE_COLOR MyOrgigColor, int16_t& MyErr)
{
    UserCancelQ = false;
    host::OLE_COLOR chosen = 0;
    try {
        chosen = askColour(*CommonDialog1, MyOrgigColor);
    } catch (const std::exception& error) {
        MyErr = errorNumber(error);
        if (cancelled(error)) {
            RichTextBox1->SetFocus();
            UserCancelQ = true;
            return UseOrigONCancel ? MyOrgigColor : 0;
        }
        // Any other error goes on with the next statement, as in every dialog member: the
        // colour is what the dialog holds.
        chosen = host::OLE_COLOR(CommonDialog1->Color);
    }
    try {
        SaveSpecialUndoData();
    } catch (const std::exception& error) {
        MyErr = errorNumber(error);
    }
    ClearUndoBuffer();
    return chosen;
}

host::OLE_COLOR XrRTB::CommonDialogFontColor(host::OLE_COLOR MyOrgigColor)
{
    int16_t ignored = 0;
    return CommonDialogFontColor(MyOrgigColor, ignored);
}

host::OLE_COLOR XrRTB::CommonDialogFontColor(host::OLE_COLOR MyOrgigColor, int16_t& MyErr)
{
    try {
        const host::OLE_COLOR chosen = askColour(*CommonDialog1, MyOrgigColor);
        LetSelColor(chosen);
        RichTextBox1->SetFocus();
        return chosen;
    } catch (const std::exception& error) {
        MyErr = errorNumber(error);
        RichTextBox1->SetFocus();
        return MyOrgigColor;
    }
}

host::OLE_COLOR XrRTB::CommonDialogSelFontColor(host::OLE_COLOR CurrentColor)
{
    int16_t ignored = 0;
    return CommonDialogSelFontColor(CurrentColor, ignored);
}

host::OLE_COLOR XrRTB::CommonDialogSelFontColor(host::OLE_COLOR CurrentColor, int16_t& MyErr)
{
    try {
        return askColour(*CommonDialog1, CurrentColor);
    } catch (const std::exception& error) {
        MyErr = errorNumber(error);
        if (cancelled(error))
            RichTextBox1->SetFocus();
        return CurrentColor;
    }
}

host::OLE_COLOR XrRTB::CommonDialogSelColor(host::OLE_COLOR CurrentColor)
{
    return CommonDialogSelFontColor(CurrentColor);
}

host::OLE_COLOR XrRTB::CommonDialogSelColor(host::OLE_COLOR CurrentColor, int16_t& MyErr)
{
    return CommonDialogSelFontColor(CurrentColor, MyErr);
}

void XrRTB::CommonDialogFontSelect()
{
    int16_t ignored = 0;
    CommonDialogFontSelect(ignored);
}

void XrRTB::CommonDialogFontSelect(int16_t& MyErr)
{
    try {
        CommonDialog1->CancelError = true;
        CommonDialog1->FontName = SelFontName();
        CommonDialog1->FontSize = SelFontSize();
        CommonDialog1->FontBold = SelBold();
        CommonDialog1->FontItalic = SelItalic();
        CommonDialog1->Flags = host::cdlCFBoth;
        CommonDialog1->ShowFont();
        SaveSpecialUndoData();
        LetSelFontName(CommonDialog1->FontName);
        LetSelFontSize(int16_t(CommonDialog1->FontSize));
        LetSelBold(CommonDialog1->FontBold);
        LetSelItalic(CommonDialog1->FontItalic);
        RichTextBox1->SetFocus();
        ClearUndoBuffer();
    } catch (const std::exception& error) {
        MyErr = errorNumber(error);
        if (cancelled(error))
            RichTextBox1->SetFocus();
    }
}

// --- Open ---

QString XrRTB::CommonDialogFileOpen()
{
    bool links = false;
    int16_t showIndex = 0;
    int16_t chosenIndex = 0;
    int16_t error = 0;
    bool success = false;
    return CommonDialogFileOpen(QString(), QString(), links, showIndex, chosenIndex, error,
                                success);
}

QString XrRTB::CommonDialogFileOpen(const QString& DefaultDirectory, const QString& CustomFilter,
                                    bool& TextWLinks, int16_t& ShowFilterIndex, int16_t& FindexRet,
                                    int16_t& MyErr, bool& OpenSuccess, const QString& Title)
{
    try {
        CommonDialog1->CancelError = true;
        CommonDialog1->FileName.clear();
        CommonDialog1->DialogTitle = Title;
        CommonDialog1->Filter = CustomFilter.isEmpty() ? DocumentFilter : CustomFilter;
        CommonDialog1->FilterIndex = 1;
        if (!DefaultDirectory.isEmpty())
            CommonDialog1->InitDir = DefaultDirectory;
        CommonDialog1->Flags = host::cdlOFNFileMustExist | host::cdlOFNHideReadOnly;
        if (ShowFilterIndex != 0)
            CommonDialog1->FilterIndex = ShowFilterIndex;
        CommonDialog1->ShowOpen();
    } catch (const std::exception& error) {
        MyErr = errorNumber(error);
        if (cancelled(error)) {
            RichTextBox1->SetFocus();
            return QString();
        }
    }

    const QString name = CommonDialog1->FileName;
    const int index = CommonDialog1->FilterIndex;
    bool encrypted = false;
    try {
        encrypted = IsFileEncrypted(name);
    } catch (const std::exception& error) {
        // Counted as not encrypted; LoadFile then reports the file as in use.
        MyErr = errorNumber(error);
    }
    if (encrypted) {
        FindexRet = int16_t(index);
        return name;
    }
    bool loaded = false;
    if (const std::optional<QFileType> type = openType(index)) {
        FindexRet = int16_t(index);
        bool links = *type == rtfText ? TextWLinks : false;
        LoadFile(name, *type, links, loaded);
        if (m_loadError != 0)
            MyErr = int16_t(m_loadError);
    }
    if (loaded)
        OpenSuccess = true;
    finishOpen(loaded);
    return name;
}

void XrRTB::OpenDecryptedFile(const QString& MyFileName, int16_t MyIndex)
{
    bool links = false;
    bool success = false;
    int16_t error = 0;
    OpenDecryptedFile(MyFileName, MyIndex, links, success, error);
}

void XrRTB::OpenDecryptedFile(const QString& MyFileName, int16_t MyIndex, bool& TextWLinks,
                              bool& OpenSuccess, int16_t& MyErr)
{
    bool loaded = false;
    try {
        if (const std::optional<QFileType> type = openType(MyIndex)) {
            bool links = *type == rtfText ? TextWLinks : false;
            LoadFile(MyFileName, *type, links, loaded);
            if (m_loadError != 0)
                MyErr = int16_t(m_loadError);
        }
    } catch (const std::exception& error) {
        MyErr = errorNumber(error);
    }
    if (loaded)
        OpenSuccess = true;
    finishOpen(loaded);
}

void XrRTB::finishOpen(bool loaded)
{
    if (loaded) {
        richedit::sendMessage(RichTextBox1->hWnd(), richedit::EM_SETMODIFY, 0, 0);
        RichTextLibraryState::instance().SpecialUndoSnapshot.held = false;
    }
    SyncRulerHandles();
    SetRulerTabs();
    emit Finish();
    emit Ready();
}

bool XrRTB::IsFileEncrypted(const QString& FileNameSTR)
{
    if (FileNameSTR.isEmpty())
        return false;
    QFile file(FileNameSTR);
    if (!file.open(QIODevice::ReadOnly))
        throw vb::VbError::fromNumber(file.exists() ? vb::ErrPathFileAccess : vb::ErrFileNotFound);
    // Exact bytes: the marker in another case is no marker.
    return file.read(4) == EncryptedMarker;
}

// --- Save ---

bool XrRTB::writeDocument(const QString& path, QFileType type, bool askFirst, bool& written)
{
    written = false;
    if (askFirst && type == rtfText && ContainSpecialFormatting()) {
        const int answer = host::MsgBox(
            QStringLiteral("Saving this document as a ''Text File'' will cause formatting to be "
                           "lost.\r\nOn the Menu click ''File'' then Select ''Save As'' and choose "
                           "either (.wmdf) or (.rtf) to preserve formatting.\r\nDo you wish to "
                           "save as a ''Text File'' anyway?"),
            host::vbYesNo, QStringLiteral("Wexmoor Scrivet"), this);
        if (answer != host::vbYes)
            return false;
    }
    const std::optional<vb::VbError> error =
        RichTextBox1->SaveFile(path, type == rtfText ? rtfText : rtfRTF);
    if (!error) {
        written = true;
        return true;
    }
    // The fixed text, then why in plain words: a full disk, no right, a size limit, a folder
    // that is gone.
    QString cannotSave = QStringLiteral("Cannot Save File an error has occured!");
    if (!error->description().isEmpty() &&
        error->description() != vb::errorDescription(error->number())) {
        QString reason = error->description();
        reason[0] = reason[0].toUpper();
        cannotSave += QStringLiteral("\r\n") + reason + QLatin1Char('.');
    }
    // Read-only by its permission bits, which the window honours even where the process could
    // replace the file anyway.
    const QFileInfo target(path);
    const bool readOnly = target.exists() && (!target.isWritable() ||
                                              !(target.permissions() & QFileDevice::WriteOwner));
    if (error->number() == 75 && readOnly)
        host::MsgBox(QStringLiteral("Cannot Rewrite or Save: File is Read-only"),
                     host::vbInformation, QStringLiteral("File is Read-only"), this);
    else
        host::MsgBox(cannotSave, host::vbInformation,
                     QStringLiteral("File Access Error %1").arg(error->number()), this);
    return true;
}

bool XrRTB::SaveFile(const QString& bstrFilename, QFileType vFlags)
{
    bool written = false;
    writeDocument(bstrFilename, vFlags, true, written);
    return written;
}

QString XrRTB::CommonDialogFileSave()
{
    int16_t showIndex = 0;
    int16_t chosenIndex = 0;
    int16_t error = 0;
    bool success = false;
    return CommonDialogFileSave(QString(), QString(), true, QString(), showIndex, chosenIndex,
                                error, QStringLiteral("Save File..."), success);
}

QString XrRTB::CommonDialogFileSave(const QString& DefaultDirectory, const QString& FileNameSTR,
                                    bool PromptOverWrite, const QString& CustomFilter,
                                    int16_t& ShowFilterIndex, int16_t& FindexRet, int16_t& MyErr,
                                    const QString& Title, bool& SaveSuccess)
{
    try {
        CommonDialog1->CancelError = true;
        CommonDialog1->FileName = FileNameSTR;
        CommonDialog1->DialogTitle = Title;
        if (!CustomFilter.isEmpty())
            CommonDialog1->Filter = CustomFilter;
        else
            CommonDialog1->Filter = m_settings.AllowRTFSave ? DocumentFilter : SaveFilterWithoutRtf;
        CommonDialog1->FilterIndex = 1;
        if (!DefaultDirectory.isEmpty())
            CommonDialog1->InitDir = DefaultDirectory;
        // A new file is what a save makes: the name need not exist yet.
        CommonDialog1->Flags = PromptOverWrite
                                   ? (host::cdlOFNOverwritePrompt | host::cdlOFNHideReadOnly)
                                   : long(host::cdlOFNHideReadOnly);
        if (ShowFilterIndex != 0)
            CommonDialog1->FilterIndex = ShowFilterIndex;
        CommonDialog1->ShowSave();
    } catch (const std::exception& error) {
        MyErr = errorNumber(error);
        if (cancelled(error)) {
            RichTextBox1->SetFocus();
            return QString();
        }
    }

    const QString name = CommonDialog1->FileName;
    const int index = CommonDialog1->FilterIndex;
    std::optional<QFileType> type;
    if (m_settings.AllowRTFSave) {
        if (index == 1 || index == 2)
            type = rtfRTF;
        else if (index == 3)
            type = rtfText;
    } else {
        if (index == 1)
            type = rtfRTF;
        else if (index == 2)
            type = rtfText;
    }
    if (!type)
        return name;
    bool written = false;
    if (writeDocument(name, *type, true, written))
        FindexRet = int16_t(index);
    SaveSuccess = written;
    return name;
}

// --- Print ---

int32_t XrRTB::CommonDialogPrint()
{
    int16_t ignored = 0;
    return CommonDialogPrint(ignored);
}

int32_t XrRTB::CommonDialogPrint(int16_t& MyErr)
{
    if (!PrinterInstalled())
        return 0;
    host::Printer& printer = host::printer();
    try {
        CommonDialog1->CancelError = true;
        CommonDialog1->Flags = host::cdlPDNoSelection | host::cdlPDNoPageNums |
                               host::cdlPDReturnDC | host::cdlPDDisablePrintToFile;
        CommonDialog1->ShowPrinter();
        printer.setOrientation(CommonDialog1->Orientation == host::cdlLandscape
                                   ? host::cdlLandscape
                                   : host::cdlPortrait);
        printer.Print(QString());
        printer.setScaleMode(host::vbTwips);

        const auto offsetX =
            int32_t(printer.GetDeviceCaps(host::PHYSICALOFFSETX) * printer.TwipsPerPixelX());
        const auto offsetY =
            int32_t(printer.GetDeviceCaps(host::PHYSICALOFFSETY) * printer.TwipsPerPixelY());
        const int32_t margin = m_settings.PrinterMargin;
        // Margins are measured from the paper's edge, the rectangle from the printable origin.
        const auto paperWidth = int32_t(printer.Width());
        const auto paperHeight = int32_t(printer.Height());
        const richedit::Rect area{margin - offsetX, margin - offsetY, paperWidth - margin - offsetX,
                                  paperHeight - margin - offsetY};
        const auto width = int32_t(printer.ScaleWidth());
        const auto height = int32_t(printer.ScaleHeight());
        const long dpiX = printer.GetDeviceCaps(host::LOGPIXELSX);
        const long dpiY = printer.GetDeviceCaps(host::LOGPIXELSY);
        const richedit::TargetDevice target{int(dpiX), int(dpiY), printer.measuringDevice()};
        richedit::FormatRange format{nullptr, &target, area, richedit::Rect{0, 0, width, height},
                                     richedit::CharRange{0, -1}};
        auto& engine = RichTextBox1->engine();
        const int32_t textLength = int32_t(RichTextBox1->Text().size());
        for (;;) {
            format.painter = printer.pagePainter();
            format.rc = area;
            const int32_t next = engine.formatRange(format, true);
            // A page that placed nothing new would be printed for ever.
            if (next >= textLength || next <= format.chrg.cpMin)
                break;
            printer.NewPage();
            printer.Print(QString());
            format.chrg.cpMin = next;
        }
        printer.EndDoc();
        engine.releaseFormatCache();
        return 1;
    } catch (const std::exception& error) {
        RichTextBox1->engine().releaseFormatCache();
        MyErr = errorNumber(error);
        if (cancelled(error))
            return 0;
        printer.KillDoc();
        RichTextBox1->SetFocus();
        return MyErr;
    }
}
