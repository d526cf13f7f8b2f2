// What a print server with four queues costs the window against a machine without one: caret
// keys at a person's pace with the ruler's printer wrap (the mean and the slowest key) and
// opening the preview of a 95-page document. Both sides run on the system's printer, one over a
// private cupsd with four queues, one over a server without queues; the list is learnt again
// every 100 ms, so that its questions fall among the keys. Compare each pair's times: the goal
// is at most 1.2 times, and no key much over 10 ms.
#include "platform/host/PrintServer.h"
#include "platform/host/Printer.h"
#include "platform/host/SystemPrinter.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/XrRTB.h"
#include "richtext/printing/PrintPreview.h"
#include "tests/support/PrivatePrintServer.h"

#include "bench/GeneratedText.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

class NoQueues : public host::PrintServer {
public:
    QList<host::PrintQueue> queues() override { return {}; }
    host::OpenedQueue open(const QString&) override { return {}; }
};

std::unique_ptr<testsupport::PrivatePrintServer> server;
NoQueues none;
QString serverFailure;
std::unique_ptr<host::PrinterDevice> fourQueues;
std::unique_ptr<host::PrinterDevice> noServer;

// Arg 0: four queues, 1: no server.
bool usePrinter(benchmark::State& state)
{
    if (state.range(0) == 0 && !serverFailure.isEmpty()) {
        state.SkipWithError(serverFailure.toStdString().c_str());
        return false;
    }
    host::printerService().install(state.range(0) == 0 ? fourQueues.get() : noServer.get());
    host::printServerService().install(state.range(0) == 0 ? nullptr : &none);
    host::printer().reset();
    state.SetLabel(state.range(0) == 0 ? "four queues" : "no server");
    return true;
}

void BM_CaretKeyAtAPersonsPace(benchmark::State& state)
{
    if (!usePrinter(state))
        return;
    XrRTB control;
    control.resize(700, 500);
    control.show();
    control.LetDisplayRuler(true);
    control.LetMyWrapStyle(RulerWrap);
    control.LetText(numberedProseLines(300));
    QWidget* view = control.findChild<richedit::RichTextView*>();
    int key = 0;
    double slowest = 0;
    for (auto _ : state) {
        QThread::msleep(5);  // the pause between a person's keys, not measured
        QCoreApplication::processEvents();
        const Qt::Key which = ++key % 2 ? Qt::Key_Right : Qt::Key_Down;
        QKeyEvent press(QEvent::KeyPress, which, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, which, Qt::NoModifier);
        QElapsedTimer clock;
        clock.start();
        QApplication::sendEvent(view, &press);
        QApplication::sendEvent(view, &release);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        slowest = std::max(slowest, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["slowest_ms"] = slowest * 1000;
}
BENCHMARK(BM_CaretKeyAtAPersonsPace)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(400)
    ->Unit(benchmark::kMicrosecond);

void BM_OpenPreview(benchmark::State& state)
{
    if (!usePrinter(state))
        return;
    richedit::RichTextBox document;
    document.setText(numberedProseLines(95 * 69));  // 95 pages at the 1-inch margin
    RichTextLibraryState::instance().SharedRichText = &document;
    int32_t pages = 0;
    for (auto _ : state) {
        PrintPreview preview;
        benchmark::DoNotOptimize(preview.Form_Load());
        pages = preview.PageCount;
    }
    state.counters["pages"] = pages;
    RichTextLibraryState::instance().SharedRichText = nullptr;
}
BENCHMARK(BM_OpenPreview)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    server = std::make_unique<testsupport::PrivatePrintServer>();
    serverFailure = server->start(QStringLiteral("Bench_Queue_1"));
    for (int queue = 2; queue <= 4 && serverFailure.isEmpty(); ++queue) {
        if (!server->addQueue(QStringLiteral("Bench_Queue_%1").arg(queue)))
            serverFailure = QStringLiteral("lpadmin could not add a queue");
    }
    if (!serverFailure.isEmpty())
        std::fprintf(stderr, "no print server: %s\n", qPrintable(serverFailure));
    host::setPrinterListLifetime(std::chrono::milliseconds(100));
    fourQueues = host::makeSystemPrinter();
    host::printServerService().install(&none);
    noServer = host::makeSystemPrinter();
    host::printServerService().install(nullptr);
    RichTextLibraryState::instance().SharedPrintMargin = 1440;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    host::printerService().install(nullptr);
    host::printServerService().install(nullptr);
    noServer.reset();
    fourQueues.reset();
    server.reset();
    return 0;
}
