#include "platform/system/DesktopAssociation.h"
#include "platform/system/MimeAssociations.h"
#include "platform/system/RegistryStore.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
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
          m_mirror(m_folder.filePath(QStringLiteral("data")),
                   m_folder.filePath(QStringLiteral("config")))
    {
        m_mirror.setToolFinder([this](const QString& name) {
            return m_installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        });
        // The tools leave their databases behind, as the real ones do.
        m_mirror.setToolRunner([this](const QString& program, const QStringList& arguments) {
            m_calls.push_back({program, arguments});
            const QString database = program.endsWith(QLatin1String("update-mime-database"))
                                         ? QStringLiteral("/mime.cache")
                                         : QStringLiteral("/mimeinfo.cache");
            QFile(arguments.value(0) + database).open(QIODevice::WriteOnly);
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

TEST_F(DesktopAssociationTest, AMissingDatabaseIsBuiltEvenWhenNoFileChanged)
{
    registerWmdf();
    ASSERT_EQ(m_mirror.mirrorAll(m_store), 1);  // no tools yet: files only
    ASSERT_TRUE(m_calls.empty());
    m_installed = {QStringLiteral("update-mime-database"),
                   QStringLiteral("update-desktop-database")};
    EXPECT_EQ(m_mirror.mirrorAll(m_store), 1);
    EXPECT_EQ(m_calls.size(), 2u);
}

TEST_F(DesktopAssociationTest, TheTypesDefaultGoesIntoMimeappsListKeepingWhatElseItSays)
{
    const QString list = m_folder.filePath(QStringLiteral("config/mimeapps.list"));
    QDir().mkpath(QFileInfo(list).absolutePath());
    QFile existing(list);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write(
        "[Added Associations]\napplication/x-wmdf=other.desktop;\n"
        "text/plain=editor.desktop;\n\n[Default Applications]\n"
        "text/plain=editor.desktop\napplication/x-wmdf=other.desktop\n");
    existing.close();
    registerWmdf();
    ASSERT_EQ(m_mirror.mirrorAll(m_store), 1);
    EXPECT_EQ(fileText(list),
              QStringLiteral("[Added Associations]\n"
                             "application/x-wmdf=scrivet-wmdf.desktop;other.desktop;\n"
                             "text/plain=editor.desktop;\n\n"
                             "[Default Applications]\n"
                             "text/plain=editor.desktop\n"
                             "application/x-wmdf=scrivet-wmdf.desktop;\n"));
    EXPECT_EQ(DesktopAssociation::withDefaultProgram(QString(), "application/x-wmdf", "a.desktop"),
              QStringLiteral("[Default Applications]\napplication/x-wmdf=a.desktop;\n"
                             "[Added Associations]\napplication/x-wmdf=a.desktop;\n"));
}

TEST_F(DesktopAssociationTest, TheDocumentIconIsInstalledInTheIconTheme)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(10, 20, 200));
    const QString iconFile = m_folder.filePath(QStringLiteral("1.ico"));
    ASSERT_TRUE(icon.save(iconFile, "ICO"));
    registerWmdf();
    writeDefault(QStringLiteral("wmdf_ext\\DefaultIcon"), iconFile + QStringLiteral(",0"));
    ASSERT_EQ(m_mirror.mirrorAll(m_store), 1);
    for (const int size : {16, 48, 128}) {
        const QImage installed(m_mirror.themeIconPath(QStringLiteral(".wmdf"), size));
        ASSERT_EQ(installed.size(), QSize(size, size));
        EXPECT_EQ(installed.pixelColor(size / 2, size / 2), QColor(10, 20, 200));
    }
    EXPECT_TRUE(fileText(data(QStringLiteral("applications/scrivet-wmdf.desktop")))
                    .contains(QStringLiteral("\nIcon=application-x-wmdf\n")));
}

// The desktop's own tools, in a desktop of the test's own: the handler check sees the program
// only once the caches are built, and then the desktop opens the type with its entry.
TEST(DesktopAssociationTools, TheDesktopOpensTheTypeWithTheEntryOnceTheCachesAreBuilt)
{
    for (const char* tool :
         {"gio", "update-desktop-database", "update-mime-database", "desktop-file-validate"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
    }
    testsupport::TempFolder folder;
    const QString dataHome = folder.filePath(QStringLiteral("data"));
    const QString configHome = folder.filePath(QStringLiteral("config"));
    // Puts the desktop's variables back as they were when the test ends.
    struct SavedVariable {
        const char* name;
        bool wasSet = qEnvironmentVariableIsSet(name);
        QByteArray value = qgetenv(name);
        ~SavedVariable()
        {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    };
    SavedVariable saved[] = {
        {"XDG_DATA_HOME"}, {"XDG_CONFIG_HOME"}, {"XDG_DATA_DIRS"}, {"XDG_CURRENT_DESKTOP"}};
    qputenv("XDG_DATA_HOME", dataHome.toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
    qputenv("XDG_DATA_DIRS", folder.filePath(QStringLiteral("system")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");

    setProgramDisplayName(QStringLiteral("Wexmoor Scrivet"));
    FileAssociation association{
        QStringLiteral(".wmdf"), QStringLiteral("wmdf_ext"),
        QStringLiteral("Wexmoor Document File"), QString(),
        QLatin1Char('"') + QCoreApplication::applicationFilePath() + QStringLiteral("\" \"%1\"")};
    // An entry alone, without the type's default and the desktop's caches, is no handler.
    DesktopAssociation mirror(dataHome, configHome);
    const QString entry = mirror.desktopEntryPath(QStringLiteral(".wmdf"));
    QDir().mkpath(QFileInfo(entry).absolutePath());
    QFile bare(entry);
    ASSERT_TRUE(bare.open(QIODevice::WriteOnly));
    bare.write(DesktopAssociation::desktopEntry(association).toUtf8());
    bare.close();
    MimeAssociations desktop;
    EXPECT_FALSE(desktop.hasProgramFor(QStringLiteral("application/x-wmdf")));

    ASSERT_TRUE(mirror.mirror(association));
    setProgramDisplayName(QString());
    // The running program's entry is its entry in the applications menu.
    QFile entryFile(entry);
    ASSERT_TRUE(entryFile.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(entryFile.readAll());
    EXPECT_TRUE(written.contains("\nName=Wexmoor Scrivet\n")) << written.toStdString();
    EXPECT_TRUE(written.contains("\nCategories=Office;WordProcessor;\n"));
    EXPECT_TRUE(written.contains(
        "\nStartupWMClass=" + QFileInfo(QCoreApplication::applicationFilePath()).fileName() +
        "\n"));
    EXPECT_TRUE(written.contains("\nMimeType=application/x-wmdf;\n"));
    EXPECT_FALSE(written.contains("NoDisplay"));
    EXPECT_EQ(desktop.defaultProgramFor(QStringLiteral("application/x-wmdf")),
              QStringLiteral("scrivet-wmdf.desktop"));
    const sys::AssociationTools xdgMimeOnly{
        QStandardPaths::findExecutable(QStringLiteral("xdg-mime")), QString()};
    if (!xdgMimeOnly.xdgMime.isEmpty()) {
        EXPECT_EQ(MimeAssociations(xdgMimeOnly).defaultProgramFor("application/x-wmdf"),
                  QStringLiteral("scrivet-wmdf.desktop"));
    }
    EXPECT_TRUE(fileText(entry).contains(QStringLiteral("\nName=Wexmoor Scrivet\n")));
    QProcess validate;
    validate.start(QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")),
                   {entry});
    ASSERT_TRUE(validate.waitForFinished(60000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();

    // A document of the type is known by its name and has its program.
    const QString document = folder.filePath(QStringLiteral("letter.wmdf"));
    QFile file(document);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1 letter}");
    file.close();
    QProcess info;
    info.start(QStandardPaths::findExecutable(QStringLiteral("gio")),
               {QStringLiteral("info"), QStringLiteral("-a"),
                QStringLiteral("standard::content-type"), document});
    ASSERT_TRUE(info.waitForFinished(60000));
    EXPECT_TRUE(info.readAllStandardOutput().contains("application/x-wmdf"));
}

}  // namespace
