// Whether the desktop has a program for a file type, from the freedesktop association lists
// (mimeapps.list files and the MimeType entries of installed .desktop files), with the
// desktop's own xdg-mime tool asked as well where it is installed.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace sys {

struct AssociationSources {
    QStringList configFolders;  // XDG_CONFIG_HOME first, then XDG_CONFIG_DIRS
    QStringList dataFolders;    // XDG_DATA_HOME first, then XDG_DATA_DIRS
    QStringList desktopNames;   // XDG_CURRENT_DESKTOP, lower case
    QString xdgMimeTool;        // the tool's path; empty when it is not installed

    // The folders the XDG variables name, with the standard's defaults where they are unset.
    static AssociationSources fromEnvironment();
};

class MimeAssociations {
public:
    explicit MimeAssociations(AssociationSources sources);

    // The file's type is taken from its name and content; its parent types count too, as the
    // desktop opens a C source with a plain-text editor. Folders always have a program.
    bool hasProgramForFile(const QString& path) const;

    // Exactly this MIME type (no parent types).
    bool hasProgramFor(const QString& mimeType) const;

private:
    struct ListEntries {
        QSet<QString> defaults;
        QSet<QString> added;
        QSet<QString> removed;
    };

    QStringList listFiles() const;
    ListEntries listEntriesFor(const QString& mimeType) const;
    QString desktopFilePath(const QString& desktopId) const;
    bool isUsableDesktopFile(const QString& desktopId) const;
    bool hasProgramForAny(const QStringList& mimeTypes) const;
    bool listsOfferProgramFor(const QString& mimeType) const;
    const QHash<QString, QSet<QString>>& declaredTypes() const;
    bool xdgMimeHasDefault(const QString& mimeType) const;

    AssociationSources m_sources;
    mutable std::optional<QHash<QString, QSet<QString>>> m_declared;
};

}  // namespace sys
