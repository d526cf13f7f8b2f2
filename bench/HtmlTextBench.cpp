// The text of pasted HTML: ordinary markup and markup whose elements are never closed (the
// elements whose content is dropped, and plain ones nested ever deeper), each about 1 MB, and
// the 40,000 unclosed script tags of a hostile clipboard. The goal is at most 100 ms per MB
// whatever the markup.
#include "platform/host/HtmlText.h"

#include <benchmark/benchmark.h>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr qsizetype megabyte = 1 << 20;

QString repeated(const QString& piece, qsizetype size)
{
    QString text;
    text.reserve(size + piece.size());
    while (text.size() < size)
        text += piece;
    return text;
}

struct Case {
    const char* name;
    QString html;
};

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = [] {
        std::vector<Case> made;
        made.push_back({"40000 unclosed script",
                        repeated(QStringLiteral("<script>"), 40000 * 8).left(40000 * 8)});
        for (const char* tag : {"script", "style", "head", "title", "template", "div"})
            made.push_back(
                {tag, repeated(QStringLiteral("<%1>x ").arg(QLatin1String(tag)), megabyte)});
        made.push_back(
            {"script in closed div", repeated(QStringLiteral("<div><script>x</div>y "), megabyte)});
        made.push_back({"unmatched end tags", repeated(QStringLiteral("</div>x "), megabyte)});
        made.push_back(
            {"ordinary",
             repeated(QStringLiteral("<p class=\"body\">Some <b>bold</b> &amp; <i>slanted</i> "
                                     "text&nbsp;here.<br></p>\n<table><tr><td>a</td><td>b</td>"
                                     "</tr></table><!-- note --><style>p{}</style>\n"),
                      megabyte)});
        return made;
    }();
    return all;
}

void TextOfHtml(benchmark::State& state)
{
    const Case& html = cases()[size_t(state.range(0))];
    state.SetLabel(html.name);
    qsizetype length = 0;
    for (auto _ : state)
        length = host::textOfHtml(html.html).size();
    benchmark::DoNotOptimize(length);
    state.counters["characters"] = double(html.html.size());
}
BENCHMARK(TextOfHtml)
    ->DenseRange(0, 9)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->ArgName("case");

// The console report, then each case's time per megabyte of markup and the worst of them.
class PerMegabyteReporter : public benchmark::ConsoleReporter {
public:
    PerMegabyteReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto characters = run.counters.find("characters");
            if (run.run_type == Run::RT_Iteration && characters != run.counters.end())
                m_perMegabyte.emplace_back(
                    run.report_label,
                    run.GetAdjustedRealTime() * double(megabyte) / characters->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printSummary() const
    {
        double worst = 0;
        for (const auto& [label, milliseconds] : m_perMegabyte) {
            std::printf("%-24s %10.2f ms per MB\n", label.c_str(), milliseconds);
            worst = std::max(worst, milliseconds);
        }
        std::printf("worst case: %.2f ms per MB (goal: at most 100)\n", worst);
    }

private:
    std::vector<std::pair<std::string, double>> m_perMegabyte;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    PerMegabyteReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printSummary();
    return 0;
}
