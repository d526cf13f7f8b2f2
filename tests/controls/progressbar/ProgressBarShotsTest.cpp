// Renders every style at 0, 37 and 100 percent through the widget's own paint path and
// checks that what shows is the memory image and that the bar changes with the value. When
// SCRIVET_SHOTS_DIR names a folder, one sheet per style is saved there for a look by eye.
#include "controls/progressbar/XrucProgressBar.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
#include <QPainter>

namespace {

using namespace XrSpecStatusBar;

struct Look {
    bool vertical = false;
    bool showText = false;
};

struct Rendered {
    QImage shown;   // what the widget paints
    QImage memory;  // the memory bitmap's client-sized corner
};

Rendered render(int style, int percent, Look look)
{
    XrucProgressBar bar;
    bar.resize(look.vertical ? QSize(28, 150) : QSize(220, 24));
    QImage pattern(8, 8, QImage::Format_RGB32);
    pattern.fill(QColor(250, 220, 120));
    for (int i = 0; i < 8; ++i)
        pattern.setPixel(i, i, qRgb(200, 120, 40));
    bar.SetImage(gdi::Bitmap::fromImage(pattern));
    bar.LetOrientation(look.vertical ? ccOrientationVertical : ccOrientationHorizontal);
    bar.LetScrolling(cScrolling(style));
    bar.LetShowText(look.showText);
    bar.LetDoubleValOnMetal(look.showText);
    bar.LetColor2(0x3050D0);
    bar.LetValue2(percent / 2);
    bar.LetValue(percent);
    Rendered result;
    result.shown = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    result.memory = bar.hDC()->bitmap().image().copy(QRect(QPoint(0, 0), bar.size()));
    return result;
}

int differingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

TEST(ProgressBarShots, EveryStyleShowsItsMemoryImageAndFollowsTheValue)
{
    const QString folder = qEnvironmentVariable("SCRIVET_SHOTS_DIR");
    const int percents[] = {0, 37, 100};
    for (int style = 0; style <= 9; ++style) {
        QImage sheet(3 * 230 + 10, 2 * 34 + 165, QImage::Format_RGB32);
        sheet.fill(QColor(236, 236, 236));
        QPainter painter(&sheet);
        QImage empty;
        int previous = -1;
        for (int column = 0; column < 3; ++column) {
            const int percent = percents[column];
            const Rendered plain = render(style, percent, {});
            const Rendered text = render(style, percent, {false, true});
            const Rendered vertical = render(style, percent, {true, false});
            EXPECT_EQ(plain.shown, plain.memory) << "style " << style;
            EXPECT_EQ(vertical.shown, vertical.memory) << "style " << style;
            if (column == 0) {
                empty = plain.shown;
            } else {
                // The Search style's blocks run off the right end at 100 %.
                const int changed = differingPixels(empty, plain.shown);
                if (style != ccScrollingSearch) {
                    EXPECT_GT(changed, previous) << "style " << style << " at " << percent;
                } else if (percent == 37) {
                    EXPECT_GT(changed, 0);
                }
                previous = changed;
            }
            painter.drawImage(5 + column * 230, 5, plain.shown);
            painter.drawImage(5 + column * 230, 39, text.shown);
            painter.drawImage(5 + column * 230, 73, vertical.shown);
        }
        painter.end();
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            sheet.save(QDir(folder).filePath(QStringLiteral("style-%1.png").arg(style)));
        }
    }
}

}  // namespace
