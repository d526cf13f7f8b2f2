#include "image/core/FileReplacement.h"

#include <QFileInfo>
#include <QSaveFile>

namespace XrImage {

bool writeFileReplacing(const QString& fileName, const QByteArray& bytes)
{
    if (fileName.isEmpty() || QFileInfo(fileName).isDir())
        return false;
    QSaveFile file(fileName);
    // Writing in place would destroy the old file before the new one is complete.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QFileDevice::Permissions oldPermissions =
        QFileInfo::exists(fileName) ? QFile::permissions(fileName) : QFileDevice::Permissions();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (!file.commit())
        return false;
    if (oldPermissions != QFileDevice::Permissions() &&
        QFile::permissions(fileName) != oldPermissions)
        QFile::setPermissions(fileName, oldPermissions);
    return true;
}

}  // namespace XrImage
