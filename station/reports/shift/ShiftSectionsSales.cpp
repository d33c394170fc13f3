// The sales sections of the shift report that single out some sales:
// terminal refunds not made, statement sales, discounts and bonuses, and the
// dispensers' restarts.
#include "station/reports/shift/ShiftEventReports.h"
#include "station/reports/shift/SalesQuery.h"
#include "station/reports/shift/ShiftSections.h"

#include <functional>
#include <map>

namespace velta::station {
namespace {

using SaleGroups = std::map<std::pair<QString, QString>, SaleTotals>;

// The sales the filter chooses over the scope's shifts, summed by a name and the fuel.
SaleGroups salesByNameAndFuel(const ShiftScope& scope, SaleFilter filter, const std::function<QString(const Sale&)>& nameOf)
{
    filter.span = scope.shifts;
    SaleGroups groups;
    forEachSale(scope.context, filter, QStringLiteral("1"), [&](const Sale& s) {
        groups[{nameOf(s), s.fuel}].add(s);
        return true;
    });
    return groups;
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
    // The sales of the statement sales report over the same shifts, summed by contragent and fuel.
    const ReportFormats& f = scope.context.formats();
    SaleFilter filter;
    filter.payTypes = scope.statementCodes;
    SaleTotals all;
    for (const auto& [key, t] : salesByNameAndFuel(scope, filter, [](const Sale& s) { return s.contragentLabel(); })) {
        all.merge(t);
        section.rows << QStringList{key.first, key.second, QString::number(t.count), f.litres(units(t.litres)), f.money(units(t.sum))};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString::number(all.count), f.litres(units(all.litres)),
                                  f.money(units(all.sum))};
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
    // The sales of the bonus report over the same shifts, one per discount row,
    // summed by discount and fuel; the discount is rounded per sale as there.
    const ReportFormats& f = scope.context.formats();
    SaleFilter filter;
    filter.payTypes = scope.payTypes.all();
    filter.discounts = true;
    SaleTotals all;
    for (const auto& [key, t] : salesByNameAndFuel(scope, filter, [](const Sale& s) { return s.discountName; })) {
        all.merge(t);
        section.rows << QStringList{key.first, key.second, QString::number(t.count), f.litres(units(t.litres)), f.money(units(t.sum)),
                                    f.money(units(t.discount))};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString::number(all.count), f.litres(units(all.litres)),
                                  f.money(units(all.sum)), f.money(units(all.discount))};
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
