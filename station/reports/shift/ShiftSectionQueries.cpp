#include "station/reports/shift/ShiftSectionQueries.h"

#include "station/db/StationDatabase.h"

namespace velta::station {

QSqlQuery shiftQuery(const ShiftScope& scope, const QString& sql)
{
    QSqlQuery query = scope.context.db().prepare(sql);
    query.setForwardOnly(true);
    query.addBindValue(scope.shifts.firstShift);
    query.addBindValue(scope.shifts.lastShift);
    execPrepared(query, QStringLiteral("Shift report"));
    return query;
}

} // namespace velta::station
