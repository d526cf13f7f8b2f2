#include "platform/richedit/layout/ParagraphLayout.h"

#include "tests/platform/richedit/layout/Para.h"

#include <gtest/gtest.h>

#include <QImage>
#include <random>

using namespace richedit;
using testsupport::Para;
using testsupport::sans;

namespace {

const QString Prose = QStringLiteral(
    "The quick brown fox jumps over the lazy dog while seven wizards quietly judge the boxing "
    "match, and a sphinx of black quartz hears every vow of the juggling monks near the river.");

// Every line is non-empty (but a final empty one), and the lines cover the text in order.
void expectCoverage(const ParagraphLayout& layout)
{
    int32_t next = layout.startOffset();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const LayoutLine& line = layout.line(i);
        EXPECT_EQ(line.start, next) << "line " << i;
        if (line.start < layout.textLength()) {
            EXPECT_GE(line.length, 1) << "line " << i;
        }
        next = line.end();
    }
    EXPECT_EQ(next, layout.textLength());
}

std::vector<std::pair<int32_t, int32_t>> breaksOf(const ParagraphLayout& layout)
{
    std::vector<std::pair<int32_t, int32_t>> result;
    for (const LayoutLine& line : layout.lines())
        result.emplace_back(line.start, line.length);
    return result;
}

double limitOf(const ParagraphLayout& layout)
{
    return layout.width() - layout.format().rightIndent;
}

}  // namespace

TEST(ParagraphLayoutBreaks, AreDeterministicCoverTheTextAndGrowAsTheWidthShrinks)
{
    const Para para(Prose);
    int previousCount = 0;
    for (int32_t width = 12000; width >= 600; width -= 700) {
        const ParagraphLayout layout = para.layout(width);
        expectCoverage(layout);
        EXPECT_EQ(breaksOf(layout), breaksOf(para.layout(width))) << width;
        EXPECT_GE(layout.lineCount(), previousCount) << width;
        previousCount = layout.lineCount();
        for (const LayoutLine& line : layout.lines()) {
            // Content fits; only hanging spaces may pass the edge.
            EXPECT_LE(line.left + line.contentWidth, width + 1e-6) << width;
            // A wrap falls after spaces, or inside a word too long for any line.
            const QString text = para.text.mid(line.start, line.length);
            if (line.softWrap && text.contains(u' ')) {
                EXPECT_EQ(text.back(), u' ') << width;
            }
        }
    }
    EXPECT_GT(previousCount, 5);

    // The measuring device counts only by its resolution; no device is the screen at 96 dpi.
    QImage screenLike(10, 10, QImage::Format_RGB32);
    screenLike.setDotsPerMeterX(3780);
    screenLike.setDotsPerMeterY(3780);
    EXPECT_EQ(breaksOf(ParagraphLayout(para.input(), 4000, &screenLike)),
              breaksOf(para.layout(4000)));
}

TEST(ParagraphLayoutBreaks, SpacesHangLongWordsSplitAndEveryLineHoldsACharacter)
{
    // The spaces stay on the first line, however many there are.
    const Para spaced(QStringLiteral("aaaa") + QString(40, u' ') + QStringLiteral("bbbb"));
    const double wordWidth = spaced.layout(0).xFromPosition(4);
    const ParagraphLayout hanging = spaced.layout(int32_t(wordWidth * 1.5));
    ASSERT_EQ(hanging.lineCount(), 2);
    EXPECT_EQ(hanging.line(0).length, 44);
    EXPECT_EQ(hanging.line(0).hangingSpaces, 40);
    EXPECT_EQ(hanging.line(0).contentLength(), 4);
    EXPECT_TRUE(hanging.line(0).softWrap);
    EXPECT_GT(hanging.line(0).right, hanging.width());
    EXPECT_EQ(hanging.line(1).start, 44);

    // A word longer than the line breaks between characters.
    const Para word(QString(120, u'm'));
    const ParagraphLayout split = word.layout(1500);
    expectCoverage(split);
    EXPECT_GT(split.lineCount(), 3);
    for (const LayoutLine& line : split.lines()) {
        EXPECT_LE(line.left + line.contentWidth, 1500 + 1e-6);
        EXPECT_EQ(line.hangingSpaces, 0);
    }

    // Narrower than one character: one per line, never splitting a surrogate pair.
    const Para tiny(QStringLiteral("ab") + QString::fromUtf8("\xF0\x9F\x98\x80") + "c");
    const ParagraphLayout one = tiny.layout(1);
    expectCoverage(one);
    ASSERT_EQ(one.lineCount(), 4);
    EXPECT_EQ(one.line(2).length, 2);
}

TEST(ParagraphLayoutBreaks, VerticalTabEndsALineAndNoWrapKeepsOneLine)
{
    const ParagraphLayout broken = Para(QStringLiteral("ab\vcd")).layout(20000);
    ASSERT_EQ(broken.lineCount(), 2);
    EXPECT_TRUE(broken.line(0).closedByBreak);
    EXPECT_FALSE(broken.line(0).softWrap);
    EXPECT_EQ(broken.line(0).length, 3);
    EXPECT_EQ(broken.line(0).lengthWithoutBreak(), 2);
    EXPECT_EQ(broken.line(1).start, 3);

    // A final U+000B leaves an empty last line.
    const ParagraphLayout trailing = Para(QStringLiteral("ab\v")).layout(20000);
    ASSERT_EQ(trailing.lineCount(), 2);
    EXPECT_EQ(trailing.line(1).start, 3);
    EXPECT_EQ(trailing.line(1).length, 0);
    EXPECT_GT(trailing.line(1).height, 0);

    const Para prose(Prose + QChar(u'\v') + Prose);
    const ParagraphLayout unwrapped = prose.layout(ParagraphLayout::NoWrap);
    EXPECT_FALSE(unwrapped.wraps());
    ASSERT_EQ(unwrapped.lineCount(), 2);
    EXPECT_GT(unwrapped.line(0).right, 12000);
    EXPECT_EQ(breaksOf(unwrapped), breaksOf(prose.layout(-5)));
}

TEST(ParagraphLayoutIndents, PlaceFirstAndFollowingLinesAndMoveTheRightEdge)
{
    Para para(Prose);
    para.format.startIndent = 720;
    para.format.offset = 360;
    const ParagraphLayout indented = para.layout(5000);
    ASSERT_GT(indented.lineCount(), 2);
    EXPECT_DOUBLE_EQ(indented.line(0).left, 720);
    EXPECT_DOUBLE_EQ(indented.line(1).left, 1080);
    EXPECT_DOUBLE_EQ(indented.xFromPosition(indented.line(1).start), 1080);

    // A left edge below 0 is drawn at 0.
    para.format.startIndent = -400;
    para.format.offset = -300;
    const ParagraphLayout outdented = para.layout(5000);
    EXPECT_DOUBLE_EQ(outdented.line(0).left, 0);
    EXPECT_DOUBLE_EQ(outdented.line(1).left, 0);

    para.format.startIndent = 0;
    para.format.offset = 0;
    const int plain = para.layout(5000).lineCount();
    para.format.rightIndent = 2000;
    const ParagraphLayout narrowed = para.layout(5000);
    EXPECT_GT(narrowed.lineCount(), plain);
    for (const LayoutLine& line : narrowed.lines())
        EXPECT_LE(line.left + line.contentWidth, 3000 + 1e-6);
    para.format.rightIndent = -3000;
    const ParagraphLayout widened = para.layout(5000);
    EXPECT_LT(widened.lineCount(), plain);
    EXPECT_GT(widened.line(0).left + widened.line(0).contentWidth, 5000);
}

TEST(ParagraphLayoutIndents, StartingAtALineStartRepeatsTheBreaksWithoutSpaceBefore)
{
    Para para(Prose + QChar(u'\v') + Prose);
    para.format.startIndent = 200;
    para.format.offset = 500;
    para.format.spaceBefore = 300;
    para.format.spaceAfter = 100;
    const ParagraphLayout whole = para.layout(4000);
    ASSERT_GT(whole.lineCount(), 4);
    for (int from = 1; from < whole.lineCount(); ++from) {
        const ParagraphLayout rest = para.layout(4000, whole.line(from).start);
        ASSERT_EQ(rest.lineCount(), whole.lineCount() - from);
        EXPECT_DOUBLE_EQ(rest.line(0).left, 700);
        EXPECT_EQ(rest.line(0).spaceBefore, 0);
        for (int i = 0; i < rest.lineCount(); ++i) {
            EXPECT_EQ(rest.line(i).start, whole.line(from + i).start);
            EXPECT_EQ(rest.line(i).length, whole.line(from + i).length);
        }
        EXPECT_EQ(rest.height(), whole.height() - whole.line(from).top);
    }
}

TEST(ParagraphLayoutTabs, LandOnSortedStopsThenEvery720Twips)
{
    Para para(QStringLiteral("a\tb\tc\td\te"));
    para.format.tabs = {3000, 1000};  // set out of order
    const ParagraphLayout layout = para.layout(20000);
    EXPECT_DOUBLE_EQ(layout.xFromPosition(2), 1000);
    EXPECT_DOUBLE_EQ(layout.xFromPosition(4), 3000);
    EXPECT_DOUBLE_EQ(layout.xFromPosition(6), 3600);
    EXPECT_DOUBLE_EQ(layout.xFromPosition(8), 4320);

    // Default stops count from the left edge, also past an indent.
    Para indented(QStringLiteral("\tx"));
    indented.format.startIndent = 800;
    EXPECT_DOUBLE_EQ(indented.layout(20000).xFromPosition(1), 1440);
}

TEST(ParagraphLayoutHeights, FollowTheSpacingRules)
{
    Para para(QStringLiteral("Line spacing"));
    auto heightWith = [&](uint8_t rule, int32_t value = 0) {
        para.format.lineSpacingRule = rule;
        para.format.lineSpacing = value;
        return para.layout(20000).height();
    };
    const int32_t single = heightWith(0);
    ASSERT_GT(single, 0);
    EXPECT_EQ(heightWith(4, 600), 600);
    EXPECT_EQ(heightWith(4, 100), 100);
    EXPECT_NEAR(heightWith(2), 2 * single, 1);
    EXPECT_NEAR(heightWith(1), 1.5 * single, 1);
    EXPECT_NEAR(heightWith(5, 40), 2 * single, 1);
    EXPECT_NEAR(heightWith(5, 20), single, 1);
    EXPECT_EQ(heightWith(3, single + 500), single + 500);
    EXPECT_EQ(heightWith(3, 10), single);
    // An exact height of nothing keeps the natural height rather than stacking lines.
    EXPECT_EQ(heightWith(4, 0), single);

    para.format.lineSpacingRule = 0;
    para.format.spaceBefore = 120;
    para.format.spaceAfter = 340;
    const ParagraphLayout spaced = para.layout(20000);
    EXPECT_EQ(spaced.height(), single + 460);
    EXPECT_EQ(spaced.line(0).textTop(), 120);
    EXPECT_EQ(spaced.line(0).textHeight(), single);

    // Space before belongs to the first line, space after to the last.
    Para prose(Prose);
    prose.format.spaceBefore = 120;
    prose.format.spaceAfter = 340;
    const ParagraphLayout lines = prose.layout(3000);
    ASSERT_GT(lines.lineCount(), 2);
    EXPECT_EQ(lines.line(1).spaceBefore + lines.line(1).spaceAfter, 0);
    EXPECT_EQ(lines.line(lines.lineCount() - 1).spaceAfter, 340);
}

TEST(ParagraphLayoutHeights, ComeFromTheLargestFontPictureOrTheMark)
{
    // An empty paragraph is as high as a line in its mark's font.
    Para empty;
    empty.mark = sans(800);
    const ParagraphLayout emptyLayout = empty.layout(20000);
    ASSERT_EQ(emptyLayout.lineCount(), 1);
    EXPECT_EQ(emptyLayout.height(),
              Para().add(QStringLiteral("x"), sans(800)).layout(20000).height());

    const int32_t small = Para(QStringLiteral("small")).layout(20000).height();
    Para mixed(QStringLiteral("small "));
    mixed.add(QStringLiteral("LARGE"), sans(720));
    EXPECT_GT(mixed.layout(20000).height(), small);

    Para pictured(QStringLiteral("text "));
    pictured.addPicture(1000, 3000);
    const ParagraphLayout withPicture = pictured.layout(20000);
    EXPECT_GE(withPicture.line(0).ascent, 3000);
    EXPECT_GE(withPicture.height(), 3000);
    EXPECT_DOUBLE_EQ(withPicture.xFromPosition(6) - withPicture.xFromPosition(5), 1000);

    // Raised text reaches higher than the same text on the baseline.
    CharFormat raised = sans();
    raised.offsetTw = 200;
    EXPECT_EQ(Para().add(QStringLiteral("small"), raised).layout(20000).line(0).ascent,
              Para(QStringLiteral("small")).layout(20000).line(0).ascent + 200);
}

TEST(ParagraphLayoutLabels, PutTextAtTheFollowingIndentOrAfterTheLabel)
{
    Para para(Prose);
    para.label = QStringLiteral("10.");
    para.format.startIndent = 200;
    para.format.offset = 1440;
    const ParagraphLayout roomy = para.layout(6000);
    EXPECT_DOUBLE_EQ(roomy.label().x, 200);
    EXPECT_GT(roomy.label().width, 0);
    EXPECT_DOUBLE_EQ(roomy.line(0).left, 1640);
    EXPECT_DOUBLE_EQ(roomy.line(1).left, 1640);

    para.format.offset = 0;
    const ParagraphLayout tight = para.layout(6000);
    const double afterLabel = tight.label().x + tight.label().width;
    EXPECT_GT(tight.line(0).left, afterLabel);
    EXPECT_DOUBLE_EQ(tight.line(1).left, 200);

    // A layout from inside the paragraph draws no label.
    EXPECT_TRUE(para.layout(6000, tight.line(1).start).label().text.isEmpty());
}

TEST(ParagraphLayoutAlignment, RightCentreAndJustifyUseTheRoomLeft)
{
    Para para(Prose);
    para.format.rightIndent = 500;
    const double limit = 5000 - 500;
    para.format.alignment = AlignRight;
    const ParagraphLayout right = para.layout(5000);
    for (const LayoutLine& line : right.lines())
        EXPECT_NEAR(line.left + line.contentWidth, limit, 1e-6);

    para.format.alignment = AlignCenter;
    const ParagraphLayout centred = para.layout(5000);
    for (const LayoutLine& line : centred.lines())
        EXPECT_NEAR(line.left, limit - (line.left + line.contentWidth), 1e-6);

    para.format.alignment = AlignJustify;
    const ParagraphLayout justified = para.layout(5000);
    ASSERT_GT(justified.lineCount(), 2);
    for (int i = 0; i + 1 < justified.lineCount(); ++i) {
        const LayoutLine& line = justified.line(i);
        EXPECT_DOUBLE_EQ(line.left, 0);
        const std::vector<double> x = justified.edges(i);
        EXPECT_NEAR(x[size_t(line.contentLength())], limit, 1e-6);
    }
    const LayoutLine& last = justified.line(justified.lineCount() - 1);
    EXPECT_LT(last.left + last.contentWidth, limitOf(justified) - 1);
}

TEST(ParagraphLayoutMapping, XAndPositionsRoundTripAndLineEndsMapBack)
{
    Para para(Prose + QStringLiteral("\vshort line"));
    para.format.alignment = AlignJustify;
    para.format.startIndent = 300;
    const ParagraphLayout layout = para.layout(4500);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const LayoutLine& line = layout.line(i);
        const std::vector<double> x = layout.edges(i);
        for (int32_t k = 0; k < line.lengthWithoutBreak(); ++k) {
            EXPECT_EQ(layout.positionFromX(i, x[size_t(k)]), line.start + k);
            EXPECT_EQ(layout.lineAt(line.start + k), i);
            EXPECT_DOUBLE_EQ(layout.xFromPosition(line.start + k), x[size_t(k)]);
            // Inside a character: the nearer edge.
            const double width = x[size_t(k) + 1] - x[size_t(k)];
            if (width > 4 && k + 1 < line.lengthWithoutBreak()) {
                EXPECT_EQ(layout.positionFromX(i, x[size_t(k)] + width * 0.3), line.start + k);
                EXPECT_EQ(layout.positionFromX(i, x[size_t(k)] + width * 0.7), line.start + k + 1);
            }
        }
        // At or past the right end: a position that maps back to this line.
        const int32_t past = layout.positionFromX(i, 1e9);
        EXPECT_EQ(layout.lineAt(past), i);
        if (line.softWrap) {
            EXPECT_EQ(past, line.end() - 1);
        } else {
            EXPECT_EQ(past, line.start + line.lengthWithoutBreak());
        }
        EXPECT_EQ(layout.positionFromX(i, -1e9), line.start);
    }
    EXPECT_EQ(layout.lineAt(layout.textLength()), layout.lineCount() - 1);
    EXPECT_EQ(layout.positionFromX(layout.lineCount() - 1, 1e9), layout.textLength());
}

TEST(ParagraphLayoutInput, BadRunsAndExtremeValuesAreContained)
{
    // Runs shorter than the text leave the rest in the mark's format; longer ones are cut.
    Para shortRuns(QStringLiteral("abc"));
    LayoutParagraphInput input = shortRuns.input();
    input.text = QStringLiteral("abcdef");
    const ParagraphLayout extended(input, 20000);
    ASSERT_EQ(extended.spans().size(), 2u);
    EXPECT_EQ(extended.spans()[1].start, 3);
    EXPECT_EQ(extended.spans()[1].length, 3);
    input.text = QStringLiteral("a");
    const ParagraphLayout cut(input, 20000);
    ASSERT_EQ(cut.spans().size(), 1u);
    EXPECT_EQ(cut.spans()[0].length, 1);

    const ParagraphLayout none;
    EXPECT_EQ(none.lineCount(), 0);
    EXPECT_EQ(none.positionFromX(3, 100), 0);
    EXPECT_EQ(none.xFromPosition(3), 0);

    LayoutParagraphInput bare;
    bare.text = QStringLiteral("no formats at all");
    bare.runs.push_back({5, nullptr, nullptr});
    EXPECT_EQ(ParagraphLayout(bare, 20000).lineCount(), 1);

    Para extreme(Prose);
    extreme.addPicture(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    extreme.add(QStringLiteral("x"), sans(std::numeric_limits<int32_t>::max()));
    extreme.format.spaceBefore = std::numeric_limits<int32_t>::max();
    extreme.format.spaceAfter = std::numeric_limits<int32_t>::max();
    extreme.format.startIndent = std::numeric_limits<int32_t>::min();
    extreme.format.offset = std::numeric_limits<int32_t>::min();
    extreme.format.rightIndent = std::numeric_limits<int32_t>::min();
    extreme.format.lineSpacingRule = 5;
    extreme.format.lineSpacing = std::numeric_limits<int32_t>::max();
    const ParagraphLayout huge = extreme.layout(std::numeric_limits<int32_t>::max());
    expectCoverage(huge);
    EXPECT_GT(huge.height(), 0);
    for (const LayoutLine& line : huge.lines())
        EXPECT_GE(line.top, 0);
    EXPECT_EQ(Para(Prose).layout(3000, 100000).lineCount(), 1);  // start past the end

    // Tops saturate instead of overflowing.
    Para tall(QString(300, u'\v'));
    tall.format.lineSpacingRule = 4;
    tall.format.lineSpacing = std::numeric_limits<int32_t>::max();
    tall.format.spaceBefore = std::numeric_limits<int32_t>::max();
    const ParagraphLayout stacked = tall.layout(5000);
    ASSERT_EQ(stacked.lineCount(), 301);
    EXPECT_EQ(stacked.height(), std::numeric_limits<int32_t>::max());
    for (const LayoutLine& line : stacked.lines())
        EXPECT_GE(line.textTop(), line.top);
}

TEST(ParagraphLayoutRandom, LayoutsOfRandomParagraphsKeepTheirInvariants)
{
    std::mt19937 random(20261209);
    const QString pieces[] = {QStringLiteral("word"),
                              QStringLiteral(" "),
                              QStringLiteral("\t"),
                              QStringLiteral("\v"),
                              QStringLiteral("Überlänge"),
                              QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87"),
                              QString::fromUtf8("\xF0\x9F\x98\x80"),
                              QStringLiteral("   ")};
    for (int round = 0; round < 60; ++round) {
        Para para;
        const int count = int(random() % 30);
        for (int i = 0; i < count; ++i) {
            CharFormat format = sans(int32_t(100 + random() % 600));
            if (random() % 3 == 0)
                format.effects |= Bold | Superscript;
            if (random() % 7 == 0)
                para.addPicture(int32_t(random() % 2000), int32_t(random() % 2000));
            else
                para.add(pieces[random() % std::size(pieces)], format);
        }
        para.format.tabs = {int32_t(random() % 3000), int32_t(random() % 3000)};
        para.format.alignment = uint16_t(1 + random() % 4);
        para.format.offset = int32_t(random() % 800);
        const int32_t width = int32_t(random() % 6000) - 500;
        const ParagraphLayout layout = para.layout(width);
        expectCoverage(layout);
        int64_t top = 0;
        for (int i = 0; i < layout.lineCount(); ++i) {
            const LayoutLine& line = layout.line(i);
            EXPECT_EQ(line.top, top);
            top += line.height;
            const std::vector<double> x = layout.edges(i);
            EXPECT_TRUE(std::is_sorted(x.begin(), x.end()));
            const int32_t past = layout.positionFromX(i, 1e9);
            EXPECT_EQ(layout.lineAt(past), i) << para.text.toStdString();
        }
        EXPECT_EQ(layout.height(), top);
    }
}
