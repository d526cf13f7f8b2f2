// The file commands and the close question through the fake dialogs and message boxes,
// including failed and cancelled saves.
#include "platform/system/FileSystem.h"
#include "platform/widgets/StatusBar.h"
#include "richtext/core/XrRTB.h"
#include "tests/app/MainWindowSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeCommonDialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTimer>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::FakeCommonDialogs;

const QString SaveQuestion = "Your document has changed. Do you wish to save the changes?  ";

class FileCommands : public testsupport::MainWindowTest {
protected:
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = appData.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // A document that was typed into: the control marks it changed.
    app::Form1& changedDocument(const QString& text = "typed words")
    {
        app::Form1& form = load();
        form.XrRTB1->LetText(text);
        bool changed = true;
        form.XrRTB1->SetRTBChanged(changed);
        return form;
    }

    // A document named on the command line whose file then became a folder, which no save
    // can write over; the document is marked changed.
    app::Form1& documentWhoseFileBecameAFolder(const QString& name)
    {
        const QString path = writeFile(name, "{\\rtf1 saved once\\par}");
        app::Form1& form = load("\"" + path + "\"");
        EXPECT_TRUE(QFile::remove(path));
        EXPECT_TRUE(QDir().mkpath(path));
        form.XrRTB1->LetText("unsaved");
        bool changed = true;
        form.XrRTB1->SetRTBChanged(changed);
        return form;
    }

    FakeCommonDialogs dialogs;
};

TEST_F(FileCommands, OpenOfAnUnchangedDocumentAsksNothingAndTakesTheStoredFilter)
{
    const QString path = writeFile("notes.txt", "first line\r\nsecond line");
    store("OPENINDEX", "3");
    app::Form1& form = load();
    dialogs.answer(host::DialogAnswer::file(path, 3));
    form.menuOpen->trigger();
    EXPECT_TRUE(boxes.shown().empty());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.last().filterIndex, 3);
    EXPECT_EQ(form.XrRTB1->Text(), "first line\r\nsecond line");
    EXPECT_EQ(form.documentPath(), path);
    EXPECT_EQ(form.documentType(), app::rtfText);
    EXPECT_EQ(form.windowTitle(), "notes.txt - Wexmoor Scrivet");
    EXPECT_EQ(form.StatusBar1->Panels(1).Text(), "Document Name: notes.txt");
    EXPECT_EQ(setting("OPENINDEX"), "3");
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
}

TEST_F(FileCommands, OpenAfterACancelledSaveOfANewDocumentStopsBeforeTheOpenDialog)
{
    app::Form1& form = changedDocument();
    form.setWindowTitle("stale");
    boxes.answer(host::vbYes);
    dialogs.answerCancel();
    form.menuOpen->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, SaveQuestion);
    EXPECT_EQ(boxes.shown()[0].title, "Wexmoor Scrivet");
    EXPECT_EQ(boxes.shown()[0].style & 0xF, host::vbYesNoCancel);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.last().kind, host::DialogKind::Save);
    EXPECT_EQ(dialogs.last().title, "Save File...");
    EXPECT_EQ(dialogs.last().fileName, "Document");
    EXPECT_EQ(form.windowTitle(), "stale");
    EXPECT_TRUE(form.XrRTB1->HasRTBChanged());

    // Cancel on the question: no dialog, the caption refreshed.
    boxes.answer(host::vbCancel);
    form.menuOpen->trigger();
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(form.windowTitle(), "Document.wmdf - Wexmoor Scrivet");
}

TEST_F(FileCommands, OpenStopsWhenTheSaveFirstFails)
{
    app::Form1& form = documentWhoseFileBecameAFolder("blocked.wmdf");
    boxes.answer(host::vbYes);
    form.menuOpen->trigger();
    EXPECT_TRUE(dialogs.shown().empty()) << "the open dialog came after a failed save";
    EXPECT_TRUE(form.XrRTB1->HasRTBChanged());
}

TEST_F(FileCommands, OpenFailureOtherThanCancelIsReported)
{
    const QString sealed = writeFile("sealed.wmdf", "xreS and enciphered bytes");
    app::Form1& form = load();
    dialogs.answerCancel();
    form.menuOpen->trigger();
    EXPECT_TRUE(boxes.shown().empty()) << "a cancelled dialog is silent";

    dialogs.answer(host::DialogAnswer::file(sealed, 1));
    form.menuOpen->trigger();
    ASSERT_FALSE(boxes.shown().empty());
    EXPECT_EQ(boxes.shown().back().text, "Invalid File Format or Corrupted File.");
    EXPECT_EQ(boxes.shown().back().title, "Cannot Open File");
    EXPECT_EQ(form.documentPath(), "");
}

TEST_F(FileCommands, OpenWithLinksOffRemovesThemAndLeavesTheDocumentUnchanged)
{
    const QString path = writeFile("links.rtf", "{\\rtf1 see www.example.com now\\par}");
    store("ENABLEAUTOLINK", "0");
    app::Form1& form = load();
    dialogs.answer(host::DialogAnswer::file(path, 2));
    form.menuOpen->trigger();
    EXPECT_EQ(form.documentType(), app::rtfRTF);
    EXPECT_FALSE(form.XrRTB1->DetectHyperLinks());
    EXPECT_FALSE(form.menuAllowAutomaticHyperlink->isChecked());
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
    QString address;
    EXPECT_FALSE(form.XrRTB1->DetectURLZone(6, address));
    // An RTF document may not be saved as RTF while RTF saving is off.
    EXPECT_FALSE(form.menuSave->isEnabled());
}

TEST_F(FileCommands, SaveOfANewDocumentGoesThroughTheDialog)
{
    const QString path = appData.filePath("letter.txt");
    store("SAVEINDEX", "2");
    app::Form1& form = changedDocument("Dear reader");
    dialogs.answer(host::DialogAnswer::file(path, 2));
    form.menuSave->trigger();
    EXPECT_EQ(dialogs.last().filterIndex, 2);
    EXPECT_EQ(readFile(path), "Dear reader");
    EXPECT_EQ(form.documentPath(), path);
    EXPECT_EQ(form.documentType(), app::rtfText);
    EXPECT_EQ(setting("SAVEINDEX"), "2");
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
    EXPECT_EQ(form.windowTitle(), "letter.txt - Wexmoor Scrivet");

    // The next Save writes plain text again, without a dialog.
    form.XrRTB1->LetText("Dear reader, again");
    form.menuSave->trigger();
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(readFile(path), "Dear reader, again");
}

TEST_F(FileCommands, AFailedSaveLeavesTheDocumentChanged)
{
    app::Form1& form = documentWhoseFileBecameAFolder("blocked.txt");
    form.menuSave->trigger();
    EXPECT_TRUE(form.XrRTB1->HasRTBChanged());
}

TEST_F(FileCommands, ASaveUnderAFileSizeLimitFailsAndKeepsTheProgramAndTheOldFile)
{
    const QString path = writeFile("kept.txt", "old words");
    app::Form1& form = load("\"" + path + "\"");
    form.XrRTB1->LetText("new words, longer than the limit allows");
    bool changed = true;
    form.XrRTB1->SetRTBChanged(changed);
    const testsupport::ChildOutcome outcome = testsupport::runInChild([&form, this] {
        if (!testsupport::limitFileSizeTo(16))
            return QByteArray("no limit");
        form.menuSave->trigger();
        return boxes.shown().back().text.toUtf8() +
               (form.XrRTB1->HasRTBChanged() ? "|changed" : "|unchanged");
    });
    EXPECT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
    EXPECT_EQ(outcome.output,
              "Cannot Save File an error has occured!\r\nThe file is too large (a file-size limit "
              "was reached).|changed");
    EXPECT_EQ(readFile(path), "old words");
    EXPECT_EQ(QDir(appData.path()).entryList({"*kept*"}, QDir::Files | QDir::Hidden),
              QStringList{"kept.txt"});
}

TEST_F(FileCommands, SaveOfAnRtfDocumentWithRtfSavingOffAsksFirst)
{
    const QString path = writeFile("old.rtf", "{\\rtf1 old\\par}");
    app::Form1& form = load("\"" + path + "\"");
    form.XrRTB1->LetText("new");
    bool changed = true;
    form.XrRTB1->SetRTBChanged(changed);
    boxes.answer(host::vbCancel);
    form.menuSave->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Wexmoor Scrivet");
    EXPECT_TRUE(
        boxes.shown()[0].text.endsWith("''Save As..'' .wmdf file from the drop down menu."));
    EXPECT_EQ(readFile(path), "{\\rtf1 old\\par}");
    EXPECT_TRUE(form.XrRTB1->HasRTBChanged());

    boxes.answer(host::vbOK);
    form.menuSave->trigger();
    EXPECT_TRUE(readFile(path).startsWith("{\\rtf1"));
    EXPECT_TRUE(readFile(path).contains("new"));
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
}

TEST_F(FileCommands, SaveAsOffersTheTypesFilterAndACancelKeepsPathAndType)
{
    const QString path = writeFile("plain.txt", "plain");
    app::Form1& form = load("\"" + path + "\"");
    dialogs.answerCancel();
    form.menuSaveas->trigger();
    EXPECT_EQ(dialogs.last().filterIndex, 2) << "plain text without RTF saving";
    EXPECT_EQ(dialogs.last().fileName, "plain");
    EXPECT_EQ(form.documentPath(), path);
    EXPECT_EQ(form.documentType(), app::rtfText);

    form.XrRTB1->LetAllowRTFSave(true);
    dialogs.answerCancel();
    form.menuSaveas->trigger();
    EXPECT_EQ(dialogs.last().filterIndex, 3);
}

TEST_F(FileCommands, CancelledSaveAsOfANewDocumentKeepsItWithoutAPath)
{
    app::Form1& form = changedDocument();
    dialogs.answerCancel();
    form.menuSaveas->trigger();
    EXPECT_EQ(dialogs.last().filterIndex, 1);
    EXPECT_EQ(form.documentPath(), "") << "no relative path a later Save would write to";
    EXPECT_EQ(form.documentType(), app::rtfWXF);
    EXPECT_TRUE(form.XrRTB1->HasRTBChanged());
    // So the next Save asks for a name again.
    dialogs.answerCancel();
    form.menuSave->trigger();
    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.last().kind, host::DialogKind::Save);
}

using CloseQuestion = FileCommands;

TEST_F(CloseQuestion, CancelKeepsTheWindowAndStoresNothing)
{
    app::Form1& form = changedDocument();
    store("APPWIDTH", "1234");
    boxes.answer(host::vbCancel);
    EXPECT_FALSE(form.close());
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, SaveQuestion);
    EXPECT_EQ(setting("APPWIDTH"), "1234");
}

TEST_F(CloseQuestion, NoClosesWithoutSavingAndStoresTheGeometry)
{
    app::Form1& form = changedDocument();
    form.resize(640, 480);
    boxes.answer(host::vbNo);
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(setting("APPWIDTH"), "9600");
}

TEST_F(CloseQuestion, YesSavesAndClosesOnlyWhenTheSaveWentThrough)
{
    app::Form1& form = changedDocument("keep me");
    form.resize(640, 480);
    store("APPWIDTH", "1234");
    boxes.answer(host::vbYes);
    dialogs.answerCancel();
    EXPECT_FALSE(form.close()) << "a cancelled save dialog keeps the window";
    EXPECT_EQ(setting("APPWIDTH"), "1234");

    const QString path = appData.filePath("kept.wmdf");
    store("SAVEINDEX", "1");
    boxes.answer(host::vbYes);
    dialogs.answer(host::DialogAnswer::file(path, 1));
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(readFile(path).startsWith("{\\rtf1"));
    EXPECT_EQ(setting("SAVEINDEX"), "1");
    EXPECT_EQ(setting("APPWIDTH"), "9600") << "stored as after No";
}

TEST_F(CloseQuestion, AFailedSaveOfANamedDocumentKeepsTheWindow)
{
    app::Form1& form = documentWhoseFileBecameAFolder("blocked.rtf");
    boxes.answer(host::vbYes);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.XrRTB1->HasRTBChanged());
}

TEST_F(CloseQuestion, AnUntouchedWindowClosesWithoutAQuestion)
{
    app::Form1& form = load();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(boxes.shown().empty());
}

using FailedOpen = FileCommands;

TEST_F(FailedOpen, KeepsTheDocumentItsNameTypeAndChangedState)
{
    const QString first = writeFile("first.txt", "alpha words");
    app::Form1& form = load();
    dialogs.answer(host::DialogAnswer::file(first, 3));
    form.menuOpen->trigger();
    ASSERT_EQ(form.XrRTB1->Text(), "alpha words");

    const QByteArray binary("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const QString damaged = writeFile("damaged.rtf", binary);
    const QString held = writeFile("held.wmdf", "{\\rtf1 theirs\\par}");
    const int holder = ::open(QFile::encodeName(held).constData(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(holder, F_OFD_SETLK, &lock), 0);
    // One box for each failed open, saying why: a file in use is told by its own box alone.
    for (const auto& [path, entry, title] : {std::tuple{damaged, 2, "Cannot Open File"},
                                             std::tuple{held, 1, "File is Already Open"}}) {
        const size_t boxesBefore = boxes.shown().size();
        dialogs.answer(host::DialogAnswer::file(path, entry));
        form.menuOpen->trigger();
        EXPECT_EQ(form.XrRTB1->Text(), "alpha words") << path.toStdString();
        EXPECT_EQ(form.documentPath(), first);
        EXPECT_EQ(form.documentType(), app::rtfText);
        EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
        EXPECT_EQ(form.windowTitle(), "first.txt - Wexmoor Scrivet");
        ASSERT_EQ(boxes.shown().size(), boxesBefore + 1) << path.toStdString();
        EXPECT_EQ(boxes.shown().back().title, title);
    }
    EXPECT_EQ(boxes.shown().back().text,
              "File: held.wmdf is being used by another application.\r\nCannot open file already "
              "in use.");
    ::close(holder);

    // Saving writes the document the window still shows to its own file, and closing asks
    // nothing: the failed opens changed nothing.
    form.menuSave->trigger();
    EXPECT_EQ(readFile(first), "alpha words");
    EXPECT_EQ(readFile(damaged), binary);
    const size_t boxesBefore = boxes.shown().size();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(boxes.shown().size(), boxesBefore);
}

TEST_F(FailedOpen, AFileTheUserMayNotReadIsToldApartFromADamagedOne)
{
    const QString first = writeFile("first.txt", "alpha words");
    const QString unreadable = writeFile("private.rtf", "{\\rtf1 secret\\par}");
    app::Form1& form = load("\"" + first + "\"");
    testsupport::openToEveryone(appData.path());
    ::chmod(QFile::encodeName(unreadable).constData(), 0200);
    const testsupport::ChildOutcome outcome = testsupport::runInChild(
        [&] {
            dialogs.answer(host::DialogAnswer::file(unreadable, 2));
            form.menuOpen->trigger();
            return boxes.shown().back().text.toUtf8() + "|" + form.XrRTB1->Text().toUtf8() + "|" +
                   form.documentPath().toUtf8();
        },
        true);
    EXPECT_EQ(outcome.output,
              "The file cannot be opened: permission denied.|alpha words|" + first.toUtf8());
}

TEST_F(FailedOpen, ACommandLineFileThatCannotBeLoadedIsNeverAdopted)
{
    const QByteArray binary("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const QString picture = writeFile("picture.wmdf", binary);
    app::Form1& form = load("\"" + picture + "\"");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Cannot open " + picture + ": it is not a valid document.");
    EXPECT_EQ(boxes.shown()[0].title, "Cannot Open File");
    EXPECT_EQ(form.documentPath(), "");
    EXPECT_EQ(form.documentType(), app::rtfWXF);
    EXPECT_EQ(form.windowTitle(), "Document.wmdf - Wexmoor Scrivet");

    // Save asks for a name instead of writing over the file.
    form.XrRTB1->LetText("typed");
    dialogs.answerCancel();
    form.menuSave->trigger();
    EXPECT_EQ(dialogs.last().kind, host::DialogKind::Save);
    EXPECT_EQ(readFile(picture), binary);

    // A file is saved back as what it was read as, whatever its name says.
    const QString rtfInText = writeFile("rich.txt", "{\\rtf1\\ansi {\\b bold} words\\par}");
    app::Form1& rich = load("\"" + rtfInText + "\"");
    EXPECT_EQ(rich.documentType(), app::rtfRTF);
    EXPECT_EQ(rich.XrRTB1->Text(), "bold words");
    const QString textInOwn = writeFile("plain.wmdf", "just words");
    EXPECT_EQ(load("\"" + textInOwn + "\"").documentType(), app::rtfText);

    // A name that does not exist yet is kept, so that saving creates it.
    const QString fresh = appData.filePath("fresh.txt");
    app::Form1& second = load("\"" + fresh + "\"");
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(second.documentPath(), fresh);
    EXPECT_EQ(second.documentType(), app::rtfText);
}

TEST_F(FileCommands, TextInEveryEncodingRoundTripsThroughSaveAsAndOpen)
{
    const QString words = QString::fromUtf8("café naïve – “quoted”");
    QByteArray utf16le("\xFF\xFE", 2);
    QByteArray utf16be("\xFE\xFF", 2);
    for (const QChar c : words) {
        utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    app::Form1& form = load();
    int round = 0;
    for (const QByteArray& bytes : {words.toUtf8(), "\xEF\xBB\xBF" + words.toUtf8(), utf16le,
                                    utf16be, QByteArray("caf\xE9 na\xEFve \x96 \x93quoted\x94")}) {
        const QString source = writeFile(QString("in%1.txt").arg(round), bytes);
        const QString copy = appData.filePath(QString("out%1.txt").arg(round++));
        dialogs.answer(host::DialogAnswer::file(source, 3));
        form.menuOpen->trigger();
        EXPECT_EQ(form.XrRTB1->Text(), words) << source.toStdString();
        dialogs.answer(host::DialogAnswer::file(copy, 2));
        form.menuSaveas->trigger();
        EXPECT_EQ(readFile(copy), bytes) << source.toStdString();
        dialogs.answer(host::DialogAnswer::file(copy, 3));
        form.menuOpen->trigger();
        EXPECT_EQ(form.XrRTB1->Text(), words) << copy.toStdString();
    }
}

// A text file in `encoding` whose LF line ends become `lineEnd`.
QByteArray textFileBytes(const QString& text, const char* encoding, const QString& lineEnd)
{
    QString lines = text;
    lines.replace("\n", lineEnd);
    const QByteArray kind(encoding);
    if (kind == "windows-1252") {
        QByteArray bytes;
        for (const QChar c : lines)
            bytes.append(c == QChar(0x2013) ? '\x96' : char(c.unicode()));
        return bytes;
    }
    if (kind.startsWith("utf-16")) {
        const bool little = kind == "utf-16le";
        QByteArray bytes(little ? "\xFF\xFE" : "\xFE\xFF", 2);
        for (const QChar c : lines) {
            const char low = char(c.unicode() & 0xFF);
            const char high = char(c.unicode() >> 8);
            bytes.append(little ? low : high).append(little ? high : low);
        }
        return bytes;
    }
    return (kind == "utf-8-mark" ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + lines.toUtf8();
}

// Opened from the command line or through File > Open: saved unchanged, the same bytes; with a
// line added, the same encoding and line ends.
TEST_F(FileCommands, ATextFileIsSavedBackAsItWasRead)
{
    const QString script = QString::fromUtf8("#!/bin/sh\necho caf\u00E9 \u2013 ok\n");
    const QString unfinished = QString::fromUtf8("caf\u00E9 \u2013\nlast line, no end");
    const struct {
        QString text;
        const char* encoding;
        QString lineEnd;
    } samples[] = {
        {script, "utf-8", "\n"},
        {unfinished, "utf-8", "\r\n"},
        {script, "utf-16le", "\r\n"},
        {unfinished, "utf-16be", "\n"},
        {script, "utf-8-mark", "\r"},
        {script, "windows-1252", "\r\n"},
        {unfinished, "windows-1252", "\n"},
    };
    for (const auto& sample : samples) {
        for (const bool fromCommandLine : {true, false}) {
            const QByteArray bytes = textFileBytes(sample.text, sample.encoding, sample.lineEnd);
            const QString path = writeFile("sample.txt", bytes);
            const std::string context = std::string(sample.encoding) +
                                        (fromCommandLine ? " command line " : " open ") +
                                        sample.lineEnd.toUtf8().toHex().toStdString();
            app::Form1& form = fromCommandLine ? load("\"" + path + "\"") : load();
            if (!fromCommandLine) {
                dialogs.answer(host::DialogAnswer::file(path, 3));
                form.menuOpen->trigger();
            }
            ASSERT_EQ(form.documentType(), app::rtfText) << context;
            form.menuSave->trigger();
            EXPECT_EQ(readFile(path), bytes) << context;

            form.XrRTB1->LetSelStart(0);
            form.XrRTB1->LetSelText("added\r\n");
            form.menuSave->trigger();
            EXPECT_EQ(readFile(path),
                      textFileBytes("added\n" + sample.text, sample.encoding, sample.lineEnd))
                << context;
        }
    }
    EXPECT_TRUE(boxes.shown().empty());

    // A character Windows-1252 has no byte for makes the file UTF-8, never a replacement.
    const QString path = writeFile("western.txt", "caf\xE9\n");
    app::Form1& form = load("\"" + path + "\"");
    form.XrRTB1->LetSelStart(0);
    form.XrRTB1->LetSelText(QString::fromUtf8("\u03A9 "));
    form.menuSave->trigger();
    EXPECT_EQ(readFile(path), QString::fromUtf8("\u03A9 caf\u00E9\n").toUtf8());
}

// With the file open in two windows, a Save over what the other one saved since asks first.
TEST_F(FileCommands, SaveAsksBeforeOverwritingAFileChangedOnDisk)
{
    const QString path = writeFile("shared.txt", "first\n");
    app::Form1& form = load("\"" + path + "\"");
    form.XrRTB1->LetSelStart(0);
    form.XrRTB1->LetSelText("mine ");
    form.menuSave->trigger();
    EXPECT_EQ(readFile(path), "mine first\n");
    EXPECT_TRUE(boxes.shown().empty()) << "the window's own file asks nothing";

    ASSERT_TRUE(sys::writeFileSafely(path, "the other window's words\n"));
    form.XrRTB1->LetSelText("again ");
    boxes.answer(host::vbNo);
    form.menuSave->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].style, host::vbYesNo | host::vbExclamation);
    EXPECT_TRUE(boxes.shown()[0].text.contains("shared")) << boxes.shown()[0].text.toStdString();
    EXPECT_EQ(readFile(path), "the other window's words\n");
    EXPECT_TRUE(form.XrRTB1->HasRTBChanged());

    // The close's save step asks too, and Yes writes.
    boxes.answer(host::vbYes);
    boxes.answer(host::vbYes);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(readFile(path), "mine again first\n");
}

TEST_F(FileCommands, TheDocumentTypeIsTheTypeTheFileWasLoadedAs)
{
    const QByteArray source("{\\rtf1\\ansi caf\\'e9 {\\b bold}\\par}");
    const QString rtf = writeFile("source.rtf", source);
    app::Form1& form = load();
    dialogs.answer(host::DialogAnswer::file(rtf, 3));
    form.menuOpen->trigger();
    EXPECT_EQ(form.documentType(), app::rtfText);
    EXPECT_EQ(form.XrRTB1->Text(), QString::fromLatin1(source));
    // Saved as the text it was read as: the bytes keep their meaning.
    bool changed = true;
    form.XrRTB1->SetRTBChanged(changed);
    form.menuSave->trigger();
    EXPECT_EQ(readFile(rtf), source);

    const QString own = writeFile("notes.wmdf", "plain words, no RTF");
    dialogs.answer(host::DialogAnswer::file(own, 3));
    form.menuOpen->trigger();
    EXPECT_EQ(form.documentType(), app::rtfText);
    dialogs.answer(host::DialogAnswer::file(rtf, 2));
    form.menuOpen->trigger();
    EXPECT_EQ(form.documentType(), app::rtfRTF);
}

TEST_F(FileCommands, ATextFileOpenedThroughAnyEntryIsSavedBackAsText)
{
    const QByteArray words("caf\xC3\xA9 {not \\rtf}\r\nsecond line");
    app::Form1& form = load();
    for (const int entry : {1, 2, 3}) {
        const QString path = writeFile("utf8.txt", words);
        dialogs.answer(host::DialogAnswer::file(path, entry));
        form.menuOpen->trigger();
        EXPECT_EQ(form.documentType(), app::rtfText) << entry;
        EXPECT_EQ(form.windowTitle(), "utf8.txt - Wexmoor Scrivet") << entry;
        form.XrRTB1->LetSelStart(int32_t(form.XrRTB1->Text().size()));
        form.XrRTB1->LetSelText("!");
        form.menuSave->trigger();
        EXPECT_EQ(readFile(path), words + "!") << entry;
    }

    // RTF read leniently from a damaged file keeps the file's own name and type.
    const QString damaged = writeFile("damaged.rtf", "{\\rtf1\\ansi {\\b bold} words\\par");
    dialogs.answer(host::DialogAnswer::file(damaged, 1));
    form.menuOpen->trigger();
    EXPECT_EQ(form.XrRTB1->Text(), "bold words");
    EXPECT_EQ(form.documentType(), app::rtfRTF);
    EXPECT_EQ(form.windowTitle(), "damaged.rtf - Wexmoor Scrivet");
}

TEST_F(FileCommands, SaveAsWritesWhatTheEntrySaysAndEveryLaterSaveWritesTheSame)
{
    app::Form1& form = load();
    XrRTB& control = *form.XrRTB1;
    for (const bool rtfSaving : {true, false}) {
        control.LetAllowRTFSave(rtfSaving);
        const int textEntry = rtfSaving ? 3 : 2;
        for (const QString name : {"x.wmdf", "x.rtf", "x.txt"}) {
            for (int entry = 1; entry <= textEntry; ++entry) {
                const QString path =
                    appData.filePath(QString("%1%2-%3").arg(rtfSaving).arg(entry).arg(name));
                const std::string context = path.toStdString();
                const bool asText = entry == textEntry;
                control.LetText("bold words");
                control.LetSelStart(0);
                control.LetSelLength(4);
                control.LetSelBold(true);
                // A formatted document saved as text asks first; the fake answers Yes.
                dialogs.answer(host::DialogAnswer::file(path, entry));
                form.menuSaveas->trigger();
                ASSERT_EQ(readFile(path).startsWith("{\\rtf1"), !asText) << context;

                // An RTF document may not be saved as RTF while RTF saving is off: no Save.
                const bool rtfRefused = form.documentType() == app::rtfRTF && !rtfSaving;
                EXPECT_EQ(form.menuSave->isEnabled(), !rtfRefused) << context;
                control.LetSelStart(10);
                control.LetSelText(" more");
                form.menuSave->trigger();
                EXPECT_EQ(readFile(path).startsWith("{\\rtf1"), !asText) << context;
                EXPECT_EQ(control.HasRTBChanged(), rtfRefused) << context;

                bool changed = false;
                control.SetRTBChanged(changed);
                dialogs.answer(host::DialogAnswer::file(path, 1));
                form.menuOpen->trigger();
                EXPECT_EQ(control.Text(), rtfRefused ? "bold words" : "bold words more") << context;
                control.LetSelStart(0);
                control.LetSelLength(4);
                EXPECT_EQ(control.SelBold(), !asText) << context;
            }
        }
    }
}

TEST_F(CloseQuestion, NothingIsAskedAfterASuccessfulSaveAsOrTheAboutWindow)
{
    for (const int entry : {1, 2}) {
        app::Form1& form = changedDocument("to be kept");
        dialogs.answer(
            host::DialogAnswer::file(appData.filePath(QString("kept%1.any").arg(entry)), entry));
        form.menuSaveas->trigger();
        EXPECT_FALSE(form.XrRTB1->HasRTBChanged()) << entry;
        EXPECT_TRUE(form.close());
        EXPECT_TRUE(boxes.shown().empty()) << entry;
    }

    app::Form1& form = load();
    QTimer::singleShot(0, [] {
        if (QWidget* about = QApplication::activeModalWidget())
            about->close();
    });
    form.menuAbout->trigger();
    form.menuGeneralHelp->trigger();
    EXPECT_FALSE(form.XrRTB1->HasRTBChanged());
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(FileCommands, AStoredWindowSizeIsCutToTheScreen)
{
    store("APPWIDTH", "2147483647");
    store("APPHEIGHT", "2147483647");
    app::Form1& form = load();
    const QSize screen = form.screen()->availableGeometry().size();
    EXPECT_LE(form.width(), screen.width());
    EXPECT_LE(form.height(), screen.height());
}

}  // namespace
