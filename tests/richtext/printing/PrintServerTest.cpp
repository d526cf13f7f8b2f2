// Printing through a real print server: a private cupsd with one queue whose jobs land as PDF.
#include "platform/host/PrintServer.h"
#include "platform/host/Printer.h"
#include "platform/host/SystemPrinter.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/core/XrRTB.h"
#include "richtext/printing/PrinterTarget.h"
#include "tests/richtext/printing/PrintedPdfChecks.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/PrivatePrintServer.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RedirectedAppData.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <memory>

using namespace std::chrono_literals;

namespace {

using testsupport::numberedLines;

const QString Queue = QStringLiteral("Scrivet_Test_Queue");

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

// After the printer was learnt, typing and counting pages never wait for the server.
TEST_F(PrintServerTest, CaretKeysAndAPageCountMakeNoServerRequest)
{
    host::setPrinterListLifetime(10min);
    testsupport::RedirectedAppData appData;
    XrRTB control;
    control.resize(600, 400);
    control.show();
    control.LetDisplayRuler(true);
    control.LetMyWrapStyle(RulerWrap);
    control.LetText(numberedLines(200));
    ASSERT_TRUE(control.PrinterInstalled());
    richedit::RichTextView& view = *control.findChild<richedit::RichTextView*>();
    richedit::RichTextBox copy;
    copy.setText(numberedLines(200));
    ASSERT_GT(PrintingMod::CountPages(copy), 1);

    const std::uint64_t before = host::printServerRequests();
    for (int key = 0; key < 100; ++key)
        QTest::keyClick(&view, key % 2 ? Qt::Key_Down : Qt::Key_Right);
    EXPECT_GT(PrintingMod::CountPages(copy), 1);
    EXPECT_EQ(host::printServerRequests(), before);

    // The keys do consult the printer: with answers never trusted, each one asks the server.
    host::setPrinterListLifetime(0ms);
    for (int key = 0; key < 10; ++key)
        QTest::keyClick(&view, key % 2 ? Qt::Key_Up : Qt::Key_Left);
    EXPECT_GE(host::printServerRequests(), before + 10);
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
    const testsupport::SheetGeometry sheet{1440, 360, 720, 12240, 15840};
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        testsupport::expectTextInsideMarginsAndAboveTheStamp(
            testsupport::renderPdfPage(job, page, 100), 100, sheet, true);
    }
}

}  // namespace
