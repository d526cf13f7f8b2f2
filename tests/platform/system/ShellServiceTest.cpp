#include "platform/system/HelpPages.h"
#include "platform/system/MimeAssociations.h"
#include "platform/system/ShellService.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

namespace {

using testsupport::TempFolder;

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray desktopEntry(const QByteArray& mimeTypes, const QByteArray& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=Viewer\nExec=/bin/true %f\nMimeType=" +
           mimeTypes + "\n" + extra;
}

// Sets an environment variable for as long as it lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QString& value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~ScopedVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

// A desktop of the test's own, asked through its tools: one data folder, one config folder and
// no system folders.
class Associations : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The system's type database, without the system's programs.
        QDir().mkpath(folder.filePath("system"));
        QFile::link("/usr/share/mime", folder.filePath("system/mime"));
        if (sys::AssociationTools::find().gio.isEmpty() ||
            QStandardPaths::findExecutable("update-desktop-database").isEmpty())
            GTEST_SKIP() << "gio and update-desktop-database are not installed "
                            "(scripts/install-deps installs them)";
    }
    QString applications(const QString& name) const
    {
        return folder.filePath("data/applications/" + name);
    }
    void buildCache() const
    {
        QProcess::execute(QStandardPaths::findExecutable("update-desktop-database"),
                          {folder.filePath("data/applications")});
    }

    TempFolder folder;
    ScopedVariable dataHome{"XDG_DATA_HOME", folder.filePath("data")};
    ScopedVariable configHome{"XDG_CONFIG_HOME", folder.filePath("config")};
    ScopedVariable dataDirs{"XDG_DATA_DIRS", folder.filePath("system")};
    ScopedVariable desktopName{"XDG_CURRENT_DESKTOP", QString()};
};

TEST_F(Associations, AProgramCountsOnceTheDesktopsCacheKnowsIt)
{
    writeRaw(applications("viewer.desktop"), desktopEntry("image/png;application/x-wmdf;"));
    const sys::MimeAssociations desktop;
    EXPECT_FALSE(desktop.hasProgramFor("application/x-wmdf"));  // what the desktop sees
    buildCache();
    EXPECT_TRUE(desktop.hasProgramFor("image/png"));
    EXPECT_EQ(desktop.defaultProgramFor("application/x-wmdf"), "viewer.desktop");
    EXPECT_FALSE(desktop.hasProgramFor("image/gif"));
    EXPECT_FALSE(desktop.hasProgramFor(""));
    EXPECT_FALSE(desktop.hasProgramFor("--help"));
}

TEST_F(Associations, DefaultsNeedAProgramThatIsInstalled)
{
    writeRaw(applications("editor.desktop"), desktopEntry("text/plain;"));
    writeRaw(applications("gone.desktop"),
             "[Desktop Entry]\nType=Application\nName=Gone\nExec=/no/such/program %f\n"
             "MimeType=audio/x-wav;\n");
    writeRaw(folder.filePath("config/mimeapps.list"),
             "[Default Applications]\ntext/plain=editor.desktop\naudio/mpeg=missing.desktop\n");
    buildCache();
    const sys::MimeAssociations desktop;
    EXPECT_EQ(desktop.defaultProgramFor("text/plain"), "editor.desktop");
    EXPECT_FALSE(desktop.hasProgramFor("audio/mpeg"));   // names an entry that is not there
    EXPECT_FALSE(desktop.hasProgramFor("audio/x-wav"));  // its program is not installed
}

TEST_F(Associations, FilesUseTheirTypeAndItsParentsAndFoldersAlwaysHaveOne)
{
    writeRaw(applications("editor.desktop"), desktopEntry("text/plain;"));
    buildCache();
    const QString source = folder.filePath("main.c");
    const QString picture = folder.filePath("picture.png");
    writeRaw(source, "int main(void) { return 0; }\n");
    writeRaw(picture, QByteArray("\x89PNG\r\n\x1A\n", 8));
    const sys::MimeAssociations desktop;
    EXPECT_TRUE(desktop.hasProgramForFile(source));  // a C source is plain text
    EXPECT_FALSE(desktop.hasProgramForFile(picture));
    EXPECT_TRUE(desktop.hasProgramForFile(folder.path()));
}

// A compiled help file whose pages are known opens them in the browser, through the opener.
TEST(DesktopShellTest, CompiledHelpOpensItsPagesThroughTheOpener)
{
    TempFolder folder;
    writeRaw(folder.filePath("pages/index.htm"), "<html><title>Help</title></html>");
    writeRaw(folder.filePath("pages/edit.htm"), "<html><title>Edit</title></html>");
    writeRaw(folder.filePath("Help/ShellTestHelp.chm"), "ITSF");
    sys::registerHelpPages("ShellTestHelp.chm", folder.filePath("pages"));
    QStringList opened;
    QStringList asked;
    const std::unique_ptr<sys::ShellService> shell = sys::makeDesktopShell(
        [&](const QString& url, const sys::OpenFailed&) {
            opened << url;
            return true;
        },
        [&](const QString& path) {
            asked << path;
            return true;
        });
    const QString help = folder.filePath("Help/ShellTestHelp.chm");
    EXPECT_TRUE(shell->hasAssociatedProgram(help));
    // The question is about the pages: a web page's program shows them.
    EXPECT_EQ(asked, QStringList{"index.htm"});
    ASSERT_TRUE(shell->openPath(help));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QUrl(opened[0]).toLocalFile(), folder.filePath("Help/ShellTestHelp-html/index.htm"));
    EXPECT_TRUE(QFileInfo::exists(folder.filePath("Help/ShellTestHelp-html/edit.htm")));

    // A topic that is one of the pages is shown; one that leaves the folder is not.
    EXPECT_EQ(sys::writeHelpPages(help + "::/edit.htm"),
              folder.filePath("Help/ShellTestHelp-html/edit.htm"));
    EXPECT_EQ(sys::writeHelpPages(help + "::/../pages/edit.htm"),
              folder.filePath("Help/ShellTestHelp-html/index.htm"));
    EXPECT_EQ(sys::writeHelpPages(folder.filePath("Help/Other.chm")), QString());

    // A page changed since is written again.
    writeRaw(folder.filePath("Help/ShellTestHelp-html/index.htm"), "stale");
    ASSERT_TRUE(shell->openPath(help));
    QFile rewritten(folder.filePath("Help/ShellTestHelp-html/index.htm"));
    ASSERT_TRUE(rewritten.open(QIODevice::ReadOnly));
    EXPECT_EQ(rewritten.readAll(), "<html><title>Help</title></html>");
}

// The desktop's opener tool runs without being waited for; its failure is heard of later.
TEST(DesktopShellTest, TheDesktopOpenerReportsAToolThatEndsWithAnError)
{
    TempFolder folder;
    const QString tool = folder.filePath("bin/xdg-open");
    writeRaw(tool,
             "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/asked\"\n"
             "case \"$1\" in *fails*) exit 3;; esac\n");
    ASSERT_TRUE(QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner));
    const ScopedVariable path("PATH", folder.filePath("bin") + ":/usr/bin:/bin");
    int failures = 0;
    const auto waitForTools = [&] {
        for (int i = 0; i < 200 && !QFileInfo::exists(folder.filePath("bin/asked")); ++i)
            QTest::qWait(10);
        QTest::qWait(200);
    };
    ASSERT_TRUE(sys::openWithDesktopOpener("file:///help/index.htm", [&] { ++failures; }));
    waitForTools();
    EXPECT_EQ(failures, 0);
    QFile::remove(folder.filePath("bin/asked"));
    ASSERT_TRUE(sys::openWithDesktopOpener("file:///help/fails.htm", [&] { ++failures; }));
    for (int i = 0; i < 500 && failures == 0; ++i)
        QTest::qWait(10);
    EXPECT_EQ(failures, 1);
}

TEST(DesktopShellTest, StartingAProgramReportsFailure)
{
    sys::ShellService& shell = sys::shellService().get();
    EXPECT_TRUE(shell.startProgram("/bin/true", {}));
    EXPECT_FALSE(shell.startProgram("/no/such/program", {"argument"}));
    EXPECT_FALSE(shell.startProgram(QString(), {}));
    EXPECT_FALSE(shell.openPath(QString()));
}

}  // namespace
