// Report engine speed against its floor: each report is timed in-process on
// the station database, beside the bare SQL statements it runs, fetched row by
// row on the same attachment. The ratio report / floor shows what rendering
// and bookkeeping add to the database's own work (target 1.5 or less).
//
// The floor of each report is listed in kCases next to its call. When a
// report's queries change in station/reports, copy its statements here (with
// the bench's parameters written in), so the floor stays the report's own.
//
// The period release runs on a station of 1,000,000 sales made at start
// (several minutes); VELTA_BENCH_BIG_STATION=DIR reuses a station folder made
// earlier with "velta-station init --root DIR --sales 1000000".
#include "common/DateTime.h"
#include "station/cli/ReportShortcuts.h"
#include "station/db/StationDatabase.h"
#include "station/demo/StationInit.h"
#include "station/reports/ReportEngine.h"
#include "station/reports/ReportMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
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

    QVector<QStringList> rows(const QString& sql)
    {
        QSqlQuery q = db->query();
        if (!q.exec(sql))
            raiseQueryError(q, sql);
        QVector<QStringList> result;
        while (q.next()) {
            QStringList row;
            for (int c = 0; c < q.record().count(); ++c)
                row << q.value(c).toString();
            result << row;
        }
        return result;
    }
};

BenchStation* gDemo = nullptr;
BenchStation* gBig = nullptr;

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

QString shiftRange(int first, int last)
{
    return QStringLiteral("%1 AND %2").arg(first).arg(last);
}

// The statements the shift report's sections run over shifts first..last.
QStringList shiftReportFloor(int first, int last)
{
    const QString r = shiftRange(first, last);
    return {
        QStringLiteral("SELECT s.SMNUM, s.OPERATOR, s.INKKM, s.OUTKKM, (SELECT SUM(l.SUMMA) FROM LOGTRAN l WHERE "
                       "l.SMNUM = s.SMNUM AND MOD(l.VIDOPL, 100) = 0) FROM SMLOG s WHERE s.SMNUM BETWEEN %1 ORDER BY s.SMNUM").arg(r),
        QStringLiteral("SELECT SMNUM, OPERATOR, SUMMATOVARY FROM SMLOG WHERE SMNUM BETWEEN %1 ORDER BY SMNUM").arg(r),
        QStringLiteral("SELECT GSMNAME, BASEPRICE, VIDOPL, SUM(LITER), SUM(CAST(LITER * PLOTN AS NUMERIC(18,4))), "
                       "SUM(SUMMA) FROM LOGTRAN WHERE SMNUM BETWEEN %1 GROUP BY GSMNAME, BASEPRICE, VIDOPL "
                       "ORDER BY GSMNAME, BASEPRICE, VIDOPL").arg(r),
        QStringLiteral("SELECT DATA, TRK, GSMNAME, VIDOPL, POKUPATEL, LITER, SUMMA FROM LOGTRAN WHERE SMNUM BETWEEN %1 "
                       "AND MOD(VIDOPL, 100) <> 0 ORDER BY DATA, INDEXSALE").arg(r),
        QStringLiteral("SELECT m.TRKNUM, m.GUN, m.GSMNAME, m.SMNUM, m.BEGCOUNTER, m.ENDCOUNTER, m.LITERS, m.SUMMA "
                       "FROM SMTRK m LEFT JOIN TRKLIST t ON t.TRK = m.TRKNUM WHERE m.SMNUM BETWEEN %1 "
                       "ORDER BY t.SORTNUM, m.TRKNUM, m.GUN, m.SMNUM").arg(r),
        QStringLiteral("SELECT s.SILO_ID, s.NAME, g.NAME, s.CAPACITY FROM SILO s LEFT JOIN GSM g ON g.GSM_ID = s.GSM_ID "
                       "ORDER BY s.SILO_ID"),
        QStringLiteral("SELECT SILONAME, SILONAME2, PRIHOD, AUTO, FACT1 FROM PRX WHERE SMNUM BETWEEN %1 AND COR = 0").arg(r),
        QStringLiteral("SELECT g.SILO_ID, SUM(l.LITER) FROM LOGTRAN l JOIN TRKGUN g ON g.TRK = l.TRK AND g.GUN = l.GUN "
                       "WHERE l.SMNUM BETWEEN %1 GROUP BY g.SILO_ID").arg(r),
        QStringLiteral("SELECT BEGTIME, TTNNUM, GSMNAME, SILONAME, CARNAME, CARVOLTTN, FACT1, DELTA, UDVES, TEMPER FROM PRX "
                       "WHERE SMNUM BETWEEN %1 ORDER BY BEGTIME, OPNUM").arg(r),
        QStringLiteral("SELECT COALESCE(c.NAME, 'Контрагент ' || l.IDCNT), l.GSMNAME, COUNT(*), SUM(l.LITER), SUM(l.SUMMA) "
                       "FROM LOGTRAN l LEFT JOIN CONTRAGENT c ON CAST(c.CONTR_ID AS VARCHAR(10)) = l.IDCNT "
                       "WHERE l.SMNUM BETWEEN %1 AND MOD(l.VIDOPL, 100) = 4 GROUP BY 1, 2 ORDER BY 1, 2").arg(r),
    };
}

// The period release by contragent: the contragent's identifiers, then its
// sales of the period with their cars and drivers.
QStringList periodReleaseFloor(const QString& contragentId, const Variant& codes)
{
    QStringList codeList;
    for (const Variant& code : codes.elements())
        codeList << QString::number(code.toInt());
    return {
        QStringLiteral("SELECT c.CONTR_ID FROM CONTRAGENT c WHERE c.CONTR_ID = %1").arg(contragentId),
        QStringLiteral("SELECT CAST(l.DATA AS VARCHAR(24)), l.SMNUM, l.TRK, l.GSMNAME, l.VIDOPL, l.IDCNT, car.NAME, "
                       "drv.NAME, l.PLISTNUM, CAST(l.PRICE AS VARCHAR(32)), CAST(l.LITER AS VARCHAR(32)), "
                       "CAST(l.PLOTN AS VARCHAR(32)), CAST(l.SUMMA AS VARCHAR(32)) FROM LOGTRAN l "
                       "LEFT JOIN VDCAR car ON car.ID = l.IDCAR LEFT JOIN VDDRIVER drv ON drv.ID = l.IDDRV "
                       "WHERE l.DATA >= CAST('2024-01-01 00:00:00' AS TIMESTAMP) AND l.DATA < CAST('2024-03-31 00:00:00' "
                       "AS TIMESTAMP) AND l.VIDOPL IN (%2) AND l.IDCNT = '%1' ORDER BY l.DATA, l.INDEXSALE")
            .arg(contragentId, codeList.join(QLatin1Char(','))),
    };
}

struct ReportCase {
    std::string name;
    std::function<BenchStation*()> station;
    int reportNo = 0;
    std::function<Variant()> params;
    std::function<QStringList()> floor;
};

std::vector<ReportCase>& cases()
{
    static std::vector<ReportCase> list;
    return list;
}

std::map<std::string, double> gReport; // mean seconds per report
std::map<std::string, double> gFloor;

void runReport(benchmark::State& state, const ReportCase& c)
{
    BenchStation* s = c.station();
    const Variant params = c.params();
    double seconds = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const QString text = s->engine->produce(c.reportNo, params, QString(), false);
        const QString html = s->engine->produce(ReportEngine::kLastReportHtml, Variant(Variant::Array{}), QString(), false);
        seconds += t.nsecsElapsed() / 1e9;
        bytes = text.size() + html.size();
    }
    state.counters["chars"] = static_cast<double>(bytes);
    gReport[c.name] = seconds / static_cast<double>(state.iterations());
}

void runFloor(benchmark::State& state, const ReportCase& c)
{
    BenchStation* s = c.station();
    const QStringList statements = c.floor();
    double seconds = 0;
    qint64 rows = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        rows = 0;
        for (const QString& sql : statements) {
            QSqlQuery q = s->db->query();
            if (!q.exec(sql)) {
                state.SkipWithError(sql.left(60).toStdString().c_str());
                return;
            }
            const int columns = q.record().count();
            while (q.next()) {
                for (int col = 0; col < columns; ++col)
                    benchmark::DoNotOptimize(q.value(col));
                ++rows;
            }
        }
        seconds += t.nsecsElapsed() / 1e9;
    }
    state.counters["rows"] = static_cast<double>(rows);
    gFloor[c.name] = seconds / static_cast<double>(state.iterations());
}

void registerCases()
{
    static ShiftComposition composition;
    static QString contragentId;
    const auto demo = [] { return gDemo; };
    const auto big = [] { return gBig; };
    const auto shift = [](int first, int last) {
        return [first, last] {
            return shiftReportParams(ShiftRange{false, first, last}, composition, gDemo->pay);
        };
    };
    cases() = {
        {"shift report, 1 shift", demo, kShiftReportNo, shift(kFirstShift + 20, kFirstShift + 20),
         [] { return shiftReportFloor(kFirstShift + 20, kFirstShift + 20); }},
        {"shift report, 30 shifts", demo, kShiftReportNo, shift(kFirstShift + 20, kFirstShift + 49),
         [] { return shiftReportFloor(kFirstShift + 20, kFirstShift + 49); }},
        {"period release by contragent, 90 days of 1,000,000 sales", big, kContragentPeriodReportNo,
         [] {
             // The statement contragent with the most sales.
             const QVector<QStringList> top = gBig->rows(QStringLiteral(
                 "SELECT FIRST 1 c.CONTR_ID, c.NAME FROM LOGTRAN l JOIN CONTRAGENT c ON CAST(c.CONTR_ID AS VARCHAR(10)) "
                 "= l.IDCNT WHERE MOD(l.VIDOPL, 100) = 4 GROUP BY c.CONTR_ID, c.NAME ORDER BY COUNT(*) DESC"));
             contragentId = top.value(0).value(0);
             PeriodRelease release;
             release.kind = ReleaseKind::Contragent;
             release.from = EncodeDate(2024, 1, 1);
             release.to = EncodeDate(2024, 3, 31);
             release.contragent = top.value(0).value(1);
             release.byDrivers = true;
             release.byCars = true;
             return periodReleaseParams(release, gBig->pay);
         },
         [] { return periodReleaseFloor(contragentId, gBig->pay.codes); }},
    };
    composition = benchComposition(gDemo->dir.isValid() ? gDemo->dir.path() : QStringLiteral("."));
    for (const ReportCase& c : cases()) {
        benchmark::RegisterBenchmark((c.name + " / report").c_str(), [&c](benchmark::State& st) { runReport(st, c); })
            ->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
        benchmark::RegisterBenchmark((c.name + " / floor").c_str(), [&c](benchmark::State& st) { runFloor(st, c); })
            ->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::fprintf(stderr, "Making the demo station and the station of %d sales...\n", kBigSales);
    gDemo = new BenchStation(QString(), InitOptions{}.sales);
    gBig = new BenchStation(qEnvironmentVariable("VELTA_BENCH_BIG_STATION"), kBigSales);
    registerCases();
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\nReport time / its bare SQL (target 1.5 or less); the large station has %s sales:\n",
                gBig->rows(QStringLiteral("SELECT COUNT(*) FROM LOGTRAN")).value(0).value(0).toUtf8().constData());
    for (const ReportCase& c : cases()) {
        if (gReport.count(c.name) && gFloor.count(c.name) && gFloor[c.name] > 0)
            std::printf("ratio %-58s %8.3f   (report %.2f ms, floor %.2f ms)\n", c.name.c_str(),
                        gReport[c.name] / gFloor[c.name], gReport[c.name] * 1e3, gFloor[c.name] * 1e3);
    }
    delete gBig;
    delete gDemo;
    benchmark::Shutdown();
    return 0;
}
