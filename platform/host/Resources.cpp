#include "platform/host/Resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace host {
namespace {

// A single path element: never empty, no separator, no step to a parent folder.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// The entry of a resource folder whose name equals `name` without regard to case. The
// upper-case spelling of the layout is tried first; the listing only when that misses.
std::optional<QString> findEntry(const QString& folder, const QString& name, QDir::Filters kind)
{
    for (const QString& candidate : {name, name.toUpper()}) {
        const QString path = folder + QLatin1Char('/') + candidate;
        const QFileInfo info(path);
        if (info.exists() && (kind == QDir::Dirs ? info.isDir() : info.isFile()))
            return path;
    }
    const QStringList entries = QDir(folder).entryList(kind | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + QLatin1Char('/') + entry;
    }
    return std::nullopt;
}

}  // namespace

std::optional<QByteArray> resourceData(const QString& deliverable, const QString& type,
                                       const QString& name)
{
    if (!isPlainName(deliverable) || !isPlainName(type) || !isPlainName(name))
        return std::nullopt;
    const std::optional<QString> typeFolder =
        findEntry(QStringLiteral(":/") + deliverable, type, QDir::Dirs);
    if (!typeFolder)
        return std::nullopt;
    const std::optional<QString> path = findEntry(*typeFolder, name, QDir::Files);
    if (!path)
        return std::nullopt;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QByteArray> resourceData(const QString& deliverable, const QString& type, int id)
{
    return resourceData(deliverable, type, QString::number(id));
}

}  // namespace host
