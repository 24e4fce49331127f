// A console reporter that also prints, after the run, how many times slower one benchmark was than another.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tessellane::bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Each pair is (baseline, candidate) by full benchmark name, e.g. "BM_pairwise/1000".
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs)
        : pairs_(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [baseline, candidate] : pairs_) {
            auto b = times_.find(baseline), c = times_.find(candidate);
            if (b == times_.end() || c == times_.end() || c->second <= 0) continue;
            std::printf("ratio %s / %s = %.2f\n", baseline.c_str(), candidate.c_str(), b->second / c->second);
        }
    }

  private:
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, double> times_;
};

// Runs the registered benchmarks with a RatioReporter over the given pairs.
inline int runWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace tessellane::bench
