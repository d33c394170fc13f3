#pragma once
// The steps the report handlers share: producing a report and showing it with
// its HTML rendering, the shift list loop with its leaving steps, the payment
// type flags of a report key, and the statement clients with their cars or
// drivers for the statement parameters window.
#include "common/Variant.h"
#include "plugin/core/LeavingSteps.h"
#include "plugin/menu/ShiftReportParams.h"

#include <QString>
#include <functional>
#include <utility>

namespace velta {
class TClientDataSet;
}
namespace velta::settings {
class TParamVedomFrm;
}

namespace velta::core {

class TDBFrm;

enum class Production { Here, InBackground };

// Produces the report (the long ones on the report thread behind the wait
// window), asks for its HTML rendering and shows both in the viewer.
void ProduceAndShow(const ShiftReportRequest& request, Production production);


// The plug-in's data module.
TDBFrm& dataModule();

// How a handler sets up the shift list.
struct ShiftListSetup {
    int reportNumber = -1; // the properties button's report; -1 leaves the button hidden
    QString caption = QStringLiteral("Выберите смену");
    bool currentButton = true;          // shown when the user may take the open shift
    bool disableChoiceOnEmptyLog = true;
    bool ownSource = false;             // a data source of its own over the shift log
    bool cardNumber = false;            // the card number field and the scanner
};

// The loop every shift report runs: the list is made and set up, the station
// connected and the shift log opened; the list is shown until the user
// cancels (or confirms an empty log), each choice handed to the report. On
// leaving, also after an error: the scanner stopped, the log closed, the
// connection dropped and the list destroyed.
void RunShiftLoop(const ShiftListSetup& setup, const std::function<void(const ShiftChoice&)>& report);

// The flags and codes of a report key read through the payment type flags.
std::pair<Variant, Variant> FlagsAndCodes(const QString& key, int defaultPos);

// Loads a client dataset from the rows of an SQL text on the station database.
void LoadFromSQL(TClientDataSet& dataSet, const QString& sql);

// Loads the statement clients into VDCnt: those of the client table with
// client types, or, when it has none, those of the older table; marks the
// window with the table used and returns the mark.
bool LoadStatementClients(settings::TParamVedomFrm& window);
// Loads a detail list of the statement clients (VDCar or VDDriver) from its
// SQL text: only "Name" shown, under the label, ordered within the client.
void LoadStatementDetail(TClientDataSet& detail, const QString& sql, const QString& label, bool newContragentTable);

} // namespace velta::core
