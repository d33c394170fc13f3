#pragma once
// Where a station's database files lie under its root folder.
#include <QString>

namespace velta::station {

QString stationDatabasePath(const QString& root);
QString officeDatabasePath(const QString& root);

} // namespace velta::station
