// Report engine speed against its floor: each report is timed in-process on
// the station database, beside the bare SQL statements it runs. The floor is
// taken from the engine itself: the report runs once with a statement log set
// on its attachment, and the floor replays exactly those statements (same
// text, same bound values, run the same way), fetching every row and reading
// every column. Report and floor alternate within one benchmark; the medians
// and their ratio are printed at the end (target 1.5 or less).
// VELTA_BENCH_STATEMENTS=1 prints each statement's own time and rows.
//
// The period release runs on a station of 1,000,000 sales made at start (a
// few minutes); VELTA_BENCH_BIG_STATION=DIR reuses a station folder made
// earlier with "velta-station init --root DIR --sales 1000000". The reports
// read a cnf.ini of the bench's own whose limits are the largest the settings
// allow, so a report handles every row its floor fetches.
#include "common/DateTime.h"
#include "station/cli/QueryRows.h"
#include "station/cli/ReportShortcuts.h"
#include "station/db/StationDatabase.h"
#include "station/demo/StationInit.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/engine/ReportMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace velta;
using namespace velta::station;

constexpr int kBigSales = 1000000;
constexpr int kFirstShift = 1001;

// A station folder, its database attached in this process, and the engine.
struct BenchStation {
    QTemporaryDir dir;
    QString root;
    std::unique_ptr<StationDatabase> db;
    ReportConnectionState connection;
    ReportWorkplaceMemory memory;
    std::unique_ptr<ReportEngine> engine;
    StationPayTypes pay;

    BenchStation(const QString& existing, int sales)
    {
        root = existing;
        if (root.isEmpty()) {
            root = dir.filePath(QStringLiteral("station"));
            InitOptions options;
            options.root = root;
            options.sales = sales;
            initStation(options);
        }
        db = std::make_unique<StationDatabase>(stationDatabasePath(root));
        engine = std::make_unique<ReportEngine>(*db, connection, memory);
        pay = payTypesFromRows(rows(payTypesSql()));
    }

    // Values as the report command prints them (its shortcuts read the pay types so).
    QVector<QStringList> rows(const QString& sql) { return queryRows(*db, sql); }
};

BenchStation* gDemo = nullptr;
BenchStation* gBig = nullptr;

// The large station, made (or attached) when a benchmark first needs it.
BenchStation* bigStation()
{
    if (!gBig) {
        std::fprintf(stderr, "Attaching or making the station of %d sales...\n", kBigSales);
        gBig = new BenchStation(qEnvironmentVariable("VELTA_BENCH_BIG_STATION"), kBigSales);
    }
    return gBig;
}

// The shift report's composition as the plug-in writes it at the first log-on
// (section: position), templates left to the engine's built-in layouts.
ShiftComposition benchComposition(const QString& folder)
{
    const QString path = folder + QStringLiteral("/cnf.ini");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        QByteArray text = "[SmenaRep]\r\n";
        const int positions[][2] = {{0, 1}, {2, 3}, {3, 4}, {4, 5}, {17, 6}, {5, 7}, {10, 12},
                                    {11, 13}, {12, 14}, {13, 15}, {14, 16}, {15, 17}, {16, 18}, {1, 19}};
        for (const auto& p : positions)
            text += "Rep" + QByteArray::number(p[0]) + "_0=" + QByteArray::number(p[1]) + "\r\n";
        file.write(text);
    }
    file.close();
    return readShiftComposition(path);
}

struct ReportCase {
    std::string name;
    std::function<BenchStation*()> station;
    int reportNo = 0;
    std::function<Variant()> params;
    int repetitions = 5;
};

std::vector<ReportCase>& cases()
{
    static std::vector<ReportCase> list;
    return list;
}

struct Medians {
    double report = 0; // seconds
    double floor = 0;
    qsizetype statements = 0;
    qint64 rows = 0;
};
std::map<std::string, Medians> gMedians;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// The statements one run of the report executes on its attachment.
QVector<RecordedStatement> recordStatements(BenchStation& s, int reportNo, const Variant& params)
{
    QVector<RecordedStatement> log;
    QVector<RecordedStatement>* previous = setStatementLog(&log);
    s.engine->produce(reportNo, params, QString(), false);
    setStatementLog(previous);
    return log;
}

// The statements a report ran and the number of columns each returns.
struct Floor {
    QVector<RecordedStatement> statements;
    QVector<int> columns;
};

QSqlQuery run(StationDatabase& db, const RecordedStatement& statement)
{
    QSqlQuery q;
    if (statement.prepared) {
        q = db.prepare(statement.sql);
        for (qsizetype i = 0; i < statement.values.size(); ++i)
            q.bindValue(int(i), statement.values[i]);
        execPrepared(q, QStringLiteral("Floor"));
    } else {
        q = db.query();
        execQuery(q, statement.sql, QStringLiteral("Floor"));
    }
    return q;
}

// Counts the columns once, outside the timings: the driver's record() looks
// each column up in the system tables.
Floor floorOf(StationDatabase& db, const QVector<RecordedStatement>& statements)
{
    Floor floor{statements, {}};
    for (const RecordedStatement& statement : statements)
        floor.columns << run(db, statement).record().count();
    return floor;
}

// Runs the statements as they were recorded (prepared ones prepared again,
// each on a query of its own as the engine does), reading every column of
// every row; returns the rows fetched.
qint64 replay(StationDatabase& db, const Floor& floor)
{
    qint64 rows = 0;
    for (qsizetype i = 0; i < floor.statements.size(); ++i) {
        QSqlQuery q = run(db, floor.statements[i]);
        const int columns = floor.columns[i];
        while (q.next()) {
            for (int col = 0; col < columns; ++col)
                benchmark::DoNotOptimize(q.value(col));
            ++rows;
        }
    }
    return rows;
}

// With VELTA_BENCH_STATEMENTS set: the time and rows of each recorded
// statement on its own, to see where a floor goes.
void printStatementTimes(StationDatabase& db, const Floor& floor)
{
    for (qsizetype i = 0; i < floor.statements.size(); ++i) {
        const RecordedStatement& statement = floor.statements[i];
        QElapsedTimer t;
        t.start();
        const qint64 rows = replay(db, {{statement}, {floor.columns[i]}});
        std::fprintf(stderr, "%9.3f ms %7lld rows  %s\n", t.nsecsElapsed() / 1e6, static_cast<long long>(rows),
                     statement.sql.simplified().left(160).toUtf8().constData());
    }
}

void runCase(benchmark::State& state, const ReportCase& c)
{
    BenchStation* s = c.station();
    const Variant params = c.params();
    const Floor statements = floorOf(*s->db, recordStatements(*s, c.reportNo, params));
    if (qEnvironmentVariableIsSet("VELTA_BENCH_STATEMENTS"))
        printStatementTimes(*s->db, statements);
    std::vector<double> report;
    std::vector<double> floor;
    qint64 rows = 0;
    qsizetype chars = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        chars = s->engine->produce(c.reportNo, params, QString(), false).size();
        report.push_back(t.nsecsElapsed() / 1e9);
        t.restart();
        rows = replay(*s->db, statements);
        floor.push_back(t.nsecsElapsed() / 1e9);
    }
    Medians& m = gMedians[c.name];
    m = {median(report), median(floor), statements.statements.size(), rows};
    state.counters["report_ms"] = m.report * 1e3;
    state.counters["floor_ms"] = m.floor * 1e3;
    state.counters["ratio"] = m.floor > 0 ? m.report / m.floor : 0;
    state.counters["statements"] = static_cast<double>(m.statements);
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["chars"] = static_cast<double>(chars);
}

void registerCases()
{
    static ShiftComposition composition;
    const auto demo = [] { return gDemo; };
    const auto big = [] { return bigStation(); };
    const auto shift = [](int first, int last) {
        return [first, last] {
            return shiftReportParams(ShiftRange{false, first, last}, composition, gDemo->pay);
        };
    };
    cases() = {
        {"shift report, 1 shift", demo, report::kShift, shift(kFirstShift + 20, kFirstShift + 20), 21},
        {"shift report, 30 shifts", demo, report::kShift, shift(kFirstShift + 20, kFirstShift + 49), 11},
        {"period release by contragent, 90 days of 1,000,000 sales", big, report::kContragentPeriod,
         [] {
             // The statement contragent with the most sales.
             const QVector<QStringList> top = bigStation()->rows(QStringLiteral(
                 "SELECT FIRST 1 c.CONTR_ID, c.NAME FROM LOGTRAN l JOIN CONTRAGENT c ON CAST(c.CONTR_ID AS VARCHAR(10)) "
                 "= l.IDCNT WHERE MOD(l.VIDOPL, 100) = 4 GROUP BY c.CONTR_ID, c.NAME ORDER BY COUNT(*) DESC"));
             PeriodRelease release;
             release.kind = ReleaseKind::Contragent;
             release.from = EncodeDate(2024, 1, 1);
             release.to = EncodeDate(2024, 3, 31);
             release.contragent = top.value(0).value(1);
             release.byDrivers = true;
             release.byCars = true;
             return periodReleaseParams(release, bigStation()->pay);
         },
         11},
    };
    composition = benchComposition(gDemo->dir.isValid() ? gDemo->dir.path() : QStringLiteral("."));
    for (const ReportCase& c : cases()) {
        // Fixed repetitions: each one runs the report and then its floor.
        benchmark::RegisterBenchmark(c.name.c_str(), [&c](benchmark::State& st) { runCase(st, c); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(c.repetitions);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The engine reads cnf.ini from the Windows folder under VELTA_ROOT.
    QTemporaryDir root;
    qputenv("VELTA_ROOT", root.path().toUtf8());
    QDir(root.path()).mkpath(QStringLiteral("C/WINDOWS"));
    QFile cnf(root.filePath(QStringLiteral("C/WINDOWS/cnf.ini")));
    if (cnf.open(QIODevice::WriteOnly))
        cnf.write("[Reports]\r\nMaxRows=1000000\r\nMaxSize=500\r\n");
    cnf.close();
    std::fprintf(stderr, "Making the demo station...\n");
    gDemo = new BenchStation(QString(), InitOptions{}.sales);
    registerCases();
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\nReport time / its bare SQL, medians of report and floor run alternately (target 1.5 or less)");
    if (gBig)
        std::printf("; the large station has %s sales",
                    gBig->rows(QStringLiteral("SELECT COUNT(*) FROM LOGTRAN")).value(0).value(0).toUtf8().constData());
    std::printf(":\n");
    for (const ReportCase& c : cases()) {
        const auto m = gMedians.find(c.name);
        if (m != gMedians.end() && m->second.floor > 0)
            std::printf("ratio %-58s %8.3f   (report %.2f ms, floor %.2f ms: %lld statements, %lld rows)\n", c.name.c_str(),
                        m->second.report / m->second.floor, m->second.report * 1e3, m->second.floor * 1e3,
                        static_cast<long long>(m->second.statements), static_cast<long long>(m->second.rows));
    }
    delete gBig;
    delete gDemo;
    benchmark::Shutdown();
    return 0;
}
