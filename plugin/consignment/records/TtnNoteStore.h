#pragma once
// TtnNoteStore: the stored form of consignment notes on the data module's
// datasets - the note list (header rows of TTN), the note lines (TTNDETAIL)
// and the note numbers. It reads and writes the cargo lines, the contragent
// references and the shipment receipt columns of the note the list dataset
// stands on. Writing is split in two so the whole note reaches the server in
// one transaction: StageLines (and the header writes) only change the
// datasets, ApplyNote sends the header and the lines together.
#include "plugin/consignment/records/TTTNRecord.h"
#include "plugin/consignment/records/TtnContragents.h"

#include "common/DateTime.h"

#include <QString>
#include <optional>
#include <vector>

namespace velta {
class TClientDataSet;
namespace core {
class TDBFrm;
}
} // namespace velta

namespace velta::consignment {

// The shipment receipt ("Квитанция об отгрузке") of a note.
struct TtnKvit {
    QString Number;
    TDateTime Date = 0; // date part only

    friend bool operator==(const TtnKvit&, const TtnKvit&) = default;
};

class TtnNoteStore {
public:
    // Works on dm.dsTTNList (the caller opens it and stands on the note),
    // dm.dsTTNDetail and dm.dsTTNID.
    explicit TtnNoteStore(core::TDBFrm& dm);

    // The text that selects one note's lines, in line order.
    static QString DetailSql(int ttnId);

    // A number for a new note from the note number provider.
    int NewNoteNumber();
    // Appends a header row numbered by NewNoteNumber (also as OFCTTNID when
    // withOfficeNumber) and leaves it being inserted; returns the number.
    int AppendNote(bool withOfficeNumber);
    // Puts the current header row into edit state (nothing when it already is).
    void EditNote();
    // TTN_ID of the current header row.
    int NoteId() const;

    // Optional columns of the open datasets.
    bool HasKvit() const;
    bool HasHeaderPressure() const;

    // The cargo lines of the current note: in multi-line mode its TTNDETAIL
    // rows in ID order; otherwise, or when it has none, one line from the
    // header's suffix-"1" columns with every print flag set.
    std::vector<TTTNRecord> ReadLines(bool multiLine);

    // Raises the conversion error of the first line whose card index number
    // is neither empty nor an integer.
    static void ValidateLines(const std::vector<TTTNRecord>& lines);

    // Validates the lines, then writes the first one into the header's
    // suffix-"1" columns and, in multi-line mode, replaces the note's
    // TTNDETAIL rows by the lines numbered 1, 2, 3 ... Nothing is sent; the
    // header row stays in edit or insert state.
    void StageLines(const std::vector<TTTNRecord>& lines, bool multiLine);

    TtnContragents ReadContragents() const;
    // Header columns of the references; the caller has the row in edit state.
    void WriteContragents(const TtnContragents& refs);

    // KVITNUMBER and KVITDATE; nothing when the table lacks them.
    std::optional<TtnKvit> ReadKvit() const;
    void WriteKvit(const TtnKvit& kvit);

    // Posts the header and sends the header's and the lines' changes to the
    // server in one transaction. On failure nothing is stored and the staged
    // changes stay in the datasets (CancelStaged drops them).
    void ApplyNote();
    void CancelStaged();

    // StageLines and ApplyNote.
    void WriteLines(const std::vector<TTTNRecord>& lines, bool multiLine);

private:
    void openDetailFor(int ttnId);
    TClientDataSet& header() const;
    TClientDataSet& detail() const;

    core::TDBFrm& dm_;
};

} // namespace velta::consignment
