// The print server as the printer object sees it: its queues, its default queue, and a Qt
// printer for one queue. Every question to the server goes through here, so that the printer
// object's requests can be counted and kept off the window's thread.
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QList>
#include <QPrinter>
#include <QString>
#include <cstdint>
#include <memory>

namespace host {

struct PrintQueue {
    QString name;
    bool isDefault = false;  // the queue the server marks as its default
};

struct OpenedQueue {
    std::unique_ptr<QPrinter> printer;  // null when the server no longer knows the queue
    QString makeAndModel;
};

class PrintServer {
public:
    virtual ~PrintServer() = default;
    // The queues by name: one question, no queue's description is fetched.
    virtual QList<PrintQueue> queues() = 0;
    // A printer for the named queue at its highest resolution, with the queue's description.
    virtual OpenedQueue open(const QString& queue) = 0;
};

ServiceSlot<PrintServer>& printServerService();

// The requests the system's print server has answered since the program started, and how many
// of them were made on the application's main thread.
std::uint64_t printServerRequests();
std::uint64_t printServerRequestsOnMainThread();

}  // namespace host
