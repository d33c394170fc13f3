#include "station/reports/ReportCatalog.h"

#include "station/reports/ShiftEventReports.h"
#include "station/reports/ShiftSalesReports.h"
#include "station/reports/ShiftReport.h"

namespace velta::station {
namespace {

// One line per report; keep them in report number order.
const ReportEntry kReports[] = {
    {9, -1, bonusShiftReport},
    {14, -1, statementShiftReport},
    {15, -1, contragentShiftReport},
    {16, -1, currentStatementShiftReport},
    {17, -1, currentContragentShiftReport},
    {19, -1, terminalReturnsShiftReport},
    {25, -1, contractsShiftReport},
    {26, -1, currentContractsShiftReport},
    {34, -1, returnsShiftReport},
    {35, 10, meterShiftReport},
    {35, 11, reloadsShiftReport},
    {45, -1, shiftReport},
    {46, -1, talonsShiftReport},
    {52, -1, cardsShiftReport},
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
