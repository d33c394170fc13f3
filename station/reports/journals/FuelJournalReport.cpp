#include "station/reports/journals/FuelJournalReport.h"

#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"

#include <QMap>
#include <algorithm>

namespace velta::station {
namespace {

using Journal = FuelJournalKind;

struct JournalRow {
    int opNum = 0;
    QString begin;
    int shift = 0;
    QString tank;
    QString tank2;
    QString fuel;
    QString tanker;
    QString waybill;
    QString keeper;
    std::int64_t byDocument = 0;
    std::int64_t fact = 0;
    std::int64_t density = 0;
    QString operatorName;
    QString note;
    bool corrected = false;
};

struct Amounts {
    int operations = 0;
    std::int64_t byDocument = 0;
    std::int64_t fact = 0;
    std::int64_t mass = 0;
    void add(const JournalRow& row)
    {
        if (!countsInTotals(row.corrected))
            return;
        ++operations;
        byDocument += row.byDocument;
        fact += row.fact;
        mass += massOf(row.fact, row.density);
    }
};

// Which operations the array asks for: a range of numbers, the current shift or none.
struct OperationRange {
    bool none = false;
    bool currentShift = false;
    std::int64_t first = 0;
    std::int64_t last = 0;
};

OperationRange rangeOf(const ReportParams& params, int offset)
{
    const std::int64_t a = params.integer(offset);
    const std::int64_t b = params.integer(offset + 1);
    OperationRange range;
    if (a == -1 && b == -1)
        range.currentShift = true;
    else if (a == 1 && b == 0)
        range.none = true;
    else {
        range.first = std::min(a, b);
        range.last = std::max(a, b);
    }
    return range;
}

QVector<JournalRow> fetchRows(StationDatabase& db, Journal journal, const OperationRange& range, QString& shiftBegin)
{
    QString where = fuelJournalCondition(journal, QStringLiteral("p."));
    QVariantList binds;
    if (range.currentShift) {
        // The current shift is the last one the log has.
        QSqlQuery shift = db.query();
        shift.setForwardOnly(true);
        execQuery(shift, QStringLiteral("SELECT FIRST 1 CAST(BEGTIME AS VARCHAR(24)) FROM SMLOG ORDER BY SMNUM DESC"), QStringLiteral("Current shift"));
        if (!shift.next())
            return {};
        shiftBegin = shift.value(0).toString();
        where += QStringLiteral(" AND p.BEGTIME >= CAST(? AS TIMESTAMP)");
        binds << shiftBegin;
    } else {
        where += QStringLiteral(" AND p.OPNUM BETWEEN ? AND ?");
        binds << qlonglong(range.first) << qlonglong(range.last);
    }
    QSqlQuery query = db.prepare(QStringLiteral(
        "SELECT p.OPNUM, CAST(p.BEGTIME AS VARCHAR(24)), p.SMNUM, p.SILONAME, p.SILONAME2, p.GSMNAME, p.CARNAME, "
        "p.TTNNUM, k.NAME, CAST(p.CARVOLTTN AS VARCHAR(32)), CAST(p.FACT1 AS VARCHAR(32)), "
        "CAST(p.FACTPLOTN AS VARCHAR(32)), p.OPERATOR, p.PRIM, p.COR "
        "FROM PRX p LEFT JOIN CONTRAGENT k ON k.CONTR_ID = p.KEEPER_ID WHERE %1 ORDER BY p.OPNUM").arg(where));
    for (const QVariant& value : binds)
        query.addBindValue(value);
    execPrepared(query, QStringLiteral("Fuel journal"));
    QVector<JournalRow> rows;
    while (query.next()) {
        JournalRow row;
        row.opNum = query.value(0).toInt();
        row.begin = shownTimestamp(query.value(1));
        row.shift = query.value(2).toInt();
        row.tank = query.value(3).toString().trimmed();
        row.tank2 = query.value(4).toString().trimmed();
        row.fuel = query.value(5).toString().trimmed();
        row.tanker = query.value(6).toString().trimmed();
        row.waybill = query.value(7).toString().trimmed();
        row.keeper = query.value(8).toString().trimmed();
        row.byDocument = scaledAmount(query.value(9));
        row.fact = scaledAmount(query.value(10));
        row.density = scaledAmount(query.value(11));
        row.operatorName = query.value(12).toString().trimmed();
        row.note = query.value(13).toString().trimmed();
        row.corrected = query.value(14).toInt() == 1;
        rows << row;
    }
    return rows;
}

QVector<ReportColumn> columnsOf(Journal journal)
{
    QVector<ReportColumn> columns = {{QStringLiteral("№"), CellAlign::Right}, {QStringLiteral("Дата, время")},
                                     {QStringLiteral("Смена"), CellAlign::Right}};
    switch (journal) {
    case Journal::Receipts:
        columns << ReportColumn{QStringLiteral("Резер-\nвуар")} << ReportColumn{QStringLiteral("ГСМ")}
                << ReportColumn{QStringLiteral("Бензовоз")} << ReportColumn{QStringLiteral("ТТН")}
                << ReportColumn{QStringLiteral("По ТТН,\nл"), CellAlign::Right}
                << ReportColumn{QStringLiteral("Принято,\nл"), CellAlign::Right}
                << ReportColumn{QStringLiteral("Разница,\nл"), CellAlign::Right};
        break;
    case Journal::PumpOuts:
        columns << ReportColumn{QStringLiteral("Резер-\nвуар")} << ReportColumn{QStringLiteral("ГСМ")}
                << ReportColumn{QStringLiteral("Бензовоз")} << ReportColumn{QStringLiteral("Хранитель")}
                << ReportColumn{QStringLiteral("По документу,\nл"), CellAlign::Right}
                << ReportColumn{QStringLiteral("Откачано,\nл"), CellAlign::Right};
        break;
    case Journal::Transfers:
        columns << ReportColumn{QStringLiteral("Из резер-\nвуара")} << ReportColumn{QStringLiteral("В резер-\nвуар")}
                << ReportColumn{QStringLiteral("ГСМ")} << ReportColumn{QStringLiteral("По заданию,\nл"), CellAlign::Right}
                << ReportColumn{QStringLiteral("Перекачано,\nл"), CellAlign::Right};
        break;
    }
    columns << ReportColumn{QStringLiteral("Плот-\nность"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Масса,\nкг"), CellAlign::Right} << ReportColumn{QStringLiteral("Оператор")}
            << ReportColumn{QStringLiteral("Примечание")};
    return columns;
}

QStringList cellsOf(Journal journal, const JournalRow& row, const ReportFormats& f)
{
    QStringList cells = {QString::number(row.opNum), row.begin, QString::number(row.shift)};
    switch (journal) {
    case Journal::Receipts:
        cells << row.tank << row.fuel << row.tanker << row.waybill << f.litres(units(row.byDocument))
              << f.litres(units(row.fact)) << f.litres(units(row.fact - row.byDocument));
        break;
    case Journal::PumpOuts:
        cells << row.tank << row.fuel << row.tanker << row.keeper << f.litres(units(row.byDocument))
              << f.litres(units(row.fact));
        break;
    case Journal::Transfers:
        cells << row.tank << row.tank2 << row.fuel << f.litres(units(row.byDocument)) << f.litres(units(row.fact));
        break;
    }
    cells << f.fixed(units(row.density), 4) << f.kilograms(units(massOf(row.fact, row.density))) << row.operatorName
          << fuelJournalNote(row.note, row.corrected);
    return cells;
}

// A totals line: the label under the first columns, the amounts in theirs.
QStringList totalsOf(Journal journal, const QString& label, const Amounts& sum, const ReportFormats& f)
{
    QStringList cells = {QString(), label, QString()};
    switch (journal) {
    case Journal::Receipts:
        cells << QString() << QString() << QString() << QString() << f.litres(units(sum.byDocument))
              << f.litres(units(sum.fact)) << f.litres(units(sum.fact - sum.byDocument));
        break;
    case Journal::PumpOuts:
        cells << QString() << QString() << QString() << QString() << f.litres(units(sum.byDocument))
              << f.litres(units(sum.fact));
        break;
    case Journal::Transfers:
        cells << QString() << QString() << QString() << f.litres(units(sum.byDocument)) << f.litres(units(sum.fact));
        break;
    }
    cells << QString() << f.kilograms(units(sum.mass));
    return cells;
}

ReportDocument journalReport(const ReportContext& context, const ReportParams& params, Journal journal,
                             const QString& title)
{
    const int offset = journal == Journal::Transfers ? 1 : 0;
    params.expectCount({offset + 2});
    const OperationRange range = rangeOf(params, offset);

    ReportDocument document = context.newDocument(title);
    if (range.none) {
        document.addHeadLine(QStringLiteral("Операций за выбранные смены нет"));
        return document;
    }
    QString shiftBegin;
    const QVector<JournalRow> rows = fetchRows(context.db(), journal, range, shiftBegin);
    if (range.currentShift)
        document.addHeadLine(QStringLiteral("Текущая смена (с %1)").arg(shownTimestamp(shiftBegin)));
    else
        document.addHeadLine(QStringLiteral("Операции с №%1 по №%2").arg(range.first).arg(range.last));
    if (rows.isEmpty()) {
        document.addParagraph(QStringLiteral("Операций нет"));
        return document;
    }

    const ReportFormats& f = context.formats();
    ReportTable& table = document.addTable(columnsOf(journal));
    QMap<QString, Amounts> byFuel;
    Amounts all;
    for (const JournalRow& row : rows) {
        if (!document.addRow(table, cellsOf(journal, row, f)))
            return document;
        byFuel[row.fuel].add(row);
        all.add(row);
    }
    if (byFuel.size() > 1)
        for (auto it = byFuel.constBegin(); it != byFuel.constEnd(); ++it)
            table.totals << totalsOf(journal, QStringLiteral("Итого ") + it.key(), it.value(), f);
    // The count covers the rows the totals sum: a corrected entry is listed, not counted.
    table.totals << totalsOf(journal, QStringLiteral("Всего операций: %1").arg(all.operations), all, f);
    return document;
}

} // namespace

QString fuelJournalCondition(FuelJournalKind kind, const QString& prefix)
{
    switch (kind) {
    case FuelJournalKind::Receipts: return QStringLiteral("%1PRIHOD = 1 AND %1AUTO <> 4").arg(prefix);
    case FuelJournalKind::PumpOuts: return QStringLiteral("%1PRIHOD = 0 AND %1AUTO <> 4").arg(prefix);
    case FuelJournalKind::Transfers: break;
    }
    return QStringLiteral("%1AUTO = 4").arg(prefix);
}

QString fuelJournalNote(const QString& note, bool corrected)
{
    return corrected ? QStringLiteral("(исправлена) ") + note : note;
}

ReportDocument receiptJournalReport(const ReportContext& context, const ReportParams& params)
{
    return journalReport(context, params, Journal::Receipts, QStringLiteral("Журнал поступления топлива"));
}

ReportDocument pumpOutJournalReport(const ReportContext& context, const ReportParams& params)
{
    return journalReport(context, params, Journal::PumpOuts, QStringLiteral("Журнал откачки топлива"));
}

ReportDocument transferJournalReport(const ReportContext& context, const ReportParams& params)
{
    return journalReport(context, params, Journal::Transfers, QStringLiteral("Журнал перекачки топлива"));
}

} // namespace velta::station
