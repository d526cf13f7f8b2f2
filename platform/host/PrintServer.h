// The print server as the printer object sees it: its queues, its default queue, and a Qt
// printer for one queue. Every question to the server goes through here, so that the printer
// object's requests can be counted and kept off the window's thread.
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QByteArray>
#include <QList>
#include <QPrinter>
#include <QString>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <utility>

namespace host {

struct PrintQueue {
    QString name;
    bool isDefault = false;  // the queue the server marks as its default
};

struct OpenedQueue {
    std::unique_ptr<QPrinter> printer;  // null when the server no longer knows the queue
    QString makeAndModel;
};

// A finished job on its way to a queue: the PDF it was written to and the settings it was made
// with, as the server's job options (media, sides, landscape, copies, Collate).
struct ServerJob {
    QString queue;
    QString file;
    QString title;
    QList<std::pair<QByteArray, QByteArray>> options;
};

struct Submission {
    enum Outcome {
        Delivered,
        Refused,   // the server answered no; `reason` says why
        NoAnswer,  // the server could not be reached or dropped the connection: try again
        Stopped,   // given up on request before the server answered
    };
    Outcome outcome = NoAnswer;
    QString reason;
};

class PrintServer {
public:
    virtual ~PrintServer() = default;
    // The queues by name: one question, no queue's description is fetched.
    virtual QList<PrintQueue> queues() = 0;
    // A printer for the named queue at its highest resolution, with the queue's description.
    virtual OpenedQueue open(const QString& queue) = 0;
    // Hands a job to the server and waits for its answer for as long as the server is silent,
    // until `stop` is requested. Blocks: never on the window's thread.
    virtual Submission submit(const ServerJob& job, std::stop_token stop) = 0;
};

ServiceSlot<PrintServer>& printServerService();

// The requests the system's print server has answered since the program started, and how many
// of them were made on the application's main thread.
std::uint64_t printServerRequests();
std::uint64_t printServerRequestsOnMainThread();

}  // namespace host
