#include "platform/system/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace sys {
namespace {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

// `creatingCopy`: the failed step made the new copy beside the file.
void setError(QString* error, int errorNumber, bool creatingCopy = false)
{
    if (!error)
        return;
    // The copy beside the file is what a safe save needs; a folder that refuses it is named
    // as the cause, not the file the user can see is writable.
    if (creatingCopy && (errorNumber == EACCES || errorNumber == EPERM))
        *error = QStringLiteral(
            "permission denied: the folder does not allow a new file beside "
            "this one, which saving needs");
    else
        *error = describeFileError(errorNumber);
}

// While it lives, a write past the file-size limit fails with EFBIG instead of the signal
// ending the process; a handler the program installed itself is left alone.
class FileSizeSignalGuard {
public:
    FileSizeSignalGuard()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigemptyset(&ignore.sa_mask);
        m_active = ::sigaction(SIGXFSZ, nullptr, &m_previous) == 0 &&
                   m_previous.sa_handler == SIG_DFL && ::sigaction(SIGXFSZ, &ignore, nullptr) == 0;
    }
    ~FileSizeSignalGuard()
    {
        if (m_active)
            ::sigaction(SIGXFSZ, &m_previous, nullptr);
    }
    FileSizeSignalGuard(const FileSizeSignalGuard&) = delete;
    FileSizeSignalGuard& operator=(const FileSizeSignalGuard&) = delete;

private:
    struct sigaction m_previous {};
    bool m_active = false;
};

// The name pattern of the temporary files written beside `target`.
QRegularExpression temporaryNamesOf(const QString& target)
{
    return QRegularExpression(QLatin1String("^\\.") +
                              QRegularExpression::escape(QFileInfo(target).fileName()) +
                              QLatin1String("\\.[0-9a-z]+\\.tmp$"));
}

// Removes what an interrupted earlier save of `target` left beside it.
void removeStaleTemporaries(const QString& target)
{
    const QFileInfo info(target);
    const QRegularExpression pattern = temporaryNamesOf(target);
    const QDir folder = info.absoluteDir();
    const QStringList names =
        folder.entryList({QLatin1String(".") + info.fileName() + QLatin1String(".*.tmp")},
                         QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (pattern.match(name).hasMatch())
            ::unlink(nativePath(folder.filePath(name)).constData());
    }
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
    bool failed = false;
    int reason = 0;
};

Failure fillTemporary(int fd, const QByteArray& contents, const struct stat* old)
{
    if (old && !copyAttributes(fd, *old))
        return {true, errno};
    if (!writeAll(fd, contents))
        return {true, errno};
    if (::fsync(fd) != 0)
        return {true, errno};
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

std::optional<QByteArray> readWholeFile(const QString& path, int* errorNumber)
{
    const auto fail = [errorNumber](int reason) -> std::optional<QByteArray> {
        if (errorNumber)
            *errorNumber = reason;
        return std::nullopt;
    };
    if (path.isEmpty())
        return fail(ENOENT);
    // Embedded resources (":/...") live in the program, not on disk.
    if (path.startsWith(QLatin1Char(':'))) {
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly))
            return fail(ENOENT);
        return resource.readAll();
    }
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int reason = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(reason);
    }
    QByteArray contents;
    if (S_ISREG(info.st_mode))
        contents.reserve(qsizetype(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int reason = errno;
            ::close(fd);
            return fail(reason);
        }
        if (got == 0)
            break;
        contents.append(buffer, got);
    }
    ::close(fd);
    return contents;
}

QString describeFileError(int errorNumber)
{
    switch (errorNumber) {
        case EACCES:
        case EPERM:
            return QStringLiteral("permission denied");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("the disk is full");
        case EFBIG:
            return QStringLiteral("the file is too large (a file-size limit was reached)");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("the file or its folder does not exist");
        case EROFS:
            return QStringLiteral("the disk is read-only");
        case EISDIR:
            return QStringLiteral("it is a folder, not a file");
        case ENOMEM:
            return QStringLiteral("not enough memory");
        default:
            return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

bool writeFileSafely(const QString& path, const QByteArray& contents, QString* error)
{
    if (path.isEmpty()) {
        setError(error, ENOENT);
        return false;
    }
    const QString target = replacedFile(path);
    struct stat old {};
    const bool existed = ::stat(nativePath(target).constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) {
        setError(error, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        return false;
    }
    // The rename would get past a write-protected file; its protection must hold as it would
    // for a write in place.
    if (existed && ::access(nativePath(target).constData(), W_OK) != 0) {
        setError(error, errno);
        return false;
    }

    removeStaleTemporaries(target);
    const FileSizeSignalGuard sizeLimit;
    QString temporary;
    const int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) {
        setError(error, errno, true);
        return false;
    }
    Failure failure = fillTemporary(fd, contents, existed ? &old : nullptr);
    if (::close(fd) != 0 && !failure.failed)
        failure = {true, errno};
    if (!failure.failed &&
        ::rename(nativePath(temporary).constData(), nativePath(target).constData()) != 0)
        failure = {true, errno};
    if (failure.failed) {
        ::unlink(nativePath(temporary).constData());
        setError(error, failure.reason);
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

std::optional<FileVersion> fileVersion(const QString& path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &status) != 0 ||
        !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileVersion{uint64_t(status.st_dev), uint64_t(status.st_ino), int64_t(status.st_size),
                       int64_t(status.st_mtim.tv_sec), int64_t(status.st_mtim.tv_nsec)};
}

}  // namespace sys
