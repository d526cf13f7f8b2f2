#include "platform/host/PrintHandover.h"

#include <QDir>
#include <QFile>
#include <utility>

namespace host {

PrintHandover::PrintHandover(PrintServer& server, std::chrono::milliseconds retryAfter)
    : m_server(server),
      m_retryAfter(retryAfter),
      m_thread([this](std::stop_token stop) { run(std::move(stop)); })
{
}

PrintHandover::~PrintHandover()
{
    // The thread's stop first: a submission begun after this sees it and does not begin.
    m_thread.request_stop();
    {
        const std::lock_guard lock(m_mutex);
        m_attempt.request_stop();
    }
    m_thread.join();
    for (const Entry& entry : m_jobs)
        QFile::remove(entry.job.file);
}

QString PrintHandover::newJobFile()
{
    if (!m_folder)
        m_folder.emplace(QDir::tempPath() + QStringLiteral("/scrivet-print-XXXXXX"));
    if (!m_folder->isValid())
        return {};
    // No ".pdf": a printer given such a name writes a plain PDF file instead of a job.
    return m_folder->filePath(QStringLiteral("job-%1").arg(++m_fileCount));
}

void PrintHandover::hand(ServerJob job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back({std::move(job), m_nextSerial++});
    }
    m_changed.notify_all();
}

int PrintHandover::waiting() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_jobs.size());
}

std::chrono::milliseconds PrintHandover::unanswered() const
{
    const std::lock_guard lock(m_mutex);
    if (!m_firstOffered)
        return std::chrono::milliseconds(0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *m_firstOffered);
}

QList<RefusedJob> PrintHandover::takeRefused()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_refused, {});
}

void PrintHandover::cancelAll()
{
    {
        const std::lock_guard lock(m_mutex);
        m_attempt.request_stop();
        // The job under way is removed by the thread when its submission returns.
        for (std::size_t i = m_firstOffered ? 1 : 0; i < m_jobs.size(); ++i)
            QFile::remove(m_jobs[i].job.file);
        m_jobs.clear();
        m_firstOffered.reset();
    }
    m_changed.notify_all();
}

bool PrintHandover::isFirst(std::uint64_t serial) const
{
    return !m_jobs.empty() && m_jobs.front().serial == serial;
}

void PrintHandover::removeFirst()
{
    m_jobs.pop_front();
    m_firstOffered.reset();
}

void PrintHandover::run(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        ServerJob job;
        std::uint64_t serial = 0;
        std::stop_token attempt;
        {
            std::unique_lock lock(m_mutex);
            if (!m_changed.wait(lock, stop, [this] { return !m_jobs.empty(); }) ||
                stop.stop_requested())
                return;
            job = m_jobs.front().job;
            serial = m_jobs.front().serial;
            if (!m_firstOffered)
                m_firstOffered = Clock::now();
            if (m_attempt.stop_requested())
                m_attempt = std::stop_source();
            attempt = m_attempt.get_token();
        }

        const Submission answer = m_server.submit(job, attempt);

        std::unique_lock lock(m_mutex);
        const bool stillWaiting = isFirst(serial);
        const bool answered =
            answer.outcome == Submission::Delivered || answer.outcome == Submission::Refused;
        if (answer.outcome == Submission::Refused)
            m_refused.append({job.title, answer.reason});
        if (answered || !stillWaiting) {
            if (stillWaiting)
                removeFirst();
            lock.unlock();
            QFile::remove(job.file);
            continue;
        }
        // Not reached, or stopped with the job still waiting (the hand-over is going): offer it
        // again a little later.
        if (m_changed.wait_for(lock, stop, m_retryAfter,
                               [this, serial] { return !isFirst(serial); })) {
            lock.unlock();
            QFile::remove(job.file);  // cancelled meanwhile
        }
    }
}

}  // namespace host
