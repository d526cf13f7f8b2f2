// First-run installation and the document association: folders, data files, settings and
// registry keys, what a second start leaves alone, and what the association writes on failure.
#include "app/ExtensionMod.h"
#include "app/InitMod.h"
#include "app/ScrivetApplication.h"
#include "app/SettingsFile.h"
#include "platform/host/Resources.h"
#include "platform/system/DesktopAssociation.h"
#include "platform/system/DesktopRegistration.h"
#include "platform/system/RegistryCalls.h"
#include "richtext/core/XrRTB.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RedirectedAppData.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLockFile>
#include <QRegularExpression>
#include <QWidget>

namespace {

using testsupport::FakeMessageBoxes;
using testsupport::FakeRegistry;
using testsupport::RedirectedAppData;

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void overwrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class Installation : public ::testing::Test {
protected:
    void SetUp() override { app::setSettingsFilePath({}); }
    void TearDown() override { app::setSettingsFilePath({}); }

    app::InstallationPaths paths() const { return app::installationPathsUnder(appData.path()); }
    QByteArray resource(const char* type, int id) const
    {
        return host::resourceData("Scrivet", type, id).value_or("<no resource>");
    }

    RedirectedAppData appData;
    FakeRegistry registry;
    FakeMessageBoxes boxes;
};

TEST_F(Installation, FirstRunLaysOutFoldersFilesSettingsAndAssociation)
{
    app::InitialiseApplication();
    const app::InstallationPaths p = paths();
    const QString maker = appData.path() + "/Wexmoor Software/";
    EXPECT_EQ(p.makerFolder, maker);
    for (const QString& folder : {maker, maker + "Scrivet/", maker + "Media/", maker + "Help/"})
        EXPECT_TRUE(QDir(folder).exists()) << folder.toStdString();
    EXPECT_EQ(app::settingsFilePath(), maker + "Scrivet/wexmoor_app.ini");

    EXPECT_EQ(fileBytes(maker + "Media/1.ico"), resource("EXTENSIONICON", 101));
    EXPECT_EQ(fileBytes(maker + "Media/About.rtf"), resource("ABOUT", 101));
    EXPECT_EQ(fileBytes(maker + "Help/Scrivet.chm"), resource("HELP", 102));

    // Every key of the table, in its order, with the paths filled in.
    const QStringList lines =
        QString::fromUtf8(fileBytes(p.settingsFile)).split('\n', Qt::SkipEmptyParts);
    QStringList keys;
    for (const QString& line : lines)
        if (!line.startsWith('['))
            keys << line.section('=', 0, 0).trimmed();
    QStringList expected;
    for (const app::SettingsKey& key : app::settingsKeyTable())
        if (QString(key.section) == "Settings")
            expected << key.key;
    EXPECT_EQ(keys.mid(2), expected);
    EXPECT_EQ(app::IniRead("Directories", "INIFILE", p.settingsFile), p.settingsFile);
    EXPECT_EQ(app::IniRead("Directories", "HELPFILE", p.settingsFile), p.helpFile);
    EXPECT_EQ(app::IniRead("Settings", "ABOUTLOC", p.settingsFile), p.aboutText);
    EXPECT_EQ(app::IniRead("Settings", "EXTENSIONASSOCIATION", p.settingsFile), "1");

    EXPECT_EQ(registry.value(".wmdf"), "wmdf_ext");
    EXPECT_EQ(registry.value("wmdf_ext"), "Wexmoor Document File");
    EXPECT_EQ(registry.value("wmdf_ext\\DefaultIcon"), p.documentIcon);
    EXPECT_TRUE(registry.hasKey("wmdf_ext\\shell\\open"));
    EXPECT_EQ(registry.value("wmdf_ext\\shell\\open\\command"),
              "\"" + app::programPath() + "\" \"%1\"");
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Installation, SecondRunRewritesNothingButAMissingDataFile)
{
    app::InitialiseApplication();
    const app::InstallationPaths p = paths();
    overwrite(p.documentIcon, "my own icon");
    overwrite(p.helpFile, "my own help");
    app::IniWrite("Settings", "WRAP", "0", p.settingsFile);
    ASSERT_EQ(registry.deleteKey(sys::HKEY_CLASSES_ROOT, "wmdf_ext\\shell\\open\\command"),
              sys::ERROR_SUCCESS);
    QFile::remove(p.aboutText);

    app::setSettingsFilePath({});
    app::InitialiseApplication();
    EXPECT_EQ(app::settingsFilePath(), p.settingsFile);
    EXPECT_EQ(fileBytes(p.aboutText), resource("ABOUT", 101));
    EXPECT_EQ(fileBytes(p.documentIcon), "my own icon");
    EXPECT_EQ(fileBytes(p.helpFile), "my own help");
    EXPECT_EQ(app::IniRead("Settings", "WRAP", p.settingsFile), "0");
    EXPECT_EQ(registry.value("wmdf_ext\\shell\\open\\command"),
              app::associationOpenCommand(app::programPath()))
        << "an incomplete association is completed";

    // A program that has moved registers its new place.
    app::RegisterFileAssociation(".wmdf", "/old/place/scrivet", "wmdf_ext", "Wexmoor Document File",
                                 p.documentIcon);
    app::InitialiseApplication();
    EXPECT_EQ(registry.value("wmdf_ext\\shell\\open\\command"),
              app::associationOpenCommand(app::programPath()));

    // Without the settings file the next start restores every default and registers again.
    QFile::remove(p.settingsFile);
    app::InitialiseApplication();
    EXPECT_EQ(app::IniRead("Settings", "WRAP", p.settingsFile), "1");
    EXPECT_TRUE(registry.hasKey("wmdf_ext\\shell\\open\\command"));
}

TEST(InstallationMirror, TheFirstRunMakesTheDesktopOpenDocumentsWithTheProgram)
{
    // The real association store, mirrored into the redirected desktop data folder.
    RedirectedAppData appData;
    FakeMessageBoxes boxes;
    app::InitialiseApplication();
    const QString entry =
        QString::fromUtf8(fileBytes(appData.path() + "/applications/scrivet-wmdf.desktop"));
    EXPECT_TRUE(entry.contains("\nExec=" + app::programPath() + " %f\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("MimeType=application/x-wmdf;"));
    EXPECT_TRUE(entry.contains("\nName=Wexmoor Scrivet\n")) << entry.toStdString();
    // The document icon is in the icon theme, under the name the type's files show.
    EXPECT_TRUE(entry.contains("\nIcon=application-x-wmdf\n"));
    EXPECT_EQ(
        QImage(appData.path() + "/icons/hicolor/48x48/mimetypes/application-x-wmdf.png").size(),
        QSize(48, 48));
    EXPECT_TRUE(fileBytes(appData.path() + "/config/mimeapps.list")
                    .contains("application/x-wmdf=scrivet-wmdf.desktop;"));
    EXPECT_TRUE(boxes.shown().empty());
    app::setSettingsFilePath({});
}

// A first start that ended before it registered (killed right after its window appeared) left
// the settings file alone; the next start registers, and one that finds the desktop's files
// gone writes them again.
TEST(InstallationMirror, AStartCompletesTheRegistrationAFirstStartLeftUndone)
{
    RedirectedAppData appData;
    FakeMessageBoxes boxes;
    const app::InstallationPaths p = app::installationPathsUnder(appData.path());
    ASSERT_TRUE(QDir().mkpath(p.applicationFolder));
    ASSERT_TRUE(app::EnsureFile(p.settingsFile));
    app::InitialiseApplication();
    const std::optional<sys::FileAssociation> registered =
        sys::readFileAssociation(sys::registryService().get(), ".wmdf");
    ASSERT_TRUE(registered);
    EXPECT_EQ(registered->openCommand, app::associationOpenCommand(app::programPath()));
    EXPECT_EQ(registered->iconPath, p.documentIcon);
    const QString entry = appData.path() + "/applications/scrivet-wmdf.desktop";
    EXPECT_TRUE(fileBytes(entry).contains("MimeType=application/x-wmdf;"));

    ASSERT_TRUE(QFile::remove(entry));
    app::InitialiseApplication();
    EXPECT_TRUE(fileBytes(entry).contains("MimeType=application/x-wmdf;"));
    EXPECT_TRUE(boxes.shown().empty());
    app::setSettingsFilePath({});
}

// The program's first start notes the registration and hands it to the desktop once its window
// is painted, off the window's thread; a registration of another first start holding the lock
// is waited for, never run beside.
TEST(InstallationMirror, AFirstStartRegistersWithTheDesktopAfterItsWindowIsPainted)
{
    RedirectedAppData appData;
    FakeMessageBoxes boxes;
    const QString entry = appData.path() + "/applications/scrivet-wmdf.desktop";
    sys::deferDesktopMirror();
    app::InitialiseApplication();
    EXPECT_FALSE(QFileInfo::exists(entry)) << "registered before the window was painted";
    EXPECT_FALSE(sys::readFileAssociation(sys::registryService().get(), ".wmdf"));

    QDir().mkpath(QFileInfo(sys::desktopMirrorLockPath()).absolutePath());
    QLockFile otherStart(sys::desktopMirrorLockPath());
    ASSERT_TRUE(otherStart.lock());
    QWidget window;
    app::registerWithDesktopAfterFirstPaint(&window);
    window.show();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(sys::waitForDesktopMirror(std::chrono::milliseconds(0)))
        << "the registration waits for the other start";
    EXPECT_FALSE(QFileInfo::exists(entry));
    otherStart.unlock();
    EXPECT_TRUE(sys::readFileAssociation(sys::registryService().get(), ".wmdf"));
    ASSERT_TRUE(sys::waitForDesktopMirror(std::chrono::seconds(20)));
    EXPECT_TRUE(fileBytes(entry).contains("MimeType=application/x-wmdf;"));
    EXPECT_TRUE(fileBytes(appData.path() + "/config/mimeapps.list")
                    .contains("application/x-wmdf=scrivet-wmdf.desktop;"));
    EXPECT_TRUE(boxes.shown().empty());
    app::setSettingsFilePath({});
}

TEST_F(Installation, EnsureFileMakesOnlyMissingFiles)
{
    const QString path = appData.filePath("settings.ini");
    EXPECT_TRUE(app::EnsureFile(path));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFile(path).size(), 0);
    overwrite(path, "kept");
    EXPECT_FALSE(app::EnsureFile(path));
    EXPECT_EQ(fileBytes(path), "kept");
    EXPECT_FALSE(app::EnsureFile(appData.filePath("no such folder/settings.ini")));
    EXPECT_FALSE(app::EnsureFile(QString()));
}

TEST_F(Installation, DataFilesAreWhatTheyClaimToBe)
{
    // The document icon holds pictures of three sizes.
    QByteArray icon = resource("EXTENSIONICON", 101);
    QBuffer buffer(&icon);
    QImageReader reader(&buffer, "ico");
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    EXPECT_EQ(reader.imageCount(), 3);
    const QImage first = reader.read();
    EXPECT_EQ(first.size(), QSize(16, 16));
    EXPECT_TRUE(first.hasAlphaChannel());

    // The about text is RTF naming the maker's web site and an e-mail address.
    const QString rtf = QString::fromLatin1(resource("ABOUT", 101));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    XrRTB control;
    control.LetTextRTF(rtf);
    const QString about = control.Text();
    EXPECT_TRUE(about.startsWith("Wexmoor Scrivet\r\n"));
    const QRegularExpression web(WebAddressPattern, QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression mail(EmailAddressPattern, QRegularExpression::CaseInsensitiveOption);
    EXPECT_EQ(web.match(about).captured(), "http://www.wexmoor.test");
    EXPECT_EQ(mail.match(about).captured(), "support@wexmoor.test");

    // The help is a compiled help file with a page per menu.
    const QByteArray help = resource("HELP", 102);
    EXPECT_TRUE(help.startsWith("ITSF"));
    for (const char* page : {"/index.htm", "/file.htm", "/edit.htm", "/insert.htm", "/format.htm",
                             "/tools.htm", "/options.htm", "/toolbar.htm"})
        EXPECT_TRUE(help.contains(page)) << page;
}

class Association : public ::testing::Test {
protected:
    FakeRegistry registry;
    FakeMessageBoxes boxes;
};

TEST_F(Association, OverwritesTheDefaultValuesOfExistingKeysOnly)
{
    sys::HKEY key = 0;
    ASSERT_EQ(registry.createKey(sys::HKEY_CLASSES_ROOT, "wmdf_ext", sys::KEY_ALL_ACCESS, key),
              sys::ERROR_SUCCESS);
    registry.setValue(key, "", sys::REG_SZ, "old description");
    registry.setValue(key, "FriendlyTypeName", sys::REG_SZ, "kept");
    registry.closeKey(key);

    app::RegisterFileAssociation(".wmdf", "/opt/Scrivet/scrivet", "wmdf_ext",
                                 "Wexmoor Document File", "/icons/1.ico");
    EXPECT_EQ(registry.value("wmdf_ext"), "Wexmoor Document File");
    EXPECT_EQ(registry.value("wmdf_ext", "FriendlyTypeName"), "kept");
    EXPECT_EQ(registry.value("wmdf_ext\\shell\\open\\command"), "\"/opt/Scrivet/scrivet\" \"%1\"");
    EXPECT_EQ(registry.value("wmdf_ext\\shell"), std::nullopt) << "the shell key has no value";
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Association, AStoreWithoutWriteRightsStopsAtTheFirstValue)
{
    registry.setRefuseCreate(true);
    app::RegisterFileAssociation(".wmdf", "/p", "wmdf_ext", "d", "/i");
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, "Error: Creating Key!");
    EXPECT_EQ(boxes.shown()[1].text, "Error Setting String Value!");
    EXPECT_EQ(boxes.shown()[0].style, 0);
    EXPECT_EQ(boxes.shown()[0].title, "Scrivet");
    EXPECT_FALSE(registry.hasKey(".wmdf"));
}

TEST_F(Association, AValueThatCannotBeWrittenEndsTheRegistrationKeepingItsKey)
{
    registry.setRefuseSetValue(true);
    app::RegisterFileAssociation(".wmdf", "/p", "wmdf_ext", "d", "/i");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Error Setting String Value!");
    EXPECT_TRUE(registry.hasKey(".wmdf"));
    EXPECT_FALSE(registry.hasKey("wmdf_ext"));
}

TEST_F(Association, OpenCommandQuotesTheProgramAndTheDocument)
{
    EXPECT_EQ(app::associationOpenCommand("/opt/My Apps/scrivet"),
              "\"/opt/My Apps/scrivet\" \"%1\"");
}

}  // namespace
