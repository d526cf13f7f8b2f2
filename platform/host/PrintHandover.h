// Finished print jobs on their way to the print server. A queue printer writes each job to a
// file of the hand-over's own folder; a thread of the hand-over's own then gives the files to
// the server one after another, so that a silent server holds up no window. A job leaves the
// hand-over only when the server took it or refused it, or when it is cancelled.
#pragma once

#include "platform/host/PrintServer.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace host {

struct RefusedJob {
    QString title;
    QString reason;
};

class PrintHandover {
public:
    // The server must outlive the hand-over. After a server that could not be reached, the
    // job is offered again `retryAfter` later.
    explicit PrintHandover(PrintServer& server,
                           std::chrono::milliseconds retryAfter = std::chrono::seconds(2));
    ~PrintHandover();  // jobs still waiting are given up
    PrintHandover(const PrintHandover&) = delete;
    PrintHandover& operator=(const PrintHandover&) = delete;

    // A new file in the hand-over's private folder for a job to be written to; empty when the
    // folder could not be made.
    QString newJobFile();
    // Takes a finished job; its file is removed once the job has left the hand-over.
    void hand(ServerJob job);

    // Jobs the server has not taken yet, the one being handed over included.
    int waiting() const;
    // How long the server has left the first waiting job without an answer.
    std::chrono::milliseconds unanswered() const;
    // The jobs the server refused since the last call.
    QList<RefusedJob> takeRefused();
    // Gives up every waiting job, the one being handed over included.
    void cancelAll();

private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        ServerJob job;
        std::uint64_t serial = 0;
    };

    void run(std::stop_token stop);
    bool isFirst(std::uint64_t serial) const;
    void removeFirst();

    PrintServer& m_server;
    const std::chrono::milliseconds m_retryAfter;
    std::optional<QTemporaryDir> m_folder;  // made for the first job; the window's thread only
    std::uint64_t m_fileCount = 0;

    mutable std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::deque<Entry> m_jobs;
    std::uint64_t m_nextSerial = 1;
    std::optional<Clock::time_point> m_firstOffered;  // when the first job was first offered
    std::stop_source m_attempt;                       // ends the submission under way
    QList<RefusedJob> m_refused;
    std::jthread m_thread;  // last: it goes first, while the rest is still there
};

}  // namespace host
