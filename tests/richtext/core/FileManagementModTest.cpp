#include "richtext/core/FileManagementMod.h"

#include "platform/host/Resources.h"
#include "platform/system/HelpPages.h"
#include "platform/system/SpecialFolders.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/RedirectedAppData.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fm = FileManagementMod;

namespace {

const QString kHelpFolder = QStringLiteral("Fenwater Software/Xr HELP/Xr RTB HELP");

QByteArray embeddedHelp()
{
    return host::resourceData(QStringLiteral("XrRichTextBox"), QStringLiteral("HELP"), 101)
        .value_or(QByteArray());
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class HelpFile : public testing::Test {
protected:
    void SetUp() override { fm::resetApplicationHelpFile(); }
    void TearDown() override { fm::resetApplicationHelpFile(); }

    QString helpFilePath() const
    {
        return m_appData.path() + QLatin1Char('/') + kHelpFolder + QStringLiteral("/XrRTBHelp.chm");
    }

    testsupport::FakeMessageBoxes m_boxes;
    testsupport::RedirectedAppData m_appData;
};

// Makes the working directory a folder of the test's own for as long as it lives.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const QString& folder) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(folder);
    }
    ~ScopedWorkingFolder() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

}  // namespace

TEST(EmbeddedHelp, IsACompiledHelpFileHoldingTheTopicOfTheHelpPath)
{
    const QByteArray help = embeddedHelp();
    ASSERT_GT(help.size(), 96);
    EXPECT_TRUE(help.startsWith("ITSF"));
    EXPECT_EQ(help.at(4), 3);  // format version
    // The help path ends in "::/xrwmshelp.txt": that entry must be in the file's directory.
    EXPECT_TRUE(help.contains("/xrwmshelp.txt"));
    EXPECT_TRUE(help.contains("/index.htm"));
}

TEST_F(HelpFile, AMissingFileIsWrittenWithTheResourceBytes)
{
    QString file;
    const QString helpPath = fm::BuildHelpFilePath(file);

    EXPECT_EQ(file, helpFilePath());
    EXPECT_EQ(helpPath, helpFilePath() + QStringLiteral("::/xrwmshelp.txt"));
    EXPECT_EQ(fm::applicationHelpFile(), helpPath);
    EXPECT_EQ(readAll(file), embeddedHelp());
    EXPECT_TRUE(m_boxes.shown().empty());
}

// A host that hands the control's help path to the desktop gets the help's pages in the browser.
TEST_F(HelpFile, TheControlsHelpHasPagesTheDesktopCanShow)
{
    QString file;
    const QString helpPath = fm::BuildHelpFilePath(file);
    ASSERT_TRUE(sys::hasHelpPages(file));
    ASSERT_TRUE(sys::hasHelpPages(helpPath));
    const QString page = sys::writeHelpPages(helpPath);
    ASSERT_FALSE(page.isEmpty());
    EXPECT_EQ(QFileInfo(page).fileName(), QStringLiteral("index.htm"));
    EXPECT_TRUE(readAll(page).contains("<title>"));
    EXPECT_TRUE(QFileInfo::exists(QFileInfo(page).dir().filePath(QStringLiteral("help.css"))));
}

TEST_F(HelpFile, AnExistingFileIsNeverRewritten)
{
    ASSERT_TRUE(QDir(m_appData.path()).mkpath(kHelpFolder));
    for (const QByteArray& content : {QByteArray(), QByteArray("an older help file")}) {
        ASSERT_TRUE(writeAll(helpFilePath(), content));
        QString file;
        EXPECT_EQ(fm::BuildHelpFilePath(file), helpFilePath() + QStringLiteral("::/xrwmshelp.txt"));
        EXPECT_EQ(file, helpFilePath());
        EXPECT_EQ(readAll(helpFilePath()), content);
    }
}

TEST_F(HelpFile, AnApplicationDataFolderNotYetMadeIsMade)
{
    const QString base = m_appData.filePath(QStringLiteral("fresh/share"));
    const QString previous = sys::setApplicationDataOverride(base);
    QString file;
    const QString helpPath = fm::BuildHelpFilePath(file);
    sys::setApplicationDataOverride(previous);

    EXPECT_EQ(file, base + QLatin1Char('/') + kHelpFolder + QStringLiteral("/XrRTBHelp.chm"));
    EXPECT_EQ(readAll(file), embeddedHelp());
    EXPECT_FALSE(helpPath.isEmpty());
}

TEST_F(HelpFile, WithoutABaseFolderNothingIsCreatedAnywhere)
{
    // Application data is taken by a plain file: no folder can be found or made there.
    const QString blocked = m_appData.filePath(QStringLiteral("not-a-folder"));
    ASSERT_TRUE(writeAll(blocked, "x"));
    testsupport::TempFolder workingFolder;
    ScopedWorkingFolder cwd(workingFolder.path());
    const QString previous = sys::setApplicationDataOverride(blocked);

    QString file = QStringLiteral("stale");
    const QString helpPath = fm::BuildHelpFilePath(file);
    sys::setApplicationDataOverride(previous);

    EXPECT_TRUE(helpPath.isEmpty());
    EXPECT_TRUE(file.isEmpty());
    EXPECT_TRUE(fm::applicationHelpFile().isEmpty());
    EXPECT_TRUE(QDir(workingFolder.path()).isEmpty());
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text, QStringLiteral("GetSpecialFolderA"));
    EXPECT_EQ(m_boxes.shown()[0].style, host::vbOKOnly);
}

TEST_F(HelpFile, AFileThatCannotBeWrittenLeavesTheLastHelpPath)
{
    QString file;
    const QString first = fm::BuildHelpFilePath(file);
    ASSERT_FALSE(first.isEmpty());

    // A folder stands where the file would go: it is neither a file nor writable as one.
    const QString otherBase = m_appData.filePath(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkpath(otherBase + QLatin1Char('/') + kHelpFolder +
                              QStringLiteral("/XrRTBHelp.chm")));
    const QString previous = sys::setApplicationDataOverride(otherBase);
    const QString second = fm::BuildHelpFilePath(file);
    sys::setApplicationDataOverride(previous);

    EXPECT_TRUE(second.isEmpty());
    EXPECT_TRUE(file.isEmpty());
    EXPECT_EQ(fm::applicationHelpFile(), first);
}

TEST_F(HelpFile, SpecialFolders)
{
    EXPECT_EQ(fm::GetSpecialFolder(fm::CSIDL_APPDATA), m_appData.path() + QLatin1Char('/'));
    EXPECT_TRUE(m_boxes.shown().empty());

    EXPECT_EQ(fm::GetSpecialFolder(5), QString());  // not a folder we know
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text, QStringLiteral("GetSpecialFolderA"));
}

TEST(FileRoutines, TrimApiStringRemovesBlanksAndOneTrailingSeparator)
{
    EXPECT_EQ(fm::TrimApiString(QStringLiteral("  /home/ann/data/ ")),
              QStringLiteral("/home/ann/data"));
    EXPECT_EQ(fm::TrimApiString(QStringLiteral("/home/ann//")), QStringLiteral("/home/ann/"));
    EXPECT_EQ(fm::TrimApiString(QStringLiteral("/home/ann")), QStringLiteral("/home/ann"));
    // Only blanks are trimmed, and only at the ends.
    EXPECT_EQ(fm::TrimApiString(QStringLiteral("\t/a b/\t")), QStringLiteral("\t/a b/\t"));
    EXPECT_EQ(fm::TrimApiString(QStringLiteral("   ")), QString());
    EXPECT_EQ(fm::TrimApiString(QString()), QString());
}

TEST(FileRoutines, EnsureFolderCreatesOnlyTheLastMissingLevel)
{
    testsupport::TempFolder temp;
    const QString folder = temp.filePath(QStringLiteral("Maker"));

    EXPECT_TRUE(fm::EnsureFolder(folder + QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(fm::EnsureFolder(folder));                           // already there
    EXPECT_FALSE(fm::EnsureFolder(folder + QStringLiteral("/a/b")));  // parent missing
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/a")));

    const QString file = temp.filePath(QStringLiteral("file"));
    ASSERT_TRUE(writeAll(file, "x"));
    EXPECT_FALSE(fm::EnsureFolder(file));
    EXPECT_FALSE(fm::EnsureFolder(QString()));
    ScopedWorkingFolder cwd(temp.path());
    EXPECT_FALSE(fm::EnsureFolder(QStringLiteral("  ")));
    EXPECT_FALSE(QFileInfo::exists(temp.filePath(QStringLiteral("  "))));
}

TEST(FileRoutines, FolderAndFileTestsTellTheKindsApart)
{
    testsupport::TempFolder temp;
    const QString empty = temp.filePath(QStringLiteral("empty.chm"));
    ASSERT_TRUE(writeAll(empty, QByteArray()));

    EXPECT_TRUE(fm::FolderExists(temp.path()));
    EXPECT_TRUE(fm::FolderExists(QStringLiteral(" ") + temp.path() + QStringLiteral("/ ")));
    EXPECT_FALSE(fm::FolderExists(empty));
    EXPECT_FALSE(fm::FolderExists(temp.filePath(QStringLiteral("none"))));
    EXPECT_FALSE(fm::FolderExists(QString()));
    // Exact names: no pattern matching.
    EXPECT_FALSE(fm::FolderExists(temp.path().left(temp.path().size() - 1) + QLatin1Char('*')));

    EXPECT_TRUE(fm::FileExists(empty));  // zero bytes still counts
    EXPECT_FALSE(fm::FileExists(temp.path()));
    EXPECT_FALSE(fm::FileExists(temp.filePath(QStringLiteral("none"))));
    EXPECT_FALSE(fm::FileExists(QString()));
}

TEST(FileRoutines, WriteResourceToFileReportsWhetherTheBytesWereWritten)
{
    testsupport::TempFolder temp;
    const QString target = temp.filePath(QStringLiteral("help.chm"));

    EXPECT_TRUE(fm::WriteResourceToFile(101, target, QStringLiteral("help")));
    EXPECT_EQ(readAll(target), embeddedHelp());

    const QString missing = temp.filePath(QStringLiteral("missing.bin"));
    EXPECT_FALSE(fm::WriteResourceToFile(999, missing, QStringLiteral("HELP")));
    EXPECT_FALSE(QFileInfo::exists(missing));

    EXPECT_FALSE(fm::WriteResourceToFile(101, temp.filePath(QStringLiteral("no/such/folder.chm")),
                                         QStringLiteral("HELP")));
}
