// The receipt journal's filter "Prihod = 1 AND AUTO <> 4" over 1,000,000
// in-memory records of a client dataset, side by side with a hand-written
// loop making the same comparisons over plain arrays. Prints the ratio.
#include "common/DataPacket.h"
#include "plugin/data/ClientDataSet.h"
#include "bench/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace velta;

namespace {

constexpr int kRows = 1000000;
const QString kFilter = QStringLiteral("Prihod = 1 AND AUTO <> 4");

struct Journal {
    std::vector<int> prihod;
    std::vector<int> autos;
    TClientDataSet dataSet;

    Journal()
    {
        DataPacket packet;
        packet.addField(FieldDef(QStringLiteral("OpNum"), FieldType::Int32));
        packet.addField(FieldDef(QStringLiteral("Prihod"), FieldType::Int32));
        packet.addField(FieldDef(QStringLiteral("AUTO"), FieldType::Int32));
        packet.reserveRows(kRows);
        std::uint32_t seed = 12345;
        const auto next = [&seed]() {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 16) & 0x7fff);
        };
        for (int i = 0; i < kRows; ++i) {
            const int p = next() % 3;
            const int a = next() % 6;
            prihod.push_back(p);
            autos.push_back(a);
            packet.appendRow({Variant(i), Variant(p), Variant(a)});
        }
        dataSet.SetDataPacket(packet);
        dataSet.SetFilter(kFilter);
    }
};

Journal& journal()
{
    static Journal j;
    return j;
}

void BM_DatasetFilter(benchmark::State& state)
{
    TClientDataSet& ds = journal().dataSet;
    for (auto _ : state) {
        ds.SetFiltered(true);
        benchmark::DoNotOptimize(ds.RecordCount());
        state.PauseTiming();
        ds.SetFiltered(false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DatasetFilter)->Unit(benchmark::kMillisecond);

void BM_HandLoop(benchmark::State& state)
{
    const Journal& j = journal();
    for (auto _ : state) {
        std::vector<int> rows;
        for (size_t i = 0; i < j.prihod.size(); ++i) {
            if (j.prihod[i] == 1 && j.autos[i] != 4)
                rows.push_back(static_cast<int>(i));
        }
        benchmark::DoNotOptimize(rows.data());
        benchmark::DoNotOptimize(rows.size());
    }
}
BENCHMARK(BM_HandLoop)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    journal();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const auto ratio = reporter.ratio("BM_DatasetFilter", "BM_HandLoop"))
        std::printf("ratio filter/loop: %.2f\n", *ratio);
    benchmark::Shutdown();
    return 0;
}
