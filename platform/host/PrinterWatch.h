// Asks the print server on a thread of its own, so that the window's thread never waits for
// it: the queues every list lifetime or when asked, and a printer for the queue to print on
// only when that queue changes. The window's thread takes the newest answer when it likes.
#pragma once

#include "platform/host/PrintServer.h"

#include <QList>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

namespace host {

struct PrinterAnswer {
    QList<PrintQueue> queues;
    QString target;  // the queue to print on; empty: the PDF printer
    // The target's printer, opened for this answer; null when the target is the queue opened
    // for an earlier answer.
    OpenedQueue opened;
};

class PrinterWatch {
public:
    // `pdfName`: the name that chooses the PDF printer. The server must outlive the watch.
    PrinterWatch(PrintServer& server, QString pdfName);
    ~PrinterWatch();  // waits a moment for a question under way, else leaves it behind
    PrinterWatch(const PrinterWatch&) = delete;
    PrinterWatch& operator=(const PrinterWatch&) = delete;

    // Asks again now, with the queue a print dialog last made the default, and waits at most
    // `bound` for the answer; never waits behind a question that has been under way longer.
    void askAndWait(const QString& chosen, std::chrono::milliseconds bound);
    // The newest answer not yet taken.
    std::optional<PrinterAnswer> take();

    // How long an answer is trusted before the server is asked again; returns the previous one.
    static std::chrono::milliseconds setLifetime(std::chrono::milliseconds lifetime);

private:
    struct Shared;
    static void run(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> m_shared;
};

}  // namespace host
