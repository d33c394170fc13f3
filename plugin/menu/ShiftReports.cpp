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

enum class Production { Here, InBackground };

// Produces the report (the long ones on the report thread behind the wait
// window), asks for its HTML rendering and shows both in the viewer.
void ProduceAndShow(const ShiftReportRequest& request, Production production)
{
    QString text;
    if (production == Production::InBackground)
        RunInBackground(request.reportNo, request.params, &ProduceReport, text);
    else
        RunReport(request.reportNo, request.params, text);
    QString html;
    RunReport(kLastReportHtml, Variant(Variant::Array{}), html);
    viewer::ShowReport(text, html, request.caption);
}

TDBFrm& dataModule()
{
    return *state().dataModule;
}

// How a handler sets up the shift list.
struct ShiftListSetup {
    int reportNumber = -1; // the properties button's report; -1 leaves the button hidden
    QString caption = QStringLiteral("Выберите смену");
    bool currentButton = true;          // shown when the user may take the open shift
    bool disableChoiceOnEmptyLog = true;
    bool ownSource = false;             // a data source of its own over the shift log
    bool cardNumber = false;            // the card number field and the scanner
};

// A field of the record the shift log stands on, as text (empty on an empty log).
QString currentText(TClientDataSet& log, const QString& field)
{
    return log.IsEmpty() ? QString() : log.FieldByName(field).AsString();
}

// The operator of a shift of the log, or empty when it is not there.
QString operatorOf(TClientDataSet& log, int shift)
{
    const Variant found = log.Lookup(QStringLiteral("SmNum"), Variant(shift), QStringLiteral("Operator"));
    return found.isEmptyOrNull() ? QString() : found.toString();
}

// The loop every shift report runs: the list is made and set up, the station
// connected and the shift log opened; the list is shown until the user
// cancels (or confirms an empty log), each choice handed to the report. On
// leaving, also after an error: the scanner stopped, the log closed, the
// connection dropped and the list destroyed.
void RunShiftLoop(const ShiftListSetup& setup, const std::function<void(const ShiftChoice&)>& report)
{
    TDBFrm& db = dataModule();
    TClientDataSet& log = db.SmLogtable;
    TDataSource ownSource(&log);
    TDataSource& source = setup.ownSource ? ownSource : db.SmLogSource;
    bool scanner = false;
    const auto leave = [&] {
        if (scanner)
            selection::StopScanner();
        log.Close();
        if (db.VeltaServer.Connected())
            db.VeltaServer.SetConnected(false);
        selection::FreeShiftList();
    };
    try {
        selection::CreateShiftList();
        selection::TSmenaListFrm& list = *SmenaListFrm();
        if (setup.reportNumber >= 0)
            list.SetReportNumber(setup.reportNumber);
        list.setWindowTitle(setup.caption);
        list.SetCurrentButtonVisible(setup.currentButton && HostValues::mayTakeCurrentShift());
        if (setup.cardNumber) {
            list.ShowCardNumber();
            selection::StartScanner();
            scanner = true;
        }
        db.VeltaServer.SetConnected(true);
        db.SmLogSource.SetDataSet(&log);
        log.Open();
        if (setup.disableChoiceOnEmptyLog && log.IsEmpty())
            list.SetChoiceEnabled(false);
        for (;;) {
            ShiftChoice choice;
            if (!selection::ChooseShifts(choice.BegShift, choice.EndShift, choice.BegTime, source, &log,
                                         choice.EndTime))
                break;
            choice.current = list.result() == selection::mrCurrentShift;
            if (!choice.current && log.IsEmpty())
                break;
            if (choice.current)
                choice.CurShift = HostValues::currentShiftNumber();
            choice.CurrentSmNum = currentText(log, QStringLiteral("SmNum"));
            choice.CurrentOperator = currentText(log, QStringLiteral("Operator"));
            choice.BegShiftOperator = operatorOf(log, choice.BegShift);
            report(choice);
        }
    } catch (...) {
        try {
            leave();
        } catch (...) {
            // The first error is the one the user sees.
        }
        throw;
    }
    leave();
}

// The statements flags and codes of a key read through the payment type flags.
std::pair<Variant, Variant> FlagsAndCodes(const QString& key, int defaultPos)
{
    Variant flags = ReadPayTypeFlags(key, defaultPos);
    Variant codes = SelectedPayTypeCodes(flags);
    return {flags, codes};
}

// Loads a client dataset from the rows of an SQL text on the station database.
void LoadFromSQL(TClientDataSet& dataSet, const QString& sql)
{
    Variant data;
    GetProviderData(sql, 0, data);
    dataSet.Close();
    dataSet.SetData(data.toByteArray());
}

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

    LoadFromSQL(db.VDCnt, QStringLiteral(
        "SELECT c.CONTR_ID AS ID, c.NAME, ct.PARAM1 AS VIDOPL FROM CONTRAGENT c LEFT JOIN CONTRAGENTTYPE ct ON "
        "ct.CONTR_ID = c.CONTR_ID WHERE COALESCE(c.ISDELETE, 0) = 0 AND (ct.CTYPE=1) AND (ct.PARAM1 - ct.PARAM1 / "
        "100 * 100 = 4) ORDER BY c.NAME"));
    bool newTable = true;
    if (db.VDCnt.IsEmpty()) {
        LoadFromSQL(db.VDCnt, QStringLiteral("SELECT * FROM VDCONTRACTOR WHERE ISDELETE=0 ORDER BY NAME"));
        newTable = false;
    }
    window.SetNewContragentTable(newTable);

    TClientDataSet& cars = db.VDCar;
    cars.Close();
    cars.SetMasterSource(&db.CntDS);
    LoadFromSQL(cars, QStringLiteral("SELECT * FROM VDCAR WHERE ISDELETE=0 ORDER BY NAME"));
    for (int i = 0; i < cars.FieldCount(); ++i) {
        TField& field = cars.Fields(i);
        const bool name = field.FieldName().compare(QStringLiteral("Name"), Qt::CaseInsensitive) == 0;
        field.SetVisible(name);
        if (name)
            field.SetDisplayLabel(QStringLiteral("Автомобиль"));
    }
    cars.SetIndexFieldNames(newTable && cars.FindField(QStringLiteral("CONTR_ID")) ? QStringLiteral("CONTR_ID;NAME")
                                                                                  : QStringLiteral("CID;NAME"));

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
        RunReport(kServiceReport, Variant(Variant::Array{Variant(kSelectorReturnsCodes)}), answer);
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
