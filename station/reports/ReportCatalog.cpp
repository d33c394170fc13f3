#include "station/reports/ReportCatalog.h"

#include "station/reports/FuelJournalReport.h"
#include "station/reports/LimitReports.h"
#include "station/reports/PeriodReleaseReport.h"
#include "station/reports/PriceHistoryReport.h"
#include "station/reports/SalesHistoryReport.h"


namespace velta::station {
namespace {

// One line per report; keep them in report number order.
const ReportEntry kReports[] = {
    {-1, -1, nullptr},
    {0, -1, receiptJournalReport},
    {10, -1, salesHistoryReport},
    {11, -1, statementReleaseReport},
    {12, -1, contragentReleaseReport},
    {13, -1, carReleaseReport},
    {31, -1, pumpOutJournalReport},
    {35, 12, limitBalancesReport},
    {35, 13, limitDetailReport},
    {35, 18, priceHistoryReport},
    {35, 19, transferJournalReport},
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
