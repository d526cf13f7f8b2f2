#include "platform/richedit/layout/FormatRangeCache.h"
#include "platform/richedit/view/Engine.h"

#include "tests/platform/picture/MetafileScenes.h"
#include "tests/support/PrivatePrintServer.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RandomRichText.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <functional>
#include <vector>

using namespace richedit;

namespace {

constexpr int PrinterDpi = 300;
constexpr int32_t PageWidthTw = 9360;  // 6.5 inches

// A stand-in for a printer: only its resolution matters to the layout.
QImage deviceOfDpi(int dpi, QSize size = QSize(1, 1))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

void setFace(Engine& engine, const QString& face, int32_t heightTw)
{
    CharFormat font;
    font.mask = Face | Size;
    font.face = face;
    font.heightTw = heightTw;
    engine.setCharFormat(AllScope, font);
}

// Paragraphs of random words, empty paragraphs, tabs, soft breaks, surrogate pairs, long
// words, and random paragraph formats (indents, spacing, alignment, tabs, lists) and sizes.
void fillRandomDocument(Engine& engine, unsigned seed)
{
    testsupport::RandomRichText::Options options;
    options.maxPiecesPerText = 30;
    testsupport::RandomRichText random(seed, options);
    QStringList paragraphs;
    for (int p = 0, count = 4 + random.pick(12); p < count; ++p)
        paragraphs << (random.pick(5) == 0 ? QString() : random.text());
    engine.setText(paragraphs.join(QStringLiteral("\r\n")));
    setFace(engine, QStringLiteral("DejaVu Sans"), 200);

    const Document& document = engine.document();
    for (int p = 0; p < document.paragraphCount(); ++p) {
        const int32_t start = document.paragraphStart(p);
        engine.exSetSel({start, start});
        ParaFormat format = random.paraFormat();
        format.mask = AllParaFields;
        engine.setParaFormat(format);
        if (document.paragraph(p).text.size() > 4 && random.pick(2) == 0) {
            engine.exSetSel({start + 1, start + 4});
            engine.setSelFontSize(8 + random.pick(20));
        }
    }
    engine.exSetSel({0, 0});
}

int32_t measure(Engine& engine, CharRange range, Rect rc, const TargetDevice* target,
                Rect* result = nullptr)
{
    FormatRange format{nullptr, target, rc, rc, range};
    const int32_t next = engine.formatRange(format, false);
    if (result)
        *result = format.rc;
    return next;
}

// The height of every line a page loop prints: a loop stops when the result reaches the end,
// so an empty last line at the end (after a final paragraph mark) is never placed.
int64_t printedHeight(Engine& engine)
{
    const int last = engine.lineCount() - 1;
    const int32_t length = engine.text().size();
    if (length > 0 && engine.lineIndex(last) == length)
        return engine.layout().lineTop(last);
    return engine.layout().lineTop(last) + engine.layout().lineHeight(last);
}

struct Page {
    int32_t start = 0;
    int32_t next = 0;
    int32_t height = 0;
};

// The page loop every printing routine runs: from cpMin until the result reaches the end.
std::vector<Page> pagesOf(Engine& engine, CharRange range, Rect rc, const TargetDevice* target,
                          QPainter* painter = nullptr)
{
    const int32_t end = range.cpMax < 0 ? engine.text().size() : range.cpMax;
    std::vector<Page> pages;
    FormatRange format{painter, target, rc, rc, range};
    for (;;) {
        format.rc = rc;
        const int32_t next = engine.formatRange(format, painter != nullptr);
        pages.push_back({format.chrg.cpMin, next, format.rc.bottom - format.rc.top});
        if (next >= end || pages.size() > 10000)
            break;
        format.chrg.cpMin = next;
    }
    return pages;
}

bool notWhite(QColor c)
{
    return (c.rgb() & 0xFFFFFF) != 0xFFFFFF;
}

QRect inkBounds(const QImage& image, const std::function<bool(QColor)>& ink = notWhite)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image.pixelColor(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

class FormatRangeTest : public ::testing::Test {
protected:
    QImage m_printer = deviceOfDpi(PrinterDpi);
    TargetDevice m_target{PrinterDpi, PrinterDpi, &m_printer};
    Engine m_engine;

    // The engine's display lines as the page formatter should break them.
    void wrapForTarget() { m_engine.setTargetDevice(&m_printer, PageWidthTw); }
};

}  // namespace

// What the result and the written-back rectangle say, for whole documents and the ends.
TEST_F(FormatRangeTest, TheResultIsTheFirstPositionNotPlaced)
{
    const Rect tall{720, 360, 720 + PageWidthTw, 360 + 14400};
    for (const QString& text : {QStringLiteral("one line"), QStringLiteral("two\r\nparagraphs"),
                                QStringLiteral("ends in a mark\r\n"), QString()}) {
        m_engine.setText(text);
        const int32_t length = m_engine.text().size();
        Rect after;
        EXPECT_EQ(measure(m_engine, {0, -1}, tall, &m_target, &after), length)
            << text.toStdString();
        EXPECT_EQ(after.left, tall.left);
        EXPECT_EQ(after.top, tall.top);
        EXPECT_EQ(after.right, tall.right);
        EXPECT_GT(after.bottom, tall.top);
        EXPECT_LT(after.bottom, tall.bottom);

        EXPECT_EQ(measure(m_engine, {length, -1}, tall, &m_target), length);
        EXPECT_EQ(measure(m_engine, {length + 7, -1}, tall, &m_target), length);
        EXPECT_EQ(measure(m_engine, {length + 7, length + 9}, tall, &m_target), length);
    }

    m_engine.setText(QStringLiteral("first paragraph\r\nsecond"));
    EXPECT_EQ(measure(m_engine, {0, 5}, tall, &m_target), 5);
    EXPECT_EQ(measure(m_engine, {0, 15}, tall, &m_target), 15);  // up to the mark, not past
    EXPECT_EQ(measure(m_engine, {0, 16}, tall, &m_target), 17);  // between CR and LF: snapped
    EXPECT_EQ(measure(m_engine, {3, 20}, tall, &m_target), 20);
    EXPECT_EQ(measure(m_engine, {20, 3}, tall, &m_target), 20);  // reversed ends are ordered
    EXPECT_EQ(measure(m_engine, {-4, 2}, tall, &m_target), 2);

    // An empty range still places its line, so that a loop gets on.
    Rect after;
    EXPECT_EQ(measure(m_engine, {0, 0}, tall, &m_target, &after), 17);
    EXPECT_GT(after.bottom, tall.top);
}

// The rectangle's height never stops the first line: it is placed whole from rc.top.
TEST_F(FormatRangeTest, AShortOrNegativeRectanglePlacesExactlyOneLine)
{
    fillRandomDocument(m_engine, 7);
    wrapForTarget();
    ASSERT_GT(m_engine.lineCount(), 3);
    const int32_t secondLine = m_engine.lineIndex(1);
    for (const int32_t bottom : {1000, 1001, 999, 0, -5000}) {
        const Rect rc{0, 1000, PageWidthTw, bottom};
        Rect after;
        EXPECT_EQ(measure(m_engine, {0, -1}, rc, &m_target, &after), secondLine) << bottom;
        EXPECT_EQ(after.bottom - after.top, m_engine.layout().lineHeight(0)) << bottom;
        EXPECT_EQ(after.top, 1000);
    }
}

// With the device and width of the target device, each call with no room places the next
// display line, so the results walk through the line starts and the heights add up.
TEST_F(FormatRangeTest, BreaksEqualTheDisplayLinesOfTheSameDeviceAndWidth)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        fillRandomDocument(m_engine, seed);
        wrapForTarget();
        const int lines = m_engine.lineCount();
        const int32_t length = m_engine.text().size();
        int32_t position = 0;
        for (int line = 0; line < lines; ++line) {
            ASSERT_EQ(position, m_engine.lineIndex(line)) << "seed " << seed << " line " << line;
            Rect after;
            position = measure(m_engine, {position, -1}, {0, 0, PageWidthTw, 0}, &m_target, &after);
            EXPECT_EQ(after.bottom, m_engine.layout().lineHeight(line))
                << "seed " << seed << " line " << line;
        }
        EXPECT_EQ(position, length) << "seed " << seed;

        // A target given by its resolution alone measures as a device of that resolution.
        const TargetDevice byResolution{PrinterDpi, PrinterDpi, nullptr};
        Rect viaDevice;
        Rect viaResolution;
        EXPECT_EQ(
            measure(m_engine, {0, -1}, {0, 0, PageWidthTw, 3000}, &byResolution, &viaResolution),
            measure(m_engine, {0, -1}, {0, 0, PageWidthTw, 3000}, &m_target, &viaDevice));
        EXPECT_EQ(viaResolution, viaDevice);

        // A page of any height ends at a line start and holds the lines that fit.
        const Rect page{0, 0, PageWidthTw, 2000};
        Rect after;
        const int32_t next = measure(m_engine, {0, -1}, page, &m_target, &after);
        if (next < length) {
            const int following = m_engine.lineFromChar(next);
            EXPECT_EQ(m_engine.lineIndex(following), next) << "seed " << seed;
            EXPECT_EQ(after.bottom, m_engine.layout().lineTop(following)) << "seed " << seed;
            EXPECT_GT(
                m_engine.layout().lineTop(following) + m_engine.layout().lineHeight(following),
                2000);
        }
    }
}

// Page loops end, and their pages cover the range once, in order, without gaps.
TEST_F(FormatRangeTest, PageLoopsCoverTheRangeExactlyOnce)
{
    for (unsigned seed = 20; seed <= 30; ++seed) {
        fillRandomDocument(m_engine, seed);
        wrapForTarget();
        const int32_t length = m_engine.text().size();
        for (const int32_t height : {1, 900, 5000}) {
            const std::vector<Page> pages =
                pagesOf(m_engine, {0, -1}, {0, 0, PageWidthTw, height}, &m_target);
            ASSERT_LT(pages.size(), 10000u);
            int32_t expected = 0;
            int64_t total = 0;
            for (const Page& page : pages) {
                EXPECT_EQ(page.start, expected);
                EXPECT_GT(page.next, page.start);
                expected = page.next;
                total += page.height;
            }
            EXPECT_EQ(expected, length) << "seed " << seed << " height " << height;
            EXPECT_EQ(total, printedHeight(m_engine)) << "seed " << seed;
        }

        // A part of the document: the last page ends exactly at its end.
        const int32_t from = length / 4;
        const int32_t to = m_engine.document().snap(length / 2);
        if (from < to) {
            const std::vector<Page> part =
                pagesOf(m_engine, {from, to}, {0, 0, PageWidthTw, 700}, &m_target);
            EXPECT_EQ(part.front().start, from);
            EXPECT_EQ(part.back().next, to) << "seed " << seed;
        }
    }
}

// The preview draws an empty line as (s, s + 1): one line, at the height of its mark.
TEST_F(FormatRangeTest, AnEmptyLineAsOnePositionIsOneLineAtItsMarksHeight)
{
    m_engine.setText(QStringLiteral("small\r\n\r\nafter"));
    setFace(m_engine, QStringLiteral("DejaVu Sans"), 200);
    m_engine.exSetSel({7, 9});
    m_engine.setSelFontSize(36);
    wrapForTarget();
    ASSERT_GT(m_engine.layout().lineHeight(1), m_engine.layout().lineHeight(0));

    const Rect rc{0, 0, PageWidthTw, 14400};
    Rect after;
    EXPECT_EQ(measure(m_engine, {7, 8}, rc, &m_target, &after), 9);
    EXPECT_EQ(after.bottom, m_engine.layout().lineHeight(1));

    // Every display line drawn as (start, start + length) is that line alone.
    fillRandomDocument(m_engine, 41);
    wrapForTarget();
    for (int line = 0; line < m_engine.lineCount(); ++line) {
        const int32_t start = m_engine.lineIndex(line);
        const int32_t length = std::max(m_engine.lineLength(start), 1);
        Rect placed;
        const int32_t next = measure(m_engine, {start, start + length}, rc, &m_target, &placed);
        EXPECT_EQ(placed.bottom, m_engine.layout().lineHeight(line)) << line;
        EXPECT_EQ(next, m_engine.document().snap(start + length)) << line;
    }
}

// Measuring and drawing agree; drawing lands in the rectangle, scaled to the painter's device,
// with neither selection nor anything outside the range.
TEST_F(FormatRangeTest, DrawingMatchesMeasuringAndLandsInTheRectangle)
{
    m_engine.setText(QStringLiteral("Drawn text on a page\r\nsecond paragraph"));
    setFace(m_engine, QStringLiteral("DejaVu Sans"), 240);
    m_engine.exSetSel({0, -1});  // a selection is never drawn
    const Rect rc{1440, 720, 1440 + PageWidthTw, 720 + 14400};

    QImage measured = deviceOfDpi(96, QSize(1000, 600));
    QImage image = deviceOfDpi(96, QSize(1000, 600));
    QImage doubled = deviceOfDpi(192, QSize(2000, 1200));
    QImage wide = deviceOfDpi(96, QSize(2000, 600));  // twice the resolution across
    wide.setDotsPerMeterX(qRound(192 / 0.0254));
    Rect bottoms[4];
    int32_t results[4];
    QImage* images[4] = {&measured, &image, &doubled, &wide};
    for (int k = 0; k < 4; ++k) {
        QPainter painter(images[k]);
        FormatRange format{&painter, &m_target, rc, rc, {0, -1}};
        results[k] = m_engine.formatRange(format, k != 0);
        bottoms[k] = format.rc;
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[1], results[2]);
    EXPECT_EQ(bottoms[0], bottoms[1]);
    EXPECT_TRUE(inkBounds(measured).isNull());  // measuring draws nothing

    const QRect ink = inkBounds(image);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.left(), 96);  // one inch in
    EXPECT_GE(ink.top(), 48);
    EXPECT_LT(ink.bottom(), (bottoms[1].bottom * 96 + 1439) / 1440);
    const QRect twice = inkBounds(doubled);
    EXPECT_NEAR(twice.left(), 2 * ink.left(), 2);
    EXPECT_NEAR(twice.top(), 2 * ink.top(), 3);
    EXPECT_NEAR(twice.height(), 2 * ink.height(), 6);
    const QRect across = inkBounds(wide);
    EXPECT_NEAR(across.left(), 2 * ink.left(), 2);
    EXPECT_NEAR(across.width(), 2 * ink.width(), 6);
    EXPECT_NEAR(across.top(), ink.top(), 1);
    EXPECT_NEAR(across.height(), ink.height(), 2);

    // The selection's colour shows nowhere: the text is dark on white.
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            EXPECT_LE(qBlue(image.pixel(x, y)) - qRed(image.pixel(x, y)), 40);

    // A range ending inside a line draws only its part of the line.
    QImage part = deviceOfDpi(96, QSize(1000, 600));
    {
        QPainter painter(&part);
        FormatRange format{&painter, &m_target, rc, rc, {0, 5}};
        EXPECT_EQ(m_engine.formatRange(format, true), 5);
    }
    const QRect partInk = inkBounds(part);
    ASSERT_FALSE(partInk.isNull());
    EXPECT_NEAR(partInk.left(), ink.left(), 2);
    EXPECT_LT(partInk.right(), ink.left() + (ink.width() / 2));
}

// A cropped metafile on a page: the part cut off is not drawn, the rest keeps its scale, and a
// negative crop leaves a white margin.
TEST_F(FormatRangeTest, CroppedPicturesDrawTheirPartWithWhiteMargins)
{
    // Two inches by one: red on the left half, blue on the right.
    metafiles::WmfWriter halves;
    halves.record(metafiles::SETMAPMODE, {8});
    halves.record(metafiles::SETWINDOWORG, {0, 0});
    halves.record(metafiles::SETWINDOWEXT, {1000, 2000});
    halves.pen(5, 0, 0);  // no outlines
    halves.record(metafiles::SELECTOBJECT, {0});
    halves.brush(0, metafiles::rgb(255, 0, 0));
    halves.record(metafiles::SELECTOBJECT, {1});
    halves.record(metafiles::RECTANGLE, {1000, 1000, 0, 0});
    halves.brush(0, metafiles::rgb(0, 0, 255));
    halves.record(metafiles::SELECTOBJECT, {2});
    halves.record(metafiles::RECTANGLE, {1000, 2000, 0, 1000});
    m_engine.setTextRtf(
        QString::fromLatin1("{\\rtf1{\\pict\\wmetafile8\\picwgoal2880\\pichgoal1440\\piccropl1440"
                            "\\piccropr360\\piccropt-720 " +
                            halves.placeable(0, 0, 2000, 1000, 1000).toHex() + "}}"));

    QImage page = deviceOfDpi(96, QSize(400, 300));
    page.fill(Qt::gray);
    {
        QPainter painter(&page);
        const Rect rc{0, 0, PageWidthTw, 14400};
        FormatRange format{&painter, &m_target, rc, rc, {0, -1}};
        EXPECT_EQ(m_engine.formatRange(format, true), 1);
    }
    const QRect shown = inkBounds(page, [](QColor c) { return c != QColor(Qt::gray); });
    EXPECT_EQ(shown.size(), QSize(72, 144));  // 3/4 inch by 1 1/2 inches
    EXPECT_TRUE(inkBounds(page, [](QColor c) { return c.red() > 200 && c.blue() < 60; }).isNull());
    EXPECT_EQ(inkBounds(page, [](QColor c) { return c.blue() > 200 && c.red() < 60; }),
              QRect(shown.left(), shown.top() + 48, 72, 96));
    EXPECT_EQ(inkBounds(page, [](QColor c) { return c == QColor(Qt::white); }),
              QRect(shown.topLeft(), QSize(72, 48)));
}

// On a PDF page metafiles become the page's own paths and text, and a bitmap keeps its pixels:
// the only image in the file is the PNG at its own size, and every word can be extracted.
TEST_F(FormatRangeTest, APdfPageHoldsMetafilesAsVectorsAndBitmapsAtTheirOwnPixels)
{
    m_engine.setTextRtf(metafiles::rtfWithPictures());
    testsupport::TempFolder folder;
    const QString path = folder.filePath(QStringLiteral("pictures.pdf"));
    {
        QPdfWriter writer(path);
        writer.setResolution(1200);
        QPainter painter(&writer);
        const TargetDevice target{1200, 1200, nullptr};
        const Rect rc{0, 0, PageWidthTw, 14400};
        FormatRange format{&painter, &target, rc, rc, {0, -1}};
        EXPECT_EQ(m_engine.formatRange(format, true), m_engine.document().length());
    }
    EXPECT_EQ(testsupport::pdfImageSizes(path),
              QList<QSize>{QSize(metafiles::PngWidth, metafiles::PngHeight)});
    const QString text = testsupport::pdfText(path);
    for (const char* word : {"Textword before", "Emfword", "Wmfword", "Textword after"})
        EXPECT_TRUE(text.contains(QLatin1String(word))) << word << " in " << text.toStdString();

    // The shapes are drawn: the page has the ink of two filled shapes beside the text.
    const QImage page = testsupport::renderPdfPage(path, 1, 72);
    ASSERT_FALSE(page.isNull());
    int dark = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            dark += qGray(page.pixel(x, y)) < 64 ? 1 : 0;
    EXPECT_GT(dark, 2000);  // an ellipse of about 60 × 45 points and a rectangle
}

// A rectangle whose bottom lies above its top still gets its line drawn whole from the top.
TEST_F(FormatRangeTest, ANegativeRectangleDrawsItsLineWhole)
{
    m_engine.setText(QStringLiteral("Tall glyphs: ÅgjpqÉ"));
    setFace(m_engine, QStringLiteral("DejaVu Sans"), 400);
    QImage whole = deviceOfDpi(96, QSize(800, 300));
    QImage inverted = deviceOfDpi(96, QSize(800, 300));
    for (QImage* image : {&whole, &inverted}) {
        QPainter painter(image);
        const Rect rc{0, 1500, PageWidthTw, image == &whole ? 4000 : 100};
        FormatRange format{&painter, &m_target, rc, rc, {0, -1}};
        EXPECT_EQ(m_engine.formatRange(format, true), m_engine.text().size());
    }
    EXPECT_FALSE(inkBounds(whole).isNull());
    EXPECT_EQ(whole, inverted);
}

// Counting pages then drawing them lays each paragraph out once; releasing is harmless at any
// time, and an edit is never answered from stale layouts.
TEST_F(FormatRangeTest, PageLayoutsAreCachedUntilReleasedOrEdited)
{
    m_engine.releaseFormatCache();  // before anything was measured
    fillRandomDocument(m_engine, 51);
    const Rect page{0, 0, PageWidthTw, 3000};
    const FormatRangeCache& cache = m_engine.formatCache();

    const int before = cache.layoutsMade();
    const std::vector<Page> counted = pagesOf(m_engine, {0, -1}, page, &m_target);
    const int made = cache.layoutsMade() - before;
    EXPECT_EQ(made, m_engine.document().paragraphCount());

    QImage sheet = deviceOfDpi(96, QSize(700, 300));
    QPainter painter(&sheet);
    const std::vector<Page> drawn = pagesOf(m_engine, {0, -1}, page, &m_target, &painter);
    EXPECT_EQ(cache.layoutsMade() - before, made);
    ASSERT_EQ(drawn.size(), counted.size());
    for (size_t k = 0; k < drawn.size(); ++k)
        EXPECT_EQ(drawn[k].next, counted[k].next);

    m_engine.releaseFormatCache();
    m_engine.releaseFormatCache();
    const std::vector<Page> again = pagesOf(m_engine, {0, -1}, page, &m_target);
    EXPECT_EQ(again.back().next, counted.back().next);
    EXPECT_EQ(cache.layoutsMade() - before, 2 * made);

    // Another width lays out anew rather than reusing the first width's lines.
    const Rect narrow{0, 0, PageWidthTw / 3, 3000};
    const std::vector<Page> narrowPages = pagesOf(m_engine, {0, -1}, narrow, &m_target);
    EXPECT_GT(narrowPages.size(), counted.size());

    m_engine.exSetSel({0, 0});
    m_engine.setSelText(QStringLiteral("new text in front\r\n"));
    EXPECT_EQ(pagesOf(m_engine, {0, -1}, page, &m_target).back().next, m_engine.text().size());
    m_engine.setText(QString());
    EXPECT_EQ(measure(m_engine, {0, -1}, page, &m_target), 0);
    m_engine.releaseFormatCache();
}
