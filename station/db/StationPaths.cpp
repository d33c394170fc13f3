#include "station/db/StationPaths.h"

#include <QDir>

namespace velta::station {

QString stationDatabasePath(const QString& root)
{
    return QDir(root).absoluteFilePath(QStringLiteral("station.fdb"));
}

QString officeDatabasePath(const QString& root)
{
    return QDir(root).absoluteFilePath(QStringLiteral("office.fdb"));
}

} // namespace velta::station
