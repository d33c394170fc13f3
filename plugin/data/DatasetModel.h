#pragma once
// DatasetModel: a Qt table model over a data source, for the grids of the
// windows. Columns are the dataset's visible fields, titled by their display
// labels; cells show the fields' display texts (get-text handlers, display
// formats); the current row follows the dataset and can move it. When
// editable, a cell edited in a view is written through the dataset.
#include "plugin/data/DataSource.h"

#include <QAbstractTableModel>
#include <vector>

namespace velta {

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The display width of a column in characters (header data); a view
    // turns it into pixels with its own font (TDBGrid does).
    static constexpr int DisplayWidthRole = Qt::UserRole + 1;

    explicit DatasetModel(TDataSource* source = nullptr, QObject* parent = nullptr);
    ~DatasetModel() override;

    TDataSource* dataSource() const { return link_.DataSource(); }
    void setDataSource(TDataSource* source);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes the text typed into a cell (Qt::EditRole) to the row's record
    // with the field's text rules. A record in browse state is put into edit,
    // set and posted; a failure cancels that edit, so the record keeps its
    // values. A record the window already holds in edit or insert state only
    // takes the value and is posted by the window or when the row is left.
    // Failures are told by editFailed and give false.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Off by default: cells are editable only after setEditable(true), and
    // then only fields that may be written in a dataset that may be changed.
    bool isEditable() const { return editable_; }
    void setEditable(bool editable);

    // The field shown in a column (nullptr outside).
    TField* fieldAt(int column) const;
    int currentRow() const { return currentRow_; }
    // The dataset's record shown in a row (TClientDataSet::kBufferRecord for
    // the record being inserted, -1 outside) and its bookmark (null for the
    // new record); the row showing a bookmark's record, -1 when none does.
    int recordAt(int row) const;
    TBookmark bookmarkAt(int row) const;
    int rowOf(const TBookmark& bookmark) const;

public slots:
    // Moves the dataset to a row (a click in the grid). A pending edit is
    // posted first (its errors are thrown); a move asked while the model is
    // telling views of a change is ignored, as views then only catch up.
    void setCurrentRow(int row);

signals:
    void currentRowChanged(int row);
    // An edit made through setData failed with this message.
    void editFailed(const QString& message);

private:
    class Link final : public TDataLink {
    public:
        explicit Link(DatasetModel& model) : model_(model) {}

    protected:
        void dataChanged(const DataChange& change) override { model_.onDataChange(change); }

    private:
        DatasetModel& model_;
    };

    void onDataChange(const DataChange& change);
    // Brings the rows in step with the dataset, telling views exactly what
    // changed (a reset when it is more than a block of rows).
    void sync();
    void reload();
    void loadColumns();
    void followCurrentRow();
    TClientDataSet* dataSet() const;

    Link link_;
    std::vector<TField*> columns_;
    // The records of the rows as views know them; changed only inside the
    // begin/end notifications so that views never see a half-told change.
    std::vector<int> records_;
    int currentRow_ = -1;
    bool moving_ = false;    // set while the model moves the dataset
    bool notifying_ = false; // set while views are told of a change
    bool editable_ = false;
};

} // namespace velta
