// Printing through a real print server: a private cupsd with one queue whose jobs land as PDF.
#include "platform/host/PrintServer.h"
#include "platform/host/Printer.h"
#include "platform/host/SystemPrinter.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/XrRTB.h"
#include "richtext/printing/PrinterTarget.h"
#include "richtext/printing/PrintingMod.h"
#include "tests/platform/picture/MetafileScenes.h"
#include "tests/richtext/printing/PrintingTestSupport.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/PrivatePrintServer.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RedirectedAppData.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <memory>

using namespace std::chrono_literals;

namespace {

using testsupport::numberedLines;

QString pdfText(const QString& path, int page)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                   QString::number(page), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct PdfWord {
    QString text;
    QRectF box;  // points from the sheet's top left corner
};

// The words of one page with their boxes, as pdftotext -bbox reports them.
QList<PdfWord> pdfWords(const QString& path, int page)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                   QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PdfWord> words;
    for (const QRegularExpressionMatch& match :
         word.globalMatch(QString::fromUtf8(process.readAllStandardOutput()))) {
        const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
        const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
        words.append({match.captured(5), QRectF(topLeft, bottomRight)});
    }
    return words;
}

const QString Queue = QStringLiteral("Scrivet_Test_Queue");

// Shows the control with a document wrapped at the printer's line width; returns its view.
richedit::RichTextView& wrapAtThePrinter(XrRTB& control)
{
    control.resize(600, 400);
    control.show();
    control.LetDisplayRuler(true);
    control.LetMyWrapStyle(RulerWrap);
    control.LetText(numberedLines(200));
    return *control.findChild<richedit::RichTextView*>();
}

class PrintServerTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<testsupport::PrivatePrintServer>();
        s_failure = s_server->start(Queue);
    }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_failure.isEmpty()) << s_failure.toStdString();
        RichTextLibraryState::instance().reset();
        RichTextLibraryState::instance().SharedPrintMargin = 1440;
        host::printer().reset();
        host::refreshPrinters();
    }
    void TearDown() override
    {
        host::setPrinterListLifetime(2000ms);
        RichTextLibraryState::instance().reset();
    }

    static inline std::unique_ptr<testsupport::PrivatePrintServer> s_server;
    static inline QString s_failure;
    testsupport::FakeMessageBoxes m_boxes;
};

TEST_F(PrintServerTest, PresenceAndGeometryComeFromTheQueue)
{
    EXPECT_TRUE(PrinterTarget::PrinterInstalled());
    host::Printer& printer = host::printer();
    EXPECT_EQ(printer.DeviceName(), Queue);
    EXPECT_EQ(host::printersCount(), 2);  // the queue and the PDF printer
    printer.setPaperSize(host::vbPRPSLetter);
    printer.setOrientation(host::vbPRORPortrait);
    const long dpi = printer.GetDeviceCaps(host::LOGPIXELSX);
    ASSERT_GT(dpi, 0);
    // The queue's sheet: letter, a quarter inch unprintable at the sides, half an inch at the top.
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALWIDTH), dpi * 17 / 2);
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALHEIGHT), dpi * 11);
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALOFFSETX), dpi / 4);
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALOFFSETY), dpi / 2);
    EXPECT_EQ(PrinterTarget::GetPrinterOffsetX(), 360);
}

// Typing and counting pages never ask the server on the window's thread, even while the list
// is asked for again and again.
TEST_F(PrintServerTest, CaretKeysAndAPageCountMakeNoServerRequest)
{
    host::setPrinterListLifetime(10ms);
    testsupport::RedirectedAppData appData;
    XrRTB control;
    richedit::RichTextView& view = wrapAtThePrinter(control);
    ASSERT_TRUE(control.PrinterInstalled());
    richedit::RichTextBox copy;
    copy.setText(numberedLines(200));
    ASSERT_GT(PrintingMod::CountPages(copy), 1);

    const std::uint64_t before = host::printServerRequests();
    for (int key = 0; key < 100; ++key)
        QTest::keyClick(&view, key % 2 ? Qt::Key_Down : Qt::Key_Right);
    EXPECT_GT(PrintingMod::CountPages(copy), 1);
    QElapsedTimer clock;
    clock.start();
    while (host::printServerRequests() == before && clock.elapsed() < 2000)
        QThread::msleep(5);
    EXPECT_GT(host::printServerRequests(), before) << "the list is learnt again meanwhile";
    EXPECT_EQ(host::printServerRequestsOnMainThread(), 0u);
}

// A server that stops answering mid-session: the window goes on with what it learnt, waits at
// most a moment once, and follows the server again when it answers.
TEST_F(PrintServerTest, AServerThatStopsAnsweringNeverStallsTheWindow)
{
    host::setPrinterListLifetime(10ms);
    XrRTB control;
    richedit::RichTextView& view = wrapAtThePrinter(control);
    ASSERT_TRUE(s_server->pause());
    struct Resume {
        ~Resume() { s_server->resume(); }
    } resume;
    QThread::msleep(50);

    QElapsedTimer clock;
    clock.start();
    qint64 slowest = 0;
    for (int key = 0; key < 40; ++key) {
        const qint64 start = clock.elapsed();
        QTest::keyClick(&view, key % 2 ? Qt::Key_Down : Qt::Key_Right);
        slowest = std::max(slowest, clock.elapsed() - start);
    }
    EXPECT_LT(slowest, 100) << "ms for one key";
    EXPECT_EQ(host::printer().DeviceName(), Queue);
    richedit::RichTextBox copy;
    copy.setText(numberedLines(200));
    EXPECT_GT(PrintingMod::CountPages(copy), 1);
    clock.restart();
    host::refreshPrinters();  // waits for the question under way no longer than it has run
    host::refreshPrinters();
    EXPECT_LT(clock.elapsed(), 1000);

    ASSERT_TRUE(s_server->resume());
    ASSERT_TRUE(s_server->addQueue(QStringLiteral("Scrivet_Late_Queue")));
    ASSERT_TRUE(s_server->admin({QStringLiteral("-d"), QStringLiteral("Scrivet_Late_Queue")}));
    clock.restart();
    while (host::printer().DeviceName() != QStringLiteral("Scrivet_Late_Queue") &&
           clock.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_EQ(host::printer().DeviceName(), QStringLiteral("Scrivet_Late_Queue"));
    ASSERT_TRUE(s_server->admin({QStringLiteral("-x"), QStringLiteral("Scrivet_Late_Queue")}));
    ASSERT_TRUE(s_server->admin({QStringLiteral("-d"), Queue}));
    host::refreshPrinters();
}

TEST_F(PrintServerTest, AQueueAddedAndMadeTheDefaultIsFollowedWithinTwoSeconds)
{
    const QString second = QStringLiteral("Scrivet_Second_Queue");
    ASSERT_EQ(host::printer().DeviceName(), Queue);
    ASSERT_TRUE(s_server->addQueue(second));
    ASSERT_TRUE(s_server->admin({QStringLiteral("-d"), second}));
    QElapsedTimer clock;
    clock.start();
    while (host::printer().DeviceName() != second && clock.elapsed() < 5000)
        QThread::msleep(20);
    EXPECT_EQ(host::printer().DeviceName(), second);
    EXPECT_LT(clock.elapsed(), 3000);

    ASSERT_TRUE(s_server->admin({QStringLiteral("-x"), second}));
    ASSERT_TRUE(s_server->admin({QStringLiteral("-d"), Queue}));
    host::refreshPrinters();
    EXPECT_EQ(host::printer().DeviceName(), Queue);
}

TEST_F(PrintServerTest, AThreePageDocumentArrivesWithItsThreeStampedPages)
{
    richedit::RichTextBox text;
    int lines = 60;
    text.setText(numberedLines(lines));
    while (PrintingMod::CountPages(text) < 3 && lines < 1000)
        text.setText(numberedLines(lines += 5));
    int32_t pages = PrintingMod::CountPages(text);
    ASSERT_EQ(pages, 3);
    int32_t kind = PrintPageOnly;
    int32_t position = CenterAlignHeadingBottom;
    QString custom;
    PrintingMod::PrintAllPages(text, pages, kind, custom, position);
    ASSERT_TRUE(m_boxes.shown().empty());
    ASSERT_TRUE(s_server->waitForJob(Queue)) << s_server->log().toStdString();
    const QString job = s_server->jobFile(Queue);
    EXPECT_EQ(testsupport::pdfPageCount(job), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(pdfText(job, page).contains(QStringLiteral("Page %1").arg(page))) << page;
}

// On the queue's sheet, half an inch unprintable at top and bottom, every stamp position at both
// margins keeps the stamp and the text apart and inside the printable area.
TEST_F(PrintServerTest, StampAndTextNeverOverlapAndStayInsideThePrintableArea)
{
    richedit::RichTextBox text;
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    int lines = 40;
    do
        text.setText(numberedLines(lines += 10));
    while (PrintingMod::CountPages(text) < 2 && lines < 1000);
    const QString job = s_server->jobFile(Queue);
    // The printable area in points, from the top of the sheet.
    const QRectF printable(18, 36, 612 - 36, 792 - 72);
    for (const int32_t margin : {1440, 1080}) {
        RichTextLibraryState::instance().SharedPrintMargin = margin;
        int32_t pages = PrintingMod::CountPages(text);
        ASSERT_GE(pages, 2);
        for (int32_t position = CenterAlignHeading; position <= LeftAlignHeadingBottom;
             ++position) {
            SCOPED_TRACE(testing::Message() << "margin " << margin << ", position " << position);
            QFile::remove(job);
            int32_t kind = PrintCustom;
            int32_t place = position;
            QString custom = QStringLiteral("STAMPMARK");
            PrintingMod::PrintAllPages(text, pages, kind, custom, place);
            ASSERT_TRUE(m_boxes.shown().empty());
            ASSERT_TRUE(s_server->waitForJob(Queue)) << s_server->log().toStdString();
            ASSERT_EQ(testsupport::pdfPageCount(job), pages);
            for (int page = 1; page <= pages; ++page) {
                const QList<PdfWord> words = pdfWords(job, page);
                QList<QRectF> stamps;
                QList<QRectF> body;
                for (const PdfWord& word : words) {
                    EXPECT_TRUE(printable.contains(word.box))
                        << word.text.toStdString() << " outside the printable area on page "
                        << page;
                    (word.text == QStringLiteral("STAMPMARK") ? stamps : body) << word.box;
                }
                ASSERT_EQ(stamps.size(), 1) << "page " << page;
                ASSERT_FALSE(body.isEmpty());
                for (const QRectF& box : body)
                    EXPECT_FALSE(box.intersects(stamps[0])) << "page " << page;
            }
        }
    }
}

// The words of a text, line by line: what survives fonts without a character map.
QList<qsizetype> wordsPerLine(const QString& text)
{
    QList<qsizetype> counts;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (const qsizetype words =
                line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts).size())
            counts.append(words);
    }
    return counts;
}

// Metafiles print as vectors and text stays text, through a PDF queue and through a PostScript
// printer's queue, whose converter would send a page with any transparency on it as one image.
TEST_F(PrintServerTest, PicturesPrintSharpAndTextStaysTextOnPdfAndPostScriptQueues)
{
    const QString postScriptQueue = QStringLiteral("Scrivet_PostScript_Queue");
    ASSERT_TRUE(s_server->addPostScriptQueue(postScriptQueue)) << s_server->log().toStdString();
    struct Remove {
        ~Remove()
        {
            s_server->admin({QStringLiteral("-x"), QStringLiteral("Scrivet_PostScript_Queue")});
            s_server->admin({QStringLiteral("-d"), Queue});
            host::refreshPrinters();
        }
    } remove;
    richedit::RichTextBox text;
    text.setTextRTF(metafiles::rtfWithPictures());
    testsupport::TempFolder folder;
    QString pdfWords;
    for (const QString& queue : {Queue, postScriptQueue}) {
        SCOPED_TRACE(queue.toStdString());
        ASSERT_TRUE(s_server->admin({QStringLiteral("-d"), queue}));
        host::refreshPrinters();
        ASSERT_EQ(host::printer().DeviceName(), queue);
        QFile::remove(s_server->jobFile(queue));
        int32_t pages = PrintingMod::CountPages(text);
        ASSERT_EQ(pages, 1);
        int32_t kind = PrintPageOnly;
        int32_t position = CenterAlignHeadingBottom;
        QString custom;
        PrintingMod::PrintAllPages(text, pages, kind, custom, position);
        ASSERT_TRUE(m_boxes.shown().empty());
        QString pdf = s_server->jobFile(queue);
        if (queue == Queue) {
            ASSERT_TRUE(s_server->waitForJob(queue)) << s_server->log().toStdString();
        } else {
            ASSERT_TRUE(s_server->waitForPostScriptJob(queue)) << s_server->log().toStdString();
            pdf = folder.filePath(QStringLiteral("postscript.pdf"));
            ASSERT_TRUE(testsupport::postScriptToPdf(s_server->jobFile(queue), pdf));
        }
        EXPECT_EQ(testsupport::pdfImageSizes(pdf),
                  QList<QSize>{QSize(metafiles::PngWidth, metafiles::PngHeight)});
        const QString words = testsupport::pdfText(pdf);
        if (queue == Queue) {
            for (const char* word : {"Textword before", "Emfword", "Wmfword", "Page 1"})
                EXPECT_TRUE(words.contains(QLatin1String(word)))
                    << word << " in " << words.toStdString();
            pdfWords = words;
        } else {
            // The converter's fonts map glyphs to no characters: the same words on the same
            // lines show that the text is still text (a page sent as an image has none).
            EXPECT_EQ(wordsPerLine(words), wordsPerLine(pdfWords)) << words.toStdString();
        }
    }
}

}  // namespace
