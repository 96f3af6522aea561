// Console output as usual, plus the per-iteration time of every run, so that each vindra benchmark can
// be set against its raw counterpart once all have run. Pairs go by name: "BM_Vindra/<operation>" and
// "BM_Raw/<operation>".
#ifndef VINDRA_BENCH_RATIO_REPORTER_H
#define VINDRA_BENCH_RATIO_REPORTER_H

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vindra_bench {

// The pairs are compared on their fastest repetition: on a shared machine the slower ones measure the
// neighbours, not the call. Registered as a statistic, it also survives
// --benchmark_display_aggregates_only, which keeps many repetitions readable.
inline benchmark::internal::Benchmark* WithMinimum(benchmark::internal::Benchmark* bench) {
    return bench->ComputeStatistics("min", [](const std::vector<double>& values) {
        return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
    });
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            for (const std::string& side : {kVindra, kRaw})
                if (name.rfind(side, 0) == 0 && listed.insert(name.substr(side.size())).second)
                    operations[run.family_index] = name.substr(side.size());
            bool usable = run.run_type == Run::RT_Iteration || run.aggregate_name == "min";
            if (run.error_occurred || !usable || run.iterations == 0) continue;
            double ns = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto [entry, added] = fastest.emplace(name, ns);
            if (!added) entry->second = std::min(entry->second, ns);
        }
    }

    // One line per operation, in the order the benchmarks were registered (repetitions may have run
    // interleaved); a side that failed or was filtered out shows "-" and no ratio. `limit` is the target
    // ratio, 0 for none. Answers how many ratios exceeded it.
    int PrintRatios(const char* title, double limit) const {
        std::printf("\n%s\n(real time per iteration, fastest repetition; ", title);
        if (limit > 0)
            std::printf("target: within %.2fx of raw)\n", limit);
        else
            std::printf("no target, reported only)\n");
        std::printf("%-24s %14s %14s %8s\n", "operation", "vindra ns", "raw ns", "ratio");
        int over = 0;
        for (const auto& [family, operation] : operations) {
            auto vindra = fastest.find(kVindra + operation);
            auto raw = fastest.find(kRaw + operation);
            auto cell = [this](auto found) {
                return found == fastest.end() ? std::string("-") : Format(found->second);
            };
            if (vindra == fastest.end() || raw == fastest.end()) {
                std::printf("%-24s %14s %14s %8s\n", operation.c_str(), cell(vindra).c_str(), cell(raw).c_str(), "n/a");
                continue;
            }
            double ratio = vindra->second / raw->second;
            bool exceeded = limit > 0 && ratio > limit;
            over += exceeded ? 1 : 0;
            std::printf("%-24s %14.1f %14.1f %8.3f%s\n", operation.c_str(), vindra->second, raw->second, ratio,
                        exceeded ? "  over target" : "");
        }
        if (limit > 0) std::printf("%d of %zu over target\n", over, operations.size());
        std::fflush(stdout);
        return over;
    }

private:
    static std::string Format(double ns) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", ns);
        return text;
    }

    inline static const std::string kVindra = "BM_Vindra/";
    inline static const std::string kRaw = "BM_Raw/";
    std::map<std::string, double> fastest;      // ns per iteration, by benchmark name
    std::map<int64_t, std::string> operations;  // by the registration index of the first side seen
    std::set<std::string> listed;
};

}  // namespace vindra_bench

#endif
