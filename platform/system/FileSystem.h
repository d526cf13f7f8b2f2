// File and folder services: whole-file reads, crash-safe whole-file writes, existence tests
// and the test whether another program holds a file locked.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace sys {

// The whole content of a file; nothing when it cannot be read (missing, a folder, no right),
// with the system's error number in `errorNumber` when given.
std::optional<QByteArray> readWholeFile(const QString& path, int* errorNumber = nullptr);

// Why a file could not be read or written, in plain words for a message ("permission
// denied", "the disk is full", ...).
QString describeFileError(int errorNumber);

// Replaces the file's content as one step: the bytes go into a temporary file beside the
// target, which is flushed to disk and then renamed over it, so a failure at any point leaves
// the old file as it was. An existing file keeps its permission bits (and, where allowed, its
// owner and group); a symbolic link stays a link and its target is replaced. A file the caller
// may not write is refused, as a write in place would be. On failure the temporary file is
// removed and the reason, in plain words, goes to `error` when given. Temporary files that an
// earlier, interrupted write of the same file left behind are removed first. A file-size limit
// fails the write instead of ending the process.
bool writeFileSafely(const QString& path, const QByteArray& contents, QString* error = nullptr);

// Any entry of that name: a file, a folder or a symbolic link (even a dangling one). Exact:
// no wildcard matching. An empty path does not exist.
bool pathExists(const QString& path);

// A file (or a link to one); folders do not count.
bool fileExists(const QString& path);

// A folder (or a link to one).
bool folderExists(const QString& path);

// Removes a file (a link is removed, not its target); true when it is gone afterwards
// because of this call.
bool deleteFile(const QString& path);

// Creates the folder together with any missing parents; true when the folder exists
// afterwards.
bool createFolder(const QString& path);

// True when another open file (of another process, or another open of this process) holds a
// read or write lock on any part of the file. A missing or unreadable file is not in use,
// nor is a read-only file nobody has locked.
bool isFileInUse(const QString& path);

// One version of a file on disk: a rewrite in place or a new file renamed over it gives
// another. Nothing for a path that names no file.
struct FileVersion {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;

    bool operator==(const FileVersion&) const = default;
};
std::optional<FileVersion> fileVersion(const QString& path);

}  // namespace sys
