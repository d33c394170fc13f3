// The four exports of libVeltaReports9.so and the library's load and unload.
#include "plugin/api/velta_plugin.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/selection/SmenaListForm.h"

#include <QCoreApplication>

namespace {

__attribute__((constructor)) void pluginLoaded()
{
    velta::core::StartUp();
}

__attribute__((destructor)) void pluginUnloaded()
{
    // A handler cut short may leave the scanner connected (its library would
    // call into unloaded code) or the shift list made.
    velta::selection::StopScanner();
    if (QCoreApplication::instance())
        velta::selection::FreeShiftList();
    velta::core::ShutDown();
}

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

}
