#include "richtext/scanning/LinkLauncher.h"

#include "platform/host/EventLoop.h"
#include "platform/runtime/VbError.h"
#include "platform/system/ShellService.h"

#include <array>

namespace {

const std::array<QString, 4> LaunchableSchemes = {QStringLiteral("http:"), QStringLiteral("https:"),
                                                  QStringLiteral("ftp:"),
                                                  QStringLiteral("mailto:")};

}  // namespace

QString LinkLauncher::launchableAddress(const QString& address)
{
    for (const QString& scheme : LaunchableSchemes) {
        if (address.startsWith(scheme, Qt::CaseInsensitive))
            return address;
    }
    if (address.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return QStringLiteral("http://") + address;
    return QString();
}

void LinkLauncher::launch(const QString& target, QString& errorData)
{
    const QString address = launchableAddress(target);
    if (address.isEmpty())
        return;
    try {
        if (!sys::shellService().get().openUrl(address))
            host::DoEvents();
    } catch (const vb::VbError& error) {
        errorData = QString::number(error.number());
    }
}

void LinkLauncher::GoToWebsite(const QString& MyWebSite, QString& MyErrorData)
{
    if (MyWebSite.isEmpty())
        return;
    launch(MyWebSite, MyErrorData);
}

void LinkLauncher::GoToEmailClient(const QString& MyEmail, QString& MyErrorData)
{
    if (MyEmail.isEmpty())
        return;
    launch(QStringLiteral("mailto:") + MyEmail, MyErrorData);
}
