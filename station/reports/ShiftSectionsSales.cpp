// The sales sections of the shift report that single out some sales:
// terminal refunds not made, statement sales, discounts and bonuses, and the
// dispensers' restarts.
#include "station/reports/ShiftEventReports.h"
#include "station/reports/ShiftSectionQueries.h"

#include <map>

namespace velta::station {
namespace {

QString litres(const ShiftScope& scope, std::int64_t scaled)
{
    return scope.context.formats().litres(double(scaled) / 10000.0);
}

QString money(const ShiftScope& scope, std::int64_t scaled)
{
    return scope.context.formats().money(double(scaled) / 10000.0);
}

} // namespace

ShiftSection terminalReturnsSection(const ShiftScope& scope)
{
    // The same acts as the stand-alone report of unmade terminal returns.
    const ReportFormats& f = scope.context.formats();
    ShiftSection section;
    section.columns = {{QStringLiteral("Время")},
                       {QStringLiteral("ТРК")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Карта")},
                       {QStringLiteral("Недолив, л"), CellAlign::Right},
                       {QStringLiteral("Сумма к\nвозврату"), CellAlign::Right},
                       {QStringLiteral("Оператор")}};
    section.tags = {QStringLiteral("TIME"), QStringLiteral("TRK"), QStringLiteral("GSM"), QStringLiteral("CARD"),
                    QStringLiteral("L"), QStringLiteral("S"), QStringLiteral("OPERATOR")};
    double returned = 0;
    double sum = 0;
    const int limit = scope.context.formats().limits.maxRows + 1;
    for (const ReturnAct& a : unmadeTerminalReturns(scope.context.db(), scope.shifts.firstShift, scope.shifts.lastShift, limit)) {
        returned += a.returned;
        sum += a.sum;
        section.rows << QStringList{a.time, a.dispenser, a.fuel, a.card, f.litres(a.returned), f.money(a.sum), a.operatorName};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), f.litres(returned), f.money(sum),
                                  QString()};
    return section;
}

ShiftSection statementsSection(const ShiftScope& scope)
{
    ShiftSection section;
    section.columns = {{QStringLiteral("Контрагент")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Заправок"), CellAlign::Right},
                       {QStringLiteral("Кол-во, л"), CellAlign::Right},
                       {QStringLiteral("Сумма, руб."), CellAlign::Right}};
    section.tags = {QStringLiteral("CONTRAGENT"), QStringLiteral("GSM"), QStringLiteral("COUNT"), QStringLiteral("L"),
                    QStringLiteral("S")};
    if (scope.statementCodes.isEmpty()) {
        section.notes << QStringLiteral("Виды оплаты по ведомостям не выбраны.");
        return section;
    }
    QStringList codes;
    for (int code : scope.statementCodes)
        codes << QString::number(code); // integers read from the parameters, never their text
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT COALESCE(c.NAME, 'Контрагент ' || l.IDCNT), l.GSMNAME, COUNT(*), SUM(l.LITER), SUM(l.SUMMA) "
        "FROM LOGTRAN l LEFT JOIN CONTRAGENT c ON CAST(c.CONTR_ID AS VARCHAR(10)) = l.IDCNT "
        "WHERE l.SMNUM BETWEEN ? AND ? AND l.VIDOPL IN (%1) GROUP BY 1, 2 ORDER BY 1, 2")
                                            .arg(codes.join(QLatin1Char(','))));
    std::int64_t count = 0;
    std::int64_t liters = 0;
    std::int64_t summa = 0;
    while (query.next()) {
        count += query.value(2).toLongLong();
        liters += scaledAmount(query.value(3));
        summa += scaledAmount(query.value(4));
        section.rows << QStringList{query.value(0).toString().trimmed(), query.value(1).toString().trimmed(),
                                    query.value(2).toString(), litres(scope, scaledAmount(query.value(3))),
                                    money(scope, scaledAmount(query.value(4)))};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString::number(count), litres(scope, liters),
                                  money(scope, summa)};
    return section;
}

ShiftSection bonusesSection(const ShiftScope& scope)
{
    ShiftSection section;
    section.columns = {{QStringLiteral("Скидка / бонус")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Продаж"), CellAlign::Right},
                       {QStringLiteral("Кол-во, л"), CellAlign::Right},
                       {QStringLiteral("Сумма, руб."), CellAlign::Right},
                       {QStringLiteral("Скидка, руб."), CellAlign::Right}};
    section.tags = {QStringLiteral("DSCNAME"), QStringLiteral("GSM"), QStringLiteral("COUNT"), QStringLiteral("L"),
                    QStringLiteral("S"), QStringLiteral("DISCOUNT")};
    // The discount is what the sale would have cost at the pump price, less what it cost.
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT d.DSCNAME, l.GSMNAME, COUNT(*), SUM(l.LITER), SUM(l.SUMMA), "
        "SUM(CAST(l.LITER * l.BASEPRICE AS NUMERIC(18,2))) - SUM(l.SUMMA) "
        "FROM LOGTRANDSC d JOIN LOGTRAN l ON l.INDEXSALE = d.INDEXSALE "
        "WHERE l.SMNUM BETWEEN ? AND ? GROUP BY d.DSCNAME, l.GSMNAME ORDER BY d.DSCNAME, l.GSMNAME"));
    std::int64_t count = 0;
    std::int64_t liters = 0;
    std::int64_t summa = 0;
    std::int64_t discount = 0;
    while (query.next()) {
        count += query.value(2).toLongLong();
        liters += scaledAmount(query.value(3));
        summa += scaledAmount(query.value(4));
        discount += scaledAmount(query.value(5));
        section.rows << QStringList{query.value(0).toString().trimmed(), query.value(1).toString().trimmed(),
                                    query.value(2).toString(), litres(scope, scaledAmount(query.value(3))),
                                    money(scope, scaledAmount(query.value(4))), money(scope, scaledAmount(query.value(5)))};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString::number(count), litres(scope, liters),
                                  money(scope, summa), money(scope, discount)};
    return section;
}

ShiftSection reloadsSection(const ShiftScope& scope)
{
    // The same restarts as the stand-alone report of reloads over the shifts' time.
    ShiftSection section;
    section.columns = {{QStringLiteral("Время")},
                       {QStringLiteral("Оборудование")},
                       {QStringLiteral("Причина")},
                       {QStringLiteral("Смена"), CellAlign::Right},
                       {QStringLiteral("Оператор")}};
    section.tags = {QStringLiteral("TIME"), QStringLiteral("TRK"), QStringLiteral("EVENT"), QStringLiteral("SHIFT"),
                    QStringLiteral("OPERATOR")};
    const int limit = scope.context.formats().limits.maxRows + 1;
    for (const ReloadEvent& e : reloadEvents(scope.context.db(), scope.shifts.from, scope.shifts.sqlTo(), limit))
        section.rows << QStringList{e.time, e.device, e.reason, QString::number(e.shift), e.operatorName};
    section.totals << QStringList{QStringLiteral("Всего"), QString::number(section.rows.size()), QString(), QString(), QString()};
    return section;
}

} // namespace velta::station
