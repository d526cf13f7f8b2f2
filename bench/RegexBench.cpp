// The address pattern over 1 MB of text: RegExp::Execute against a bare PCRE2 match loop over the
// same text. The ratio of the two must stay near 1.
#include "platform/regex/RegExp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <benchmark/benchmark.h>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const QString addressPattern = QStringLiteral(
    R"((\b[A-Z0-9._%-]+@[A-Z0-9.-]+\.[A-Z]{2,4}\b|\b(((https?|ftp|gopher|telnet|file|notes|ms-help):((//)|(\\\\))|(WWW)\.)+[\w\d:#@%/;$()~_?\+-=\\\.&]{3,})))");

constexpr qsizetype subjectSize = 1 << 20;

// Prose with punctuation and CR LF paragraph ends, about one word in fifty an address; the same
// text on every run.
QString generatedText()
{
    static const char* const words[] = {
        "the",   "quick",       "report",       "was",    "sent", "to",     "our",     "office",
        "in",    "Caf\xc3\xa9", "na\xc3\xafve", "review", "of",   "2024",   "figures", "and",
        "plans", "meeting",     "tomorrow",     "at",     "noon", "colour", "e.g.",    "under",
    };
    static const char* const addresses[] = {
        "john.doe@example.com",
        "http://www.example.org/path/page.html?id=42",
        "WWW.Example.info",
        "sales-team@mail.example.co.uk",
        "ftp://files.example.net/pub/archive.zip",
    };
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    QString text;
    text.reserve(subjectSize + 128);
    for (int word = 1; text.size() < subjectSize; ++word) {
        if (next() % 50 == 0)
            text += QString::fromUtf8(addresses[next() % std::size(addresses)]);
        else
            text += QString::fromUtf8(words[next() % std::size(words)]);
        text += word % 97 == 0   ? QStringLiteral(".\r\n")
                : word % 11 == 0 ? QStringLiteral(", ")
                                 : QStringLiteral(" ");
    }
    text.truncate(subjectSize);
    return text;
}

const QString& subject()
{
    static const QString text = generatedText();
    return text;
}

long executeCount()
{
    vbscript::RegExp re;
    re.setPattern(addressPattern);
    re.setIgnoreCase(true);
    re.setGlobal(true);
    return re.Execute(subject()).Count();
}

// What a hand-written scan does: the same pattern compiled once with JIT, one match data, and a
// pcre2_match loop that checks the subject's UTF-16 once.
class BareScan {
public:
    BareScan()
    {
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR16>(addressPattern.constData()),
                               static_cast<PCRE2_SIZE>(addressPattern.size()),
                               PCRE2_UTF | PCRE2_CASELESS, &error, &offset, nullptr);
        pcre2_jit_compile(m_code, PCRE2_JIT_COMPLETE);
        m_data = pcre2_match_data_create_from_pattern(m_code, nullptr);
    }
    ~BareScan()
    {
        pcre2_match_data_free(m_data);
        pcre2_code_free(m_code);
    }

    long count(const QString& text)
    {
        const auto units = reinterpret_cast<PCRE2_SPTR16>(text.constData());
        const auto length = static_cast<PCRE2_SIZE>(text.size());
        PCRE2_SIZE from = 0;
        uint32_t options = 0;
        long found = 0;
        while (pcre2_match(m_code, units, length, from, options, m_data, nullptr) >= 0) {
            const PCRE2_SIZE* bounds = pcre2_get_ovector_pointer(m_data);
            from = bounds[1] > bounds[0] ? bounds[1] : bounds[1] + 1;
            options = PCRE2_NO_UTF_CHECK;
            ++found;
        }
        return found;
    }

private:
    pcre2_code* m_code = nullptr;
    pcre2_match_data* m_data = nullptr;
};

void RegExpExecute(benchmark::State& state)
{
    vbscript::RegExp re;
    re.setPattern(addressPattern);
    re.setIgnoreCase(true);
    re.setGlobal(true);
    for (auto _ : state) {
        vbscript::MatchCollection matches = re.Execute(subject());
        benchmark::DoNotOptimize(matches.Count());
    }
    state.SetBytesProcessed(state.iterations() * subject().size() * 2);
}
BENCHMARK(RegExpExecute)->Unit(benchmark::kMillisecond);

void BarePcre2Scan(benchmark::State& state)
{
    BareScan scan;
    for (auto _ : state)
        benchmark::DoNotOptimize(scan.count(subject()));
    state.SetBytesProcessed(state.iterations() * subject().size() * 2);
}
BENCHMARK(BarePcre2Scan)->Unit(benchmark::kMillisecond);

// Shows the usual console report and keeps each benchmark's time per iteration for the ratio:
// the median over repetitions when there are several.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration)
                m_samples[name].push_back(run.GetAdjustedRealTime());
            else if (run.aggregate_name == "median")
                m_medians[name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // 0 when the benchmark did not run.
    double timeOf(const std::string& name) const
    {
        if (const auto median = m_medians.find(name); median != m_medians.end())
            return median->second;
        const auto samples = m_samples.find(name);
        if (samples == m_samples.end())
            return 0;
        std::vector<double> sorted = samples->second;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }

private:
    std::map<std::string, std::vector<double>> m_samples;
    std::map<std::string, double> m_medians;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const long viaRegExp = executeCount();
    const long viaBare = BareScan().count(subject());
    std::printf("subject: %lld UTF-16 units, %ld addresses (RegExp), %ld (bare PCRE2)\n",
                static_cast<long long>(subject().size()), viaRegExp, viaBare);
    if (viaRegExp != viaBare) {
        std::fprintf(stderr, "the two scans disagree\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double regExp = reporter.timeOf("RegExpExecute");
    const double bare = reporter.timeOf("BarePcre2Scan");
    if (regExp > 0 && bare > 0)
        std::printf("ratio RegExp.Execute / bare PCRE2 scan: %.3f\n", regExp / bare);
    return 0;
}
