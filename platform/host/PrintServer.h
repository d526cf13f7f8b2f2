// The print server as the printer object sees it: its queues, its default queue, and a Qt
// printer for one queue. Every question to the server goes through here, so that the printer
// object's requests can be counted and kept out of the per-keystroke paths.
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <memory>

class QPrinter;

namespace host {

struct PrintQueue {
    QString name;
    QString makeAndModel;
    bool isDefault = false;  // the queue the server marks as its default
};

class PrintServer {
public:
    virtual ~PrintServer() = default;
    virtual QList<PrintQueue> queues() = 0;
    // A printer for the named queue at its highest resolution; null when the server no longer
    // knows it.
    virtual std::unique_ptr<QPrinter> open(const QString& queue) = 0;
};

ServiceSlot<PrintServer>& printServerService();

// The requests the system's print server has answered since the program started.
std::uint64_t printServerRequests();

}  // namespace host
