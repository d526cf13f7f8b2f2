#include "platform/richedit/layout/LayoutPictures.h"
#include "platform/richedit/layout/ParagraphPainter.h"

#include "platform/richedit/model/ListLabels.h"

#include "tests/platform/richedit/layout/Para.h"
#include "tests/support/RandomRichText.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <functional>

using namespace richedit;
using testsupport::Para;
using testsupport::sans;

namespace {

constexpr double Scale = 1.0 / 15;  // 96 dpi
const QColor Paper(Qt::white);

CharFormat withEffects(uint32_t effects, CharFormat format = sans())
{
    format.effects |= effects;
    return format;
}

CharFormat colored(uint32_t bgr, CharFormat format = sans())
{
    format.effects &= ~AutoColorEffect;
    format.color = bgr;
    return format;
}

CharFormat highlighted(uint32_t bgr, CharFormat format = sans())
{
    format.effects &= ~AutoBackColorEffect;
    format.backColor = bgr;
    return format;
}

std::shared_ptr<Picture> pictureOf(const QByteArray& bytes, PictureKind kind, int32_t w, int32_t h)
{
    auto picture = std::make_shared<Picture>();
    picture->encoded = bytes;
    picture->kind = kind;
    picture->goalWidthTw = w;
    picture->goalHeightTw = h;
    return picture;
}

QImage filled(QColor color, int w = 4, int h = 4)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage canvas(int w = 500, int h = 300, QColor paper = Paper)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(paper);
    return image;
}

const QPointF Origin(20, 30);

QImage render(const ParagraphLayout& layout, const ParagraphPaintOptions& options = {}, int w = 500,
              int h = 300, QColor paper = Paper)
{
    QImage image = canvas(w, h, paper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    ParagraphPainter(painter, Scale).paint(layout, Origin, options);
    return image;
}

// The bounding box of the pixels that match, and how many there are.
struct Ink {
    QRect box;
    int count = 0;
};

Ink inkOf(const QImage& image, const std::function<bool(QColor)>& match)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (match(image.pixelColor(x, y))) {
                ink.box |= QRect(x, y, 1, 1);
                ++ink.count;
            }
        }
    }
    return ink;
}

bool notPaper(QColor c)
{
    return c != Paper;
}

// The device-pixel rectangle of positions [from, to) on a line's text box.
QRectF spanRect(const ParagraphLayout& layout, int lineIndex, int32_t from, int32_t to)
{
    const LayoutLine& line = layout.line(lineIndex);
    const std::vector<double> x = layout.edges(lineIndex);
    return {Origin.x() + x[size_t(from - line.start)] * Scale, Origin.y() + line.textTop() * Scale,
            (x[size_t(to - line.start)] - x[size_t(from - line.start)]) * Scale,
            line.textHeight() * Scale};
}

QRectF paragraphBox(const ParagraphLayout& layout)
{
    return {Origin.x(), Origin.y(), layout.boxWidth() * Scale, layout.height() * Scale};
}

bool within(const QRect& inner, const QRectF& outer, double slack = 1)
{
    return inner.left() >= outer.left() - slack && inner.top() >= outer.top() - slack &&
           inner.right() <= outer.right() + slack && inner.bottom() <= outer.bottom() + slack;
}

const QString Prose = QStringLiteral(
    "Painting never breaks lines again: it draws each word where the layout put it, in the "
    "format of its run, over highlights and under the selection.");

}  // namespace

TEST(ParagraphPainterBounds, InkStaysInsideTheParagraphBox)
{
    Para prose;
    prose.add(Prose);
    prose.format.alignment = AlignJustify;
    const ParagraphLayout layout = prose.layout(5000);
    const Ink ink = inkOf(render(layout), notPaper);
    EXPECT_GT(ink.count, 200);
    EXPECT_TRUE(within(ink.box, paragraphBox(layout)));
    // The text reaches down to the last line.
    EXPECT_GT(ink.box.bottom(), Origin.y() + layout.line(layout.lineCount() - 1).top * Scale);

    // Lines squeezed below their glyphs' height are cut at the paragraph's edges.
    Para squeezed;
    squeezed.add(Prose, sans(600));
    squeezed.format.lineSpacingRule = 4;
    squeezed.format.lineSpacing = 200;
    const ParagraphLayout tight = squeezed.layout(5000);
    const Ink tightInk = inkOf(render(tight), notPaper);
    EXPECT_GT(tightInk.count, 0);
    EXPECT_TRUE(within(tightInk.box, paragraphBox(tight), 0));

    // Drawing chosen lines draws nothing of the others.
    QImage image = canvas();
    {
        QPainter painter(&image);
        ParagraphPainter(painter, Scale).paintLines(layout, 1, 1, Origin);
    }
    const Ink lineInk = inkOf(image, notPaper);
    EXPECT_GT(lineInk.count, 0);
    EXPECT_TRUE(within(lineInk.box, QRectF(Origin.x(), Origin.y(), layout.boxWidth() * Scale,
                                           layout.line(1).height * Scale)));
}

TEST(ParagraphPainterFormats, HighlightsLieUnderTheirTextOnly)
{
    Para para;
    para.add(QStringLiteral("plain "));
    para.add(QStringLiteral("marked"), highlighted(0x0000FF));  // red
    para.add(QStringLiteral(" plain"));
    const ParagraphLayout layout = para.layout(20000);
    const QImage image = render(layout);
    const Ink red = inkOf(image, [](QColor c) { return c == QColor(255, 0, 0); });
    const QRectF expected = spanRect(layout, 0, 6, 12);
    EXPECT_TRUE(within(red.box, expected));
    // Mostly red: only the glyphs cover it.
    EXPECT_GT(red.count, expected.width() * expected.height() * 0.5);
}

TEST(ParagraphPainterFormats, TextColoursLinksAndDecorations)
{
    Para para;
    para.add(QStringLiteral("automatic "));
    para.add(QStringLiteral("green "), colored(0x00C000));
    para.add(QStringLiteral("linked"), withEffects(Link, colored(0x00C000)));
    const ParagraphLayout layout = para.layout(20000);
    ParagraphPaintOptions options;
    options.windowText = QColor(200, 0, 200);
    const QImage image = render(layout, options);

    auto inkIn = [&](const QRectF& area, const std::function<bool(QColor)>& match) {
        return inkOf(image.copy(area.toAlignedRect()), match).count;
    };
    const QRectF automatic = spanRect(layout, 0, 0, 9);
    const QRectF green = spanRect(layout, 0, 10, 15);
    const QRectF link = spanRect(layout, 0, 16, 22);
    auto greenish = [](QColor c) { return c != Paper && c.green() > c.red() + 40; };
    auto purplish = [](QColor c) { return c != Paper && c.red() > c.green() + 40; };
    auto bluish = [](QColor c) { return c != Paper && c.blue() > c.red() + 40; };
    EXPECT_GT(inkIn(automatic, purplish), 20);
    EXPECT_EQ(inkIn(automatic, greenish), 0);
    EXPECT_GT(inkIn(green, greenish), 20);
    // The link effect draws in blue, whatever the run's colour, with a solid blue underline.
    EXPECT_EQ(inkIn(link, greenish), 0);
    EXPECT_GT(inkIn(link, bluish), 20);
    // Some row below the baseline is blue across the whole link.
    const double baseline = Origin.y() + layout.line(0).baseline * Scale;
    int longest = 0;
    for (int y = int(baseline); y < int(link.bottom()); ++y)
        longest = std::max(longest, inkIn(QRectF(link.left(), y, link.width(), 1), bluish));
    EXPECT_GT(longest, link.width() * 0.9);
}

TEST(ParagraphPainterFormats, ScriptsAndOffsetsMoveTheBaseline)
{
    // A large letter first keeps the baseline where it is for every format.
    auto inkBottom = [](const CharFormat& format) {
        Para para;
        para.add(QStringLiteral("H"), sans(500));
        para.add(QStringLiteral("xxxx"), format);
        const ParagraphLayout layout = para.layout(20000);
        const QImage image = render(layout);
        return inkOf(image.copy(spanRect(layout, 0, 1, 5).toAlignedRect()), notPaper).box.bottom();
    };
    const int normal = inkBottom(sans());
    EXPECT_LT(inkBottom(withEffects(Superscript)), normal - 2);
    EXPECT_GT(inkBottom(withEffects(Subscript)), normal);
    CharFormat lowered = sans();
    lowered.offsetTw = -90;
    EXPECT_NEAR(inkBottom(lowered), normal + 6, 1);
}

TEST(ParagraphPainterSelection, FillsTheSelectedRangeAndTheMark)
{
    Para para;
    para.add(QStringLiteral("select some of this"));
    const ParagraphLayout layout = para.layout(20000);
    const QColor back(0, 0, 128);
    ParagraphPaintOptions options;
    options.selection = PaintSelection{7, 11, back, Qt::white};
    const Ink selected = inkOf(render(layout, options), [&](QColor c) { return c == back; });
    const QRectF expected = spanRect(layout, 0, 7, 11);
    EXPECT_TRUE(within(selected.box, expected));
    EXPECT_GT(selected.count, expected.width() * expected.height() * 0.5);

    // A selection running on past the text shows the mark after the last character.
    options.selection = PaintSelection{15, 21, back, Qt::white};
    const Ink withMark = inkOf(render(layout, options), [&](QColor c) { return c == back; });
    EXPECT_GT(withMark.box.right(), Origin.x() + layout.line(0).right * Scale);
}

TEST(ParagraphPainterPictures, DrawDecodedImagesAtTheirGoalSizeOrAPlaceholder)
{
    auto drawn = [](std::shared_ptr<const Picture> picture, std::function<bool(QColor)> match) {
        Para para;
        para.add(QStringLiteral("a"));
        para.addPicture(std::move(picture));
        return inkOf(render(para.layout(20000)), match).box;
    };
    auto red = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
    const QRect png = drawn(
        pictureOf(testsupport::encodedImage(filled(Qt::red), "PNG"), PictureKind::Png, 600, 300),
        red);
    EXPECT_NEAR(png.width(), 40, 1);
    EXPECT_NEAR(png.height(), 20, 1);

    const QRect jpeg = drawn(pictureOf(testsupport::encodedImage(filled(Qt::red, 16, 16), "JPEG"),
                                       PictureKind::Jpeg, 300, 300),
                             red);
    EXPECT_NEAR(jpeg.width(), 20, 1);

    // A packed bitmap is a bitmap file without its 14-byte file header.
    const QByteArray dib = testsupport::encodedImage(filled(Qt::red), "BMP").mid(14);
    EXPECT_NEAR(drawn(pictureOf(dib, PictureKind::Dib, 450, 450), red).width(), 30, 1);

    auto grey = [](QColor c) {
        return c != Paper && c.red() == c.green() && c.green() == c.blue();
    };
    auto broken = pictureOf(QByteArray("not an image"), PictureKind::Png, 600, 300);
    const QRect placeholder = drawn(broken, grey);
    EXPECT_FALSE(placeholder.isEmpty());
    const QRect text = drawn(pictureOf({}, PictureKind::Png, 1, 1), grey);
    EXPECT_NEAR(placeholder.right() - text.right(), 40, 2);
    EXPECT_TRUE(pictureImage(broken).isNull());
}

TEST(ParagraphPainterPictures, CropsCutTheImageOrAddWhiteMargins)
{
    // Red on the left half, blue on the right; 40 x 20 pixels uncropped.
    QImage halves = filled(Qt::blue, 4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            halves.setPixelColor(x, y, Qt::red);
    auto picture = pictureOf(testsupport::encodedImage(halves, "PNG"), PictureKind::Png, 600, 300);
    picture->cropLeftTw = 300;  // the red half
    picture->cropRightTw = -150;
    picture->cropTopTw = -150;
    picture->cropBottomTw = 75;
    EXPECT_EQ(pictureSizeTw(*picture), QSize(450, 375));

    Para para;
    para.addPicture(picture);
    const ParagraphLayout layout = para.layout(20000);
    const QImage image = render(layout, {}, 500, 300, Qt::gray);
    const auto near = [](QColor want) {
        return [want](QColor c) {
            return std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                       std::abs(c.blue() - want.blue()) <
                   60;
        };
    };
    EXPECT_EQ(inkOf(image, near(Qt::red)).count, 0);
    const QRect blue = inkOf(image, near(Qt::blue)).box;
    const QRect shown = inkOf(image, [](QColor c) { return c != QColor(Qt::gray); }).box;
    EXPECT_EQ(shown.size(), QSize(30, 25));
    EXPECT_EQ(blue.size(), QSize(20, 15));  // a quarter of its height cut off below
    EXPECT_EQ(blue.topLeft(), shown.topLeft() + QPoint(0, 10));
    EXPECT_EQ(inkOf(image, near(Qt::white)).count, 30 * 25 - 20 * 15);
}

TEST(ParagraphPainterLabels, DrawTheBulletBeforeTheText)
{
    Para para;
    para.add(QStringLiteral("first item"));
    para.label = listLabelText(Bullet, 0, 1);
    para.format.startIndent = 300;
    para.format.offset = 1000;
    const ParagraphLayout layout = para.layout(20000);
    const QImage image = render(layout);
    const QRectF before(Origin.x() + 300 * Scale, Origin.y(), 1000 * Scale,
                        layout.height() * Scale);
    EXPECT_GT(inkOf(image.copy(before.toAlignedRect()), notPaper).count, 4);
    EXPECT_EQ(
        inkOf(image.copy(QRectF(0, 0, Origin.x() + 300 * Scale - 1, 300).toAlignedRect()), notPaper)
            .count,
        0);
}

// Renders a sample page into the folder named by SCRIVET_SHOTS for a person to look at.
TEST(ParagraphPainterShots, SampleParagraphs)
{
    const QString folder = qEnvironmentVariable("SCRIVET_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set SCRIVET_SHOTS to a folder to render the sample";
    std::vector<Para> paras(7);
    paras[0].add(QStringLiteral("Fonts: "));
    paras[0].add(QStringLiteral("serif "),
                 defaultCharFormat(QStringLiteral("Liberation Serif"), 280));
    paras[0].add(QStringLiteral("bold "), withEffects(Bold));
    paras[0].add(QStringLiteral("italic "), withEffects(Italic));
    paras[0].add(QStringLiteral("underlined "), withEffects(Underline));
    paras[0].add(QStringLiteral("struck "), withEffects(StrikeOut));
    paras[0].add(QStringLiteral("x"));
    paras[0].add(QStringLiteral("2"), withEffects(Superscript));
    paras[0].add(QStringLiteral(" H"));
    paras[0].add(QStringLiteral("2"), withEffects(Subscript));
    paras[0].add(QStringLiteral("O, large "), sans(400));
    paras[0].add(QStringLiteral("red"), colored(0x0000FF));
    paras[0].add(QStringLiteral(" highlighted"), highlighted(0x00FFFF));
    paras[0].add(QStringLiteral(" and a "));
    paras[0].add(QStringLiteral("link"), withEffects(Link));
    paras[0].add(QStringLiteral("."));
    ListCounter counter;
    for (int i = 1; i <= 2; ++i) {
        paras[size_t(i)].add(QStringLiteral("Bulleted item %1 that runs long enough to wrap "
                                            "onto a second line under the text.")
                                 .arg(i));
        paras[size_t(i)].format.numbering = Bullet;
        paras[size_t(i)].format.startIndent = 200;
        paras[size_t(i)].format.offset = 360;
    }
    for (int i = 3; i <= 4; ++i) {
        paras[size_t(i)].add(QStringLiteral("Numbered item in roman numerals."));
        paras[size_t(i)].format.numbering = UpperRoman;
        paras[size_t(i)].format.numberingStyle = NumberPeriod;
        paras[size_t(i)].format.offset = 500;
    }
    for (auto& para : paras)
        para.label = counter.nextLabel(para.format);
    paras[5].add(QStringLiteral("Tabs:\tone\ttwo\tthree, then a picture "));
    paras[5].format.tabs = {1440, 2880};
    paras[5].addPicture(
        pictureOf(testsupport::encodedImage(filled(QColor(30, 140, 60), 20, 10), "PNG"),
                  PictureKind::Png, 600, 300));
    paras[5].add(QStringLiteral(" and a broken one "));
    paras[5].addPicture(pictureOf("junk", PictureKind::Png, 300, 300));
    paras[6].add(Prose + QStringLiteral(" (justified, indented, selection in the middle)"));
    paras[6].format.alignment = AlignJustify;
    paras[6].format.startIndent = 720;
    paras[6].format.rightIndent = 720;
    paras[6].format.spaceBefore = 240;

    // On screen, and measured for a 600 dpi printer but drawn on the screen.
    QImage printer(1, 1, QImage::Format_RGB32);
    printer.setDotsPerMeterX(23622);
    printer.setDotsPerMeterY(23622);
    QImage image = canvas(1130, 420);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        ParagraphPainter painterOf(painter, Scale);
        for (const QPaintDevice* device : {static_cast<const QPaintDevice*>(nullptr),
                                           static_cast<const QPaintDevice*>(&printer)}) {
            const double x = device ? 570 : 10;
            double y = 10;
            for (size_t i = 0; i < paras.size(); ++i) {
                const ParagraphLayout layout = paras[i].layout(7800, device);
                ParagraphPaintOptions options;
                if (i == 6)
                    options.selection = PaintSelection{30, 90, QColor(0, 120, 215), Qt::white};
                painterOf.paint(layout, QPointF(x, y), options);
                y += layout.height() * Scale;
            }
        }
    }
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(image.save(folder + QStringLiteral("/paragraphs.png")));
}
