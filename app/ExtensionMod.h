// Registration of the program's own document type with the shell's association store, so that
// such files show the document icon and open in the program (on the desktop, through the
// store's mirror).
#pragma once

#include <QString>

namespace app {

// The open command of the association: the program path and "%1", each in double quotes.
QString associationOpenCommand(const QString& programPath);

// Writes the extension key, the document-class key with its description, its DefaultIcon and
// its shell\open\command. A key that cannot be made shows "Error: Creating Key!", a value that
// cannot be written "Error Setting String Value!", which ends the registration; keys written
// before a failure stay.
void RegisterFileAssociation(const QString& extension, const QString& programPath,
                             QString documentClass, const QString& description,
                             const QString& iconPath);

}  // namespace app
