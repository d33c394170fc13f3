#include "plugin/directories/ContragentDbfExport.h"

#include "common/Exception.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/Field.h"
#include "plugin/directories/ContragentDbfFields.h"
#include "plugin/foundation/dbf/MemDBFTable.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/SystemError.h"

#include <QDir>
#include <QStringList>
#include <cerrno>

namespace velta::directories {

namespace {

struct ColumnCopy {
    QString column;
    QString dbfField;
};

QStringList payTypeList(const QList<int>& ids)
{
    QStringList texts;
    for (int id : ids)
        texts << QString::number(id);
    return texts;
}

} // namespace

QByteArray ContragentDbfImage(TClientDataSet& list, const RolesOfContragent& rolesOf)
{
    TMemDBFTable table;
    table.SetOEM(true);
    QList<ColumnCopy> copies;
    for (const FieldDef& def : list.DataFieldDefs()) {
        const QString dbfField = DbfFieldOfColumn(def.name);
        if (dbfField.isEmpty())
            continue;
        copies.append({def.name, dbfField});
        if (dbfField == QLatin1String("LICDATE"))
            table.AddFieldDef(dbfField, ftDate);
        else if (dbfField == QLatin1String("COUNTRYCOD"))
            table.AddFieldDef(dbfField, ftInteger);
        else
            table.AddFieldDef(dbfField, ftString, DbfTextLength(dbfField));
    }
    for (const DbfRoleFlag& flag : ContragentDbfFlags())
        table.AddFieldDef(QString::fromLatin1(flag.field), ftInteger);
    table.AddFieldDef(QString::fromLatin1(kVoListField), ftString, kVoListLength);
    table.CreateTable();
    table.Open();

    const TBookmark current = list.GetBookmark();
    list.DisableControls();
    try {
        for (list.First(); !list.Eof(); list.Next()) {
            const ContragentRoleSet roles = rolesOf(list.FieldByName(QStringLiteral("CONTR_ID")).AsInteger());
            table.Append();
            for (const ColumnCopy& copy : copies) {
                const TField& field = list.FieldByName(copy.column);
                if (!field.IsNull())
                    table.FieldByName(copy.dbfField).SetValue(field.Value());
            }
            for (const DbfRoleFlag& flag : ContragentDbfFlags())
                table.FieldByName(QString::fromLatin1(flag.field)).SetAsInteger((roles.mask & maskOf(flag.bit)) ? 1 : 0);
            table.FieldByName(QString::fromLatin1(kVoListField)).SetAsString(payTypeList(roles.payTypes).join(QLatin1Char(',')));
            table.Post();
        }
    } catch (...) {
        if (list.BookmarkValid(current))
            list.GotoBookmark(current);
        list.EnableControls();
        throw;
    }
    if (list.BookmarkValid(current))
        list.GotoBookmark(current);
    list.EnableControls();
    return table.SaveToBytes();
}

void ExportContragentDbf(TClientDataSet& list, const RolesOfContragent& rolesOf, const QString& nativePath)
{
    const QByteArray image = ContragentDbfImage(list, rolesOf);
    if (FileIO::replaceFile(nativePath, image) != FileIO::Outcome::Written) {
        const int code = SystemError::setLastFromErrnoForPath(errno, nativePath);
        throw EInOutError(QStringLiteral("Невозможно удалить старый файл %1: %2")
                              .arg(QDir::toNativeSeparators(nativePath), SystemError::message(code)));
    }
}

} // namespace velta::directories
