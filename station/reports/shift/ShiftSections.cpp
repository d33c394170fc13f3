#include "station/reports/shift/ShiftSections.h"

#include "plugin/core/contract/ShiftComposition.h"
#include "station/db/StationDatabase.h"
#include "station/reports/shift/ShiftSectionQueries.h"

namespace velta::station {
namespace {

using SectionFunction = ShiftSection (*)(const ShiftScope&);

const SectionFunction kSections[report::kShiftSectionCount] = {
    headerSection,       endSection,          dispensersSection,        tanksSection,
    financialSection,    receiptsSection,     movementSection,          nonCashSection,
    warehouseSection,    goodsReceiptsSection, financialByPayTypeSection, financialGoodsSection,
    pumpOutSection,      cashDesksSection,    terminalReturnsSection,   statementsSection,
    bonusesSection,      reloadsSection,
};

QString shiftsText(const ReportSpan& shifts)
{
    return shifts.firstShift == shifts.lastShift ? QString::number(shifts.firstShift)
                                       : QStringLiteral("%1 - %2").arg(shifts.firstShift).arg(shifts.lastShift);
}

} // namespace

QString shiftSectionName(int index)
{
    return report::sectionName(index);
}

ShiftSection computeShiftSection(int index, const ShiftScope& scope)
{
    ShiftSection section = kSections[index](scope);
    if (section.title.isEmpty())
        section.title = shiftSectionName(index);
    return section;
}

TemplateValues shiftTemplateValues(const ShiftScope& scope, const ShiftSection& section)
{
    TemplateValues values = section.values;
    const auto field = [&](const char* name, const QString& value) {
        const QString key = TemplateValues::key(QString::fromLatin1(name));
        if (!values.fields.contains(key))
            values.fields.insert(key, value);
    };
    const ReportContext& context = scope.context;
    field("TITLE", section.title);
    field("STATION", context.stationName());
    field("ADDRESS", context.stationAddress());
    field("INN", context.stationInn());
    field("SHIFTS", shiftsText(scope.shifts));
    field("BEGSHIFT", QString::number(scope.shifts.firstShift));
    field("ENDSHIFT", QString::number(scope.shifts.lastShift));
    field("BEGTIME", shownTimestamp(scope.shifts.from));
    field("ENDTIME", scope.shifts.open ? QString() : shownTimestamp(scope.shifts.to));
    field("PERIOD", scope.shifts.bounds());
    field("OPERATOR", scope.shifts.operators.join(QStringLiteral(", ")));
    field("DEPARTMENT", scope.departmentPath);
    field("VALUTA", QStringLiteral("руб."));
    // The names the financial report's form uses for the same head.
    field("AZSNAME", context.stationName());
    field("SMENANUM", shiftsText(scope.shifts));
    field("SMENABEGIN", shownTimestamp(scope.shifts.from));
    field("SMENAEND", scope.shifts.open ? QString() : shownTimestamp(scope.shifts.to));
    field("NOTES", section.notes.join(QLatin1Char(' ')));

    for (qsizetype r = 0; !section.tags.isEmpty() && r < section.rows.size(); ++r) {
        if (values.rows.size() <= r)
            values.rows.resize(r + 1);
        for (qsizetype c = 0; c < section.tags.size() && c < section.rows[r].size(); ++c)
            values.rows[r].insert(TemplateValues::key(section.tags[c]), section.rows[r][c]);
    }
    if (!section.totals.isEmpty()) {
        const QStringList& totals = section.totals.back();
        for (qsizetype c = 0; c < section.tags.size() && c < totals.size(); ++c) {
            const QString key = TemplateValues::key(section.tags[c]);
            if (!values.totals.contains(key))
                values.totals.insert(key, totals[c]);
        }
    }
    return values;
}

ShiftSection headerSection(const ShiftScope& scope)
{
    ShiftSection section;
    section.title = scope.current ? QStringLiteral("Текущий сменный отчет") : QStringLiteral("Сменный отчет");
    section.notes << (scope.shifts.firstShift == scope.shifts.lastShift ? QStringLiteral("Смена № %1").arg(scope.shifts.firstShift)
                                                                : QStringLiteral("Смены № %1").arg(shiftsText(scope.shifts)));
    section.notes << QStringLiteral("Период: ") + scope.shifts.bounds();
    if (!scope.shifts.operators.isEmpty())
        section.notes << QStringLiteral("Оператор: ") + scope.shifts.operators.join(QStringLiteral(", "));
    if (!scope.departmentPath.isEmpty())
        section.notes << QStringLiteral("Подразделение: ") + scope.departmentPath;
    return section;
}

ShiftSection endSection(const ShiftScope& scope)
{
    ShiftSection section;
    section.title = QStringLiteral("Подписи");
    QSqlQuery query = scope.context.db().prepare(QStringLiteral("SELECT OPERATOR, OPERATOR2 FROM SMLOG WHERE SMNUM = ?"));
    query.addBindValue(scope.shifts.lastShift);
    execPrepared(query, QStringLiteral("Shift operators"));
    QString handed = scope.shifts.operators.isEmpty() ? QString() : scope.shifts.operators.back();
    QString taken;
    if (query.next()) {
        handed = query.value(0).toString().trimmed();
        taken = query.value(1).toString().trimmed();
    }
    section.notes << QStringLiteral("Смену сдал:   ______________ %1").arg(handed).trimmed();
    section.notes << QStringLiteral("Смену принял: ______________ %1").arg(taken).trimmed();
    section.values.fields.insert(QStringLiteral("HANDEDOVER"), handed);
    section.values.fields.insert(QStringLiteral("TAKENOVER"), taken);
    return section;
}

ShiftSection cashDesksSection(const ShiftScope& scope)
{
    const ReportFormats& f = scope.context.formats();
    ShiftSection section;
    section.columns = {{QStringLiteral("Смена")},
                       {QStringLiteral("Оператор")},
                       {QStringLiteral("В кассе на\nначало"), CellAlign::Right},
                       {QStringLiteral("Продано за\nналичные"), CellAlign::Right},
                       {QStringLiteral("В кассе на\nконец"), CellAlign::Right},
                       {QStringLiteral("Расхождение"), CellAlign::Right}};
    section.tags = {QStringLiteral("SMNUM"), QStringLiteral("OPER"), QStringLiteral("INKKM"),
                    QStringLiteral("CASH"), QStringLiteral("OUTKKM"), QStringLiteral("DIFF")};
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT s.SMNUM, s.OPERATOR, s.INKKM, s.OUTKKM, "
        "(SELECT SUM(l.SUMMA) FROM LOGTRAN l WHERE l.SMNUM = s.SMNUM AND MOD(l.VIDOPL, 100) = 0), "
        "CASE WHEN s.ENDTIME IS NULL THEN 1 ELSE 0 END "
        "FROM SMLOG s WHERE s.SMNUM BETWEEN ? AND ? ORDER BY s.SMNUM"));
    std::int64_t cash = 0;
    std::int64_t diff = 0;
    QStringList open;
    while (query.next()) {
        const std::int64_t in = scaledAmount(query.value(2));
        const std::int64_t sold = scaledAmount(query.value(4));
        cash += sold;
        QStringList row{query.value(0).toString(), query.value(1).toString().trimmed(), f.money(units(in)),
                        f.money(units(sold))};
        // An open shift has no closing cash yet, so it has no discrepancy either.
        if (query.value(5).toInt() == 1) {
            open << query.value(0).toString();
            row << QString() << QStringLiteral("смена открыта");
        } else {
            const std::int64_t out = scaledAmount(query.value(3));
            const std::int64_t d = out - in - sold;
            diff += d;
            row << f.money(units(out)) << f.money(units(d));
        }
        section.rows << row;
    }
    const bool anyClosed = section.rows.size() > open.size();
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), f.money(units(cash)),
                                  QString(), anyClosed ? f.money(units(diff)) : QString()};
    if (!open.isEmpty())
        section.notes << QStringLiteral("Смена № %1 не закрыта: остатка в кассе на конец еще нет, расхождение по ней "
                                        "не считается.").arg(open.join(QStringLiteral(", ")));
    return section;
}

ShiftSection financialGoodsSection(const ShiftScope& scope)
{
    const ReportFormats& f = scope.context.formats();
    ShiftSection section;
    section.columns = {{QStringLiteral("Смена")}, {QStringLiteral("Оператор")},
                       {QStringLiteral("Продано товаров\nна сумму"), CellAlign::Right}};
    section.tags = {QStringLiteral("SMNUM"), QStringLiteral("OPER"), QStringLiteral("SUMMA")};
    QSqlQuery query = shiftQuery(
        scope, QStringLiteral("SELECT SMNUM, OPERATOR, SUMMATOVARY FROM SMLOG WHERE SMNUM BETWEEN ? AND ? ORDER BY SMNUM"));
    std::int64_t total = 0;
    while (query.next()) {
        const std::int64_t sum = scaledAmount(query.value(2));
        total += sum;
        section.rows << QStringList{query.value(0).toString(), query.value(1).toString().trimmed(), f.money(units(sum))};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), f.money(units(total))};
    return section;
}

ShiftSection warehouseSection(const ShiftScope&)
{
    ShiftSection section;
    section.notes << QStringLiteral("Складской учет товаров в базе станции не ведется.");
    return section;
}

ShiftSection goodsReceiptsSection(const ShiftScope&)
{
    ShiftSection section;
    section.notes << QStringLiteral("Поступления товаров в базе станции не ведутся.");
    return section;
}

} // namespace velta::station
