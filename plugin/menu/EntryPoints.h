#pragma once
// The logic of the two exports that build and fit the menu: the Report object
// and the data module are made at the first InitReportMenu, the menu is fitted
// to the user at every log-on.
#include "plugin/api/velta_plugin.h"

#include <cstdint>

namespace velta::core {

void DoInitReportMenu(std::uintptr_t applicationHandle, plugin::MenuItem* mainMenu, plugin::NewMenuItemFn newMenuItem,
                      plugin::GetReportFn getReport);
void DoSetNewUserPriv(plugin::MenuItem* mainMenu, plugin::GetPrivValueFn getPrivValue);

// The library's unload: disconnects the scanner, frees the shift list and the
// viewer a handler cut short may have left, and every process-wide object the
// plug-in made, without making any on the way.
void UnloadPlugin();

} // namespace velta::core
