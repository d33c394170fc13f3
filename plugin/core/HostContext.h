#pragma once
// The process-wide link to the host: the callbacks the exports stored and the
// plug-in's one log. Set by the entry points, read by every report call.
#include "plugin/api/velta_plugin.h"

namespace velta {
class TLDSLogger;
}

namespace velta::core {

struct HostCallbacks {
    plugin::GetValueFn getValue = nullptr;
    plugin::GetPrivValueFn getPrivValue = nullptr;
    plugin::NewMenuItemFn newMenuItem = nullptr;
    plugin::GetReportFn getReport = nullptr;
    plugin::SetMenuItemStateFn setMenuItemState = nullptr; // null unless the host offers it
};

// The callbacks the host handed over (all null at load).
HostCallbacks& host();

// The plug-in's log ("C:\DEXE\LogFiles\Reports.log", prefix "[VeltaReports9]"),
// created at load and destroyed at unload.
TLDSLogger& logger();

} // namespace velta::core
