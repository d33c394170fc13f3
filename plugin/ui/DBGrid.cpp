#include "plugin/ui/DBGrid.h"

#include "common/Exception.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/ui/Dialogs.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <algorithm>

namespace velta {

// Paints the hooked column's colour, over the selection highlight too, as the
// framework's drawing handlers do when they set the brush.
class TDBGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(TDBGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QColor color = grid_.CellColor(index);
        if (!color.isValid())
            return;
        option->backgroundBrush = color;
        option->palette.setColor(QPalette::Active, QPalette::Highlight, color);
        option->palette.setColor(QPalette::Inactive, QPalette::Highlight, color);
    }

private:
    TDBGrid& grid_;
};

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent)
{
    // Connected before the view's own handlers, which clear the selection.
    connect(&model_, &QAbstractItemModel::modelAboutToBeReset, this, &TDBGrid::rememberSelection);
    setModel(&model_);
    // Connected after the view's handlers, so the grid has the last word.
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnWidths();
        restoreSelection();
        followDataset();
    });
    connect(&model_, &QAbstractItemModel::rowsInserted, this, &TDBGrid::followDataset);
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, &TDBGrid::followDataset);
    connect(&model_, &DatasetModel::currentRowChanged, this, &TDBGrid::followDataset);
    connect(&model_, &DatasetModel::editFailed, this, &TDBGrid::showError);

    setItemDelegate(new Delegate(*this));
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* titles = horizontalHeader();
    titles->setHighlightSections(false);
    // Titles start at the column's left edge, as the framework's grid puts
    // them: a centred title of a column wider than the grid falls out of view.
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setSectionsClickable(true);
    // A title click is the window's (sorting, say), never a column selection.
    disconnect(titles, SIGNAL(sectionPressed(int)), this, SLOT(selectColumn(int)));
    disconnect(titles, SIGNAL(sectionEntered(int)), this, SLOT(_q_selectColumn(int)));
    connect(titles, &QHeaderView::sectionClicked, this, [this](int column) {
        if (TField* field = model_.fieldAt(column))
            emit titleClicked(field);
    });
}

TDBGrid::~TDBGrid() = default;

void TDBGrid::SetDataSource(TDataSource* source)
{
    model_.setDataSource(source);
}

void TDBGrid::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    model_.setEditable(!readOnly);
    setEditTriggers(readOnly ? NoEditTriggers : EditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed));
}

void TDBGrid::SetRowSelect(bool rowSelect)
{
    setSelectionBehavior(rowSelect ? SelectRows : SelectItems);
    if (currentIndex().isValid())
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | selectionFlagsForRow());
}

void TDBGrid::SetMultiSelect(bool multiSelect)
{
    setSelectionMode(multiSelect ? ExtendedSelection : SingleSelection);
    if (!multiSelect && currentIndex().isValid())
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | selectionFlagsForRow());
}

QItemSelectionModel::SelectionFlags TDBGrid::selectionFlagsForRow() const
{
    return RowSelect() ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate;
}

QList<TBookmark> TDBGrid::SelectedRows() const
{
    std::vector<int> rows;
    if (!MultiSelect()) {
        if (model_.currentRow() >= 0)
            rows.push_back(model_.currentRow());
    } else {
        for (const QModelIndex& index : selectionModel()->selectedIndexes())
            rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<TBookmark> bookmarks;
    for (int row : rows) {
        const TBookmark bookmark = model_.bookmarkAt(row);
        if (!bookmark.isNull())
            bookmarks.append(bookmark);
    }
    return bookmarks;
}

void TDBGrid::ClearSelectedRows()
{
    selectionModel()->clearSelection();
}

int TDBGrid::InstallKeyHook(KeyHook hook)
{
    const int id = nextHookId_++;
    keyHooks_.emplace_back(id, std::move(hook));
    return id;
}

void TDBGrid::RemoveKeyHook(int id)
{
    keyHooks_.erase(std::remove_if(keyHooks_.begin(), keyHooks_.end(), [id](const auto& entry) { return entry.first == id; }),
                    keyHooks_.end());
}

void TDBGrid::SetCellColorHook(const QString& fieldName, CellColorHook hook)
{
    colorField_ = hook ? fieldName : QString();
    colorHook_ = std::move(hook);
    viewport()->update();
}

QColor TDBGrid::CellColor(const QModelIndex& index) const
{
    TField* field = model_.fieldAt(index.column());
    const int record = model_.recordAt(index.row());
    if (!colorHook_ || !field || record == -1 || field->FieldName().compare(colorField_, Qt::CaseInsensitive) != 0)
        return {};
    QColor color;
    try {
        field->DataSet().readRecordOf(record, [&] { color = colorHook_(*field); });
    } catch (const std::exception&) {
        return {};
    }
    return color;
}

int TDBGrid::ColumnWidthFor(const TField& field) const
{
    const int cells = fontMetrics().horizontalAdvance(QLatin1Char('0')) * field.DisplayWidth();
    const int title = horizontalHeader()->fontMetrics().horizontalAdvance(field.DisplayLabel());
    return std::max(cells, title) + 4;
}

void TDBGrid::applyColumnWidths()
{
    QStringList columns;
    for (int column = 0; column < model_.columnCount(); ++column)
        columns << model_.fieldAt(column)->FieldName();
    // A new order or filter keeps the widths the user may have dragged.
    if (columns == sizedColumns_)
        return;
    sizedColumns_ = columns;
    for (int column = 0; column < model_.columnCount(); ++column)
        setColumnWidth(column, ColumnWidthFor(*model_.fieldAt(column)));
}

void TDBGrid::rememberSelection()
{
    savedSelection_ = MultiSelect() ? SelectedRows() : QList<TBookmark>();
}

void TDBGrid::restoreSelection()
{
    QItemSelection selection;
    for (const TBookmark& bookmark : std::exchange(savedSelection_, {})) {
        const int row = model_.rowOf(bookmark);
        if (row >= 0 && model_.columnCount() > 0)
            selection.select(model_.index(row, 0), model_.index(row, model_.columnCount() - 1));
    }
    if (!selection.isEmpty())
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TDBGrid::followDataset()
{
    const int row = model_.currentRow();
    if (row < 0 || row >= model_.rowCount() || model_.columnCount() == 0)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    // A selection of several rows the user made stays; otherwise the
    // highlight goes with the current row.
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect | selectionFlagsForRow();
    if (MultiSelect() && SelectedRows().size() > 1)
        flags = QItemSelectionModel::NoUpdate;
    following_ = true;
    selectionModel()->setCurrentIndex(model_.index(row, current.isValid() ? current.column() : 0), flags);
    following_ = false;
    scrollTo(currentIndex());
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!following_ && current.isValid() && current.row() != model_.currentRow())
        moveDataset(current.row());
}

void TDBGrid::moveDataset(int row)
{
    try {
        model_.setCurrentRow(row);
    } catch (const Exception& e) {
        showError(e.message());
        // The dataset stayed: the grid goes back to its row once the click
        // or key that moved it is done.
        QMetaObject::invokeMethod(this, &TDBGrid::followDataset, Qt::QueuedConnection);
    }
}

void TDBGrid::showError(const QString& message)
{
    Dialogs& dialogs = dialogs_ ? *dialogs_ : currentDialogs();
    dialogs.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void TDBGrid::keyPressEvent(QKeyEvent* event)
{
    const auto hooks = keyHooks_; // a hook may remove itself
    try {
        for (const auto& entry : hooks) {
            if (entry.second(*event)) {
                event->accept();
                return;
            }
        }
    } catch (const Exception& e) {
        event->accept();
        showError(e.message());
        return;
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (!index.isValid() || event->button() != Qt::LeftButton)
        return;
    TClientDataSet* ds = model_.fieldAt(index.column()) ? &model_.fieldAt(index.column())->DataSet() : nullptr;
    if (!ds || !ds->Active())
        return;
    if (model_.currentRow() != index.row())
        moveDataset(index.row());
    if (model_.currentRow() == index.row())
        emit recordDoubleClicked(ds->RecNo(), model_.fieldAt(index.column()));
}

} // namespace velta
