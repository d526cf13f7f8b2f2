#include "platform/host/PrintServer.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QThread>
#include <atomic>

namespace host {
namespace {

std::atomic<std::uint64_t> requestCount{0};
std::atomic<std::uint64_t> mainThreadRequestCount{0};

void countRequest()
{
    ++requestCount;
    const QCoreApplication* application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread())
        ++mainThreadRequestCount;
}

// The server behind Qt's print support: each member is one round trip. Only naming a queue's
// printer fetches the queue's description.
class SystemPrintServer : public PrintServer {
public:
    QList<PrintQueue> queues() override
    {
        countRequest();
        const QString marked = QPrinterInfo::defaultPrinterName();
        QList<PrintQueue> result;
        for (const QString& name : QPrinterInfo::availablePrinterNames())
            result.append(PrintQueue{name, name == marked});
        return result;
    }

    OpenedQueue open(const QString& queue) override
    {
        countRequest();
        const QPrinterInfo info = QPrinterInfo::printerInfo(queue);
        if (info.isNull())
            return {};
        return {std::make_unique<QPrinter>(info, QPrinter::HighResolution), info.makeAndModel()};
    }
};

}  // namespace

ServiceSlot<PrintServer>& printServerService()
{
    static ServiceSlot<PrintServer> slot(
        []() -> std::unique_ptr<PrintServer> { return std::make_unique<SystemPrintServer>(); });
    return slot;
}

std::uint64_t printServerRequests()
{
    return requestCount.load();
}

std::uint64_t printServerRequestsOnMainThread()
{
    return mainThreadRequestCount.load();
}

}  // namespace host
