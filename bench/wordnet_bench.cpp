// Look-ups of word meanings in the installed WordNet database.

#include "bench/samplewords.h"
#include "dict/wordnet.h"

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using gorse::sampleWords;

// Opening the database and the first look-up, as the first tooltip does.
void BM_defineFirstUse(benchmark::State& state)
{
    if (!gorse::WordNet().available()) {
        state.SkipWithError("WordNet's data is not installed");
        return;
    }
    for (auto _ : state) {
        const gorse::WordNet wordnet;
        benchmark::DoNotOptimize(wordnet.define("CATS"));
    }
}

double threadCpuMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

// Up to two meanings of a played word. Counters: the share of the sample
// that has a meaning, and the slowest single look-up of one pass over it,
// in wall time (includes waiting for the disk and for the processor) and
// in this thread's processor time.
void BM_define(benchmark::State& state)
{
    static const std::vector<QByteArray> words = sampleWords(4096);
    const gorse::WordNet wordnet;
    if (!wordnet.available() || words.empty()) {
        state.SkipWithError("WordNet's data or the built-in word list is missing");
        return;
    }
    std::size_t found = 0;
    double slowest = 0;
    double slowestcpu = 0;
    for (const QByteArray& w : words) {
        const auto start = std::chrono::steady_clock::now();
        const double startcpu = threadCpuMicroseconds();
        found += !wordnet.define(w).isEmpty();
        slowestcpu = std::max(slowestcpu, threadCpuMicroseconds() - startcpu);
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        slowest = std::max(slowest, took.count());
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(wordnet.define(words[i]));
        if (++i == words.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["found"] = double(found) / double(words.size());
    state.counters["slowest_us"] = slowest;
    state.counters["slowest_cpu_us"] = slowestcpu;
}

} // namespace

BENCHMARK(BM_defineFirstUse)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_define)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
