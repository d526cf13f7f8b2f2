// A scripted shell: records every open and program start instead of performing it, answers
// association questions from a script, and fails where told to.
#pragma once

#include "platform/system/ShellService.h"
#include "tests/support/ScopedService.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace testsupport {

class FakeShell : public sys::ShellService {
public:
    struct ProgramStart {
        QString program;
        QStringList arguments;
        QString workingFolder;
    };

    FakeShell() : m_scope(sys::shellService(), *this) {}

    // Association answers: every type has a program unless told otherwise, per file suffix
    // (without the dot, any case) or for all files.
    void setNoProgramForSuffix(const QString& suffix)
    {
        m_unassociatedSuffixes.insert(suffix.toLower());
    }
    void setNoProgramForAnyFile(bool none = true) { m_noProgramAtAll = none; }
    // Opens and starts that fail are still recorded.
    void failOpens(bool fail = true) { m_failOpens = fail; }
    void failStarts(bool fail = true) { m_failStarts = fail; }

    const QStringList& opened() const { return m_opened; }
    const QStringList& openedUrls() const { return m_openedUrls; }
    const QStringList& associationQueries() const { return m_queries; }
    const std::vector<ProgramStart>& started() const { return m_started; }

    bool openPath(const QString& path, const sys::OpenFailed& failed) override;
    bool openUrl(const QString& url) override;
    bool hasAssociatedProgram(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder) override;

private:
    QSet<QString> m_unassociatedSuffixes;
    bool m_noProgramAtAll = false;
    bool m_failOpens = false;
    bool m_failStarts = false;
    QStringList m_opened;
    QStringList m_openedUrls;
    QStringList m_queries;
    std::vector<ProgramStart> m_started;
    ScopedService<sys::ShellService> m_scope;
};

}  // namespace testsupport
