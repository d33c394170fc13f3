#include "station/server/ServerConfig.h"

#include <QThread>
#include <algorithm>

namespace velta::station {

int ServerConfig::workerCount() const
{
    return workers > 0 ? workers : std::max(2, QThread::idealThreadCount());
}

} // namespace velta::station
