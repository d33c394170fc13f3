#include "plugin/core/CoreViewerHost.h"

#include "plugin/core/HostValues.h"

namespace velta::core {

bool CoreViewerHost::printStraightToDevice()
{
    return HostValues::printStraightToDevice();
}

bool CoreViewerHost::printThroughHost()
{
    return HostValues::printThroughHost();
}

plugin::HostPrintRoutineFn CoreViewerHost::hostPrintRoutine()
{
    return HostValues::hostPrintRoutine();
}

} // namespace velta::core
