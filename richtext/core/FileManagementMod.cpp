#include "richtext/core/FileManagementMod.h"

#include "platform/host/MessageBox.h"
#include "platform/host/Resources.h"
#include "platform/runtime/VbStrings.h"
#include "platform/system/FileSystem.h"
#include "platform/system/HelpPages.h"
#include "platform/system/SpecialFolders.h"

#include <QDir>

namespace FileManagementMod {
namespace {

constexpr QChar kSeparator = QLatin1Char('/');
constexpr qint16 kHelpResourceId = 101;

QString& libraryHelpFile()
{
    static QString path;
    return path;
}

// The folder the shell would report for the identifier, or nothing. The application-data
// folder always exists where the control was designed to run; a fresh account here may not
// have it yet, so it is made, and a folder that can be neither found nor made is a failure.
QString shellFolderPath(qint32 csidl)
{
    if (csidl != CSIDL_APPDATA)
        return {};
    const QString folder = sys::applicationDataFolder();
    if (folder.isEmpty())
        return {};
    if (!sys::folderExists(folder) && !sys::createFolder(folder))
        return {};
    return folder;
}

}  // namespace

QString BuildHelpFilePath(QString& helpFile)
{
    helpFile.clear();
    QString path = GetSpecialFolder(CSIDL_APPDATA);
    // Without a base the folders would land relative to the working directory: make none.
    if (path.isEmpty())
        return {};
    for (const char* folder : {"Fenwater Software", "Xr HELP", "Xr RTB HELP"}) {
        path += QLatin1String(folder) + kSeparator;
        EnsureFolder(path);
    }
    path += QStringLiteral("XrRTBHelp.chm");
    // The desktop has no viewer for the compiled help file: its pages go to the browser.
    sys::registerHelpPages(QStringLiteral("XrRTBHelp.chm"),
                           QStringLiteral(":/XrRichTextBox/HELPPAGES/101"));

    // An existing file is kept whatever it holds; one that can be neither found nor written
    // leaves no help path to hand out.
    if (!FileExists(path) && !WriteResourceToFile(kHelpResourceId, path, QStringLiteral("HELP")))
        return {};
    helpFile = path;
    path += QStringLiteral("::/xrwmshelp.txt");
    libraryHelpFile() = path;
    return path;
}

QString GetSpecialFolder(qint32 csidl)
{
    const QString folder = shellFolderPath(csidl);
    if (folder.isEmpty()) {
        host::MsgBox(QStringLiteral("GetSpecialFolderA"), host::vbOKOnly);
        return {};
    }
    return folder.endsWith(kSeparator) ? folder : folder + kSeparator;
}

bool EnsureFolder(const QString& path)
{
    // A path of blanks names no folder (it would make one named by blanks here).
    if (TrimApiString(path).isEmpty() || FolderExists(path))
        return false;
    // One level only, as the caller builds the path level by level.
    return QDir().mkdir(path);
}

bool FolderExists(const QString& path)
{
    const QString trimmed = TrimApiString(path);
    return !trimmed.isEmpty() && sys::folderExists(trimmed);
}

QString TrimApiString(const QString& path)
{
    QString trimmed = vb::Trim(path);
    if (trimmed.endsWith(kSeparator))
        trimmed.chop(1);
    return trimmed;
}

bool WriteResourceToFile(qint16 resourceId, const QString& path, const QString& resourceType)
{
    const std::optional<QByteArray> data =
        host::resourceData(QStringLiteral("XrRichTextBox"), resourceType, resourceId);
    if (!data || path.isEmpty())
        return false;
    return sys::writeFileSafely(path, *data);
}

bool FileExists(const QString& path)
{
    return !path.isEmpty() && sys::fileExists(path);
}

QString applicationHelpFile()
{
    return libraryHelpFile();
}

void setApplicationHelpFile(const QString& path)
{
    libraryHelpFile() = path;
}

void resetApplicationHelpFile()
{
    libraryHelpFile().clear();
}

}  // namespace FileManagementMod
