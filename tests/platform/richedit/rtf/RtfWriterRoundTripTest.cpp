// Writing a fragment and reading it back gives the same text, character formats and paragraph
// formats, over generated documents with every kind of content.
#include "platform/richedit/picture/PictureBytes.h"
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/rtf/RtfWriter.h"

#include "tests/platform/richedit/rtf/RtfRoundTripFormats.h"
#include "tests/support/RandomRichText.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace richedit;
using testsupport::describe;
using testsupport::keptByRtf;

namespace {

// One character with the format it has; a picture counts one.
struct Cell {
    char16_t unit;
    CharFormat format;
    QByteArray picture;
    QSize pictureGoal;
};

// The writer stores a bitmap or metafile that decodes as PNG.
QByteArray storedBytes(const Picture& picture)
{
    if (picture.kind == PictureKind::Png || picture.kind == PictureKind::Jpeg)
        return picture.encoded;
    const PngPicture converted = pictureAsPng(picture.encoded, picture.kind);
    return converted.png.isEmpty() ? picture.encoded : converted.png;
}

std::vector<Cell> cells(const FragmentParagraph& paragraph)
{
    std::vector<Cell> result;
    for (const FragmentRun& run : paragraph.runs) {
        for (const QChar c : run.text) {
            Cell cell{c.unicode(), keptByRtf(run.format), {}, {}};
            if (run.picture) {
                cell.picture = storedBytes(*run.picture);
                cell.pictureGoal = {run.picture->goalWidthTw, run.picture->goalHeightTw};
            }
            result.push_back(cell);
        }
    }
    return result;
}

// Compares paragraph by paragraph and character by character, reporting the first difference.
void expectSameContent(const DocumentFragment& expected, const DocumentFragment& actual,
                       bool endMarkUnderline)
{
    ASSERT_EQ(actual.paragraphs.size(), expected.paragraphs.size());
    for (std::size_t p = 0; p < expected.paragraphs.size(); ++p) {
        const FragmentParagraph& want = expected.paragraphs[p];
        const FragmentParagraph& got = actual.paragraphs[p];
        ASSERT_EQ(describe(keptByRtf(got.format)), describe(keptByRtf(want.format)))
            << "paragraph " << p;
        ASSERT_EQ(got.hasMark, want.hasMark) << "paragraph " << p;
        const std::vector<Cell> wantCells = cells(want);
        const std::vector<Cell> gotCells = cells(got);
        ASSERT_EQ(gotCells.size(), wantCells.size()) << "paragraph " << p;
        for (std::size_t i = 0; i < wantCells.size(); ++i) {
            ASSERT_EQ(gotCells[i].unit, wantCells[i].unit) << "paragraph " << p << " char " << i;
            ASSERT_EQ(describe(gotCells[i].format), describe(wantCells[i].format))
                << "paragraph " << p << " char " << i;
            ASSERT_EQ(gotCells[i].picture, wantCells[i].picture)
                << "paragraph " << p << " char " << i;
            ASSERT_EQ(gotCells[i].pictureGoal, wantCells[i].pictureGoal)
                << "paragraph " << p << " char " << i;
        }
        if (!want.hasMark)
            continue;
        CharFormat mark = keptByRtf(want.markFormat);
        if (p + 1 == expected.paragraphs.size() && !endMarkUnderline)
            mark.effects &= ~Underline;
        ASSERT_EQ(describe(keptByRtf(got.markFormat)), describe(mark)) << "mark of paragraph " << p;
    }
}

}  // namespace

TEST(RtfWriterRoundTripTest, WholeDocumentsReadBackUnchanged)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        testsupport::RandomRichText generator(seed);
        const DocumentFragment document = generator.fragment(1 + generator.pick(12));
        const QByteArray rtf = writeRtf(document, RtfWriteMode::WholeDocument);
        SCOPED_TRACE(testing::Message() << "seed " << seed << "\n" << rtf.left(4000).constData());
        expectSameContent(document, readRtf(rtf, RtfReadMode::WholeDocument), false);
        if (HasFatalFailure())
            return;
    }
}

// What other writers give, once read, survives our writer: code pages, Unicode, pictures,
// fields, tables, lists and damaged files.
TEST(RtfWriterRoundTripTest, SampleDocumentsReadBackUnchanged)
{
    const QDir samples(
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../../data/rtf")));
    const QStringList names = samples.entryList({QStringLiteral("*.rtf")});
    ASSERT_GE(names.size(), 20);
    for (const QString& name : names) {
        QFile file(samples.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const DocumentFragment document = readRtf(file.readAll(), RtfReadMode::WholeDocument);
        const QByteArray rtf = writeRtf(document, RtfWriteMode::WholeDocument);
        SCOPED_TRACE(testing::Message() << name.toStdString() << "\n"
                                        << rtf.left(4000).constData());
        expectSameContent(document, readRtf(rtf, RtfReadMode::WholeDocument), true);
        if (HasFatalFailure())
            return;
    }
}

TEST(RtfWriterRoundTripTest, SelectionsReadBackAsInsertions)
{
    for (unsigned seed = 100; seed <= 130; ++seed) {
        testsupport::RandomRichText generator(seed);
        DocumentFragment selection = generator.fragment(1 + generator.pick(6));
        const bool endsInside = generator.pick(2) == 0 && !selection.paragraphs.back().runs.empty();
        selection.paragraphs.back().hasMark = !endsInside;
        const QByteArray rtf = writeRtf(selection, RtfWriteMode::Selection);
        SCOPED_TRACE(testing::Message() << "seed " << seed << "\n" << rtf.left(4000).constData());
        EXPECT_EQ(rtf.endsWith("\r\n\\par }\r\n"), !endsInside);
        expectSameContent(selection, readRtf(rtf, RtfReadMode::Insert), false);
        if (HasFatalFailure())
            return;
    }
}

TEST(RtfWriterRoundTripTest, EmptyParagraphsAndOddFaceNamesSurvive)
{
    const CharFormat base = defaultCharFormat(QStringLiteral("Arial"), 200);
    const FragmentParagraph empty{{}, defaultParaFormat(), base, true};
    const FragmentParagraph word{
        {FragmentRun{QStringLiteral("a"), base, nullptr}}, defaultParaFormat(), base, true};
    // A ';' in a face name must not end its font table entry.
    const CharFormat odd = defaultCharFormat(QStringLiteral("Odd; {Face} \\ \u00E9\u4E2D"), 200);
    const FragmentParagraph oddWord{
        {FragmentRun{QStringLiteral("b"), odd, nullptr}}, defaultParaFormat(), odd, true};
    const DocumentFragment documents[] = {{{empty}},
                                          {{empty, empty}},
                                          {{empty, word, empty}},
                                          {{word, empty, empty}},
                                          {{oddWord, word}}};
    for (const DocumentFragment& document : documents) {
        expectSameContent(
            document,
            readRtf(writeRtf(document, RtfWriteMode::WholeDocument), RtfReadMode::WholeDocument),
            false);
    }
}

TEST(RtfWriterRoundTripTest, MeasuredLengthIsTheWrittenLength)
{
    // Small documents, and ones large enough to be counted in several chunks.
    qsizetype largest = 0;
    for (unsigned seed = 200; seed <= 215; ++seed) {
        testsupport::RandomRichText generator(seed);
        const int paragraphs = seed % 2 == 0 ? 1 + generator.pick(5) : 600 + generator.pick(400);
        const DocumentFragment document = generator.fragment(paragraphs);
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        for (const RtfWriteMode mode : {RtfWriteMode::WholeDocument, RtfWriteMode::Selection}) {
            const qsizetype written = writeRtf(document, mode).size();
            EXPECT_EQ(measureRtf(document, mode), written);
            largest = std::max(largest, written);
        }
    }
    EXPECT_GT(largest, 4 * 64 * 1024);
    EXPECT_EQ(measureRtf(DocumentFragment{}, RtfWriteMode::WholeDocument),
              writeRtf(DocumentFragment{}, RtfWriteMode::WholeDocument).size());
}
