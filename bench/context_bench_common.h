// What the benchmarks share: the creation record of their windowless context, and the vindra side of
// the context-creation pair.
#ifndef VINDRA_BENCH_CONTEXT_BENCH_COMMON_H
#define VINDRA_BENCH_CONTEXT_BENCH_COMMON_H

#include <benchmark/benchmark.h>

#include <cstdio>

#include "ratio_reporter.h"
#include "vindra/context.h"

namespace vindra_bench {

// A context without a window: the library makes its own hidden one, as the raw side does.
inline vindra::ContextInitData WindowlessInit() {
    vindra::ContextInitData init{};
    init.type = 1;
    init.clPlatformIndex = -1;
    init.clDeviceIndex = -1;
    return init;
}

// The context a benchmark measures on, current on the calling thread; null (said on stderr) when none
// can be made.
inline vindra::Context* CreateBenchContext(const char* benchmark) {
    vindra::ContextInitData init = WindowlessInit();
    init.name = benchmark;
    vindra::Context* context = vindra::CreateContext(init);
    if (context == nullptr) std::fprintf(stderr, "%s: CreateContext failed (is an X server running?)\n", benchmark);
    return context;
}

inline void BM_Vindra_CreateContext(benchmark::State& state) {
    for (auto _ : state) {
        vindra::ContextInitData init = WindowlessInit();
        vindra::Context* context = vindra::CreateContext(init);
        if (context == nullptr) {
            state.SkipWithError("CreateContext failed");
            break;
        }
        delete context;
    }
}

// What every benchmark binary does with its one context: makes it, sets up what the pairs measure (a
// false answer ends the run with 1 after `failure` is said), registers the pairs, runs them, prints the
// ratios under `title` against `limit`, and tears down.
template <typename SetUp, typename Register, typename TearDown>
int RunPairs(int argc, char** argv, const char* name, vindra::Context*& context, const char* failure, const char* title,
             double limit, SetUp setUp, Register registerAll, TearDown tearDown) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    context = CreateBenchContext(name);
    if (context == nullptr) return 1;
    bool ready = setUp();
    if (ready) {
        registerAll();
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        reporter.PrintRatios(title, limit);
    } else {
        std::fprintf(stderr, "%s: %s\n", name, failure);
    }
    tearDown();
    delete context;
    benchmark::Shutdown();
    return ready ? 0 : 1;
}

}  // namespace vindra_bench

#endif
