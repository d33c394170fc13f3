#pragma once
// The fuel journals: receipts (report 0), pump-outs (report 31) and transfers
// between tanks (report 35, selector 19), each over a range of operation
// numbers. Receipts and pump-outs also take the shift forms: [last, first]
// operation of the chosen shifts, [1, 0] for shifts without operations and
// [-1, -1] for the current shift.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

namespace velta::station {

// The kinds of fuel journal entries (PRX).
enum class FuelJournalKind { Receipts, PumpOuts, Transfers };

// The condition choosing a journal's entries, its columns qualified by prefix
// (e.g. "p."). Corrected entries stay in: they are listed and marked.
QString fuelJournalCondition(FuelJournalKind kind, const QString& prefix = QString());
// The note of an entry as the journals show it: corrected ones marked.
QString fuelJournalNote(const QString& note, bool corrected);
// A corrected entry is replaced by its correcting entry, so it counts in no
// total: in code, and as the condition of the entries that count in SQL.
inline bool countsInTotals(bool corrected) { return !corrected; }
inline QString countedEntriesCondition(const QString& prefix = QString()) { return prefix + QStringLiteral("COR = 0"); }

ReportDocument receiptJournalReport(const ReportContext& context, const ReportParams& params);
ReportDocument pumpOutJournalReport(const ReportContext& context, const ReportParams& params);
ReportDocument transferJournalReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
