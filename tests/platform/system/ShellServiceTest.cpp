#include "platform/system/MimeAssociations.h"
#include "platform/system/ShellService.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

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
    return "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f\nMimeType=" + mimeTypes +
           "\n" + extra;
}

// A desktop of our own: one config folder, one data folder, no xdg-mime tool.
class Associations : public ::testing::Test {
protected:
    sys::MimeAssociations associations() const
    {
        sys::AssociationSources sources;
        sources.configFolders = {folder.filePath("config")};
        sources.dataFolders = {folder.filePath("data")};
        return sys::MimeAssociations(sources);
    }
    QString applications(const QString& name) const
    {
        return folder.filePath("data/applications/" + name);
    }

    TempFolder folder;
};

TEST_F(Associations, InstalledDesktopFilesDeclareTheirTypes)
{
    writeRaw(applications("viewer.desktop"), desktopEntry("image/png;application/x-wmdf;"));
    writeRaw(applications("vendor/tool.desktop"), desktopEntry("text/x-special"));
    EXPECT_TRUE(associations().hasProgramFor("image/png"));
    EXPECT_TRUE(associations().hasProgramFor("APPLICATION/X-WMDF"));
    EXPECT_TRUE(associations().hasProgramFor("text/x-special"));
    EXPECT_FALSE(associations().hasProgramFor("image/gif"));
    EXPECT_FALSE(associations().hasProgramFor(""));
}

TEST_F(Associations, ListsAddDefaultAndRemoveAndNeedAnInstalledProgram)
{
    writeRaw(applications("viewer.desktop"), desktopEntry("image/png;"));
    writeRaw(applications("editor.desktop"), desktopEntry(""));
    writeRaw(applications("gone.desktop"), desktopEntry("audio/x-wav;", "Hidden=true\n"));
    writeRaw(folder.filePath("config/mimeapps.list"),
             "[Default Applications]\ntext/plain=editor.desktop\naudio/mpeg=missing.desktop\n"
             "[Added Associations]\ntext/html=missing.desktop;editor.desktop;\n"
             "[Removed Associations]\nimage/png=viewer.desktop\n");
    const sys::MimeAssociations lists = associations();
    EXPECT_TRUE(lists.hasProgramFor("text/plain"));
    EXPECT_TRUE(lists.hasProgramFor("text/html"));
    EXPECT_FALSE(lists.hasProgramFor("audio/mpeg"));   // names a program that is not installed
    EXPECT_FALSE(lists.hasProgramFor("image/png"));    // its only program was removed
    EXPECT_FALSE(lists.hasProgramFor("audio/x-wav"));  // the program is hidden (deleted)
}

TEST_F(Associations, FilesUseTheirTypeAndItsParentsAndFoldersAlwaysHaveOne)
{
    writeRaw(applications("editor.desktop"), desktopEntry("text/plain;"));
    const QString source = folder.filePath("main.c");
    const QString picture = folder.filePath("picture.png");
    writeRaw(source, "int main(void) { return 0; }\n");
    writeRaw(picture, QByteArray("\x89PNG\r\n\x1A\n", 8));
    EXPECT_TRUE(associations().hasProgramForFile(source));  // a C source is plain text
    EXPECT_FALSE(associations().hasProgramForFile(picture));
    EXPECT_TRUE(associations().hasProgramForFile(folder.path()));
}

// Sets an environment variable for as long as it lives.
class ScopedVariable {
public:
    explicit ScopedVariable(const char* name)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name))
    {
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

TEST(AssociationSourcesTest, FollowTheEnvironmentAndItsDefaults)
{
    ScopedVariable configHome("XDG_CONFIG_HOME");
    ScopedVariable dataDirs("XDG_DATA_DIRS");
    qputenv("XDG_CONFIG_HOME", "/home/someone/conf");
    qputenv("XDG_DATA_DIRS", "/opt/share:relative/ignored:/usr/share/");
    const sys::AssociationSources sources = sys::AssociationSources::fromEnvironment();
    EXPECT_EQ(sources.configFolders.value(0), "/home/someone/conf");
    EXPECT_EQ(sources.dataFolders.mid(1), (QStringList{"/opt/share", "/usr/share"}));

    qunsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(sys::AssociationSources::fromEnvironment().dataFolders.mid(1),
              (QStringList{"/usr/local/share", "/usr/share"}));
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
