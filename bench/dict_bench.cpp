// Lookups per second of TDictn::isword over the built-in word list.

#include "bench/samplewords.h"
#include "dict/tdictn.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using gorse::sampleWords;

void run(benchmark::State& state, const std::vector<QByteArray>& words, bool expected)
{
    const gorse::TDictn dict;
    if (words.empty() || dict.recordCount() == 0) {
        state.SkipWithError("built-in word list missing");
        return;
    }
    for (const QByteArray& w : words) {
        if (dict.isword(w) != expected) {
            state.SkipWithError(("unexpected answer for " + w).constData());
            return;
        }
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dict.isword(words[i]));
        if (++i == words.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_iswordHit(benchmark::State& state)
{
    static const std::vector<QByteArray> words = sampleWords(4096);
    run(state, words, true);
}

void BM_iswordMiss(benchmark::State& state)
{
    // Each sampled word cut to 13 letters with a Q put after it: non-words
    // spread over the whole list like the hits (the odd real word dropped).
    static const std::vector<QByteArray> words = [] {
        const gorse::TDictn dict;
        std::vector<QByteArray> w;
        for (const QByteArray& word : sampleWords(4096)) {
            const QByteArray miss = word.left(13) + 'Q';
            if (!dict.isword(miss))
                w.push_back(miss);
        }
        return w;
    }();
    run(state, words, false);
}

void BM_loadBuiltin(benchmark::State& state)
{
    for (auto _ : state) {
        gorse::TDictn dict;
        benchmark::DoNotOptimize(dict.recordCount());
    }
}

} // namespace

BENCHMARK(BM_iswordHit);
BENCHMARK(BM_iswordMiss);
BENCHMARK(BM_loadBuiltin);
BENCHMARK_MAIN();
