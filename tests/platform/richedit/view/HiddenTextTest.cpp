// Hidden text (\v) in an editing window: it keeps its positions in Text and is written back,
// but it is never drawn, takes no room, no display line and no page, and a reader of plain
// text never gets it.
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/EngineClipboard.h"

#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <random>
#include <vector>

using namespace richedit;

namespace {

constexpr int32_t WidthTw = 4000;
constexpr int Dpi = 96;

const QString Header =
    QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\fs20\r\n");

// A paragraph long enough to take several lines at WidthTw, were it shown.
QString longText()
{
    return QString(QStringLiteral("hidden words that wrap ")).repeated(8);
}

// Hidden words inside shown lines (one of them a tab, one a line break, one long enough to
// wrap), whole hidden paragraphs between them, and a hidden run at the very end.
QString withHidden()
{
    QString rtf = Header + QStringLiteral("\\pard First{\\v  ") + longText() +
                  QStringLiteral("} line\\par\r\n");
    for (int k = 0; k < 40; ++k)
        rtf += QStringLiteral("{\\v\\pard ") + longText() + QStringLiteral("\\par}\r\n");
    rtf += QStringLiteral("{\\v\\pard\\par}\r\n");  // a hidden empty paragraph
    rtf += QStringLiteral(
        "\\pard Second\\tab{\\v \\tab more\\line\\tab} line\\par\r\n"
        "\\pard Third line{\\v  tail}\\par\r\n}");
    return rtf;
}

// The same document as the reader should see it.
QString shownOnly()
{
    return Header + QStringLiteral(
                        "\\pard First line\\par\r\n"
                        "\\pard Second\\tab  line\\par\r\n"
                        "\\pard Third line\\par\r\n}");
}

QImage deviceOfDpi(int dpi, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

struct Page {
    int32_t start = 0;
    int32_t next = 0;
    int32_t height = 0;
};

// The skips as one character at a time, the way the caret keys are defined.
int32_t skipForwardByCharacters(const Document& document, int32_t position)
{
    int32_t at = document.snap(position);
    while (at < document.length() && document.formatAt(at).is(Hidden))
        at = document.nextPosition(at);
    return at;
}

int32_t skipBackwardByCharacters(const Document& document, int32_t position)
{
    int32_t at = document.snap(position);
    while (at > 0 && document.formatAt(document.previousPosition(at)).is(Hidden))
        at = document.previousPosition(at);
    return at;
}

// Pieces of one to four characters, paragraph ends and pairs outside the BMP among them, shown
// or hidden, bold or not, so that hidden text comes in runs of every length, side by side,
// spanning paragraph ends, at the start and at the end of the document.
void fillRandomly(Document& document, unsigned seed)
{
    std::mt19937 random(seed);
    static const QString pieces[] = {QStringLiteral("a"),          QStringLiteral("bc"),
                                     QStringLiteral("\r\n"),       QStringLiteral("d\r\ne"),
                                     QStringLiteral("\U0001F600"), QStringLiteral("\r\n\r\n"),
                                     QStringLiteral("fgh\t")};
    for (int k = 0; k < 120; ++k) {
        CharFormat format = document.defaultFormat();
        if (random() % 2 == 0)
            format.effects |= Hidden;
        if (random() % 2 == 0)
            format.effects |= Bold;
        document.insert(document.length(), pieces[random() % std::size(pieces)], format);
    }
}

class HiddenTextTest : public ::testing::Test {
protected:
    QImage m_metrics = deviceOfDpi(Dpi, QSize(1, 1));
    TargetDevice m_target{Dpi, Dpi, &m_metrics};

    void load(Engine& engine, const QString& rtf)
    {
        engine.setTextRtf(rtf);
        engine.setTargetDevice(&m_metrics, WidthTw);
    }

    // The printing routines' page loop over a page of `heightTw`.
    std::vector<Page> pages(Engine& engine, int32_t heightTw, QPainter* painter = nullptr)
    {
        const Rect rc{0, 0, WidthTw, heightTw};
        const int32_t end = engine.text().size();
        std::vector<Page> result;
        FormatRange format{painter, &m_target, rc, rc, {0, -1}};
        for (;;) {
            format.rc = rc;
            const int32_t next = engine.formatRange(format, painter != nullptr);
            result.push_back({format.chrg.cpMin, next, format.rc.bottom - format.rc.top});
            if (next >= end || result.size() > 1000)
                break;
            format.chrg.cpMin = next;
        }
        return result;
    }

    // Draws the whole document on one page of an image.
    QImage drawn(Engine& engine)
    {
        QImage image = deviceOfDpi(Dpi, QSize(WidthTw * Dpi / 1440, 200));
        QPainter painter(&image);
        pages(engine, 2880, &painter);
        painter.end();
        return image;
    }

    QString hiddenOf(const Engine& engine)
    {
        const Document& document = engine.document();
        QString marks;
        for (int32_t p = 0; p < document.length(); ++p)
            marks += document.formatAt(p).is(Hidden) ? u'h' : u'.';
        return marks;
    }
};

}  // namespace

// The line members, the page loop and the drawing see only the shown text: no line for the
// hidden paragraphs, no wrap for the hidden words, no break for the hidden U+000B, no ink.
TEST_F(HiddenTextTest, HiddenTextTakesNoLineNoPageAndNoInk)
{
    Engine hidden;
    Engine shown;
    load(hidden, withHidden());
    load(shown, shownOnly());
    ASSERT_EQ(hidden.document().paragraphCount(), 44);

    ASSERT_EQ(hidden.lineCount(), 3);
    EXPECT_EQ(shown.lineCount(), 3);
    const QString text = hidden.text();
    const int32_t second = text.indexOf(u"Second");
    const int32_t third = text.indexOf(u"Third");
    EXPECT_EQ(hidden.lineIndex(0), 0);
    EXPECT_EQ(hidden.lineIndex(1), second);
    EXPECT_EQ(hidden.lineIndex(2), third);
    EXPECT_EQ(hidden.layout().lineTop(2), shown.layout().lineTop(2));
    // A position inside a hidden paragraph is on the next line shown, and the line queries
    // agree about that line.
    const int32_t inHidden = text.indexOf(u"wrap", text.indexOf(u"\r\n"));
    EXPECT_EQ(hidden.lineFromChar(inHidden), 1);
    EXPECT_EQ(hidden.lineLength(inHidden), hidden.lineLength(second));
    EXPECT_EQ(hidden.lineFromChar(text.indexOf(u"more")), 1);
    EXPECT_EQ(hidden.lineFromChar(text.size()), 2);

    // A page that holds two lines: two pages, as for the shown text alone, and together they
    // cover the whole text once.
    const int32_t twoLines = shown.layout().lineTop(2);
    const std::vector<Page> hiddenPages = pages(hidden, twoLines);
    const std::vector<Page> shownPages = pages(shown, twoLines);
    ASSERT_EQ(shownPages.size(), 2u);
    ASSERT_EQ(hiddenPages.size(), 2u);
    EXPECT_EQ(hiddenPages[0].start, 0);
    EXPECT_EQ(hiddenPages[0].next, third);
    EXPECT_EQ(hiddenPages[1].start, third);
    EXPECT_EQ(hiddenPages[1].next, text.size());
    EXPECT_EQ(hiddenPages[0].height, shownPages[0].height);
    EXPECT_EQ(hiddenPages[1].height, shownPages[1].height);

    // A range that starts inside hidden paragraphs goes on with the next shown line.
    Rect rc{0, 0, WidthTw, 0};
    FormatRange one{nullptr, &m_target, rc, rc, {inHidden, -1}};
    EXPECT_EQ(hidden.formatRange(one, false), third);
    EXPECT_EQ(one.rc.bottom, shown.layout().lineHeight(1));

    // Drawn, the document is the shown text alone, pixel for pixel.
    const QImage hiddenImage = drawn(hidden);
    const QImage shownImage = drawn(shown);
    ASSERT_NE(shownImage, deviceOfDpi(Dpi, shownImage.size()));  // the text is drawn at all
    EXPECT_EQ(hiddenImage, shownImage);
}

// The writer keeps the effect, so that a document read back is the same character for
// character, hidden marks included; a selection's RTF carries it too.
TEST_F(HiddenTextTest, HiddenTextSurvivesWritingAndReading)
{
    Engine first;
    load(first, withHidden());
    const QString rtf = first.textRtf();
    EXPECT_TRUE(rtf.contains(u"\\v ")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains(u"\\v0 ")) << rtf.toStdString();

    Engine second;
    load(second, rtf);
    EXPECT_EQ(second.text(), first.text());
    EXPECT_EQ(hiddenOf(second), hiddenOf(first));
    EXPECT_EQ(second.textRtf(), rtf);
    EXPECT_EQ(second.lineCount(), 3);

    // "Second\t[hidden] line" copied as RTF into the first line keeps which part is hidden.
    const QString text = first.text();
    const int32_t from = text.indexOf(u"Second");
    const int32_t to = text.indexOf(u"line", from);
    first.exSetSel({from, to});
    const QString selection = first.selRtf();
    const QString before = hiddenOf(first);
    first.exSetSel({0, 0});
    first.setSelRtf(selection);
    EXPECT_EQ(first.text().left(to - from), text.mid(from, to - from));
    EXPECT_EQ(hiddenOf(first).left(to - from), before.mid(from, to - from));
    EXPECT_EQ(first.lineCount(), 3);
}

// Text, SelText and the line members count hidden characters (they are positions); a
// plain-text file and the clipboard's plain text leave them out, and the ends of hidden
// paragraphs with them.
TEST_F(HiddenTextTest, PlainTextLeavesHiddenTextOut)
{
    Engine engine;
    load(engine, withHidden());
    const QString text = engine.text();
    EXPECT_TRUE(text.startsWith(u"First hidden words")) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u"Third line tail")) << text.toStdString();

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plain.txt"));
    ASSERT_FALSE(engine.saveFile(path, FileKind::Text).has_value());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("First line\nSecond\t line\nThird line"));

    const int32_t from = text.indexOf(u"line");
    const int32_t to = text.indexOf(u"Second") + 8;
    engine.exSetSel({from, to});
    EXPECT_EQ(engine.selText(), text.mid(from, to - from));
    const auto data = selectionMimeData(engine.session());
    ASSERT_TRUE(data);
    EXPECT_EQ(data->data(QStringLiteral("text/plain")), QByteArray("line\r\nSecond\t"));
}

// New text is hidden only where that is asked for: typed next to hidden text it shows, it
// replaces hidden text hidden, and a pending format with the effect hides it.
TEST_F(HiddenTextTest, TypedTextShowsUnlessHiddenIsAskedFor)
{
    Engine engine;
    engine.setTextRtf(Header + QStringLiteral("\\pard ab{\\v cd}ef\\par}"));
    ASSERT_EQ(engine.text(), QStringLiteral("abcdef"));
    ASSERT_EQ(hiddenOf(engine), QStringLiteral("..hh.."));

    engine.exSetSel({4, 4});  // right after the hidden "cd"
    engine.setSelText(QStringLiteral("X"));
    EXPECT_EQ(hiddenOf(engine), QStringLiteral("..hh..."));
    EXPECT_FALSE(engine.charFormat().is(Hidden));

    engine.exSetSel({2, 4});  // all hidden: what replaces it stays hidden
    engine.setSelText(QStringLiteral("hid"));
    EXPECT_EQ(engine.text(), QStringLiteral("abhidXef"));
    EXPECT_EQ(hiddenOf(engine), QStringLiteral("..hhh..."));

    engine.exSetSel({3, 6});                        // partly hidden: shown
    EXPECT_FALSE(engine.charFormat().has(Hidden));  // mixed
    engine.setSelText(QStringLiteral("Y"));
    EXPECT_EQ(engine.text(), QStringLiteral("abhYef"));
    EXPECT_EQ(hiddenOf(engine), QStringLiteral("..h..."));

    CharFormat hide;
    hide.mask = Hidden;
    hide.effects = Hidden;
    engine.exSetSel({6, 6});
    engine.setCharFormat(SelectionScope, hide);
    engine.setSelText(QStringLiteral("Z"));
    EXPECT_EQ(hiddenOf(engine), QStringLiteral("..h...h"));
    EXPECT_EQ(engine.lineCount(), 1);
}

// The caret keys step over hidden text run by run with the same result as character by
// character, at every position of documents holding hidden runs of every shape.
TEST_F(HiddenTextTest, SkipsByRunsLandWhereCharacterStepsLand)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Document document;
        fillRandomly(document, seed);
        for (int32_t p = 0; p <= document.length(); ++p) {
            ASSERT_EQ(skipHiddenForward(document, p), skipForwardByCharacters(document, p))
                << "seed " << seed << " at " << p;
            ASSERT_EQ(skipHiddenBackward(document, p), skipBackwardByCharacters(document, p))
                << "seed " << seed << " at " << p;
        }
    }
}

// A caret key beside a long hidden run in many runs costs what a key beside shown text costs,
// not a look at every hidden position.
TEST_F(HiddenTextTest, CaretKeyBesideLongHiddenRunCostsAStep)
{
    Document document;
    CharFormat shown = document.defaultFormat();
    document.insert(0, QStringLiteral("shown "), shown);
    CharFormat hidden = shown;
    hidden.effects |= Hidden;
    const QString chunk = QString(QStringLiteral("hidden words ")).repeated(20);
    QString text;
    for (int k = 0; k < 400; ++k)
        text += chunk;
    document.insert(document.length(), text, hidden);
    // Alternate bold on the hidden text: one run every 260 characters.
    CharFormat bold;
    bold.mask = Bold;
    bold.effects = Bold;
    for (int k = 0; k < 400; k += 2)
        document.applyChar({6 + k * int32_t(chunk.size()), 6 + (k + 1) * int32_t(chunk.size())},
                           bold);
    const int32_t hiddenEnd = document.length();
    document.insert(hiddenEnd, QStringLiteral(" more"), shown);
    ASSERT_GE(document.paragraph(0).runs.size(), 400u);

    const auto timed = [](auto step) {
        QElapsedTimer timer;
        timer.start();
        for (int k = 0; k < 20; ++k)
            step();
        return timer.nsecsElapsed();
    };
    int32_t landed = 0;
    const qint64 besideShown =
        timed([&] { landed = skipHiddenForward(document, 2) + skipHiddenBackward(document, 2); });
    EXPECT_EQ(landed, 4);
    const qint64 besideHidden = timed(
        [&] { landed = skipHiddenForward(document, 6) + skipHiddenBackward(document, hiddenEnd); });
    EXPECT_EQ(landed, hiddenEnd + 6);
    // Position by position the hidden side costs the 104,000 positions times the runs: many
    // seconds, far above the margin left for a loaded machine.
    EXPECT_LT(besideHidden, 20 * besideShown + 200'000'000)
        << besideHidden << " ns beside hidden text, " << besideShown << " ns beside shown text";
}
