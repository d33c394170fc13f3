#include "plugin/menu/EntryPoints.h"

#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/SmenaRepComposition.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/menu/Report.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/platform/NamedLock.h"
#include "plugin/platform/RegistryStore.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/settings/PropFrm.h"

#include <QCoreApplication>

namespace velta::core {

void DoInitReportMenu(std::uintptr_t applicationHandle, plugin::MenuItem* mainMenu, plugin::NewMenuItemFn newMenuItem,
                      plugin::GetReportFn getReport)
{
    PluginState& s = state();
    s.applicationHandle = applicationHandle;
    if (!s.report)
        s.report = std::make_unique<TReport>();
    if (!s.dataModule)
        s.dataModule = std::make_unique<TDBFrm>();
    host().newMenuItem = newMenuItem;
    host().getReport = getReport;
    BuildReportMenu(mainMenu);
    // The shift list's "Свойства" opens the report properties window.
    selection::SetPropertiesOpener(&settings::ShowReportProperties);
}

void DoSetNewUserPriv(plugin::MenuItem* mainMenu, plugin::GetPrivValueFn getPrivValue)
{
    PluginState& s = state();
    host().getPrivValue = getPrivValue;
    s.showDayShiftFinReport =
        ReadCnfValue(QStringLiteral("Reports"), QStringLiteral("ShowDaySmenaFinReport"), QString()) == QStringLiteral("1");
    if (host().getPrivValue)
        s.isOfficeWorkplace = HostValues::privValue(15).toInt() == 3;
    UpdateVidOpl();
    EnsureSmenaRepDefaults();
    s.stationDeviceWord = HostValues::hasLoadingRack() ? QStringLiteral("АСН") : QStringLiteral("ТРК");
    FitMenuToUser(mainMenu);
}

void UnloadPlugin()
{
    // The scanner's library would call into unloaded code.
    selection::StopScanner();
    // Widgets go only while the application they belong to is there.
    if (QCoreApplication::instance())
        selection::FreeShiftList();
    ShutDown();
    // Last, as what went before may have taken locks and read the registry.
    NamedLock::releaseTable();
    RegistryStore::releaseCache();
}

} // namespace velta::core
