#pragma once
// TReport: the one object that owns every handler of the report menu. Each
// handler runs on the host's user-interface thread as a click on its item.
#include "plugin/api/velta_plugin.h"
#include "plugin/core/VeltaRep.h"

#include <QString>

namespace velta::core {

class TReport : public ReportHandlers {
public:
    // The kinds of fuel journal entries the fuel journals show.
    enum class FuelMove { Receipts, PumpOuts, Transfers };
    // What a period release report is taken by.
    enum class ReleaseBy { Statement, Contragent, Car, Driver, LimitsDetail };

    TReport() = default;
    TReport(const TReport&) = delete;
    TReport& operator=(const TReport&) = delete;

    void SalesReceipt(plugin::MenuItem& sender);
    void FuelJournal(plugin::MenuItem& sender, FuelMove kind);
    void ShiftFuelJournal(plugin::MenuItem& sender, FuelMove kind);
    void ShiftReport(plugin::MenuItem& sender);
    void CurrentShiftReport(plugin::MenuItem& sender);
    void BonusShiftReport(plugin::MenuItem& sender);
    void ReturnsShiftReport(plugin::MenuItem& sender);
    void TalonsShiftReport(plugin::MenuItem& sender);
    void TerminalReturnsShiftReport(plugin::MenuItem& sender);
    void CardsShiftReport(plugin::MenuItem& sender);
    void ContractsShiftReport(plugin::MenuItem& sender);
    void SalesHistoryReport(plugin::MenuItem& sender);
    void StatementShiftReport(plugin::MenuItem& sender);
    void ContragentShiftReport(plugin::MenuItem& sender);
    void PeriodReleaseReport(plugin::MenuItem& sender, ReleaseBy by);
    void ScannedDocuments(plugin::MenuItem& sender);
    void ConsignmentNotes(plugin::MenuItem& sender);
    void KeeperFuelMovement(plugin::MenuItem& sender);
    void MeterShiftReport(plugin::MenuItem& sender);
    void LimitBalancesReport(plugin::MenuItem& sender);
    void ReloadsShiftReport(plugin::MenuItem& sender);
    void PriceHistoryReport(plugin::MenuItem& sender);
    void DiscountCardsList(plugin::MenuItem& sender);
    void ReportSettings(plugin::MenuItem& sender);
    // The sales history of the dispenser named in the clicked shortcut item.
    void OpenSalesHistory(plugin::MenuItem& sender);
};

// The dispenser name of a sales history shortcut item's caption: the text from
// its sixth character on, without its first "&".
QString DispenserNameFromCaption(const QString& caption);

// The Report object the menu was built with (made by the first InitReportMenu).
TReport& report();

} // namespace velta::core
