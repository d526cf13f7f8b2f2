#include "app/InitMod.h"

#include "app/ExtensionMod.h"
#include "app/ScrivetApplication.h"
#include "app/SettingsFile.h"
#include "app/ShellLauncher.h"
#include "platform/host/Resources.h"
#include "platform/system/DesktopAssociation.h"
#include "platform/system/DesktopRegistration.h"
#include "platform/system/FileSystem.h"
#include "platform/system/HelpPages.h"
#include "platform/system/RegistryCalls.h"
#include "richtext/core/FileManagementMod.h"

#include <QCoreApplication>
#include <QFile>

// The program's resources live in a static library; this pulls them into the program.
static void initialiseProgramResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(Scrivet);
        // The desktop has no viewer for the compiled help file: its pages go to the browser.
        sys::registerHelpPages(app::ApplicationTitle + QStringLiteral(".chm"),
                               QStringLiteral(":/Scrivet/HELPPAGES/102"));
        done = true;
    }
}

namespace app {
namespace {

constexpr QChar Separator = QLatin1Char('/');

QString& settingsPathValue()
{
    static QString path;
    return path;
}

// Whether the association store holds the registration this program writes, whole, and the
// desktop has its files.
bool registrationComplete(const QString& documentIcon)
{
    const std::optional<sys::FileAssociation> registered =
        sys::readFileAssociation(sys::registryService().get(), DocumentExtension);
    return registered && registered->typeName == DocumentClass &&
           registered->description == DocumentDescription && registered->iconPath == documentIcon &&
           registered->openCommand == associationOpenCommand(programPath()) &&
           sys::desktopMirrorInPlace(DocumentExtension);
}

}  // namespace

InstallationPaths installationPathsUnder(const QString& applicationDataFolder)
{
    InstallationPaths paths;
    paths.makerFolder =
        AddTrailingBackslash(applicationDataFolder) + AddTrailingBackslash(MakerFolderName);
    paths.applicationFolder = paths.makerFolder + AddTrailingBackslash(ApplicationTitle);
    paths.mediaFolder = paths.makerFolder + QStringLiteral("Media") + Separator;
    paths.helpFolder = paths.makerFolder + QStringLiteral("Help") + Separator;
    paths.settingsFile = paths.applicationFolder + SettingsFileName;
    paths.documentIcon = paths.mediaFolder + QStringLiteral("1.ico");
    paths.aboutText = paths.mediaFolder + QStringLiteral("About.rtf");
    paths.helpFile = paths.helpFolder + ApplicationTitle + QStringLiteral(".chm");
    return paths;
}

const QString& settingsFilePath()
{
    return settingsPathValue();
}

void setSettingsFilePath(const QString& path)
{
    settingsPathValue() = path;
}

QString AddTrailingBackslash(const QString& text)
{
    return text.endsWith(Separator) ? text : text + Separator;
}

QString programPath()
{
    return QCoreApplication::applicationFilePath();
}

void InitialiseApplication()
{
    initialiseProgramResources();
    sys::setProgramDisplayName(ProductName);
    const QString base = FileManagementMod::GetSpecialFolder(FileManagementMod::CSIDL_APPDATA);
    if (base.isEmpty())
        return;
    const InstallationPaths paths = installationPathsUnder(base);
    setSettingsFilePath(paths.settingsFile);

    for (const QString& folder :
         {paths.makerFolder, paths.applicationFolder, paths.mediaFolder, paths.helpFolder}) {
        if (!FileManagementMod::FolderExists(folder))
            FileManagementMod::EnsureFolder(folder);
    }

    struct DataFile {
        const QString& path;
        const char* type;
        qint16 id;
    };
    for (const DataFile& file :
         {DataFile{paths.documentIcon, "EXTENSIONICON", 101},
          DataFile{paths.aboutText, "ABOUT", 101}, DataFile{paths.helpFile, "HELP", 102}}) {
        if (!PathExists(file.path))
            WriteResourceToFile(file.id, file.path, QString::fromLatin1(file.type));
    }

    // Handed to the desktop once the window is painted when the program defers it.
    const auto registerAssociation = [icon = paths.documentIcon] {
        sys::registerWithDesktop([icon] {
            RegisterFileAssociation(DocumentExtension, programPath(), DocumentClass,
                                    DocumentDescription, icon);
        });
    };
    if (PathExists(paths.settingsFile)) {
        // A program that has moved takes its registration (and its menu entry) along, and a
        // first start that ended before its registration was through is completed.
        if (!registrationComplete(paths.documentIcon))
            registerAssociation();
        return;
    }
    EnsureFile(paths.settingsFile);
    writeFirstRunSettings({paths.settingsFile, paths.aboutText, paths.helpFile},
                          registerAssociation);
}

bool WriteResourceToFile(qint16 resourceId, const QString& path, const QString& resourceType)
{
    initialiseProgramResources();
    const std::optional<QByteArray> data =
        host::resourceData(ApplicationTitle, resourceType, resourceId);
    if (!data || path.isEmpty())
        return false;
    return sys::writeFileSafely(path, *data);
}

bool EnsureFile(const QString& path)
{
    if (path.isEmpty() || FileManagementMod::FileExists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    file.close();
    return true;
}

}  // namespace app
