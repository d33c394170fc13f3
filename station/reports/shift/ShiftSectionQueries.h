#pragma once
// The query over the chosen shifts the shift report's sections share.
#include "station/db/StationDatabase.h"
#include "station/reports/shift/ShiftSections.h"

#include <QSqlQuery>

namespace velta::station {

// Prepares sql, binds the first and the last shift number to its two
// parameters (in this order) and runs it.
QSqlQuery shiftQuery(const ShiftScope& scope, const QString& sql);

} // namespace velta::station
