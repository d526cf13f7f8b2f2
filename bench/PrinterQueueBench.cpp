// What a printer on a print server costs the window. Pairs, each measured side by side:
// - caret keys with the ruler's printer wrap, the page count of a 135-page preview and opening
//   that preview, on a real queue (a private cupsd) and on a simulated printer with the queue's
//   own geometry;
// - caret keys at a person's pace (the mean and the slowest key) and opening the preview of a
//   95-page document, on the system's printer over that server with four queues and over a
//   server without queues (a machine without a print server). The list is learnt again every
//   100 ms, so that its questions fall among the keys.
// The goal: the server's side costs at most 1.2 times the other, and no key much over 10 ms.
#include "platform/host/PrintServer.h"
#include "platform/host/Printer.h"
#include "platform/host/SystemPrinter.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/XrRTB.h"
#include "richtext/printing/PrintPreview.h"
#include "richtext/printing/PrintingMod.h"
#include "tests/support/PrivatePrintServer.h"

#include "bench/GeneratedText.h"
#include "bench/SimulatedPrinter.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPrinter>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

class NoQueues : public host::PrintServer {
public:
    QList<host::PrintQueue> queues() override { return {}; }
    host::OpenedQueue open(const QString&) override { return {}; }
    host::Submission submit(const host::ServerJob&, std::stop_token) override
    {
        return {host::Submission::Refused, QStringLiteral("No such queue.")};
    }
};

std::unique_ptr<testsupport::PrivatePrintServer> server;
QString serverFailure;
std::unique_ptr<SimulatedPrinter> simulated;
NoQueues none;
std::unique_ptr<host::PrinterDevice> noServer;

enum PrinterArg { Queues = 0, Simulated = 1, NoServer = 2 };

bool usePrinter(benchmark::State& state)
{
    const auto which = PrinterArg(state.range(0));
    if (which == Queues && !serverFailure.isEmpty()) {
        state.SkipWithError(serverFailure.toStdString().c_str());
        return false;
    }
    host::printerService().install(which == Simulated  ? simulated.get()
                                   : which == NoServer ? noServer.get()
                                                       : nullptr);
    host::printServerService().install(which == NoServer ? &none : nullptr);
    host::printer().reset();
    state.SetLabel(which == Queues ? "queues" : which == Simulated ? "simulated" : "no server");
    return true;
}

// An editing control wrapped at the printer's line width, and its editing view.
struct RulerWrappedControl {
    RulerWrappedControl()
    {
        control.resize(700, 500);
        control.show();
        control.LetDisplayRuler(true);
        control.LetMyWrapStyle(RulerWrap);
        control.LetText(numberedProseLines(300));
        view = control.findChild<richedit::RichTextView*>();
    }
    // A caret key pressed and released.
    void key(int count)
    {
        const Qt::Key which = count % 2 ? Qt::Key_Right : Qt::Key_Down;
        QKeyEvent press(QEvent::KeyPress, which, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, which, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        QApplication::sendEvent(view, &release);
    }
    XrRTB control;
    QWidget* view = nullptr;
};

richedit::RichTextBox& longDocument()
{
    static richedit::RichTextBox* box = [] {
        auto* text = new richedit::RichTextBox;
        text->setText(numberedProseLines(135 * 67));
        return text;
    }();
    return *box;
}

void BM_CaretKey(benchmark::State& state)
{
    if (!usePrinter(state))
        return;
    RulerWrappedControl editor;
    int key = 0;
    for (auto _ : state)
        editor.key(++key);
}
BENCHMARK(BM_CaretKey)->Arg(Queues)->Arg(Simulated)->Unit(benchmark::kMicrosecond);

void BM_CaretKeyAtAPersonsPace(benchmark::State& state)
{
    if (!usePrinter(state))
        return;
    RulerWrappedControl editor;
    int key = 0;
    double slowest = 0;
    for (auto _ : state) {
        QThread::msleep(5);  // the pause between a person's keys, not measured
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        editor.key(++key);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        slowest = std::max(slowest, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["slowest_ms"] = slowest * 1000;
}
BENCHMARK(BM_CaretKeyAtAPersonsPace)
    ->Arg(Queues)
    ->Arg(NoServer)
    ->UseManualTime()
    ->Iterations(400)
    ->Unit(benchmark::kMicrosecond);

void BM_CountPages(benchmark::State& state)
{
    if (!usePrinter(state))
        return;
    int32_t pages = 0;
    for (auto _ : state) {
        pages = PrintingMod::CountPages(longDocument());
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_CountPages)->Arg(Queues)->Arg(Simulated)->Unit(benchmark::kMillisecond);

void BM_OpenPreview(benchmark::State& state)
{
    if (!usePrinter(state))
        return;
    richedit::RichTextBox document;
    // 135 pages against the simulated printer, 95 against no server.
    document.setText(numberedProseLines(state.range(1) * 69));
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
BENCHMARK(BM_OpenPreview)
    ->Args({Queues, 135})
    ->Args({Simulated, 135})
    ->Args({Queues, 95})
    ->Args({NoServer, 95})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    server = std::make_unique<testsupport::PrivatePrintServer>();
    serverFailure = server->start(QStringLiteral("Bench_Queue"));
    for (int queue = 2; queue <= 4 && serverFailure.isEmpty(); ++queue) {
        if (!server->addQueue(QStringLiteral("Bench_Queue_%1").arg(queue)))
            serverFailure = QStringLiteral("lpadmin could not add a queue");
    }
    if (!serverFailure.isEmpty())
        std::fprintf(stderr, "no print server: %s\n", qPrintable(serverFailure));
    host::setPrinterListLifetime(std::chrono::milliseconds(100));
    // The simulated printer answers with the queue's own sheet.
    host::Printer& printer = host::printer();
    printer.setPaperSize(host::vbPRPSLetter);
    printer.setOrientation(host::vbPRORPortrait);
    host::PrinterGeometry geometry;
    geometry.dpiX = int(printer.GetDeviceCaps(host::LOGPIXELSX));
    geometry.dpiY = int(printer.GetDeviceCaps(host::LOGPIXELSY));
    geometry.physicalWidth = int(printer.GetDeviceCaps(host::PHYSICALWIDTH));
    geometry.physicalHeight = int(printer.GetDeviceCaps(host::PHYSICALHEIGHT));
    geometry.offsetX = int(printer.GetDeviceCaps(host::PHYSICALOFFSETX));
    geometry.offsetY = int(printer.GetDeviceCaps(host::PHYSICALOFFSETY));
    geometry.printableWidth = int(printer.GetDeviceCaps(host::HORZRES));
    geometry.printableHeight = int(printer.GetDeviceCaps(host::VERTRES));
    simulated = std::make_unique<SimulatedPrinter>(printer.DeviceName(), geometry);
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
    server.reset();
    return 0;
}
