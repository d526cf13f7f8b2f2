// What the main window reads from a document's file name: its type, extension and display
// name, and the document path taken from the command line.
#pragma once

#include <QString>
#include <QtGlobal>

namespace app {

// The text up to its first NUL character.
QString TrimAtNul(const QString& text);

// The text after the last "~"; the whole text when it has none.
QString TextAfterLastTilde(const QString& text);

// The text after the last "." of the whole path, lower case, cut at a NUL; "" when the path has
// no "." or ends in one.
QString GetExtension(const QString& path);

// "WMD" and "WMDF" give the own type (2), "TXT" plain text (1), anything else RTF (0).
qint32 DocumentTypeFromPath(const QString& path);

// The extension of a document type: ".rtf", ".txt", ".wmdf"; "" for any other value.
QString extensionOfType(qint32 documentType);

// The file's name without its extension ("" for a name that starts with its only ".").
QString GetDisplayName(const QString& path);

// The document path of a command line: one pair of surrounding double quotes removed, nothing
// else changed.
QString documentPathFromCommandLine(const QString& commandLine);

}  // namespace app
