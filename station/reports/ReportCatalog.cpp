#include "station/reports/ReportCatalog.h"


namespace velta::station {
namespace {

// One line per report; keep them in report number order.
const ReportEntry kReports[] = {
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
