// What a printer on a print server costs: caret keys with the ruler's printer wrap, the page
// count of a 135-page preview and opening the preview, each on a real queue (a private cupsd)
// and on a simulated printer with the queue's own geometry. The real queue should cost at most
// 1.5 times the simulated one; compare the pairs' times.
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
#include <QKeyEvent>
#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<testsupport::PrivatePrintServer> server;
QString serverFailure;
std::unique_ptr<SimulatedPrinter> simulated;

// Arg 0: the real queue, 1: the simulated printer.
bool usePrinter(benchmark::State& state)
{
    if (state.range(0) == 0 && !serverFailure.isEmpty()) {
        state.SkipWithError(serverFailure.toStdString().c_str());
        return false;
    }
    host::printerService().install(state.range(0) == 0 ? nullptr : simulated.get());
    host::printer().reset();
    state.SetLabel(state.range(0) == 0 ? "queue" : "simulated");
    return true;
}

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
    XrRTB control;
    control.resize(700, 500);
    control.show();
    control.LetDisplayRuler(true);
    control.LetMyWrapStyle(RulerWrap);
    control.LetText(numberedProseLines(300));
    QWidget* view = control.findChild<richedit::RichTextView*>();
    int key = 0;
    for (auto _ : state) {
        const Qt::Key which = ++key % 2 ? Qt::Key_Right : Qt::Key_Down;
        QKeyEvent press(QEvent::KeyPress, which, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, which, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        QApplication::sendEvent(view, &release);
    }
}
BENCHMARK(BM_CaretKey)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

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
BENCHMARK(BM_CountPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_OpenPreview(benchmark::State& state)
{
    if (!usePrinter(state))
        return;
    richedit::RichTextBox document;
    document.setText(numberedProseLines(135 * 67));
    RichTextLibraryState::instance().SharedRichText = &document;
    for (auto _ : state) {
        PrintPreview preview;
        benchmark::DoNotOptimize(preview.Form_Load());
    }
    RichTextLibraryState::instance().SharedRichText = nullptr;
}
BENCHMARK(BM_OpenPreview)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    server = std::make_unique<testsupport::PrivatePrintServer>();
    serverFailure = server->start(QStringLiteral("Bench_Queue"));
    if (!serverFailure.isEmpty())
        std::fprintf(stderr, "no print server: %s\n", qPrintable(serverFailure));
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
    RichTextLibraryState::instance().SharedPrintMargin = 1440;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    host::printerService().install(nullptr);
    server.reset();
    return 0;
}
