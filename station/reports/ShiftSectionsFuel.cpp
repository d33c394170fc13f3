// The fuel sections of the shift report: dispensers and their meters, tanks,
// fuel receipts, pump-outs and the fuel movement.
#include "station/reports/ShiftSectionQueries.h"

#include <QMap>
#include <algorithm>
#include <map>

namespace velta::station {
namespace {

QString money(const ShiftScope& scope, Currency value)
{
    return scope.context.formats().money(asNumber(value));
}

QString litres(const ShiftScope& scope, Currency value)
{
    return scope.context.formats().litres(asNumber(value));
}

// Receipts of the fuel journal, the corrected entries left out (their
// correcting entries stand for them).
const char* const kReceiptFilter = "PRIHOD = 1 AND COR = 0";
// Pump-outs: outgoing entries that are not transfers between tanks.
const char* const kPumpOutFilter = "PRIHOD = 0 AND AUTO <> 4";
const char* const kTransferFilter = "PRIHOD = 0 AND AUTO = 4";

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
        Currency begin{0};
        Currency end{0};
        std::int64_t liters = 0;
        std::int64_t summa = 0;
    };
    QVector<Nozzle> nozzles;
    while (query.next()) {
        const QString dispenser = query.value(0).toString().trimmed();
        const int gun = query.value(1).toInt();
        // Over several shifts a nozzle starts at its first shift's meter and ends at its last's.
        if (nozzles.isEmpty() || nozzles.back().dispenser != dispenser || nozzles.back().gun != gun) {
            nozzles.push_back({dispenser, gun, query.value(2).toString().trimmed(), amountAt(query, 4)});
        }
        Nozzle& n = nozzles.back();
        n.end = amountAt(query, 5);
        n.liters += amountAt(query, 6).scaled;
        n.summa += amountAt(query, 7).scaled;
    }
    std::int64_t liters = 0;
    std::int64_t summa = 0;
    for (const Nozzle& n : nozzles) {
        liters += n.liters;
        summa += n.summa;
        section.rows << QStringList{n.dispenser, QString::number(n.gun), n.fuel, litres(scope, n.begin),
                                    litres(scope, n.end), litres(scope, Currency{n.liters}), money(scope, Currency{n.summa})};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), QString(),
                                  litres(scope, Currency{liters}), money(scope, Currency{summa})};
    return section;
}

ShiftSection tanksSection(const ShiftScope& scope)
{
    const ReportFormats& f = scope.context.formats();
    // Whole litres unless the settings keep the decimals.
    const int decimals = scope.roundRVal == 0 ? 0 : f.decL;
    const auto volume = [&](std::int64_t scaled) { return f.fixed(double(scaled) / 10000.0, decimals); };

    struct Tank {
        int id = 0;
        QString name;
        QString fuel;
        Currency capacity{0};
        std::int64_t in = 0;
        std::int64_t out = 0;
        std::int64_t moved = 0; // transfers: + in, - out
        std::int64_t sold = 0;
    };
    QVector<Tank> tanks;
    QMap<QString, int> byName;
    {
        QSqlQuery query = scope.context.db().query();
        query.setForwardOnly(true);
        execQuery(query, QStringLiteral("SELECT s.SILO_ID, s.NAME, g.NAME, s.CAPACITY FROM SILO s "
                                         "LEFT JOIN GSM g ON g.GSM_ID = s.GSM_ID ORDER BY s.SILO_ID"),
                  QStringLiteral("Tanks"));
        while (query.next()) {
            tanks.push_back({query.value(0).toInt(), query.value(1).toString().trimmed(),
                             query.value(2).toString().trimmed(), amountAt(query, 3)});
            byName.insert(tanks.back().name, int(tanks.size() - 1));
        }
    }
    const auto tankOf = [&](const QString& name) -> Tank* {
        const auto it = byName.constFind(name.trimmed());
        return it == byName.constEnd() ? nullptr : &tanks[*it];
    };
    {
        QSqlQuery query = shiftQuery(scope, QStringLiteral(
            "SELECT SILONAME, SILONAME2, PRIHOD, AUTO, FACT1 FROM PRX WHERE SMNUM BETWEEN ? AND ? AND COR = 0"));
        while (query.next()) {
            const std::int64_t fact = amountAt(query, 4).scaled;
            Tank* tank = tankOf(query.value(0).toString());
            if (query.value(2).toInt() == 1) {
                if (tank)
                    tank->in += fact;
            } else if (query.value(3).toInt() == 4) {
                if (tank)
                    tank->moved -= fact;
                if (Tank* target = tankOf(query.value(1).toString()))
                    target->moved += fact;
            } else if (tank) {
                tank->out += fact;
            }
        }
    }
    {
        QSqlQuery query = shiftQuery(scope, QStringLiteral(
            "SELECT g.SILO_ID, SUM(l.LITER) FROM LOGTRAN l JOIN TRKGUN g ON g.TRK = l.TRK AND g.GUN = l.GUN "
            "WHERE l.SMNUM BETWEEN ? AND ? GROUP BY g.SILO_ID"));
        while (query.next()) {
            for (Tank& tank : tanks) {
                if (tank.id == query.value(0).toInt())
                    tank.sold = amountAt(query, 1).scaled;
            }
        }
    }
    // By fuel name when asked, and always when volumes are grouped by fuel.
    const bool byFuel = scope.siloSortField == 1 || f.rezGrGSM;
    if (byFuel)
        std::stable_sort(tanks.begin(), tanks.end(), [](const Tank& a, const Tank& b) { return a.fuel < b.fuel; });

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
    const auto row = [&](const QString& first, const QString& fuel, const QString& capacity, const Tank& t) {
        return QStringList{first, fuel, capacity, volume(t.in), volume(t.out), volume(t.moved), volume(t.sold),
                           volume(t.in - t.out + t.moved - t.sold)};
    };
    Tank all;
    Tank group;
    for (qsizetype i = 0; i < tanks.size(); ++i) {
        const Tank& t = tanks[i];
        section.rows << row(t.name, t.fuel, volume(t.capacity.scaled), t);
        for (Tank* sum : {&all, &group}) {
            sum->in += t.in;
            sum->out += t.out;
            sum->moved += t.moved;
            sum->sold += t.sold;
        }
        if (f.rezGrGSM && (i + 1 == tanks.size() || tanks[i + 1].fuel != t.fuel)) {
            section.rows << row(QStringLiteral("Итого по ") + t.fuel, QString(), QString(), group);
            group = Tank{};
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
                       {QStringLiteral("Темп., °C"), CellAlign::Right}};
    section.tags = {QStringLiteral("TIME"), QStringLiteral("TTN"), QStringLiteral("GSM"), QStringLiteral("SILO"),
                    QStringLiteral("CAR"), QStringLiteral("VOLTTN"), QStringLiteral("FACT"), QStringLiteral("DELTA"),
                    QStringLiteral("PLOTN"), QStringLiteral("TEMPER")};
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT BEGTIME, TTNNUM, GSMNAME, SILONAME, CARNAME, CARVOLTTN, FACT1, DELTA, UDVES, TEMPER FROM PRX "
        "WHERE SMNUM BETWEEN ? AND ? AND %1 ORDER BY BEGTIME, OPNUM").arg(QLatin1String(kReceiptFilter)));
    std::int64_t byDocument = 0;
    std::int64_t fact = 0;
    std::int64_t delta = 0;
    while (query.next()) {
        byDocument += amountAt(query, 5).scaled;
        fact += amountAt(query, 6).scaled;
        delta += amountAt(query, 7).scaled;
        section.rows << QStringList{dateTimeText(query.value(0).toDateTime()), query.value(1).toString().trimmed(),
                                    query.value(2).toString().trimmed(), query.value(3).toString().trimmed(),
                                    query.value(4).toString().trimmed(), litres(scope, amountAt(query, 5)),
                                    litres(scope, amountAt(query, 6)), litres(scope, amountAt(query, 7)),
                                    f.fixed(asNumber(amountAt(query, 8)), 4), f.fixed(asNumber(amountAt(query, 9)), 1)};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), QString(),
                                  litres(scope, Currency{byDocument}), litres(scope, Currency{fact}),
                                  litres(scope, Currency{delta}), QString(), QString()};
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
        "SELECT BEGTIME, GSMNAME, SILONAME, CARNAME, CARVOLTTN, FACT1, PRIM FROM PRX "
        "WHERE SMNUM BETWEEN ? AND ? AND %1 ORDER BY BEGTIME, OPNUM").arg(QLatin1String(kPumpOutFilter)));
    std::int64_t volumeTotal = 0;
    std::int64_t factTotal = 0;
    while (query.next()) {
        volumeTotal += amountAt(query, 4).scaled;
        factTotal += amountAt(query, 5).scaled;
        section.rows << QStringList{dateTimeText(query.value(0).toDateTime()), query.value(1).toString().trimmed(),
                                    query.value(2).toString().trimmed(), query.value(3).toString().trimmed(),
                                    litres(scope, amountAt(query, 4)), litres(scope, amountAt(query, 5)),
                                    query.value(6).toString().trimmed()};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(),
                                  litres(scope, Currency{volumeTotal}), litres(scope, Currency{factTotal}), QString()};
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
            "SUM(CASE WHEN %3 THEN FACT1 ELSE 0 END) FROM PRX WHERE SMNUM BETWEEN ? AND ? GROUP BY GSMNAME")
                                                .arg(QLatin1String(kReceiptFilter), QLatin1String(kPumpOutFilter),
                                                     QLatin1String(kTransferFilter)));
        while (query.next()) {
            Movement& m = fuels[query.value(0).toString().trimmed()];
            m.in = amountAt(query, 1).scaled;
            m.out = amountAt(query, 2).scaled;
            m.moved = amountAt(query, 3).scaled;
        }
    }
    {
        QSqlQuery query = shiftQuery(
            scope, QStringLiteral("SELECT GSMNAME, SUM(LITER) FROM LOGTRAN WHERE SMNUM BETWEEN ? AND ? GROUP BY GSMNAME"));
        while (query.next())
            fuels[query.value(0).toString().trimmed()].sold = amountAt(query, 1).scaled;
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
        section.rows << QStringList{fuel, litres(scope, Currency{m.in}), litres(scope, Currency{m.out}),
                                    litres(scope, Currency{m.moved}), litres(scope, Currency{m.sold})};
    }
    section.totals << QStringList{QStringLiteral("Итого"), litres(scope, Currency{all.in}), litres(scope, Currency{all.out}),
                                  litres(scope, Currency{all.moved}), litres(scope, Currency{all.sold})};
    return section;
}

} // namespace velta::station
