#include "platform/host/PrinterWatch.h"

#include <QPrinter>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace host {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<std::chrono::milliseconds::rep> lifetimeMs{2000};
// Never asks more often than this, whatever the lifetime.
constexpr std::chrono::milliseconds ShortestPause{10};
// A sleeping watch looks at the lifetime this often.
constexpr std::chrono::milliseconds LongestPause{50};
constexpr std::chrono::milliseconds LeaveBehindAfter{500};

// The one last made the default in a print dialog, else the server's, else the first queue
// (many desktops never mark a default); empty for the PDF printer.
QString targetOf(const QList<PrintQueue>& queues, const QString& chosen, const QString& pdfName)
{
    if (chosen == pdfName && !chosen.isEmpty())
        return {};
    const auto named = [&](const QString& name) {
        return std::any_of(queues.begin(), queues.end(),
                           [&](const PrintQueue& queue) { return queue.name == name; });
    };
    if (!chosen.isEmpty() && named(chosen))
        return chosen;
    const auto marked = std::find_if(queues.begin(), queues.end(),
                                     [](const PrintQueue& queue) { return queue.isDefault; });
    if (marked != queues.end())
        return marked->name;
    return queues.isEmpty() ? QString() : queues.first().name;
}

}  // namespace

struct PrinterWatch::Shared {
    Shared(PrintServer& s, QString pdf) : server(s), pdfName(std::move(pdf)) {}
    PrintServer& server;
    QString pdfName;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable answered;
    std::uint64_t asked = 0;  // questions put, and the last one answered
    std::uint64_t done = 0;
    bool stopping = false;
    bool finished = false;
    QString chosen;
    QString openedName;  // the queue whose printer was last handed over
    std::optional<Clock::time_point> busySince;
    Clock::time_point lastAnswer{};
    std::optional<PrinterAnswer> pending;
};

PrinterWatch::PrinterWatch(PrintServer& server, QString pdfName)
    : m_shared(std::make_shared<Shared>(server, std::move(pdfName)))
{
    std::thread(run, m_shared).detach();
}

PrinterWatch::~PrinterWatch()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->wake.notify_all();
    // A server that stopped answering keeps its question; the thread ends when it returns.
    m_shared->answered.wait_for(lock, LeaveBehindAfter, [&] { return m_shared->finished; });
}

void PrinterWatch::askAndWait(const QString& chosen, std::chrono::milliseconds bound)
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->chosen = chosen;
    const std::uint64_t ticket = ++m_shared->asked;
    m_shared->wake.notify_all();
    const Clock::time_point deadline = Clock::now() + bound;
    if (m_shared->busySince && Clock::now() - *m_shared->busySince > bound)
        return;
    m_shared->answered.wait_until(lock, deadline, [&] { return m_shared->done >= ticket; });
}

std::optional<PrinterAnswer> PrinterWatch::take()
{
    const std::lock_guard lock(m_shared->mutex);
    return std::exchange(m_shared->pending, std::nullopt);
}

std::chrono::milliseconds PrinterWatch::setLifetime(std::chrono::milliseconds lifetime)
{
    return std::chrono::milliseconds(lifetimeMs.exchange(lifetime.count()));
}

void PrinterWatch::run(std::shared_ptr<Shared> shared)
{
    Shared& s = *shared;
    std::unique_lock lock(s.mutex);
    while (!s.stopping) {
        const auto lifetime = std::max(std::chrono::milliseconds(lifetimeMs.load()), ShortestPause);
        const Clock::time_point due = s.lastAnswer + lifetime;
        if (s.asked == s.done && Clock::now() < due) {
            s.wake.wait_until(lock, std::min(due, Clock::now() + LongestPause));
            continue;
        }
        const std::uint64_t ticket = s.asked;
        const QString chosen = s.chosen;
        const QString opened = s.openedName;
        s.busySince = Clock::now();
        lock.unlock();

        PrinterAnswer answer;
        answer.queues = s.server.queues();
        answer.target = targetOf(answer.queues, chosen, s.pdfName);
        bool openFailed = false;
        if (!answer.target.isEmpty() && answer.target != opened) {
            answer.opened = s.server.open(answer.target);
            openFailed = !answer.opened.printer;
        }

        lock.lock();
        s.busySince.reset();
        if (openFailed)
            answer.target.clear();  // printed on the PDF printer until the queue opens
        if (answer.opened.printer)
            s.openedName = answer.target;
        else if (answer.target.isEmpty())
            s.openedName.clear();
        // A printer handed over but not yet taken stays handed over.
        if (s.pending && s.pending->opened.printer && !answer.opened.printer &&
            s.pending->target == answer.target)
            answer.opened = std::move(s.pending->opened);
        s.pending = std::move(answer);
        s.done = ticket;
        s.lastAnswer = Clock::now();
        s.answered.notify_all();
    }
    // Qt's printer objects go while the application is still there.
    s.pending.reset();
    s.finished = true;
    s.answered.notify_all();
}

}  // namespace host
