// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/support/RatioMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace quorvex::bench {

namespace {

class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                seconds[run.benchmark_name()] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> seconds;
};

}  // namespace

int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\nRatios to baselines measured in this run:\n");
    for (const Ratio& ratio : ratios) {
        const auto measured = reporter.seconds.find(ratio.measured);
        const auto baseline = reporter.seconds.find(ratio.baseline);
        if (measured == reporter.seconds.end() || baseline == reporter.seconds.end()) continue;
        std::printf("  %-40s %10.3f ms = %8.2f x %s (%.3f ms)\n", ratio.measured.c_str(),
                    measured->second * 1e3, measured->second / baseline->second,
                    ratio.baseline.c_str(), baseline->second * 1e3);
    }
    return 0;
}

}  // namespace quorvex::bench
