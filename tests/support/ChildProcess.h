// Runs part of a test in a forked child process: under resource limits the test must not put
// on itself, or without the superuser's rights (tests run as root in CI, where permission bits
// bind nobody). The child reports through a pipe; the parent sees how it ended.
#pragma once

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QString>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdint>
#include <functional>

namespace testsupport {

// The user and group "nobody".
constexpr uid_t UnprivilegedId = 65534;

struct ChildOutcome {
    bool exited = false;  // ended by itself, not by a signal
    int exitCode = -1;
    int signal = 0;
    QByteArray output;  // what the body returned
};

// Runs `body` in a child; with `unprivileged`, as UnprivilegedId when the test runs as root.
// Exit code 120 means the child could not give up its rights.
inline ChildOutcome runInChild(const std::function<QByteArray()>& body, bool unprivileged = false)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (unprivileged && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 ||
             ::setresgid(UnprivilegedId, UnprivilegedId, UnprivilegedId) != 0 ||
             ::setresuid(UnprivilegedId, UnprivilegedId, UnprivilegedId) != 0))
            ::_exit(120);
        const QByteArray output = body();
        for (qsizetype done = 0; done < output.size();) {
            const ssize_t written =
                ::write(channel[1], output.constData() + done, size_t(output.size() - done));
            if (written <= 0)
                break;
            done += written;
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    ChildOutcome outcome;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        outcome.output.append(buffer, got);
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return outcome;
    outcome.exited = WIFEXITED(status);
    outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}

// In a child: lets the process map only `spare` more bytes than it maps now (address-space
// limit), as on a machine whose memory is nearly used up. False when it could not be set.
inline bool limitAddressSpaceTo(uint64_t spare)
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return false;
    const uint64_t mapped =
        statm.readAll().split(' ').value(0).toULongLong() * uint64_t(::sysconf(_SC_PAGESIZE));
    rlimit limited{};
    ::getrlimit(RLIMIT_AS, &limited);
    limited.rlim_cur = mapped + spare;
    return ::setrlimit(RLIMIT_AS, &limited) == 0;
}

// In a child: a write past `bytes` fails, with the file-size signal at its default action,
// which ends a process that does not guard against it.
inline bool limitFileSizeTo(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit limited{};
    ::getrlimit(RLIMIT_FSIZE, &limited);
    limited.rlim_cur = bytes;
    return ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

// Lets an unprivileged child into a test's folder: every folder below it and the folder itself
// open to all, every file readable and writable by all (the test then takes rights away where
// it means to).
inline void openToEveryone(const QString& folder)
{
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QFileInfo entry = entries.nextFileInfo();
        ::chmod(QFile::encodeName(entry.filePath()).constData(), entry.isDir() ? 0777 : 0666);
    }
}

}  // namespace testsupport
