#include "tests/support/FakeShell.h"

#include <QFileInfo>

namespace testsupport {

bool FakeShell::openPath(const QString& path, const sys::OpenFailed& /*failed*/)
{
    m_opened.append(path);
    return !m_failOpens;
}

bool FakeShell::openUrl(const QString& url)
{
    m_openedUrls.append(url);
    return !m_failOpens;
}

bool FakeShell::hasAssociatedProgram(const QString& path)
{
    m_queries.append(path);
    if (m_noProgramAtAll)
        return false;
    return !m_unassociatedSuffixes.contains(QFileInfo(path).suffix().toLower());
}

bool FakeShell::startProgram(const QString& program, const QStringList& arguments,
                             const QString& workingFolder)
{
    m_started.push_back({program, arguments, workingFolder});
    return !m_failStarts;
}

}  // namespace testsupport
