#include "platform/system/IniDocument.h"
#include "platform/system/PrivateProfile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QFile>

#include <sys/stat.h>
#include <atomic>
#include <thread>
#include <vector>

namespace {

using testsupport::TempFolder;

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QString read(const QString& section, const QString& key, const QString& path,
             const QString& defaultValue = "<default>")
{
    QString value;
    sys::getPrivateProfileString(section, key, defaultValue, value, path);
    return value;
}

TEST(PrivateProfile, HandEditedFileKeepsEverythingButTheChangedValue)
{
    TempFolder folder;
    const QString path = folder.filePath("app.ini");
    const QByteArray original =
        "; written by hand\r\n"
        "\r\n"
        "[Directories]\r\n"
        "IniFile = C:\\old.ini\r\n"
        "\r\n"
        "[settings]   \r\n"
        "  Wrap = 2\r\n"
        "; the ruler\r\n"
        "ShowRuler=1\r\n"
        "\r\n"
        "; trailing comment\r\n";
    writeRaw(path, original);

    ASSERT_TRUE(sys::writePrivateProfileString("SETTINGS", "wrap", "0", path));
    QByteArray expected = original;
    expected.replace("  Wrap = 2", "  Wrap = 0");
    EXPECT_EQ(fileBytes(path), expected);

    // A new key joins the end of its section, before the comments that follow it.
    ASSERT_TRUE(sys::writePrivateProfileString("Settings", "FONTNAME", "Verdana", path));
    expected.replace("ShowRuler=1\r\n", "ShowRuler=1\r\nFONTNAME=Verdana\r\n");
    EXPECT_EQ(fileBytes(path), expected);

    // A new section goes at the end of the file.
    ASSERT_TRUE(sys::writePrivateProfileString("Extra", "KEY", "v", path));
    EXPECT_EQ(fileBytes(path), expected + "[Extra]\r\nKEY=v\r\n");
    EXPECT_EQ(read("extra", "key", path), "v");
    EXPECT_EQ(read("Directories", "INIFILE", path), "C:\\old.ini");
}

TEST(PrivateProfile, MissingFileSectionOrKeyGivesTheDefault)
{
    TempFolder folder;
    const QString path = folder.filePath("app.ini");
    EXPECT_EQ(read("Settings", "WRAP", path), "<default>");
    writeRaw(path, "[Settings]\nWRAP=1\nEMPTY=\n; COMMENTED=1\nNOEQUALS\n");
    EXPECT_EQ(read("Other", "WRAP", path), "<default>");
    EXPECT_EQ(read("Settings", "OTHER", path), "<default>");
    EXPECT_EQ(read("Settings", "COMMENTED", path), "<default>");
    EXPECT_EQ(read("Settings", "NOEQUALS", path), "<default>");
    EXPECT_EQ(read("Settings", "EMPTY", path), "");
    QString value;
    EXPECT_EQ(sys::getPrivateProfileString("Settings", "WRAP", "", value, path), 1);
    EXPECT_EQ(value, "1");
}

TEST(PrivateProfile, ValuesLoseSurroundingBlanksAndOnePairOfQuotes)
{
    TempFolder folder;
    const QString path = folder.filePath("app.ini");
    writeRaw(path,
             "[S]\n"
             "A=   spaced value \t\n"
             "B=\"quoted\"\n"
             "C= \"\"twice\"\" \n"
             "D=\"open only\n"
             "E=\"\n"
             "F=in \"the\" middle\n");
    EXPECT_EQ(read("S", "A", path), "spaced value");
    EXPECT_EQ(read("S", "B", path), "quoted");
    EXPECT_EQ(read("S", "C", path), "\"twice\"");
    EXPECT_EQ(read("S", "D", path), "\"open only");
    EXPECT_EQ(read("S", "E", path), "\"");
    EXPECT_EQ(read("S", "F", path), "in \"the\" middle");
}

TEST(PrivateProfile, LineEndsAreReadAlikeAndKeptOnWrite)
{
    TempFolder folder;
    const QString crlf = folder.filePath("crlf.ini");
    const QString lf = folder.filePath("lf.ini");
    writeRaw(crlf, "[S]\r\nA=1\r\n");
    writeRaw(lf, "[S]\nA=1\n");
    EXPECT_EQ(read("S", "A", crlf), "1");
    EXPECT_EQ(read("S", "A", lf), "1");

    ASSERT_TRUE(sys::writePrivateProfileString("S", "B", "2", crlf));
    ASSERT_TRUE(sys::writePrivateProfileString("S", "B", "2", lf));
    EXPECT_EQ(fileBytes(crlf), "[S]\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(fileBytes(lf), "[S]\nA=1\nB=2\n");

    // A last line without its line end gets one before anything follows it.
    const QString open = folder.filePath("open.ini");
    writeRaw(open, "[S]\r\nA=1");
    ASSERT_TRUE(sys::writePrivateProfileString("T", "B", "2", open));
    EXPECT_EQ(fileBytes(open), "[S]\r\nA=1\r\n[T]\r\nB=2\r\n");
}

TEST(PrivateProfile, WritingCreatesTheFileWithLineFeeds)
{
    TempFolder folder;
    const QString path = folder.filePath("new.ini");
    ASSERT_TRUE(sys::writePrivateProfileString("Directories", "INIFILE", path, path));
    ASSERT_TRUE(sys::writePrivateProfileString("Settings", "WRAP", "1", path));
    ASSERT_TRUE(sys::writePrivateProfileString("Directories", "HELPFILE", "/h.chm", path));
    EXPECT_EQ(fileBytes(path), ("[Directories]\nINIFILE=" + path.toUtf8() +
                                "\nHELPFILE=/h.chm\n[Settings]\nWRAP=1\n"));
    EXPECT_FALSE(sys::writePrivateProfileString("S", "K", "v", folder.filePath("none/x.ini")));
}

TEST(PrivateProfile, TextIsUtf8AndForeignBytesOfOtherLinesSurvive)
{
    TempFolder folder;
    const QString path = folder.filePath("app.ini");
    const QByteArray latin1Line = "OLD=caf\xE9\n";  // not UTF-8: left exactly as it is
    writeRaw(path, "\xEF\xBB\xBF[S]\n" + latin1Line + "NAME=x\n");
    ASSERT_TRUE(sys::writePrivateProfileString("S", "NAME", QString::fromUtf8("Ünïcode ✓"), path));
    EXPECT_EQ(fileBytes(path), "\xEF\xBB\xBF[S]\n" + latin1Line +
                                   "NAME=\xC3\x9Cn\xC3\xAF"
                                   "code \xE2\x9C\x93\n");
    EXPECT_EQ(read("s", "name", path), QString::fromUtf8("Ünïcode ✓"));
}

TEST(PrivateProfile, LongValuesAreCutToTheBuffer)
{
    TempFolder folder;
    const QString path = folder.filePath("app.ini");
    const QString longValue(70000, 'x');
    ASSERT_TRUE(sys::writePrivateProfileString("S", "LONG", longValue, path));

    QString value;
    EXPECT_EQ(sys::getPrivateProfileString("S", "LONG", "", value, path), 65535);
    EXPECT_EQ(value, longValue.left(65535));
    EXPECT_EQ(sys::getPrivateProfileString("S", "LONG", "", value, path, 70001), 70000);
    EXPECT_EQ(sys::getPrivateProfileString("S", "LONG", "", value, path, 1), 0);
    EXPECT_EQ(sys::getPrivateProfileString("S", "LONG", "", value, path, 0), 0);
    EXPECT_TRUE(value.isEmpty());
    // The default is cut alike, and a cut never splits a surrogate pair.
    EXPECT_EQ(sys::getPrivateProfileString("S", "NONE", "abcdef", value, path, 4), 3);
    EXPECT_EQ(value, "abc");
    const QString clef = QString::fromUtf8("a\xF0\x9D\x84\x9E");  // 'a' and one pair
    EXPECT_EQ(sys::getPrivateProfileString("S", "NONE", clef, value, path, 3), 1);
    EXPECT_EQ(value, "a");
}

TEST(PrivateProfile, RefusesWhatWouldBreakTheFileAndChangesNothing)
{
    TempFolder folder;
    const QString path = folder.filePath("app.ini");
    writeRaw(path, "[S]\nA=1\n");
    EXPECT_FALSE(sys::writePrivateProfileString("S", "A", "1\n[Evil]\nB=2", path));
    EXPECT_FALSE(sys::writePrivateProfileString("S", "A", "1\r2", path));
    EXPECT_FALSE(sys::writePrivateProfileString("S", "K=V", "1", path));
    EXPECT_FALSE(sys::writePrivateProfileString("S", "[T]", "1", path));
    EXPECT_FALSE(sys::writePrivateProfileString("S", ";K", "1", path));
    EXPECT_FALSE(sys::writePrivateProfileString("S", " ", "1", path));
    EXPECT_FALSE(sys::writePrivateProfileString("S]x", "K", "1", path));
    EXPECT_FALSE(sys::writePrivateProfileString("", "K", "1", path));
    EXPECT_EQ(fileBytes(path), "[S]\nA=1\n");
    EXPECT_FALSE(sys::writePrivateProfileString("S", "K\nX", "1", folder.filePath("never.ini")));
    EXPECT_FALSE(QFile::exists(folder.filePath("never.ini")));
}

TEST(PrivateProfile, ManyValuesAtOnceStoreWhatSingleWritesStoreInOneReplacement)
{
    TempFolder folder;
    const QString single = folder.filePath("single.ini");
    const QString batch = folder.filePath("batch.ini");
    const std::vector<sys::ProfileValue> values{
        {"S", "A", "1"}, {"T", "B", "2"}, {"S", "C", "3"}, {"S", "A", "4"}, {"S", "K\nX", "5"}};
    writeRaw(single, "; kept\n[T]\nZ=0\n");
    writeRaw(batch, "; kept\n[T]\nZ=0\n");
    for (const sys::ProfileValue& value : values)
        sys::writePrivateProfileString(value.section, value.key, value.value, single);
    const auto inode = [](const QString& path) {
        struct stat status {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
    };
    const auto before = inode(batch);
    // The refused key is passed over and reported; the rest is stored as one new file.
    EXPECT_FALSE(sys::writePrivateProfileStrings(values, batch));
    EXPECT_EQ(fileBytes(batch), fileBytes(single));
    EXPECT_EQ(fileBytes(batch), "; kept\n[T]\nZ=0\nB=2\n[S]\nA=4\nC=3\n");
    EXPECT_NE(inode(batch), before);
    EXPECT_TRUE(sys::writePrivateProfileStrings(std::span(values).first(3), batch));
    EXPECT_FALSE(
        sys::writePrivateProfileStrings(std::span(values).last(1), folder.filePath("never.ini")));
    EXPECT_FALSE(QFile::exists(folder.filePath("never.ini")));
}

TEST(PrivateProfile, DuplicatesResolveToTheFirstAndWritesAgree)
{
    const sys::IniDocument document = sys::IniDocument::fromBytes(
        "KEY=outside any section\n[A]\nKEY=first\nKEY=second\n[B]\nKEY=b\n[a]\nOTHER=later\n");
    EXPECT_EQ(document.value("A", "KEY"), "first");
    EXPECT_EQ(document.value("A", "OTHER"), "later");  // a repeated section continues the first
    EXPECT_FALSE(document.value("", "KEY"));

    sys::IniDocument changed = document;
    ASSERT_TRUE(changed.setValue("a", "OTHER", "now"));
    ASSERT_TRUE(changed.setValue("A", "NEW", "n"));
    EXPECT_EQ(changed.toBytes(),
              "KEY=outside any section\n[A]\nKEY=first\nKEY=second\nNEW=n\n[B]\nKEY=b\n[a]\n"
              "OTHER=now\n");
}

TEST(PrivateProfile, TwoWritersLastValueWinsAndNoWriteIsLost)
{
    TempFolder folder;
    const QString path = folder.filePath("shared.ini");
    ASSERT_TRUE(sys::writePrivateProfileString("Settings", "SAVEINDEX", "1", path));
    ASSERT_TRUE(sys::writePrivateProfileString("Settings", "SAVEINDEX", "3", path));
    EXPECT_EQ(read("Settings", "SAVEINDEX", path), "3");

    // Writers that overlap in time, each with keys of its own: every key must arrive.
    constexpr int Writers = 4;
    constexpr int KeysEach = 25;
    std::atomic<int> refused{0};
    std::vector<std::thread> writers;
    for (int writer = 0; writer < Writers; ++writer) {
        writers.emplace_back([&path, &refused, writer] {
            for (int index = 0; index < KeysEach; ++index)
                if (!sys::writePrivateProfileString("Settings",
                                                    QString("W%1K%2").arg(writer).arg(index),
                                                    QString::number(index), path))
                    ++refused;
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(refused.load(), 0);
    for (int writer = 0; writer < Writers; ++writer)
        for (int index = 0; index < KeysEach; ++index)
            ASSERT_EQ(read("Settings", QString("W%1K%2").arg(writer).arg(index), path),
                      QString::number(index));
}

}  // namespace
