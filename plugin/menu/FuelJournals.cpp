// The fuel journal handlers of the Report object: the journals over the fuel
// operations chosen in the operation list, and the journals of a shift.
#include "plugin/menu/Report.h"

#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/JournalReportParams.h"
#include "plugin/menu/ReportSteps.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/window/ShowReport.h"

#include <QStringList>

namespace velta::core {

using plugin::MenuItem;

namespace {

// The provider's "CarName" column gets a field of its own, made from the
// column's definition, so the list shows it and the car filter can use it.
void AddCarNameField(TClientDataSet& operations)
{
    const QString carName = QStringLiteral("CarName");
    if (operations.FindField(carName))
        return;
    FieldDef definition;
    bool delivered = false;
    for (const FieldDef& column : operations.DataFieldDefs()) {
        if (column.name.compare(carName, Qt::CaseInsensitive) == 0) {
            definition = column;
            delivered = true;
        }
    }
    if (!delivered)
        return;
    operations.Close();
    TField& field = operations.AddField(definition.name, definition.type, definition.size);
    field.SetDisplayLabel(QStringLiteral("Бензовоз"));
    field.SetDisplayWidth(20);
    operations.Open();
}

// The names of the tankers for the list's car filter; any failure leaves the
// list without the filter.
void FillCarFilter(TDBFrm& db, selection::TSmenaListFrm& list)
{
    try {
        TClientDataSet& cars = db.cdsAutoList;
        cars.Close();
        cars.Open();
        QStringList names;
        TField& name = cars.FieldByName(QStringLiteral("CarName"));
        for (cars.First(); !cars.Eof(); cars.Next())
            if (!name.AsString().isEmpty())
                names << name.AsString();
        cars.Close();
        list.SetCars(names);
    } catch (...) {
        // The list works without its car filter.
    }
}

} // namespace

void TReport::FuelJournal(MenuItem&, FuelMove kind)
{
    UpdateVidOplIfOffice();
    TDBFrm& db = dataModule();
    TClientDataSet& operations = db.PrxTable;
    WithLeavingSteps(
        [&] {
            db.VeltaServer.SetConnected(true);
            operations.SetFilter(FuelJournalFilter(kind, HostValues::reportPrologueValue()));
            operations.SetFiltered(true);
            db.SmLogSource.SetDataSet(&operations);
            operations.Open();
            AddCarNameField(operations);
            if (operations.IsEmpty()) {
                currentDialogs().messageBox(QStringLiteral("Список пуст"), QStringLiteral("Информация"),
                                            MB_OK | MB_ICONINFORMATION);
                return;
            }
            WithLeavingSteps(
                [&] {
                    selection::CreateShiftList();
                    selection::TSmenaListFrm& list = *selection::SmenaListFrm();
                    FillCarFilter(db, list);
                    list.setWindowTitle(FuelJournalListCaption(kind));
                    int first = 0;
                    int last = 0;
                    while (selection::ChooseOperations(first, last, db.SmLogSource))
                        ProduceAndShow(FuelJournalRequest(kind, first, last), Production::Here);
                },
                [] { selection::FreeShiftList(); });
        },
        [&] {
            operations.Close();
            if (db.VeltaServer.Connected())
                db.VeltaServer.SetConnected(false);
        });
}

void TReport::ShiftFuelJournal(MenuItem&, FuelMove kind)
{
    UpdateVidOplIfOffice();
    TClientDataSet& operations = dataModule().PrxTable;
    // The operations are closed before the shift log, the connection and the list go.
    RunShiftLoop({}, [&](const ShiftChoice& choice) {
        WithLeavingSteps(
            [&] {
                operations.SetFilter(ShiftFuelJournalFilter(kind, choice.BegTime, choice.EndTime));
                operations.SetFiltered(true);
                operations.Open();
                // The last and first operation of the shift; [1, 0] when it has none.
                int a = 1;
                int b = 0;
                if (choice.current) {
                    a = -1;
                    b = -1;
                } else if (!operations.IsEmpty()) {
                    operations.Last();
                    a = operations.FieldByName(QStringLiteral("OpNum")).AsInteger();
                    operations.First();
                    b = operations.FieldByName(QStringLiteral("OpNum")).AsInteger();
                }
                const ShiftReportRequest request = ShiftFuelJournalRequest(kind, a, b);
                QString text;
                RunReport(request.reportNo, request.params, text);
                operations.Close();
                operations.SetFiltered(false);
                QString html;
                RunReport(report::kLastReportHtml, Variant(Variant::Array{}), html);
                viewer::ShowReport(text, html, request.caption);
            },
            [&] { operations.Close(); });
    });
}

} // namespace velta::core
