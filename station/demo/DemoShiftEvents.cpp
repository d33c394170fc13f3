#include "station/demo/DemoShiftEvents.h"

#include "station/db/BatchInserter.h"
#include "station/demo/DemoCatalog.h"
#include "station/demo/DemoRandom.h"
#include "station/db/StationDatabase.h"

namespace velta::station {
namespace {

using namespace demo;

constexpr std::int64_t kUnit = 10000;
constexpr int kMeterEveryDays = 3;
constexpr int kReloadEveryShifts = 5;

// One act per sale the journal marks as not poured in full (operation 4): the
// sale keeps what was poured, the act the rest. Every third terminal act has
// not gone back to the card yet.
qint64 writeReturnActs(StationDatabase& db)
{
    db.exec(QStringLiteral(
        "INSERT INTO BACKACT (ID, DATA, SMNUM, INDEXSALE, TRK, GSMNAME, ORDERLITER, LITER, PRICE, SUMMA, VIDOPL, "
        "CARDNUM, OPERATOR, TERMRETURN) "
        "SELECT ROW_NUMBER() OVER (ORDER BY l.INDEXSALE), DATEADD(40 SECOND TO l.DATA), l.SMNUM, l.INDEXSALE, l.TRK, "
        "l.GSMNAME, l.LITER + (MOD(l.INDEXSALE, 9) + 1) * 0.37, (MOD(l.INDEXSALE, 9) + 1) * 0.37, l.PRICE, "
        "CAST((MOD(l.INDEXSALE, 9) + 1) * 0.37 * l.PRICE AS NUMERIC(18, 2)), l.VIDOPL, "
        "CASE WHEN MOD(l.VIDOPL, 100) IN (1, 2, 10) THEN l.POKUPATEL END, l.OPERATOR, "
        "CASE WHEN MOD(l.VIDOPL, 100) = 1 AND MOD(l.INDEXSALE, 3) <> 0 THEN 1 ELSE 0 END "
        "FROM TRK t JOIN LOGTRAN l ON l.INDEXSALE = t.INDEXSALE WHERE t.OPERATION = 4"));
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM BACKACT")).toLongLong();
}

// Every third day the day shift checks each nozzle with a 10-litre can.
qint64 writeMeterChecks(StationDatabase& db, DemoRandom& rnd)
{
    BatchInserter checks(db, QStringLiteral("METERCHECK"),
                         {{"ID", ColumnKind::Integer}, {"DATA", ColumnKind::Timestamp}, {"SMNUM", ColumnKind::Integer},
                          {"TRK", ColumnKind::Text, 10}, {"GUN", ColumnKind::Integer}, {"GSMNAME", ColumnKind::Text, 20},
                          {"TRKLITER", ColumnKind::Fixed}, {"METERLITER", ColumnKind::Fixed},
                          {"OPERATOR", ColumnKind::Text, 30}});
    int id = 0;
    for (int day = 0; day < kDays; day += kMeterEveryDays) {
        const int s = day * kShiftsPerDay;
        const QDateTime start = shiftStart(s).addSecs(15 * 60);
        for (int n = 0; n < nozzles().size(); ++n) {
            const DemoNozzle& nozzle = nozzles().at(n);
            const std::int64_t deviation = rnd.range(-6, 6) * 100; // hundredths of a litre
            checks.add({++id, start.addSecs(n * 180), shiftNumber(s), nozzle.dispenser, nozzle.gun,
                        demo::fuel(nozzle.fuelId).name, qlonglong(10 * kUnit), qlonglong(10 * kUnit + deviation),
                        operators().at(s % operators().size())});
        }
    }
    checks.finish();
    return checks.rowsWritten();
}

qint64 writeReloads(StationDatabase& db, DemoRandom& rnd)
{
    static const QStringList devices = {QStringLiteral("Сервер АЗС"), QStringLiteral("Контроллер ТРК"),
                                        QStringLiteral("Касса №1"), QStringLiteral("Уровнемер")};
    static const QStringList reasons = {QStringLiteral("Плановая перезагрузка"), QStringLiteral("Сбой питания"),
                                        QStringLiteral("Обновление программы"), QStringLiteral("Нет связи с устройством")};
    BatchInserter reloads(db, QStringLiteral("RELOADLOG"),
                          {{"ID", ColumnKind::Integer}, {"DATA", ColumnKind::Timestamp}, {"SMNUM", ColumnKind::Integer},
                           {"DEVICE", ColumnKind::Text, 50}, {"REASON", ColumnKind::Text, 100},
                           {"OPERATOR", ColumnKind::Text, 30}});
    int id = 0;
    for (int s = 2; s < kShiftCount; s += kReloadEveryShifts) {
        const qint64 span = shiftStart(s).secsTo(shiftEnd(s)) - 600;
        reloads.add({++id, shiftStart(s).addSecs(300 + rnd.range(0, span)), shiftNumber(s),
                     devices.at(static_cast<int>(rnd.range(0, devices.size() - 1))),
                     reasons.at(static_cast<int>(rnd.range(0, reasons.size() - 1))),
                     operators().at(s % operators().size())});
    }
    reloads.finish();
    return reloads.rowsWritten();
}

} // namespace

DemoShiftEvents writeShiftEvents(StationDatabase& db)
{
    DemoRandom rnd(0x5EED0007);
    DemoShiftEvents result;
    result.returnActs = writeReturnActs(db);
    result.meterChecks = writeMeterChecks(db, rnd);
    result.reloads = writeReloads(db, rnd);
    return result;
}

} // namespace velta::station
