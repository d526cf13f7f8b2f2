// Cut, copy, paste and clear of an editing window over an in-memory clipboard.
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/EngineClipboard.h"

#include "tests/support/FakeClipboard.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMimeData>

using namespace richedit;

namespace {

const QString TextRtf = QStringLiteral("text/rtf");
const QString AppRtf = QStringLiteral("application/rtf");
const QString TextPlain = QStringLiteral("text/plain");

QImage testImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(20 * x, 30 * y, 200, 255));
    }
    return image;
}

bool samePixels(const QImage& a, const QImage& b)
{
    return !a.isNull() &&
           a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

std::shared_ptr<const Picture> pictureAt(const Engine& engine, int32_t position)
{
    const Document& document = engine.document();
    const int index = document.paragraphAt(position);
    int32_t offset = document.paragraphStart(index);
    for (const TextRun& run : document.paragraph(index).runs) {
        if (offset == position && run.picture)
            return run.picture;
        offset += run.length;
    }
    return nullptr;
}

CharFormat effectChange(uint32_t bit, bool on)
{
    CharFormat change;
    change.mask = bit;
    change.effects = on ? bit : 0;
    return change;
}

}  // namespace

class EngineClipboardTest : public ::testing::Test {
protected:
    void putOnClipboard(const QString& mime, const QByteArray& bytes)
    {
        auto* data = new QMimeData;
        data->setData(mime, bytes);
        clipboard.setMimeData(data);
    }
    const QMimeData& contents() { return *clipboard.mimeData(); }
    // Puts an image on the clipboard and pastes it at the selection.
    void pasteImage(const QImage& image)
    {
        auto* data = new QMimeData;
        data->setImageData(image);
        clipboard.setMimeData(data);
        ASSERT_TRUE(engine.paste());
    }

    testsupport::FakeClipboard clipboard;
    Engine engine;
    testsupport::SignalRecorder recorder{&engine};
};

TEST_F(EngineClipboardTest, CopyPutsTheSelectionsRtfTextAndLonePicture)
{
    engine.setText(QStringLiteral("one \u4E2D\u6587\r\ntwo"));
    EXPECT_FALSE(engine.copy());  // empty selection
    EXPECT_EQ(clipboard.writes(), 0);

    engine.exSetSel({0, 3});
    engine.setSelBold(true);
    engine.exSetSel({0, 11});
    engine.emptyUndoBuffer();
    engine.setModified(false);
    ASSERT_TRUE(engine.copy());
    EXPECT_EQ(contents().data(TextRtf), engine.selRtf().toLatin1());
    EXPECT_EQ(contents().data(AppRtf), contents().data(TextRtf));
    EXPECT_EQ(contents().data(TextPlain), QByteArray("one \xE4\xB8\xAD\xE6\x96\x87\r\ntwo"));
    EXPECT_FALSE(contents().hasImage());
    // Copying changes neither the document nor the undo state.
    EXPECT_FALSE(engine.canUndo());
    EXPECT_FALSE(engine.isModified());
    EXPECT_EQ(engine.text(), QStringLiteral("one \u4E2D\u6587\r\ntwo"));

    // Exactly one picture also goes as an image; its text is nothing.
    const QImage image = testImage(3, 2);
    engine.setSelStart(4);
    pasteImage(image);
    engine.exSetSel({4, 5});
    ASSERT_TRUE(engine.copy());
    EXPECT_TRUE(samePixels(qvariant_cast<QImage>(contents().imageData()), image));
    EXPECT_FALSE(contents().hasFormat(TextPlain));
    EXPECT_TRUE(contents().data(TextRtf).contains("{\\pict\\pngblip"));

    // A picture with text around it is rich text and text only.
    engine.exSetSel({3, 6});
    ASSERT_TRUE(engine.copy());
    EXPECT_FALSE(contents().hasImage());
    EXPECT_EQ(contents().data(TextPlain), QByteArray(" \xE4\xB8\xAD"));
}

TEST_F(EngineClipboardTest, CutIsOneUndoStepAndFillsTheClipboardFirst)
{
    engine.setText(QStringLiteral("keep cut keep"));
    engine.exSetSel({5, 9});
    QByteArray seenByChange;
    QObject::connect(&engine, &Engine::changed,
                     [&] { seenByChange = clipboard.mimeData()->data(TextPlain); });
    recorder.clear();
    ASSERT_TRUE(engine.cut());
    EXPECT_EQ(engine.text(), QStringLiteral("keep keep"));
    EXPECT_EQ(seenByChange, QByteArray("cut "));
    EXPECT_EQ(recorder.names(),
              (QStringList{QStringLiteral("changed"), QStringLiteral("selectionChanged")}));
    EXPECT_EQ(engine.selStart(), 5);
    EXPECT_EQ(engine.selLength(), 0);

    ASSERT_TRUE(engine.undo());
    EXPECT_EQ(engine.text(), QStringLiteral("keep cut keep"));
    EXPECT_EQ(engine.selStart(), 5);
    EXPECT_EQ(engine.selLength(), 4);
    ASSERT_TRUE(engine.undo());
    EXPECT_EQ(engine.text(), QStringLiteral("keep keep"));

    EXPECT_FALSE(engine.cut());  // nothing selected: the clipboard keeps its text
    EXPECT_EQ(contents().data(TextPlain), QByteArray("cut "));
}

TEST_F(EngineClipboardTest, LockedWindowsAndProtectedTextRefuseUserCommands)
{
    engine.setText(QStringLiteral("open guarded open"));
    engine.exSetSel({5, 12});
    engine.setCharFormat(SelectionScope, effectChange(Protected, true));
    putOnClipboard(TextPlain, "new");
    const int writes = clipboard.writes();
    const QString before = engine.text();

    // The protected word can be neither cut, cleared nor pasted over, nor can anything be put
    // between two of its characters.
    engine.exSetSel({3, 7});
    EXPECT_FALSE(engine.cut());
    EXPECT_EQ(clipboard.writes(), writes);
    EXPECT_FALSE(engine.clear());
    EXPECT_FALSE(engine.paste());
    engine.setSelStart(8);
    EXPECT_FALSE(engine.paste());
    putOnClipboard(TextRtf, "{\\rtf1 rich}");
    EXPECT_FALSE(engine.paste());
    EXPECT_EQ(engine.text(), before);

    // Next to the protected word is allowed.
    engine.setSelStart(12);
    EXPECT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("open guardedrich open"));

    engine.setReadOnly(true);
    engine.exSetSel({0, 4});
    EXPECT_FALSE(engine.cut());
    EXPECT_FALSE(engine.clear());
    EXPECT_FALSE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("open guardedrich open"));
    EXPECT_EQ(clipboard.mimeData()->data(TextRtf), QByteArray("{\\rtf1 rich}"));
    // Copy is no edit; code still writes.
    EXPECT_TRUE(engine.copy());
    engine.setSelText(QStringLiteral("OPEN"));
    EXPECT_EQ(engine.text(), QStringLiteral("OPEN guardedrich open"));
}

TEST_F(EngineClipboardTest, PastePrefersRtfThenImageThenText)
{
    engine.setText(QStringLiteral("ab"));
    engine.setSelStart(1);

    auto* all = new QMimeData;
    all->setData(TextRtf, "{\\rtf1\\ansi {\\b R}}");
    all->setImageData(testImage(2, 2));
    all->setData(TextPlain, "T");
    clipboard.setMimeData(all);
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("aRb"));
    engine.exSetSel({1, 2});
    EXPECT_EQ(engine.selBold(), std::optional<bool>(true));

    // Without RTF, the image: a PNG picture at 15 twips per pixel.
    auto* imageAndText = new QMimeData;
    imageAndText->setImageData(testImage(4, 3));
    imageAndText->setData(TextPlain, "T");
    clipboard.setMimeData(imageAndText);
    engine.setSelStart(0);
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("\uFFFCaRb"));
    EXPECT_EQ(engine.selStart(), 1);
    const std::shared_ptr<const Picture> picture = pictureAt(engine, 0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->kind, PictureKind::Png);
    EXPECT_TRUE(picture->encoded.startsWith("\x89PNG"));
    EXPECT_EQ(picture->goalWidthTw, 60);
    EXPECT_EQ(picture->goalHeightTw, 45);
    EXPECT_TRUE(samePixels(QImage::fromData(picture->encoded), testImage(4, 3)));

    // Data under an RTF type that is not RTF is passed over for the text.
    auto* badRtf = new QMimeData;
    badRtf->setData(AppRtf, "plain words");
    badRtf->setData(TextPlain, "x\ny");
    clipboard.setMimeData(badRtf);
    engine.setSelStart(engine.text().size());
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("\uFFFCaRbx\r\ny"));
}

// A clipboard with HTML only (what browsers offer) pastes its text as a plain-text paste does,
// one undo step; text/plain wins when both are there.
TEST_F(EngineClipboardTest, HtmlOnlyClipboardPastesItsText)
{
    engine.setText(QStringLiteral("[]"));
    engine.setSelStart(1);
    putOnClipboard(QStringLiteral("text/html"),
                   "<meta charset=\"utf-8\"><p>Caf\xC3\xA9 &amp; <b>bar</b></p><p>next</p>");
    EXPECT_TRUE(engine.canPaste());
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("[Caf\u00e9 & bar\r\nnext]"));
    EXPECT_EQ(engine.selStart(), 17);
    engine.undo();
    EXPECT_EQ(engine.text(), QStringLiteral("[]"));

    auto* both = new QMimeData;
    both->setData(QStringLiteral("text/html"), "<p>html</p>");
    both->setData(TextPlain, "plain");
    clipboard.setMimeData(both);
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("[plain]"));
}

TEST_F(EngineClipboardTest, PasteReplacesTheSelectionAsOneStepWithEvents)
{
    engine.setText(QStringLiteral("start middle end"));
    engine.exSetSel({6, 12});
    putOnClipboard(TextRtf, "{\\rtf1\\ansi first\\par\\qc second\\par third}");
    recorder.clear();
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("start first\r\nsecond\r\nthird end"));
    EXPECT_EQ(recorder.names(),
              (QStringList{QStringLiteral("changed"), QStringLiteral("selectionChanged")}));
    EXPECT_EQ(engine.selStart(), 26);
    EXPECT_EQ(engine.selLength(), 0);
    EXPECT_TRUE(engine.isModified());
    engine.setSelStart(15);
    EXPECT_EQ(engine.selAlignment(), std::optional<int>(2));

    ASSERT_TRUE(engine.undo());
    EXPECT_EQ(engine.text(), QStringLiteral("start middle end"));
    EXPECT_EQ(engine.selStart(), 6);
    EXPECT_EQ(engine.selLength(), 6);
    ASSERT_TRUE(engine.undo());
    EXPECT_EQ(engine.text(), QStringLiteral("start first\r\nsecond\r\nthird end"));
    EXPECT_EQ(engine.caret(), 26);

    // Plain text takes the insertion format: after bold text, bold.
    engine.setText(QStringLiteral("B"));
    engine.exSetSel({0, -1});
    engine.setSelBold(true);
    engine.setSelStart(1);
    putOnClipboard(TextPlain, "more");
    ASSERT_TRUE(engine.paste());
    engine.exSetSel({0, -1});
    EXPECT_EQ(engine.selBold(), std::optional<bool>(true));

    // An empty clipboard pastes nothing and raises nothing.
    clipboard.setMimeData(nullptr);
    recorder.clear();
    EXPECT_FALSE(engine.paste());
    EXPECT_TRUE(recorder.names().isEmpty());
}

TEST_F(EngineClipboardTest, PasteIsCutToFitTheMaximumLength)
{
    engine.setText(QStringLiteral("12"));
    engine.setMaxLength(6);
    engine.setSelStart(2);
    putOnClipboard(TextRtf, "{\\rtf1\\ansi abc\\par def}");
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("12abc"));  // the paragraph end does not fit

    // A surrogate pair is never split.
    engine.setMaxLength(6);
    putOnClipboard(TextRtf, "{\\rtf1\\ansi \\u-10179?\\u-8704?}");
    EXPECT_FALSE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("12abc"));
    engine.setMaxLength(0);
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), QStringLiteral("12abc\U0001F600"));

    // Heads of a fragment by budget.
    const DocumentFragment fragment =
        readRtf("{\\rtf1\\ansi ab\\par\\par cd{\\pict\\pngblip 00}e}", RtfReadMode::Insert);
    ASSERT_EQ(fragmentLength(fragment), 10);
    const struct {
        int64_t room;
        QString text;
    } cases[] = {{0, QString()},
                 {1, QStringLiteral("a")},
                 {3, QStringLiteral("ab")},
                 {4, QStringLiteral("ab\r\n")},
                 {6, QStringLiteral("ab\r\n\r\n")},
                 {8, QStringLiteral("ab\r\n\r\ncd")},
                 {9, QStringLiteral("ab\r\n\r\ncd\uFFFC")},
                 {99, QStringLiteral("ab\r\n\r\ncd\uFFFCe")}};
    for (const auto& c : cases) {
        const DocumentFragment head = fragmentHead(fragment, c.room);
        Document document;
        document.insertFragment(0, head);
        EXPECT_EQ(document.text(), c.text) << "room " << c.room;
        EXPECT_EQ(fragmentLength(head), c.text.size()) << "room " << c.room;
    }
}

TEST_F(EngineClipboardTest, NothingInvisibleComesInThroughAnyDoor)
{
    // A NUL is dropped and half a surrogate pair becomes U+FFFD; a whole pair stays.
    const QString outside = QString("a") + QChar(0) + "b" + QChar(0xD83D) + "c" + QChar(0xDE00) +
                            QString::fromUtf16(u"\U0001F600");
    const QString kept = QString::fromUtf16(u"ab\uFFFDc\uFFFD\U0001F600");
    engine.setText(outside);
    EXPECT_EQ(engine.text(), kept);
    auto* data = new QMimeData;
    data->setText(outside);
    clipboard.setMimeData(data);
    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), kept + kept);
    // Rich text, also a paragraph a producer hands over joined (runs "a\0b" and the rest).
    FragmentParagraph joined{{{}, {}}, defaultParaFormat(), defaultCharFormat()};
    joined.textJoined = true;
    joined.joinedText = outside;
    joined.runLengths = {3, int32_t(outside.size()) - 3};
    engine.setText(QString());
    engine.session().replaceSelWithFragment(DocumentFragment{{std::move(joined)}});
    EXPECT_EQ(engine.text(), kept + "\r\n");
}

TEST_F(EngineClipboardTest, CanPasteAnyOfTheThreeKinds)
{
    EXPECT_FALSE(engine.canPaste());
    putOnClipboard(QStringLiteral("text/uri-list"), "file:///tmp/x");
    EXPECT_FALSE(engine.canPaste());
    putOnClipboard(TextPlain, "t");
    EXPECT_TRUE(engine.canPaste());
    putOnClipboard(AppRtf, "{\\rtf1 x}");
    EXPECT_TRUE(engine.canPaste());
    auto* image = new QMimeData;
    image->setImageData(testImage(1, 1));
    clipboard.setMimeData(image);
    EXPECT_TRUE(engine.canPaste());
}

TEST_F(EngineClipboardTest, SelectAllThenCopyGivesBackWhatWasPasted)
{
    // Rich text copied from another window, a picture included.
    Engine source;
    source.setText(QStringLiteral("title\r\n\r\nbody \u00E9\u4E2D\r\n"));
    source.exSetSel({0, 5});
    source.setSelUnderline(true);
    source.setSelColor(0x0000FF);
    auto* picture = new QMimeData;
    picture->setImageData(testImage(5, 4));
    clipboard.setMimeData(picture);
    source.setSelStart(7);
    ASSERT_TRUE(source.paste());
    source.exSetSel({0, -1});
    ASSERT_TRUE(source.copy());
    const QByteArray copied = contents().data(TextRtf);

    ASSERT_TRUE(engine.paste());
    EXPECT_EQ(engine.text(), source.text());
    engine.exSetSel({0, -1});
    ASSERT_TRUE(engine.copy());
    EXPECT_EQ(contents().data(TextRtf), copied);

    // A pasted image comes back as the same image.
    Engine holder;
    const QImage image = testImage(6, 2);
    auto* data = new QMimeData;
    data->setImageData(image);
    clipboard.setMimeData(data);
    ASSERT_TRUE(holder.paste());
    holder.exSetSel({0, -1});
    ASSERT_TRUE(holder.copy());
    EXPECT_TRUE(samePixels(qvariant_cast<QImage>(contents().imageData()), image));

    // A holder kept all selected takes the next paste in place of what it held.
    putOnClipboard(TextRtf, copied);
    ASSERT_TRUE(holder.paste());
    holder.exSetSel({0, -1});
    ASSERT_TRUE(holder.copy());
    EXPECT_EQ(contents().data(TextRtf), copied);
}
