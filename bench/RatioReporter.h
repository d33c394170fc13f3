#pragma once
// Google Benchmark's console output, keeping the real and CPU time per
// iteration of each benchmark under its function name, for the ratios the
// benchmark programs print against their peers.
#include <benchmark/benchmark.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> wall;
    std::map<std::string, double> cpu;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                wall[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // ours / theirs, by real time (or CPU time); nothing when either did not run.
    std::optional<double> ratio(const std::string& ours, const std::string& theirs, bool cpuTime = false) const
    {
        const auto& times = cpuTime ? cpu : wall;
        const auto a = times.find(ours);
        const auto b = times.find(theirs);
        if (a == times.end() || b == times.end() || b->second <= 0)
            return std::nullopt;
        return a->second / b->second;
    }
};
