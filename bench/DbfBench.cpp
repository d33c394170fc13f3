// Reading and writing a 200,000-record table of 20 fields with TMemDBFTable,
// side by side with shapelib's C API doing the same work; prints the ratios
// ours/shapelib at the end.
#include "common/Codecs.h"
#include "common/DateTime.h"
#include "plugin/foundation/dbf/MemDBFTable.h"
#include "bench/RatioReporter.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <shapefil.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace velta;

namespace {

constexpr int kRecords = 200000;

struct Column {
    const char* name;
    char letter;
    int length;
    int decimals;
};

// Strings, integers, decimals, dates and logicals: 20 fields.
const std::vector<Column> kColumns = {
    {"NAME", 'C', 40, 0},  {"CITY", 'C', 20, 0},   {"STREET", 'C', 30, 0}, {"CODE", 'C', 10, 0},
    {"NOTE", 'C', 25, 0},  {"PHONE", 'C', 15, 0},  {"QTY", 'N', 10, 0},    {"ID", 'N', 9, 0},
    {"YEARS", 'N', 4, 0},  {"STOCK", 'N', 11, 0},  {"DOCNO", 'N', 8, 0},   {"PRICE", 'N', 12, 2},
    {"VOLUME", 'N', 14, 3}, {"MASS", 'N', 12, 3},  {"RATE", 'N', 10, 4},    {"DAY", 'D', 8, 0},
    {"PAID", 'D', 8, 0},   {"DUE", 'D', 8, 0},     {"OK", 'L', 1, 0},      {"VIP", 'L', 1, 0},
};

// The values of one record, in both forms the two libraries take.
struct Values {
    std::vector<QString> strings;       // ours
    std::vector<std::string> cStrings;  // shapelib: the same text in cp866
};

struct Data {
    QTemporaryDir dir;
    std::vector<Values> rows;
    QString oursFile;
    std::string shapelibFile;
    std::string shapelibOut;
    QString oursOut;
};

Data& data()
{
    static Data d;
    return d;
}

int intValue(int row, int col) { return (row * 7919 + col * 104729) % (col == 8 ? 1000 : 10000000); }
double floatValue(int row, int col) { return ((row * 31 + col * 17) % 1000000) / 100.0 - 2500.0 / (col + 1); }
int dateDigits(int row, int col) { return (1990 + (row + col) % 40) * 10000 + (1 + row % 12) * 100 + 1 + (row * 3 + col) % 28; }

QString textValue(int row, int col)
{
    static const QString words[] = {QStringLiteral("Ромашка"), QStringLiteral("Лесная"), QStringLiteral("АЗС"),
                                    QStringLiteral("Ltd"), QStringLiteral("Север"), QStringLiteral("oil")};
    QString s = words[(row + col) % 6] + u' ' + QString::number(row) + u' ' + words[(row * 3 + col) % 6];
    return s.left(kColumns[static_cast<size_t>(col)].length - 1);
}

void prepare()
{
    Data& d = data();
    if (!d.rows.empty())
        return;
    d.rows.resize(kRecords);
    for (int r = 0; r < kRecords; ++r)
        for (int c = 0; c < 6; ++c) {
            const QString text = textValue(r, c);
            d.rows[static_cast<size_t>(r)].strings.push_back(text);
            d.rows[static_cast<size_t>(r)].cStrings.push_back(codec::toCp866(text).toStdString());
        }
    d.oursFile = d.dir.filePath(QStringLiteral("ours-in.dbf"));
    d.oursOut = d.dir.filePath(QStringLiteral("ours-out.dbf"));
    d.shapelibFile = d.dir.filePath(QStringLiteral("shp-in.dbf")).toStdString();
    d.shapelibOut = d.dir.filePath(QStringLiteral("shp-out.dbf")).toStdString();
}

// Writes the table with TMemDBFTable.
void writeOurs(const QString& file)
{
    Data& d = data();
    QVector<TDBFFieldDesc> descs;
    for (const Column& c : kColumns) {
        TDBFFieldDesc desc;
        desc.Name = QString::fromLatin1(c.name);
        desc.Letter = c.letter;
        desc.Length = c.length;
        desc.Decimals = c.decimals;
        desc.FieldType = TDBFAccess::TypeOfLetter(c.letter, c.decimals);
        descs.append(desc);
    }
    TMemDBFTable table;
    table.CreateTable(QString(), &descs);
    table.Open();
    std::vector<DbfField*> f;
    for (int i = 0; i < table.FieldCount(); ++i)
        f.push_back(&table.Fields(i));
    for (int r = 0; r < kRecords; ++r) {
        const Values& v = d.rows[static_cast<size_t>(r)];
        table.Append();
        for (int c = 0; c < 6; ++c)
            f[static_cast<size_t>(c)]->SetAsString(v.strings[static_cast<size_t>(c)]);
        for (int c = 6; c < 11; ++c)
            f[static_cast<size_t>(c)]->SetAsInteger(intValue(r, c));
        for (int c = 11; c < 15; ++c)
            f[static_cast<size_t>(c)]->SetAsFloat(floatValue(r, c));
        for (int c = 15; c < 18; ++c) {
            const int digits = dateDigits(r, c);
            f[static_cast<size_t>(c)]->SetAsDateTime(EncodeDate(digits / 10000, digits / 100 % 100, digits % 100));
        }
        f[18]->SetAsBoolean(r % 2 == 0);
        f[19]->SetAsBoolean(r % 3 == 0);
        table.Post();
    }
    table.SaveToFile(file);
}

// Writes the same table with shapelib.
void writeShapelib(const std::string& file)
{
    Data& d = data();
    DBFHandle h = DBFCreate(file.c_str());
    for (const Column& c : kColumns)
        DBFAddNativeFieldType(h, c.name, c.letter, c.length, c.decimals);
    char date[9];
    for (int r = 0; r < kRecords; ++r) {
        const Values& v = d.rows[static_cast<size_t>(r)];
        for (int c = 0; c < 6; ++c)
            DBFWriteStringAttribute(h, r, c, v.cStrings[static_cast<size_t>(c)].c_str());
        for (int c = 6; c < 11; ++c)
            DBFWriteIntegerAttribute(h, r, c, intValue(r, c));
        for (int c = 11; c < 15; ++c)
            DBFWriteDoubleAttribute(h, r, c, floatValue(r, c));
        for (int c = 15; c < 18; ++c) {
            std::snprintf(date, sizeof date, "%08d", dateDigits(r, c));
            DBFWriteStringAttribute(h, r, c, date);
        }
        DBFWriteLogicalAttribute(h, r, 18, r % 2 == 0 ? 'T' : 'F');
        DBFWriteLogicalAttribute(h, r, 19, r % 3 == 0 ? 'T' : 'F');
    }
    DBFClose(h);
}

void BM_ReadOurs(benchmark::State& state)
{
    prepare();
    writeOurs(data().oursFile);
    for (auto _ : state) {
        TMemDBFTable table;
        table.SetFileName(data().oursFile);
        table.Open();
        std::vector<DbfField*> f;
        for (int i = 0; i < table.FieldCount(); ++i)
            f.push_back(&table.Fields(i));
        QString text;
        double sum = 0;
        qsizetype chars = 0;
        for (table.First(); !table.Eof(); table.Next()) {
            for (int c = 0; c < 6; ++c) {
                f[static_cast<size_t>(c)]->ReadString(text);
                chars += text.size();
            }
            for (int c = 6; c < 11; ++c)
                sum += static_cast<double>(f[static_cast<size_t>(c)]->AsLargeInt());
            for (int c = 11; c < 15; ++c)
                sum += f[static_cast<size_t>(c)]->AsFloat();
            for (int c = 15; c < 18; ++c)
                sum += f[static_cast<size_t>(c)]->AsDateTime();
            sum += f[18]->AsBoolean() + f[19]->AsBoolean();
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
    }
}

void BM_ReadShapelib(benchmark::State& state)
{
    prepare();
    writeShapelib(data().shapelibFile);
    for (auto _ : state) {
        DBFHandle h = DBFOpen(data().shapelibFile.c_str(), "rb");
        const int count = DBFGetRecordCount(h);
        double sum = 0;
        size_t chars = 0;
        for (int r = 0; r < count; ++r) {
            for (int c = 0; c < 6; ++c)
                chars += std::char_traits<char>::length(DBFReadStringAttribute(h, r, c));
            for (int c = 6; c < 11; ++c)
                sum += DBFReadIntegerAttribute(h, r, c);
            for (int c = 11; c < 15; ++c)
                sum += DBFReadDoubleAttribute(h, r, c);
            for (int c = 15; c < 18; ++c) {
                const char* s = DBFReadStringAttribute(h, r, c);
                int digits = 0;
                for (int k = 0; k < 8 && s[k]; ++k)
                    digits = digits * 10 + (s[k] - '0');
                sum += digits;
            }
            sum += *DBFReadLogicalAttribute(h, r, 18) == 'T';
            sum += *DBFReadLogicalAttribute(h, r, 19) == 'T';
        }
        DBFClose(h);
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
    }
}

void BM_WriteOurs(benchmark::State& state)
{
    prepare();
    for (auto _ : state)
        writeOurs(data().oursOut);
}

void BM_WriteShapelib(benchmark::State& state)
{
    prepare();
    for (auto _ : state) {
        QFile::remove(QString::fromStdString(data().shapelibOut));
        writeShapelib(data().shapelibOut);
    }
}

BENCHMARK(BM_ReadOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadShapelib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteShapelib)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // CPU time is the main measure: the machine is shared, so wall-clock
    // time also counts waiting for other processes.
    auto ratio = [&](const char* what, const char* ours, const char* theirs) {
        const auto cpu = reporter.ratio(ours, theirs, true);
        const auto wall = reporter.ratio(ours, theirs);
        if (cpu && wall)
            std::printf("ratio dbf %s ours/shapelib: %.2f (wall clock %.2f)\n", what, *cpu, *wall);
    };
    ratio("read", "BM_ReadOurs", "BM_ReadShapelib");
    ratio("write", "BM_WriteOurs", "BM_WriteShapelib");
    benchmark::Shutdown();
    return 0;
}
