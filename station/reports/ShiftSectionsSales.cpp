// The sales sections of the shift report that single out some sales:
// terminal refunds not made, statement sales, discounts and bonuses, and the
// dispensers' restarts.
#include "station/reports/ShiftSectionQueries.h"

#include <map>

namespace velta::station {
namespace {

// The dispenser journal's operation of a dose not poured in full, and of the
// status rows a dispenser writes when it starts.
constexpr int kDoseNotPoured = 3;
constexpr int kDispenserStart = 999;

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
    // A dose paid through the payment terminal and not poured in full owes
    // the card a refund that the terminal has not made.
    ShiftSection section;
    section.columns = {{QStringLiteral("Время")},
                       {QStringLiteral("ТРК")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Карта")},
                       {QStringLiteral("Оплачено, л"), CellAlign::Right},
                       {QStringLiteral("Сумма, руб."), CellAlign::Right}};
    section.tags = {QStringLiteral("TIME"), QStringLiteral("TRK"), QStringLiteral("GSM"), QStringLiteral("CARD"),
                    QStringLiteral("L"), QStringLiteral("S")};
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT l.DATA, l.TRK, l.GSMNAME, l.POKUPATEL, l.LITER, l.SUMMA FROM LOGTRAN l "
        "JOIN TRK j ON j.INDEXSALE = l.INDEXSALE "
        "WHERE l.SMNUM BETWEEN ? AND ? AND MOD(l.VIDOPL, 100) = 1 AND j.OPERATION = %1 ORDER BY l.DATA, l.INDEXSALE")
                                            .arg(kDoseNotPoured));
    std::int64_t liters = 0;
    std::int64_t summa = 0;
    while (query.next()) {
        liters += amountAt(query, 4).scaled;
        summa += amountAt(query, 5).scaled;
        section.rows << QStringList{dateTimeText(query.value(0).toDateTime()), query.value(1).toString().trimmed(),
                                    query.value(2).toString().trimmed(), query.value(3).toString().trimmed(),
                                    litres(scope, amountAt(query, 4).scaled), money(scope, amountAt(query, 5).scaled)};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), litres(scope, liters),
                                  money(scope, summa)};
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
    // Sales are summed per contragent number first, so the directory is looked
    // up once per number and fuel rather than once per sale.
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT COALESCE(c.NAME, 'Контрагент ' || g.IDCNT), g.GSMNAME, SUM(g.N), SUM(g.L), SUM(g.S) "
        "FROM (SELECT IDCNT, GSMNAME, COUNT(*) N, SUM(LITER) L, SUM(SUMMA) S FROM LOGTRAN "
        "WHERE SMNUM BETWEEN ? AND ? AND VIDOPL IN (%1) GROUP BY IDCNT, GSMNAME) g "
        "LEFT JOIN CONTRAGENT c ON CAST(c.CONTR_ID AS VARCHAR(10)) = g.IDCNT GROUP BY 1, 2 ORDER BY 1, 2")
                                            .arg(codes.join(QLatin1Char(','))));
    std::int64_t count = 0;
    std::int64_t liters = 0;
    std::int64_t summa = 0;
    while (query.next()) {
        count += query.value(2).toLongLong();
        liters += amountAt(query, 3).scaled;
        summa += amountAt(query, 4).scaled;
        section.rows << QStringList{query.value(0).toString().trimmed(), query.value(1).toString().trimmed(),
                                    query.value(2).toString(), litres(scope, amountAt(query, 3).scaled),
                                    money(scope, amountAt(query, 4).scaled)};
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
        liters += amountAt(query, 3).scaled;
        summa += amountAt(query, 4).scaled;
        discount += amountAt(query, 5).scaled;
        section.rows << QStringList{query.value(0).toString().trimmed(), query.value(1).toString().trimmed(),
                                    query.value(2).toString(), litres(scope, amountAt(query, 3).scaled),
                                    money(scope, amountAt(query, 4).scaled), money(scope, amountAt(query, 5).scaled)};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString::number(count), litres(scope, liters),
                                  money(scope, summa), money(scope, discount)};
    return section;
}

ShiftSection reloadsSection(const ShiftScope& scope)
{
    ShiftSection section;
    section.columns = {{QStringLiteral("Время")}, {QStringLiteral("ТРК")}, {QStringLiteral("Событие")}};
    section.tags = {QStringLiteral("TIME"), QStringLiteral("TRK"), QStringLiteral("EVENT")};
    QSqlQuery query = periodQuery(scope, QStringLiteral(
        "SELECT j.\"TIME\", j.TRK FROM TRK j LEFT JOIN TRKLIST t ON t.TRK = j.TRK "
        "WHERE j.\"TIME\" BETWEEN ? AND ? AND j.OPERATION = %1 ORDER BY j.\"TIME\", t.SORTNUM, j.TRK")
                                             .arg(kDispenserStart));
    while (query.next())
        section.rows << QStringList{dateTimeText(query.value(0).toDateTime()), query.value(1).toString().trimmed(),
                                    QStringLiteral("Перезагрузка контроллера ТРК")};
    section.totals << QStringList{QStringLiteral("Всего"), QString::number(section.rows.size()), QString()};
    return section;
}

} // namespace velta::station
