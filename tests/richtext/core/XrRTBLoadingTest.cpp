// Loading documents into the control: the in-use refusal, the types, the clean-up pass and
// its events.
#include "tests/richtext/core/XrRTBTestSupport.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/SignalRecorder.h"
#include "tests/support/TempFolder.h"

#include <fcntl.h>
#include <unistd.h>
#include <QBuffer>
#include <QFile>
#include <QImage>

using testsupport::editingWindow;

namespace {

// The command bracket among the recorded events.
QStringList bracket(const testsupport::SignalRecorder& events)
{
    QStringList names = events.names();
    names.removeIf([](const QString& name) {
        return name != u"Begin" && name != u"Finish" && name != u"Ready";
    });
    return names;
}

class XrRTBLoadingTest : public testsupport::XrRTBTestBase {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // Loads with both out-arguments, answering whether OpenSuccess was set.
    bool load(const QString& path, QFileType type, bool links = false)
    {
        bool success = false;
        m_control.LoadFile(path, type, links, success);
        return success;
    }

    testsupport::TempFolder m_folder;
    testsupport::FakeMessageBoxes m_boxes;
    XrRTB m_control;
};

const QByteArray TaggedRtf(
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 keep \\ul <tag>\\ulnone  and "
    "<plain> and \\u216?\\u216? mine\\ul  <b>\\ulnone\\par}");

}  // namespace

TEST_F(XrRTBLoadingTest, RtfLoadRaisesTheBracketAndLinksAddresses)
{
    const QString path = write(QStringLiteral("doc.rtf"),
                               "{\\rtf1\\ansi Visit www.example.com or mail a@b.org\\par}");
    m_control.LetSelStart(0);
    testsupport::SignalRecorder events(&m_control);
    EXPECT_TRUE(load(path, rtfRTF));
    EXPECT_EQ(m_control.Text(), u"Visit www.example.com or mail a@b.org");
    EXPECT_EQ(m_control.SelStart(), 0);
    EXPECT_EQ(bracket(events), (QStringList{"Begin", "Finish", "Ready"}));
    const auto& document = editingWindow(m_control).engine().document();
    EXPECT_EQ(document.formatAt(8).lcid, richedit::LinkLcid);
    EXPECT_EQ(document.formatAt(32).lcid, richedit::LinkLcid);
    EXPECT_EQ(document.formatAt(2).lcid, richedit::PlainLcid);
    EXPECT_FALSE(editingWindow(m_control).engine().canUndo());
}

TEST_F(XrRTBLoadingTest, FileHeldByAnotherProgramIsRefused)
{
    const QString path = write(QStringLiteral("held.rtf"), "{\\rtf1 held\\par}");
    m_control.LetText(QStringLiteral("before"));
    const int holder = ::open(QFile::encodeName(path).constData(), O_RDWR);
    ASSERT_GE(holder, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(holder, F_OFD_SETLK, &lock), 0);

    testsupport::SignalRecorder events(&m_control);
    EXPECT_FALSE(load(path, rtfRTF));
    ::close(holder);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].title, u"File is Already Open");
    EXPECT_EQ(m_boxes.shown()[0].text,
              u"File: held.rtf is being used by another "
              u"application.\r\nCannot open file already in use.");
    EXPECT_EQ(m_boxes.shown()[0].style, 64);
    EXPECT_TRUE(bracket(events).isEmpty());
    EXPECT_EQ(m_control.Text(), u"before");

    // A read-only file nobody holds is loaded.
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    EXPECT_TRUE(load(path, rtfRTF));
    EXPECT_EQ(m_control.Text(), u"held");
}

TEST_F(XrRTBLoadingTest, UnderlinedTagsGoAndEverythingElseStays)
{
    const QString path = write(QStringLiteral("tags.rtf"), TaggedRtf);
    EXPECT_TRUE(load(path, rtfRTF));
    // The user's own filler-like characters survive; a one-letter tag is too short to go.
    EXPECT_EQ(m_control.Text(), QString::fromUtf8("keep  and <plain> and ØØ mine <b>"));

    // The own type is loaded without the clean-up pass.
    const QString own = write(QStringLiteral("tags.wmdf"), TaggedRtf);
    EXPECT_TRUE(load(own, rtfWXF));
    EXPECT_EQ(m_control.Text(), QString::fromUtf8("keep <tag> and <plain> and ØØ mine <b>"));

    // So is RTF with the clean-up switched off.
    m_control.LetRemoveUnUsableData(false);
    EXPECT_TRUE(load(path, rtfRTF));
    EXPECT_TRUE(m_control.Text().contains(QStringLiteral("<tag>")));
}

TEST_F(XrRTBLoadingTest, RefusedPicturesGoWithoutTheirNeighbours)
{
    QImage pixel(2, 2, QImage::Format_RGB32);
    pixel.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pixel.save(&buffer, "PNG");
    const QString path =
        write(QStringLiteral("picture.rtf"), "{\\rtf1\\ansi before{\\pict\\pngblip\\picw2\\pich2 " +
                                                 png.toHex() + "}after words\\par}");
    m_control.LetAllowImages(false);
    EXPECT_TRUE(load(path, rtfRTF));
    EXPECT_EQ(m_control.Text(), u"beforeafter words");
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].title, u"Invalid Image");
    EXPECT_EQ(m_boxes.shown()[0].text,
              u"Unable to load image. Try again without image for best results.");

    m_control.LetAllowImages(true);
    EXPECT_TRUE(load(path, rtfRTF));
    EXPECT_EQ(m_control.Text().size(), 18);
    EXPECT_EQ(m_boxes.shown().size(), 1u);
}

TEST_F(XrRTBLoadingTest, PlainTextTakesTheControlsFaceAndLinksOnlyWhenAsked)
{
    QFont font = m_control.Font();
    font.setFamily(QStringLiteral("DejaVu Serif"));
    m_control.SetFont(font);
    const QString path = write(QStringLiteral("notes.txt"), "caf\xE9 www.example.com\r\nline 2");
    EXPECT_TRUE(load(path, rtfText));
    EXPECT_EQ(m_control.Text(), QString::fromUtf8("café www.example.com\r\nline 2"));
    m_control.LetSelStart(0);
    EXPECT_EQ(m_control.SelFontName(), u"DejaVu Serif");
    const auto& document = editingWindow(m_control).engine().document();
    EXPECT_EQ(document.formatAt(6).lcid, richedit::PlainLcid);
    EXPECT_TRUE(load(path, rtfText, true));
    EXPECT_EQ(document.formatAt(6).lcid, richedit::LinkLcid);

    // A missing plain-text file is not reported as loaded, yet the bracket closes.
    testsupport::SignalRecorder events(&m_control);
    EXPECT_FALSE(load(m_folder.filePath(QStringLiteral("missing.txt")), rtfText));
    EXPECT_EQ(bracket(events), (QStringList{"Begin", "Finish", "Ready"}));

    // An unreadable RTF file: Begin only, success not reported.
    events.clear();
    EXPECT_FALSE(load(m_folder.filePath(QStringLiteral("missing.rtf")), rtfRTF));
    EXPECT_EQ(bracket(events), QStringList{"Begin"});

    // An unknown type loads nothing but runs the bracket.
    events.clear();
    EXPECT_TRUE(load(path, QFileType(3)));
    EXPECT_EQ(bracket(events), (QStringList{"Begin", "Finish", "Ready"}));
}

TEST_F(XrRTBLoadingTest, NarrowParagraphsAreWidenedAfterLoading)
{
    const QString path =
        write(QStringLiteral("indents.rtf"),
              "{\\rtf1\\ansi\\pard\\li8000\\ri500 narrow\\par\\pard\\li0\\ri500 wide\\par}");
    m_control.LetPrinterMargin(Academic);
    EXPECT_TRUE(load(path, rtfRTF));
    auto& window = editingWindow(m_control);
    window.setSelStart(0);
    const int32_t narrowRight = m_control.SelRightIndent();
    window.setSelStart(8);
    EXPECT_EQ(m_control.SelRightIndent(), 500);
    // Without a printer the offset is 0: -980; with one, its offset widens the paragraph more.
    EXPECT_LE(narrowRight, -980);
}

TEST_F(XrRTBLoadingTest, PlainTextIsDecodedAsTheTextItIs)
{
    const QString words = QString::fromUtf8("café naïve “quoted” €");
    QByteArray utf16le("\xFF\xFE", 2);
    QByteArray utf16be("\xFE\xFF", 2);
    for (const QChar c : words) {
        const char low = char(c.unicode() & 0xFF);
        const char high = char(c.unicode() >> 8);
        utf16le.append(low).append(high);
        utf16be.append(high).append(low);
    }
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"utf8.txt", words.toUtf8()},
        {"marked.txt", "\xEF\xBB\xBF" + words.toUtf8()},
        {"utf16le.txt", utf16le},
        {"utf16be.txt", utf16be},
        {"ansi.txt", "caf\xE9 na\xEFve \x93quoted\x94 \x80"},
        // The end-of-file character sends the file through the window's own loader.
        {"eof.txt", words.toUtf8() + "\x1A"},
    };
    for (const auto& [name, bytes] : files) {
        m_control.LetText(QStringLiteral("before"));
        EXPECT_TRUE(load(write(QString::fromLatin1(name), bytes), rtfText)) << name;
        EXPECT_EQ(m_control.Text(), QString(name) == "eof.txt" ? words + QChar(0x1A) : words)
            << name;
    }
    // A NUL never enters the document.
    EXPECT_TRUE(load(write(QStringLiteral("nul.txt"), QByteArray("a\0b", 3)), rtfText));
    EXPECT_EQ(m_control.Text(), u"ab");
}

TEST_F(XrRTBLoadingTest, ADocumentTooLargeForTheMemoryLeftIsRefusedWhole)
{
    // Two million characters in one paragraph: 2 MB on disk, about 100 MB to hold, clean up
    // and lay out, where the child has 48 MB to spare.
    const QString rtf =
        write(QStringLiteral("long.rtf"), "{\\rtf1\\ansi " + QByteArray(2'000'000, 'w') + "\\par}");
    const QString text = write(QStringLiteral("long.txt"), QByteArray(2'000'000, 'w'));
    const testsupport::ChildOutcome outcome = testsupport::runInChild([this, &rtf, &text] {
        if (!testsupport::limitAddressSpaceTo(48u << 20))
            return QByteArray("no limit");
        QByteArray report;
        for (const auto& [path, type] : {std::pair{rtf, rtfRTF}, std::pair{text, rtfText}}) {
            m_control.LetText(QStringLiteral("mine"));
            const bool loaded = load(path, type);
            report += QByteArray(loaded ? "loaded " : "refused ") + m_control.Text().toUtf8() + ";";
        }
        return report;
    });
    EXPECT_TRUE(outcome.exited) << "ended by signal " << outcome.signal;
    EXPECT_EQ(outcome.output, "refused mine;refused mine;");

    // With memory to spare the same document loads.
    EXPECT_TRUE(load(rtf, rtfRTF));
    EXPECT_EQ(m_control.Text().size(), 2'000'000);
}
