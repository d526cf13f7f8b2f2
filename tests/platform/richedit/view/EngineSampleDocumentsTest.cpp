// Every sample document other writers could give: the window loads it, lays it out at a narrow
// and a wide width, answers line queries at every position, prints it page by page, and saves
// it as RTF that loads back to the same text and the same RTF.
#include "platform/richedit/view/Engine.h"

#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

using namespace richedit;

namespace {

constexpr int PageDpi = 96;

QImage page()
{
    QImage image(QSize(816, 1056), QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(PageDpi / 0.0254));
    image.setDotsPerMeterY(qRound(PageDpi / 0.0254));
    return image;
}

}  // namespace

TEST(EngineSampleDocuments, LoadLayOutPrintAndSaveAgain)
{
    const QDir samples(
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../../data/rtf")));
    const QStringList names = samples.entryList({QStringLiteral("*.rtf")});
    ASSERT_GE(names.size(), 20);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        Engine engine;
        ASSERT_FALSE(engine.loadFile(samples.filePath(name), FileKind::Rtf).has_value());
        const int32_t length = int32_t(engine.text().size());
        for (const int width : {300, 9000}) {
            engine.setViewportSize(QSize(width, 3000));
            engine.setTargetDevice(nullptr, 0);
            const int lines = engine.lineCount();
            ASSERT_GE(lines, 1);
            int previous = 0;
            for (int32_t p = 0; p <= length; ++p) {
                const int line = engine.lineFromChar(p);
                ASSERT_GE(line, previous) << "position " << p;
                ASSERT_LT(line, lines) << "position " << p;
                previous = line;
            }
        }

        QImage image = page();
        QPainter painter(&image);
        const TargetDevice target{PageDpi, PageDpi, &image};
        const Rect rc{720, 720, 11520, 14400};
        FormatRange format{&painter, &target, rc, rc, {0, -1}};
        for (int pages = 0; pages < 1000; ++pages) {
            format.rc = rc;
            const int32_t next = engine.formatRange(format, true);
            if (next >= length)
                break;
            ASSERT_GT(next, format.chrg.cpMin) << "a page must move on";
            format.chrg.cpMin = next;
        }
        painter.end();

        const QString rtf = engine.textRtf();
        Engine copy;
        copy.setTextRtf(rtf);
        EXPECT_EQ(copy.text(), engine.text());
        EXPECT_EQ(copy.textRtf(), rtf);
    }
}
