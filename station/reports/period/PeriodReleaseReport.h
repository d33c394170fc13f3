#pragma once
// Releases to statement clients over a free period: by payment type for every
// client (report 11: [Begin, End, Flags, Codes]), for one contragent grouped
// by drivers and/or cars (report 12: [Begin, End, Name, ByDrivers, ByCars,
// DriverFirst, Flags] or [..., false, Flags, Codes]), for one car of a
// contragent (report 13) and for one driver (report 53: [Begin, End, Name,
// car or driver name, Flags, Codes]).
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument statementReleaseReport(const ReportContext& context, const ReportParams& params);
ReportDocument contragentReleaseReport(const ReportContext& context, const ReportParams& params);
ReportDocument carReleaseReport(const ReportContext& context, const ReportParams& params);
ReportDocument driverReleaseReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
