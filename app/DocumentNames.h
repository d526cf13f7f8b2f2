// What the main window reads from a document's file name: its type, extension and display
// name, and the document path taken from the command line.
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

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

// The type of a document whose file holds `content` (0 RTF, 1 plain text; nothing for an empty
// file) under a name of type `namedType`, reached through a dialog entry for `entryType`:
// plain text stays plain text; RTF keeps the name's type unless the name says plain text, then
// the entry's RTF type; an empty file keeps the name's type. Saving writes it back as it holds.
qint32 documentTypeOfContent(qint32 namedType, std::optional<qint32> content, qint32 entryType = 0);

// The extension of a document type: ".rtf", ".txt", ".wmdf"; "" for any other value.
QString extensionOfType(qint32 documentType);

// The file's name without its extension ("" for a name that starts with its only ".").
QString GetDisplayName(const QString& path);

// The document path of a command line: one pair of surrounding double quotes removed, nothing
// else changed.
QString documentPathFromCommandLine(const QString& commandLine);

}  // namespace app
