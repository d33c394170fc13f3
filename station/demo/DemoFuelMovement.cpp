#include "station/demo/DemoFuelMovement.h"

#include "station/db/BatchInserter.h"
#include "station/demo/DemoCatalog.h"
#include "station/demo/DemoContragents.h"
#include "station/demo/DemoRandom.h"
#include "station/db/FixedPoint.h"

namespace velta::station {
namespace {

using namespace demo;

constexpr std::int64_t kUnit = 10000;
constexpr int kTransfer = 4; // AUTO code of a transfer between tanks

struct Movement {
    int day;
    int minute; // minutes after the shift start
    int tankId;
    int kind;   // 0 receipt, 1 pump-out, 2 transfer
};

} // namespace

DemoFuelMovement writeFuelMovement(StationDatabase& db, const DemoContragents& contragents)
{
    DemoRandom rnd(0x5EED0002);
    DemoFuelMovement result;
    BatchInserter rows(db, QStringLiteral("PRX"),
                       {{"OPNUM", ColumnKind::Integer}, {"\"DATE\"", ColumnKind::Date}, {"SMNUM", ColumnKind::Integer},
                        {"OPERATOR", ColumnKind::Text, 20}, {"GSMNAME", ColumnKind::Text, 20}, {"CARVOLTTN", ColumnKind::Fixed},
                        {"SILONAME", ColumnKind::Text, 20}, {"BEGTIME", ColumnKind::Timestamp}, {"ENDTIME", ColumnKind::Timestamp},
                        {"SILOLEVELBEFORE", ColumnKind::Fixed}, {"SILOLEVELAFTER", ColumnKind::Fixed}, {"FACT1", ColumnKind::Fixed},
                        {"DOPUSK", ColumnKind::Fixed}, {"DELTA", ColumnKind::Fixed}, {"UDVES", ColumnKind::Fixed},
                        {"TEMPER", ColumnKind::Fixed}, {"FACTPLOTN", ColumnKind::Fixed}, {"COR", ColumnKind::Integer},
                        {"PRIHOD", ColumnKind::Integer}, {"PRIM", ColumnKind::Text, 50}, {"AUTO", ColumnKind::Integer},
                        {"CARNAME", ColumnKind::Text, 20}, {"SILONAME2", ColumnKind::Text, 20}, {"TTNNUM", ColumnKind::Text, 30},
                        {"SUPPLIER_ID", ColumnKind::Integer}, {"KEEPER_ID", ColumnKind::Integer}});

    QVector<Movement> plan;
    for (int day = 1; day < kDays; ++day) {
        for (const DemoTank& tank : tanks()) {
            const int every = tank.fuelId == 4 ? 9 : (tank.id == 5 ? 6 : 3);
            if ((day + tank.id) % every == 0)
                plan << Movement{day, 60 + tank.id * 50, tank.id, 0};
        }
        if (day % 15 == 7)
            plan << Movement{day, 400, day % 30 == 7 ? 3 : 1, 1};
        if (day % 20 == 11)
            plan << Movement{day, 500, 3, 2};
    }

    int opnum = 0;
    const int correctedAt = static_cast<int>(plan.size() / 2); // the receipt entered wrongly
    // A delivery in the open shift, drawn after the others so that they stay as they were.
    plan << Movement{kOpenShiftIndex / kShiftsPerDay, 90, 2, 0};
    for (int i = 0; i < plan.size(); ++i) {
        const Movement& m = plan.at(i);
        const DemoTank& tank = tanks().at(m.tankId - 1);
        const DemoFuel& fuel = demo::fuel(tank.fuelId);
        const int shiftIndex = m.day * kShiftsPerDay;
        const QDateTime begin = shiftStart(shiftIndex).addSecs(m.minute * 60);
        const QDateTime end = begin.addSecs(rnd.range(25, 55) * 60);
        const QString op = operators().at(shiftIndex % operators().size()).left(20);
        const std::int64_t volume = (m.kind == 0 ? rnd.range(50, 110) * 100 : rnd.range(10, 40) * 100) * kUnit;
        const std::int64_t fact = volume + rnd.range(-450, 350) * kUnit / 10;
        const std::int64_t tolerance = volume / 200; // 0.5 per cent
        const std::int64_t levelBefore = rnd.range(400, 1200) * kUnit / 10;
        const std::int64_t levelAfter = levelBefore + (m.kind == 0 ? 1 : -1) * volume / 100 * 6 / 10;
        const std::int64_t density = fuel.density + rnd.range(-20, 20);
        const std::int64_t temperature = rnd.range(-80, 180) * kUnit / 10;
        const QString tanker = contragents.tankers.at(static_cast<int>(rnd.range(0, contragents.tankers.size() - 1)));
        const int supplier = contragents.suppliers.isEmpty() ? 0 : contragents.suppliers.at(i % contragents.suppliers.size());
        const bool forKeeper = m.kind != 2 && !contragents.keepers.isEmpty() && (m.kind == 1 || i % 5 == 0);
        const QVariant keeper = forKeeper ? QVariant(contragents.keepers.at(i % contragents.keepers.size())) : QVariant();
        QString note;
        int corrected = 0;
        if (m.kind == 0 && i == correctedAt) {
            corrected = 1;
            note = QStringLiteral("Исправлено записью №%1").arg(opnum + 2);
        } else if (m.kind == 1) {
            note = QStringLiteral("Откачка хранителю");
        } else if (m.kind == 2) {
            note = QStringLiteral("Перекачка Р-3 -> Р-5");
        }
        const QVector<QVariant> row = {
            ++opnum, begin.date(), shiftNumber(shiftIndex), op, fuel.name, qlonglong(volume), tank.name, begin, end,
            qlonglong(levelBefore), qlonglong(levelAfter), qlonglong(fact), qlonglong(tolerance), qlonglong(fact - volume),
            qlonglong(density), qlonglong(temperature), qlonglong(density + rnd.range(-5, 5)), corrected,
            m.kind == 0 ? 1 : 0, note, m.kind == 2 ? kTransfer : (m.kind == 0 ? 1 : 0),
            m.kind == 2 ? QString() : tanker, m.kind == 2 ? QStringLiteral("Р-5") : QString(),
            m.kind == 0 ? QStringLiteral("ТН-%1").arg(4000 + opnum) : QString(),
            m.kind == 0 ? QVariant(supplier) : QVariant(), keeper};
        rows.add(row);
        if (corrected) {
            // The correcting entry: the same delivery with the volume by the note fixed.
            QVector<QVariant> fix = row;
            fix[0] = ++opnum;
            fix[5] = qlonglong(volume + 500 * kUnit);
            fix[13] = qlonglong(fact - volume - 500 * kUnit);
            fix[17] = 0;
            fix[19] = QStringLiteral("Исправление записи №%1").arg(opnum - 1);
            rows.add(fix);
            ++result.receipts;
        }
        (m.kind == 0 ? result.receipts : m.kind == 1 ? result.pumpOuts : result.transfers)++;
    }
    rows.finish();
    return result;
}

} // namespace velta::station
