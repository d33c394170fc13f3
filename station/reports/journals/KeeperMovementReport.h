#pragma once
// The fuel of a keeper organisation over a period (report 35, selector 15):
// [15, keeper id, Begin, End]. Per fuel the balance held for the keeper at the
// begin, what came in (receipts entered for it) and went out (pump-outs to it
// and sales to it), and the balance at the end; then the operations of the
// period one by one.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument keeperMovementReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
