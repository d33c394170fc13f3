// The four exports of libVeltaReports9.so, its load and unload, and one
// export only tests use.
#include "plugin/api/velta_plugin.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/ui/Dialogs.h"

#include <memory>

namespace {

__attribute__((constructor)) void pluginLoaded()
{
    velta::core::StartUp();
}

__attribute__((destructor)) void pluginUnloaded()
{
    velta::core::UnloadPlugin();
}

// The dialogs a test installed through VeltaInstallDialogs.
std::unique_ptr<velta::CurrentDialogsScope> testDialogs;

} // namespace

extern "C" {

void SetGetValue(velta::plugin::GetValueFn getValue)
{
    velta::core::DoSetGetValue(getValue);
}

void InitReportMenu(std::uintptr_t applicationHandle, velta::plugin::MenuItem* mainMenu,
                    velta::plugin::NewMenuItemFn newMenuItem, velta::plugin::GetReportFn getReport)
{
    velta::core::DoInitReportMenu(applicationHandle, mainMenu, newMenuItem, getReport);
}

void SetNewUserPriv(velta::plugin::MenuItem* mainMenu, velta::plugin::GetPrivValueFn getPrivValue)
{
    velta::core::DoSetNewUserPriv(mainMenu, getPrivValue);
}

void UpdateVidOpl()
{
    velta::core::UpdateVidOpl();
}

// For tests only, never called by a host: makes dialogs (the test's scripted
// ones) the library's current dialogs, so that a test program holding its own
// copy of the Dialogs service can answer this library's windows; null puts the
// real dialogs back.
__attribute__((visibility("default"))) void VeltaInstallDialogs(velta::Dialogs* dialogs)
{
    testDialogs.reset();
    if (dialogs)
        testDialogs = std::make_unique<velta::CurrentDialogsScope>(*dialogs);
}

}
