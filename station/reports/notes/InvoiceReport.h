#pragma once
// The invoice "Счет-фактура" of a consignment note (report 35, selector 6:
// [6, TTN_ID]): seller (the consignor), consignor as the note asks for it
// (in full, "он же" or a dash), consignee, payment document, buyer (the
// payer), the lines marked for the invoice in the form's columns 1-11 with
// the VAT each line stores, the totals, the free variables and the
// signatures. A note the station does not have raises EDatabaseError.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument invoiceReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
