// Whether the desktop has a program for a file type, as the desktop's own tools answer it: gio,
// which reads the default lists and the desktop's caches and skips entries whose program is
// missing, or xdg-mime where gio is not installed. The program's own files are never read
// here: a handler the desktop cannot see is no handler.
#pragma once

#include <QString>
#include <QStringList>

namespace sys {

struct AssociationTools {
    QString xdgMime;  // the tools' paths; empty when not installed
    QString gio;

    static AssociationTools find();
};

class MimeAssociations {
public:
    explicit MimeAssociations(AssociationTools tools = AssociationTools::find());

    // The file's type is taken from its name and content by the shared MIME database; its
    // parent types count too, as the desktop opens a C source with a plain-text editor.
    // Folders always have a program.
    bool hasProgramForFile(const QString& path) const;

    // Exactly this MIME type (no parent types).
    bool hasProgramFor(const QString& mimeType) const;

    // The desktop entry the desktop opens the type with ("x.desktop"); empty when there is none
    // or no tool to ask.
    QString defaultProgramFor(const QString& mimeType) const;

private:
    AssociationTools m_tools;
};

}  // namespace sys
