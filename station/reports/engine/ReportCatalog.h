#pragma once
// ReportCatalog: which function computes which report. Report 35 is chosen by
// its selector (element 0 of its parameters) as well.
#include "common/ReportContract.h"
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

using ReportFunction = ReportDocument (*)(const ReportContext& context, const ReportParams& params);

struct ReportEntry {
    int reportNo;
    int selector; // report::kNoSelector for every report but 35
    ReportFunction produce;
};

// The entry of a report, or nullptr when the engine does not compute it.
const ReportEntry* findReport(int reportNo, int selector);

} // namespace velta::station
