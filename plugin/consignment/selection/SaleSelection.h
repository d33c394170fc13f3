#pragma once
// TSaleSelection: the sale selection without its window. It keeps the sales
// the user marked, in marking order, and the main one among them (the sale
// the contragent, driver and vehicle come from), and on OK turns them into
// the note's cargo records and header values: sales of a fuel already taken
// are merged into its line or kept apart as the user answers, at most ten
// records go onto a note, and a selection mixing contragents without a main
// sale is confirmed first. Every question goes through Dialogs.
#include "plugin/consignment/selection/SaleRows.h"
#include "plugin/consignment/selection/SaleSelectionResult.h"
#include "plugin/consignment/selection/TideRecord.h"

#include <QList>
#include <optional>

namespace velta {
class Dialogs;
}

namespace velta::consignment {

class TSaleSelection {
public:
    // One marked sale: its row and its number.
    struct Entry {
        int row = 0;
        int saleNumber = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    enum class OkResult { Close, Stay };
    static constexpr int kMaxRecords = 10;

    explicit TSaleSelection(SaleRows& rows) : rows_(rows) {}

    const QList<Entry>& Marked() const { return marked_; }
    // Index into Marked() of the main entry.
    std::optional<int> MainIndex() const { return main_; }
    bool IsMarked(int row) const { return indexOf(row) >= 0; }
    bool IsMain(int row) const { return main_ && marked_.at(*main_).row == row; }

    // Space on the current row: marks it, or unmarks it when marked.
    void ToggleCurrent();
    // "M" on the current row: marks it as the main entry; on a marked row
    // makes it the main entry, or clears the main entry when it already is.
    void MarkMainCurrent();
    // Takes an entry off the list; the main entry stays on its sale.
    void Unmark(int index);

    // The OK button: builds the records and the header values from the
    // marked sales (the current row when none is marked) and says whether
    // the window may close. The current row is the same afterwards.
    OkResult Ok(Dialogs& dialogs);

    const QList<TTideRecord>& Records() const { return records_; }
    const SaleSelectionHeader& Header() const { return header_; }
    SaleSelectionResult Result() const { return {header_, records_}; }

private:
    int indexOf(int row) const;
    // The current row's sale, when it has a number above 0.
    std::optional<Entry> currentSale() const;
    // Adds one sale to the records, merged into the line of its fuel or on a
    // line of its own as the user answers; false when the user cancelled.
    bool addSale(Dialogs& dialogs, const SaleRow& sale);
    void takeHeader(const SaleRow& sale, bool all);
    bool mixesContragents(const QList<SaleRow>& sales) const;

    SaleRows& rows_;
    QList<Entry> marked_;
    std::optional<int> main_;
    QList<TTideRecord> records_;
    SaleSelectionHeader header_;
};

} // namespace velta::consignment
