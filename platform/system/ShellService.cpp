#include "platform/system/ShellService.h"

#include "platform/system/HelpPages.h"
#include "platform/system/MimeAssociations.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
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

    bool openPath(const QString& path, const OpenFailed& failed) override
    {
        if (path.isEmpty())
            return false;
        if (hasHelpPages(path)) {
            const QString page = writeHelpPages(path);
            return !page.isEmpty() && m_open(QUrl::fromLocalFile(page).toString(), failed);
        }
        return m_open(QUrl::fromLocalFile(path).toString(), failed);
    }

    bool openUrl(const QString& url) override
    {
        const QUrl address(url, QUrl::TolerantMode);
        return address.isValid() && !address.scheme().isEmpty() &&
               m_open(address.toString(), OpenFailed());
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

}  // namespace

bool openWithDesktopOpener(const QString& url, const OpenFailed& failed)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (tool.isEmpty())
        return QDesktopServices::openUrl(QUrl(url));
    // The tool may run as long as the program it starts, so nothing waits for it. It has no
    // parent and is not deleted while it runs: deleting it would end the program it started.
    auto* opener = new QProcess;
    opener->setProgram(tool);
    opener->setArguments({url});
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, failed](int exitCode, QProcess::ExitStatus status) {
                         if ((status != QProcess::NormalExit || exitCode != 0) && failed)
                             failed();
                         opener->deleteLater();
                     });
    opener->start();
    if (!opener->waitForStarted()) {
        delete opener;
        return false;
    }
    return true;
}

host::ServiceSlot<ShellService>& shellService()
{
    static host::ServiceSlot<ShellService> slot(
        []() -> std::unique_ptr<ShellService> { return makeDesktopShell(openWithDesktopOpener); });
    return slot;
}

std::unique_ptr<ShellService> makeDesktopShell(DesktopOpener opener, ProgramFinder finder)
{
    return std::make_unique<DesktopShell>(std::move(opener), std::move(finder));
}

}  // namespace sys
