// The fuel sections of the shift report: dispensers and their meters, tanks,
// fuel receipts, pump-outs and the fuel movement.
#include "station/reports/journals/FuelJournalReport.h"
#include "station/reports/shift/ShiftSectionQueries.h"

#include <QMap>
#include <algorithm>
#include <map>

namespace velta::station {
namespace {

QString money(const ShiftScope& scope, std::int64_t value)
{
    return scope.context.formats().money(units(value));
}

QString litres(const ShiftScope& scope, std::int64_t value)
{
    return scope.context.formats().litres(units(value));
}


} // namespace

ShiftSection dispensersSection(const ShiftScope& scope)
{
    ShiftSection section;
    section.columns = {{QStringLiteral("ТРК")},
                       {QStringLiteral("Пист."), CellAlign::Right},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Счетчик на\nначало, л"), CellAlign::Right},
                       {QStringLiteral("Счетчик на\nконец, л"), CellAlign::Right},
                       {QStringLiteral("Отпущено, л"), CellAlign::Right},
                       {QStringLiteral("Сумма, руб."), CellAlign::Right}};
    section.tags = {QStringLiteral("TRK"), QStringLiteral("GUN"), QStringLiteral("GSM"), QStringLiteral("BEGCOUNTER"),
                    QStringLiteral("ENDCOUNTER"), QStringLiteral("LITERS"), QStringLiteral("SUMMA")};
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT m.TRKNUM, m.GUN, m.GSMNAME, m.SMNUM, m.BEGCOUNTER, m.ENDCOUNTER, m.LITERS, m.SUMMA "
        "FROM SMTRK m LEFT JOIN TRKLIST t ON t.TRK = m.TRKNUM WHERE m.SMNUM BETWEEN ? AND ? "
        "ORDER BY t.SORTNUM, m.TRKNUM, m.GUN, m.SMNUM"));
    struct Nozzle {
        QString dispenser;
        int gun = 0;
        QString fuel;
        std::int64_t begin = 0;
        std::int64_t end = 0;
        std::int64_t liters = 0;
        std::int64_t summa = 0;
    };
    QVector<Nozzle> nozzles;
    while (query.next()) {
        const QString dispenser = query.value(0).toString().trimmed();
        const int gun = query.value(1).toInt();
        // Over several shifts a nozzle starts at its first shift's meter and ends at its last's.
        if (nozzles.isEmpty() || nozzles.back().dispenser != dispenser || nozzles.back().gun != gun) {
            nozzles.push_back({dispenser, gun, query.value(2).toString().trimmed(), scaledAmount(query.value(4))});
        }
        Nozzle& n = nozzles.back();
        n.end = scaledAmount(query.value(5));
        n.liters += scaledAmount(query.value(6));
        n.summa += scaledAmount(query.value(7));
    }
    std::int64_t liters = 0;
    std::int64_t summa = 0;
    for (const Nozzle& n : nozzles) {
        liters += n.liters;
        summa += n.summa;
        section.rows << QStringList{n.dispenser, QString::number(n.gun), n.fuel, litres(scope, n.begin),
                                    litres(scope, n.end), litres(scope, n.liters), money(scope, n.summa)};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), QString(),
                                  litres(scope, liters), money(scope, summa)};
    return section;
}

namespace {

// One tank's movement over the shifts.
struct TankMovement {
    int id = 0;
    QString name;
    QString fuel;
    std::int64_t capacity = 0;
    std::int64_t in = 0;
    std::int64_t out = 0;
    std::int64_t moved = 0; // transfers: + in, - out
    std::int64_t sold = 0;
};

QVector<TankMovement> stationTanks(const ShiftScope& scope)
{
    QVector<TankMovement> tanks;
    QSqlQuery query = scope.context.db().query();
    query.setForwardOnly(true);
    execQuery(query, QStringLiteral("SELECT s.SILO_ID, s.NAME, g.NAME, s.CAPACITY FROM SILO s "
                                     "LEFT JOIN GSM g ON g.GSM_ID = s.GSM_ID ORDER BY s.SILO_ID"),
              QStringLiteral("Tanks"));
    while (query.next())
        tanks.push_back({query.value(0).toInt(), query.value(1).toString().trimmed(),
                         query.value(2).toString().trimmed(), scaledAmount(query.value(3))});
    return tanks;
}

// Receipts, pump-outs and transfers of the shifts, by tank name.
void addFuelOperations(const ShiftScope& scope, QVector<TankMovement>& tanks)
{
    QMap<QString, int> byName;
    for (qsizetype i = 0; i < tanks.size(); ++i)
        byName.insert(tanks[i].name, int(i));
    const auto tankOf = [&](const QString& name) -> TankMovement* {
        const auto it = byName.constFind(name.trimmed());
        return it == byName.constEnd() ? nullptr : &tanks[*it];
    };
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT SILONAME, SILONAME2, PRIHOD, AUTO, FACT1 FROM PRX WHERE SMNUM BETWEEN ? AND ? AND %1")
                                            .arg(countedEntriesCondition()));
    while (query.next()) {
        const std::int64_t fact = scaledAmount(query.value(4));
        TankMovement* tank = tankOf(query.value(0).toString());
        if (query.value(2).toInt() == 1) {
            if (tank)
                tank->in += fact;
        } else if (query.value(3).toInt() == 4) {
            if (tank)
                tank->moved -= fact;
            if (TankMovement* target = tankOf(query.value(1).toString()))
                target->moved += fact;
        } else if (tank) {
            tank->out += fact;
        }
    }
}

// The litres sold from each tank through its nozzles.
void addSales(const ShiftScope& scope, QVector<TankMovement>& tanks)
{
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT g.SILO_ID, SUM(l.LITER) FROM LOGTRAN l JOIN TRKGUN g ON g.TRK = l.TRK AND g.GUN = l.GUN "
        "WHERE l.SMNUM BETWEEN ? AND ? GROUP BY g.SILO_ID"));
    while (query.next()) {
        for (TankMovement& tank : tanks) {
            if (tank.id == query.value(0).toInt())
                tank.sold = scaledAmount(query.value(1));
        }
    }
}

} // namespace

ShiftSection tanksSection(const ShiftScope& scope)
{
    const ReportFormats& f = scope.context.formats();
    // Whole litres unless the settings keep the decimals.
    const int decimals = scope.roundRVal == 0 ? 0 : f.decL;
    const auto volume = [&](std::int64_t scaled) { return f.fixed(double(scaled) / 10000.0, decimals); };

    QVector<TankMovement> tanks = stationTanks(scope);
    addFuelOperations(scope, tanks);
    addSales(scope, tanks);
    // By fuel name when asked, and always when volumes are grouped by fuel.
    const bool byFuel = scope.siloSortField == 1 || f.rezGrGSM;
    if (byFuel)
        std::stable_sort(tanks.begin(), tanks.end(),
                         [](const TankMovement& a, const TankMovement& b) { return a.fuel < b.fuel; });

    ShiftSection section;
    section.columns = {{QStringLiteral("Резервуар")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Емкость, л"), CellAlign::Right},
                       {QStringLiteral("Поступило, л"), CellAlign::Right},
                       {QStringLiteral("Откачано, л"), CellAlign::Right},
                       {QStringLiteral("Перекачка, л"), CellAlign::Right},
                       {QStringLiteral("Реализовано, л"), CellAlign::Right},
                       {QStringLiteral("Изменение\nостатка, л"), CellAlign::Right}};
    section.tags = {QStringLiteral("SILO"), QStringLiteral("GSM"), QStringLiteral("CAPACITY"), QStringLiteral("PRIHOD"),
                    QStringLiteral("OTKACHKA"), QStringLiteral("PEREKACHKA"), QStringLiteral("REAL"), QStringLiteral("DELTA")};
    const auto row = [&](const QString& first, const QString& fuel, const QString& capacity, const TankMovement& t) {
        return QStringList{first, fuel, capacity, volume(t.in), volume(t.out), volume(t.moved), volume(t.sold),
                           volume(t.in - t.out + t.moved - t.sold)};
    };
    TankMovement all;
    TankMovement group;
    for (qsizetype i = 0; i < tanks.size(); ++i) {
        const TankMovement& t = tanks[i];
        section.rows << row(t.name, t.fuel, volume(t.capacity), t);
        for (TankMovement* sum : {&all, &group}) {
            sum->in += t.in;
            sum->out += t.out;
            sum->moved += t.moved;
            sum->sold += t.sold;
        }
        if (f.rezGrGSM && (i + 1 == tanks.size() || tanks[i + 1].fuel != t.fuel)) {
            section.rows << row(QStringLiteral("Итого по ") + t.fuel, QString(), QString(), group);
            group = TankMovement{};
        }
    }
    section.totals << row(QStringLiteral("Итого"), QString(), QString(), all);
    section.notes << QStringLiteral("Изменение остатка = поступило - откачано + перекачка - реализовано.");
    return section;
}

ShiftSection receiptsSection(const ShiftScope& scope)
{
    const ReportFormats& f = scope.context.formats();
    ShiftSection section;
    section.columns = {{QStringLiteral("Время")},
                       {QStringLiteral("ТТН")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Резервуар")},
                       {QStringLiteral("Бензовоз")},
                       {QStringLiteral("По ТТН, л"), CellAlign::Right},
                       {QStringLiteral("Факт, л"), CellAlign::Right},
                       {QStringLiteral("Отклонение, л"), CellAlign::Right},
                       {QStringLiteral("Плотность"), CellAlign::Right},
                       {QStringLiteral("Темп., °C"), CellAlign::Right},
                       {QStringLiteral("Примечание")}};
    section.tags = {QStringLiteral("TIME"), QStringLiteral("TTN"), QStringLiteral("GSM"), QStringLiteral("SILO"),
                    QStringLiteral("CAR"), QStringLiteral("VOLTTN"), QStringLiteral("FACT"), QStringLiteral("DELTA"),
                    QStringLiteral("PLOTN"), QStringLiteral("TEMPER"), QStringLiteral("PRIM")};
    // The receipts journal's entries of the shifts: corrected ones listed and
    // marked as there, their correcting entries alone counted in the totals;
    // the density is the one measured on acceptance, as the journal shows it.
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT CAST(BEGTIME AS VARCHAR(24)), TTNNUM, GSMNAME, SILONAME, CARNAME, CARVOLTTN, FACT1, DELTA, FACTPLOTN, TEMPER, "
        "PRIM, COR FROM PRX WHERE SMNUM BETWEEN ? AND ? AND %1 ORDER BY BEGTIME, OPNUM")
                                            .arg(fuelJournalCondition(FuelJournalKind::Receipts)));
    std::int64_t byDocument = 0;
    std::int64_t fact = 0;
    std::int64_t delta = 0;
    while (query.next()) {
        const bool corrected = query.value(11).toInt() == 1;
        if (countsInTotals(corrected)) {
            byDocument += scaledAmount(query.value(5));
            fact += scaledAmount(query.value(6));
            delta += scaledAmount(query.value(7));
        }
        section.rows << QStringList{shownTimestamp(query.value(0)), query.value(1).toString().trimmed(),
                                    query.value(2).toString().trimmed(), query.value(3).toString().trimmed(),
                                    query.value(4).toString().trimmed(), litres(scope, scaledAmount(query.value(5))),
                                    litres(scope, scaledAmount(query.value(6))), litres(scope, scaledAmount(query.value(7))),
                                    f.fixed(units(scaledAmount(query.value(8))), 4), f.fixed(units(scaledAmount(query.value(9))), 1),
                                    fuelJournalNote(query.value(10).toString().trimmed(), corrected)};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), QString(),
                                  litres(scope, byDocument), litres(scope, fact),
                                  litres(scope, delta), QString(), QString(), QString()};
    return section;
}

ShiftSection pumpOutSection(const ShiftScope& scope)
{
    ShiftSection section;
    section.columns = {{QStringLiteral("Время")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Резервуар")},
                       {QStringLiteral("Бензовоз")},
                       {QStringLiteral("Объем, л"), CellAlign::Right},
                       {QStringLiteral("Факт, л"), CellAlign::Right},
                       {QStringLiteral("Примечание")}};
    section.tags = {QStringLiteral("TIME"), QStringLiteral("GSM"), QStringLiteral("SILO"), QStringLiteral("CAR"),
                    QStringLiteral("VOLUME"), QStringLiteral("FACT"), QStringLiteral("PRIM")};
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT CAST(BEGTIME AS VARCHAR(24)), GSMNAME, SILONAME, CARNAME, CARVOLTTN, FACT1, PRIM FROM PRX "
        "WHERE SMNUM BETWEEN ? AND ? AND %1 ORDER BY BEGTIME, OPNUM").arg(fuelJournalCondition(FuelJournalKind::PumpOuts)));
    std::int64_t volumeTotal = 0;
    std::int64_t factTotal = 0;
    while (query.next()) {
        volumeTotal += scaledAmount(query.value(4));
        factTotal += scaledAmount(query.value(5));
        section.rows << QStringList{shownTimestamp(query.value(0)), query.value(1).toString().trimmed(),
                                    query.value(2).toString().trimmed(), query.value(3).toString().trimmed(),
                                    litres(scope, scaledAmount(query.value(4))), litres(scope, scaledAmount(query.value(5))),
                                    query.value(6).toString().trimmed()};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(),
                                  litres(scope, volumeTotal), litres(scope, factTotal), QString()};
    return section;
}

ShiftSection movementSection(const ShiftScope& scope)
{
    struct Movement {
        std::int64_t in = 0;
        std::int64_t out = 0;
        std::int64_t moved = 0;
        std::int64_t sold = 0;
    };
    std::map<QString, Movement> fuels;
    {
        QSqlQuery query = shiftQuery(scope, QStringLiteral(
            "SELECT GSMNAME, SUM(CASE WHEN %1 THEN FACT1 ELSE 0 END), SUM(CASE WHEN %2 THEN FACT1 ELSE 0 END), "
            "SUM(CASE WHEN %3 THEN FACT1 ELSE 0 END) FROM PRX WHERE SMNUM BETWEEN ? AND ? AND %4 GROUP BY GSMNAME")
                                                .arg(fuelJournalCondition(FuelJournalKind::Receipts),
                                                     fuelJournalCondition(FuelJournalKind::PumpOuts),
                                                     fuelJournalCondition(FuelJournalKind::Transfers),
                                                     countedEntriesCondition()));
        while (query.next()) {
            Movement& m = fuels[query.value(0).toString().trimmed()];
            m.in = scaledAmount(query.value(1));
            m.out = scaledAmount(query.value(2));
            m.moved = scaledAmount(query.value(3));
        }
    }
    {
        QSqlQuery query = shiftQuery(
            scope, QStringLiteral("SELECT GSMNAME, SUM(LITER) FROM LOGTRAN WHERE SMNUM BETWEEN ? AND ? GROUP BY GSMNAME"));
        while (query.next())
            fuels[query.value(0).toString().trimmed()].sold = scaledAmount(query.value(1));
    }
    ShiftSection section;
    section.columns = {{QStringLiteral("ГСМ")},
                       {QStringLiteral("Поступило, л"), CellAlign::Right},
                       {QStringLiteral("Откачано, л"), CellAlign::Right},
                       {QStringLiteral("Перекачано\nмежду резерв., л"), CellAlign::Right},
                       {QStringLiteral("Реализовано, л"), CellAlign::Right}};
    section.tags = {QStringLiteral("GSM"), QStringLiteral("PRIHOD"), QStringLiteral("OTKACHKA"),
                    QStringLiteral("PEREKACHKA"), QStringLiteral("REAL")};
    Movement all;
    for (const auto& [fuel, m] : fuels) {
        all.in += m.in;
        all.out += m.out;
        all.moved += m.moved;
        all.sold += m.sold;
        section.rows << QStringList{fuel, litres(scope, m.in), litres(scope, m.out),
                                    litres(scope, m.moved), litres(scope, m.sold)};
    }
    section.totals << QStringList{QStringLiteral("Итого"), litres(scope, all.in), litres(scope, all.out),
                                  litres(scope, all.moved), litres(scope, all.sold)};
    return section;
}

} // namespace velta::station
