// The editing window's round trips over generated documents: whole-document RTF, selection RTF,
// RTF and plain-text files, and copy then paste keep the text, every position's character
// format, every paragraph format and the pictures.
#include "platform/richedit/model/ParagraphRuns.h"
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/view/Engine.h"

#include "tests/platform/richedit/rtf/RtfRoundTripFormats.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/RandomRichText.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QMimeData>

using namespace richedit;
using testsupport::describe;
using testsupport::keptByRtf;

namespace {

// What a window holds, as the round trips must keep it.
struct Content {
    QString text;
    std::vector<std::string> formats;  // every position 0..L; L is the end mark, LF has none
    std::vector<std::string> paragraphs;
    std::vector<std::string> pictures;  // position, kind, goal size, crops and bytes
};

// `closingMark` is the position of a mark whose underline the writer ends before its closing
// "\par }" line: the end mark of a whole document, the last mark of a selection.
Content contentOf(const Engine& engine, int32_t closingMark = -1)
{
    const Document& document = engine.document();
    Content content;
    content.text = engine.text();
    for (int32_t p = 0; p <= document.length(); ++p) {
        // The second unit of a paragraph end or surrogate pair has no format of its own.
        if (p > 0 && (content.text[p - 1] == u'\r' || content.text[p - 1].isHighSurrogate())) {
            content.formats.push_back("second unit");
            continue;
        }
        CharFormat format = document.formatAt(p);
        if (p == closingMark)
            format.effects &= ~uint32_t(Underline);
        content.formats.push_back(describe(keptByRtf(format)));
    }
    for (int i = 0; i < document.paragraphCount(); ++i) {
        const Paragraph& paragraph = document.paragraph(i);
        content.paragraphs.push_back(describe(keptByRtf(document.paraFormat(paragraph.format))));
        forEachRun(paragraph, 0, int32_t(paragraph.text.size()),
                   [&](const TextRun& run, int32_t start, int32_t) {
                       if (!run.picture)
                           return;
                       const Picture& picture = *run.picture;
                       content.pictures.push_back(
                           QStringLiteral("%1: kind %2 goal %3x%4 crops %5 %6 %7 %8 bytes %9")
                               .arg(document.paragraphStart(i) + start)
                               .arg(int(picture.kind))
                               .arg(picture.goalWidthTw)
                               .arg(picture.goalHeightTw)
                               .arg(picture.cropLeftTw)
                               .arg(picture.cropRightTw)
                               .arg(picture.cropTopTw)
                               .arg(picture.cropBottomTw)
                               .arg(QString::fromLatin1(picture.encoded.toHex()))
                               .toStdString());
                   });
    }
    return content;
}

// Reports the first difference, so that a failing seed points at one character.
void expectSame(const Content& actual, const Content& expected)
{
    ASSERT_EQ(actual.text.toStdU16String(), expected.text.toStdU16String());
    ASSERT_EQ(actual.formats.size(), expected.formats.size());
    for (size_t p = 0; p < expected.formats.size(); ++p)
        ASSERT_EQ(actual.formats[p], expected.formats[p]) << "position " << p;
    ASSERT_EQ(actual.paragraphs.size(), expected.paragraphs.size());
    for (size_t i = 0; i < expected.paragraphs.size(); ++i)
        ASSERT_EQ(actual.paragraphs[i], expected.paragraphs[i]) << "paragraph " << i;
    ASSERT_EQ(actual.pictures, expected.pictures);
}

testsupport::RandomRichText::Options croppedPictures()
{
    testsupport::RandomRichText::Options options;
    options.pictureCrops = true;
    return options;
}

// Documents with random paragraphs, runs, formats, tabs, soft breaks, pictures, lists and
// non-Latin text, built as loaded content and then edited through the window's own members.
class Generator : public testsupport::RandomRichText {
public:
    explicit Generator(unsigned seed) : RandomRichText(seed, croppedPictures()) {}

    void fill(Engine& engine, testsupport::FakeClipboard& clipboard)
    {
        engine.session().replaceDocument(fragment(1 + pick(10)));
        for (int i = 0, n = pick(12); i < n; ++i)
            edit(engine, clipboard);
        engine.setSelStart(0);
    }

    // A random range of the window, snapped as the window snaps it.
    CharRange range(const Engine& engine)
    {
        const int32_t length = engine.document().length();
        int32_t a = pick(length + 1);
        int32_t b = pick(3) == 0 ? a : pick(length + 1);
        a = engine.document().snap(a);
        b = engine.document().snap(b);
        return {std::min(a, b), std::max(a, b)};
    }

private:
    // One change through the window's members, as code and the user make them.
    void edit(Engine& engine, testsupport::FakeClipboard& clipboard)
    {
        const CharRange r = range(engine);
        engine.exSetSel(r);
        switch (pick(9)) {
            case 0:
                engine.setSelBold(pick(2) == 0);
                break;
            case 1:
                engine.setSelColor(color());
                break;
            case 2:
                engine.setSelFontSize(8 + 0.5 * pick(12));
                break;
            case 3:
                engine.setSelText(pick(4) == 0 ? text() + QStringLiteral("\r\n") + text() : text());
                break;
            case 4: {
                ParaFormat change = paraFormat();
                change.mask = pick(2) == 0 ? AllParaFields : Alignment | TabStops | StartIndent;
                engine.setParaFormat(change);
                break;
            }
            case 5:
                engine.setSelBullet(pick(2) == 0);
                break;
            case 6: {
                CharFormat link;
                link.mask = Link | Lcid;
                link.effects = Link;
                link.lcid = LinkLcid;
                engine.setCharFormat(SelectionScope, link);
                break;
            }
            case 7:
                engine.setSelCharOffset(10 * (pick(7) - 3));
                break;
            default: {
                auto* data = new QMimeData;
                QImage image(1 + pick(3), 1 + pick(3), QImage::Format_RGB32);
                image.fill(qRgb(pick(256), pick(256), 7));
                data->setImageData(image);
                clipboard.setMimeData(data);
                engine.paste();
                break;
            }
        }
    }
};

// The position of the paragraph mark a selection text ends with, or -1.
int32_t lastMark(const QString& selected, int32_t start)
{
    return selected.endsWith(QStringLiteral("\r\n")) ? start + int32_t(selected.size()) - 2 : -1;
}

QString withoutPictures(QString text)
{
    return text.remove(QChar(ObjectReplacementCharacter));
}

constexpr unsigned Seeds = 60;

}  // namespace

class EngineRoundTripTest : public ::testing::Test {
protected:
    testsupport::FakeClipboard clipboard;
    testsupport::TempFolder folder;
};

TEST_F(EngineRoundTripTest, TextRtfReadsBackItsOwnOutput)
{
    for (unsigned seed = 1; seed <= Seeds; ++seed) {
        Generator generator(seed);
        Engine original;
        generator.fill(original, clipboard);
        const QString rtf = original.textRtf();
        SCOPED_TRACE(testing::Message() << "seed " << seed << "\n" << rtf.left(6000).toStdString());

        Engine copy;
        copy.setTextRtf(rtf);
        const int32_t end = original.document().length();
        expectSame(contentOf(copy, end), contentOf(original, end));
        if (HasFatalFailure())
            return;
        // Streamed into the document as it is read, or gathered into a fragment first: the same.
        Engine gathered;
        gathered.session().replaceDocument(
            readRtf(original.textRtfBytes(), RtfReadMode::WholeDocument));
        expectSame(contentOf(gathered, end), contentOf(copy, end));
        if (HasFatalFailure())
            return;
        // Once read, the output is a fixed point (the first reading may drop the end mark's
        // underline), and a window reading its own output ends up the same.
        const std::string again = copy.textRtf().toStdString();
        copy.setTextRtf(copy.textRtf());
        EXPECT_EQ(copy.textRtf().toStdString(), again);
        original.setTextRtf(rtf);
        EXPECT_EQ(original.textRtf().toStdString(), again);
    }
}

TEST_F(EngineRoundTripTest, SelRtfPutBackSelectsTheSameText)
{
    for (unsigned seed = 1; seed <= Seeds; ++seed) {
        Generator generator(seed);
        Engine engine;
        generator.fill(engine, clipboard);
        for (int round = 0; round < 6; ++round) {
            const CharRange r = generator.range(engine);
            engine.exSetSel(r);
            const int32_t start = engine.selStart();
            const int32_t oldLength = engine.selLength();
            const QString selected = engine.selText();
            const int32_t mark = lastMark(selected, start);
            const Content before = contentOf(engine, mark);
            const QString rtf = engine.selRtf();
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << " range " << start << "+" << oldLength << "\n"
                         << rtf.left(6000).toStdString());

            engine.setSelRtf(rtf);
            EXPECT_EQ(engine.selStart(), start + oldLength);
            EXPECT_EQ(engine.selLength(), 0);
            expectSame(contentOf(engine, mark), before);
            if (HasFatalFailure())
                return;
            engine.exSetSel({start, start + oldLength});
            EXPECT_EQ(engine.selText(), selected);
        }
    }
}

TEST_F(EngineRoundTripTest, RtfFilesHoldTextRtfAndOneNul)
{
    const QString path = folder.filePath(QStringLiteral("round.rtf"));
    for (unsigned seed = 1; seed <= Seeds; seed += 3) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        Generator generator(seed);
        Engine original;
        generator.fill(original, clipboard);
        ASSERT_FALSE(original.saveFile(path, FileKind::Rtf));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), original.textRtfBytes() + '\0');

        Engine loaded;
        loaded.setText(QStringLiteral("old"));
        ASSERT_FALSE(loaded.loadFile(path, FileKind::Rtf));
        EXPECT_FALSE(loaded.isModified());
        const int32_t end = original.document().length();
        expectSame(contentOf(loaded, end), contentOf(original, end));
        if (HasFatalFailure())
            return;
    }
}

TEST_F(EngineRoundTripTest, TextFilesKeepTheTextWithoutPictures)
{
    const QString path = folder.filePath(QStringLiteral("round.txt"));
    for (unsigned seed = 1; seed <= Seeds; seed += 2) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        Generator generator(seed);
        Engine original;
        generator.fill(original, clipboard);
        ASSERT_FALSE(original.saveFile(path, FileKind::Text));
        const QString expected = withoutPictures(original.text());

        Engine loaded;
        ASSERT_FALSE(loaded.loadFile(path, FileKind::Text));
        EXPECT_EQ(loaded.text().toStdU16String(), expected.toStdU16String());
        // An RTF-kind load of the same file reads it as text too.
        ASSERT_FALSE(loaded.loadFile(path, FileKind::Rtf));
        EXPECT_EQ(loaded.text().toStdU16String(), expected.toStdU16String());
    }
}

TEST_F(EngineRoundTripTest, CopyThenPasteKeepsContentAndPictures)
{
    for (unsigned seed = 1; seed <= Seeds; ++seed) {
        Generator generator(seed);
        Engine engine;
        generator.fill(engine, clipboard);
        for (int round = 0; round < 4; ++round) {
            CharRange r = generator.range(engine);
            if (r.cpMin == r.cpMax)
                r.cpMax = engine.document().snap(r.cpMin + 1);
            engine.exSetSel(r);
            if (engine.selLength() == 0)
                continue;
            const int32_t start = engine.selStart();
            const int32_t length = engine.selLength();
            const int32_t mark = lastMark(engine.selText(), start);
            const Content before = contentOf(engine, mark);
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << " range " << start << "+" << length);
            ASSERT_TRUE(engine.copy());

            // Into an empty window: the same characters in the same formats.
            Engine other;
            ASSERT_TRUE(other.paste());
            ASSERT_EQ(other.text().toStdU16String(), engine.selText().toStdU16String());
            const Content pasted = contentOf(other, lastMark(other.text(), 0));
            for (int32_t p = 0; p < length; ++p)
                ASSERT_EQ(pasted.formats[size_t(p)], before.formats[size_t(start + p)])
                    << "position " << p;

            // Over the selection it came from: nothing changes (protected text refuses it).
            const bool protectedText = engine.selProtected() != std::optional<bool>(false);
            ASSERT_EQ(engine.paste(), !protectedText);
            EXPECT_EQ(engine.caret(), protectedText ? r.cpMax : start + length);
            expectSame(contentOf(engine, mark), before);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(EngineRoundTripTest, TextInFontsOfOtherCharacterSetsKeepsItsCharacters)
{
    // A reader decodes \'hh in the code page of the font's character set, so Western
    // characters in a Cyrillic or Japanese font must not be written as Windows-1252 bytes.
    const QString text = QStringLiteral("caf\u00E9 \u20AC5 \u2019\u0416\u3042");
    for (const uint8_t charset : {uint8_t(0), uint8_t(128), uint8_t(204), uint8_t(238)}) {
        SCOPED_TRACE(testing::Message() << "charset " << int(charset));
        Engine engine;
        engine.setText(text);
        engine.exSetSel({0, -1});
        CharFormat font;
        font.mask = Face | Charset;
        font.face = QStringLiteral("Caf\u00E9 Sans");
        font.charset = charset;
        engine.setCharFormat(SelectionScope, font);
        const QString rtf = engine.textRtf();
        // Western text keeps the byte form where it reads back as written.
        EXPECT_EQ(rtf.contains(QStringLiteral("caf\\'e9")), charset == 0);

        Engine copy;
        copy.setTextRtf(rtf);
        EXPECT_EQ(copy.text(), text);
        copy.exSetSel({0, -1});
        const CharFormat reading = copy.charFormat();
        EXPECT_TRUE(reading.has(Charset));
        EXPECT_EQ(reading.charset, charset);
        EXPECT_EQ(reading.face, font.face);
    }
}

TEST_F(EngineRoundTripTest, RtfStringsKeepCharactersOutsideTheCodePage)
{
    // RTF strings are one character per byte, yet a caller may splice text into them as it
    // stands: characters with a Windows-1252 byte stay bytes, others still read back.
    const QString rtf = QStringLiteral("{\\rtf1\\ansi caf\u00E9 \u20AC \u4E2D\U0001F600\\par }");
    Engine engine;
    engine.setTextRtf(rtf);
    EXPECT_EQ(engine.text(), QStringLiteral("caf\u00E9 \u20AC \u4E2D\U0001F600"));
    engine.setSelStart(5);
    engine.setSelRtf(QStringLiteral("{\\rtf1\\ansi \u0416\\par }"));
    EXPECT_EQ(engine.text(), QStringLiteral("caf\u00E9 \u0416\r\n\u20AC \u4E2D\U0001F600"));
}
