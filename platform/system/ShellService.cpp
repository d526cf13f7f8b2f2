#include "platform/system/ShellService.h"

#include "platform/system/MimeAssociations.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace sys {
namespace {

class DesktopShell : public ShellService {
public:
    bool openPath(const QString& path) override
    {
        return !path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

    bool openUrl(const QString& url) override
    {
        const QUrl address(url, QUrl::TolerantMode);
        return address.isValid() && !address.scheme().isEmpty() &&
               QDesktopServices::openUrl(address);
    }

    bool hasAssociatedProgram(const QString& path) override
    {
        // The environment is read for each question: the desktop may change its lists while
        // the program runs.
        return MimeAssociations(AssociationSources::fromEnvironment()).hasProgramForFile(path);
    }

    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder) override
    {
        return !program.isEmpty() && QProcess::startDetached(program, arguments, workingFolder);
    }
};

}  // namespace

host::ServiceSlot<ShellService>& shellService()
{
    static host::ServiceSlot<ShellService> slot(
        []() -> std::unique_ptr<ShellService> { return std::make_unique<DesktopShell>(); });
    return slot;
}

}  // namespace sys
