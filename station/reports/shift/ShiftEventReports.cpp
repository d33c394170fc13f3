#include "station/reports/shift/ShiftEventReports.h"

#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"

#include <cmath>
#include <optional>

namespace velta::station {
namespace {

// Option bits of the returns report.
constexpr int kShowEmptyPayTypes = 1;
constexpr int kOneTable = 2;
constexpr int kByDispenser = 4;

// A meter check off by more than this share (per cent) is marked.
constexpr double kMeterTolerancePercent = 0.5;

QVector<ReturnAct> returnActs(StationDatabase& db, int firstShift, int lastShift, const QString& condition,
                              const QString& order, int limit)
{
    QSqlQuery query = db.prepare(
        QStringLiteral("SELECT FIRST %1 ID, CAST(DATA AS VARCHAR(24)), SMNUM, TRK, GSMNAME, ORDERLITER, LITER, PRICE, "
                       "SUMMA, VIDOPL, CARDNUM, OPERATOR FROM BACKACT WHERE SMNUM BETWEEN ? AND ? AND (%2) ORDER BY %3")
            .arg(limit)
            .arg(condition, order));
    query.addBindValue(firstShift);
    query.addBindValue(lastShift);
    execPrepared(query, QStringLiteral("Return acts"));
    QVector<ReturnAct> acts;
    while (query.next()) {
        ReturnAct a;
        a.number = query.value(0).toInt();
        a.time = shownTimestamp(query.value(1));
        a.shift = query.value(2).toInt();
        a.dispenser = query.value(3).toString().trimmed();
        a.fuel = query.value(4).toString().trimmed();
        a.ordered = amountOf(query.value(5));
        a.returned = amountOf(query.value(6));
        a.price = amountOf(query.value(7));
        a.sum = amountOf(query.value(8));
        a.payType = query.value(9).toInt();
        a.card = query.value(10).toString().trimmed();
        a.operatorName = query.value(11).toString().trimmed();
        acts << a;
    }
    return acts;
}

struct ReturnTotals {
    int count = 0;
    double ordered = 0;
    double returned = 0;
    double sum = 0;
    void add(const ReturnAct& a)
    {
        ++count;
        ordered += a.ordered;
        returned += a.returned;
        sum += a.sum;
    }
};

// One table of return acts; with several payment types in it the first
// column names each act's type, by dispenser it closes each dispenser.
bool addReturnsTable(ReportDocument& doc, const ReportFormats& f, const PayTypes& payTypes,
                     const QVector<ReturnAct>& acts, bool payTypeColumn, bool byDispenser)
{
    QVector<ReportColumn> columns;
    if (payTypeColumn)
        columns << ReportColumn{QStringLiteral("Вид оплаты")};
    columns << ReportColumn{QStringLiteral("№ акта"), CellAlign::Right} << ReportColumn{QStringLiteral("Дата, время")}
            << ReportColumn{QStringLiteral("ТРК"), CellAlign::Center} << ReportColumn{QStringLiteral("ГСМ")}
            << ReportColumn{QStringLiteral("Заказано, л"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Отпущено, л"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Возврат, л"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Цена"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Сумма\nвозврата"), CellAlign::Right} << ReportColumn{QStringLiteral("Карта")}
            << ReportColumn{QStringLiteral("Оператор")};
    ReportTable& table = doc.addTable(columns);
    auto totalCells = [&](const QString& label, const ReturnTotals& t) {
        QStringList cells;
        if (payTypeColumn)
            cells << label << QString() << QString();
        else
            cells << label << QString();
        cells << QString() << QString() << f.litres(t.ordered) << f.litres(t.ordered - t.returned)
              << f.litres(t.returned) << QString() << f.money(t.sum) << QString() << QString();
        return cells;
    };
    ReturnTotals all;
    ReturnTotals dispenser;
    for (int i = 0; i < acts.size(); ++i) {
        const ReturnAct& a = acts[i];
        QStringList cells;
        if (payTypeColumn)
            cells << payTypes.name(a.payType);
        cells << QString::number(a.number) << a.time << a.dispenser << a.fuel << f.litres(a.ordered)
              << f.litres(a.ordered - a.returned) << f.litres(a.returned) << f.money(a.price) << f.money(a.sum) << a.card
              << a.operatorName;
        if (!doc.addRow(table, cells))
            return false;
        all.add(a);
        dispenser.add(a);
        const bool lastOfDispenser = i + 1 == acts.size() || acts[i + 1].dispenser != a.dispenser;
        if (byDispenser && lastOfDispenser) {
            if (!doc.addRow(table, totalCells(QStringLiteral("Итого ТРК ") + a.dispenser, dispenser)))
                return false;
            dispenser = {};
        }
    }
    table.totals << totalCells(QStringLiteral("Итого"), all);
    return true;
}

ReportDocument returnsReport(const ReportContext& context, const ReportSpan* span, int options,
                             const QVector<int>& chosen, const PayTypes& payTypes)
{
    ReportDocument doc = context.newDocument(QStringLiteral("Сменный отчет по возвратам"));
    if (!span) {
        doc.addParagraph(noOpenShiftText());
        return doc;
    }
    doc.addHeadLine(span->describe());
    QStringList names;
    for (int code : chosen)
        names << payTypes.name(code);
    doc.addHeadLine(QStringLiteral("Виды оплаты: ") + (names.isEmpty() ? QStringLiteral("не выбраны")
                                                                        : names.join(QStringLiteral(", "))));
    const bool byDispenser = options & kByDispenser;
    const QString order = byDispenser ? QStringLiteral("TRK, DATA, ID") : QStringLiteral("DATA, ID");
    const QVector<ReturnAct> acts = returnActs(context.db(), span->firstShift, span->lastShift,
                                               QStringLiteral("VIDOPL IN (%1)").arg(sqlCodeList(chosen)), order,
                                               doc.limits().maxRows + 1);
    const ReportFormats& f = context.formats();
    if (options & kOneTable) {
        if (acts.isEmpty())
            doc.addParagraph(QStringLiteral("Возвратов не было."));
        else
            addReturnsTable(doc, f, payTypes, acts, true, byDispenser);
        return doc;
    }
    int shown = 0;
    for (int code : chosen) {
        QVector<ReturnAct> ofType;
        for (const ReturnAct& a : acts) {
            if (a.payType == code)
                ofType << a;
        }
        if (ofType.isEmpty() && !(options & kShowEmptyPayTypes))
            continue;
        doc.addHeading(payTypes.name(code));
        ++shown;
        if (ofType.isEmpty()) {
            doc.addParagraph(QStringLiteral("Возвратных чеков не было."));
            continue;
        }
        if (!addReturnsTable(doc, f, payTypes, ofType, false, byDispenser))
            return doc;
    }
    if (shown == 0)
        doc.addParagraph(QStringLiteral("Возвратов не было."));
    return doc;
}

} // namespace

QVector<ReturnAct> unmadeTerminalReturns(StationDatabase& db, int firstShift, int lastShift, int limit)
{
    return returnActs(db, firstShift, lastShift, QStringLiteral("MOD(VIDOPL, 100) = 1 AND TERMRETURN = 0"),
                      QStringLiteral("DATA, ID"), limit);
}

QVector<ReloadEvent> reloadEvents(StationDatabase& db, const QString& from, const QString& to, int limit)
{
    QSqlQuery query = db.prepare(QStringLiteral(
        "SELECT FIRST %1 CAST(DATA AS VARCHAR(24)), SMNUM, DEVICE, REASON, OPERATOR FROM RELOADLOG "
        "WHERE DATA BETWEEN CAST(? AS TIMESTAMP) AND CAST(? AS TIMESTAMP) ORDER BY DATA, ID")
                                     .arg(limit));
    query.addBindValue(from);
    query.addBindValue(to);
    execPrepared(query, QStringLiteral("Reloads"));
    QVector<ReloadEvent> events;
    while (query.next())
        events << ReloadEvent{shownTimestamp(query.value(0)), query.value(1).toInt(), query.value(2).toString().trimmed(),
                              query.value(3).toString().trimmed(), query.value(4).toString().trimmed()};
    return events;
}

ReportDocument returnsShiftReport(const ReportContext& context, const ReportParams& params)
{
    // With the codes extension the array comes wrapped: [the array, [Codes]].
    if (params.count() == 2) {
        const ReportParams inner(params.reportNo(), Variant(params.array(0)));
        const ReportParams codes(params.reportNo(), Variant(params.array(1)));
        codes.expectCount({1});
        inner.expectCount({9, 4});
        const PayTypes payTypes(context.db());
        const QVector<int> chosen = payTypes.selected(inner.integers(0), codes.integers(0));
        const int options = int(inner.integer(1));
        if (inner.count() == 4) {
            inner.integer(3);
            const std::optional<ReportSpan> span = openShift(context.db());
            return returnsReport(context, span ? &*span : nullptr, options, chosen, payTypes);
        }
        inner.dateTime(3);
        inner.dateTime(4);
        ReportSpan span = shiftSpan(context.db(), int(inner.integer(5)), int(inner.integer(7)));
        inner.text(6);
        inner.integer(8);
        return returnsReport(context, &span, options, chosen, payTypes);
    }
    params.expectCount({9, 4});
    const PayTypes payTypes(context.db());
    const QVector<int> chosen = payTypes.selected(params.integers(0), {});
    const int options = int(params.integer(1));
    if (params.count() == 4) {
        params.integer(3);
        const std::optional<ReportSpan> span = openShift(context.db());
        return returnsReport(context, span ? &*span : nullptr, options, chosen, payTypes);
    }
    params.dateTime(3);
    params.dateTime(4);
    params.text(6);
    params.integer(8);
    const ReportSpan span = shiftSpan(context.db(), int(params.integer(5)), int(params.integer(7)));
    return returnsReport(context, &span, options, chosen, payTypes);
}

ReportDocument terminalReturnsShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({5});
    const int firstShift = int(params.integer(0));
    params.dateTime(1);
    params.dateTime(2);
    const QString operatorName = params.text(3);
    const int lastShift = int(params.integer(4));
    ReportDocument doc = context.newDocument(QStringLiteral("Сменный отчет по непроизведенным возвратам на терминал"));
    ReportSpan span = shiftSpan(context.db(), firstShift, lastShift);
    if (!operatorName.isEmpty())
        span.operatorName = operatorName;
    doc.addHeadLine(span.describe());
    const QVector<ReturnAct> acts = unmadeTerminalReturns(context.db(), firstShift, lastShift, doc.limits().maxRows + 1);
    if (acts.isEmpty()) {
        doc.addParagraph(QStringLiteral("Все возвраты на карты клиентов произведены."));
        return doc;
    }
    const ReportFormats& f = context.formats();
    ReportTable& table = doc.addTable({{QStringLiteral("№ акта"), CellAlign::Right}, {QStringLiteral("Дата, время")},
                                       {QStringLiteral("Смена"), CellAlign::Right},
                                       {QStringLiteral("ТРК"), CellAlign::Center}, {QStringLiteral("ГСМ")},
                                       {QStringLiteral("Карта")}, {QStringLiteral("Недолив, л"), CellAlign::Right},
                                       {QStringLiteral("Сумма к\nвозврату"), CellAlign::Right},
                                       {QStringLiteral("Оператор")}});
    ReturnTotals all;
    for (const ReturnAct& a : acts) {
        if (!doc.addRow(table, {QString::number(a.number), a.time, QString::number(a.shift), a.dispenser, a.fuel, a.card,
                                f.litres(a.returned), f.money(a.sum), a.operatorName}))
            return doc;
        all.add(a);
    }
    table.totals << QStringList{QStringLiteral("Итого"), QStringLiteral("актов: %1").arg(all.count), QString(), QString(),
                                QString(), QString(), f.litres(all.returned), f.money(all.sum), QString()};
    return doc;
}

ReportDocument meterShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({3});
    const ReportSpan span = shiftSpan(context.db(), int(params.integer(1)), int(params.integer(2)));
    ReportDocument doc = context.newDocument(QStringLiteral("Отчет по мернику"));
    doc.addHeadLine(span.describe());
    QSqlQuery query = context.db().prepare(QStringLiteral(
        "SELECT CAST(DATA AS VARCHAR(24)), SMNUM, TRK, GUN, GSMNAME, TRKLITER, METERLITER, OPERATOR FROM METERCHECK "
        "WHERE SMNUM BETWEEN ? AND ? ORDER BY DATA, ID"));
    query.addBindValue(span.firstShift);
    query.addBindValue(span.lastShift);
    execPrepared(query, QStringLiteral("Meter checks"));
    const ReportFormats& f = context.formats();
    const QVector<ReportColumn> columns{{QStringLiteral("Дата, время")}, {QStringLiteral("Смена"), CellAlign::Right},
                                       {QStringLiteral("ТРК"), CellAlign::Center},
                                       {QStringLiteral("Пист."), CellAlign::Center}, {QStringLiteral("ГСМ")},
                                       {QStringLiteral("По ТРК, л"), CellAlign::Right},
                                       {QStringLiteral("По мернику,\nл"), CellAlign::Right},
                                       {QStringLiteral("Отклонение,\nл"), CellAlign::Right},
                                       {QStringLiteral("Отклонение,\n%"), CellAlign::Right},
                                       {QStringLiteral("Допуск 0,5%")}, {QStringLiteral("Оператор")}};
    ReportTable* table = nullptr;
    int checks = 0;
    int outside = 0;
    double byDispensers = 0;
    double byMeter = 0;
    while (query.next()) {
        const double dispensed = amountOf(query.value(5));
        const double measured = amountOf(query.value(6));
        const double percent = dispensed != 0 ? (measured - dispensed) / dispensed * 100.0 : 0.0;
        const bool beyond = std::abs(percent) > kMeterTolerancePercent + 1e-9;
        if (!table)
            table = &doc.addTable(columns);
        if (!doc.addRow(*table, {shownTimestamp(query.value(0)), query.value(1).toString(), query.value(2).toString().trimmed(),
                                query.value(3).toString(), query.value(4).toString().trimmed(), f.litres(dispensed),
                                f.litres(measured), f.litres(measured - dispensed), f.fixed(percent, 2),
                                beyond ? QStringLiteral("превышен") : QStringLiteral("в норме"),
                                query.value(7).toString().trimmed()}))
            return doc;
        ++checks;
        outside += beyond ? 1 : 0;
        byDispensers += dispensed;
        byMeter += measured;
    }
    if (checks == 0) {
        doc.addParagraph(QStringLiteral("Проверок мерником не было."));
        return doc;
    }
    table->totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), QString(), f.litres(byDispensers),
                                f.litres(byMeter), f.litres(byMeter - byDispensers), QString(),
                                QStringLiteral("превышен: %1").arg(outside), QString()};
    doc.addParagraph(QStringLiteral("Проверок: %1, с отклонением сверх допуска: %2.").arg(checks).arg(outside));
    return doc;
}

ReportDocument reloadsShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({5});
    const ReportSpan period = periodSpan(params.dateTime(1), params.dateTime(2));
    ReportSpan span = shiftSpan(context.db(), int(params.integer(3)), int(params.integer(4)));
    ReportDocument doc = context.newDocument(QStringLiteral("Информация по перезагрузкам"));
    doc.addHeadLine(span.describe());
    ReportTable* table = nullptr;
    int count = 0;
    for (const ReloadEvent& e : reloadEvents(context.db(), period.from, period.to, doc.limits().maxRows + 1)) {
        if (!table)
            table = &doc.addTable({{QStringLiteral("Дата, время")}, {QStringLiteral("Смена"), CellAlign::Right},
                                   {QStringLiteral("Оборудование")}, {QStringLiteral("Причина")},
                                   {QStringLiteral("Оператор")}});
        if (!doc.addRow(*table, {e.time, QString::number(e.shift), e.device, e.reason, e.operatorName}))
            return doc;
        ++count;
    }
    if (count == 0)
        doc.addParagraph(QStringLiteral("Перезагрузок не было."));
    else
        table->totals << QStringList{QStringLiteral("Всего перезагрузок"), QString::number(count), QString(), QString(),
                                    QString()};
    return doc;
}

} // namespace velta::station
