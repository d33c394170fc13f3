#pragma once
// Typed accessors for the host's numbered values (GetValue and GetPrivValue),
// each with the fallback its users rely on. Unguarded accessors let host
// errors through; the guarded ones turn a failure or a missing callback into
// their fallback.
#include "common/Variant.h"
#include "plugin/api/velta_plugin.h"

#include <QString>

namespace velta::core::HostValues {

// Raw answers. A missing callback gives Empty; host errors propagate.
Variant value(int code);
Variant privValue(int code);

// GetValue 46: the workplace kind (0 or 3 local, 1 or 2 remote).
int workplaceKind();
// GetValue 80: a loading rack instead of dispensers; failure or no callback is false.
bool hasLoadingRack();
// GetValue 89: show the keeper fuel movement item; failures propagate.
bool showKeeperItem();
// GetValue 101: the host version; a string (or empty) answer counts as 9.0.
double hostVersion();
// GetValue 85: SetMenuItemState, or null for 0 or a non-ordinal answer.
plugin::SetMenuItemStateFn setMenuItemState();
// GetValue 57: the host's payment type list, or null when the answer is a string.
plugin::PayTypeList* payTypeList();
// GetValue 13: the station name; empty or failing gives "АЗС".
QString stationName();
// GetValue 7: the computer of the station server for remote reports.
QString reportServerComputer();

// GetValue 2, 35: the operator's full name and the organisation name.
QString operatorName();
QString organisationName();
// GetValue 56: the value sent before every report.
int reportPrologueValue();
// GetValue 84: the host's receipt print function, or null.
plugin::HostReceiptPrintFn receiptPrintFunction();

// GetPrivValue answers taken as booleans / integers (host errors propagate).
bool privFlag(int code);
// GetPrivValue 15 taken as an unsigned number.
unsigned privWorkplaceKind();
// GetPrivValue 0: the user may take the current (open) shift.
bool mayTakeCurrentShift();
// GetPrivValue 8: report text goes straight to the printer device.
bool printStraightToDevice();
// GetPrivValue 9 and 10 both true: print through the host function of code 22.
bool printThroughHost();
// GetPrivValue 22: the host's print routine, or null.
plugin::HostPrintRoutineFn hostPrintRoutine();
// GetPrivValue 11: the station value passed on in shift report parameters.
Variant stationValue();
// GetPrivValue 12: the number of the current shift.
int currentShiftNumber();
// GetPrivValue 13: the computer name of the station server.
QString stationServerComputer();
// GetPrivValue 19: the payment type names (any variant; callers check for an array).
Variant privPayTypeNames();

// True when a variant holds an integer type (the framework's ordinal types).
bool isOrdinal(const Variant& value);

} // namespace velta::core::HostValues
