#include "platform/host/CommonDialog.h"
#include "platform/host/PrintHandover.h"
#include "platform/host/PrintServer.h"
#include "platform/host/Printer.h"
#include "platform/host/SystemPrinter.h"
#include "platform/runtime/VbError.h"
#include "tests/support/FakeCommonDialogs.h"
#include "tests/support/RaisedError.h"
#include "tests/support/ScopedService.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

using namespace std::chrono_literals;

namespace {

// A print server with scripted queues that counts what it is asked, on the printer's own
// thread. Its queues are Qt's PDF output under the queue's name, with unprintable strips of a
// quarter and half an inch.
class ScriptedPrintServer : public host::PrintServer {
public:
    QList<host::PrintQueue> queues() override
    {
        ++requests;
        const std::lock_guard lock(m_mutex);
        return m_queues;
    }
    host::OpenedQueue open(const QString& queue) override
    {
        ++requests;
        ++opened;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setResolution(600);
        printer->setPrinterName(queue);
        const QMarginsF strips =
            queue == edgeToEdgeQueue.load() ? QMarginsF() : QMarginsF(18, 36, 18, 36);
        printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, strips,
                                           QPageLayout::Point, strips));
        return {std::move(printer), queue + QStringLiteral(" model")};
    }
    // Takes each job with its file's bytes; a silent server answers nothing until it speaks
    // again or is told to stop waiting. Scripted answers come first.
    host::Submission submit(const host::ServerJob& job, std::stop_token stop) override
    {
        ++requests;
        std::unique_lock lock(m_mutex);
        ++offered;
        if (!m_silence.wait(lock, stop, [this] { return !m_silent; })) {
            ++stopped;
            return {host::Submission::Stopped, {}};
        }
        if (!m_scripted.empty()) {
            const host::Submission answer = m_scripted.front();
            m_scripted.pop_front();
            return answer;
        }
        QFile file(job.file);
        m_delivered.append({job, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray()});
        return {host::Submission::Delivered, {}};
    }

    void setSilent(bool silent)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_silent = silent;
        }
        m_silence.notify_all();
    }
    void script(std::initializer_list<host::Submission> answers)
    {
        const std::lock_guard lock(m_mutex);
        m_scripted.insert(m_scripted.end(), answers);
    }
    QList<std::pair<host::ServerJob, QByteArray>> delivered()
    {
        const std::lock_guard lock(m_mutex);
        return m_delivered;
    }

    void setQueues(const QStringList& names, const QString& defaultName = {})
    {
        const std::lock_guard lock(m_mutex);
        m_queues.clear();
        for (const QString& name : names)
            m_queues.append({name, name == defaultName});
    }

    std::atomic<int> requests = 0;
    std::atomic<int> opened = 0;
    std::atomic<int> offered = 0;  // submissions begun
    std::atomic<int> stopped = 0;
    struct Name {
        QString load() const
        {
            const std::lock_guard lock(mutex);
            return value;
        }
        void operator=(const QString& name)
        {
            const std::lock_guard lock(mutex);
            value = name;
        }
        mutable std::mutex mutex;
        QString value;
    } edgeToEdgeQueue;  // a queue that prints to the sheet's edge

private:
    std::mutex m_mutex;
    QList<host::PrintQueue> m_queues;
    std::condition_variable_any m_silence;
    bool m_silent = false;
    std::deque<host::Submission> m_scripted;
    QList<std::pair<host::ServerJob, QByteArray>> m_delivered;
};

// Polls `check` for at most two seconds.
template <typename Check>
bool soon(Check check)
{
    QElapsedTimer clock;
    clock.start();
    while (!check()) {
        if (clock.elapsed() > 2000)
            return false;
        QThread::msleep(5);
    }
    return true;
}

class SystemPrinterTest : public ::testing::Test {
protected:
    SystemPrinterTest() : m_lifetime(host::setPrinterListLifetime(60s)) {}
    ~SystemPrinterTest() override { host::setPrinterListLifetime(m_lifetime); }

    ScriptedPrintServer m_server;
    testsupport::ScopedService<host::PrintServer> m_serverInstalled{host::printServerService(),
                                                                    m_server};
    std::unique_ptr<host::PrinterDevice> m_system = host::makeSystemPrinter();
    testsupport::ScopedService<host::PrinterDevice> m_printerInstalled{host::printerService(),
                                                                       *m_system};
    testsupport::FakeCommonDialogs m_dialogs;
    testsupport::TempFolder m_folder;
    std::chrono::milliseconds m_lifetime;
};

int pdfPages(const QByteArray& pdf)
{
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/"));
}

TEST_F(SystemPrinterTest, WithoutQueuesThePdfPrinterIsTheDefaultWithAQuarterInchBorder)
{
    host::Printer& printer = host::printer();
    EXPECT_EQ(printer.DeviceName(), host::pdfPrinterName());
    EXPECT_EQ(printer.DriverName(), host::pdfPrinterDriver());
    EXPECT_EQ(host::printersCount(), 1);
    printer.setPaperSize(host::vbPRPSLetter);
    printer.setOrientation(host::vbPRORPortrait);
    EXPECT_EQ(printer.GetDeviceCaps(host::LOGPIXELSY), 1200);
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALWIDTH), 10200);
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALHEIGHT), 13200);
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALOFFSETX), 300);
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALOFFSETY), 300);
    EXPECT_EQ(printer.GetDeviceCaps(host::VERTRES), 13200 - 600);
    EXPECT_EQ(printer.Height(), 15840);

    printer.setOrientation(host::vbPRORLandscape);
    EXPECT_EQ(printer.Orientation(), host::vbPRORLandscape);
    EXPECT_EQ(printer.GetDeviceCaps(host::PHYSICALWIDTH), 13200);
    printer.setPaperSize(host::vbPRPSA4);
    EXPECT_EQ(printer.PaperSize(), host::vbPRPSA4);
    printer.setOrientation(host::vbPRORPortrait);
}

TEST_F(SystemPrinterTest, TheServerDefaultElseTheFirstQueueIsFollowed)
{
    m_server.setQueues({"office", "hall"}, "hall");
    host::refreshPrinters();
    EXPECT_EQ(host::printer().DeviceName(), "hall");
    EXPECT_EQ(host::printer().DriverName(), "hall model");
    EXPECT_EQ(host::printersCount(), 3);  // the two queues and the PDF printer
    EXPECT_EQ(host::printer().GetDeviceCaps(host::LOGPIXELSX), 600);
    EXPECT_EQ(host::printer().GetDeviceCaps(host::PHYSICALOFFSETY), 300);  // half an inch

    m_server.setQueues({"office", "hall"});
    host::refreshPrinters();
    EXPECT_EQ(host::printer().DeviceName(), "office");

    // A queue that prints to the edge reports the quarter-inch strip all printers leave.
    m_server.edgeToEdgeQueue = "pdf queue";
    m_server.setQueues({"pdf queue"});
    host::refreshPrinters();
    EXPECT_EQ(host::printer().GetDeviceCaps(host::PHYSICALOFFSETX), 150);
    EXPECT_EQ(host::printer().GetDeviceCaps(host::PHYSICALOFFSETY), 150);
}

TEST_F(SystemPrinterTest, AnswersComeFromTheCacheUntilItsLifetimeEnds)
{
    m_server.setQueues({"office"}, "office");
    host::Printer& printer = host::printer();
    ASSERT_EQ(printer.DeviceName(), "office");
    const int learnt = m_server.requests;
    QElapsedTimer clock;
    clock.start();
    constexpr int Rounds = 20000;
    for (int i = 0; i < Rounds; ++i) {
        printer.DeviceName();
        printer.GetDeviceCaps(host::PHYSICALOFFSETX);
        printer.setPaperSize(host::vbPRPSLetter);
        printer.setOrientation(host::vbPRORPortrait);
    }
    EXPECT_EQ(m_server.requests, learnt);
    EXPECT_LT(double(clock.nsecsElapsed()) / Rounds, 50'000.0);  // well under 0.05 ms a round

    // A queue removed and another added: seen once the list has aged, not before.
    m_server.setQueues({"annex"});
    QThread::msleep(100);
    EXPECT_EQ(printer.DeviceName(), "office");
    host::setPrinterListLifetime(20ms);
    EXPECT_TRUE(soon([&] { return printer.DeviceName() == "annex"; }));
    EXPECT_GT(m_server.requests, learnt);

    // Every queue gone: the PDF printer takes over and the printer is still installed.
    m_server.setQueues({});
    EXPECT_TRUE(soon([&] { return printer.DeviceName() == host::pdfPrinterName(); }));
}

TEST_F(SystemPrinterTest, APrintDialogsChoiceIsFollowedAndAnUnchangedPrinterIsNotReopened)
{
    m_server.setQueues({"office", "hall"}, "office");
    ASSERT_EQ(host::printer().DeviceName(), "office");
    const int opened = m_server.opened;
    host::refreshPrinters();
    host::refreshPrinters();
    EXPECT_EQ(m_server.opened, opened);

    m_dialogs.answer(host::DialogAnswer::withPrinter(host::PrinterChoice{"hall"}));
    host::CommonDialog dialog;
    dialog.PrinterDefault = true;
    dialog.ShowPrinter();
    EXPECT_EQ(host::printer().DeviceName(), "hall");
    m_dialogs.answer(host::DialogAnswer::withPrinter(host::PrinterChoice{host::pdfPrinterName()}));
    dialog.ShowPrinter();
    EXPECT_EQ(host::printer().DeviceName(), host::pdfPrinterName());
}

TEST_F(SystemPrinterTest, APdfJobAsksForItsFileAndWritesItsPagesOnlyWhenItEnds)
{
    host::PrinterDevice& device = host::printerService().get();
    const QString path = m_folder.filePath("report.pdf");
    m_dialogs.answer(host::DialogAnswer::file(path));
    ASSERT_TRUE(device.startDoc("Quarterly report"));
    const host::DialogRequest& asked = m_dialogs.last();
    EXPECT_EQ(asked.kind, host::DialogKind::Save);
    EXPECT_TRUE(asked.fileName.endsWith("/Quarterly report.pdf"));
    EXPECT_EQ(asked.defaultExt, "pdf");
    EXPECT_TRUE(asked.flags & host::cdlOFNOverwritePrompt);
    device.pagePainter()->drawText(QPointF(100, 200), "one");
    ASSERT_TRUE(device.newPage());
    device.pagePainter()->drawText(QPointF(100, 200), "two");
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(device.endDoc());
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray pdf = written.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdfPages(pdf), 2);

    // An aborted job leaves the older file as it was; a cancelled dialog starts no job.
    m_dialogs.answer(host::DialogAnswer::file(path));
    ASSERT_TRUE(device.startDoc("again"));
    device.abortDoc();
    EXPECT_FALSE(device.printing());
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), pdf);
    // A cancelled dialog starts no job and is a cancel, not a printer failure.
    m_dialogs.answerCancel();
    EXPECT_FALSE(device.startDoc("cancelled"));
    EXPECT_TRUE(device.startCancelled());
    EXPECT_FALSE(device.printing());
    EXPECT_EQ(testsupport::raisedError([] { host::printer().StartDoc("cancelled"); }),
              vb::ErrCancel);
}

TEST_F(SystemPrinterTest, ThePdfFileIsNamedAfterTheDocumentOfTheWindowPrinting)
{
    QWidget window;
    window.setWindowTitle("letter.wmdf - Wexmoor Scrivet");
    QWidget preview(&window, Qt::Dialog);
    preview.show();
    QApplication::setActiveWindow(&preview);
    m_dialogs.answerCancel();
    EXPECT_FALSE(host::printerService().get().startDoc("Scrivet"));
    EXPECT_TRUE(m_dialogs.last().fileName.endsWith("/letter.pdf"))
        << m_dialogs.last().fileName.toStdString();
    EXPECT_EQ(m_dialogs.last().owner, &preview);
}

// A queue's job is written out on the window's thread and handed to a silent server on another:
// ending it does not wait, and the server gets every job, in order, once it answers.
TEST_F(SystemPrinterTest, AQueueJobEndsAtOnceAndReachesASilentServerWhenItAnswers)
{
    m_server.setQueues({"office"}, "office");
    m_dialogs.answer(host::DialogAnswer::withPrinter(host::PrinterChoice{"office"}));
    host::CommonDialog dialog;
    dialog.PrinterDefault = true;
    dialog.ShowPrinter();
    host::PrinterDevice& device = host::printerService().get();
    ASSERT_EQ(host::printer().DeviceName(), "office");
    device.setOrientation(host::vbPRORLandscape);
    m_server.setSilent(true);
    QElapsedTimer clock;
    clock.start();
    for (const char* title : {"Letter", "Memo"}) {
        ASSERT_TRUE(device.startDoc(title));
        device.pagePainter()->drawText(QPointF(100, 200), "one");
        ASSERT_TRUE(device.newPage());
        device.pagePainter()->drawText(QPointF(100, 200), "two");
        ASSERT_TRUE(device.endDoc());
    }
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_TRUE(soon([&] { return m_server.offered == 1; }));
    QThread::msleep(50);
    EXPECT_EQ(device.jobsWaiting(), 2);
    EXPECT_GE(device.jobsUnanswered(), 50ms);
    EXPECT_TRUE(m_server.delivered().isEmpty());

    m_server.setSilent(false);
    ASSERT_TRUE(soon([&] { return device.jobsWaiting() == 0; }));
    EXPECT_EQ(device.jobsUnanswered(), 0ms);
    const auto delivered = m_server.delivered();
    ASSERT_EQ(delivered.size(), 2);
    EXPECT_EQ(delivered[0].first.title, "Letter");
    EXPECT_EQ(delivered[1].first.title, "Memo");
    for (const auto& [job, pdf] : delivered) {
        EXPECT_EQ(job.queue, "office");
        EXPECT_TRUE(pdf.startsWith("%PDF"));
        EXPECT_EQ(pdfPages(pdf), 2);
        EXPECT_FALSE(job.file.endsWith(".pdf"));
        EXPECT_TRUE(job.options.contains(std::pair<QByteArray, QByteArray>("media", "A4")));
        EXPECT_TRUE(job.options.contains(std::pair<QByteArray, QByteArray>("landscape", "")));
        EXPECT_TRUE(soon([&] { return !QFile::exists(job.file); })) << "the job's file is left";
    }
    EXPECT_TRUE(device.takeRefusedJobs().isEmpty());
    device.setOrientation(host::vbPRORPortrait);
}

// The hand-over keeps a job until the server has answered it: a server out of reach gets it
// again, a refusal is reported, and only the user's cancel ends a job unanswered.
TEST_F(SystemPrinterTest, AHandedOverJobIsDeliveredRefusedOrCancelledButNeverLost)
{
    host::PrintHandover handover(m_server, 10ms);
    const auto handJob = [&](const QString& title) {
        const QString file = handover.newJobFile();
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(title.toUtf8());
        out.close();
        handover.hand(host::ServerJob{"office", file, title, {}});
        return file;
    };

    m_server.script({{host::Submission::NoAnswer, {}}, {host::Submission::NoAnswer, {}}});
    const QString first = handJob("after two tries");
    ASSERT_TRUE(soon([&] { return handover.waiting() == 0; }));
    EXPECT_EQ(m_server.offered, 3);
    ASSERT_EQ(m_server.delivered().size(), 1);
    EXPECT_EQ(m_server.delivered()[0].second, "after two tries");
    EXPECT_FALSE(QFile::exists(first));

    m_server.script({{host::Submission::Refused, "The printer is out of order."}});
    const QString refusedFile = handJob("refused");
    ASSERT_TRUE(soon([&] { return handover.waiting() == 0; }));
    const QList<host::RefusedJob> refused = handover.takeRefused();
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0].title, "refused");
    EXPECT_EQ(refused[0].reason, "The printer is out of order.");
    EXPECT_TRUE(handover.takeRefused().isEmpty());
    EXPECT_FALSE(QFile::exists(refusedFile));

    m_server.setSilent(true);
    const int offered = m_server.offered;
    const QStringList cancelled{handJob("under way"), handJob("queued")};
    ASSERT_TRUE(soon([&] { return m_server.offered == offered + 1; }));
    EXPECT_EQ(handover.waiting(), 2);
    handover.cancelAll();
    EXPECT_EQ(handover.waiting(), 0);
    EXPECT_EQ(handover.unanswered(), 0ms);
    EXPECT_TRUE(soon([&] { return m_server.stopped == 1; })) << "the wait under way goes on";
    for (const QString& file : cancelled)
        EXPECT_TRUE(soon([&] { return !QFile::exists(file); }));

    m_server.setSilent(false);
    handJob("later");
    ASSERT_TRUE(soon([&] { return handover.waiting() == 0; }));
    const auto delivered = m_server.delivered();
    ASSERT_EQ(delivered.size(), 2);
    EXPECT_EQ(delivered[1].first.title, "later");
}

TEST(PrinterFont, AMissingFixedPitchFaceIsStoodInForByAFixedPitchOne)
{
    host::Printer& printer = host::printer();
    printer.reset();
    printer.setFontName("Lucida Console");
    EXPECT_EQ(printer.FontName(), "Lucida Console");
    EXPECT_TRUE(QFontInfo(printer.Font()).fixedPitch());
    printer.setFontName("Arial");
    EXPECT_FALSE(QFontInfo(printer.Font()).fixedPitch());
    printer.reset();
}

}  // namespace
