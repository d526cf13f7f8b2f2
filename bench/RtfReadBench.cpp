// Reading a generated 10 MB RTF document (formatting runs, colours, fonts, links, unicode and
// code-page escapes, lists) into a fragment; the goal is well under one second.
#include "platform/richedit/rtf/RtfReader.h"

#include "bench/GeneratedRtf.h"

#include <benchmark/benchmark.h>
#include <QByteArray>

namespace {

void BM_ReadRtf10MB(benchmark::State& state)
{
    const QByteArray rtf = generatedRtf(10 * 1024 * 1024);
    for (auto _ : state) {
        const richedit::DocumentFragment fragment =
            richedit::readRtf(rtf, richedit::RtfReadMode::WholeDocument);
        benchmark::DoNotOptimize(fragment.paragraphs.data());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_ReadRtf10MB)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
