#pragma once
// The decreasing-limit reports: the current balances of every client's limits
// (report 35, selector 12: [12]) and the movement of one contragent's limits
// over a period, grants against sales (report 35, selector 13: [13, Name,
// Begin, End]).
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument limitBalancesReport(const ReportContext& context, const ReportParams& params);
ReportDocument limitDetailReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
