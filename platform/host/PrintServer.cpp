#include "platform/host/PrintServer.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <atomic>

namespace host {
namespace {

std::atomic<std::uint64_t> requestCount{0};

// The server behind Qt's print support: each member is one round trip.
class SystemPrintServer : public PrintServer {
public:
    QList<PrintQueue> queues() override
    {
        ++requestCount;
        QList<PrintQueue> result;
        for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
            result.append(PrintQueue{info.printerName(), info.makeAndModel(), info.isDefault()});
        return result;
    }

    std::unique_ptr<QPrinter> open(const QString& queue) override
    {
        ++requestCount;
        const QPrinterInfo info = QPrinterInfo::printerInfo(queue);
        if (info.isNull())
            return nullptr;
        return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
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

}  // namespace host
