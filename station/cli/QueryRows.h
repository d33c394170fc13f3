#pragma once
// The rows of a query on a station database as text, the way the report
// command prints values to scripts: every column of every row, NULL as empty
// text (never the "0" or "" a typed null would read as).
#include "station/db/StationDatabase.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace velta::station {

// Runs the query; raises EDatabaseError with the statement when it fails.
QVector<QStringList> queryRows(const StationDatabase& db, const QString& sql);

// One value of the current row of an executed query as text: NULL as empty text.
QString queryValueText(const QSqlQuery& query, int column);

} // namespace velta::station
