#include "app/SettingsFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QFile>

namespace {

using testsupport::TempFolder;

class SettingsFile : public ::testing::Test {
protected:
    void store(const QString& key, const QString& value)
    {
        app::IniWrite(app::SettingsSection, key, value, path);
    }
    QStringList lines() const
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    TempFolder folder;
    QString path = folder.filePath(app::SettingsFileName);
};

TEST_F(SettingsFile, FirstRunWritesEveryDefaultInOrderAroundTheAssociation)
{
    const app::FirstRunPaths paths{path, "/data/Media/About.rtf", "/data/Help/Scrivet.chm"};
    QStringList linesWhenRegistering;
    app::writeFirstRunSettings(paths, [&] { linesWhenRegistering = lines(); });

    const QStringList expected{"[Directories]",
                               "INIFILE=" + path,
                               "HELPFILE=/data/Help/Scrivet.chm",
                               "[Settings]",
                               "WRAP=1",
                               "SHOWRULER=1",
                               "SHOWSTATUSBAR=1",
                               "ENABLERTFSAVE=0",
                               "ENABLEAUTOLINK=1",
                               "DISABLELINKING=0",
                               "ENABLEVISUALBASIC=0",
                               "FONTNAME=Verdana",
                               "FONTSTYLE=Regular",
                               "FONTSIZE=11",
                               "FONTSTRIKETHROUGH=0",
                               "FONTUNDERLINE=0",
                               "APPWIDTH=11790",
                               "APPHEIGHT=9357",
                               "WINDOWSTATE=0",
                               "PRINTMARGIN=1080",
                               "SAVEINDEX=1",
                               "OPENINDEX=1",
                               "FONTCOLOR=0",
                               "HIGHLIGHTCOLOR=65535",
                               "ABOUTLOC=/data/Media/About.rtf",
                               "EXTENSIONASSOCIATION=1"};
    EXPECT_EQ(lines(), expected);
    // The association is registered after ABOUTLOC, before EXTENSIONASSOCIATION and HELPFILE.
    ASSERT_FALSE(linesWhenRegistering.isEmpty());
    EXPECT_EQ(linesWhenRegistering.last(), "ABOUTLOC=/data/Media/About.rtf");
    EXPECT_FALSE(linesWhenRegistering.join('\n').contains("HELPFILE"));

    // The table walks the same keys in the same order: INIFILE first, HELPFILE last.
    const auto table = app::settingsKeyTable();
    ASSERT_EQ(table.size(), 24u);
    EXPECT_STREQ(table.front().key, "INIFILE");
    EXPECT_STREQ(table.back().key, "HELPFILE");
    EXPECT_STREQ(table[1].key, "WRAP");
    EXPECT_STREQ(table[22].key, "EXTENSIONASSOCIATION");
    EXPECT_TRUE(table[22].followsAssociation);
}

TEST_F(SettingsFile, IniReadGivesEmptyForMissingAndCutsLongValues)
{
    EXPECT_EQ(app::IniRead("Settings", "WRAP", path), "");  // no file yet
    store("WRAP", "2");
    EXPECT_EQ(app::IniRead("settings", "wrap", path), "2");
    EXPECT_EQ(app::IniRead("Settings", "SHOWRULER", path), "");
    EXPECT_EQ(app::IniRead("Directories", "WRAP", path), "");

    const QString huge = QString(65535, 'a') + "bcd";
    store("ABOUTLOC", huge);
    const QString read = app::IniRead("Settings", "ABOUTLOC", path);
    EXPECT_EQ(read.size(), 65535);
    EXPECT_EQ(read, huge.left(65535));
}

TEST_F(SettingsFile, TypedReadersConvertLikeTheWindowsExpect)
{
    store("FONTSTRIKETHROUGH", "0");
    store("FONTUNDERLINE", "True");
    store("OTHERFLAG", "false");
    store("MINUSONE", "-1");
    store("FONTSIZE", " 11 ");
    store("HALF", "2.5");
    store("TOOBIG", "40000");
    store("FONTCOLOR", "16777215");
    store("JUNK", "12abc");
    const QString s = app::SettingsSection;
    EXPECT_FALSE(app::readSettingBool(s, "FONTSTRIKETHROUGH", path, true));
    EXPECT_TRUE(app::readSettingBool(s, "FONTUNDERLINE", path));
    EXPECT_FALSE(app::readSettingBool(s, "OTHERFLAG", path, true));
    EXPECT_TRUE(app::readSettingBool(s, "MINUSONE", path));
    EXPECT_TRUE(app::readSettingBool(s, "JUNK", path, true));  // fallback
    EXPECT_FALSE(app::readSettingBool(s, "MISSING", path));

    EXPECT_EQ(app::readSettingInt16(s, "FONTSIZE", path), 11);
    EXPECT_EQ(app::readSettingInt16(s, "HALF", path), 2);  // halves go to even
    EXPECT_EQ(app::readSettingInt16(s, "TOOBIG", path, 7), 7);
    EXPECT_EQ(app::readSettingInt32(s, "TOOBIG", path), 40000);
    EXPECT_EQ(app::readSettingInt32(s, "FONTCOLOR", path), 16777215);
    EXPECT_EQ(app::readSettingInt32(s, "JUNK", path, -5), -5);
    EXPECT_EQ(app::readSettingInt16(s, "MISSING", path, 1080), 1080);
}

TEST_F(SettingsFile, WindowGeometryReadsWideWindowsAndFallsBackOnBadText)
{
    // Nothing stored: the first-run size, normal state.
    app::WindowGeometry geometry = app::readWindowGeometry(path);
    EXPECT_EQ(geometry.width, 11790);
    EXPECT_EQ(geometry.height, 9357);
    EXPECT_EQ(geometry.windowState, 0);

    // What a close on a large screen stores is read back unchanged.
    store("APPWIDTH", "57600");
    store("APPHEIGHT", "32768");
    store("WINDOWSTATE", "2");
    geometry = app::readWindowGeometry(path);
    EXPECT_EQ(geometry.width, 57600);
    EXPECT_EQ(geometry.height, 32768);
    EXPECT_EQ(geometry.windowState, 2);

    store("APPWIDTH", "");
    store("APPHEIGHT", "wide");
    store("WINDOWSTATE", "7");
    geometry = app::readWindowGeometry(path);
    EXPECT_EQ(geometry.width, 11790);
    EXPECT_EQ(geometry.height, 9357);
    EXPECT_EQ(geometry.windowState, 0);

    store("APPWIDTH", "-300");
    store("APPHEIGHT", "99999999999");
    geometry = app::readWindowGeometry(path);
    EXPECT_EQ(geometry.width, 11790);
    EXPECT_EQ(geometry.height, 9357);
}

}  // namespace
