#pragma once
// ReportCatalog: which function computes which report. Report 35 is chosen by
// its selector (element 0 of its parameters) as well. Most entries produce a
// document that the engine renders as text and HTML; a few answer a plain
// value (a receipt template) that no viewer shows, and those leave the HTML
// that report 55 hands out as it was.
#include "common/ReportContract.h"
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

using ReportFunction = ReportDocument (*)(const ReportContext& context, const ReportParams& params);
using ReportAnswerFunction = QString (*)(StationDatabase& db, const ReportParams& params);

struct ReportEntry {
    int reportNo;
    int selector; // report::kNoSelector for every report but 35
    ReportFunction produce;
    ReportAnswerFunction answer = nullptr; // set instead of produce for a plain answer
};

// The entry of a report, or nullptr when the engine does not compute it.
const ReportEntry* findReport(int reportNo, int selector);

} // namespace velta::station
