#pragma once
// The printer receipt of a sale, "ТОВАРНЫЙ ЧЕК" (report 35, selector 8:
// [8, sale number, operator, post, comment]): the station's details, the sale
// line with its discount, the payment type and buyer, the total, operator and
// post, the comment and the signature lines. Sale number -1 gives the empty
// form to fill by hand; a sale the station does not have raises
// EDatabaseError. The comment is HTML (lines joined by "<br />") and goes into
// the HTML rendering as given; the text rendering shows its lines.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

// The sale number that asks for the empty form.
inline constexpr int kEmptyReceiptForm = -1;

ReportDocument printerReceiptReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
