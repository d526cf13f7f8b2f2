#include "platform/system/MimeAssociations.h"

#include "platform/system/FileSystem.h"
#include "platform/system/IniDocument.h"

#include <QDir>
#include <QDirIterator>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace sys {
namespace {

constexpr int XdgMimeTimeoutMilliseconds = 3000;

QStringList foldersFromVariable(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    QStringList folders;
    for (const QString& folder : (value.isEmpty() ? fallback : value).split(QLatin1Char(':')))
        if (QDir::isAbsolutePath(folder))  // the standard says relative entries are ignored
            folders.append(QDir::cleanPath(folder));
    return folders;
}

QString homeFolder(const char* name, const QString& underHome)
{
    const QString value = qEnvironmentVariable(name);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QDir::homePath() + underHome;
}

QStringList idsOf(const IniDocument& list, const char* group, const QString& mimeType)
{
    const std::optional<QString> value = list.value(QLatin1String(group), mimeType);
    if (!value)
        return {};
    QStringList ids;
    for (const QString& id : value->split(QLatin1Char(';'), Qt::SkipEmptyParts))
        ids.append(id.trimmed());
    return ids;
}

void addAll(QSet<QString>& set, const QStringList& items)
{
    for (const QString& item : items)
        set.insert(item);
}

IniDocument readIni(const QString& path)
{
    const std::optional<QByteArray> bytes = readWholeFile(path);
    return bytes ? IniDocument::fromBytes(*bytes) : IniDocument();
}

}  // namespace

AssociationSources AssociationSources::fromEnvironment()
{
    AssociationSources sources;
    sources.configFolders.append(homeFolder("XDG_CONFIG_HOME", QStringLiteral("/.config")));
    sources.configFolders += foldersFromVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    sources.dataFolders.append(homeFolder("XDG_DATA_HOME", QStringLiteral("/.local/share")));
    sources.dataFolders +=
        foldersFromVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString& name :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        sources.desktopNames.append(name.toLower());
    sources.xdgMimeTool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    return sources;
}

MimeAssociations::MimeAssociations(AssociationSources sources) : m_sources(std::move(sources))
{
}

bool MimeAssociations::hasProgramForFile(const QString& path) const
{
    if (folderExists(path))
        return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    QStringList candidates{type.name()};
    candidates += type.aliases();
    candidates += type.allAncestors();
    return hasProgramForAny(candidates);
}

bool MimeAssociations::hasProgramFor(const QString& mimeType) const
{
    return hasProgramForAny({mimeType});
}

bool MimeAssociations::hasProgramForAny(const QStringList& mimeTypes) const
{
    for (const QString& type : mimeTypes)
        if (listsOfferProgramFor(type))
            return true;
    // The tool knows the desktop's own rules; it is slow, so only the file's type is asked.
    return !mimeTypes.isEmpty() && xdgMimeHasDefault(mimeTypes.first());
}

bool MimeAssociations::listsOfferProgramFor(const QString& mimeType) const
{
    if (mimeType.isEmpty())
        return false;
    const ListEntries entries = listEntriesFor(mimeType);
    for (const QString& id : entries.defaults)
        if (isUsableDesktopFile(id))
            return true;
    QSet<QString> offered = entries.added;
    offered.unite(declaredTypes().value(mimeType.toLower()));
    for (const QString& id : offered)
        if (!entries.removed.contains(id) && isUsableDesktopFile(id))
            return true;
    return false;
}

// The mimeapps.list files in the standard's order of precedence.
QStringList MimeAssociations::listFiles() const
{
    QStringList files;
    auto addFolder = [&](const QString& folder) {
        for (const QString& desktop : m_sources.desktopNames)
            files.append(folder + QLatin1Char('/') + desktop + QLatin1String("-mimeapps.list"));
        files.append(folder + QLatin1String("/mimeapps.list"));
    };
    for (const QString& folder : m_sources.configFolders)
        addFolder(folder);
    for (const QString& folder : m_sources.dataFolders)
        addFolder(folder + QLatin1String("/applications"));
    return files;
}

MimeAssociations::ListEntries MimeAssociations::listEntriesFor(const QString& mimeType) const
{
    ListEntries entries;
    for (const QString& file : listFiles()) {
        if (!fileExists(file))
            continue;
        const IniDocument list = readIni(file);
        addAll(entries.defaults, idsOf(list, "Default Applications", mimeType));
        addAll(entries.added, idsOf(list, "Added Associations", mimeType));
        addAll(entries.removed, idsOf(list, "Removed Associations", mimeType));
    }
    return entries;
}

// A desktop id names a file below an applications folder, a '-' standing for a subfolder.
QString MimeAssociations::desktopFilePath(const QString& desktopId) const
{
    if (desktopId.contains(QLatin1Char('/')) || desktopId.startsWith(QLatin1Char('.')))
        return {};
    for (const QString& folder : m_sources.dataFolders) {
        const QString applications = folder + QLatin1String("/applications/");
        if (fileExists(applications + desktopId))
            return applications + desktopId;
        QString nested = desktopId;
        for (qsizetype dash = nested.indexOf(QLatin1Char('-')); dash >= 0;
             dash = nested.indexOf(QLatin1Char('-'), dash + 1)) {
            nested[dash] = QLatin1Char('/');
            if (fileExists(applications + nested))
                return applications + nested;
        }
    }
    return {};
}

bool MimeAssociations::isUsableDesktopFile(const QString& desktopId) const
{
    const QString path = desktopFilePath(desktopId);
    if (path.isEmpty())
        return false;
    const std::optional<QString> hidden =
        readIni(path).value(QStringLiteral("Desktop Entry"), QStringLiteral("Hidden"));
    return hidden.value_or(QString()).compare(QLatin1String("true"), Qt::CaseInsensitive) != 0;
}

// Every installed desktop file's MimeType entries, read once per object.
const QHash<QString, QSet<QString>>& MimeAssociations::declaredTypes() const
{
    if (m_declared)
        return *m_declared;
    m_declared.emplace();
    for (const QString& folder : m_sources.dataFolders) {
        const QString applications = folder + QLatin1String("/applications");
        QDirIterator files(applications, {QStringLiteral("*.desktop")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            const std::optional<QString> types =
                readIni(path).value(QStringLiteral("Desktop Entry"), QStringLiteral("MimeType"));
            if (!types)
                continue;
            const QString id = QDir(applications)
                                   .relativeFilePath(path)
                                   .replace(QLatin1Char('/'), QLatin1Char('-'));
            for (const QString& type : types->split(QLatin1Char(';'), Qt::SkipEmptyParts))
                (*m_declared)[type.trimmed().toLower()].insert(id);
        }
    }
    return *m_declared;
}

bool MimeAssociations::xdgMimeHasDefault(const QString& mimeType) const
{
    if (m_sources.xdgMimeTool.isEmpty())
        return false;
    QProcess tool;
    tool.start(m_sources.xdgMimeTool,
               {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!tool.waitForFinished(XdgMimeTimeoutMilliseconds)) {
        tool.kill();
        tool.waitForFinished();
        return false;
    }
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0 &&
           !tool.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace sys
