// bench_wordfinder: the computer players' word finder and levels.
//
//   bench_wordfinder [--deals N] [benchmark options]
//
// Before the benchmarks it prints the memory the finder adds (its own count
// of bytes, and the growth of the resident set while building it) and the
// search time of each of N random deals (default 20000, the least of three
// runs each) as median, 99th percentile and maximum. Deals are drawn with the host's card weights.
// Then: building the finder, a full search and the best word over the same
// deals, and one simulated 120-second round per level, whose counters are
// the level's points, words and discards per round.
#include "bots/wordfinder.h"
#include "dict/tdictn.h"
#include "game/carddeck.h"
#include "sim/botsimulation.h"

#include <QFile>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

using namespace gorse;

namespace {

std::vector<PileCards> deals(int count, quint64 seed)
{
    CardDeck deck(seed);
    std::vector<PileCards> out(static_cast<size_t>(count));
    for (PileCards& cards : out) {
        for (int& card : cards)
            card = deck.getanum();
    }
    return out;
}

// Resident memory of this process, in bytes.
long long residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * 4096;
}

double threadMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

const WordFinder& finder()
{
    static const std::shared_ptr<const WordFinder> built = WordFinder::builtIn();
    return *built;
}

void report(int dealCount)
{
    // The word list is part of the program; read it through once so that
    // its pages count before the finder is built, not as the finder's.
    const TDictn dict;
    const QByteArray records = dict.records();
    long long sum = 0;
    for (char c : records)
        sum += c;
    benchmark::DoNotOptimize(sum);

    const long long before = residentBytes();
    const WordFinder& f = finder();
    const long long after = residentBytes();
    std::printf("word finder: %d words, %lld trie nodes, %.2f MB counted, resident set +%.2f MB\n",
                f.wordCount(), static_cast<long long>(f.nodeCount()), double(f.bytes()) / 1e6,
                double(after - before) / 1e6);

    // Processor time of this thread, so that other programs on the machine
    // do not count; and the wall time, which they do.
    std::vector<double> cpu, wall;
    long long found = 0;
    size_t most = 0;
    double slowest = 0;
    PileCards slowestDeal{};
    for (const PileCards& cards : deals(dealCount, 99)) {
        // The least of three runs: what the search costs, less the
        // interruptions of a shared machine.
        std::vector<FoundWord> words;
        double leastCpu = 1e18, leastWall = 1e18;
        for (int run = 0; run < 3; ++run) {
            const double cpuStart = threadMicroseconds();
            const auto start = std::chrono::steady_clock::now();
            words = f.search(cards);
            const auto end = std::chrono::steady_clock::now();
            leastCpu = std::min(leastCpu, threadMicroseconds() - cpuStart);
            leastWall =
                std::min(leastWall, std::chrono::duration<double, std::micro>(end - start).count());
        }
        cpu.push_back(leastCpu);
        wall.push_back(leastWall);
        if (leastCpu > slowest) {
            slowest = leastCpu;
            slowestDeal = cards;
        }
        found += qsizetype(words.size());
        most = std::max(most, words.size());
    }
    for (auto* times : {&cpu, &wall}) {
        std::sort(times->begin(), times->end());
        std::printf("search over %d deals, %s: median %.1f us, p99 %.1f us, max %.1f us\n",
                    dealCount, times == &cpu ? "processor time" : "wall time",
                    (*times)[times->size() / 2], (*times)[times->size() * 99 / 100], times->back());
    }
    std::printf("%.1f words a deal, at most %zu; the slowest deal:",
                double(found) / double(dealCount), most);
    for (int card : slowestDeal)
        std::printf(" %s", converttoletter(card).constData());
    std::printf("\n\n");
}

void BM_BuildFinder(benchmark::State& state)
{
    const TDictn dict;
    for (auto _ : state) {
        WordFinder built(dict);
        benchmark::DoNotOptimize(built.nodeCount());
    }
}
BENCHMARK(BM_BuildFinder)->Unit(benchmark::kMillisecond);

void BM_Search(benchmark::State& state)
{
    const std::vector<PileCards> all = deals(1000, 7);
    size_t i = 0;
    long long found = 0;
    for (auto _ : state) {
        const std::vector<FoundWord> words = finder().search(all[i++ % all.size()]);
        found += qsizetype(words.size());
        benchmark::DoNotOptimize(words.data());
    }
    state.counters["words"] = benchmark::Counter(double(found), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Search)->Unit(benchmark::kMicrosecond);

void BM_Best(benchmark::State& state)
{
    const std::vector<PileCards> all = deals(1000, 7);
    size_t i = 0;
    long long points = 0;
    for (auto _ : state) {
        const auto best = finder().best(all[i++ % all.size()]);
        points += best ? best->points : 0;
    }
    state.counters["points"] =
        benchmark::Counter(double(points), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Best)->Unit(benchmark::kMicrosecond);

// One round of 120 seconds (the options' default) per iteration.
void BM_LevelRound(benchmark::State& state)
{
    const auto level = BotLevel(state.range(0));
    // Borrow the shared finder without owning it.
    BotBrain brain(std::shared_ptr<const WordFinder>(&finder(), [](const WordFinder*) {}), level,
                   1);
    CardDeck deck(11);
    long long points = 0, words = 0, discards = 0;
    for (auto _ : state) {
        const SimulatedRound round = simulateRound(brain, deck, 120);
        points += round.points;
        words += round.words;
        discards += round.discards;
    }
    using benchmark::Counter;
    state.counters["points"] = Counter(double(points), Counter::kAvgIterations);
    state.counters["words"] = Counter(double(words), Counter::kAvgIterations);
    state.counters["discards"] = Counter(double(discards), Counter::kAvgIterations);
    state.SetLabel(botLevelName(level).toStdString());
}
BENCHMARK(BM_LevelRound)->DenseRange(0, kBotLevelCount - 1)->Iterations(2000);

} // namespace

int main(int argc, char** argv)
{
    int dealCount = 20000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--deals") == 0) {
            dealCount = std::max(1, std::atoi(argv[i + 1]));
            std::copy(argv + i + 2, argv + argc, argv + i);
            argc -= 2;
            break;
        }
    }
    report(dealCount);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
