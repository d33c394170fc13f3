#include "station/db/StationPaths.h"

#include <QDir>
#include <QFile>

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

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace velta::station {

StationFolderHold::StationFolderHold(const QString& root)
    : path_(QDir(root).absoluteFilePath(QStringLiteral("station.lock")))
{
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

StationFolderHold::~StationFolderHold()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace velta::station
