// Writing a fragment and reading it back gives the same text, character formats and paragraph
// formats, over generated documents with every kind of content.
#include "platform/richedit/RtfReader.h"
#include "platform/richedit/RtfWriter.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <random>

using namespace richedit;

namespace {

// One character with the format it has; a picture counts one.
struct Cell {
    char16_t unit;
    CharFormat format;
    QByteArray picture;
};

// A format as the round trip keeps it: the link effect follows locale 357 and an automatic
// colour has no value.
CharFormat normalized(CharFormat format)
{
    if (format.is(AutoColorEffect))
        format.color = 0;
    if (format.is(AutoBackColorEffect))
        format.backColor = 0;
    format.effects = (format.effects & ~Link) | (format.lcid == LinkLcid ? uint32_t(Link) : 0u);
    return format;
}

std::vector<Cell> cells(const FragmentParagraph& paragraph)
{
    std::vector<Cell> result;
    for (const FragmentRun& run : paragraph.runs) {
        for (const QChar c : run.text)
            result.push_back({c.unicode(), normalized(run.format),
                              run.picture ? run.picture->encoded : QByteArray()});
    }
    return result;
}

std::string describe(const CharFormat& f)
{
    return QStringLiteral(
               "{mask %1 effects %2 height %3 offset %4 color %5 back %6 lcid %7 charset %8 face "
               "%9}")
        .arg(f.mask, 0, 16)
        .arg(f.effects, 0, 16)
        .arg(f.heightTw)
        .arg(f.offsetTw)
        .arg(f.color, 0, 16)
        .arg(f.backColor, 0, 16)
        .arg(f.lcid)
        .arg(f.charset)
        .arg(f.face)
        .toStdString();
}

std::string describe(const ParaFormat& f)
{
    QString tabs;
    for (const int32_t tab : f.tabs)
        tabs += QString::number(tab) + QLatin1Char(' ');
    return QStringLiteral(
               "{numbering %1/%2/%3/%4 align %5 indents %6/%7/%8 space %9/%10 line %11/%12 tabs "
               "%13}")
        .arg(f.numbering)
        .arg(f.numberingStart)
        .arg(f.numberingStyle)
        .arg(f.numberingTab)
        .arg(f.alignment)
        .arg(f.startIndent)
        .arg(f.rightIndent)
        .arg(f.offset)
        .arg(f.spaceBefore)
        .arg(f.spaceAfter)
        .arg(f.lineSpacing)
        .arg(f.lineSpacingRule)
        .arg(tabs)
        .toStdString();
}

// Compares paragraph by paragraph and character by character, reporting the first difference.
void expectSameContent(const DocumentFragment& expected, const DocumentFragment& actual,
                       bool endMarkUnderline)
{
    ASSERT_EQ(actual.paragraphs.size(), expected.paragraphs.size());
    for (std::size_t p = 0; p < expected.paragraphs.size(); ++p) {
        const FragmentParagraph& want = expected.paragraphs[p];
        const FragmentParagraph& got = actual.paragraphs[p];
        ASSERT_EQ(describe(got.format), describe(want.format)) << "paragraph " << p;
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
        }
        if (!want.hasMark)
            continue;
        CharFormat mark = normalized(want.markFormat);
        if (p + 1 == expected.paragraphs.size() && !endMarkUnderline)
            mark.effects &= ~Underline;
        ASSERT_EQ(describe(normalized(got.markFormat)), describe(mark))
            << "mark of paragraph " << p;
    }
}

QByteArray pngBytes(int width, int height, QRgb color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Random documents whose formats lie on the written precision: whole half-point sizes and
// offsets, ascending tab stops, numbering values only on numbered paragraphs.
class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    DocumentFragment document(int paragraphs)
    {
        DocumentFragment fragment;
        for (int i = 0; i < paragraphs; ++i)
            fragment.paragraphs.push_back(paragraph());
        return fragment;
    }

    int pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

private:
    CharFormat format()
    {
        static const QString faces[] = {QStringLiteral("Arial"), QStringLiteral("Times New Roman"),
                                        QStringLiteral("Verdana")};
        static const uint32_t colors[] = {0x000000, 0x0000FF, 0xFF0000, 0x00FFFF, 0x123456};
        CharFormat f = defaultCharFormat(faces[pick(3)], 20 * (8 + pick(8)) + 10 * pick(2));
        const uint32_t toggles[] = {Bold, Italic, Underline, StrikeOut, Protected};
        for (const uint32_t bit : toggles) {
            if (pick(5) == 0)
                f.effects |= bit;
        }
        if (pick(6) == 0) {
            f.effects &= ~AutoColorEffect;
            f.color = colors[pick(5)];
        }
        if (pick(8) == 0) {
            f.effects &= ~AutoBackColorEffect;
            f.backColor = colors[pick(5)];
        }
        if (pick(10) == 0)
            f.effects |= pick(2) == 0 ? Subscript : Superscript;
        if (pick(10) == 0)
            f.offsetTw = 10 * (pick(13) - 6);
        if (pick(8) == 0) {
            f.lcid = LinkLcid;
            f.effects |= Link;
        } else if (pick(20) == 0) {
            f.lcid = 1031;
        }
        return f;
    }

    QString text()
    {
        static const QString pieces[] = {
            QStringLiteral("word "),
            QStringLiteral("\t"),
            QStringLiteral("\v"),
            QStringLiteral("\\{}"),
            QStringLiteral("caf\u00E9 \u20AC5 "),
            QStringLiteral("\u4E2D\u6587"),
            QStringLiteral("\U0001F600"),
            QStringLiteral("\u00A0\u00AD"),
            QStringLiteral("  two  "),
            QStringLiteral("\u2019s \u201Cquoted\u201D"),
            QStringLiteral("www.example.com"),
        };
        QString result;
        const int count = 1 + pick(4);
        for (int i = 0; i < count; ++i)
            result += pieces[pick(11)];
        return result;
    }

    ParaFormat paraFormat()
    {
        ParaFormat f = defaultParaFormat();
        f.alignment = static_cast<uint16_t>(1 + pick(4));
        if (pick(3) == 0) {
            f.startIndent = 360 * pick(4);
            f.offset = 360 * (pick(3) - 1);
            f.rightIndent = pick(2) == 0 ? 0 : 100 * (pick(30) - 10);
        }
        if (pick(4) == 0) {
            f.spaceBefore = 20 * pick(10);
            f.spaceAfter = 20 * pick(10);
        }
        if (pick(3) == 0) {
            static const uint8_t rules[] = {0, 1, 2, 3, 4, 5};
            f.lineSpacingRule = rules[pick(6)];
            f.lineSpacing = f.lineSpacingRule >= 3
                                ? (f.lineSpacingRule == 5 ? 25 + pick(3) * 10 : 200 + 20 * pick(10))
                                : 0;
        }
        if (pick(4) == 0) {
            for (int i = 0, n = 1 + pick(5); i < n; ++i)
                f.tabs.push_back(720 * (i + 1) + 15 * pick(20));
        }
        if (pick(4) == 0) {
            f.numbering = static_cast<uint16_t>(1 + pick(6));
            if (f.numbering != Bullet) {
                f.numberingStart = static_cast<uint16_t>(1 + pick(3));
                static const uint16_t styles[] = {0, 0x100, 0x200, 0x300};
                f.numberingStyle = styles[pick(4)];
            }
        }
        return f;
    }

    FragmentParagraph paragraph()
    {
        FragmentParagraph p{{}, paraFormat(), format(), true};
        const int runs = pick(5);
        for (int i = 0; i < runs; ++i) {
            if (pick(10) == 0) {
                auto picture = std::make_shared<Picture>();
                picture->encoded =
                    pngBytes(1 + pick(4), 1 + pick(4), qRgba(pick(256), 40, 90, 255));
                picture->pixelWidth = 3;
                picture->pixelHeight = 2;
                picture->goalWidthTw = 45;
                picture->goalHeightTw = 30;
                p.runs.push_back({QString(ObjectReplacementCharacter), format(), picture});
            } else {
                p.runs.push_back({text(), format(), nullptr});
            }
        }
        return p;
    }

    std::mt19937 m_random;
};

}  // namespace

TEST(RtfWriterRoundTripTest, WholeDocumentsReadBackUnchanged)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Generator generator(seed);
        const DocumentFragment document = generator.document(1 + generator.pick(12));
        const QByteArray rtf = writeRtf(document, RtfWriteMode::WholeDocument);
        SCOPED_TRACE(testing::Message() << "seed " << seed << "\n" << rtf.left(4000).constData());
        expectSameContent(document, readRtf(rtf, RtfReadMode::WholeDocument), false);
        if (HasFatalFailure())
            return;
    }
}

TEST(RtfWriterRoundTripTest, SelectionsReadBackAsInsertions)
{
    for (unsigned seed = 100; seed <= 130; ++seed) {
        Generator generator(seed);
        DocumentFragment selection = generator.document(1 + generator.pick(6));
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
