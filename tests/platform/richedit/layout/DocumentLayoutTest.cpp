#include "platform/richedit/layout/DocumentLayout.h"
#include "platform/richedit/model/ListLabels.h"
#include "tests/platform/richedit/TextReference.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RandomRichText.h"

#include <gtest/gtest.h>

#include <QImage>
#include <climits>

using namespace richedit;
using testsupport::snapped;

namespace {

constexpr char16_t SoftBreak = u'\x000B';

CharFormat face(const QString& name, int32_t heightTw)
{
    return defaultCharFormat(name, heightTw);
}

// Long paragraphs in installed faces with large pictures and frequent lists, so that lines
// wrap, heights mix and labels count.
testsupport::RandomRichText generatorOf(unsigned seed)
{
    testsupport::RandomRichText::Options options;
    options.faces = {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Serif"),
                     QStringLiteral("DejaVu Sans Mono")};
    options.maxPiecesPerText = 30;
    options.maxRunsPerParagraph = 3;
    options.pictureOdds = 12;
    options.pictureScale = 10;
    options.listOdds = 2;
    return testsupport::RandomRichText(seed, options);
}

// Every line's start, and checks that the line queries agree with each other and with Text.
std::vector<int32_t> expectLinesAgree(DocumentLayout& layout, const Document& document)
{
    const QString text = document.text();
    const auto length = int32_t(text.size());
    const int count = layout.lineCount();
    EXPECT_GE(count, 1);
    std::vector<int32_t> starts;
    for (int line = 0; line < count; ++line) {
        const int32_t start = layout.lineIndex(line);
        if (!starts.empty()) {
            EXPECT_GT(start, starts.back()) << "line " << line;
        }
        EXPECT_EQ(snapped(text, start), start) << "line " << line;
        EXPECT_EQ(layout.lineFromChar(start), line);
        starts.push_back(start);
    }
    EXPECT_EQ(starts.front(), 0);
    EXPECT_EQ(layout.lineIndex(count), -1);
    EXPECT_EQ(layout.lineIndex(count + 7), -1);
    EXPECT_EQ(layout.lineIndex(-2), -1);

    int64_t top = 0;
    for (int line = 0; line < count; ++line) {
        const int32_t start = starts[size_t(line)];
        const int32_t next = line + 1 < count ? starts[size_t(line + 1)] : length;
        QString content = text.mid(start, next - start);
        // A paragraph end only ever closes a line.
        const auto paragraphEnd = content.indexOf(u'\r');
        if (paragraphEnd >= 0) {
            EXPECT_EQ(content.mid(paragraphEnd), QStringLiteral("\r\n")) << "line " << line;
            content.truncate(paragraphEnd);
        }
        if (content.endsWith(SoftBreak))
            content.chop(1);
        EXPECT_FALSE(content.contains(SoftBreak)) << "line " << line;
        EXPECT_EQ(layout.lineLength(start), content.size()) << "line " << line;
        for (int32_t pos = start; pos < next || (pos == next && line + 1 == count); ++pos) {
            if (snapped(text, pos) == pos) {
                EXPECT_EQ(layout.lineFromChar(pos), line) << "position " << pos;
                EXPECT_EQ(layout.lineLength(pos), content.size()) << "position " << pos;
            }
        }
        if (content.isEmpty() && line + 1 < count) {
            EXPECT_EQ(layout.lineLength(start + 1), layout.lineLength(starts[size_t(line + 1)]));
        }
        EXPECT_EQ(layout.lineTop(line), top) << "line " << line;
        top += layout.lineHeight(line);
    }
    // Every paragraph start and every position after a U+000B starts a line.
    for (int32_t pos = 0; pos < length; ++pos) {
        if (text[pos] == u'\n' || text[pos] == SoftBreak) {
            EXPECT_TRUE(std::binary_search(starts.begin(), starts.end(), pos + 1)) << pos + 1;
        }
    }
    EXPECT_EQ(layout.lineFromChar(length + 10), count - 1);
    EXPECT_EQ(layout.lineLength(length + 10), layout.lineLength(length));
    return starts;
}

// Everything the layout shows, for comparing a cached layout with a fresh one.
struct Snapshot {
    std::vector<int32_t> starts, lengths, heights;
    std::vector<int64_t> tops;
    std::vector<QString> labels;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshotOf(DocumentLayout& layout, const Document& document)
{
    Snapshot snapshot;
    for (int line = 0; line < layout.lineCount(); ++line) {
        snapshot.starts.push_back(layout.lineIndex(line));
        snapshot.lengths.push_back(layout.lineLength(snapshot.starts.back()));
        snapshot.tops.push_back(layout.lineTop(line));
        snapshot.heights.push_back(layout.lineHeight(line));
    }
    for (int p = 0; p < document.paragraphCount(); ++p)
        snapshot.labels.push_back(layout.paragraphLayout(p).label().text);
    return snapshot;
}

void expectLabelsCountAsLists(DocumentLayout& layout, const Document& document)
{
    ListCounter counter;
    for (int p = 0; p < document.paragraphCount(); ++p)
        EXPECT_EQ(layout.paragraphLayout(p).label().text,
                  counter.nextLabel(document.paragraphFormat(p)))
            << "paragraph " << p;
}

void randomEdit(Document& document, testsupport::RandomRichText& random)
{
    const int32_t length = document.length();
    const int32_t pos = random.pick(length + 1);
    const int32_t end = std::min(length, pos + random.pick(60));
    switch (random.pick(7)) {
        case 0:
            document.insert(
                pos,
                random.text() + (random.pick(3) ? QStringLiteral(" ") : QStringLiteral("\r\n")),
                face(QStringLiteral("DejaVu Sans"), 200 + random.pick(3) * 100));
            break;
        case 1:
            document.remove({pos, end});
            break;
        case 2: {
            CharFormat change;
            change.mask = Size | Bold;
            change.heightTw = 160 + random.pick(5) * 80;
            change.effects = random.pick(2) ? uint32_t(Bold) : 0u;
            document.applyChar({pos, end}, change);
            break;
        }
        case 3: {
            ParaFormat change = random.paraFormat();
            change.mask = random.pick(2) ? (Numbering | NumberingStart | NumberingStyle)
                                         : (StartIndent | SpaceBefore | LineSpacing);
            document.applyPara({pos, end}, change);
            break;
        }
        case 4:
            document.insertFragment(pos, random.fragment(1 + random.pick(3)));
            break;
        case 5: {
            EditBlock block(document);
            document.insert(pos, QStringLiteral("ab\r\ncd"),
                            face(QStringLiteral("DejaVu Sans"), 240));
            document.remove({0, random.pick(5)});
            break;
        }
        default:
            document.overwrite(pos, QStringLiteral("xy"));
            break;
    }
}

std::unique_ptr<Document> randomDocument(testsupport::RandomRichText& random, int paragraphs)
{
    auto document = std::make_unique<Document>(face(QStringLiteral("DejaVu Sans"), 200));
    document->replaceAll(random.fragment(paragraphs));
    return document;
}

}  // namespace

TEST(DocumentLayoutTest, EmptyDocumentAndFinalParagraphEnd)
{
    Document document;
    DocumentLayout layout(document);
    EXPECT_EQ(layout.lineCount(), 1);
    EXPECT_EQ(layout.lineIndex(0), 0);
    EXPECT_EQ(layout.lineIndex(1), -1);
    EXPECT_EQ(layout.lineLength(0), 0);
    EXPECT_EQ(layout.lineFromChar(5), 0);

    document.setPlainText(QStringLiteral("abc\r\n"));
    EXPECT_EQ(layout.lineCount(), 2);
    EXPECT_EQ(layout.lineIndex(1), 5);
    EXPECT_EQ(layout.lineFromChar(3), 0);
    EXPECT_EQ(layout.lineFromChar(4), 1);  // between CR and LF snaps forward
    EXPECT_EQ(layout.lineFromChar(5), 1);
    EXPECT_EQ(layout.lineLength(0), 3);
    EXPECT_EQ(layout.lineLength(5), 0);
}

TEST(DocumentLayoutTest, LineQueriesAgreeWithTextInEveryWrapMode)
{
    testsupport::RandomRichText random = generatorOf(7);
    QImage printer(8, 8, QImage::Format_RGB32);
    printer.setDotsPerMeterX(23622);  // 600 dpi
    printer.setDotsPerMeterY(23622);
    for (int round = 0; round < 6; ++round) {
        auto document = randomDocument(random, 3 + round * 3);
        if (round % 2)
            document->insert(document->length(), QStringLiteral("\r\n"), document->defaultFormat());
        DocumentLayout layout(*document);

        layout.setViewportSize(QSize(2400 + round * 900, 3000));
        expectLinesAgree(layout, *document);

        layout.setTargetDevice(&printer, 3000 + round * 1000);
        expectLinesAgree(layout, *document);

        layout.setTargetDevice(nullptr, 1);
        const std::vector<int32_t> starts = expectLinesAgree(layout, *document);
        // Without wrapping lines start only at paragraph starts and after U+000B.
        const QString text = document->text();
        const auto breaks = text.count(u'\n') + text.count(SoftBreak);
        EXPECT_EQ(qsizetype(starts.size()), breaks + 1);
    }
}

TEST(DocumentLayoutTest, EditsLeaveTheSameLayoutAsAFreshOne)
{
    testsupport::RandomRichText random = generatorOf(11);
    QImage printer(8, 8, QImage::Format_RGB32);
    printer.setDotsPerMeterX(11811);  // 300 dpi
    printer.setDotsPerMeterY(11811);
    for (int mode = 0; mode < 3; ++mode) {
        auto document = randomDocument(random, 25);
        DocumentLayout cached(*document);
        const auto configure = [&](DocumentLayout& layout) {
            layout.setViewportSize(QSize(3600, 2000));
            if (mode == 1)
                layout.setTargetDevice(&printer, 4000);
            else if (mode == 2)
                layout.setTargetDevice(nullptr, 1);
        };
        configure(cached);
        for (int edit = 0; edit < 80; ++edit) {
            randomEdit(*document, random);
            // Partial queries leave part of the cache laid out and part waiting.
            cached.lineFromChar(random.pick(document->length() + 1));
            if (edit % 3 == 0)
                cached.lineIndex(random.pick(40));
            if (edit % 8 == 0) {
                DocumentLayout fresh(*document);
                configure(fresh);
                ASSERT_EQ(snapshotOf(cached, *document), snapshotOf(fresh, *document))
                    << "mode " << mode << " edit " << edit;
                expectLabelsCountAsLists(cached, *document);
            }
        }
        expectLinesAgree(cached, *document);
    }
}

namespace {

// Every value the painter and the queries read from a paragraph's lines.
std::vector<std::vector<double>> linesOf(const ParagraphLayout& layout)
{
    std::vector<std::vector<double>> result;
    for (const LayoutLine& l : layout.lines())
        result.push_back(
            {double(l.start), double(l.length), double(l.hangingSpaces), double(l.closedByBreak),
             double(l.softWrap), double(l.top), double(l.height), double(l.spaceBefore),
             double(l.spaceAfter), double(l.ascent), double(l.descent), double(l.baseline), l.left,
             l.contentWidth, l.right, l.origin, l.shift, l.spaceExtra, double(l.justifyFrom)});
    result.push_back({double(layout.height())});
    return result;
}

}  // namespace

// Typing, deleting and formatting inside one long paragraph re-lay it out from the lines the
// edit touches; every line must come out as a layout of the whole paragraph made anew.
TEST(DocumentLayoutTest, RelayoutInsideAParagraphMatchesAFreshLayout)
{
    testsupport::RandomRichText random = generatorOf(23);
    QImage printer(8, 8, QImage::Format_RGB32);
    printer.setDotsPerMeterX(11811);  // 300 dpi
    printer.setDotsPerMeterY(11811);
    const QString pieces[] = {
        QStringLiteral("word "),      QStringLiteral("a "),  QStringLiteral("unbrokenlongerword"),
        QStringLiteral("\t"),         QStringLiteral("   "), QString(SoftBreak),
        QStringLiteral("\U0001F600"), QStringLiteral("x")};
    const auto piece = [&] { return pieces[random.pick(int(std::size(pieces)))]; };
    for (int round = 0; round < 9; ++round) {
        Document document(face(QStringLiteral("DejaVu Sans"), 200));
        for (int k = 0; k < 300; ++k)
            document.insert(random.pick(document.length() + 1), piece(), random.charFormat());
        ParaFormat format = random.paraFormat();
        format.mask = defaultParaFormat().mask;
        document.applyPara({0, 0}, format);
        DocumentLayout layout(document);
        layout.setViewportSize(QSize(2500 + round * 400, 3000));
        if (round % 3 == 1)
            layout.setTargetDevice(&printer, 3500);
        else if (round % 3 == 2)
            layout.setTargetDevice(nullptr, 1);
        // Frozen, the edits between two readings wait and are laid out as one.
        const bool frozen = round % 2 == 1;
        if (frozen)
            layout.freeze();
        const auto expectFresh = [&](const char* when, int edit) {
            const ParagraphLayout& cached = layout.paragraphLayout(0);
            const ParagraphLayout fresh(layout.paragraphInput(0), layout.wrapWidth(),
                                        layout.measuringDevice());
            ASSERT_EQ(linesOf(cached), linesOf(fresh))
                << when << " round " << round << " edit " << edit;
            ASSERT_EQ(layout.lineCount(), fresh.lineCount());
            ASSERT_EQ(layout.lineIndex(fresh.lineCount() - 1), fresh.lines().back().start);
        };
        for (int edit = 0; edit < 60; ++edit) {
            const int32_t length = document.length();
            const int32_t pos = document.snap(random.pick(length + 1));
            const int32_t end = document.snap(std::min(length, pos + random.pick(30)));
            switch (random.pick(4)) {
                case 0:
                    document.insert(pos, piece() + piece(), random.charFormat());
                    break;
                case 1:
                    document.remove({pos, end});
                    break;
                case 2: {
                    CharFormat change;
                    change.mask = Size;
                    change.heightTw = 160 + random.pick(6) * 60;
                    document.applyChar({pos, end}, change);
                    break;
                }
                default:
                    document.overwrite(pos, QStringLiteral("  "));
                    break;
            }
            ASSERT_EQ(document.paragraphCount(), 1);
            if (!frozen || edit % 6 == 5)
                expectFresh("read", edit);
        }
        if (frozen) {
            // Edits after the last reading, laid out by the unfreeze.
            document.insert(0, piece(), random.charFormat());
            EXPECT_FALSE(layout.fullyLaidOut());
            layout.unfreeze();
            EXPECT_TRUE(layout.fullyLaidOut());
            expectFresh("unfrozen", 60);
        }
    }
}

// Hidden runs, hidden marks and whole hidden paragraphs come and go with the edits: the cached
// layout stays equal to a fresh one, each paragraph relaid out equals one laid out anew, and
// no display line starts in a paragraph that shows nothing.
TEST(DocumentLayoutTest, HiddenTextKeepsCachedAndFreshLayoutsEqual)
{
    testsupport::RandomRichText::Options options;
    options.faces = {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Serif")};
    options.maxPiecesPerText = 12;
    options.listOdds = 3;
    options.hiddenOdds = 2;
    testsupport::RandomRichText random(31, options);
    int showingNothing = 0;  // the paragraphs met that show nothing: the case is exercised
    for (int mode = 0; mode < 2; ++mode) {
        auto document = randomDocument(random, 30);
        DocumentLayout cached(*document);
        const auto configure = [&](DocumentLayout& layout) {
            layout.setViewportSize(QSize(3000, 2000));
            if (mode == 1)
                layout.setTargetDevice(nullptr, 1);
        };
        configure(cached);
        for (int edit = 0; edit < 60; ++edit) {
            const int32_t length = document->length();
            const int32_t pos = random.pick(length + 1);
            const int32_t end = std::min(length, pos + random.pick(80));
            if (random.pick(2) == 0) {
                randomEdit(*document, random);
            } else {
                CharFormat change;
                change.mask = Hidden;
                change.effects = random.pick(3) ? uint32_t(Hidden) : 0u;
                document->applyChar({pos, end}, change);
            }
            cached.lineFromChar(random.pick(document->length() + 1));
            if (edit % 6 != 0)
                continue;
            DocumentLayout fresh(*document);
            configure(fresh);
            ASSERT_EQ(snapshotOf(cached, *document), snapshotOf(fresh, *document))
                << "mode " << mode << " edit " << edit;
            for (int p = 0; p < document->paragraphCount(); ++p) {
                const ParagraphLayout anew(cached.paragraphInput(p), cached.wrapWidth(),
                                           cached.measuringDevice());
                ASSERT_EQ(linesOf(cached.paragraphLayout(p)), linesOf(anew))
                    << "mode " << mode << " edit " << edit << " paragraph " << p;
                showingNothing += anew.showsNothing() ? 1 : 0;
            }
            for (int line = 0; line < cached.lineCount(); ++line) {
                const int p = document->paragraphAt(cached.lineIndex(line));
                EXPECT_FALSE(cached.paragraphLayout(p).showsNothing()) << "line " << line;
            }
        }
    }
    EXPECT_GT(showingNothing, 10);
}

TEST(DocumentLayoutTest, NumberChangeRenumbersTheFollowingRun)
{
    Document document(face(QStringLiteral("DejaVu Sans"), 200));
    document.setPlainText(QStringLiteral("one\r\ntwo\r\nthree\r\nfour\r\nplain"));
    ParaFormat numbered;
    numbered.mask = Numbering | NumberingStart | NumberingStyle;
    numbered.numbering = Arabic;
    numbered.numberingStart = 1;
    numbered.numberingStyle = NumberPeriod;
    document.applyPara({0, 20}, numbered);
    DocumentLayout layout(document);
    EXPECT_EQ(layout.paragraphLayout(3).label().text, QStringLiteral("4."));

    ParaFormat start;
    start.mask = NumberingStart;
    start.numberingStart = 7;
    document.applyPara({0, 0}, start);
    EXPECT_EQ(layout.paragraphLayout(0).label().text, QStringLiteral("7."));
    EXPECT_EQ(layout.paragraphLayout(3).label().text, QStringLiteral("10."));
    EXPECT_EQ(layout.paragraphLayout(4).label().text, QString());

    // Taking the second out of the list restarts the count after it.
    ParaFormat none;
    none.mask = Numbering;
    none.numbering = NoNumbering;
    document.applyPara({6, 6}, none);
    EXPECT_EQ(layout.paragraphLayout(2).label().text, QStringLiteral("1."));
    EXPECT_EQ(layout.paragraphLayout(3).label().text, QStringLiteral("2."));
}

TEST(DocumentLayoutTest, LaysOutOnlyWhatItMust)
{
    testsupport::RandomRichText random = generatorOf(3);
    auto document = randomDocument(random, 40);
    DocumentLayout layout(*document);
    layout.lineCount();
    ASSERT_TRUE(layout.fullyLaidOut());

    // Typing re-lays the paragraph it touched at once, from the lines it changed; the two
    // paragraphs a split makes wait for a query that needs them.
    const int32_t at = document->paragraphStart(30) + 1;
    document->insert(at, QStringLiteral("x"), document->formatAt(at));
    EXPECT_TRUE(layout.fullyLaidOut());
    document->insert(at, QStringLiteral("\r\n"), document->formatAt(at));
    EXPECT_FALSE(layout.fullyLaidOut());
    layout.lineFromChar(document->paragraphStart(5));  // needs nothing after paragraph 5
    EXPECT_FALSE(layout.fullyLaidOut());
    EXPECT_FALSE(layout.layOutPending(2));

    // A new width lays out what is shown and keeps the top line's text at the top.
    layout.lineScroll(20);
    const int32_t top = layout.topPosition();
    layout.setViewportSize(QSize(2500, 1500));
    EXPECT_FALSE(layout.fullyLaidOut());
    EXPECT_EQ(layout.lineFromChar(top), layout.firstVisibleLine());
    while (layout.layOutPending(7)) {
    }
    EXPECT_TRUE(layout.fullyLaidOut());
}

// A pass over many paragraphs keeps the lines of those near the top of the view only; the
// others are laid out again when read and must come out as a layout that kept everything.
TEST(DocumentLayoutTest, LongDocumentsKeepLinesNearTheTopAndAgreeWithAFullLayout)
{
    testsupport::RandomRichText random = generatorOf(17);
    const int count = 3 * DocumentLayout::KeptAroundTop;
    auto document = randomDocument(random, count);
    ASSERT_GE(document->paragraphCount(), count);
    DocumentLayout bulk(*document);
    bulk.setViewportSize(QSize(3000, 2000));
    bulk.lineCount();
    EXPECT_TRUE(bulk.fullyLaidOut());
    EXPECT_LE(bulk.layoutsHeld(), DocumentLayout::KeptAroundTop + 1);
    bulk.lineScroll(bulk.lineCount() / 2);
    for (int edit = 0; edit < 30; ++edit) {
        randomEdit(*document, random);
        bulk.lineCount();
        if (edit % 10 == 0) {
            DocumentLayout full(*document);
            full.setViewportSize(QSize(3000, 2000));
            for (int p = 0; p < document->paragraphCount(); ++p)
                full.paragraphLayout(p);
            EXPECT_EQ(full.layoutsHeld(), document->paragraphCount());
            ASSERT_EQ(snapshotOf(bulk, *document), snapshotOf(full, *document)) << edit;
        }
    }
    expectLinesAgree(bulk, *document);
}

// Layouts read one by one (painting a scroll through the whole document) stay bounded: the
// ones farthest from the top of the view go, the last ones read stay valid for their reader,
// and a paragraph read again is laid out as before.
TEST(DocumentLayoutTest, LayoutsReadOnDemandStayBoundedAndComeBackAlike)
{
    Document document(face(QStringLiteral("DejaVu Sans"), 200));
    QString text;
    const int count = 3 * DocumentLayout::MaxLayoutsHeld;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("line %1 with a few words to wrap\r\n").arg(i);
    document.setPlainText(text);
    DocumentLayout layout(document);
    layout.setViewportSize(QSize(1500, 2000));
    const Snapshot before = snapshotOf(layout, document);
    const ParagraphLayout* top = &layout.paragraphLayout(0);

    const ParagraphLayout* previous = nullptr;
    int firstLines = 0;
    for (int p = 0; p < document.paragraphCount(); ++p) {
        const ParagraphLayout& read = layout.paragraphLayout(p);
        if (previous) {
            // Still held: a reader may keep the one before while reading the next.
            EXPECT_EQ(previous->lineCount(), firstLines) << p;
        }
        previous = &read;
        firstLines = read.lineCount();
        ASSERT_LE(layout.layoutsHeld(), DocumentLayout::MaxLayoutsHeld) << p;
    }
    EXPECT_GE(layout.layoutsHeld(), DocumentLayout::MaxLayoutsHeld / 2);
    // The layout at the top of the view was never dropped.
    EXPECT_EQ(&layout.paragraphLayout(0), top);
    EXPECT_EQ(snapshotOf(layout, document), before);
}

// Splits, joins and long stretches of paragraphs added and removed in a document of many short
// numbered and plain paragraphs: the per-paragraph figures, cached layouts and list numbers
// move with their paragraphs as the blocks holding them split and merge.
TEST(DocumentLayoutTest, SplitsAndJoinsInALongDocumentLeaveTheSameLayoutAsAFreshOne)
{
    testsupport::RandomRichText random = generatorOf(23);
    Document document(face(QStringLiteral("DejaVu Sans"), 200));
    QString text;
    for (int p = 0; p < 900; ++p)
        text += QStringLiteral("line %1 of a long list\r\n").arg(p);
    document.setPlainText(text);
    ParaFormat numbered;
    numbered.mask = Numbering | NumberingStart | NumberingStyle;
    numbered.numbering = Arabic;
    numbered.numberingStart = 1;
    numbered.numberingStyle = NumberPeriod;
    document.applyPara({document.paragraphStart(100), document.paragraphStart(700)}, numbered);
    DocumentLayout cached(document);
    cached.setViewportSize(QSize(2400, 2000));
    cached.lineCount();
    for (int edit = 0; edit < 60; ++edit) {
        const int paragraph = random.pick(document.paragraphCount() - 1) + 1;
        const int32_t start = document.paragraphStart(paragraph);
        switch (random.pick(5)) {
            case 0:  // Enter inside a paragraph
                document.insert(start + random.pick(6), QStringLiteral("\r"),
                                document.defaultFormat());
                break;
            case 1:  // Backspace at a paragraph start
                document.remove({start - 2, start});
                break;
            case 2: {
                const int last =
                    std::min(document.paragraphCount() - 1, paragraph + random.pick(400));
                document.remove({start, document.paragraphStart(last)});
                break;
            }
            case 3:
                document.insert(start,
                                QString(QStringLiteral("new\r\n")).repeated(random.pick(500)),
                                document.defaultFormat());
                break;
            default:
                document.applyPara({start, start + 1}, numbered);
                break;
        }
        // Some layouts cached near the queries, others waiting.
        cached.lineFromChar(start);
        if (edit % 6 == 0) {
            DocumentLayout fresh(document);
            fresh.setViewportSize(QSize(2400, 2000));
            ASSERT_EQ(snapshotOf(cached, document), snapshotOf(fresh, document)) << edit;
            expectLabelsCountAsLists(cached, document);
        }
    }
    expectLinesAgree(cached, document);
}

TEST(DocumentLayoutTest, WrapModes)
{
    Document document(face(QStringLiteral("DejaVu Sans"), 200));
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("word ");
    document.setPlainText(text + QStringLiteral("\r\nshort"));
    DocumentLayout layout(document);
    layout.setInsets(QMargins(2, 0, 2, 0));

    layout.setViewportSize(QSize(6000, 3000));
    EXPECT_EQ(layout.wrapMode(), WrapMode::Window);
    EXPECT_EQ(layout.wrapWidth(), 6000 - 4 * 15);
    const int wide = layout.lineCount();
    layout.setViewportSize(QSize(3000, 3000));
    EXPECT_GT(layout.lineCount(), wide);

    layout.setTargetDevice(nullptr, 1);
    EXPECT_EQ(layout.wrapMode(), WrapMode::None);
    EXPECT_EQ(layout.lineCount(), 2);

    // A fixed width does not follow the window, and breaks as a paragraph laid out alone.
    auto printer = std::make_unique<QImage>(8, 8, QImage::Format_RGB32);
    printer->setDotsPerMeterX(23622);
    printer->setDotsPerMeterY(23622);
    layout.setTargetDevice(printer.get(), 4000);
    const ParagraphLayout alone(layout.paragraphInput(0), 4000, printer.get());
    printer.reset();  // the caller may free the device
    EXPECT_EQ(layout.wrapWidth(), 4000);
    EXPECT_EQ(layout.lineCount(), alone.lineCount() + 1);
    layout.setViewportSize(QSize(9000, 3000));
    ASSERT_EQ(layout.lineCount(), alone.lineCount() + 1);
    for (int i = 0; i < alone.lineCount(); ++i)
        EXPECT_EQ(layout.lineIndex(i), alone.line(i).start);

    // A right margin is a width with screen metrics, 0 the window; the later call decides.
    layout.setRightMargin(3000);
    EXPECT_EQ(layout.wrapMode(), WrapMode::Width);
    EXPECT_EQ(layout.measuringDevice(), nullptr);
    layout.setTargetDevice(nullptr, 0);
    EXPECT_EQ(layout.wrapWidth(), 9000 - 4 * 15);
    layout.setRightMargin(2000);
    EXPECT_EQ(layout.wrapWidth(), 2000);
    layout.setRightMargin(0);
    EXPECT_EQ(layout.wrapMode(), WrapMode::Window);
}

TEST(DocumentLayoutTest, GeometryAndCharFromPos)
{
    testsupport::RandomRichText random = generatorOf(5);
    auto document = randomDocument(random, 12);
    DocumentLayout layout(*document);
    layout.setInsets(QMargins(2, 3, 4, 5));
    layout.setViewportSize(QSize(4800, 3600));
    EXPECT_EQ(layout.formattingRectPx(), (FormattingRect{2, 3, 316, 235}));
    layout.setTwipsPerPixel(7.5);
    EXPECT_EQ(layout.formattingRectPx(), (FormattingRect{2, 3, 636, 475}));
    layout.setTwipsPerPixel(15);

    for (int scroll : {0, 4}) {
        layout.lineScroll(scroll - layout.firstVisibleLine());
        const int64_t viewTop = layout.lineTop(layout.firstVisibleLine());
        for (int line = 0; line < layout.lineCount(); ++line) {
            const int y = int(layout.lineTop(line) - viewTop + layout.lineHeight(line) / 2);
            if (layout.lineHeight(line) < 2)
                continue;
            const int32_t right = layout.charFromPointTw(QPoint(1 << 24, y));
            EXPECT_EQ(layout.lineFromChar(right), line) << "line " << line;
            EXPECT_GE(right, layout.lineIndex(line));
            EXPECT_EQ(layout.charFromPos(QPoint(2 + (1 << 20) / 15, 3 + y / 15)), right);
        }
        EXPECT_EQ(layout.charFromPointTw(QPoint(0, -(1 << 24))), 0);
        EXPECT_EQ(layout.lineFromChar(layout.charFromPointTw(QPoint(0, 1 << 24))),
                  layout.lineCount() - 1);
    }
}

TEST(DocumentLayoutTest, ScrollingClampsAndFollowsTheCaret)
{
    Document document(face(QStringLiteral("DejaVu Sans"), 200));
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    document.setPlainText(text);
    int32_t caret = 0;
    DocumentLayout layout(document);
    layout.setCaretSource([&caret] { return caret; });
    layout.setViewportSize(QSize(6000, 3000));
    const int count = layout.lineCount();

    EXPECT_EQ(layout.lineScroll(5), 1);
    EXPECT_EQ(layout.firstVisibleLine(), 5);
    layout.lineScroll(-100);
    EXPECT_EQ(layout.firstVisibleLine(), 0);
    layout.lineScroll(1000);
    EXPECT_EQ(layout.firstVisibleLine(), count - 1);
    layout.lineScroll(INT_MIN);
    EXPECT_EQ(layout.firstVisibleLine(), 0);
    layout.lineScroll(INT_MAX);
    EXPECT_EQ(layout.firstVisibleLine(), count - 1);

    // Below the view: the caret's line becomes the last fully visible one.
    layout.lineScroll(-count);
    caret = layout.lineIndex(40);
    layout.selectionChanged();
    const int first = layout.firstVisibleLine();
    const int64_t bottom = layout.lineTop(40) + layout.lineHeight(40);
    EXPECT_LE(bottom, layout.lineTop(first) + 3000);
    EXPECT_GT(bottom, layout.lineTop(first - 1) + 3000);
    EXPECT_EQ(layout.lineIndex(-1), caret);

    caret = layout.lineIndex(first + 1);  // visible: nothing moves
    layout.selectionChanged();
    EXPECT_EQ(layout.firstVisibleLine(), first);

    caret = layout.lineIndex(3) + 2;  // above: its line becomes the top line
    layout.selectionChanged();
    EXPECT_EQ(layout.firstVisibleLine(), 3);

    // Text added above the view keeps the same text at the top.
    const int32_t top = layout.topPosition();
    document.insert(0, QStringLiteral("new\r\n"), document.defaultFormat());
    EXPECT_EQ(layout.firstVisibleLine(), 4);
    EXPECT_EQ(layout.topPosition(), top + 5);

    // Text typed at the start of the top line goes onto that line: the view stays.
    const int32_t topStart = layout.topPosition();
    document.insert(topStart, QStringLiteral("typed "), document.defaultFormat());
    EXPECT_EQ(layout.firstVisibleLine(), 4);
    EXPECT_EQ(layout.topPosition(), topStart);
}

TEST(DocumentLayoutTest, TypingIntoAnEmptyDocumentKeepsTheFirstLineOnTop)
{
    Document document(face(QStringLiteral("DejaVu Sans"), 200));
    int32_t caret = 0;
    DocumentLayout layout(document);
    layout.setCaretSource([&caret] { return caret; });
    layout.setViewportSize(QSize(6000, 3000));
    for (int line = 0; line < 5; ++line) {
        const QString typed = line == 0 ? QStringLiteral("first") : QStringLiteral("\r\nnext");
        document.insert(caret, typed, document.defaultFormat());
        caret += int32_t(typed.size());
        layout.selectionChanged();
        ASSERT_EQ(layout.firstVisibleLine(), 0) << "after line " << line;
    }
}

TEST(DocumentLayoutTest, FreezeNestsAndDefersTheScroll)
{
    Document document(face(QStringLiteral("DejaVu Sans"), 200));
    QString text;
    for (int i = 0; i < 80; ++i)
        text += QStringLiteral("row %1\r\n").arg(i);
    document.setPlainText(text);
    int32_t caret = 0;
    int repaints = 0;
    DocumentLayout layout(document);
    layout.setCaretSource([&caret] { return caret; });
    layout.setViewportSize(QSize(6000, 3000));
    layout.onRepaintNeeded = [&repaints] { ++repaints; };

    layout.freeze();
    layout.freeze();
    caret = layout.lineIndex(70);
    layout.selectionChanged();
    document.insert(0, QStringLiteral("x"), document.defaultFormat());
    EXPECT_EQ(layout.firstVisibleLine(), 0);
    EXPECT_EQ(layout.lineFromChar(caret), 70);  // queries work while frozen
    EXPECT_EQ(layout.lineScroll(2), 1);
    EXPECT_EQ(layout.firstVisibleLine(), 2);
    layout.unfreeze();
    EXPECT_TRUE(layout.frozen());
    EXPECT_EQ(layout.firstVisibleLine(), 2);
    EXPECT_EQ(repaints, 0);

    layout.unfreeze();
    EXPECT_FALSE(layout.frozen());
    EXPECT_EQ(repaints, 1);
    const int first = layout.firstVisibleLine();
    EXPECT_GT(first, 2);
    EXPECT_LE(layout.lineTop(70) + layout.lineHeight(70), layout.lineTop(first) + 3000);

    // No selection change while frozen: no scroll at the end, one repaint; extra unfreezes do
    // nothing.
    layout.lineScroll(-first);
    repaints = 0;
    layout.freeze();
    layout.unfreeze();
    layout.unfreeze();
    EXPECT_EQ(layout.firstVisibleLine(), 0);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(layout.freezeCount(), 0);
}
