// The editing control's help file on disk, and the small file and folder routines the library
// and the program share for their first-run files.
#pragma once

#include <QString>
#include <QtGlobal>

namespace FileManagementMod {

// Special-folder identifier of the user's application-data folder (the only one we map).
constexpr qint32 CSIDL_APPDATA = 26;

// Writes the control's help file under the application-data folder when it is missing (an
// existing file is never replaced) and returns its help path: the file path followed by
// "::/xrwmshelp.txt", which also becomes the library's help file. `helpFile` receives the
// bare file path. Without an application-data folder nothing is created; when the file can be
// neither found nor written both results are empty and the library's help file stays as it was.
QString BuildHelpFilePath(QString& helpFile);

// The folder's path with a trailing separator. Unknown identifiers and a missing folder show
// the "GetSpecialFolderA" message box and give an empty text.
QString GetSpecialFolder(qint32 csidl);

// Creates the folder (its last level only) when it does not exist; true when it was created.
bool EnsureFolder(const QString& path);

// True when the path, trimmed by TrimApiString, names a folder.
bool FolderExists(const QString& path);

// The path without blanks at its ends and without one trailing separator.
QString TrimApiString(const QString& path);

// Writes the library's resource of that type and identifier into the file, replacing it as one
// step; true when the whole resource was written.
bool WriteResourceToFile(qint16 resourceId, const QString& path, const QString& resourceType);

// True when the path names a file (of any length, 0 bytes included).
bool FileExists(const QString& path);

// The help path BuildHelpFilePath last handed out: the library's help file.
QString applicationHelpFile();

// Makes the path the library's help file, the one context help opens.
void setApplicationHelpFile(const QString& path);

// Forgets the library's help file (for tests).
void resetApplicationHelpFile();

}  // namespace FileManagementMod
