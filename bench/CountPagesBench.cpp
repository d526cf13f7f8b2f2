// The print preview's page count of a 1 MB document on a 600-dpi letter printer (goal: under
// 100 ms), next to the engine's plain format-range loop over the same rectangles, so that the
// cost of going through the printer object and the window's messages shows as a ratio.
#include "platform/host/Printer.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/printing/PrintingMod.h"

#include "bench/GeneratedText.h"
#include "bench/SimulatedPrinter.h"

#include <benchmark/benchmark.h>
#include <QApplication>

namespace {

richedit::RichTextBox& document()
{
    static richedit::RichTextBox* window = [] {
        auto* box = new richedit::RichTextBox;
        box->engine().setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        box->setText(generatedText(1 << 20));
        return box;
    }();
    return *window;
}

void BM_CountPagesOfThePreview(benchmark::State& state)
{
    richedit::RichTextBox& text = document();
    int32_t pages = 0;
    for (auto _ : state) {
        pages = PrintingMod::CountPages(text);
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_CountPagesOfThePreview)->Unit(benchmark::kMillisecond);

void BM_PlainFormatRangeLoop(benchmark::State& state)
{
    richedit::RichTextBox& text = document();
    richedit::Engine& engine = text.engine();
    const richedit::TargetDevice printer{600, 600, nullptr};
    int pages = 0;
    for (auto _ : state) {
        pages = 0;
        const int32_t length = engine.document().length();
        for (int32_t from = 0; from < length; ++pages) {
            richedit::FormatRange range;
            range.target = &printer;
            range.rc = {1440, 1440, 10800, 14400};
            range.rcPage = {0, 0, 12240, 15840};
            range.chrg = {from, -1};
            const int32_t next = engine.formatRange(range, false);
            if (next <= from)
                break;
            from = next;
        }
        engine.releaseFormatCache();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PlainFormatRangeLoop)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    // Fonts need a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SimulatedPrinter printer(QStringLiteral("Bench Printer"), letterAt600Dpi());
    host::printerService().install(&printer);
    RichTextLibraryState::instance().SharedPrintMargin = 1440;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    host::printerService().install(nullptr);
    return 0;
}
