#pragma once
// The per-shift reports of events beside the sales: return acts (34), terminal
// returns not made yet (19), measuring-can checks (report 35, selector 10) and
// equipment restarts (report 35, selector 11).
#include "station/reports/ReportContext.h"
#include "station/reports/ReportParams.h"

namespace velta::station {

ReportDocument returnsShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument terminalReturnsShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument meterShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument reloadsShiftReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
