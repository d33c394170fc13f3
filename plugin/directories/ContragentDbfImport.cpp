#include "plugin/directories/ContragentDbfImport.h"

#include "common/Exception.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DCOMConnection.h"
#include "plugin/data/Field.h"
#include "plugin/directories/ContragentDbfFields.h"
#include "plugin/directories/ContragentDirectory.h"
#include "plugin/foundation/dbf/MemDBFTable.h"

#include <QStringList>

namespace velta::directories {

namespace {

const QString kId = QStringLiteral("CONTR_ID");

bool exists(TClientDataSet& all, const QString& column, const QString& value)
{
    return all.Locate(column, Variant(value), loCaseInsensitive);
}

QString text(TMemDBFTable& table, const char* field)
{
    DbfField* f = table.FindField(QString::fromLatin1(field));
    return f ? f->AsString().trimmed() : QString();
}

} // namespace

QList<RoleRow> ImportedRoleRows(const DbfRoleValues& values)
{
    auto flag = [&](const char* name) {
        for (const auto& [field, value] : values.flags)
            if (field.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return value;
        return 0;
    };
    QList<RoleRow> rows;
    for (const DbfRoleFlag& f : ContragentDbfFlags()) {
        if (f.ctype == 0 || flag(f.field) != 1)
            continue;
        const bool regional = f.ctype == kRoleGoodsMaker && flag("ISREGIONAL") == 1;
        rows << RoleRow{f.ctype, regional ? 1 : 0};
    }
    for (const QString& part : values.voList.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int id = part.trimmed().toInt(&ok);
        if (ok && id > 0 && id % 100 == 4 && !rows.contains(RoleRow{kRolePayType, id}))
            rows << RoleRow{kRolePayType, id};
    }
    return rows;
}

int ImportContragentDbf(ContragentDirectory& directory, const QString& nativePath)
{
    TMemDBFTable table;
    table.SetOEM(true);
    table.SetFileName(nativePath);
    table.Open();
    if (!table.FindField(QStringLiteral("Name")))
        throw Exception(QStringLiteral("Поле \"Name\" не найдено в таблице \"%1\"").arg(nativePath));

    TClientDataSet& list = directory.OrgListDS;
    // Every record, whatever the list's search filter shows, new ones included.
    TClientDataSet all;
    all.CloneCursor(list, true);
    directory.OpenEmptyRoles();
    int added = 0;
    try {
        for (table.First(); !table.Eof(); table.Next()) {
            const QString name = text(table, "Name");
            const QString fullName = text(table, "FullName");
            const QString inn = text(table, "INN");
            if (name.isEmpty() || exists(all, QStringLiteral("NAME"), name) ||
                (!fullName.isEmpty() && exists(all, QStringLiteral("FULLNAME"), fullName)) ||
                (!inn.isEmpty() && exists(all, QStringLiteral("INN"), inn)))
                continue;

            const int id = directory.Connection().GetNewContragentNumber();
            list.Append();
            list.FieldByName(kId).SetAsInteger(id);
            DbfRoleValues roles;
            for (int i = 0; i < table.FieldCount(); ++i) {
                DbfField& source = table.Fields(i);
                const QString fieldName = source.FieldName();
                if (fieldName.compare(QLatin1String(kVoListField), Qt::CaseInsensitive) == 0)
                    roles.voList = source.AsString();
                else if (fieldName.startsWith(QLatin1String("IS"), Qt::CaseInsensitive) && !source.IsNull())
                    roles.flags.append({fieldName, source.AsInteger()});
                if (source.IsNull() || fieldName.compare(kId, Qt::CaseInsensitive) == 0)
                    continue;
                TField* target = list.FindField(fieldName);
                if (!target) {
                    const QString column = ColumnOfDbfField(fieldName);
                    target = column.isEmpty() ? nullptr : list.FindField(column);
                }
                if (target)
                    target->SetValue(source.Value());
            }
            list.FieldByName(QStringLiteral("ISDELETE")).SetAsInteger(0);
            list.Post();
            directory.AppendRoleRows(id, ImportedRoleRows(roles));
            ++added;
        }
    } catch (...) {
        if (list.State() != dsBrowse)
            list.Cancel();
        list.CancelUpdates();
        directory.OrgTypeDS.CancelUpdates();
        throw;
    }
    directory.ApplyTogether();
    return added;
}

} // namespace velta::directories
