// A console report that keeps each benchmark's median time per iteration, so that a program can
// print the ratio of two benchmarks measured in the same run.
#pragma once

#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration)
                m_samples[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The median time of a benchmark, 0 when it did not run.
    double timeOf(const std::string& name) const
    {
        const auto samples = m_samples.find(name);
        if (samples == m_samples.end() || samples->second.empty())
            return 0;
        std::vector<double> sorted = samples->second;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }

    // Prints "ratio A / B: r (goal: ...)" when both ran.
    void printRatio(const char* measured, const char* reference, const char* goal) const
    {
        const double measuredTime = timeOf(measured);
        const double referenceTime = timeOf(reference);
        if (measuredTime > 0 && referenceTime > 0)
            std::printf("ratio %s / %s: %.2f (goal: %s)\n", measured, reference,
                        measuredTime / referenceTime, goal);
    }

private:
    std::map<std::string, std::vector<double>> m_samples;
};
