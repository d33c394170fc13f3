#include "station/reports/engine/ReportCatalog.h"

#include "station/reports/journals/DiscountCardsReport.h"
#include "station/reports/journals/FuelJournalReport.h"
#include "station/reports/journals/KeeperMovementReport.h"
#include "station/reports/period/LimitReports.h"
#include "station/reports/period/PeriodReleaseReport.h"
#include "station/reports/period/PriceHistoryReport.h"
#include "station/reports/journals/SalesHistoryReport.h"
#include "station/reports/notes/GoodsWaybillReport.h"
#include "station/reports/notes/InvoiceReport.h"
#include "station/reports/notes/ShipmentReceiptReport.h"
#include "station/reports/notes/TtnSectionReports.h"
#include "station/reports/receipts/PrinterReceiptReport.h"
#include "station/reports/receipts/ReceiptTemplateAnswer.h"
#include "station/reports/shift/ShiftEventReports.h"
#include "station/reports/shift/ShiftReport.h"
#include "station/reports/shift/ShiftSalesReports.h"

namespace velta::station {
namespace {

// One line per report; keep them in report number order.
const ReportEntry kReports[] = {
    {report::kFuelReceiptsJournal, report::kNoSelector, receiptJournalReport},
    {report::kBonusShift, report::kNoSelector, bonusShiftReport},
    {report::kSalesHistory, report::kNoSelector, salesHistoryReport},
    {report::kStatementPeriod, report::kNoSelector, statementReleaseReport},
    {report::kContragentPeriod, report::kNoSelector, contragentReleaseReport},
    {report::kCarPeriod, report::kNoSelector, carReleaseReport},
    {report::kStatementShift, report::kNoSelector, statementShiftReport},
    {report::kContragentShift, report::kNoSelector, contragentShiftReport},
    {report::kCurrentStatementShift, report::kNoSelector, currentStatementShiftReport},
    {report::kCurrentContragentShift, report::kNoSelector, currentContragentShiftReport},
    {report::kTerminalReturnsShift, report::kNoSelector, terminalReturnsShiftReport},
    {report::kContractsShift, report::kNoSelector, contractsShiftReport},
    {report::kCurrentContractsShift, report::kNoSelector, currentContractsShiftReport},
    {report::kPumpOutsJournal, report::kNoSelector, pumpOutJournalReport},
    {report::kReturnsShift, report::kNoSelector, returnsShiftReport},
    {report::kService, report::kSelectorDiscountCards, discountCardsReport},
    {report::kService, report::kSelectorTtnGoods, ttnGoodsSectionReport},
    {report::kService, report::kSelectorTtnTransport, ttnTransportSectionReport},
    {report::kService, report::kSelectorInvoice, invoiceReport},
    {report::kService, report::kSelectorGoodsWaybill, goodsWaybillReport},
    {report::kService, report::kSelectorPrinterReceipt, printerReceiptReport},
    {report::kService, report::kSelectorReceiptTemplate, nullptr, receiptTemplateAnswer},
    {report::kService, report::kSelectorMeter, meterShiftReport},
    {report::kService, report::kSelectorReloads, reloadsShiftReport},
    {report::kService, report::kSelectorLimitBalances, limitBalancesReport},
    {report::kService, report::kSelectorLimitsDetail, limitDetailReport},
    {report::kService, report::kSelectorKeeperMovement, keeperMovementReport},
    {report::kService, report::kSelectorShipmentReceipt, shipmentReceiptReport},
    {report::kService, report::kSelectorPriceHistory, priceHistoryReport},
    {report::kService, report::kSelectorTransfers, transferJournalReport},
    {report::kShift, report::kNoSelector, shiftReport},
    {report::kTalonsShift, report::kNoSelector, talonsShiftReport},
    {report::kCardsShift, report::kNoSelector, cardsShiftReport},
    {report::kDriverPeriod, report::kNoSelector, driverReleaseReport},
};

} // namespace

const ReportEntry* findReport(int reportNo, int selector)
{
    for (const ReportEntry& entry : kReports) {
        if ((entry.produce || entry.answer) && entry.reportNo == reportNo && entry.selector == selector)
            return &entry;
    }
    return nullptr;
}

} // namespace velta::station
