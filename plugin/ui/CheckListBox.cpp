#include "plugin/ui/CheckListBox.h"

#include "common/Exception.h"

#include <QScopedValueRollback>

namespace velta {

namespace {

// The tick state an item had when last seen.
constexpr int kKnownStateRole = Qt::UserRole + 1;

} // namespace

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(SingleSelection);
    connect(this, &QListWidget::itemChanged, this, &TCheckListBox::itemChangedByUser);
    connect(model(), &QAbstractItemModel::rowsInserted, this, &TCheckListBox::recount);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &TCheckListBox::recount);
    connect(model(), &QAbstractItemModel::modelReset, this, &TCheckListBox::recount);
}

TCheckListBox::~TCheckListBox()
{
    // The base class clears the model after this part is gone: its reset must
    // no longer reach recount().
    disconnect(model(), nullptr, this, nullptr);
    disconnect(this, &QListWidget::itemChanged, this, &TCheckListBox::itemChangedByUser);
}

QStringList TCheckListBox::Items() const
{
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts << item(i)->text();
    return texts;
}

void TCheckListBox::SetItems(const QStringList& items)
{
    const QScopedValueRollback change(settingState_, true);
    clear();
    for (const QString& text : items)
        AddItem(text);
}

int TCheckListBox::AddItem(const QString& text, bool checked)
{
    const QScopedValueRollback change(settingState_, true);
    auto* entry = new QListWidgetItem(text);
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
    entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    entry->setData(kKnownStateRole, static_cast<int>(entry->checkState()));
    addItem(entry);
    return count() - 1;
}

void TCheckListBox::Clear()
{
    const QScopedValueRollback change(settingState_, true);
    clear();
}

QListWidgetItem* TCheckListBox::itemAtIndex(int index) const
{
    QListWidgetItem* entry = index >= 0 && index < count() ? item(index) : nullptr;
    if (!entry)
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return entry;
}

bool TCheckListBox::Checked(int index) const
{
    return itemAtIndex(index)->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int index, bool checked)
{
    QListWidgetItem* entry = itemAtIndex(index);
    const QScopedValueRollback change(settingState_, true);
    entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TCheckListBox::SetAllChecked(bool checked)
{
    const QScopedValueRollback change(settingState_, true);
    for (int i = 0; i < count(); ++i)
        item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QList<int> TCheckListBox::CheckedIndexes() const
{
    QList<int> indexes;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->checkState() == Qt::Checked)
            indexes << i;
    }
    return indexes;
}

void TCheckListBox::itemChangedByUser(QListWidgetItem* entry)
{
    recount();
    // Any change of an item comes here; only a new tick state is a click.
    const int state = entry->checkState();
    if (entry->data(kKnownStateRole) == state)
        return;
    entry->setData(kKnownStateRole, state);
    if (!settingState_)
        emit clickCheck(row(entry));
}

void TCheckListBox::recount()
{
    const int checked = static_cast<int>(CheckedIndexes().size());
    if (checked == checkedCount_ && count() == countedTotal_)
        return;
    checkedCount_ = checked;
    countedTotal_ = count();
    emit checkedCountChanged(checkedCount_, countedTotal_);
}

} // namespace velta
