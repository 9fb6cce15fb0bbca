// What a lobby spends on each datagram that reaches it: reading a full table
// announcement, refusing a malformed one and an oversized one, and what a
// host spends writing one. A lobby on a busy network (or under a flood) reads
// every datagram sent to its port, so this bounds how many it can take.

#include "net/tableannounce.h"

#include <benchmark/benchmark.h>

namespace {

gorse::TableAnnouncement fullTable()
{
    gorse::TableAnnouncement t;
    t.id = QStringLiteral("5f0c1a2b3c4d5e6f");
    t.name = QStringLiteral("Annabelle's table");
    t.port = 7772;
    for (int i = 0; i < gorse::kSeatCount; ++i)
        t.seats[size_t(i)] = QStringLiteral("Player number %1").arg(i + 1);
    t.spies = 3;
    t.running = true;
    t.round = 12;
    t.version = QStringLiteral("1.2.0");
    return t;
}

void ReadAnnouncement(benchmark::State& state)
{
    const QByteArray bytes = gorse::encodeAnnouncement(fullTable());
    for (auto _ : state)
        benchmark::DoNotOptimize(gorse::parseDatagram(bytes));
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(ReadAnnouncement);

void RefuseMalformed(benchmark::State& state)
{
    QByteArray bytes = gorse::encodeAnnouncement(fullTable());
    bytes.replace("\"port\":7772", "\"port\":\"x\"");
    for (auto _ : state)
        benchmark::DoNotOptimize(gorse::parseDatagram(bytes));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RefuseMalformed);

void RefuseOversized(benchmark::State& state)
{
    const QByteArray bytes(gorse::kMaxDatagramSize + 1, '{');
    for (auto _ : state)
        benchmark::DoNotOptimize(gorse::parseDatagram(bytes));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RefuseOversized);

void WriteAnnouncement(benchmark::State& state)
{
    const gorse::TableAnnouncement t = fullTable();
    for (auto _ : state)
        benchmark::DoNotOptimize(gorse::encodeAnnouncement(t));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WriteAnnouncement);

} // namespace

BENCHMARK_MAIN();
