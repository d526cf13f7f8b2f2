#include "platform/richedit/view/Engine.h"

#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/view/LoadBudget.h"

#include "tests/support/SignalRecorder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace richedit;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class EngineTest : public ::testing::Test {
protected:
    Engine engine;
    testsupport::SignalRecorder recorder{&engine};
    testsupport::TempFolder folder;
};

TEST_F(EngineTest, TextWritesReplaceTheDocumentAndRaiseEvents)
{
    engine.setText(QStringLiteral("a\rb\nc"));
    EXPECT_EQ(engine.text(), QStringLiteral("a\r\nb\r\nc"));
    EXPECT_EQ(recorder.names(), QStringList{QStringLiteral("changed")});
    engine.setSelStart(3);
    recorder.clear();
    engine.setSelText(QStringLiteral("X"));
    EXPECT_EQ(recorder.names(),
              (QStringList{QStringLiteral("changed"), QStringLiteral("selectionChanged")}));
    EXPECT_TRUE(engine.canUndo());
    EXPECT_TRUE(engine.isModified());

    recorder.clear();
    engine.setText(QStringLiteral("new"));
    EXPECT_FALSE(engine.canUndo());
    EXPECT_EQ(engine.selStart(), 0);
    EXPECT_EQ(recorder.names(),
              (QStringList{QStringLiteral("changed"), QStringLiteral("selectionChanged")}));
}

TEST_F(EngineTest, RtfWritesAndReadsTheWholeDocument)
{
    engine.setText(QStringLiteral("plain\r\n\r\nbold"));
    engine.exSetSel({9, 13});
    engine.setSelBold(true);
    const QString rtf = engine.textRtf();
    EXPECT_TRUE(rtf.startsWith(QStringLiteral("{\\rtf1")));
    EXPECT_FALSE(rtf.endsWith(QChar(u'\0')));

    Engine copy;
    copy.setTextRtf(rtf);
    EXPECT_EQ(copy.text(), engine.text());
    copy.exSetSel({9, 13});
    EXPECT_EQ(copy.selBold(), std::optional<bool>(true));
    EXPECT_TRUE(copy.isModified());
    EXPECT_FALSE(copy.canUndo());

    copy.setTextRtf(QStringLiteral("not rtf\nat all"));
    EXPECT_EQ(copy.text(), QStringLiteral("not rtf\r\nat all"));
    copy.setTextRtf(QString());
    EXPECT_EQ(copy.text(), QString());

    // Selection RTF put back reproduces the same characters.
    engine.exSetSel({3, 11});
    const QString selection = engine.selRtf();
    const QString before = engine.text();
    engine.setSelRtf(selection);
    EXPECT_EQ(engine.text(), before);
    EXPECT_EQ(engine.selStart(), 11);
}

TEST_F(EngineTest, LoadFileReadsRtfTextOrRefusesBinary)
{
    const QString rtf = folder.filePath(QStringLiteral("doc.rtf"));
    writeAll(rtf, QByteArray("{\\rtf1\\ansi hello\\par }") + '\0');
    engine.setText(QStringLiteral("old"));
    engine.setSelText(QStringLiteral("x"));
    EXPECT_FALSE(engine.loadFile(rtf, FileKind::Rtf));
    EXPECT_EQ(engine.text(), QStringLiteral("hello"));
    EXPECT_FALSE(engine.isModified());
    EXPECT_FALSE(engine.canUndo());
    EXPECT_EQ(engine.loadedKind(), FileKind::Rtf);

    // A text file opened as RTF loads as text; a last byte that is not NUL is kept.
    const QString text = folder.filePath(QStringLiteral("notes.txt"));
    writeAll(text, "caf\xC3\xA9\r\nend");
    EXPECT_FALSE(engine.loadFile(text, FileKind::Rtf));
    EXPECT_EQ(engine.text(), QStringLiteral("caf\u00E9\r\nend"));
    EXPECT_EQ(engine.loadedKind(), FileKind::Text);
    EXPECT_FALSE(engine.loadFile(rtf, FileKind::Text));
    EXPECT_EQ(engine.loadedKind(), FileKind::Text) << "RTF read as the text it is";
    const QString empty = folder.filePath(QStringLiteral("empty.wmdf"));
    writeAll(empty, "");
    EXPECT_FALSE(engine.loadFile(empty, FileKind::Rtf));
    EXPECT_EQ(engine.loadedKind(), std::nullopt);
    EXPECT_FALSE(engine.loadFile(text, FileKind::Rtf));

    const QString binary = folder.filePath(QStringLiteral("image.bin"));
    writeAll(binary, QByteArray("\x89PNG\0\0\0\rIHDR", 12));
    const auto error = engine.loadFile(binary, FileKind::Rtf);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 321);
    EXPECT_EQ(engine.text(), QStringLiteral("caf\u00E9\r\nend"));  // unchanged
    EXPECT_FALSE(engine.loadFile(binary, FileKind::Text));         // kind 1 reads anything as text

    EXPECT_EQ(engine.loadFile(folder.filePath(QStringLiteral("missing")), FileKind::Rtf)->number(),
              53);
    EXPECT_EQ(engine.loadFile(folder.path(), FileKind::Rtf)->number(), 75);
}

TEST_F(EngineTest, SaveFileWritesBesideAndKeepsTheOldFileOnFailure)
{
    engine.setText(QStringLiteral("line one\r\nline two\r\n"));
    const QString rtf = folder.filePath(QStringLiteral("out.rtf"));
    ASSERT_FALSE(engine.saveFile(rtf, FileKind::Rtf));
    EXPECT_EQ(readAll(rtf), engine.textRtfBytes() + '\0');

    const QString text = folder.filePath(QStringLiteral("out.txt"));
    writeAll(text, "old");
    QFile::setPermissions(text, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_FALSE(engine.saveFile(text, FileKind::Text));
    // A document not read from a text file is written with the platform's line ends.
    EXPECT_EQ(readAll(text), QByteArray("line one\nline two\n"));
    EXPECT_EQ(QFile::permissions(text) & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther),
              QFile::ReadGroup);

    QFile::setPermissions(text, QFile::ReadOwner);
    engine.setText(QStringLiteral("changed"));
    const auto error = engine.saveFile(text, FileKind::Text);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 75);
    EXPECT_EQ(readAll(text), QByteArray("line one\nline two\n"));
    EXPECT_TRUE(
        engine.saveFile(folder.filePath(QStringLiteral("no/such/dir.txt")), FileKind::Text));
}

TEST_F(EngineTest, SelectionPropertiesReadMixedAsEmpty)
{
    engine.setText(QStringLiteral("abcd"));
    engine.exSetSel({0, 2});
    engine.setSelBold(true);
    engine.setSelColor(0x0000FF);
    engine.setSelFontSize(12.5);
    engine.setSelFontName(QStringLiteral("No Such Face"));
    engine.exSetSel({0, 4});
    EXPECT_FALSE(engine.selBold());
    EXPECT_FALSE(engine.selColor());
    EXPECT_FALSE(engine.selFontSize());
    EXPECT_FALSE(engine.selFontName());
    engine.exSetSel({0, 2});
    EXPECT_EQ(engine.selBold(), std::optional<bool>(true));
    EXPECT_EQ(engine.selColor(), std::optional<uint32_t>(0x0000FF));
    EXPECT_EQ(engine.selFontSize(), std::optional<double>(12.5));
    EXPECT_EQ(engine.selFontName(), std::optional<QString>(QStringLiteral("No Such Face")));
    engine.exSetSel({2, 4});
    EXPECT_EQ(engine.selColor(), std::optional<uint32_t>(0));  // automatic reads as 0
    EXPECT_EQ(engine.selItalic(), std::optional<bool>(false));
}

TEST_F(EngineTest, ParagraphPropertiesAndTabStops)
{
    engine.setText(QStringLiteral("one\r\ntwo"));
    engine.setSelHangingIndent(360);
    engine.setSelIndent(720);
    EXPECT_EQ(engine.selHangingIndent(), std::optional<int32_t>(360));  // kept
    EXPECT_EQ(engine.selIndent(), std::optional<int32_t>(720));
    EXPECT_EQ(engine.setSelAlignment(3)->number(), 380);
    engine.setSelAlignment(2);
    EXPECT_EQ(engine.selAlignment(), std::optional<int>(2));
    engine.exSetSel({0, -1});
    EXPECT_FALSE(engine.selAlignment());

    ParaFormat justify;
    justify.mask = Alignment;
    justify.alignment = AlignJustify;
    engine.setParaFormat(justify);
    EXPECT_FALSE(engine.selAlignment());  // justified reads as Null here

    engine.setBulletIndent(200);
    engine.setSelBullet(true);
    EXPECT_EQ(engine.selBullet(), std::optional<bool>(true));
    EXPECT_EQ(engine.selHangingIndent(), std::optional<int32_t>(200));
    engine.setSelBullet(false);
    EXPECT_EQ(engine.selHangingIndent(), std::optional<int32_t>(200));

    EXPECT_EQ(engine.setSelTabCount(33)->number(), 380);
    EXPECT_EQ(engine.setSelTabCount(-1)->number(), 380);
    ASSERT_FALSE(engine.setSelTabCount(3));
    EXPECT_EQ(engine.selTabCount(), std::optional<int>(3));
    engine.setSelTab(0, 1440);
    engine.setSelTab(1, 720);  // in place, not sorted
    EXPECT_EQ(engine.selTab(0), std::optional<int32_t>(1440));
    EXPECT_EQ(engine.selTab(1), std::optional<int32_t>(720));
    EXPECT_EQ(engine.setSelTab(3, 10)->number(), 380);
    engine.setSelTabCount(1);
    EXPECT_EQ(engine.selTabCount(), std::optional<int>(1));
    EXPECT_FALSE(engine.selTab(1));
}

TEST_F(EngineTest, DefaultFontAppliesToTheWholeDocument)
{
    engine.setText(QStringLiteral("abc"));
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(9.75);
    font.setBold(true);
    engine.setDefaultFont(font);
    engine.exSetSel({0, -1});
    EXPECT_EQ(engine.selFontName(), std::optional<QString>(QStringLiteral("Verdana")));
    EXPECT_EQ(engine.selFontSize(), std::optional<double>(9.75));
    EXPECT_EQ(engine.selBold(), std::optional<bool>(true));
    engine.setText(QStringLiteral("later"));
    engine.exSetSel({0, 2});
    EXPECT_EQ(engine.selFontName(), std::optional<QString>(QStringLiteral("Verdana")));

    FindText find{{0, -1}, QStringLiteral("TER")};
    EXPECT_EQ(engine.findText(find, 0), 2);
    EXPECT_EQ(engine.findText(find, MatchCase), -1);
    EXPECT_EQ(engine.selStart(), 0);  // the selection is not touched
}

// A file's paragraphs arrive with their text in one block; the load's memory check must count
// them as it counts paragraphs whose text is in their runs.
TEST(EngineLoadBudget, CountsTextHandedOverInOneBlock)
{
    const QByteArray rtf =
        "{\\rtf1\\ansi one {\\b two}\\tab {\\pict\\pngblip 00}\\par three "
        "\\u8364?\\par {\\i four}}";
    LoadBudget::Tally perRun;
    LoadBudget::Tally joined;
    readRtf(
        rtf, RtfReadMode::WholeDocument,
        [&perRun](FragmentParagraph&& paragraph) { perRun.add(paragraph); }, RtfRunText::PerRun);
    readRtf(
        rtf, RtfReadMode::WholeDocument,
        [&joined](FragmentParagraph&& paragraph) {
            EXPECT_TRUE(paragraph.textJoined);
            joined.add(paragraph);
        },
        RtfRunText::Joined);
    EXPECT_EQ(joined.paragraphs, 3u);
    EXPECT_EQ(joined.characters, perRun.characters);
    EXPECT_EQ(joined.longest, perRun.longest);
    EXPECT_EQ(joined.longest, 9u);
}
