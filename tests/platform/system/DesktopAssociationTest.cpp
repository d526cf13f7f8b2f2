#include "platform/system/DesktopAssociation.h"
#include "platform/system/RegistryStore.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>

using namespace sys;

namespace {

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                          : QStringLiteral("<missing>");
}

struct ToolCall {
    QString program;
    QStringList arguments;
};

class DesktopAssociationTest : public ::testing::Test {
protected:
    DesktopAssociationTest()
        : m_store(m_folder.filePath(QStringLiteral("registry.json"))),
          m_mirror(m_folder.filePath(QStringLiteral("data")))
    {
        m_mirror.setToolFinder([this](const QString& name) {
            return m_installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        });
        m_mirror.setToolRunner([this](const QString& program, const QStringList& arguments) {
            m_calls.push_back({program, arguments});
            return true;
        });
    }

    void writeDefault(const QString& path, const QString& data)
    {
        HKEY key = 0;
        ASSERT_EQ(m_store.createKey(HKEY_CLASSES_ROOT, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        if (!data.isNull()) {
            ASSERT_EQ(m_store.setValue(key, QString(), REG_SZ, data), ERROR_SUCCESS);
        }
        m_store.closeKey(key);
    }

    void registerWmdf(const QString& description = QStringLiteral("Wexmoor Document File"))
    {
        writeDefault(QStringLiteral(".wmdf"), QStringLiteral("wmdf_ext"));
        writeDefault(QStringLiteral("wmdf_ext"), description);
        writeDefault(QStringLiteral("wmdf_ext\\DefaultIcon"),
                     QStringLiteral("/home/u/Media/1.ico,0"));
        writeDefault(QStringLiteral("wmdf_ext\\shell\\open\\command"),
                     QStringLiteral("\"/opt/My Apps/Scrivet\" \"%1\""));
    }

    QString data(const QString& relative) const
    {
        return m_folder.filePath(QStringLiteral("data/") + relative);
    }

    testsupport::TempFolder m_folder;
    RegistryStore m_store;
    DesktopAssociation m_mirror;
    QStringList m_installed;
    std::vector<ToolCall> m_calls;
};

TEST(DesktopExec, ConvertsTheOpenCommandWithSafeQuoting)
{
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("\"/opt/scrivet/Scrivet\" \"%1\"")),
              QStringLiteral("/opt/scrivet/Scrivet %f"));
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("\"/opt/My Apps/Scrivet\" \"%1\"")),
              QStringLiteral("\"/opt/My Apps/Scrivet\" %f"));
    // Characters a shell would act on stay inside quotes; the four special ones are escaped.
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("\"/x/a;rm -rf ~\" \"%1\"")),
              QStringLiteral("\"/x/a;rm -rf ~\" %f"));
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("/x/$HOME/`id` %1")),
              QStringLiteral("\"/x/\\$HOME/\\`id\\`\" %f"));
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("\"C:\\Apps\\Scrivet.exe\" \"%1\"")),
              QStringLiteral("\"C:\\\\Apps\\\\Scrivet.exe\" %f"));
    // The platform's rules for backslashes before quotes; a literal quote is escaped again.
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("/x/p \"say \\\"hi\\\"\" %1")),
              QStringLiteral("/x/p \"say \\\"hi\\\"\" %f"));
    // A literal percent sign is doubled; a command without a document marker gets one at the end.
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("/x/p --zoom=50%")),
              QStringLiteral("/x/p --zoom=50%% %f"));
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("/x/p \"\" %L")),
              QStringLiteral("/x/p \"\" %f"));
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("   ")), std::nullopt);
    EXPECT_EQ(desktopExecFromCommand(QStringLiteral("\"\" %1")), std::nullopt);
}

TEST_F(DesktopAssociationTest, ReadsAnAssociationOnlyWhenItHasAnOpenCommand)
{
    writeDefault(QStringLiteral(".wmdf"), QStringLiteral("wmdf_ext"));
    writeDefault(QStringLiteral("wmdf_ext\\shell\\open"), QString());
    EXPECT_EQ(readFileAssociation(m_store, QStringLiteral(".wmdf")), std::nullopt);
    EXPECT_EQ(m_mirror.mirrorAll(m_store), 0);
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("mime"))));

    registerWmdf();
    const std::optional<FileAssociation> association =
        readFileAssociation(m_store, QStringLiteral(".wmdf"));
    ASSERT_TRUE(association.has_value());
    EXPECT_EQ(association->typeName, QStringLiteral("wmdf_ext"));
    EXPECT_EQ(association->description, QStringLiteral("Wexmoor Document File"));
    EXPECT_EQ(association->iconPath, QStringLiteral("/home/u/Media/1.ico"));
    EXPECT_EQ(association->openCommand, QStringLiteral("\"/opt/My Apps/Scrivet\" \"%1\""));
}

TEST_F(DesktopAssociationTest, WritesMimePackageAndDesktopEntry)
{
    registerWmdf();
    m_installed = {QStringLiteral("update-mime-database")};
    EXPECT_EQ(m_mirror.mirrorAll(m_store), 1);

    EXPECT_EQ(fileText(data(QStringLiteral("mime/packages/scrivet-wmdf.xml"))),
              QStringLiteral(
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                  "    <mime-type type=\"application/x-wmdf\">\n"
                  "        <comment>Wexmoor Document File</comment>\n"
                  "        <glob pattern=\"*.wmdf\"/>\n"
                  "    </mime-type>\n"
                  "</mime-info>\n"));
    EXPECT_EQ(fileText(data(QStringLiteral("applications/scrivet-wmdf.desktop"))),
              QStringLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Scrivet\n"
                             "Comment=Wexmoor Document File\n"
                             "Exec=\"/opt/My Apps/Scrivet\" %f\n"
                             "Icon=/home/u/Media/1.ico\n"
                             "MimeType=application/x-wmdf;\n"
                             "NoDisplay=true\n"
                             "Terminal=false\n"));
    // Only the tool that exists runs, with the folder as an argument of its own.
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls[0].program, QStringLiteral("/usr/bin/update-mime-database"));
    EXPECT_EQ(m_calls[0].arguments, QStringList{data(QStringLiteral("mime"))});
}

TEST_F(DesktopAssociationTest, MirroringAgainChangesNothingUntilTheStoreChanges)
{
    registerWmdf();
    m_installed = {QStringLiteral("update-mime-database"),
                   QStringLiteral("update-desktop-database")};
    ASSERT_EQ(m_mirror.mirrorAll(m_store), 1);
    ASSERT_EQ(m_calls.size(), 2u);
    const QString entryPath = data(QStringLiteral("applications/scrivet-wmdf.desktop"));
    const QDateTime written = QFileInfo(entryPath).lastModified();

    EXPECT_EQ(m_mirror.mirrorAll(m_store), 1);
    EXPECT_EQ(m_calls.size(), 2u);
    EXPECT_EQ(QFileInfo(entryPath).lastModified(), written);

    writeDefault(QStringLiteral("wmdf_ext"), QStringLiteral("Other Description"));
    EXPECT_EQ(m_mirror.mirrorAll(m_store), 1);
    ASSERT_EQ(m_calls.size(), 4u);
    EXPECT_TRUE(fileText(entryPath).contains(QStringLiteral("\nComment=Other Description\n")));
}

TEST_F(DesktopAssociationTest, WorksWithoutTheDesktopTools)
{
    registerWmdf();
    EXPECT_EQ(m_mirror.mirrorAll(m_store), 1);
    EXPECT_TRUE(m_calls.empty());
    EXPECT_TRUE(QFileInfo::exists(data(QStringLiteral("applications/scrivet-wmdf.desktop"))));
}

TEST_F(DesktopAssociationTest, StoredTextCannotAddLinesOrMarkup)
{
    registerWmdf(QStringLiteral("Doc\nExec=/bin/evil\r\n[Other] <b>&"));
    ASSERT_EQ(m_mirror.mirrorAll(m_store), 1);
    const QStringList lines = fileText(data(QStringLiteral("applications/scrivet-wmdf.desktop")))
                                  .split(QLatin1Char('\n'));
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const QString& line) { return line.startsWith(QLatin1String("Exec=")); }),
        1);
    EXPECT_TRUE(lines.contains(QStringLiteral("Comment=Doc\\nExec=/bin/evil\\r\\n[Other] <b>&")));
    EXPECT_TRUE(fileText(data(QStringLiteral("mime/packages/scrivet-wmdf.xml")))
                    .contains(QStringLiteral(
                        "<comment>Doc Exec=/bin/evil  [Other] &lt;b&gt;&amp;</comment>")));
}

TEST_F(DesktopAssociationTest, FailedWriteIsReported)
{
    registerWmdf();
    QFile blocker(m_folder.filePath(QStringLiteral("data")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the data folder should be
    blocker.close();
    EXPECT_EQ(m_mirror.mirrorAll(m_store), 0);
    EXPECT_TRUE(m_calls.empty());
}

TEST_F(DesktopAssociationTest, StoreChangesReachTheDesktopWhenTheCommandKeyCloses)
{
    m_store.setChangeListener([this](RegistryStore& store) { m_mirror.mirrorAll(store); });
    const QString entry = data(QStringLiteral("applications/scrivet-wmdf.desktop"));
    writeDefault(QStringLiteral(".wmdf"), QStringLiteral("wmdf_ext"));
    writeDefault(QStringLiteral("wmdf_ext"), QStringLiteral("Wexmoor Document File"));
    EXPECT_FALSE(QFileInfo::exists(entry));
    writeDefault(QStringLiteral("wmdf_ext\\shell\\open\\command"),
                 QStringLiteral("/opt/s/Scrivet \"%1\""));
    EXPECT_TRUE(fileText(entry).contains(QStringLiteral("\nExec=/opt/s/Scrivet %f\n")));
}

// The desktop's own tool accepts the package and learns the type from it.
TEST_F(DesktopAssociationTest, MimePackageIsAcceptedByTheMimeDatabaseTool)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty())
        GTEST_SKIP() << "update-mime-database is not installed";
    registerWmdf();
    ASSERT_EQ(m_mirror.mirrorAll(m_store), 1);
    QProcess process;
    process.start(tool, {data(QStringLiteral("mime"))});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(fileText(data(QStringLiteral("mime/globs2")))
                    .contains(QStringLiteral("application/x-wmdf:*.wmdf")));
}

}  // namespace
