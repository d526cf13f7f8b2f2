// The control's common dialogs: open by filter entry, the encrypted-document refusal, saving
// with its warning and failures, the colour and font dialogs.
#include "tests/richtext/core/XrRTBTestSupport.h"

#include "platform/runtime/VbError.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeCommonDialogs.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/ScopedService.h"
#include "tests/support/SignalRecorder.h"
#include "tests/support/TempFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>

using testsupport::editingWindow;

namespace {

class XrRTBDialogsTest : public testsupport::XrRTBTestBase {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    struct Opened {
        QString name;
        int16_t index = 0;
        int16_t error = 0;
        bool success = false;
    };
    Opened open(bool textLinks = false)
    {
        Opened result;
        int16_t show = 0;
        result.name = m_control.CommonDialogFileOpen(QString(), QString(), textLinks, show,
                                                     result.index, result.error, result.success);
        return result;
    }
    struct Saved {
        QString name;
        int16_t index = 0;
        int16_t error = 0;
        bool success = false;
    };
    Saved save(bool prompt = true)
    {
        Saved result;
        int16_t show = 0;
        result.name = m_control.CommonDialogFileSave(
            QString(), QString(), prompt, QString(), show, result.index, result.error,
            QStringLiteral("Save File..."), result.success);
        return result;
    }

    testsupport::TempFolder m_folder;
    testsupport::FakeCommonDialogs m_dialogs;
    testsupport::FakeMessageBoxes m_boxes;
    XrRTB m_control;
};

const QString DocumentFilter = QStringLiteral(
    "Wexmoor Document File (*.wmdf)|*.wmdf|RichText Format (*.rtf)|*.rtf|Text Files (*.txt)|*.txt");

}  // namespace

TEST_F(XrRTBDialogsTest, OpenLoadsByTheChosenFilterEntry)
{
    // The same RTF bytes, read as RTF (entries 1 and 2) or as text (entry 3).
    const QString path = write(QStringLiteral("any.name"), "{\\rtf1\\ansi hello\\par}");
    m_control.SaveSpecialUndoData();
    m_dialogs.answer(host::DialogAnswer::file(path, 2));
    testsupport::SignalRecorder events(&m_control);
    Opened opened = open();
    EXPECT_EQ(opened.name, path);
    EXPECT_EQ(opened.index, 2);
    EXPECT_TRUE(opened.success);
    EXPECT_EQ(m_control.Text(), u"hello");
    EXPECT_FALSE(m_control.HasRTBChanged());
    EXPECT_FALSE(m_control.GetCanUndoSpecial());
    EXPECT_EQ(m_dialogs.last().title, u"Select File...");
    EXPECT_EQ(m_dialogs.last().filter, DocumentFilter);
    EXPECT_EQ(m_dialogs.last().flags, 4100);
    QStringList bracket = events.names();
    bracket.removeIf(
        [](const QString& n) { return n != u"Begin" && n != u"Finish" && n != u"Ready"; });
    EXPECT_EQ(bracket, (QStringList{"Begin", "Finish", "Ready", "Finish", "Ready"}));

    m_dialogs.answer(host::DialogAnswer::file(path, 1));
    opened = open();
    EXPECT_EQ(opened.index, 1);
    EXPECT_EQ(m_control.Text(), u"hello");

    m_dialogs.answer(host::DialogAnswer::file(path, 3));
    opened = open();
    EXPECT_EQ(opened.index, 3);
    EXPECT_EQ(m_control.Text(), u"{\\rtf1\\ansi hello\\par}");
}

TEST_F(XrRTBDialogsTest, CancelAndEncryptedFiles)
{
    m_control.LetText(QStringLiteral("unchanged"));
    m_dialogs.answerCancel();
    Opened opened = open();
    EXPECT_EQ(opened.error, 32755);
    EXPECT_FALSE(opened.success);
    EXPECT_EQ(m_control.Text(), u"unchanged");

    const QString locked = write(QStringLiteral("secret.wmdf"), "xreS\x01\x02 ciphered");
    m_dialogs.answer(host::DialogAnswer::file(locked, 1));
    testsupport::SignalRecorder events(&m_control);
    opened = open();
    EXPECT_EQ(opened.name, locked);
    EXPECT_EQ(opened.index, 1);
    EXPECT_FALSE(opened.success);
    EXPECT_EQ(m_control.Text(), u"unchanged");
    EXPECT_TRUE(events.names().isEmpty());

    EXPECT_TRUE(m_control.IsFileEncrypted(locked));
    EXPECT_FALSE(m_control.IsFileEncrypted(write(QStringLiteral("upper"), "XRES rest")));
    EXPECT_FALSE(m_control.IsFileEncrypted(write(QStringLiteral("short"), "xre")));
    EXPECT_FALSE(m_control.IsFileEncrypted(QString()));

    // A decrypted copy is loaded by its index.
    const QString plain = write(QStringLiteral("plain.wmdf"), "{\\rtf1 opened\\par}");
    bool links = false;
    bool success = false;
    int16_t error = 0;
    m_control.OpenDecryptedFile(plain, 1, links, success, error);
    EXPECT_TRUE(success);
    EXPECT_EQ(m_control.Text(), u"opened");
}

TEST_F(XrRTBDialogsTest, SaveWritesByEntryAndWarnsBeforeLosingFormatting)
{
    m_control.LetText(QStringLiteral("plain words"));
    const QString target = m_folder.filePath(QStringLiteral("new.txt"));
    // Without RTF saving the second entry is text; the name need not exist yet.
    m_dialogs.answer(host::DialogAnswer::file(target, 2));
    Saved saved = save();
    EXPECT_EQ(m_dialogs.last().flags, 6);
    EXPECT_EQ(m_dialogs.last().filter,
              u"Wexmoor Document File (*.wmdf)|*.wmdf|Text Files (*.txt)|*.txt");
    EXPECT_TRUE(saved.success);
    EXPECT_EQ(saved.index, 2);
    EXPECT_EQ(read(target), "plain words");
    EXPECT_TRUE(m_boxes.shown().empty());

    // A formatted document asks first; No writes nothing and still returns the name.
    m_control.LetSelStart(0);
    m_control.LetSelLength(5);
    m_control.LetSelBold(true);
    const QString other = m_folder.filePath(QStringLiteral("other.txt"));
    m_dialogs.answer(host::DialogAnswer::file(other, 2));
    m_boxes.answer(host::vbNo);
    saved = save(false);
    EXPECT_EQ(m_dialogs.last().flags, 4);
    EXPECT_EQ(saved.name, other);
    EXPECT_FALSE(saved.success);
    EXPECT_FALSE(QFile::exists(other));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].title, u"Wexmoor Scrivet");
    EXPECT_EQ(m_boxes.shown()[0].style, 4);
    EXPECT_TRUE(m_boxes.shown()[0].text.startsWith(
        u"Saving this document as a ''Text File'' will cause formatting to be lost.\r\n"));

    // With RTF saving the first two entries write RTF.
    m_control.LetAllowRTFSave(true);
    const QString rich = m_folder.filePath(QStringLiteral("rich.rtf"));
    m_dialogs.answer(host::DialogAnswer::file(rich, 2));
    saved = save();
    EXPECT_TRUE(saved.success);
    EXPECT_TRUE(read(rich).startsWith("{\\rtf1"));
    EXPECT_EQ(m_dialogs.last().filter, DocumentFilter);

    m_dialogs.answerCancel();
    saved = save();
    EXPECT_EQ(saved.error, 32755);
    EXPECT_FALSE(saved.success);
}

TEST_F(XrRTBDialogsTest, FailedWriteKeepsTheOldFileAndSaysWhy)
{
    const QString path = write(QStringLiteral("doc.rtf"), "old bytes");
    m_control.LetText(QStringLiteral("a new text longer than the file size limit below"));
    // A file-size limit makes every write past 16 bytes fail, for any user; the signal it
    // raises keeps its default action, which would end the program.
    const testsupport::ChildOutcome outcome = testsupport::runInChild([this, &path] {
        if (!testsupport::limitFileSizeTo(16))
            return QByteArray("no limit");
        const bool saved = m_control.SaveFile(path);
        m_dialogs.answer(host::DialogAnswer::file(path, 1));
        const Saved throughDialog = save();
        QByteArray report = saved ? "saved" : "failed";
        report += throughDialog.success ? " saved" : " failed";
        for (const host::MessageBoxRequest& box : m_boxes.shown())
            report += "|" + box.title.toUtf8() + ":" + box.text.toUtf8() + ":" +
                      QByteArray::number(box.style);
        return report;
    });
    EXPECT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
    const QByteArray box =
        "File Access Error 75:Cannot Save File an error has occured!\r\nThe "
        "file is too large (a file-size limit was reached).:64";
    EXPECT_EQ(outcome.output, "failed failed|" + box + "|" + box);
    EXPECT_EQ(read(path), "old bytes");
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.rtf"})
        << "no temporary file is left beside it";

    // A folder that is gone since the document was opened.
    EXPECT_FALSE(m_control.SaveFile(m_folder.filePath(QStringLiteral("gone/doc.rtf"))));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text,
              u"Cannot Save File an error has occured!\r\nThe file or "
              u"its folder does not exist.");
}

TEST_F(XrRTBDialogsTest, ReadOnlyFileIsReportedAsSuch)
{
    const QString path = write(QStringLiteral("doc.rtf"), "old bytes");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    m_control.LetText(QStringLiteral("new text"));
    EXPECT_FALSE(m_control.SaveFile(path));
    EXPECT_EQ(read(path), "old bytes");
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text, u"Cannot Rewrite or Save: File is Read-only");
    EXPECT_EQ(m_boxes.shown()[0].title, u"File is Read-only");
}

TEST_F(XrRTBDialogsTest, ReadOnlyFolderIsReported)
{
    const QString folder = m_folder.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/doc.rtf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old bytes");
    file.close();
    testsupport::openToEveryone(m_folder.path());
    ::chmod(QFile::encodeName(folder).constData(), 0555);

    m_control.LetText(QStringLiteral("new text"));
    const testsupport::ChildOutcome outcome = testsupport::runInChild(
        [this, &path] {
            const bool saved = m_control.SaveFile(path);
            QByteArray report = saved ? "saved" : "failed";
            for (const host::MessageBoxRequest& box : m_boxes.shown())
                report += "|" + box.title.toUtf8() + ":" + box.text.toUtf8();
            return report;
        },
        true);
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    EXPECT_EQ(read(path), "old bytes");
    EXPECT_EQ(outcome.output,
              "failed|File Access Error 75:Cannot Save File an error has occured!\r\nPermission "
              "denied: the folder does not allow a new file beside this one, which saving needs.");
}

TEST_F(XrRTBDialogsTest, AFailedOpenKeepsTheDocumentAndItsChangedState)
{
    m_control.LetText(QStringLiteral("my unsaved words"));
    bool changed = true;
    m_control.SetRTBChanged(changed);
    m_control.SaveSpecialUndoData();

    // Binary data read as RTF is no document.
    const QString binary = write(QStringLiteral("photo.rtf"), QByteArray("\x89PNG\0\0\x01\x02", 8));
    m_dialogs.answer(host::DialogAnswer::file(binary, 2));
    Opened opened = open();
    EXPECT_FALSE(opened.success);
    EXPECT_EQ(opened.error, 321);
    EXPECT_EQ(m_control.Text(), u"my unsaved words");
    EXPECT_TRUE(m_control.HasRTBChanged());
    EXPECT_TRUE(m_control.GetCanUndoSpecial());

    // Held by another program: refused with its message, the document unchanged.
    const QString held = write(QStringLiteral("held.wmdf"), "{\\rtf1 theirs\\par}");
    const int holder = ::open(QFile::encodeName(held).constData(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(holder, F_OFD_SETLK, &lock), 0);
    m_dialogs.answer(host::DialogAnswer::file(held, 1));
    opened = open();
    ::close(holder);
    EXPECT_FALSE(opened.success);
    EXPECT_EQ(m_control.Text(), u"my unsaved words");
    EXPECT_TRUE(m_control.HasRTBChanged());

    // Unreadable for the user: told apart from a damaged file.
    testsupport::openToEveryone(m_folder.path());
    const QString unreadable = write(QStringLiteral("private.txt"), "secret");
    ::chmod(QFile::encodeName(unreadable).constData(), 0200);
    const testsupport::ChildOutcome outcome = testsupport::runInChild(
        [this, &unreadable] {
            m_dialogs.answer(host::DialogAnswer::file(unreadable, 3));
            const Opened refused = open();
            return QByteArray::number(refused.error) +
                   (refused.success ? " loaded " : " refused ") + m_control.Text().toUtf8();
        },
        true);
    EXPECT_EQ(outcome.output, "70 refused my unsaved words");

    // A good file still opens, and only then is the document unchanged.
    const QString good = write(QStringLiteral("good.rtf"), "{\\rtf1 theirs\\par}");
    m_dialogs.answer(host::DialogAnswer::file(good, 2));
    opened = open();
    EXPECT_TRUE(opened.success);
    EXPECT_EQ(m_control.Text(), u"theirs");
    EXPECT_FALSE(m_control.HasRTBChanged());
}

TEST_F(XrRTBDialogsTest, ColourAndFontDialogs)
{
    m_control.LetText(QStringLiteral("colour me"));
    m_control.LetSelStart(0);
    m_control.LetSelLength(6);

    m_dialogs.answer(host::DialogAnswer::withColor(0x0000FF));
    EXPECT_EQ(m_control.CommonDialogFontColor(0x00FF00), 0x0000FFu);
    EXPECT_EQ(m_dialogs.last().flags, 3);
    EXPECT_EQ(m_dialogs.last().color, 0x00FF00u);
    EXPECT_EQ(m_control.SelColor(), 0x0000FFu);

    // The two selection-colour members answer alike and apply nothing.
    m_dialogs.answer(host::DialogAnswer::withColor(0x123456));
    m_dialogs.answer(host::DialogAnswer::withColor(0x123456));
    EXPECT_EQ(m_control.CommonDialogSelFontColor(1), 0x123456u);
    EXPECT_EQ(m_control.CommonDialogSelColor(1), 0x123456u);
    m_dialogs.answerCancel();
    int16_t error = 0;
    EXPECT_EQ(m_control.CommonDialogSelColor(7, error), 7u);
    EXPECT_EQ(error, 32755);
    EXPECT_EQ(m_control.SelColor(), 0x0000FFu);

    bool cancelled = false;
    m_dialogs.answerCancel();
    EXPECT_EQ(m_control.CommonDialogColor(cancelled, true, 0x44), 0x44u);
    EXPECT_TRUE(cancelled);
    m_dialogs.answer(host::DialogAnswer::withColor(0x55));
    EXPECT_EQ(m_control.CommonDialogColor(cancelled, true, 0x44), 0x55u);
    EXPECT_FALSE(cancelled);
    EXPECT_TRUE(m_control.GetCanUndoSpecial());

    // A dialog error other than a cancel goes on with the next statements: the snapshot is
    // taken and the colour the dialog holds comes back.
    {
        class FailingDialogs : public host::CommonDialogService {
        public:
            host::DialogAnswer show(const host::DialogRequest&) override
            {
                vb::raiseError(vb::ErrInvalidPropertyValue);
            }
            testsupport::ScopedService<host::CommonDialogService> scope{host::commonDialogService(),
                                                                        *this};
        } failing;
        RichTextLibraryState::instance().SpecialUndoSnapshot.held = false;
        int16_t error = 0;
        cancelled = true;
        EXPECT_EQ(m_control.CommonDialogColor(cancelled, true, 0x66, error), 0x66u);
        EXPECT_EQ(error, 380);
        EXPECT_FALSE(cancelled);
        EXPECT_TRUE(m_control.GetCanUndoSpecial());
    }

    host::FontChoice font;
    font.name = QStringLiteral("DejaVu Sans");
    font.size = 14;
    font.bold = true;
    m_dialogs.answer(host::DialogAnswer::withFont(font));
    m_control.CommonDialogFontSelect();
    EXPECT_EQ(m_dialogs.last().flags, 3);
    EXPECT_EQ(m_control.SelFontName(), u"DejaVu Sans");
    EXPECT_EQ(m_control.SelFontSize(), 14);
    EXPECT_TRUE(m_control.SelBold());
    EXPECT_FALSE(m_control.SelItalic());
}
