#pragma once
// TDBGrid: the grid of the windows, a table view over the dataset of a data
// source (through its own DatasetModel). Columns are the dataset's visible
// fields, titled by their display labels, DisplayWidth characters wide;
// cells show the fields' display texts (display formats, get-text handlers).
// The grid's current row is the dataset's current record both ways.
//
// Read-only unless setReadOnly(false). Whole-row selection (rowSelect) and
// multi-row selection (multiSelect, Ctrl and Shift with clicks and arrows)
// are off until switched on. The selected rows are kept as bookmarks: they
// survive a new order or filter of the dataset while their records are shown.
//
// What the windows hook in: title clicks and double clicks (signals), key
// hooks that see key presses before the grid acts, and the background colour
// of the cells of one column.
//
// In a .ui file the properties below carry stdset="0" (their setters are
// not named the Qt way).
#include "plugin/data/DatasetModel.h"
#include "plugin/foundation/DataSetTypes.h"

#include <QColor>
#include <QItemSelectionModel>
#include <QList>
#include <QStringList>
#include <QTableView>
#include <functional>
#include <vector>

class QKeyEvent;

namespace velta {

class Dialogs;
class TDataSource;
class TField;

// The framework's colours are 0x00BBGGRR integers: 255 is pure red.
inline QColor ColorFromTColor(int color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

class TDBGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(bool readOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool rowSelect READ RowSelect WRITE SetRowSelect)
    Q_PROPERTY(bool multiSelect READ MultiSelect WRITE SetMultiSelect)
public:
    // Sees a key press before the grid; true consumes it.
    using KeyHook = std::function<bool(QKeyEvent& event)>;
    // The background of a cell of the hooked column. While the hook runs, the
    // dataset's fields read the record drawn (not the current one); an
    // invalid colour leaves the cell as it is. The colour shows on selected
    // rows too. Errors inside the hook leave the cell uncoloured (drawing
    // cannot ask the user).
    using CellColorHook = std::function<QColor(TField& field)>;

    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return model_.dataSource(); }
    void SetDataSource(TDataSource* source);
    DatasetModel& Model() { return model_; }
    const DatasetModel& Model() const { return model_; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool RowSelect() const { return selectionBehavior() == SelectRows; }
    void SetRowSelect(bool rowSelect);
    bool MultiSelect() const { return selectionMode() == ExtendedSelection; }
    // Switching multi-row selection off keeps only the current row selected.
    void SetMultiSelect(bool multiSelect);

    // The records of the selected rows, in the dataset's current order. In
    // multi-row mode moving the dataset from code selects the new current row
    // alone unless the user has selected several rows; with multi-row
    // selection off the list holds the current row.
    QList<TBookmark> SelectedRows() const;
    void ClearSelectedRows();

    // Key hooks run in the order installed; the first that consumes a key
    // ends it. Keys typed into an open cell editor go to the editor.
    int InstallKeyHook(KeyHook hook);
    void RemoveKeyHook(int id);

    // One column at a time has a colour hook; an empty hook removes it.
    void SetCellColorHook(const QString& fieldName, CellColorHook hook);
    bool HasCellColorHook() const { return static_cast<bool>(colorHook_); }
    // The colour the hook gives a cell (invalid when none); the grid's
    // drawing asks this for every cell.
    QColor CellColor(const QModelIndex& index) const;

    // Where errors of moves and edits are shown; the current dialogs when unset.
    void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }

    // Pixels of a column DisplayWidth characters wide: that many digits "0"
    // of the grid's font and a margin of 4, never narrower than its title.
    int ColumnWidthFor(const TField& field) const;

signals:
    void titleClicked(velta::TField* field);
    // A double click on a row: the dataset's record number of that row and
    // the field of the column clicked. Clicks below the last row or on the
    // titles are not reported.
    void recordDoubleClicked(int recNo, velta::TField* field);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // Typed letters do not jump to a matching row: windows that search by
    // typing do it in a key hook.
    void keyboardSearch(const QString&) override {}

private:
    class Delegate;

    void followDataset();
    QItemSelectionModel::SelectionFlags selectionFlagsForRow() const;
    void moveDataset(int row);
    void showError(const QString& message);
    void applyColumnWidths();
    void rememberSelection();
    void restoreSelection();

    DatasetModel model_;
    bool readOnly_ = true;
    bool following_ = false;
    Dialogs* dialogs_ = nullptr;
    std::vector<std::pair<int, KeyHook>> keyHooks_;
    int nextHookId_ = 1;
    QString colorField_;
    CellColorHook colorHook_;
    QStringList sizedColumns_; // the fields the widths were set for
    QList<TBookmark> savedSelection_;   // the selection across a reset
};

} // namespace velta
