#pragma once
// DatasetModel: a Qt table model over a data source, for the grids of the
// windows. Columns are the dataset's visible fields, titled by their display
// labels; cells show the fields' display texts (get-text handlers, display
// formats); the current row follows the dataset and can move it.
#include "plugin/data/DataSource.h"

#include <QAbstractTableModel>
#include <vector>

namespace velta {

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The display width of a column in characters (header data).
    static constexpr int DisplayWidthRole = Qt::UserRole + 1;
    // Approximate pixels per character for the size hint of a column.
    static constexpr int kCharWidth = 8;

    explicit DatasetModel(TDataSource* source = nullptr, QObject* parent = nullptr);
    ~DatasetModel() override;

    TDataSource* dataSource() const { return link_.DataSource(); }
    void setDataSource(TDataSource* source);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The field shown in a column (nullptr outside).
    TField* fieldAt(int column) const;
    int currentRow() const { return currentRow_; }

public slots:
    // Moves the dataset to a row (a click in the grid).
    void setCurrentRow(int row);

signals:
    void currentRowChanged(int row);

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
    bool moving_ = false;
};

} // namespace velta
