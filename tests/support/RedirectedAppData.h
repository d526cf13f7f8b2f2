// Points the application-data folder at a fresh temporary folder for as long as the object
// lives, then puts back whatever folder was in force before (redirections may nest).
#pragma once

#include "tests/support/TempFolder.h"

#include <QString>

namespace testsupport {

class RedirectedAppData {
public:
    RedirectedAppData();
    ~RedirectedAppData();
    RedirectedAppData(const RedirectedAppData&) = delete;
    RedirectedAppData& operator=(const RedirectedAppData&) = delete;

    QString path() const { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }

private:
    TempFolder m_folder;
    QString m_previous;
};

}  // namespace testsupport
