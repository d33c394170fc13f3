#include "station/reports/ReportCatalog.h"

#include "station/reports/ShiftReport.h"


namespace velta::station {
namespace {

// One line per report; keep them in report number order.
const ReportEntry kReports[] = {
    {45, -1, shiftReport},
    {-1, -1, nullptr},
};

} // namespace

const ReportEntry* findReport(int reportNo, int selector)
{
    for (const ReportEntry& entry : kReports) {
        if (entry.produce && entry.reportNo == reportNo && entry.selector == selector)
            return &entry;
    }
    return nullptr;
}

} // namespace velta::station
