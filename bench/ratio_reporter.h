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
#include <string>
#include <vector>

namespace vindra_bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    // Keeps the fastest repetition of each benchmark: on a shared machine the slower ones measure the
    // neighbours, not the call.
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            double ns = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string& name = run.run_name.function_name;
            auto [entry, added] = fastest.emplace(name, ns);
            if (!added) entry->second = std::min(entry->second, ns);
            if (added && name.rfind(kVindra, 0) == 0) operations.push_back(name.substr(kVindra.size()));
        }
    }

    // One line per operation, in the order the benchmarks ran; an operation missing either side (failed,
    // filtered out) says so instead of a ratio. Answers how many ratios exceeded `limit` (0: no limit).
    int PrintRatios(const char* title, double limit) const {
        std::printf("\n%s (real time per iteration, fastest repetition)", title);
        if (limit > 0) std::printf("; target: within %.2fx of raw", limit);
        std::printf("\n%-24s %14s %14s %8s\n", "operation", "vindra ns", "raw ns", "ratio");
        int over = 0;
        for (const std::string& operation : operations) {
            auto vindra = fastest.find(kVindra + operation);
            auto raw = fastest.find("BM_Raw/" + operation);
            if (raw == fastest.end()) {
                std::printf("%-24s %14.1f %14s %8s\n", operation.c_str(), vindra->second, "-", "n/a");
                continue;
            }
            double ratio = vindra->second / raw->second;
            bool exceeded = limit > 0 && ratio > limit;
            over += exceeded ? 1 : 0;
            std::printf("%-24s %14.1f %14.1f %8.3f%s\n", operation.c_str(), vindra->second, raw->second, ratio,
                        exceeded ? "  over target" : "");
        }
        std::fflush(stdout);
        return over;
    }

private:
    inline static const std::string kVindra = "BM_Vindra/";
    std::map<std::string, double> fastest;  // ns per iteration, by benchmark name
    std::vector<std::string> operations;
};

}  // namespace vindra_bench

#endif
