#pragma once
// What the fuel journals, the period release reports, the limit reports, the
// price history and the sales history send to the report engine: their
// parameter arrays (element order and types as the engine reads them), report
// numbers, viewer captions, and the filters and queries their lists use.
#include "common/DateTime.h"
#include "common/ReportContract.h"
#include "common/Variant.h"
#include "plugin/menu/Report.h"
#include "plugin/menu/ShiftReportParams.h"

#include <QString>

namespace velta::core {

// ---- fuel journals ----

// The filter of the fuel operations of a kind; a positive host value 56
// leaves out the corrected entries.
QString FuelJournalFilter(TReport::FuelMove kind, int hostValue56);
// The operation list's caption for a kind.
QString FuelJournalListCaption(TReport::FuelMove kind);
// The journal of the operations First to Last: receipts report 0, pump-outs
// report 31 (both [First, Last]), transfers the service report [19, First, Last].
ShiftReportRequest FuelJournalRequest(TReport::FuelMove kind, int first, int last);

// The filter of the operations of a kind (receipts or pump-outs) begun within
// the shift times; the times in the user's date-time format, quoted.
QString ShiftFuelJournalFilter(TReport::FuelMove kind, TDateTime begTime, TDateTime endTime);
// The journal of a shift: [A, B] with A the last and B the first operation.
ShiftReportRequest ShiftFuelJournalRequest(TReport::FuelMove kind, int a, int b);

// ---- period release reports ----

// What the statement parameters window gave.
using report::PeriodReleaseChoice;
// The viewer caption of the statement release: the statements payment type's name.
QString StatementPeriodCaption(const Variant& payTypeNames);
ShiftReportRequest PeriodReleaseRequest(TReport::ReleaseBy by, const PeriodReleaseChoice& choice,
                                        const Variant& flags, const Variant& codes, const Variant& payTypeNames);

// ---- limits and prices ----

ShiftReportRequest LimitBalancesRequest();
ShiftReportRequest PriceHistoryRequest(TDateTime begin, TDateTime end);

// ---- sales history ----

// The probe that tells whether the station keeps shift dispensers (SMTRK).
QString SalesHistoryProbeQuery();
// The dispenser list's command text: with the shift dispenser table, its
// dispensers and (except on an office workplace) those of the journal's
// status rows of the last three days before now; without it, the journal's.
QString SalesHistoryTrkQuery(bool shiftDispensers, int workplaceKind, TDateTime now);
QString SalesHistoryListCaption(bool loadingRack);
// The history of a dispenser for the chosen shifts, or (current) for a day
// around now.
ShiftReportRequest SalesHistoryRequest(const ShiftChoice& choice, const QString& dispenser, TDateTime now,
                                       bool loadingRack);

} // namespace velta::core
