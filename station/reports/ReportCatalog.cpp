#include "station/reports/ReportCatalog.h"

#include "station/reports/FuelJournalReport.h"
#include "station/reports/LimitReports.h"
#include "station/reports/PeriodReleaseReport.h"
#include "station/reports/PriceHistoryReport.h"
#include "station/reports/SalesHistoryReport.h"
#include "station/reports/ShiftEventReports.h"
#include "station/reports/ShiftReport.h"
#include "station/reports/ShiftSalesReports.h"

namespace velta::station {
namespace {

// One line per report; keep them in report number order.
const ReportEntry kReports[] = {
    {0, -1, receiptJournalReport},
    {9, -1, bonusShiftReport},
    {10, -1, salesHistoryReport},
    {11, -1, statementReleaseReport},
    {12, -1, contragentReleaseReport},
    {13, -1, carReleaseReport},
    {14, -1, statementShiftReport},
    {15, -1, contragentShiftReport},
    {16, -1, currentStatementShiftReport},
    {17, -1, currentContragentShiftReport},
    {19, -1, terminalReturnsShiftReport},
    {25, -1, contractsShiftReport},
    {26, -1, currentContractsShiftReport},
    {31, -1, pumpOutJournalReport},
    {34, -1, returnsShiftReport},
    {35, 10, meterShiftReport},
    {35, 11, reloadsShiftReport},
    {35, 12, limitBalancesReport},
    {35, 13, limitDetailReport},
    {35, 18, priceHistoryReport},
    {35, 19, transferJournalReport},
    {45, -1, shiftReport},
    {46, -1, talonsShiftReport},
    {52, -1, cardsShiftReport},
    {53, -1, driverReleaseReport},
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
