// Start-up initialisation: the program's folders under the application-data folder, its three
// data files written out of its own resources when missing, and on the very first run the
// settings file with its defaults and the document association.
#pragma once

#include <QString>
#include <QtGlobal>

namespace app {

// The application title: the name of the program's own folder and of its help file.
inline const QString ApplicationTitle = QStringLiteral("Scrivet");
inline const QString MakerFolderName = QStringLiteral("Wexmoor Software");
inline const QString DocumentExtension = QStringLiteral(".wmdf");
inline const QString DocumentClass = QStringLiteral("wmdf_ext");
inline const QString DocumentDescription = QStringLiteral("Wexmoor Document File");

// Every folder and file the initialisation lays out; folders end in a separator.
struct InstallationPaths {
    QString makerFolder;
    QString applicationFolder;
    QString mediaFolder;
    QString helpFolder;
    QString settingsFile;
    QString documentIcon;
    QString aboutText;
    QString helpFile;
};

// The paths below an application-data folder (which may or may not end in a separator).
InstallationPaths installationPathsUnder(const QString& applicationDataFolder);

// The settings file every window reads and writes; set once by InitialiseApplication.
const QString& settingsFilePath();
void setSettingsFilePath(const QString& path);

// The text with a separator appended unless it already ends in one.
QString AddTrailingBackslash(const QString& text);

// The running program's own file, which the document association opens documents with.
QString programPath();

// Lays out folders and files as described above. Without an application-data folder nothing is
// made (the paths would fall into the working directory) and the settings path stays empty.
void InitialiseApplication();

// Writes the program's resource of that type and identifier into the file, byte for byte;
// true when the whole resource was written.
bool WriteResourceToFile(qint16 resourceId, const QString& path, const QString& resourceType);

// Creates the file empty when it does not exist and returns true; false when it existed or
// could not be made.
bool EnsureFile(const QString& path);

}  // namespace app
