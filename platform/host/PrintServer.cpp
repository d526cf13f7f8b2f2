#include "platform/host/PrintServer.h"

#include "platform/dynload/DynamicLibrary.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QThread>
#include <atomic>
#include <vector>

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

// The server's client library, loaded once: the calls that hand a PDF file to a queue over a
// connection of the caller's own, whose waits the caller can end.
class ServerClient {
public:
    struct Option {
        char* name;
        char* value;
    };
    using TimeoutCallback = int (*)(void* http, void* data);

    static const ServerClient& instance()
    {
        static const ServerClient client;
        return client;
    }

    bool loaded() const { return m_loaded; }

    Submission submit(const ServerJob& job, std::stop_token stop) const
    {
        constexpr int AnyFamily = 0;
        constexpr int ConnectMilliseconds = 5000;
        void* http = m_connect(m_server(), m_port(), nullptr, AnyFamily, m_encryption(), 1,
                               ConnectMilliseconds, nullptr);
        if (!http)
            return {Submission::NoAnswer, {}};
        // Waits are checked four times a second: the server may stay silent for as long as it
        // likes, and a stop request ends the wait.
        m_setTimeout(http, 0.25, &ServerClient::keepWaiting, &stop);

        std::vector<QByteArray> texts;
        texts.reserve(std::size_t(job.options.size()) * 2);
        std::vector<Option> options;
        for (const auto& [name, value] : job.options) {
            texts.push_back(name);
            texts.push_back(value);
            options.push_back({texts[texts.size() - 2].data(), texts.back().data()});
        }
        const int id =
            m_printFile(http, job.queue.toLocal8Bit().constData(),
                        QFile::encodeName(job.file).constData(), job.title.toUtf8().constData(),
                        int(options.size()), options.empty() ? nullptr : options.data());
        const int status = m_lastError();
        const QString reason = QString::fromUtf8(m_lastErrorString());
        m_close(http);
        if (id > 0)
            return {Submission::Delivered, {}};
        if (stop.stop_requested())
            return {Submission::Stopped, {}};
        // Internal errors are how the library reports a lost or silent connection, as is
        // service-unavailable for a server that is starting or stopping.
        constexpr int InternalError = 0x0500;
        constexpr int ServiceUnavailable = 0x0503;
        if (status == InternalError || status == ServiceUnavailable)
            return {Submission::NoAnswer, reason};
        return {Submission::Refused, reason};
    }

private:
    ServerClient() : m_library(dynload::Library::open(QStringLiteral("libcups.so.2")))
    {
        m_loaded = m_library.isLoaded() && find(m_connect, "httpConnect2") &&
                   find(m_close, "httpClose") && find(m_setTimeout, "httpSetTimeout") &&
                   find(m_server, "cupsServer") && find(m_port, "ippPort") &&
                   find(m_encryption, "cupsEncryption") && find(m_printFile, "cupsPrintFile2") &&
                   find(m_lastError, "cupsLastError") &&
                   find(m_lastErrorString, "cupsLastErrorString");
    }

    template <typename Function>
    bool find(Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(m_library.symbol(name));
        return function != nullptr;
    }

    static int keepWaiting(void*, void* data)
    {
        return static_cast<const std::stop_token*>(data)->stop_requested() ? 0 : 1;
    }

    dynload::Library m_library;
    bool m_loaded = false;
    void* (*m_connect)(const char*, int, void*, int, int, int, int, int*) = nullptr;
    void (*m_close)(void*) = nullptr;
    void (*m_setTimeout)(void*, double, TimeoutCallback, void*) = nullptr;
    const char* (*m_server)() = nullptr;
    int (*m_port)() = nullptr;
    int (*m_encryption)() = nullptr;
    int (*m_printFile)(void*, const char*, const char*, const char*, int, Option*) = nullptr;
    int (*m_lastError)() = nullptr;
    const char* (*m_lastErrorString)() = nullptr;
};

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

    Submission submit(const ServerJob& job, std::stop_token stop) override
    {
        countRequest();
        const ServerClient& client = ServerClient::instance();
        if (!client.loaded()) {
            return {Submission::Refused,
                    QStringLiteral("The print server's client library could not be loaded.")};
        }
        return client.submit(job, std::move(stop));
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
