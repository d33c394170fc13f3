#pragma once
// The cash register receipt template of a payment type (report 35, selector
// 9: [9, payment type code]): the marker report::kReceiptTemplateMarker
// followed by the template from the station's PredChecks.txt, the payment
// type's own when its flag is 1, else the common one. A payment type that has
// no template to print with (nothing stored where its flag points) gets the
// default template, the one the template editor offers for an empty template,
// so a station that never set templates up still prints a useful receipt.
// The answer is plain text with CR LF line breaks, no report document.
#include "station/reports/core/ReportParams.h"

#include <QString>

namespace velta::station {

class StationDatabase;

QString receiptTemplateAnswer(StationDatabase& db, const ReportParams& params);

// The answer for one payment type from the given PredChecks.txt (a suite
// name such as "C:\DEXE\PredChecks.txt" or a path of this machine).
QString receiptTemplateAnswer(int payTypeCode, const QString& predChecksName);

} // namespace velta::station
