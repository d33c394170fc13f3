// The sales history handler of the Report object: the history of one
// dispenser (or loading-rack post) over the shifts chosen in the shift list.
#include "plugin/menu/Report.h"

#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/JournalReportParams.h"
#include "plugin/menu/ReportSteps.h"
#include "plugin/platform/Clock.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"

namespace velta::core {

using plugin::MenuItem;

namespace {

// Whether the station keeps its dispensers per shift: the probe's query
// answers. A failing probe is no error, it only selects the older list.
bool HasShiftDispensers()
{
    try {
        TClientDataSet probe;
        LoadFromSQL(probe, SalesHistoryProbeQuery());
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

void TReport::SalesHistoryReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    TDBFrm& db = dataModule();
    TClientDataSet& log = db.SmLogtable;
    TClientDataSet& dispensers = db.cdsTrkList;
    const bool loadingRack = HostValues::hasLoadingRack();
    WithLeavingSteps(
        [&] {
            db.VeltaServer.SetConnected(true);
            selection::CreateShiftList();
            selection::TSmenaListFrm& list = *selection::SmenaListFrm();
            list.setWindowTitle(SalesHistoryListCaption(loadingRack));
            list.SetCurrentButtonVisible(HostValues::mayTakeCurrentShift());

            const bool shiftDispensers = HasShiftDispensers();
            dispensers.Close();
            dispensers.SetCommandText(
                SalesHistoryTrkQuery(shiftDispensers, HostValues::workplaceKind(), Clock::current().now()));
            dispensers.Open();
            if (dispensers.IsEmpty()) {
                currentDialogs().messageBox(QStringLiteral("Список ТРК пуст"), QStringLiteral("Информация"),
                                            MB_OK | MB_ICONINFORMATION);
                return;
            }
            list.AddDispenserButtons();
            db.SmLogSource.SetDataSet(&log);
            log.Open();
            ShiftChoice choice;
            while (selection::ChooseShifts(choice.BegShift, choice.EndShift, choice.BegTime, db.SmLogSource, &log,
                                           choice.EndTime)) {
                choice.current = list.result() == selection::mrCurrentShift;
                ProduceAndShow(SalesHistoryRequest(choice, list.SelectedDispenser(), Clock::current().now(),
                                                   loadingRack),
                               Production::Here);
            }
        },
        [&] {
            log.Close();
            dispensers.Close();
            if (db.VeltaServer.Connected())
                db.VeltaServer.SetConnected(false);
            // The list goes too, so no later report finds its dispenser buttons.
            selection::FreeShiftList();
        });
}

} // namespace velta::core
