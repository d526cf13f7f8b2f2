// The view on a display of device pixel ratio 2: each run of text is drawn where the layout
// measured it, so the blank after a link stays a blank. With SCRIVET_SHOTS set to a folder the
// picture is also saved there to be looked at.
#include "tests/platform/richedit/view/RichTextViewTest.h"

#include "platform/richedit/layout/ParagraphPainter.h"

#include <QDir>
#include <QImage>
#include <cmath>

using namespace richedit;

namespace {

// Set before the application starts: this whole test program runs at twice the scale.
const bool twiceTheScale = qputenv("QT_SCALE_FACTOR", "2");

bool isInk(QRgb pixel)
{
    return qGray(pixel) < 160;
}

bool isLinkInk(QRgb pixel)
{
    return qBlue(pixel) > 128 && qRed(pixel) < 128 && qGreen(pixel) < 128;
}

}  // namespace

using ViewHiDpiTest = testsupport::ViewFixture;

TEST_F(ViewHiDpiTest, RunsAreDrawnWhereTheyWereMeasured)
{
    ASSERT_TRUE(twiceTheScale);
    ASSERT_EQ(view->devicePixelRatioF(), 2.0);
    view->resize(700, 160);
    engine.setTextRtf(
        QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}\\f0\\fs20 "
                       "Visit {\\lang357 www.example.com/library/index.html} today, or mail "
                       "{\\lang357 someone.else@example.org} and wait.\\par\r\n"
                       "\\fs28 Larger {\\lang357 http://www.example.net/a/b/c} text.\\par}"));
    const QString text = engine.text();
    const QMargins insets = view->textInsets();

    // Laid out for the screen, and for a printer's line as the ruler's wrap does.
    QImage printer(1, 1, QImage::Format_RGB32);
    printer.setDotsPerMeterX(int(std::lround(600 / 0.0254)));
    printer.setDotsPerMeterY(int(std::lround(600 / 0.0254)));
    const QImage* const targets[] = {nullptr, &printer};
    for (const QImage* target : targets) {
        SCOPED_TRACE(target ? "measured on a 600 dpi printer" : "measured on the screen");
        engine.setTargetDevice(target, target ? 9360 : 0);
        settle();
        const QImage shot = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shot.width(), 2 * view->width());
        const double tpp = engine.layout().twipsPerPixel();
        // Device-pixel x of the left edge of the character at `position`.
        auto deviceX = [&](int32_t position) {
            return 2.0 * (insets.left() + viewinput::xOfPosition(engine, position) / tpp);
        };
        struct Gap {
            QString link;
            QString after;
        };
        for (const Gap& gap :
             {Gap{QStringLiteral("www.example.com/library/index.html"), QStringLiteral("today")},
              Gap{QStringLiteral("someone.else@example.org"), QStringLiteral("and")},
              Gap{QStringLiteral("http://www.example.net/a/b/c"), QStringLiteral("text")}}) {
            SCOPED_TRACE(gap.link.toStdString());
            const int32_t linkStart = int32_t(text.indexOf(gap.link));
            const int32_t linkEnd = linkStart + int32_t(gap.link.size());
            const int32_t next = int32_t(text.indexOf(gap.after, linkEnd));
            const int line = engine.lineFromChar(linkStart);
            ASSERT_EQ(engine.lineFromChar(next), line);
            const double lineTop = double(engine.layout().lineTop(line));
            const int top = int(2 * (insets.top() + lineTop / tpp));
            const int bottom =
                int(2 * (insets.top() + (lineTop + engine.layout().lineHeight(line)) / tpp)) - 1;
            int lastLink = -1;
            int firstAfter = -1;
            const int to = int(deviceX(next + int32_t(gap.after.size())));
            for (int x = int(deviceX(linkStart)); x < to && x < shot.width(); ++x) {
                for (int y = top; y <= bottom && y < shot.height(); ++y) {
                    const QRgb pixel = shot.pixel(x, y);
                    if (isLinkInk(pixel))
                        lastLink = x;
                    else if (firstAfter < 0 && x > deviceX(linkEnd) && isInk(pixel))
                        firstAfter = x;
                }
            }
            ASSERT_GE(lastLink, 0);
            ASSERT_GE(firstAfter, 0);
            // The link's glyphs end where the layout ended them, and the blank stays a blank.
            EXPECT_LE(lastLink, deviceX(linkEnd) + 1);
            EXPECT_GE(firstAfter - lastLink, 0.75 * (deviceX(next) - deviceX(linkEnd)));
        }

        const QString folder = qEnvironmentVariable("SCRIVET_SHOTS");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            const QString name = target ? QStringLiteral("links-at-scale-2-printer-wrap.png")
                                        : QStringLiteral("links-at-scale-2.png");
            EXPECT_TRUE(shot.save(QDir(folder).filePath(name)));
        }
    }
}
