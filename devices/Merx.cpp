#include "devices/Merx.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex& guard()
{
    static QMutex mutex;
    return mutex;
}

QString& configured()
{
    static QString path;
    return path;
}

} // namespace

extern "C" void GetCurrentDepartmentPath(QString& path)
{
    QMutexLocker hold(&guard());
    path = configured().isEmpty() ? qEnvironmentVariable("VELTA_DEPARTMENT_PATH") : configured();
}

extern "C" void VeltaSetDepartmentPath(const QString& path)
{
    QMutexLocker hold(&guard());
    configured() = path;
}
