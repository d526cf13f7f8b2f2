#include "platform/system/SpecialFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace sys {
namespace {

QString& applicationDataOverride()
{
    static QString folder;
    return folder;
}

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

}  // namespace

QString applicationDataFolder()
{
    const QString& override = applicationDataOverride();
    if (!override.isEmpty())
        return withoutTrailingSeparator(override);
    return withoutTrailingSeparator(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString desktopConfigFolder()
{
    const QString& override = applicationDataOverride();
    if (!override.isEmpty())
        return withoutTrailingSeparator(override) + QStringLiteral("/config");
    return withoutTrailingSeparator(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString tempFolder()
{
    return withoutTrailingSeparator(QDir::tempPath());
}

QString setApplicationDataOverride(const QString& folder)
{
    QString previous = applicationDataOverride();
    applicationDataOverride() = folder;
    return previous;
}

}  // namespace sys
