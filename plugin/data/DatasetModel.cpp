#include "plugin/data/DatasetModel.h"

#include "plugin/data/ClientDataSet.h"

#include <QSize>

namespace velta {

DatasetModel::DatasetModel(TDataSource* source, QObject* parent) : QAbstractTableModel(parent), link_(*this)
{
    setDataSource(source);
}

DatasetModel::~DatasetModel() = default;

void DatasetModel::setDataSource(TDataSource* source)
{
    beginResetModel();
    link_.SetDataSource(source);
    loadColumns();
    endResetModel();
    currentRow_ = link_.Active() ? dataSet()->currentDisplayRow() : -1;
}

TClientDataSet* DatasetModel::dataSet() const
{
    return link_.Active() ? link_.DataSet() : nullptr;
}

void DatasetModel::loadColumns()
{
    columns_.clear();
    rows_ = 0;
    TClientDataSet* ds = dataSet();
    if (!ds)
        return;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        if (ds->Fields(i).Visible())
            columns_.push_back(&ds->Fields(i));
    }
    rows_ = ds->displayRowCount();
}

void DatasetModel::reload()
{
    beginResetModel();
    loadColumns();
    endResetModel();
}

TField* DatasetModel::fieldAt(int column) const
{
    return column >= 0 && column < static_cast<int>(columns_.size()) ? columns_[static_cast<size_t>(column)] : nullptr;
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    TClientDataSet* ds = dataSet();
    TField* field = fieldAt(index.column());
    if (!ds || !field || !index.isValid() || index.row() >= rows_)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return ds->displayText(index.row(), *field);
    case Qt::EditRole:
        return ds->editText(index.row(), *field);
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
        if (role == Qt::DisplayRole && section >= 0 && section < rows_)
            return section + 1;
        return {};
    }
    TField* field = fieldAt(section);
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole: return field->DisplayLabel();
    case DisplayWidthRole: return field->DisplayWidth();
    case Qt::SizeHintRole: return QSize(field->DisplayWidth() * kCharWidth + 4, 0);
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
        dataSet()->GetNextPacket(); // the new rows arrive as a RowsInserted change
}

void DatasetModel::setCurrentRow(int row)
{
    TClientDataSet* ds = dataSet();
    if (!ds || row < 0 || row >= rows_ || row == currentRow_ || moving_)
        return;
    moving_ = true;
    try {
        ds->CheckBrowseMode();
        ds->MoveBy(row - ds->currentDisplayRow());
    } catch (...) {
        moving_ = false;
        throw;
    }
    moving_ = false;
    const int now = ds->currentDisplayRow();
    if (now != currentRow_) {
        currentRow_ = now;
        emit currentRowChanged(now);
    }
}

void DatasetModel::onDataChange(const DataChange& change)
{
    switch (change.kind) {
    case DataChange::ActiveChanged:
    case DataChange::LayoutChanged:
        reload();
        break;
    case DataChange::RowsInserted:
        if (change.count <= 0 || change.first < 0 || change.first > rows_) {
            reload();
            break;
        }
        beginInsertRows({}, change.first, change.first + change.count - 1);
        rows_ += change.count;
        endInsertRows();
        break;
    case DataChange::RowsRemoved:
        if (change.count <= 0 || change.first < 0 || change.first + change.count > rows_) {
            reload();
            break;
        }
        beginRemoveRows({}, change.first, change.first + change.count - 1);
        rows_ -= change.count;
        endRemoveRows();
        break;
    case DataChange::RowsChanged:
    case DataChange::FieldChanged:
        if (!columns_.empty() && change.first >= 0 && change.first < rows_) {
            const int last = std::min(rows_ - 1, change.first + std::max(change.count, 1) - 1);
            emit dataChanged(index(change.first, 0), index(last, static_cast<int>(columns_.size()) - 1));
        }
        break;
    case DataChange::StateChanged:
        break;
    case DataChange::Scrolled:
        break;
    }
    const TClientDataSet* ds = dataSet();
    const int row = ds ? ds->currentDisplayRow() : -1;
    if (row != currentRow_) {
        currentRow_ = row;
        emit currentRowChanged(row);
    }
}

} // namespace velta
