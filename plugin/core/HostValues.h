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

// GetPrivValue answers taken as booleans / integers (host errors propagate).
bool privFlag(int code);
// GetPrivValue 15 taken as an unsigned number.
unsigned privWorkplaceKind();
// GetPrivValue 19: the payment type names (any variant; callers check for an array).
Variant privPayTypeNames();

// True when a variant holds an integer type (the framework's ordinal types).
bool isOrdinal(const Variant& value);

} // namespace velta::core::HostValues
