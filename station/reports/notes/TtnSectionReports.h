#pragma once
// The two sections of a consignment note on form 1-Т (report 35):
// selector 4 [4, TTN_ID] the goods section with the note's head (vehicle,
// parties, points), the cargo lines marked for it, totals and masses in
// words and the release signatures; its HTML ends with a page break so that
// the transport section printed after it starts a new sheet. Selector 5
// [5, TTN_ID] the transport section: carrier, vehicle, driver, route and the
// cargo information of the lines marked for it. Both show the note's free
// variables; a note the station does not have raises EDatabaseError.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument ttnGoodsSectionReport(const ReportContext& context, const ReportParams& params);
ReportDocument ttnTransportSectionReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
