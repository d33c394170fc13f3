#include "plugin/consignment/list/NoteRowsDelegate.h"

#include "common/Exception.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/ui/DBGrid.h"

namespace velta::consignment {

NoteRowsDelegate::NoteRowsDelegate(TDBGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

bool NoteRowsDelegate::IsOfficeNote(int row) const
{
    TDataSource* source = grid_.DataSource();
    TClientDataSet* list = source ? source->DataSet() : nullptr;
    const int record = grid_.Model().recordAt(row);
    if (!list || !list->Active() || record < 0)
        return false;
    TField* office = list->FindField(QStringLiteral("OFCTTNID"));
    if (!office)
        return false;
    bool fromOffice = false;
    try {
        list->readRecordOf(record, [&] { fromOffice = office->AsInteger() > 0; });
    } catch (const Exception&) {
        // Drawing cannot ask the user: a row that cannot be read stays plain.
    }
    return fromOffice;
}

void NoteRowsDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (IsOfficeNote(index.row()))
        option->backgroundBrush = ColorFromTColor(kOfficeNoteColor);
}

} // namespace velta::consignment
