#include "platform/system/FileSystem.h"
#include "platform/system/MemoryBudget.h"
#include "platform/system/SpecialFolders.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RedirectedAppData.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::TempFolder;

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 07777;
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Writes "new" to the file as an unprivileged user: "written", or why not.
QByteArray writeAsNobody(const QString& path)
{
    return testsupport::runInChild(
               [&path] {
                   QString error;
                   return sys::writeFileSafely(path, "new", &error) ? QByteArray("written")
                                                                    : error.toUtf8();
               },
               true)
        .output;
}

TEST(SafeWrite, CreatesAndReplacesWholeContentWithoutLeavingTemporaryFiles)
{
    TempFolder folder;
    const QString path = folder.filePath("notes.txt");
    ASSERT_TRUE(sys::writeFileSafely(path, "first version, rather long"));
    ASSERT_TRUE(sys::writeFileSafely(path, "second"));
    EXPECT_EQ(sys::readWholeFile(path), QByteArray("second"));
    ASSERT_TRUE(sys::writeFileSafely(path, QByteArray()));
    EXPECT_EQ(sys::readWholeFile(path), QByteArray());
    EXPECT_EQ(entriesOf(folder.path()), QStringList{"notes.txt"});
}

TEST(SafeWrite, KeepsPermissionBitsOfTheReplacedFile)
{
    TempFolder folder;
    const QString path = folder.filePath("settings.ini");
    writeRaw(path, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(sys::writeFileSafely(path, "new"));
    EXPECT_EQ(modeOf(path), 0640u);

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0755), 0);
    ASSERT_TRUE(sys::writeFileSafely(path, "newer"));
    EXPECT_EQ(modeOf(path), 0755u);
}

TEST(SafeWrite, NewFileGetsTheUsualPermissionsNotPrivateTemporaryOnes)
{
    TempFolder folder;
    const mode_t previous = ::umask(022);
    const QString path = folder.filePath("fresh.txt");
    const bool written = sys::writeFileSafely(path, "x");
    ::umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(path), 0644u);
}

TEST(SafeWrite, FailedWriteLeavesTheOldFileIntactAndTheProcessRunning)
{
    TempFolder folder;
    const QString path = folder.filePath("document.rtf");
    writeRaw(path, "precious");
    // A file-size limit fails every write past it, for any user; its signal keeps the default
    // action, which would end the process.
    const testsupport::ChildOutcome outcome = testsupport::runInChild([&path] {
        if (!testsupport::limitFileSizeTo(1024))
            return QByteArray("no limit");
        QString error;
        const bool written = sys::writeFileSafely(path, QByteArray(64 * 1024, 'x'), &error);
        return QByteArray(written ? "written" : "refused: ") + error.toUtf8();
    });
    EXPECT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
    EXPECT_EQ(outcome.output, "refused: the file is too large (a file-size limit was reached)");
    EXPECT_EQ(sys::readWholeFile(path), QByteArray("precious"));
    EXPECT_EQ(entriesOf(folder.path()), QStringList{"document.rtf"});
}

TEST(SafeWrite, TemporaryFilesLeftByAnInterruptedSaveGoWithTheNextSave)
{
    TempFolder folder;
    const QString path = folder.filePath("notes.txt");
    writeRaw(path, "old");
    writeRaw(folder.filePath(".notes.txt.k2j9a.tmp"), "half of a crashed save");
    writeRaw(folder.filePath(".other.txt.k2j9a.tmp"), "another file's");
    writeRaw(folder.filePath(".notes.txt.backup"), "the user's own");
    ASSERT_TRUE(sys::writeFileSafely(path, "new"));
    EXPECT_EQ(entriesOf(folder.path()),
              (QStringList{".notes.txt.backup", ".other.txt.k2j9a.tmp", "notes.txt"}));
}

TEST(SafeWrite, UnwritableFolderFailsSaysWhyAndKeepsTheOldFile)
{
    TempFolder folder;
    const QString locked = folder.filePath("locked");
    const QString path = locked + "/file.txt";
    ASSERT_TRUE(QDir().mkpath(locked));
    writeRaw(path, "old");
    testsupport::openToEveryone(folder.path());
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0555), 0);
    // The file itself may be written; the folder takes no new file.
    const QByteArray outcome = writeAsNobody(path);
    ::chmod(QFile::encodeName(locked).constData(), 0777);
    EXPECT_EQ(outcome,
              "permission denied: the folder does not allow a new file beside "
              "this one, which saving needs");
    EXPECT_EQ(sys::readWholeFile(path), QByteArray("old"));
}

TEST(SafeWrite, WriteProtectedFileIsNotReplaced)
{
    TempFolder folder;
    const QString path = folder.filePath("protected.txt");
    writeRaw(path, "old");
    testsupport::openToEveryone(folder.path());
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_EQ(writeAsNobody(path), "permission denied");
    EXPECT_EQ(sys::readWholeFile(path), QByteArray("old"));
}

TEST(FileQueries, AFileWithoutTheRightToReadItIsToldApart)
{
    TempFolder folder;
    const QString path = folder.filePath("private.txt");
    writeRaw(path, "secret");
    testsupport::openToEveryone(folder.path());
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0200), 0);
    const testsupport::ChildOutcome outcome = testsupport::runInChild(
        [&path] {
            int reason = 0;
            const std::optional<QByteArray> bytes = sys::readWholeFile(path, &reason);
            return bytes ? *bytes : sys::describeFileError(reason).toUtf8();
        },
        true);
    EXPECT_EQ(outcome.output, "permission denied");

    int reason = 0;
    EXPECT_FALSE(sys::readWholeFile(folder.filePath("missing"), &reason));
    EXPECT_EQ(sys::describeFileError(reason), "the file or its folder does not exist");
    EXPECT_FALSE(sys::readWholeFile(folder.path(), &reason));
    EXPECT_EQ(reason, EISDIR);
}

TEST(MemoryBudgetTest, AnAddressSpaceLimitBoundsWhatIsAvailable)
{
    const std::optional<uint64_t> unlimited = sys::availableMemory();
    ASSERT_TRUE(unlimited);
    EXPECT_GT(*unlimited, 0u);
    const testsupport::ChildOutcome outcome = testsupport::runInChild([] {
        if (!testsupport::limitAddressSpaceTo(64u << 20))
            return QByteArray("no limit");
        return QByteArray::number(qulonglong(sys::availableMemory().value_or(0)));
    });
    const uint64_t limited = outcome.output.toULongLong();
    EXPECT_GT(limited, 0u) << outcome.output.constData();
    EXPECT_LE(limited, 64u << 20);
}

TEST(SafeWrite, RefusesMissingFoldersAndFolderTargets)
{
    TempFolder folder;
    EXPECT_FALSE(sys::writeFileSafely(folder.filePath("no/such/folder/file.txt"), "x"));
    EXPECT_FALSE(sys::writeFileSafely(folder.path(), "x"));
    EXPECT_FALSE(sys::writeFileSafely(QString(), "x"));
    EXPECT_TRUE(QDir(folder.path()).exists());
}

TEST(SafeWrite, WritesThroughASymbolicLinkAndKeepsTheLink)
{
    TempFolder folder;
    const QString target = folder.filePath("real.ini");
    const QString link = folder.filePath("link.ini");
    writeRaw(target, "old");
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(sys::writeFileSafely(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(sys::readWholeFile(target), QByteArray("new"));
}

TEST(FileQueries, ExistenceIsExactAndKnowsFilesFoldersAndLinks)
{
    TempFolder folder;
    const QString file = folder.filePath("a*b?.txt");
    writeRaw(file, "");
    ASSERT_TRUE(QFile::link(folder.filePath("gone"), folder.filePath("dangling")));

    EXPECT_TRUE(sys::pathExists(file));
    EXPECT_FALSE(sys::pathExists(folder.filePath("a*")));  // no wildcard matching
    EXPECT_FALSE(sys::pathExists(folder.filePath("a?b?.txt")));
    EXPECT_TRUE(sys::pathExists(folder.path()));
    EXPECT_TRUE(sys::pathExists(folder.filePath("dangling")));
    EXPECT_FALSE(sys::pathExists(QString()));

    EXPECT_TRUE(sys::fileExists(file));  // an empty file exists
    EXPECT_FALSE(sys::fileExists(folder.path()));
    EXPECT_TRUE(sys::folderExists(folder.path()));
    EXPECT_FALSE(sys::folderExists(file));
    EXPECT_FALSE(sys::readWholeFile(folder.path()));
    EXPECT_FALSE(sys::readWholeFile(folder.filePath("missing")));
}

TEST(FileQueries, CreateFolderMakesParentsAndDeleteRemovesOnlyFiles)
{
    TempFolder folder;
    const QString nested = folder.filePath("Maker/Program/Media");
    EXPECT_TRUE(sys::createFolder(nested));
    EXPECT_TRUE(sys::folderExists(nested));
    EXPECT_TRUE(sys::createFolder(nested));  // already there

    const QString file = nested + "/1.ico";
    writeRaw(file, "icon");
    EXPECT_FALSE(sys::deleteFile(nested));
    EXPECT_TRUE(sys::deleteFile(file));
    EXPECT_FALSE(sys::pathExists(file));
    EXPECT_FALSE(sys::deleteFile(file));
}

class InUse : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = folder.filePath("shared.rtf");
        writeRaw(path, "{\\rtf1 hello}");
    }

    // Another open file description of this process takes a lock on the file.
    int lockInThisProcess(short type, int openFlags)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), openFlags);
        EXPECT_GE(fd, 0);
        struct flock lock {};
        lock.l_type = type;
        lock.l_whence = SEEK_SET;
        EXPECT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
        return fd;
    }

    TempFolder folder;
    QString path;
};

TEST_F(InUse, UnlockedMissingAndReadOnlyFilesAreNotInUse)
{
    EXPECT_FALSE(sys::isFileInUse(path));
    EXPECT_FALSE(sys::isFileInUse(folder.filePath("missing.rtf")));
    EXPECT_FALSE(sys::isFileInUse(QString()));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_FALSE(sys::isFileInUse(path));

    // Merely having the file open is no lock.
    QFile reader(path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    EXPECT_FALSE(sys::isFileInUse(path));
}

TEST_F(InUse, LocksOfAnotherOpenFileInThisProcessAreSeenUntilReleased)
{
    const int writer = lockInThisProcess(F_WRLCK, O_RDWR);
    EXPECT_TRUE(sys::isFileInUse(path));
    ::close(writer);
    EXPECT_FALSE(sys::isFileInUse(path));

    const int reader = lockInThisProcess(F_RDLCK, O_RDONLY);
    EXPECT_TRUE(sys::isFileInUse(path));
    ::close(reader);
    EXPECT_FALSE(sys::isFileInUse(path));
}

TEST_F(InUse, LockHeldByAChildProcessIsSeen)
{
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const QByteArray nativePath = QFile::encodeName(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls from here on. A classic process lock, as other programs
        // take them.
        const int fd = ::open(nativePath.constData(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const char status = (fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0) ? 'L' : 'E';
        [[maybe_unused]] ssize_t ignored = ::write(ready[1], &status, 1);
        char go;
        ignored = ::read(release[0], &go, 1);
        ::_exit(0);
    }
    char status = 0;
    ASSERT_EQ(::read(ready[0], &status, 1), 1);
    ASSERT_EQ(status, 'L');
    EXPECT_TRUE(sys::isFileInUse(path));

    const char go = 'g';
    ASSERT_EQ(::write(release[1], &go, 1), 1);
    int exitStatus = 0;
    ::waitpid(child, &exitStatus, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        ::close(fd);
    EXPECT_FALSE(sys::isFileInUse(path));
}

TEST(SpecialFolders, ApplicationDataIsRedirectedForATestAndRestoredAfter)
{
    const QString standard = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    EXPECT_EQ(sys::applicationDataFolder(), standard);
    {
        testsupport::RedirectedAppData outer;
        EXPECT_EQ(sys::applicationDataFolder(), outer.path());
        {
            testsupport::RedirectedAppData inner;
            EXPECT_EQ(sys::applicationDataFolder(), inner.path());
        }
        EXPECT_EQ(sys::applicationDataFolder(), outer.path());
    }
    EXPECT_EQ(sys::applicationDataFolder(), standard);
    EXPECT_FALSE(sys::tempFolder().isEmpty());
    EXPECT_FALSE(sys::tempFolder().endsWith('/'));
}

}  // namespace
