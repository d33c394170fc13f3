#include "station/reports/journals/SalesHistoryReport.h"

#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"

#include <QMap>
#include <algorithm>

namespace velta::station {
namespace {

// The journal's code of a status row (no sale behind it).
constexpr int kStatusRow = 999;

QString operationName(int operation, int payCode)
{
    if (payCode == kStatusRow)
        return QStringLiteral("Открытие смены");
    switch (operation) {
    case 3: return QStringLiteral("Отпуск");
    case 4: return QStringLiteral("Отпуск, недолив");
    default: return QStringLiteral("Операция %1").arg(operation);
    }
}

QString doseName(int dose)
{
    switch (dose) {
    case 0: return QStringLiteral("литры");
    case 1: return QStringLiteral("сумма");
    case 2: return QStringLiteral("полный бак");
    default: return QString::number(dose);
    }
}

struct Totals {
    std::int64_t litres = 0;
    std::int64_t sum = 0;
    int sales = 0;
};

// The current shift: its opening time when it lies within the period (else
// from), and its line in the head.
QString currentShiftStart(StationDatabase& db, ReportDocument& document, const QString& from)
{
    QSqlQuery shift = db.query();
    shift.setForwardOnly(true);
    execQuery(shift, QStringLiteral("SELECT FIRST 1 SMNUM, CAST(BEGTIME AS VARCHAR(24)) FROM SMLOG ORDER BY SMNUM DESC"),
              QStringLiteral("Current shift"));
    if (!shift.next())
        return from;
    const QString opened = shift.value(1).toString();
    document.addHeadLine(
        QStringLiteral("Текущая смена №%1 (с %2)").arg(shift.value(0).toInt()).arg(shownTimestamp(opened)));
    return opened > from ? opened : from;
}

// The dispenser journal's rows from..to, with the sale behind each; one
// nozzle's sales (and every status row) when nozzle is not negative.
QSqlQuery historyRows(StationDatabase& db, const QString& dispenser, std::int64_t nozzle, const QString& from,
                      const QString& to)
{
    QString sql = QStringLiteral(
        "SELECT CAST(t.\"TIME\" AS VARCHAR(24)), l.GUN, t.GSM, t.OPERATION, t.OP1, t.OP2, "
        "CAST(t.LITERS AS VARCHAR(32)), CAST(t.SUMMA AS VARCHAR(32)), t.AUTOMOBIL, t.INDEXSALE, l.OPERATOR "
        "FROM TRK t LEFT JOIN LOGTRAN l ON l.INDEXSALE = t.INDEXSALE "
        "WHERE t.TRK = ? AND t.\"TIME\" >= CAST(? AS TIMESTAMP) AND t.\"TIME\" <= CAST(? AS TIMESTAMP)");
    if (nozzle >= 0)
        sql += QStringLiteral(" AND (l.GUN = ? OR t.OP1 = %1)").arg(kStatusRow);
    sql += QStringLiteral(" ORDER BY t.\"TIME\", t.ID");
    QSqlQuery query = db.prepare(sql);
    query.addBindValue(dispenser);
    query.addBindValue(from);
    query.addBindValue(to);
    if (nozzle >= 0)
        query.addBindValue(qlonglong(nozzle));
    execPrepared(query, QStringLiteral("Sales history"));
    return query;
}

ReportTable& addHistoryTable(ReportDocument& document)
{
    return document.addTable({{QStringLiteral("Время")},
                              {QStringLiteral("Пист."), CellAlign::Right},
                              {QStringLiteral("ГСМ")},
                              {QStringLiteral("Операция")},
                              {QStringLiteral("Вид оплаты")},
                              {QStringLiteral("Доза")},
                              {QStringLiteral("Литры"), CellAlign::Right},
                              {QStringLiteral("Сумма"), CellAlign::Right},
                              {QStringLiteral("Автомобиль")},
                              {QStringLiteral("Чек"), CellAlign::Right},
                              {QStringLiteral("Оператор")}});
}

} // namespace

namespace {

// Lists the rows of a history query (columns as historyRows selects them) with
// the totals by fuel under them; returns false when the document stopped at its limits.
bool addHistory(const ReportContext& context, ReportDocument& document, QSqlQuery& query, const QString& empty)
{
    const PayTypes payTypes(context.db());
    const ReportFormats& f = context.formats();
    ReportTable* table = nullptr;
    QMap<QString, Totals> byFuel;
    Totals all;
    while (query.next()) {
        if (!table)
            table = &addHistoryTable(document);
        const int payCode = query.value(4).toInt();
        const QString when = shownTimestamp(query.value(0));
        QStringList cells;
        if (payCode == kStatusRow) {
            cells << when << QString() << QString() << operationName(query.value(3).toInt(), payCode);
        } else {
            const QString fuel = query.value(2).toString().trimmed();
            const std::int64_t litres = scaledAmount(query.value(6));
            const std::int64_t sum = scaledAmount(query.value(7));
            cells << when << (query.value(1).isNull() ? QString() : query.value(1).toString()) << fuel
                  << operationName(query.value(3).toInt(), payCode) << payTypes.name(payCode)
                  << doseName(query.value(5).toInt()) << f.litres(units(litres)) << f.money(units(sum))
                  << query.value(8).toString().trimmed()
                  << (query.value(9).isNull() ? QString() : query.value(9).toString())
                  << query.value(10).toString().trimmed();
            Totals& t = byFuel[fuel];
            t.litres += litres;
            t.sum += sum;
            ++t.sales;
            all.litres += litres;
            all.sum += sum;
            ++all.sales;
        }
        if (!document.addRow(*table, cells))
            return false;
    }
    if (!table) {
        document.addParagraph(empty);
        return true;
    }
    for (auto it = byFuel.constBegin(); it != byFuel.constEnd(); ++it)
        table->totals << QStringList{QStringLiteral("Итого ") + it.key(), QString(), QString(),
                                     QStringLiteral("продаж: %1").arg(it.value().sales), QString(), QString(),
                                     f.litres(units(it.value().litres)), f.money(units(it.value().sum))};
    table->totals << QStringList{QStringLiteral("Всего"), QString(), QString(), QStringLiteral("продаж: %1").arg(all.sales),
                                 QString(), QString(), f.litres(units(all.litres)), f.money(units(all.sum))};
    return true;
}

// The journal form [dispenser, row]: the dispenser's journal rows from the
// newest down to the given row, as its history window lists them.
ReportDocument journalHistory(const ReportContext& context, const ReportParams& params)
{
    const QString dispenser = params.text(0).trimmed();
    const std::int64_t rows = params.integer(1);
    const QString unit = context.loadingRack() ? QStringLiteral("АСН") : QStringLiteral("ТРК");
    ReportDocument document = context.newDocument(QStringLiteral("История продаж по ") + unit);
    document.addHeadLine(unit + QStringLiteral(" №") + dispenser);
    document.addHeadLine(QStringLiteral("Последние записи журнала: %1").arg(std::max<std::int64_t>(rows, 0)));
    if (rows <= 0) {
        document.addParagraph(QStringLiteral("Записей нет"));
        return document;
    }
    QSqlQuery query = context.db().prepare(QStringLiteral(
        "SELECT FIRST %1 CAST(t.\"TIME\" AS VARCHAR(24)), l.GUN, t.GSM, t.OPERATION, t.OP1, t.OP2, "
        "CAST(t.LITERS AS VARCHAR(32)), CAST(t.SUMMA AS VARCHAR(32)), t.AUTOMOBIL, t.INDEXSALE, l.OPERATOR "
        "FROM TRK t LEFT JOIN LOGTRAN l ON l.INDEXSALE = t.INDEXSALE "
        "WHERE t.TRK = ? ORDER BY t.\"TIME\" DESC, t.ID DESC").arg(rows));
    query.addBindValue(dispenser);
    execPrepared(query, QStringLiteral("Dispenser journal history"));
    addHistory(context, document, query, QStringLiteral("Записей нет"));
    return document;
}

} // namespace

ReportDocument salesHistoryReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({5, 2});
    if (params.count() == 2)
        return journalHistory(context, params);
    const QString dispenser = params.text(0).trimmed();
    const std::int64_t nozzle = params.integer(1);
    const TDateTime begin = params.dateTime(2);
    const TDateTime end = params.dateTime(3);
    const bool current = params.boolean(4);
    StationDatabase& db = context.db();

    const QString unit = context.loadingRack() ? QStringLiteral("АСН") : QStringLiteral("ТРК");
    ReportDocument document = context.newDocument(QStringLiteral("История продаж по ") + unit);
    document.addHeadLine(unit + QStringLiteral(" №") + dispenser
                         + (nozzle >= 0 ? QStringLiteral(", пистолет %1").arg(nozzle) : QString()));
    QString from = sqlTimestamp(begin);
    if (current) // from the opening of the last shift of the log, within the period
        from = currentShiftStart(db, document, from);
    else
        document.addHeadLine(QStringLiteral("Период: с %1 по %2").arg(shownDateTime(begin), shownDateTime(end)));
    QSqlQuery query = historyRows(db, dispenser, nozzle, from, sqlTimestamp(end));
    addHistory(context, document, query, QStringLiteral("За период записей нет"));
    return document;
}

} // namespace velta::station
