#pragma once
// The fuel price history (report 35, selector 18: [18, Begin, End]): every
// price change of the period with the price it replaced, and the prices in
// force at its end.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument priceHistoryReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
