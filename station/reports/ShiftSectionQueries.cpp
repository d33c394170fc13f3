#include "station/reports/ShiftSectionQueries.h"

#include "station/db/StationDatabase.h"

namespace velta::station {

QSqlQuery shiftQuery(const ShiftScope& scope, const QString& sql)
{
    QSqlQuery query = scope.context.db().prepare(sql);
    query.setForwardOnly(true);
    query.addBindValue(scope.shifts.first);
    query.addBindValue(scope.shifts.last);
    execPrepared(query, QStringLiteral("Shift report"));
    return query;
}

QSqlQuery periodQuery(const ShiftScope& scope, const QString& sql)
{
    QSqlQuery query = scope.context.db().prepare(sql);
    query.setForwardOnly(true);
    query.addBindValue(scope.shifts.begin);
    query.addBindValue(scope.shifts.end.isValid() ? scope.shifts.end
                                                  : QDateTime(QDate(9999, 12, 31), QTime(0, 0), scope.shifts.begin.timeSpec()));
    execPrepared(query, QStringLiteral("Shift report"));
    return query;
}

QString periodText(const ShiftBounds& shifts)
{
    return dateTimeText(shifts.begin) + QStringLiteral(" - ")
        + (shifts.end.isValid() ? dateTimeText(shifts.end) : QStringLiteral("смена открыта"));
}

} // namespace velta::station
