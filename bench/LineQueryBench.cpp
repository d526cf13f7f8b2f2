// Display-line queries over documents of 100 KB, 1 MB and 10 MB (they should cost O(log n)),
// and one keystroke in a 1 MB document followed by the caret-line queries the typing pass
// makes; the goal for the keystroke is under 2 ms.
#include "platform/richedit/layout/DocumentLayout.h"

#include "bench/GeneratedText.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <cstdint>
#include <map>
#include <memory>

namespace {

// A document laid out at a window width, kept per size across benchmarks.
struct Fixture {
    std::unique_ptr<richedit::Document> document;
    std::unique_ptr<richedit::DocumentLayout> layout;
};

Fixture& fixture(qsizetype size)
{
    static std::map<qsizetype, Fixture> fixtures;
    Fixture& f = fixtures[size];
    if (!f.document) {
        f.document = std::make_unique<richedit::Document>(
            richedit::defaultCharFormat(QStringLiteral("DejaVu Sans"), 200));
        f.document->setPlainText(generatedText(size));
        f.layout = std::make_unique<richedit::DocumentLayout>(*f.document);
        f.layout->setViewportSize(QSize(9000, 6000));
        f.layout->lineCount();
    }
    return f;
}

void BM_LineFromChar(benchmark::State& state)
{
    Fixture& f = fixture(state.range(0));
    const auto length = std::uint32_t(f.document->length());
    std::uint32_t position = 1;
    for (auto _ : state) {
        position = (position * 2654435761u + 97) % length;
        benchmark::DoNotOptimize(f.layout->lineFromChar(int32_t(position)));
    }
    state.counters["lines"] = f.layout->lineCount();
}
BENCHMARK(BM_LineFromChar)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20);

void BM_LineIndexAndLength(benchmark::State& state)
{
    Fixture& f = fixture(state.range(0));
    const auto lines = std::uint32_t(f.layout->lineCount());
    std::uint32_t line = 1;
    for (auto _ : state) {
        line = (line * 2654435761u + 97) % lines;
        const int32_t start = f.layout->lineIndex(int(line));
        benchmark::DoNotOptimize(f.layout->lineLength(start));
    }
}
BENCHMARK(BM_LineIndexAndLength)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20);

void BM_KeystrokeThenCaretLine(benchmark::State& state)
{
    Fixture& f = fixture(1 << 20);
    int32_t caret = f.document->length() / 2;
    f.layout->setCaretSource([&caret] { return caret; });
    const richedit::CharFormat format = f.document->formatAt(caret);
    for (auto _ : state) {
        f.document->insert(caret, QStringLiteral("x"), format);
        ++caret;
        const int line = f.layout->lineFromChar(-1);
        const int32_t start = f.layout->lineIndex(-1);
        benchmark::DoNotOptimize(line + f.layout->lineLength(start));
        f.layout->selectionChanged();
    }
    f.layout->setCaretSource(nullptr);
}
BENCHMARK(BM_KeystrokeThenCaretLine)->Unit(benchmark::kMicrosecond);

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
