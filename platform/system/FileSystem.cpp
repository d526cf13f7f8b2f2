#include "platform/system/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace sys {
namespace {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

QString describeErrno(const char* step, const QString& path, int errorNumber)
{
    return QStringLiteral("%1 %2: %3")
        .arg(QLatin1String(step), path, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

void setError(QString* error, const char* step, const QString& path, int errorNumber)
{
    if (error)
        *error = describeErrno(step, path, errorNumber);
}

// The file that a write to `path` must replace: the end of a chain of links, so that the link
// itself survives the rename.
QString replacedFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

bool writeAll(int fd, const QByteArray& contents)
{
    const char* data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Opens a new, empty file with a random name beside `target`; the process's umask applies.
int createTemporaryBeside(const QString& target, QString& temporaryPath)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath =
            info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1Char('.') +
            QString::number(QRandomGenerator::global()->generate(), 36) + QLatin1String(".tmp");
        const int fd = ::open(nativePath(temporaryPath).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Carries the old file's permission bits, owner and group over to the new one. Owner and
// group are best effort: an ordinary user may not give a file away.
bool copyAttributes(int fd, const struct stat& old)
{
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return false;
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
        ::fchmod(fd, old.st_mode & 07777);  // fchown clears set-id bits
    }
    return true;
}

struct Failure {
    const char* step = nullptr;
    int reason = 0;
};

Failure fillTemporary(int fd, const QByteArray& contents, const struct stat* old)
{
    if (old && !copyAttributes(fd, *old))
        return {"keep the permissions of", errno};
    if (!writeAll(fd, contents))
        return {"write", errno};
    if (::fsync(fd) != 0)
        return {"flush", errno};
    return {};
}

void syncFolderOf(const QString& file)
{
    const int fd = ::open(nativePath(QFileInfo(file).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::optional<QByteArray> readWholeFile(const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return contents;
}

bool writeFileSafely(const QString& path, const QByteArray& contents, QString* error)
{
    if (path.isEmpty()) {
        setError(error, "write", path, ENOENT);
        return false;
    }
    const QString target = replacedFile(path);
    struct stat old {};
    const bool existed = ::stat(nativePath(target).constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) {
        setError(error, "replace", target, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        return false;
    }
    // The rename would get past a write-protected file; its protection must hold as it would
    // for a write in place.
    if (existed && ::access(nativePath(target).constData(), W_OK) != 0) {
        setError(error, "write", target, errno);
        return false;
    }

    QString temporary;
    const int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) {
        setError(error, "create a temporary file for", target, errno);
        return false;
    }
    Failure failure = fillTemporary(fd, contents, existed ? &old : nullptr);
    if (::close(fd) != 0 && !failure.step)
        failure = {"close", errno};
    if (!failure.step &&
        ::rename(nativePath(temporary).constData(), nativePath(target).constData()) != 0)
        failure = {"rename over", errno};
    if (failure.step) {
        ::unlink(nativePath(temporary).constData());
        setError(error, failure.step, target, failure.reason);
        return false;
    }
    syncFolderOf(target);
    return true;
}

bool pathExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat entry {};
    return ::lstat(nativePath(path).constData(), &entry) == 0;
}

bool fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool folderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool deleteFile(const QString& path)
{
    if (path.isEmpty() || (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink()))
        return false;
    return ::unlink(nativePath(path).constData()) == 0;
}

bool createFolder(const QString& path)
{
    return !path.isEmpty() && QDir().mkpath(path);
}

bool isFileInUse(const QString& path)
{
    if (path.isEmpty())
        return false;
    // A fresh open file description of our own: open-file-description locks held through any
    // other description, in this process or another, conflict with it.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;  // conflicts with every read and write lock
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;  // to the end of the file, however long it grows
    int result = ::fcntl(fd, F_OFD_GETLK, &probe);
    if (result != 0 && errno == EINVAL) {
        // File systems without open-file-description locks: at least other processes' locks.
        probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        result = ::fcntl(fd, F_GETLK, &probe);
    }
    ::close(fd);
    return result == 0 && probe.l_type != F_UNLCK;
}

}  // namespace sys
