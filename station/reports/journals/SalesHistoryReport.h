#pragma once
// The sales history of one dispenser (report 10): its journal of pourings and
// status events over a period, [dispenser, nozzle (-1 all), BegTime, EndTime,
// current shift]; or, for a dispenser's journal window, [dispenser, row]: the
// journal's rows from the newest down to that row.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument salesHistoryReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
