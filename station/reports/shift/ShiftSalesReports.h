#pragma once
// The per-shift sales reports: bonuses and discounts (9), statement and
// contract sales by contragent (14, 16, 25, 26), one contragent's sales by
// driver and car (15, 17), coupon sales (46) and card sales (52).
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

ReportDocument bonusShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument statementShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument currentStatementShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument contragentShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument currentContragentShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument contractsShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument currentContractsShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument talonsShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument cardsShiftReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
