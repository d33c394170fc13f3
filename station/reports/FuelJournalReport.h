#pragma once
// The fuel journals: receipts (report 0), pump-outs (report 31) and transfers
// between tanks (report 35, selector 19), each over a range of operation
// numbers. Receipts and pump-outs also take the shift forms: [last, first]
// operation of the chosen shifts, [1, 0] for shifts without operations and
// [-1, -1] for the current shift.
#include "station/reports/ReportContext.h"
#include "station/reports/ReportParams.h"

namespace velta::station {

ReportDocument receiptJournalReport(const ReportContext& context, const ReportParams& params);
ReportDocument pumpOutJournalReport(const ReportContext& context, const ReportParams& params);
ReportDocument transferJournalReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
