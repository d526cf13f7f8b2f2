// The file commands of the main window: Open, Save and Save As through the editing control's
// dialogs, the save step that Open and the close share, and the link refresh after an open.
#include "app/DocumentNames.h"
#include "app/Form1.h"
#include "app/InitMod.h"
#include "app/ScrivetApplication.h"
#include "app/SettingsFile.h"
#include "app/ShellLauncher.h"
#include "platform/host/MessageBox.h"
#include "platform/runtime/VbError.h"
#include "platform/widgets/StatusBar.h"
#include "richtext/core/XrRTB.h"

#include <QAction>

namespace app {
namespace {

constexpr int16_t CancelledDialog = 32755;

qint16 readIndex(const char* key)
{
    return readSettingInt16(SettingsSection, QString::fromLatin1(key), settingsFilePath(), 1);
}

void writeSetting(const char* key, const QString& value)
{
    IniWrite(SettingsSection, QString::fromLatin1(key), value, settingsFilePath());
}

// The control's file type for a document type: the own type holds RTF.
QFileType fileTypeOf(qint32 documentType)
{
    return documentType == rtfText ? ::rtfText : ::rtfRTF;
}

// The type of the open dialog's entry: 1 own type, 2 RTF, 3 plain text.
qint32 documentTypeOfOpenEntry(int16_t entry)
{
    switch (entry) {
        case 2:
            return rtfRTF;
        case 3:
            return rtfText;
        default:
            return rtfWXF;
    }
}

// The type the save dialog's entry writes: plain text for the text entry (the last), else RTF
// as the own type (entry 1) or as RTF.
qint32 documentTypeOfSaveEntry(int16_t entry, bool rtfSaving)
{
    if (entry == (rtfSaving ? 3 : 2))
        return rtfText;
    return entry == 1 ? rtfWXF : rtfRTF;
}

// What a failed open tells, by the control's error number: a file the user may not read is
// told apart from one that is no document.
QString openFailureText(int16_t error)
{
    switch (error) {
        case vb::ErrPermissionDenied:
            return QStringLiteral("The file cannot be opened: permission denied.");
        case vb::ErrOutOfMemory:
            return QStringLiteral(
                "The document is too large for the memory available and was "
                "not opened.");
        case vb::ErrFileNotFound:
            return QStringLiteral("The file cannot be opened: it does not exist.");
        case vb::ErrPathFileAccess:
            return QStringLiteral("The file cannot be read.");
        default:
            return QStringLiteral("Invalid File Format or Corrupted File.");
    }
}

}  // namespace

int Form1::askSaveQuestion()
{
    return host::MsgBox(
        QStringLiteral("Your document has changed. Do you wish to save the changes?  "),
        host::vbYesNoCancel, ProductName, this);
}

void Form1::setDocumentUnchanged()
{
    bool changed = false;
    XrRTB1->SetRTBChanged(changed);
}

bool Form1::saveThroughDialog(const QString& suggestedName, int16_t filterIndex)
{
    int16_t chosenIndex = 0;
    int16_t error = 0;
    bool saved = false;
    const QString name =
        XrRTB1->CommonDialogFileSave(QString(), suggestedName, true, QString(), filterIndex,
                                     chosenIndex, error, QStringLiteral("Save File..."), saved);
    if (!saved)
        return false;
    m_documentPath = name;
    // The type the file was written as, so that every later Save writes the same.
    const qint32 written = documentTypeOfSaveEntry(chosenIndex, XrRTB1->AllowRTFSave());
    m_documentType = documentTypeOfContent(DocumentTypeFromPath(name),
                                           written == rtfText ? rtfText : rtfRTF, written);
    noteDocumentFileVersion();
    writeSetting("SAVEINDEX", QString::number(chosenIndex));
    updateSaveEntry();
    return true;
}

void Form1::noteDocumentFileVersion()
{
    m_documentFileVersion = sys::fileVersion(m_documentPath);
}

bool Form1::mayOverwriteDocumentFile()
{
    if (sys::fileVersion(m_documentPath) == m_documentFileVersion)
        return true;
    // Another window or program saved the file since: its work is not dropped unasked.
    const int answer = host::MsgBox(
        QStringLiteral("The file %1 was changed by another program or window since it was "
                       "opened or saved here.\r\nDo you wish to overwrite it?")
            .arg(GetDisplayName(m_documentPath)),
        host::vbYesNo | host::vbExclamation, ProductName, this);
    return answer == host::vbYes;
}

bool Form1::saveChangedDocument()
{
    if (!PathExists(m_documentPath))
        return saveThroughDialog(QStringLiteral("Document"), readIndex("SAVEINDEX"));
    if (m_documentType < rtfRTF || m_documentType > rtfWXF)
        return true;
    // A failed write, or one the user declined, leaves the document changed and stops what
    // was to follow.
    if (!mayOverwriteDocumentFile() ||
        !XrRTB1->SaveFile(m_documentPath, fileTypeOf(m_documentType)))
        return false;
    noteDocumentFileVersion();
    setDocumentUnchanged();
    return true;
}

void Form1::menuOpen_Click()
{
    if (XrRTB1->HasRTBChanged()) {
        const int answer = askSaveQuestion();
        if (answer == host::vbYes) {
            if (!saveChangedDocument())
                return;
        } else if (answer != host::vbNo) {
            UpdateTitleAndStatus(false);
            return;
        }
    }

    bool textWithLinks = true;
    int16_t filterIndex = readIndex("OPENINDEX");
    int16_t chosenIndex = 0;
    int16_t error = 0;
    bool opened = false;
    const QString name = XrRTB1->CommonDialogFileOpen(QString(), QString(), textWithLinks,
                                                      filterIndex, chosenIndex, error, opened);
    if (opened) {
        RefreshLinksAfterOpen();
        m_documentPath = name;
        noteDocumentFileVersion();
        writeSetting("OPENINDEX", QString::number(chosenIndex));
        // The type the file was read as, whatever the entry or the name says: saving writes it
        // back so.
        m_documentType = documentTypeOfContent(DocumentTypeFromPath(name), XrRTB1->loadedFileType(),
                                               documentTypeOfOpenEntry(chosenIndex));
        const QString displayName = GetDisplayName(name);
        setWindowTitle(displayName + QStringLiteral(" - ") + ProductName);
        StatusBar1->Panels(1).setText(QStringLiteral("Document Name: ") + displayName);
    } else if (error != CancelledDialog && error != vb::ErrFileAlreadyOpen) {
        // A file in use was told already, with its name and why.
        host::MsgBox(openFailureText(error), host::vbOKOnly | host::vbInformation,
                     QStringLiteral("Cannot Open File"), this);
    }
    XrRTB1->SetInFocus();
    updateSaveEntry();
    UpdateTitleAndStatus(false);
}

void Form1::RefreshLinksAfterOpen()
{
    const bool unchanged = !XrRTB1->HasRTBChanged();
    applyAutoLinkSetting(readSettingInt16(SettingsSection, QStringLiteral("ENABLEAUTOLINK"),
                                          settingsFilePath(), -1));
    if (unchanged)
        setDocumentUnchanged();
}

void Form1::updateSaveEntry()
{
    menuSave->setEnabled(!(m_documentType == rtfRTF && !XrRTB1->AllowRTFSave()));
}

void Form1::menuSave_Click()
{
    if (!PathExists(m_documentPath)) {
        if (saveThroughDialog(QStringLiteral("Document"), readIndex("SAVEINDEX")))
            setDocumentUnchanged();
        UpdateTitleAndStatus(false);
        XrRTB1->SetInFocus();
        return;
    }
    if (m_documentType == rtfRTF && !XrRTB1->AllowRTFSave()) {
        const int answer = host::MsgBox(
            QStringLiteral("Some formatting differences exist between Wexmoor Scrivet RTF (Rich "
                           "Text Format) and the RTF used by other text editing software. Click "
                           "OK if you wish to save as an RTF file or click To cancel and choose "
                           "''Save As..'' .wmdf file from the drop down menu."),
            host::vbOKCancel | host::vbInformation, ProductName, this);
        if (answer != host::vbOK)
            return;
    }
    if (m_documentType < rtfRTF || m_documentType > rtfWXF || !mayOverwriteDocumentFile())
        return;
    // Only a document that reached its file counts as saved.
    if (XrRTB1->SaveFile(m_documentPath, fileTypeOf(m_documentType))) {
        noteDocumentFileVersion();
        setDocumentUnchanged();
    }
}

void Form1::menuSaveas_Click()
{
    const bool rtfSaving = XrRTB1->AllowRTFSave();
    int16_t filterIndex = 1;
    switch (m_documentType) {
        case rtfRTF:
            filterIndex = rtfSaving ? 2 : 1;
            break;
        case rtfText:
            filterIndex = rtfSaving ? 3 : 2;
            break;
        case rtfWXF:
            filterIndex = 1;
            break;
        default:
            filterIndex = readIndex("SAVEINDEX");
            break;
    }
    const QString suggested =
        m_documentPath.isEmpty() ? QStringLiteral("Document") : GetDisplayName(m_documentPath);
    if (saveThroughDialog(suggested, filterIndex))
        setDocumentUnchanged();
    else if (m_documentPath.isEmpty()) {
        // A never-saved document stays without a path, so a later Save asks for one instead
        // of writing "Document" into the working folder.
        m_documentType = rtfWXF;
    }
    UpdateTitleAndStatus(false);
    XrRTB1->SetInFocus();
}

void Form1::menuPrint_Click()
{
    if (XrRTB1->PrinterInstalled())
        XrRTB1->ShowPrintPreview();
    else
        host::MsgBox(QStringLiteral("Install and connect a printer for printing."),
                     host::vbOKOnly | host::vbInformation, QStringLiteral("No Printer Detected!"),
                     this);
    XrRTB1->SetInFocus();
}

}  // namespace app
