#pragma once
// What the keeper movement, discount cards and dispenser history windows ask
// of the station: their SQL texts, their report arrays, and the one road of a
// report to the viewer (the text, its HTML rendering, the viewer).
#include "common/DateTime.h"
#include "common/Variant.h"

#include <QString>
#include <QStringList>

namespace velta::journals {

// The keeper organisations (contragent type 6, not deleted) by name.
QString KeeperListQuery();
// [15 as byte, keeper id, Begin, End].
Variant KeeperMoveParams(int keeperId, TDateTime begin, TDateTime end);

// The card numbers as sent: "*" for all cards, else the typed lines.
QString CardsText(bool allCards, const QString& typed);
// The stations as sent: "*" for all, else each name followed by a line break
// (empty when none is checked).
QString StationsText(bool allStations, const QStringList& checked);
// [1 as byte, report form 0..2, cards, stations].
Variant DiscountCardParams(int form, const QString& cards, const QString& stations);
// The card numbers without single and double quotation marks; removed tells
// whether there were any.
QString WithoutQuotes(const QString& text, bool& removed);

// The journal of one dispenser, newest first; the name goes in quoted.
QString DispenserJournalQuery(const QString& dispenserName);
// [dispenser name, row number].
Variant DispenserHistoryParams(const QString& dispenserName, int rowNumber);

// RunReport(reportNo, params), report 55 for its HTML, then the viewer under title.
void RunAndShowReport(int reportNo, const Variant& params, const QString& title);

} // namespace velta::journals
