#include "plugin/data/ShownColumns.h"

#include "plugin/data/ClientDataSet.h"

namespace velta {

void ShowOnlyColumns(TClientDataSet& dataSet, std::span<const ShownColumn> columns)
{
    for (int i = 0; i < dataSet.FieldCount(); ++i)
        dataSet.Fields(i).SetVisible(false);
    for (const ShownColumn& column : columns) {
        TField* field = dataSet.FindField(QString::fromLatin1(column.field));
        if (!field)
            continue;
        field->SetDisplayLabel(QString::fromUtf8(column.title));
        if (column.width > 0)
            field->SetDisplayWidth(column.width);
        field->SetVisible(true);
    }
}

} // namespace velta
