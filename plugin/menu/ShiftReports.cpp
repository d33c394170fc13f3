// The shift report handlers of the Report object: the shift list loop, the
// report options, the report production (in the background for the long
// reports) and the viewer.
#include "plugin/menu/Report.h"

#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/core/WaitFrm.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/menu/ReportSteps.h"
#include "plugin/menu/ShiftReportParams.h"
#include "plugin/platform/Paths.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/settings/ParamVedomForm.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/window/ShowReport.h"

#include <QScopeGuard>
#include <functional>

namespace velta::core {

using plugin::MenuItem;
using selection::SmenaListFrm;

namespace {

// The contragent reports of one shift choice: the statement parameters window
// over the station's statement clients and their cars, shown again after each
// report until the user leaves it.
void RunContragentReports(const ShiftChoice& choice)
{
    TDBFrm& db = dataModule();
    Dialogs& dialogs = currentDialogs();
    settings::TParamVedomFrm window(dialogs);
    const auto closeSets = qScopeGuard([&db] {
        db.VDCar.Close();
        db.VDCnt.Close();
    });
    window.SetClientGridEnabled(true);
    window.SetCarGridEnabled(false);
    window.SetGroupingEnabled(true);
    window.SetTimes(QStringLiteral("00:00"), QStringLiteral("00:00"));

    const bool newTable = LoadStatementClients(window);
    LoadStatementDetail(db.VDCar, QStringLiteral("SELECT * FROM VDCAR WHERE ISDELETE=0 ORDER BY NAME"),
                        QStringLiteral("Автомобиль"), newTable);

    while (dialogs.showModal(window) == mrOk) {
        const auto [flags, codes] = FlagsAndCodes(QStringLiteral("VedomProp"), 4);
        ContragentChoice contragent;
        contragent.Name = db.VDCnt.FieldByName(QStringLiteral("Name")).AsString();
        contragent.ByDrivers = window.ByDrivers();
        contragent.ByCars = window.ByCars();
        contragent.DriverFirst = window.DriverFirst();
        ProduceAndShow(ContragentShiftReportRequest(choice, contragent, flags, codes), Production::Here);
    }
}

} // namespace

void TReport::ShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({.reportNumber = 2}, [](const ShiftChoice& choice) {
        // Without cnf.ini the choice is not taken: the list shows again.
        if (!Paths::fileExists(CnfIniFileName()))
            return;
        ProduceAndShow(ShiftReportRequestFor(choice, ReadShiftReportSettings()), Production::InBackground);
    });
}

void TReport::CurrentShiftReport(MenuItem&)
{
    if (!HostValues::mayTakeCurrentShift())
        return;
    UpdateVidOplIfOffice();
    ProduceAndShow(CurrentShiftReportRequest(ReadShiftReportSettings()), Production::InBackground);
}

void TReport::BonusShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({.reportNumber = 3, .caption = QStringLiteral("Выберите смену для отчета по бонусам и скидкам")},
                 [](const ShiftChoice& choice) {
                     ProduceAndShow(BonusShiftReportRequest(choice, ReadBonusRepSettings()), Production::Here);
                 });
}

void TReport::ReturnsShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({.reportNumber = 1}, [](const ShiftChoice& choice) {
        const BackRepSettings settings = ReadBackRepSettings();
        // The engine answers "OK" when it takes the payment codes along.
        QString answer;
        RunReport(report::kService, Variant(Variant::Array{Variant(report::kSelectorReturnsCodes)}), answer);
        const int workplaceKind = static_cast<int>(HostValues::privWorkplaceKind());
        ProduceAndShow(ReturnsShiftReportRequest(choice, settings, HostValues::stationValue(), workplaceKind,
                                                 answer == QLatin1String("OK")),
                       Production::Here);
    });
}

void TReport::TalonsShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({.reportNumber = 8}, [](const ShiftChoice& choice) {
        const auto [flags, codes] = FlagsAndCodes(QStringLiteral("TalonRep"), 9);
        ProduceAndShow(TalonsShiftReportRequest(choice, flags, codes), Production::Here);
    });
}

void TReport::TerminalReturnsShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    ShiftListSetup setup;
    setup.caption = QStringLiteral("Выберите смену для отчета по непроизведенным возвратам на терминал");
    setup.disableChoiceOnEmptyLog = false;
    setup.ownSource = true;
    RunShiftLoop(setup, [](const ShiftChoice& choice) {
        ProduceAndShow(TerminalReturnsShiftReportRequest(choice), Production::Here);
    });
}

void TReport::CardsShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({.reportNumber = selection::kCardsReportNumber, .cardNumber = true}, [](const ShiftChoice& choice) {
        const CardRepSettings settings = ReadCardRepSettings();
        const QString mask = CardMaskOf(SmenaListFrm()->CardNumberText());
        ProduceAndShow(CardsShiftReportRequest(choice, settings, mask), Production::InBackground);
    });
}

void TReport::ContractsShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({.reportNumber = 7}, [](const ShiftChoice& choice) {
        const auto [flags, codes] = FlagsAndCodes(QStringLiteral("DogovorRep"), 8);
        ProduceAndShow(ContractsShiftReportRequest(choice, flags, codes), Production::Here);
    });
}

void TReport::StatementShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({.reportNumber = 6}, [](const ShiftChoice& choice) {
        const auto [flags, codes] = FlagsAndCodes(QStringLiteral("VedomRep"), 4);
        ProduceAndShow(StatementShiftReportRequest(choice, flags, codes), Production::Here);
    });
}

void TReport::ContragentShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({}, [](const ShiftChoice& choice) { RunContragentReports(choice); });
}

void TReport::ReloadsShiftReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    RunShiftLoop({}, [](const ShiftChoice& choice) {
        ProduceAndShow(ReloadsShiftReportRequest(choice), Production::Here);
    });
}

// The meter report neither reloads the payment types nor offers the open shift.
void TReport::MeterShiftReport(MenuItem&)
{
    ShiftListSetup setup;
    setup.currentButton = false;
    RunShiftLoop(setup, [](const ShiftChoice& choice) {
        ProduceAndShow(MeterShiftReportRequest(choice), Production::Here);
    });
}

} // namespace velta::core
