#pragma once
// MarkedRowsDelegate: draws the marked sales of the selection grid as whole
// rows, black on green (dark green on the current row, pale green elsewhere),
// the main sale also bold and underlined. It stands in for the grid's own
// delegate, so the grid's column colour hook does not apply on that grid.
#include <QStyledItemDelegate>
#include <functional>

namespace velta::consignment {

class MarkedRowsDelegate : public QStyledItemDelegate {
public:
    struct RowLook {
        bool marked = false;
        bool main = false;
        bool current = false;
    };
    // How the grid row (0-based) is drawn.
    using LookOf = std::function<RowLook(int row)>;

    MarkedRowsDelegate(LookOf lookOf, QObject* parent);

    // The framework's colours of a marked row, as 0x00BBGGRR values.
    static constexpr int kCurrentColor = 32768;
    static constexpr int kMarkedColor = 12639424;

    // The style a cell is drawn with (public, so a test sees what drawing sees).
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    LookOf lookOf_;
};

} // namespace velta::consignment
