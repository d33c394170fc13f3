// The period handlers of the Report object: the releases to statement clients
// over a free period through the statement parameters window, the decreasing
// limits and the fuel price history.
#include "plugin/menu/Report.h"

#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/JournalReportParams.h"
#include "plugin/menu/ReportSteps.h"
#include "plugin/selection/ChoosePeriodFrm.h"
#include "plugin/settings/ParamVedomForm.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"

namespace velta::core {

using plugin::MenuItem;

namespace {

using ReleaseBy = TReport::ReleaseBy;

// Which grids and grouping boxes the window offers for a kind of report.
void SetUpWindow(settings::TParamVedomFrm& window, ReleaseBy by)
{
    const bool byContragent = by == ReleaseBy::Contragent;
    window.SetClientGridEnabled(by != ReleaseBy::Statement);
    window.SetCarGridEnabled(by == ReleaseBy::Car || by == ReleaseBy::Driver);
    window.SetGroupingVisible(byContragent);
    window.SetGroupingEnabled(byContragent);
}

// The current record's "Name" of a list, empty when the list has none.
QString currentName(TClientDataSet& list)
{
    return list.Active() && !list.IsEmpty() ? list.FieldByName(QStringLiteral("Name")).AsString() : QString();
}

} // namespace

void TReport::PeriodReleaseReport(MenuItem&, ReleaseBy by)
{
    UpdateVidOplIfOffice();
    TDBFrm& db = dataModule();
    Dialogs& dialogs = currentDialogs();
    const bool drivers = by == ReleaseBy::Driver;
    TClientDataSet& detail = drivers ? db.VDDriver : db.VDCar;
    TDataSource driverSource(&db.VDDriver);
    settings::TParamVedomFrm window(dialogs);
    WithLeavingSteps(
        [&] {
            SetUpWindow(window, by);
            const bool newTable = LoadStatementClients(window);
            if (drivers) {
                LoadStatementDetail(detail, QStringLiteral("SELECT * FROM VDDRIVER WHERE ISDELETE=0 ORDER BY NAME"),
                                    QStringLiteral("Водитель"), newTable);
                window.SetCarSource(&driverSource);
            } else {
                LoadStatementDetail(detail, QStringLiteral("SELECT * FROM VDCAR WHERE ISDELETE=0 ORDER BY NAME"),
                                    QStringLiteral("Автомобиль"), newTable);
            }
            window.SetTimes(QStringLiteral("00:00"), QStringLiteral("00:00"));
            while (dialogs.showModal(window) == mrOk) {
                const auto [flags, codes] = FlagsAndCodes(QStringLiteral("VedomProp"), 4);
                PeriodReleaseChoice choice;
                choice.Begin = window.PeriodBegin();
                choice.End = window.PeriodEnd();
                choice.Contragent = currentName(db.VDCnt);
                choice.Detail = currentName(detail);
                choice.ByDrivers = window.ByDrivers();
                choice.ByCars = window.ByCars();
                choice.DriverFirst = window.DriverFirst();
                ProduceAndShow(PeriodReleaseRequest(by, choice, flags, codes, state().payTypeNames), Production::Here);
            }
        },
        [&] {
            db.VDCnt.Close();
            detail.Close();
        });
}

void TReport::LimitBalancesReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    ProduceAndShow(LimitBalancesRequest(), Production::Here);
}

void TReport::PriceHistoryReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    // The period chooser comes back after each report until it is cancelled.
    TDateTime begin = 0;
    TDateTime end = 0;
    while (selection::ChoosePeriod(begin, end))
        ProduceAndShow(PriceHistoryRequest(begin, end), Production::Here);
}

} // namespace velta::core
