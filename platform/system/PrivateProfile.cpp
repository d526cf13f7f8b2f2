#include "platform/system/PrivateProfile.h"

#include "platform/system/FileSystem.h"
#include "platform/system/IniDocument.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace sys {
namespace {

// A lock held by a program that never lets go must not hang the caller: after this long the
// write goes ahead without it. The wait is one budget for the whole write, not per attempt, so
// a writer that keeps finding the file replaced by busier writers still gets its turn.
constexpr int LockWaitMilliseconds = 5000;
constexpr int LockPollMilliseconds = 2;

bool tryLock(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// False when the deadline passed without the lock.
bool waitForLock(int fd, const QDeadlineTimer& deadline)
{
    for (;;) {
        if (tryLock(fd) || (errno != EAGAIN && errno != EACCES))
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(LockPollMilliseconds);
    }
}

bool isStillThePath(int fd, const QByteArray& path)
{
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

std::optional<QByteArray> readAll(int fd)
{
    QByteArray bytes;
    char chunk[8192];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count == 0)
            return bytes;
        if (count < 0 && errno != EINTR)
            return std::nullopt;
        if (count > 0)
            bytes.append(chunk, count);
    }
}

// Opens the file for writing (creating it when missing) and locks it. Another writer may have
// replaced the file while we waited; then the lock guards a file nobody reads any more and we
// start again on the new one, for as long as the wait budget lasts.
int openLocked(const QByteArray& path)
{
    const QDeadlineTimer deadline(LockWaitMilliseconds);
    for (;;) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return -1;
        const bool locked = waitForLock(fd, deadline);
        if (!locked || isStillThePath(fd, path))
            return fd;
        ::close(fd);
    }
}

QString cutToBuffer(const QString& text, int bufferSize)
{
    if (text.size() < bufferSize)
        return text;
    qsizetype length = bufferSize - 1;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

}  // namespace

int getPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                            QString& returned, const QString& path, int bufferSize)
{
    returned.clear();
    if (bufferSize < 1)
        return 0;
    std::optional<QString> value;
    if (const std::optional<QByteArray> bytes = readWholeFile(path))
        value = IniDocument::fromBytes(*bytes).value(section, key);
    returned = cutToBuffer(value.value_or(defaultValue), bufferSize);
    return static_cast<int>(returned.size());
}

bool writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path)
{
    const ProfileValue single{section, key, value};
    return writePrivateProfileStrings({&single, 1}, path);
}

bool writePrivateProfileStrings(std::span<const ProfileValue> values, const QString& path)
{
    // Refused names and values must not even create the file.
    bool allFit = true;
    bool anyFits = false;
    for (const ProfileValue& entry : values) {
        const bool fits = IniDocument().setValue(entry.section, entry.key, entry.value);
        allFit = allFit && fits;
        anyFits = anyFits || fits;
    }
    if (path.isEmpty() || !anyFits)
        return false;
    const QByteArray nativePath = QFile::encodeName(path);
    const int fd = openLocked(nativePath);
    if (fd < 0)
        return false;
    bool written = false;
    if (const std::optional<QByteArray> bytes = readAll(fd)) {
        IniDocument document = IniDocument::fromBytes(*bytes);
        for (const ProfileValue& entry : values)
            allFit = document.setValue(entry.section, entry.key, entry.value) && allFit;
        const QByteArray changed = document.toBytes();
        written = changed == *bytes || writeFileSafely(path, changed);
    }
    ::close(fd);  // releases the lock for the next writer
    return written && allFit;
}

}  // namespace sys
