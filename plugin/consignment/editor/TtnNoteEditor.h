#pragma once
// TtnNoteEditor: the consignment note editor without its window. It holds the
// note being edited - the header editors' values by editor name, the cargo
// lines, the six contragent references and the VAT setting - and does what
// the window's commands ask: the start (defaults, the note loaded, the sales
// filled in), lines added and deleted, the totals, the contragent texts, the
// checks and the save through TtnNoteStore (header and lines in one server
// transaction). Failures are raised as exceptions carrying the message to show.
#include "plugin/consignment/editor/EditConsignmentNote.h"
#include "plugin/consignment/editor/TtnEditorFields.h"
#include "plugin/consignment/records/TTTNRecord.h"
#include "plugin/consignment/records/TtnContragents.h"
#include "plugin/consignment/records/TtnDefaults.h"
#include "plugin/consignment/selection/SaleSelectionResult.h"

#include "common/DateTime.h"

#include <optional>
#include <vector>

namespace velta::consignment {

class TtnNoteStore;

// Totals of a filling: net mass (tonnes) and sum of the main lines.
struct TtnFillTotals {
    double netMass = 0;
    double sum = 0;
};

class TtnNoteEditor {
public:
    static constexpr int kMaxLines = 10;

    TtnNoteEditor(core::TDBFrm& db, TTNEditMode mode, bool multiLine, TtnDefaults defaults = TtnDefaults());

    TTNEditMode Mode() const { return mode_; }
    bool MultiLine() const { return multiLine_; }

    // Header editors by name (TtnHeaderField, the variable rows, edKVITNUMBER,
    // dtpKVITDATE); the window shows them and hands them back.
    TtnEditorValues& Values() { return values_; }
    std::vector<TTTNRecord>& Lines() { return lines_; }
    const std::vector<TTTNRecord>& Lines() const { return lines_; }
    TtnContragents& Refs() { return refs_; }
    TtnVatSetting& Vat() { return vat_; }

    // On show: the defaults, then the current note (copy, edit) or the sales
    // (new note). today is the date a new note takes.
    void Start(const std::optional<SaleSelectionResult>& selection, TDateTime today);

    // The sales as lines, their totals and the header values they carry.
    TtnFillTotals FillFromSelection(const SaleSelectionResult& selection, TDateTime today);
    // The note the list stands on (modes 1 and 2).
    void LoadNote(const std::optional<SaleSelectionResult>& selection, TDateTime today);

    // A new line: every print flag set, the per-line defaults applied.
    TTTNRecord NewLine() const;
    // "+": raises the message when no line may be added.
    void AddLine();
    // "X": raises the message when the last line would go.
    void DeleteLine(int index);
    // "0": the line's tie to its sale is cut.
    void ResetSale(int index);
    // Raises "Строка %d не найдена" for an index beyond the lines.
    TTTNRecord& Line(int index);

    // "Пересчет": the sum (markup and costs added) and the net mass of the
    // lines printed in the goods section.
    double RecalcSum() const;
    double RecalcMass() const;

    // The text shown for a contragent, from the station; empty for none.
    QString ContragentText(int id) const;
    static QString ContragentText(const QString& fullName, const QString& address, const QString& phone,
                                  const QString& inn, const QString& kpp);

    // The duplicate check's SQL text for the series, number and note date.
    QString DuplicateCheckSql() const;
    // Raises the message when another note of the year has the same series and number.
    void CheckDuplicate() const;
    // The checks of the goods section's card index number and the sheets count.
    void Validate(const QString& shownKardNum) const;

    // Checks, then writes the note and its lines in one server transaction;
    // on failure the datasets are left as before the attempt. Returns TTN_ID.
    int Save(const QString& shownKardNum);

    // "По умолчанию": the values and the references stored as defaults.
    void StoreDefaults(const TtnEditorValues& values) const;
    const TtnDefaults& Defaults() const { return defaults_; }

private:
    void loadHeader(bool withSelection);
    void writeHeader(TtnNoteStore& store);
    double addMarkupAndCosts(double sum) const;
    double number(const char* editor) const;
    QString text(const char* editor) const;

    core::TDBFrm& db_;
    TTNEditMode mode_;
    bool multiLine_;
    TtnDefaults defaults_;
    TtnEditorValues values_;
    std::vector<TTTNRecord> lines_;
    TtnContragents refs_;
    TtnVatSetting vat_;
    int editedId_ = 0;
};

// Rounds a sale amount of the station down to the amount without VAT.
double TtnAmountWithoutVat(double amount, double rate);

} // namespace velta::consignment
