// The desktop mirror of the association store: a document type registered under the classes
// root becomes a shared-mime-info package with a document icon in the icon theme, a desktop
// entry and the type's default in mimeapps.list, and the desktop's caches are refreshed, so the
// file manager shows the icon and opens the type with us.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace sys {

class RegistryStore;

// One document type as the classes root describes it: the extension key names the type key,
// which holds the description, "DefaultIcon" and "shell\open\command".
struct FileAssociation {
    QString extension;    // ".wmdf"
    QString typeName;     // "wmdf_ext"
    QString description;  // empty when the type key has no default value
    QString iconPath;     // "DefaultIcon" without quotes or an icon index
    QString openCommand;  // "shell\open\command" as stored
};

// The association of `extension`, or nullopt while the extension does not name a type that
// has an open command.
std::optional<FileAssociation> readFileAssociation(RegistryStore& store, const QString& extension);

// The Exec value of a desktop entry for a command line of the registry's form ("%1" marks the
// document, quoting as the platform's command-line rules); nullopt for an empty command.
std::optional<QString> desktopExecFromCommand(const QString& command);

// The name the desktop shows for the running program (on the platform it comes from the
// program file's version information); desktop entries for the running program carry it.
void setProgramDisplayName(const QString& name);

class DesktopAssociation {
public:
    // Returns the full path of a tool found on the search path, or an empty string.
    using ToolFinder = std::function<QString(const QString& name)>;
    // Runs a tool with an argument list (never through a shell) to its end; true when it
    // succeeded.
    using ToolRunner = std::function<bool(const QString& program, const QStringList& arguments)>;

    // `dataHome` and `configHome` are the desktop's per-user data and configuration folders
    // ($XDG_DATA_HOME, $XDG_CONFIG_HOME).
    DesktopAssociation(QString dataHome, QString configHome);

    void setToolFinder(ToolFinder finder) { m_findTool = std::move(finder); }
    void setToolRunner(ToolRunner runner) { m_runTool = std::move(runner); }

    static QString mimeTypeOf(const QString& extension);
    QString mimePackagePath(const QString& extension) const;
    QString desktopEntryPath(const QString& extension) const;
    QString defaultsListPath() const;  // mimeapps.list
    // The document icon of a size in the icon theme.
    QString themeIconPath(const QString& extension, int size) const;
    // The document icon's name in the icon theme: the MIME type with "-" for "/".
    static QString themeIconName(const QString& extension);

    // The two files' contents for an association; empty when it cannot be expressed. The
    // entry shows `iconName` (a theme icon) when one is given, else the association's icon file.
    static QString mimePackage(const FileAssociation& association);
    static QString desktopEntry(const FileAssociation& association, const QString& iconName = {});
    // `list` (a mimeapps.list) with the entry as the type's default and among its programs.
    static QString withDefaultProgram(const QString& list, const QString& mimeType,
                                      const QString& desktopId);

    // Brings the files in line with the association, writing only what differs, and refreshes
    // the desktop's databases when something was written or a database is missing and their
    // tools exist. True when the files are in place afterwards.
    bool mirror(const FileAssociation& association);
    // Mirrors every complete extension association of the store; returns how many are in place.
    int mirrorAll(RegistryStore& store);

private:
    enum class WriteResult { Unchanged, Written, Failed };
    static WriteResult writeIfDifferent(const QString& path, const QByteArray& content);
    static WriteResult combine(WriteResult first, WriteResult second);
    // Nothing when the association's icon file cannot be read.
    std::optional<WriteResult> installIcon(const FileAssociation& association);
    void refresh(const QString& tool, const QString& folder);

    QString m_dataHome;
    QString m_configHome;
    ToolFinder m_findTool;
    ToolRunner m_runTool;
};

}  // namespace sys
