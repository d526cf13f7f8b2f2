// Random paragraphs laid out by the layout and by the reference layout it replaced must give
// the same lines bit for bit: breaks, widths, heights and positions.
#include "platform/richedit/layout/ParagraphLayout.h"

#include "tests/platform/richedit/layout/Para.h"
#include "tests/platform/richedit/layout/ReferenceParagraphLayout.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <deque>
#include <random>

using namespace richedit;
using testsupport::reference::ReferenceParagraphLayout;

namespace {

// A paragraph as characters with a format (an index of `formats`) or a picture each, so that
// edits can cut anywhere and the runs are rebuilt from what is left.
struct RandomParagraph {
    std::deque<CharFormat> formats;
    QString text;
    std::vector<int> formatOf;  // per UTF-16 unit
    std::vector<std::shared_ptr<const Picture>> pictureOf;
    ParaFormat format = defaultParaFormat();
    int mark = 0;
    QString label;
    bool endsDocument = false;
    bool dropLastRun = false;  // runs fall short of the text: the rest takes the mark's format

    LayoutParagraphInput input() const
    {
        LayoutParagraphInput in;
        in.text = text;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool joins = !in.runs.empty() && !pictureOf[size_t(i)] &&
                               !in.runs.back().picture &&
                               in.runs.back().format == &formats[size_t(formatOf[size_t(i)])];
            if (joins)
                ++in.runs.back().length;
            else
                in.runs.push_back({1, &formats[size_t(formatOf[size_t(i)])], pictureOf[size_t(i)]});
        }
        if (dropLastRun && !in.runs.empty())
            in.runs.pop_back();
        in.format = &format;
        in.markFormat = &formats[size_t(mark)];
        in.listLabel = label;
        in.endsDocument = endsDocument;
        return in;
    }
};

class Generator {
public:
    explicit Generator(uint32_t seed) : m_random(seed) {}

    int below(int n) { return int(m_random() % uint32_t(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }

    CharFormat charFormat()
    {
        static const char* const faces[] = {"DejaVu Sans", "DejaVu Serif", "Liberation Sans",
                                            "Liberation Mono", "No Such Face"};
        CharFormat format = defaultCharFormat(QString::fromLatin1(faces[below(5)]));
        // A few sizes: every new font is measured afresh, which is slow under the sanitizers.
        static const int32_t heights[] = {-10, 1, 160, 200, 240, 333, 480, 40000};
        format.heightTw = heights[below(int(std::size(heights)))];
        format.offsetTw = below(4) == 0 ? between(-300, 300) : 0;
        const uint32_t effects[] = {Bold, Italic, Superscript, Subscript, Hidden};
        for (uint32_t effect : effects)
            if (below(effect == Hidden ? 10 : 4) == 0)
                format.effects |= effect;
        return format;
    }

    // Inserts a random piece at `at` in one of the paragraph's formats; now and then a picture.
    void appendPiece(RandomParagraph& para, qsizetype at)
    {
        static const QString pieces[] = {
            QStringLiteral("word"),
            QStringLiteral("the"),
            QStringLiteral(" "),
            QStringLiteral("   "),
            QStringLiteral("\t"),
            QStringLiteral("\v"),
            QStringLiteral("Überlänge"),
            QStringLiteral("supercalifragilisticexpialidociousness"),
            QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87"),
            QString::fromUtf8("\xF0\x9F\x98\x80"),
            QString::fromUtf8("\xC2\xA0\xE2\x82\xAC"),
            QStringLiteral("2024,"),
        };
        QString piece;
        std::shared_ptr<const Picture> picture;
        if (below(12) == 0) {
            auto made = std::make_shared<Picture>();
            made->goalWidthTw = between(0, 4000);
            made->goalHeightTw = between(0, 3000);
            picture = std::move(made);
            piece = QChar(ObjectReplacementCharacter);
        } else {
            piece = pieces[below(int(std::size(pieces)))];
        }
        const int format = below(int(para.formats.size()));
        para.text.insert(at, piece);
        para.formatOf.insert(para.formatOf.begin() + at, size_t(piece.size()), format);
        para.pictureOf.insert(para.pictureOf.begin() + at, size_t(piece.size()), picture);
    }

    RandomParagraph paragraph()
    {
        RandomParagraph para;
        const int formatCount = between(1, 6);
        for (int i = 0; i < formatCount; ++i)
            para.formats.push_back(charFormat());
        para.mark = below(formatCount);
        const int pieces = below(5) == 0 ? between(40, 160) : between(0, 30);
        for (int i = 0; i < pieces; ++i)
            appendPiece(para, para.text.size());

        ParaFormat& format = para.format;
        format.startIndent = below(3) == 0 ? between(-500, 3000) : 0;
        format.rightIndent = below(3) == 0 ? between(-500, 3000) : 0;
        format.offset = below(3) == 0 ? between(-1500, 1500) : 0;
        format.alignment = uint16_t(between(0, 4));
        for (int i = below(6); i > 0; --i)
            format.tabs.push_back(between(-100, 6000));
        format.spaceBefore = below(3) == 0 ? between(-50, 500) : 0;
        format.spaceAfter = below(3) == 0 ? between(-50, 500) : 0;
        format.lineSpacingRule = uint8_t(below(6));
        format.lineSpacing = between(-100, 1000);
        static const char* const labels[] = {"", "", "", "1.", "\xE2\x80\xA2", "(iv)"};
        para.label = QString::fromUtf8(labels[below(6)]);
        para.endsDocument = below(4) == 0;
        para.dropLastRun = below(8) == 0;
        return para;
    }

    int32_t width()
    {
        switch (below(6)) {
            case 0:
                return ParagraphLayout::NoWrap;
            case 1:
                return between(-20, 300);
            default:
                return between(300, 9000);
        }
    }

private:
    std::mt19937 m_random;
};

QImage deviceOfDpi(int dpi)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    return image;
}

// Every field of every line, the height and the label, compared exactly.
void expectSameLayout(const ParagraphLayout& layout, const ReferenceParagraphLayout& reference,
                      const QString& what)
{
    const std::string context = what.toStdString();
    const std::vector<LayoutLine> lines = layout.lines();
    ASSERT_EQ(lines.size(), reference.lines().size()) << context;
    for (size_t i = 0; i < lines.size(); ++i) {
        const LayoutLine& a = lines[i];
        const LayoutLine& b = reference.lines()[i];
        const std::string where = context + " line " + std::to_string(i);
        EXPECT_EQ(a.start, b.start) << where;
        EXPECT_EQ(a.length, b.length) << where;
        EXPECT_EQ(a.hangingSpaces, b.hangingSpaces) << where;
        EXPECT_EQ(a.closedByBreak, b.closedByBreak) << where;
        EXPECT_EQ(a.softWrap, b.softWrap) << where;
        EXPECT_EQ(a.decidedBy, b.decidedBy) << where;
        EXPECT_EQ(a.top, b.top) << where;
        EXPECT_EQ(a.height, b.height) << where;
        EXPECT_EQ(a.spaceBefore, b.spaceBefore) << where;
        EXPECT_EQ(a.spaceAfter, b.spaceAfter) << where;
        EXPECT_EQ(a.ascent, b.ascent) << where;
        EXPECT_EQ(a.descent, b.descent) << where;
        EXPECT_EQ(a.baseline, b.baseline) << where;
        // Exact: the same sums in the same order give the same bits.
        EXPECT_EQ(a.left, b.left) << where;
        EXPECT_EQ(a.contentWidth, b.contentWidth) << where;
        EXPECT_EQ(a.right, b.right) << where;
        EXPECT_EQ(a.origin, b.origin) << where;
        EXPECT_EQ(a.shift, b.shift) << where;
        EXPECT_EQ(a.spaceExtra, b.spaceExtra) << where;
        EXPECT_EQ(a.justifyFrom, b.justifyFrom) << where;
    }
    EXPECT_EQ(layout.height(), reference.height()) << context;
    EXPECT_EQ(layout.label().text, reference.label().text) << context;
    EXPECT_EQ(layout.label().x, reference.label().x) << context;
    EXPECT_EQ(layout.label().width, reference.label().width) << context;
}

}  // namespace

TEST(ParagraphLayoutOracle, FreshAndReusedLayoutsMatchTheReferenceOnRandomParagraphs)
{
    Generator generate(20261210);
    const QImage printer = deviceOfDpi(600);
    ParagraphLayout reused;  // lays out paragraph after paragraph, as a bulk pass does
    for (int round = 0; round < 2500; ++round) {
        const RandomParagraph para = generate.paragraph();
        const LayoutParagraphInput input = para.input();
        const int32_t width = generate.width();
        const QPaintDevice* device = generate.below(4) == 0 ? &printer : nullptr;
        const int32_t startOffset =
            generate.below(5) == 0 ? generate.between(-2, int(para.text.size()) + 2) : 0;
        const QString what = QStringLiteral("round %1 width %2 start %3: %4")
                                 .arg(round)
                                 .arg(width)
                                 .arg(startOffset)
                                 .arg(para.text);

        const ReferenceParagraphLayout reference(input, width, device, startOffset);
        expectSameLayout(ParagraphLayout(input, width, device, startOffset), reference, what);
        reused.layOut(input, width, LayoutDevice::of(device), startOffset);
        expectSameLayout(reused, reference, what);
        if (HasFailure())
            return;
    }
}

TEST(ParagraphLayoutOracle, RelayoutAfterRandomEditsMatchesTheReference)
{
    Generator generate(7031);
    int relaidOut = 0;
    for (int round = 0; round < 1500; ++round) {
        RandomParagraph para = generate.paragraph();
        const int32_t width =
            generate.below(6) == 0 ? ParagraphLayout::NoWrap : generate.between(500, 6000);
        ParagraphLayout layout(para.input(), width);
        ReferenceParagraphLayout reference(para.input(), width);

        // Edits in a row, as typing makes them: cut a range, insert pieces. Each moves the
        // lines after it on top of the moves still pending from the ones before.
        for (int step = 0; step < 8; ++step) {
            const auto length = int32_t(para.text.size());
            ParagraphEdit edit;
            edit.offset = generate.between(0, length);
            edit.removed = generate.below(3) == 0 ? generate.between(0, length - edit.offset) : 0;
            para.text.remove(edit.offset, edit.removed);
            para.formatOf.erase(para.formatOf.begin() + edit.offset,
                                para.formatOf.begin() + edit.offset + edit.removed);
            para.pictureOf.erase(para.pictureOf.begin() + edit.offset,
                                 para.pictureOf.begin() + edit.offset + edit.removed);
            const auto before = int32_t(para.text.size());
            for (int k = generate.below(3); k > 0; --k)
                generate.appendPiece(para, edit.offset);
            edit.added = int32_t(para.text.size()) - before;

            const LayoutParagraphInput input = para.input();
            if (!layout.canRelayout(input, edit))
                break;
            layout.relayout(input, edit);
            reference.relayout(input, edit);
            ++relaidOut;
            const QString what =
                QStringLiteral("round %1 step %2: %3").arg(round).arg(step).arg(para.text);
            expectSameLayout(layout, reference, what);
            // The searches by offset and by height see the moved lines.
            const auto& lines = reference.lines();
            const int32_t offset = generate.between(0, int(para.text.size()));
            const auto byStart = std::upper_bound(
                lines.begin(), lines.end(), offset,
                [](int32_t value, const LayoutLine& line) { return value < line.start; });
            EXPECT_EQ(layout.lineAt(offset), std::max(int(byStart - lines.begin()) - 1, 0))
                << what.toStdString();
            const int64_t y = generate.between(0, reference.height());
            const auto byTop = std::upper_bound(
                lines.begin(), lines.end(), y,
                [](int64_t value, const LayoutLine& line) { return value < line.top; });
            EXPECT_EQ(layout.lineAtHeight(y), std::max(int(byTop - lines.begin()) - 1, 0))
                << what.toStdString();
            if (HasFailure())
                return;
        }
    }
    // Most edits keep the paragraph's formats, so the comparison ran on many relayouts.
    EXPECT_GT(relaidOut, 2000);
}

// A paragraph of thousands of lines starts with room for more lines after its last; edits far
// apart that make and drop lines move that room, and the pending move of the lines, across
// more lines than the room holds, one way and the other.
TEST(ParagraphLayoutOracle, EditsFarApartInALongParagraphMatchTheReference)
{
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("line %1\v").arg(i, 4, 10, QLatin1Char('0'));
    testsupport::Para para(text);
    ParagraphLayout layout(para.input(), ParagraphLayout::NoWrap);
    ReferenceParagraphLayout reference(para.input(), ParagraphLayout::NoWrap);
    const QString pieces[] = {QStringLiteral("\vnew"), QStringLiteral("ab"),
                              QStringLiteral("\v\v")};
    for (int step = 0; step < 24; ++step) {
        const auto length = int32_t(para.text.size());
        // Near the start, near the end and in the middle by turns.
        const int32_t base = step % 3 == 0 ? 40 : step % 3 == 1 ? length - 400 : length / 2;
        ParagraphEdit edit;
        edit.offset = base + 13 * step;
        edit.removed = step % 4 == 3 ? 25 : 0;  // drops two or three lines
        const QString& piece = pieces[step % 3];
        edit.added = int32_t(piece.size());
        para = testsupport::Para(QString(para.text).replace(edit.offset, edit.removed, piece));
        const LayoutParagraphInput input = para.input();
        ASSERT_TRUE(layout.canRelayout(input, edit));
        layout.relayout(input, edit);
        reference.relayout(input, edit);
        expectSameLayout(layout, reference, QStringLiteral("step %1").arg(step));
        if (HasFailure())
            return;
    }
}

// Random edits in a paragraph of thousands of lines, wrapped and not: a few lines made or
// dropped, thousands dropped at once across stretches of stored lines, and thousands pasted.
TEST(ParagraphLayoutOracle, EditsMakingAndDroppingManyLinesMatchTheReference)
{
    std::mt19937 random(4242);
    const auto below = [&](int n) { return int(random() % uint32_t(n)); };
    QString many;
    for (int i = 0; i < 1500; ++i)
        many += QStringLiteral("pasted %1\v").arg(i);
    const QString pieces[] = {QStringLiteral("x"), QStringLiteral("\vnew"),
                              QStringLiteral("\v\v\v"), many};
    for (const int32_t width : {ParagraphLayout::NoWrap, 1500}) {
        // Wrapped, the paragraph starts short enough for one stretch of lines.
        QString text;
        for (int i = 0; i < (width == ParagraphLayout::NoWrap ? 6000 : 500); ++i)
            text += QStringLiteral("line %1 word\v").arg(i, 4, 10, QLatin1Char('0'));
        testsupport::Para para(text);
        ParagraphLayout layout(para.input(), width);
        ReferenceParagraphLayout reference(para.input(), width);
        for (int step = 0; step < 40; ++step) {
            const auto length = int32_t(para.text.size());
            ParagraphEdit edit;
            edit.offset = below(length + 1);
            const int32_t cut = below(3) == 0 ? length : below(2) == 0 ? 30 : 0;
            edit.removed = std::min(below(cut + 1), length - edit.offset);
            const QString& piece = pieces[below(5) == 0 ? 3 : below(3)];
            edit.added = int32_t(piece.size());
            para = testsupport::Para(QString(para.text).replace(edit.offset, edit.removed, piece));
            const LayoutParagraphInput input = para.input();
            if (step == 20)
                layout = ParagraphLayout(layout);  // a copy edits on as the original would
            ASSERT_TRUE(layout.canRelayout(input, edit));
            layout.relayout(input, edit);
            reference.relayout(input, edit);
            const QString what = QStringLiteral("width %1 step %2").arg(width).arg(step);
            expectSameLayout(layout, reference, what);
            const auto& lines = reference.lines();
            const auto byStart = std::upper_bound(
                lines.begin(), lines.end(), edit.offset,
                [](int32_t value, const LayoutLine& line) { return value < line.start; });
            EXPECT_EQ(layout.lineAt(edit.offset), std::max(int(byStart - lines.begin()) - 1, 0))
                << what.toStdString();
            if (HasFailure())
                return;
        }
    }
}
