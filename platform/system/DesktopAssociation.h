// The desktop mirror of the association store: a document type registered under the classes
// root becomes a shared-mime-info package and a desktop entry, so the desktop opens it with us.
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

class DesktopAssociation {
public:
    // Returns the full path of a tool found on the search path, or an empty string.
    using ToolFinder = std::function<QString(const QString& name)>;
    // Starts a tool with an argument list (never through a shell); true when it started.
    using ToolRunner = std::function<bool(const QString& program, const QStringList& arguments)>;

    // `dataHome` is the desktop's per-user data folder ($XDG_DATA_HOME).
    explicit DesktopAssociation(QString dataHome);

    void setToolFinder(ToolFinder finder) { m_findTool = std::move(finder); }
    void setToolRunner(ToolRunner runner) { m_runTool = std::move(runner); }

    static QString mimeTypeOf(const QString& extension);
    QString mimePackagePath(const QString& extension) const;
    QString desktopEntryPath(const QString& extension) const;

    // The two files' contents for an association; empty when it cannot be expressed.
    static QString mimePackage(const FileAssociation& association);
    static QString desktopEntry(const FileAssociation& association);

    // Brings both files in line with the association, writing only what differs, and refreshes
    // the desktop's databases when something was written and their tools exist. True when the
    // files are in place afterwards.
    bool mirror(const FileAssociation& association);
    // Mirrors every complete extension association of the store; returns how many are in place.
    int mirrorAll(RegistryStore& store);

private:
    enum class WriteResult { Unchanged, Written, Failed };
    static WriteResult writeIfDifferent(const QString& path, const QString& content);
    void refresh(const QString& tool, const QString& folder);

    QString m_dataHome;
    ToolFinder m_findTool;
    ToolRunner m_runTool;
};

}  // namespace sys
