#include "station/cli/QueryRows.h"

#include <QSqlRecord>

namespace velta::station {

QString queryValueText(const QSqlQuery& query, int column)
{
    return query.isNull(column) ? QString() : query.value(column).toString();
}

QVector<QStringList> queryRows(const StationDatabase& db, const QString& sql)
{
    QSqlQuery q = db.query();
    if (!q.exec(sql))
        raiseQueryError(q, sql);
    // The driver builds the record from the statement's metadata: once, not per row.
    const int columns = q.record().count();
    QVector<QStringList> result;
    while (q.next()) {
        QStringList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << queryValueText(q, c);
        result << row;
    }
    return result;
}

} // namespace velta::station
