#include "platform/system/ShellService.h"

#include "platform/system/HelpPages.h"
#include "platform/system/MimeAssociations.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace sys {
namespace {

class DesktopShell : public ShellService {
public:
    DesktopShell(DesktopOpener opener, ProgramFinder finder)
        : m_open(std::move(opener)), m_hasProgram(std::move(finder))
    {
        // The environment is read for each question: the desktop may change its lists while
        // the program runs.
        if (!m_hasProgram)
            m_hasProgram = [](const QString& path) {
                return MimeAssociations().hasProgramForFile(path);
            };
    }

    bool openPath(const QString& path) override
    {
        if (path.isEmpty())
            return false;
        if (hasHelpPages(path)) {
            const QString page = writeHelpPages(path);
            return !page.isEmpty() && m_open(QUrl::fromLocalFile(page).toString());
        }
        return m_open(QUrl::fromLocalFile(path).toString());
    }

    bool openUrl(const QString& url) override
    {
        const QUrl address(url, QUrl::TolerantMode);
        return address.isValid() && !address.scheme().isEmpty() && m_open(address.toString());
    }

    bool hasAssociatedProgram(const QString& path) override
    {
        // The help's pages are shown by the desktop's program for web pages.
        if (hasHelpPages(path))
            return m_hasProgram(QStringLiteral("index.htm"));
        return m_hasProgram(path);
    }

    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder) override
    {
        return !program.isEmpty() && QProcess::startDetached(program, arguments, workingFolder);
    }

private:
    DesktopOpener m_open;
    ProgramFinder m_hasProgram;
};

bool openWithDesktopServices(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

}  // namespace

host::ServiceSlot<ShellService>& shellService()
{
    static host::ServiceSlot<ShellService> slot([]() -> std::unique_ptr<ShellService> {
        return makeDesktopShell(openWithDesktopServices);
    });
    return slot;
}

std::unique_ptr<ShellService> makeDesktopShell(DesktopOpener opener, ProgramFinder finder)
{
    return std::make_unique<DesktopShell>(std::move(opener), std::move(finder));
}

}  // namespace sys
