// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

class TempFolder {
public:
    TempFolder() : m_dir(QDir::tempPath() + QStringLiteral("/scrivet-test-XXXXXX")) {}

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    // Absolute path of a file or folder inside the temporary folder.
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

}  // namespace testsupport
