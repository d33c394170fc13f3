// Data packet and frame throughput: 100,000 sales rows encoded and decoded in
// the packet's compact form, side by side with the same rows as a serialised
// Variant array (a Variant per cell), and frames split from a stream.
#include "common/DataPacket.h"
#include "common/WireProtocol.h"

#include <benchmark/benchmark.h>

using namespace velta;

namespace {

constexpr int kRows = 100000;

QVector<Variant> saleRow(int i)
{
    static const char* const fuels[] = {"АИ-92", "АИ-95", "ДТ", "Газ"};
    return {Variant(i), Variant::fromDate(45000.0 + i / 1000.0), Variant(fuels[i % 4]), Variant(Currency{i * 1234LL}),
            Variant(Currency{i * 987LL}), Variant(Currency{i * 5555LL}), Variant(i % 3 ? "ООО Ромашка" : ""),
            Variant(std::int16_t(i % 110)), Variant(Currency{7500 + i % 500})};
}

DataPacket salesPacket()
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("INDEXSALE"), FieldType::Int32));
    packet.addField(FieldDef(QStringLiteral("TIDEDATE"), FieldType::DateTime));
    packet.addField(FieldDef(QStringLiteral("GSMNAME"), FieldType::String, 100));
    packet.addField(FieldDef(QStringLiteral("LITER"), FieldType::Currency));
    packet.addField(FieldDef(QStringLiteral("MASSA"), FieldType::FmtBcd));
    packet.addField(FieldDef(QStringLiteral("SUMMA"), FieldType::Currency));
    packet.addField(FieldDef(QStringLiteral("CNAME"), FieldType::String, 100));
    packet.addField(FieldDef(QStringLiteral("VIDOPL"), FieldType::Int16));
    packet.addField(FieldDef(QStringLiteral("TRKDENS"), FieldType::Currency));
    packet.reserveRows(kRows);
    for (int i = 0; i < kRows; ++i)
        packet.appendRow(saleRow(i));
    return packet;
}

Variant salesArray()
{
    Variant::Array rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        rows.append(Variant(Variant::Array(saleRow(i))));
    return Variant(std::move(rows));
}

void PacketEncode(benchmark::State& state)
{
    const DataPacket packet = salesPacket();
    for (auto _ : state)
        benchmark::DoNotOptimize(packet.toBytes());
    state.SetItemsProcessed(state.iterations() * kRows);
}

void PacketDecode(benchmark::State& state)
{
    const QByteArray bytes = salesPacket().toBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(DataPacket::fromBytes(bytes));
    state.SetItemsProcessed(state.iterations() * kRows);
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void VariantArrayEncode(benchmark::State& state)
{
    const Variant rows = salesArray();
    for (auto _ : state)
        benchmark::DoNotOptimize(serializeVariant(rows));
    state.SetItemsProcessed(state.iterations() * kRows);
}

void VariantArrayDecode(benchmark::State& state)
{
    const QByteArray bytes = serializeVariant(salesArray());
    for (auto _ : state)
        benchmark::DoNotOptimize(deserializeVariant(bytes));
    state.SetItemsProcessed(state.iterations() * kRows);
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// Small request frames split from one stream as a server reads them.
void FrameSplit(benchmark::State& state)
{
    const QByteArray frame = encodeFrame(encodeRequest(QStringLiteral("GetRecords"), {Variant("DSPRepLogTran"), Variant(100)}));
    const QByteArray stream = frame.repeated(1000);
    for (auto _ : state) {
        FrameDecoder decoder;
        decoder.append(stream);
        int count = 0;
        while (auto payload = decoder.next())
            count += static_cast<int>(decodeRequest(*payload).args.size());
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.SetBytesProcessed(state.iterations() * stream.size());
}

} // namespace

BENCHMARK(PacketEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(PacketDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(VariantArrayEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(VariantArrayDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(FrameSplit)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
