#include "station/reports/period/PeriodReleaseReport.h"

#include "common/Exception.h"
#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"

#include <QHash>
#include <QMap>
#include <algorithm>
#include <array>
#include <vector>
#include <functional>
#include <numeric>

namespace velta::station {
namespace {

struct Sale {
    QString time;
    int shift = 0;
    QString dispenser;
    QString fuel;
    int payCode = 0;
    int client = 0;
    QString car;
    QString driver;
    QString tripSheet;
    std::int64_t price = 0;
    std::int64_t litres = 0;
    std::int64_t mass = 0;
    std::int64_t sum = 0;
};

struct Amounts {
    std::int64_t litres = 0;
    std::int64_t mass = 0;
    std::int64_t sum = 0;
    int sales = 0;
    void add(const Sale& s)
    {
        litres += s.litres;
        mass += s.mass;
        sum += s.sum;
        ++sales;
    }
};

// Which sales a report takes: payment types always, a client's numbers, car or driver numbers when given.
struct SaleFilter {
    QVector<int> payCodes;
    QVector<int> clients;
    QVector<int> cars;
    QVector<int> drivers;
};

QVector<Sale> fetchSales(StationDatabase& db, const ReportPeriod& period, const SaleFilter& filter)
{
    QString sql = QStringLiteral(
        "SELECT CAST(l.DATA AS VARCHAR(24)), l.SMNUM, l.TRK, l.GSMNAME, l.VIDOPL, l.IDCNT, car.NAME, drv.NAME, "
        "l.PLISTNUM, CAST(l.PRICE AS VARCHAR(32)), CAST(l.LITER AS VARCHAR(32)), CAST(l.PLOTN AS VARCHAR(32)), "
        "CAST(l.SUMMA AS VARCHAR(32)) "
        "FROM LOGTRAN l LEFT JOIN VDCAR car ON car.ID = l.IDCAR LEFT JOIN VDDRIVER drv ON drv.ID = l.IDDRV "
        "WHERE l.DATA >= CAST(? AS TIMESTAMP) AND l.DATA < CAST(? AS TIMESTAMP) AND l.VIDOPL IN (%1)")
                      .arg(placeholders(int(filter.payCodes.size())));
    if (!filter.clients.isEmpty())
        sql += QStringLiteral(" AND l.IDCNT IN (%1)").arg(placeholders(int(filter.clients.size())));
    if (!filter.cars.isEmpty())
        sql += QStringLiteral(" AND l.IDCAR IN (%1)").arg(placeholders(int(filter.cars.size())));
    if (!filter.drivers.isEmpty())
        sql += QStringLiteral(" AND l.IDDRV IN (%1)").arg(placeholders(int(filter.drivers.size())));
    sql += QStringLiteral(" ORDER BY l.DATA, l.INDEXSALE");
    QSqlQuery query = db.prepare(sql);
    query.addBindValue(sqlTimestamp(period.begin));
    query.addBindValue(period.sqlEnd());
    for (int code : filter.payCodes)
        query.addBindValue(code);
    for (int id : filter.clients)
        query.addBindValue(QString::number(id));
    for (int id : filter.cars)
        query.addBindValue(id);
    for (int id : filter.drivers)
        query.addBindValue(id);
    query.setForwardOnly(true);
    execPrepared(query, QStringLiteral("Period release"));
    QVector<Sale> sales;
    while (query.next()) {
        Sale s;
        s.time = shownTimestamp(query.value(0));
        s.shift = query.value(1).toInt();
        s.dispenser = query.value(2).toString().trimmed();
        s.fuel = query.value(3).toString().trimmed();
        s.payCode = query.value(4).toInt();
        s.client = query.value(5).toString().trimmed().toInt();
        s.car = query.value(6).toString().trimmed();
        s.driver = query.value(7).toString().trimmed();
        s.tripSheet = query.value(8).toString().trimmed();
        s.price = scaledAmount(query.value(9));
        s.litres = scaledAmount(query.value(10));
        s.mass = massOf(s.litres, scaledAmount(query.value(11)));
        s.sum = scaledAmount(query.value(12));
        sales.push_back(std::move(s));
    }
    return sales;
}

// The columns of a sales table; the car or driver column is left out when the
// whole table is about one car or one driver.
struct SaleColumns {
    bool car = true;
    bool driver = true;
};

QVector<ReportColumn> saleColumns(SaleColumns shown)
{
    QVector<ReportColumn> columns = {{QStringLiteral("Дата, время")}, {QStringLiteral("Смена"), CellAlign::Right},
                                     {QStringLiteral("ТРК"), CellAlign::Right}, {QStringLiteral("ГСМ")},
                                     {QStringLiteral("Вид оплаты")}};
    if (shown.car)
        columns << ReportColumn{QStringLiteral("Автомобиль")};
    if (shown.driver)
        columns << ReportColumn{QStringLiteral("Водитель")};
    columns << ReportColumn{QStringLiteral("Путевой\nлист")} << ReportColumn{QStringLiteral("Цена"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Литры"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Масса, кг"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Сумма"), CellAlign::Right};
    return columns;
}

class SalesTableWriter {
public:
    SalesTableWriter(ReportDocument& document, const ReportFormats& formats, const PayTypes& payTypes, SaleColumns shown)
        : document_(document), f_(formats), payTypes_(payTypes), shown_(shown)
    {
    }

    // One table of sales with its totals by fuel; false once the report hit its limits.
    bool write(const QVector<const Sale*>& sales, const QString& totalLabel)
    {
        ReportTable& table = document_.addTable(saleColumns(shown_));
        QMap<QString, Amounts> byFuel;
        // Sales of one fuel come in runs: the run's totals are looked up once.
        Amounts* fuelAmounts = nullptr;
        const QString* fuel = nullptr;
        Amounts all;
        for (const Sale* s : sales) {
            QStringList cells;
            cells.reserve(12);
            cells << s->time << shiftText(s->shift) << s->dispenser << s->fuel << payTypeName(s->payCode);
            if (shown_.car)
                cells << s->car;
            if (shown_.driver)
                cells << s->driver;
            cells << s->tripSheet << f_.money(units(s->price)) << f_.litres(units(s->litres))
                  << f_.kilograms(units(s->mass)) << f_.money(units(s->sum));
            if (!document_.addRow(table, cells))
                return false;
            if (!fuel || *fuel != s->fuel) {
                fuel = &s->fuel;
                fuelAmounts = &byFuel[s->fuel];
            }
            fuelAmounts->add(*s);
            all.add(*s);
        }
        if (byFuel.size() > 1)
            for (auto it = byFuel.constBegin(); it != byFuel.constEnd(); ++it)
                table.totals << totals(QStringLiteral("Итого ") + it.key(), it.value());
        table.totals << totals(totalLabel, all);
        return true;
    }

    QStringList totals(const QString& label, const Amounts& a) const
    {
        QStringList cells = {label, QString(), QString(), QString(), QStringLiteral("продаж: %1").arg(a.sales)};
        if (shown_.car)
            cells << QString();
        if (shown_.driver)
            cells << QString();
        cells << QString() << QString() << f_.litres(units(a.litres)) << f_.kilograms(units(a.mass)) << f_.money(units(a.sum));
        return cells;
    }

private:
    // Payment type names by code, looked up once per code.
    const QString& payTypeName(int code)
    {
        auto found = payNames_.constFind(code);
        if (found == payNames_.constEnd())
            found = payNames_.insert(code, payTypes_.name(code));
        return *found;
    }

    // Shift numbers as text, made once per shift.
    const QString& shiftText(int shift)
    {
        auto found = shiftTexts_.constFind(shift);
        if (found == shiftTexts_.constEnd())
            found = shiftTexts_.insert(shift, QString::number(shift));
        return *found;
    }

    QHash<int, QString> payNames_;
    QHash<int, QString> shiftTexts_;
    ReportDocument& document_;
    const ReportFormats& f_;
    const PayTypes& payTypes_;
    SaleColumns shown_;
};

QString payTypeLine(const PayTypes& payTypes, const QVector<int>& codes)
{
    QStringList names;
    for (int code : codes)
        names << payTypes.name(code);
    return QStringLiteral("Виды оплаты: ") + names.join(QStringLiteral(", "));
}

// The numbers of a contragent's cars or drivers of a name (deleted ones too:
// their sales stay in the history).
QVector<int> detailIds(StationDatabase& db, const QString& table, const QVector<int>& clients, const QString& name)
{
    QSqlQuery query = db.prepare(QStringLiteral("SELECT ID FROM %1 WHERE NAME = ? AND (CID IN (%2) OR CONTR_ID IN (%2)) ORDER BY ID")
                                     .arg(table, placeholders(int(clients.size()))));
    query.addBindValue(name);
    for (int pass = 0; pass < 2; ++pass)
        for (int id : clients)
            query.addBindValue(id);
    execPrepared(query, QStringLiteral("Cars and drivers"));
    QVector<int> ids;
    while (query.next())
        ids << query.value(0).toInt();
    return ids;
}

QVector<const Sale*> pointersTo(const QVector<Sale>& sales)
{
    QVector<const Sale*> out;
    for (const Sale& s : sales)
        out << &s;
    return out;
}

// The period and the payment types in the head, then the period's sales;
// none is said in the body.
QVector<Sale> periodSales(ReportDocument& document, StationDatabase& db, const ReportPeriod& period,
                          const PayTypes& payTypes, const SaleFilter& filter)
{
    document.addHeadLine(period.shown());
    document.addHeadLine(payTypeLine(payTypes, filter.payCodes));
    QVector<Sale> sales = fetchSales(db, period, filter);
    if (sales.isEmpty())
        document.addParagraph(QStringLiteral("За период отпусков нет"));
    return sales;
}

} // namespace

ReportDocument statementReleaseReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({4});
    const ReportPeriod period = ReportPeriod::read(params, 0);
    StationDatabase& db = context.db();
    const PayTypes payTypes(db);
    SaleFilter filter;
    filter.payCodes = payTypes.selected(params.integers(2), params.integers(3), PayTypes::WhenNoneChosen::StatementTypes);

    ReportDocument document = context.newDocument(
        QStringLiteral("ОТПУСК ПО \"%1\" ЗА ВЫБРАННЫЙ ПЕРИОД").arg(payTypes.nameAtPosition(4)));
    const QVector<Sale> sales = periodSales(document, db, period, payTypes, filter);
    if (sales.isEmpty())
        return document;
    // One table a client, in the order of their names, then the clients side by side.
    QMap<int, QVector<const Sale*>> byClient;
    for (const Sale& s : sales)
        byClient[s.client] << &s;
    QMap<QString, int> order;
    for (auto it = byClient.constBegin(); it != byClient.constEnd(); ++it) {
        const QString name = it.key() ? contragentName(db, it.key()) : QString();
        order.insert((name.isEmpty() ? QStringLiteral("Без контрагента") : name) + QChar(0) + QString::number(it.key()), it.key());
    }
    SalesTableWriter writer(document, context.formats(), payTypes, {});
    const ReportFormats& f = context.formats();
    QVector<QStringList> summary;
    Amounts all;
    for (auto it = order.constBegin(); it != order.constEnd(); ++it) {
        const QString name = it.key().section(QChar(0), 0, 0);
        document.addHeading(QStringLiteral("Контрагент: ") + name);
        if (!writer.write(byClient.value(it.value()), QStringLiteral("Итого по контрагенту")))
            return document;
        Amounts a;
        for (const Sale* s : byClient.value(it.value()))
            a.add(*s);
        all.litres += a.litres;
        all.mass += a.mass;
        all.sum += a.sum;
        all.sales += a.sales;
        summary << QStringList{name, QString::number(a.sales), f.litres(units(a.litres)), f.kilograms(units(a.mass)),
                               f.money(units(a.sum))};
    }
    document.addHeading(QStringLiteral("Итого по контрагентам"));
    ReportTable& table = document.addTable({{QStringLiteral("Контрагент")}, {QStringLiteral("Продаж"), CellAlign::Right},
                                            {QStringLiteral("Литры"), CellAlign::Right},
                                            {QStringLiteral("Масса, кг"), CellAlign::Right},
                                            {QStringLiteral("Сумма"), CellAlign::Right}});
    for (const QStringList& row : summary)
        if (!document.addRow(table, row))
            return document;
    table.totals << QStringList{QStringLiteral("Всего"), QString::number(all.sales), f.litres(units(all.litres)),
                                f.kilograms(units(all.mass)), f.money(units(all.sum))};
    return document;
}

namespace {

// A grouping level of the contragent release: the key of a sale and its label.
struct GroupLevel {
    std::function<QString(const Sale&)> key;
    QString label;
};

// Grouping levels, outer first: drivers before cars when the window lists them so.
QVector<GroupLevel> groupLevels(bool byDrivers, bool byCars, bool driverFirst)
{
    const auto named = [](const QString& name) { return name.isEmpty() ? QStringLiteral("(не указан)") : name; };
    QVector<GroupLevel> levels;
    if (byDrivers)
        levels << GroupLevel{[named](const Sale& s) { return named(s.driver); }, QStringLiteral("Водитель")};
    if (byCars) {
        const GroupLevel cars{[named](const Sale& s) { return named(s.car); }, QStringLiteral("Автомобиль")};
        if (driverFirst || !byDrivers)
            levels << cars;
        else
            levels.prepend(cars);
    }
    return levels;
}

// A sale's place in the grouped order: the ranks of its keys, level by level.
struct RankedSale {
    std::array<int, 2> ranks{};
    qsizetype index = 0;
};

// The sales ordered by the ranks of their grouping keys: the few distinct
// names are compared once, not at every step of the sort, and a group ends
// where the ranks change.
std::vector<RankedSale> rankSales(const QVector<Sale>& sales, const QVector<GroupLevel>& levels)
{
    std::vector<RankedSale> ranked(std::size_t(sales.size()));
    for (qsizetype l = 0; l < levels.size(); ++l) {
        QHash<QString, int> rankOf;
        QVector<qsizetype> keyIndex(sales.size());
        QStringList names;
        for (qsizetype i = 0; i < sales.size(); ++i) {
            const QString key = levels[l].key(sales.at(i));
            auto found = rankOf.constFind(key);
            if (found == rankOf.constEnd()) {
                found = rankOf.insert(key, int(names.size()));
                names << key;
            }
            keyIndex[i] = *found;
        }
        QVector<int> order(names.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return QString::compare(names.at(a), names.at(b)) < 0; });
        QVector<int> rank(names.size());
        for (int r = 0; r < order.size(); ++r)
            rank[order[r]] = r;
        for (qsizetype i = 0; i < sales.size(); ++i) {
            ranked[std::size_t(i)].ranks[std::size_t(l)] = rank[keyIndex[i]];
            ranked[std::size_t(i)].index = i;
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const RankedSale& a, const RankedSale& b) { return a.ranks < b.ranks; });
    return ranked;
}

// Writes the grouped sales: a heading per outer group, a line per inner one,
// a table per innermost group and the outer group's total under it. Adds
// every sale to all. False when the document stopped at its limits.
bool writeGroupedSales(ReportDocument& document, SalesTableWriter& writer, const ReportFormats& f,
                       const QVector<Sale>& sales, const QVector<GroupLevel>& levels, Amounts& all)
{
    const std::vector<RankedSale> ranked = rankSales(sales, levels);
    QVector<const Sale*> group;
    Amounts outerSum;
    auto flushGroup = [&]() {
        if (group.isEmpty())
            return true;
        const bool ok = writer.write(group, QStringLiteral("Итого"));
        group.clear();
        return ok;
    };
    auto outerTotal = [&](const QString& outerName) {
        if (levels.size() == 2)
            document.addParagraph(QStringLiteral("Итого по %1 %2: продаж %3, %4 л, %5 кг, на сумму %6")
                                      .arg(levels.front().label == QStringLiteral("Водитель") ? QStringLiteral("водителю")
                                                                                              : QStringLiteral("автомобилю"),
                                           outerName)
                                      .arg(outerSum.sales)
                                      .arg(f.litres(units(outerSum.litres)), f.kilograms(units(outerSum.mass)),
                                           f.money(units(outerSum.sum))));
        outerSum = {};
    };
    QString outer;
    for (int i = 0; i < sales.size(); ++i) {
        const Sale& s = sales.at(ranked[std::size_t(i)].index);
        const std::array<int, 2>& ranks = ranked[std::size_t(i)].ranks;
        const bool newOuter = i == 0 || ranks[0] != ranked[std::size_t(i - 1)].ranks[0];
        if (newOuter || ranks[1] != ranked[std::size_t(i - 1)].ranks[1]) {
            const QString o = levels.front().key(s);
            const QString n = levels.size() == 2 ? levels.back().key(s) : QString();
            if (!flushGroup())
                return false;
            if (newOuter) {
                if (i > 0)
                    outerTotal(outer);
                document.addHeading(levels.front().label + QStringLiteral(": ") + o);
            }
            if (levels.size() == 2)
                document.addParagraph(levels.back().label + QStringLiteral(": ") + n);
            outer = o;
        }
        group << &s;
        outerSum.add(s);
        all.add(s);
    }
    if (!flushGroup())
        return false;
    outerTotal(outer);
    return true;
}

} // namespace

ReportDocument contragentReleaseReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({7, 8});
    const ReportPeriod period = ReportPeriod::read(params, 0);
    const QString name = params.text(2);
    const bool byDrivers = params.boolean(3);
    const bool byCars = params.boolean(4);
    const bool driverFirst = params.boolean(5);
    StationDatabase& db = context.db();
    const PayTypes payTypes(db);
    SaleFilter filter;
    filter.payCodes = payTypes.selected(params.integers(6), params.count() == 8 ? params.integers(7) : QVector<std::int64_t>{},
                                       PayTypes::WhenNoneChosen::StatementTypes);
    filter.clients = contragentIds(db, name);

    ReportDocument document = context.newDocument(QStringLiteral("ОТПУСК ПО КОНТРАГЕНТУ ЗА ВЫБРАННЫЙ ПЕРИОД"));
    document.addHeadLine(QStringLiteral("Контрагент: ") + name);
    const QVector<Sale> sales = periodSales(document, db, period, payTypes, filter);
    if (sales.isEmpty())
        return document;
    const QVector<GroupLevel> levels = groupLevels(byDrivers, byCars, driverFirst);
    // A grouped column is named in the group's heading instead.
    SalesTableWriter writer(document, context.formats(), payTypes, {!byCars, !byDrivers});
    if (levels.isEmpty()) {
        writer.write(pointersTo(sales), QStringLiteral("Итого по контрагенту"));
        return document;
    }
    const ReportFormats& f = context.formats();
    Amounts all;
    if (!writeGroupedSales(document, writer, f, sales, levels, all))
        return document;
    document.addParagraph(QStringLiteral("Всего по контрагенту: продаж %1, %2 л, %3 кг, на сумму %4")
                              .arg(all.sales)
                              .arg(f.litres(units(all.litres)), f.kilograms(units(all.mass)), f.money(units(all.sum))));
    return document;
}

namespace {

ReportDocument oneDetailReport(const ReportContext& context, const ReportParams& params, bool car)
{
    params.expectCount({6});
    const ReportPeriod period = ReportPeriod::read(params, 0);
    const QString name = params.text(2);
    const QString detail = params.text(3);
    StationDatabase& db = context.db();
    const PayTypes payTypes(db);
    SaleFilter filter;
    filter.payCodes = payTypes.selected(params.integers(4), params.integers(5), PayTypes::WhenNoneChosen::StatementTypes);
    filter.clients = contragentIds(db, name);
    const QVector<int> ids = detailIds(db, car ? QStringLiteral("VDCAR") : QStringLiteral("VDDRIVER"), filter.clients, detail);
    if (ids.isEmpty())
        throw EDatabaseError((car ? QStringLiteral("Автомобиль \"%1\" контрагента \"%2\" не найден")
                                  : QStringLiteral("Водитель \"%1\" контрагента \"%2\" не найден"))
                                 .arg(detail, name));
    (car ? filter.cars : filter.drivers) = ids;

    ReportDocument document = context.newDocument(car ? QStringLiteral("ОТПУСК ПО АВТОМОБИЛЮ ЗА ВЫБРАННЫЙ ПЕРИОД")
                                                      : QStringLiteral("ОТПУСК ВОДИТЕЛЮ ЗА ВЫБРАННЫЙ ПЕРИОД"));
    document.addHeadLine(QStringLiteral("Контрагент: ") + name);
    document.addHeadLine((car ? QStringLiteral("Автомобиль: ") : QStringLiteral("Водитель: ")) + detail);
    const QVector<Sale> sales = periodSales(document, db, period, payTypes, filter);
    if (sales.isEmpty())
        return document;
    SalesTableWriter writer(document, context.formats(), payTypes, {!car, car});
    writer.write(pointersTo(sales), QStringLiteral("Итого"));
    return document;
}

} // namespace

ReportDocument carReleaseReport(const ReportContext& context, const ReportParams& params)
{
    return oneDetailReport(context, params, true);
}

ReportDocument driverReleaseReport(const ReportContext& context, const ReportParams& params)
{
    return oneDetailReport(context, params, false);
}

} // namespace velta::station
