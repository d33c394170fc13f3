#pragma once
// ConsignmentNote: a stored consignment note as its printed forms read it:
// the TTN header, its cargo lines (TTNDETAIL rows in line order, or on a
// station without that table the first line kept in the header's columns
// with the suffix "1"), its free variables and its parties.
#include "station/reports/notes/NoteParty.h"
#include "station/reports/notes/NoteValues.h"
#include "station/reports/notes/NoteVariables.h"

#include <QVector>
#include <optional>

namespace velta::station {

class StationDatabase;
class ReportParams;

// The printed forms, each with the print flag of a line that admits the line.
enum class NoteForm { GoodsSection, TransportSection, Invoice, GoodsWaybill, ShipmentReceipt };

struct NoteLine {
    int number = 0; // 1, 2, 3 ... in line order
    NoteValues values; // the cargo columns without suffix
    bool printGoods = true;     // PRINTTTN1
    bool printTransport = true; // PRINTTTN2
    bool printInvoice = true;   // PRINTSF
    bool printWaybill = true;   // PRINTTN

    bool printedIn(NoteForm form) const;
};

struct ConsignmentNote {
    int id = 0;
    NoteValues header;
    QVector<NoteLine> lines;
    QVector<NoteVariable> variables;

    // The lines the form prints, in line order.
    QVector<NoteLine> linesFor(NoteForm form) const;
    // "АА №000012 от 15.01.2024" (series, number and date as far as filled).
    QString numberAndDate() const;
    // The party a header column (GO_ID, GP_ID, PLAT_ID, PER_ID, TNPOST_ID, TNPLAT_ID) names.
    NoteParty party(StationDatabase& db, const QString& column) const;
};

// The note with that number; none when the station does not have it.
std::optional<ConsignmentNote> findConsignmentNote(StationDatabase& db, int id);

// The note element 1 of a form's parameters names; raises EDatabaseError
// naming the note and the form when the station does not have it.
ConsignmentNote requiredConsignmentNote(StationDatabase& db, const ReportParams& params, const QString& formName);

} // namespace velta::station
