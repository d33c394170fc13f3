#include "plugin/data/DatasetModel.h"

#include "common/Exception.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/RowDiff.h"

#include <QScopedValueRollback>
#include <algorithm>

namespace velta {

DatasetModel::DatasetModel(TDataSource* source, QObject* parent) : QAbstractTableModel(parent), link_(*this)
{
    setDataSource(source);
}

DatasetModel::~DatasetModel() = default;

void DatasetModel::setDataSource(TDataSource* source)
{
    link_.SetDataSource(source);
    reload();
}

TClientDataSet* DatasetModel::dataSet() const
{
    return link_.Active() ? link_.DataSet() : nullptr;
}

void DatasetModel::loadColumns()
{
    columns_.clear();
    records_.clear();
    TClientDataSet* ds = dataSet();
    if (!ds)
        return;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        if (ds->Fields(i).Visible())
            columns_.push_back(&ds->Fields(i));
    }
    records_ = ds->displayRecords();
}

void DatasetModel::reload()
{
    const QScopedValueRollback notifying(notifying_, true);
    beginResetModel();
    loadColumns();
    endResetModel();
    followCurrentRow();
}

void DatasetModel::sync()
{
    TClientDataSet* ds = dataSet();
    std::vector<int> now = ds ? ds->displayRecords() : std::vector<int>();
    const RowDiff diff = diffRows(records_, now);
    const int first = diff.first;
    const int oldMiddle = diff.removed;
    const int newMiddle = diff.inserted;
    if (oldMiddle == 0 && newMiddle == 0)
        return;
    if (oldMiddle == 0) {
        beginInsertRows({}, first, first + newMiddle - 1);
        records_ = std::move(now);
        endInsertRows();
    } else if (newMiddle == 0) {
        beginRemoveRows({}, first, first + oldMiddle - 1);
        records_ = std::move(now);
        endRemoveRows();
    } else if (oldMiddle == newMiddle && oldMiddle <= 2 && !columns_.empty()) {
        // A record posted in place of the new-record row, or a record swapped
        // for its neighbour.
        records_ = std::move(now);
        emit dataChanged(index(first, 0), index(first + oldMiddle - 1, static_cast<int>(columns_.size()) - 1));
    } else {
        reload();
    }
}

void DatasetModel::followCurrentRow()
{
    const TClientDataSet* ds = dataSet();
    const int row = ds ? ds->currentDisplayRow() : -1;
    if (row != currentRow_) {
        currentRow_ = row;
        emit currentRowChanged(row);
    }
}

TField* DatasetModel::fieldAt(int column) const
{
    return column >= 0 && column < static_cast<int>(columns_.size()) ? columns_[static_cast<size_t>(column)] : nullptr;
}

int DatasetModel::recordAt(int row) const
{
    return row >= 0 && row < rowCount() ? records_[static_cast<size_t>(row)] : -1;
}

TBookmark DatasetModel::bookmarkAt(int row) const
{
    const TClientDataSet* ds = dataSet();
    return ds ? ds->bookmarkOf(recordAt(row)) : TBookmark{};
}

int DatasetModel::rowOf(const TBookmark& bookmark) const
{
    // The bookmark's own record tells whether it is of this data: row 0 may
    // be a record being inserted, which has no bookmark yet.
    const TClientDataSet* ds = dataSet();
    if (bookmark.isNull() || !ds || ds->bookmarkOf(bookmark.record).store != bookmark.store)
        return -1;
    const auto it = std::find(records_.begin(), records_.end(), bookmark.record);
    return it == records_.end() ? -1 : static_cast<int>(it - records_.begin());
}

void DatasetModel::setEditable(bool editable)
{
    if (editable == editable_)
        return;
    editable_ = editable;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (!index.isValid())
        return result;
    result |= Qt::ItemNeverHasChildren;
    const TClientDataSet* ds = dataSet();
    const TField* field = fieldAt(index.column());
    if (!editable_ || !ds || !field || ds->ReadOnly() || field->ReadOnly() || field->FieldKind() != fkData
        || field->FieldNo() < 0)
        return result;
    const bool editing = ds->State() == dsEdit || ds->State() == dsInsert;
    if (editing || dataSource()->AutoEdit())
        result |= Qt::ItemIsEditable;
    return result;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    TClientDataSet* ds = dataSet();
    TField* field = fieldAt(index.column());
    const int record = recordAt(index.row());
    const QString text = value.toString();
    try {
        setCurrentRow(index.row());
        if (recordAt(currentRow_) != record)
            return false; // the dataset did not reach the row
        if (ds->editTextOf(record, *field) == text)
            return true; // nothing typed: the record is not touched
        const bool started = ds->State() == dsBrowse;
        if (!dataSource()->Edit())
            return false;
        try {
            field->SetText(text);
            if (started)
                ds->Post();
        } catch (...) {
            if (started)
                ds->Cancel();
            throw;
        }
    } catch (const Exception& e) {
        emit editFailed(e.message());
        return false;
    }
    return true;
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    TClientDataSet* ds = dataSet();
    TField* field = fieldAt(index.column());
    if (!ds || !field || !index.isValid() || index.row() >= rowCount())
        return {};
    const int record = records_[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return ds->displayTextOf(record, *field);
    case Qt::EditRole:
        return ds->editTextOf(record, *field);
    case Qt::TextAlignmentRole: {
        const Qt::Alignment vertical = Qt::AlignVCenter;
        switch (field->Alignment()) {
        case taRightJustify: return QVariant::fromValue(Qt::AlignRight | vertical);
        case taCenter: return QVariant::fromValue(Qt::AlignHCenter | vertical);
        case taLeftJustify: return QVariant::fromValue(Qt::AlignLeft | vertical);
        }
        return {};
    }
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) {
        if (role == Qt::DisplayRole && section >= 0 && section < rowCount())
            return section + 1;
        return {};
    }
    TField* field = fieldAt(section);
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole: return field->DisplayLabel();
    case DisplayWidthRole: return field->DisplayWidth();
    default: return {};
    }
}

bool DatasetModel::canFetchMore(const QModelIndex& parent) const
{
    TClientDataSet* ds = dataSet();
    return !parent.isValid() && ds && ds->HasMoreRows();
}

void DatasetModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        dataSet()->GetNextPacket(); // the new rows arrive as a change of the dataset
}

void DatasetModel::setCurrentRow(int row)
{
    TClientDataSet* ds = dataSet();
    if (!ds || row < 0 || row >= rowCount() || row == currentRow_ || moving_ || notifying_)
        return;
    const int record = recordAt(row);
    {
        const QScopedValueRollback moving(moving_, true);
        ds->CheckBrowseMode();
        // Posting or dropping a new record shifts the rows below it: the
        // record clicked is looked up again.
        const std::vector<int> rows = ds->displayRecords();
        const auto it = std::find(rows.begin(), rows.end(), record);
        if (it != rows.end() && ds->State() == dsBrowse)
            ds->MoveBy(static_cast<int>(it - rows.begin()) - ds->currentDisplayRow());
    }
    followCurrentRow();
}

void DatasetModel::onDataChange(const DataChange& change)
{
    const QScopedValueRollback notifying(notifying_, true);
    switch (change.kind) {
    case DataChange::ActiveChanged:
    case DataChange::LayoutChanged:
        reload();
        return;
    case DataChange::RowsInserted:
    case DataChange::RowsRemoved:
        sync();
        break;
    case DataChange::RowsChanged:
        sync();
        [[fallthrough]];
    case DataChange::FieldChanged:
        if (!columns_.empty() && change.first >= 0 && change.first < rowCount()) {
            const int last = std::min(rowCount() - 1, change.first + std::max(change.count, 1) - 1);
            emit dataChanged(index(change.first, 0), index(last, static_cast<int>(columns_.size()) - 1));
        }
        break;
    case DataChange::StateChanged:
    case DataChange::Scrolled:
        break; // rows are told by the changes above
    }
    followCurrentRow();
}

} // namespace velta
