#pragma once
// The shipment receipt "Квитанция об отгрузке" of a consignment note (report
// 35, selector 16: [16, TTN_ID]): its own number and date where the station
// keeps them, the parties and vehicle, the lines of the goods section with
// volume, density, temperature, mass and amount, the totals with the sum and
// mass in words, the free variables and the signatures of the one who
// shipped and the driver who took the cargo. A note the station does not
// have raises EDatabaseError.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument shipmentReceiptReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
