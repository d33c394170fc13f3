#pragma once
// NoteRowsDelegate: draws the notes that came from the head office (OFCTTNID
// above 0) on light green, whole rows, in the register's grid. It stands in
// for the grid's own delegate, so the grid's column colour hook does not
// apply on that grid.
#include <QStyledItemDelegate>

namespace velta {
class TDBGrid;
}

namespace velta::consignment {

class NoteRowsDelegate : public QStyledItemDelegate {
public:
    explicit NoteRowsDelegate(TDBGrid& grid);

    // The framework's colour of such rows, a 0x00BBGGRR value.
    static constexpr int kOfficeNoteColor = 12639424;

    // Whether the grid row (0-based) shows a note of the head office; false
    // when the list has no OFCTTNID.
    bool IsOfficeNote(int row) const;

    // The style a cell is drawn with (public, so a test sees what drawing sees).
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TDBGrid& grid_;
};

} // namespace velta::consignment
