#pragma once
// Helpers the shift report's sections share: a query over the chosen shifts
// and the texts of the period.
#include "station/db/StationDatabase.h"
#include "station/reports/ShiftSections.h"

#include <QSqlQuery>

namespace velta::station {

// Prepares sql, binds the first and the last shift number to its two
// parameters (in this order) and runs it.
QSqlQuery shiftQuery(const ShiftScope& scope, const QString& sql);
// The same with the period's begin and end moments (an open shift ends far ahead).
QSqlQuery periodQuery(const ShiftScope& scope, const QString& sql);

// "01.01.2024 08:00 - 01.01.2024 19:58" ("... - смена открыта" while open).
QString periodText(const ShiftBounds& shifts);

} // namespace velta::station
