// Compression and decompression speed of the tally file's compressor on
// 1 MB of text: English words from the built-in word list, a tally table
// of many opponents, and random bytes (which are stored, not coded).

#include "dict/tdictn.h"
#include "tally/gridtext.h"
#include "tally/lzrw1.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr qsizetype kSize = 1 << 20;

// Words of the list in random order, a space or a line end between them.
QByteArray englishText()
{
    QFile file(QStringLiteral(":/words/english.dic"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray records = file.readAll();
    const qsizetype n = records.size() / gorse::TDictn::recordsize;
    std::mt19937 rng(7772);
    std::uniform_int_distribution<qsizetype> pick(0, n - 1);
    QByteArray text;
    while (text.size() < kSize) {
        text += records.mid(pick(rng) * gorse::TDictn::recordsize + 1, 14).trimmed().toLower();
        text += rng() % 12 == 0 ? "\r\n" : " ";
    }
    text.truncate(kSize);
    return text;
}

// The grid text of a tally with enough opponents to fill 1 MB.
QByteArray tallyText()
{
    std::mt19937 rng(11);
    gorse::StringGrid grid{10, {QStringList(10, QStringLiteral("0"))}};
    for (int n = 0; n < 24000; ++n) {
        QStringList row{QStringLiteral("Player%1").arg(n)};
        for (int c = 1; c < 10; ++c)
            row.append(QString::number(rng() % (c < 5 ? 400 : 10)));
        grid.rows.append(row);
    }
    return gorse::SaveGridText(grid).left(kSize);
}

QByteArray randomBytes()
{
    std::mt19937 rng(3);
    QByteArray bytes(kSize, '\0');
    for (char& c : bytes)
        c = char(rng());
    return bytes;
}

void compress(benchmark::State& state, const QByteArray& input)
{
    if (input.size() != kSize) {
        state.SkipWithError("no input");
        return;
    }
    qsizetype packed = 0;
    for (auto _ : state) {
        const QByteArray file = gorse::Tlzrw1::Compress(input);
        packed = file.size();
        benchmark::DoNotOptimize(file.constData());
    }
    state.SetBytesProcessed(state.iterations() * kSize);
    state.counters["ratio"] = double(packed) / double(kSize);
}

void decompress(benchmark::State& state, const QByteArray& input)
{
    if (input.size() != kSize) {
        state.SkipWithError("no input");
        return;
    }
    const QByteArray file = gorse::Tlzrw1::Compress(input);
    for (auto _ : state) {
        const QByteArray text = gorse::Tlzrw1::Decompress(file, QStringLiteral("bench"));
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

const QByteArray& english()
{
    static const QByteArray text = englishText();
    return text;
}

const QByteArray& tally()
{
    static const QByteArray text = tallyText();
    return text;
}

const QByteArray& noise()
{
    static const QByteArray bytes = randomBytes();
    return bytes;
}

void BM_compressEnglish(benchmark::State& s)
{
    compress(s, english());
}
void BM_decompressEnglish(benchmark::State& s)
{
    decompress(s, english());
}
void BM_compressTally(benchmark::State& s)
{
    compress(s, tally());
}
void BM_decompressTally(benchmark::State& s)
{
    decompress(s, tally());
}
void BM_compressRandom(benchmark::State& s)
{
    compress(s, noise());
}
void BM_decompressRandom(benchmark::State& s)
{
    decompress(s, noise());
}

} // namespace

BENCHMARK(BM_compressEnglish)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_decompressEnglish)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_compressTally)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_decompressTally)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_compressRandom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_decompressRandom)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
