// Opening a 10 MB and a 1 MB RTF document (reading it and laying every paragraph out at a
// window width), and counting the pages of a 1 MB document the way the print preview does:
// format-range measuring calls from each page's first position until the end.
#include "platform/richedit/layout/FormatRange.h"
#include "platform/richedit/view/Engine.h"

#include "bench/GeneratedRtf.h"
#include "bench/GeneratedText.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QTemporaryFile>

namespace {

void openRtf(benchmark::State& state, qsizetype size)
{
    const QString rtf = QString::fromLatin1(generatedRtf(size));
    int lines = 0;
    for (auto _ : state) {
        richedit::Engine engine;
        engine.setViewportSize(QSize(9000, 6000));
        engine.setTextRtf(rtf);
        lines = engine.lineCount();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = lines;
}

void BM_OpenRtf10MB(benchmark::State& state)
{
    openRtf(state, 10 * 1024 * 1024);
}
BENCHMARK(BM_OpenRtf10MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The goal is a tenth of the 10 MB figure: opening costs what the document holds.
void BM_OpenRtf1MB(benchmark::State& state)
{
    openRtf(state, 1024 * 1024);
}
BENCHMARK(BM_OpenRtf1MB)->Unit(benchmark::kMillisecond)->Iterations(20);

// Opening from a file as the program does: the file's bytes read into the model, laid out.
void BM_LoadRtfFile10MB(benchmark::State& state)
{
    QTemporaryFile file;
    if (!file.open() || file.write(generatedRtf(10 * 1024 * 1024)) < 0 || !file.flush()) {
        state.SkipWithError("cannot write the file");
        return;
    }
    int lines = 0;
    for (auto _ : state) {
        richedit::Engine engine;
        engine.setViewportSize(QSize(9000, 6000));
        if (engine.loadFile(file.fileName(), richedit::FileKind::Rtf)) {
            state.SkipWithError("cannot open the file");
            return;
        }
        lines = engine.lineCount();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_LoadRtfFile10MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reading side alone: the RTF read into the model and the engine destroyed, no layout.
void readRtf(benchmark::State& state, qsizetype size)
{
    const QString rtf = QString::fromLatin1(generatedRtf(size));
    int paragraphs = 0;
    for (auto _ : state) {
        richedit::Engine engine;
        engine.setTextRtf(rtf);
        paragraphs = engine.document().paragraphCount();
        benchmark::DoNotOptimize(paragraphs);
    }
    state.counters["paragraphs"] = paragraphs;
}

void BM_ReadRtf10MB(benchmark::State& state)
{
    readRtf(state, 10 * 1024 * 1024);
}
BENCHMARK(BM_ReadRtf10MB)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadRtf1MB(benchmark::State& state)
{
    readRtf(state, 1024 * 1024);
}
BENCHMARK(BM_ReadRtf1MB)->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_CountPages(benchmark::State& state)
{
    richedit::Engine engine;
    engine.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    engine.setText(generatedText(1 << 20));
    const richedit::TargetDevice printer{600, 600, nullptr};
    int pages = 0;
    for (auto _ : state) {
        engine.releaseFormatCache();
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
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_CountPages)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    // Fonts need a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
