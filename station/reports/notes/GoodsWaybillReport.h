#pragma once
// The goods waybill "ТОРГ-12" of a consignment note (report 35, selector 7:
// [7, TTN_ID, variant]): consignor, consignee, supplier and payer with their
// bank details, the basis and transport note, the lines marked for the
// waybill with VAT, totals, the sum and net mass in words and the release
// signatures. Variant 0 is the standard form; variant 1 adds each line's
// volume, density and temperature, variant 2 its pressure as well. A note the
// station does not have raises EDatabaseError, as does another variant.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

enum class WaybillVariant { Standard = 0, Measured = 1, MeasuredWithPressure = 2 };

ReportDocument goodsWaybillReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
