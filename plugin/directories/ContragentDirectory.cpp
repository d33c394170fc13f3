#include "plugin/directories/ContragentDirectory.h"

#include "common/Exception.h"
#include "plugin/data/DCOMConnection.h"
#include "plugin/data/Field.h"
#include "plugin/directories/ContragentQuery.h"

namespace velta::directories {

namespace {

const QString kId = QStringLiteral("CONTR_ID");
const QString kNotDeleted = QStringLiteral("ISDELETE<>1");

// The list's columns; the grid shows the first five texts.
void addListFields(TClientDataSet& list)
{
    list.AddField(kId, FieldType::Int32).SetVisible(false);
    const struct {
        const char* column;
        const char* label;
        int width;
    } shown[] = {{"NAME", "Наименование", 26}, {"FULLNAME", "Полное наименование", 32}, {"INN", "ИНН", 13},
                 {"ADDRESS", "Адрес", 30}, {"PHONE", "Телефон", 16}};
    for (const auto& s : shown) {
        TField& field = list.AddField(QString::fromLatin1(s.column), FieldType::String, 100);
        field.SetDisplayLabel(QString::fromUtf8(s.label));
        field.SetDisplayWidth(s.width);
    }
    for (const char* column : {"OKPO", "KPP", "RSCHET", "BANKNAME", "KSCHET", "BIK", "FAX", "CONTACTINFO"})
        list.AddField(QString::fromLatin1(column), FieldType::String, 100).SetVisible(false);
    list.AddField(QStringLiteral("OTHER"), FieldType::String, 500).SetVisible(false);
    list.AddField(QStringLiteral("ISDELETE"), FieldType::Int32).SetVisible(false);
    list.AddField(QStringLiteral("LICNUM"), FieldType::String, 100).SetVisible(false);
    list.AddField(QStringLiteral("LICDATE"), FieldType::Date).SetVisible(false);
    list.AddField(QStringLiteral("LICORG"), FieldType::String, 100).SetVisible(false);
    list.AddField(QStringLiteral("COUNTRYCODE"), FieldType::Int32).SetVisible(false);
}

} // namespace

ContragentDirectory::ContragentDirectory(TDCOMConnection& connection) : connection_(connection)
{
    OrgListDS.SetName(QStringLiteral("OrgListDS"));
    OrgListDS.SetProviderName(QStringLiteral("OrgListProvider"));
    OrgListDS.SetRemoteServer(&connection_);
    OrgListDS.SetFilterOptions(foCaseInsensitive);
    addListFields(OrgListDS);
    OrgTypeDS.SetName(QStringLiteral("OrgTypeDS"));
    OrgTypeDS.SetProviderName(QStringLiteral("OrgTypeProvider"));
    OrgTypeDS.SetRemoteServer(&connection_);
    applyFilter();
}

void ContragentDirectory::OpenGroup(int role, int payType)
{
    OrgListDS.Close();
    OrgListDS.SetCommandText(ContragentGroupQuery(role, payType));
    OrgListDS.Open();
}

void ContragentDirectory::applyFilter()
{
    OrgListDS.SetFilter(searchFilter_.isEmpty() ? kNotDeleted : kNotDeleted + QStringLiteral(" AND ") + searchFilter_);
    OrgListDS.SetFiltered(true);
}

void ContragentDirectory::SetSearchFilter(const QString& filterText)
{
    searchFilter_ = filterText;
    applyFilter();
}

bool ContragentDirectory::Search(const QString& fieldName, const QString& text)
{
    return OrgListDS.Locate(fieldName, Variant(text), loCaseInsensitive | loPartialKey);
}

ContragentRoleSet ContragentDirectory::ReadRoles(int id)
{
    OrgTypeDS.Close();
    OrgTypeDS.SetCommandText(QStringLiteral("SELECT * FROM CONTRAGENTTYPE WHERE CONTR_ID=%1").arg(id));
    OrgTypeDS.Open();
    QList<RoleRow> rows;
    for (OrgTypeDS.First(); !OrgTypeDS.Eof(); OrgTypeDS.Next())
        rows << RoleRow{OrgTypeDS.FieldByName(QStringLiteral("CTYPE")).AsInteger(),
                        OrgTypeDS.FieldByName(QStringLiteral("PARAM1")).AsInteger()};
    return RoleSetOfRows(rows);
}

void ContragentDirectory::OpenEmptyRoles()
{
    OrgTypeDS.Close();
    OrgTypeDS.SetCommandText(QStringLiteral("SELECT * FROM CONTRAGENTTYPE WHERE 1=0"));
    OrgTypeDS.Open();
}

QString ContragentDirectory::DuplicateMessage(const ContragentRecord& record, int excludedId)
{
    struct Check {
        const char* column;
        QString value;
        const char* message;
    };
    const Check checks[] = {
        {"NAME", record.name, "В базе уже есть контрагент с коротким именем \"%1\""},
        {"FULLNAME", record.fullName, "В базе уже есть контрагент с полным именем \"%1\""},
        {"INN", record.inn, "В базе уже есть контрагент с ИНН \"%1\""},
    };
    // A cursor of its own over every record, so the list's position and filter stay.
    TClientDataSet all;
    all.CloneCursor(OrgListDS, true);
    for (all.First(); !all.Eof(); all.Next()) {
        if (all.FieldByName(kId).AsInteger() == excludedId || all.FieldByName(QStringLiteral("ISDELETE")).AsInteger() == 1)
            continue;
        for (const Check& check : checks) {
            if (check.value.isEmpty())
                continue;
            const QString other = all.FieldByName(QString::fromLatin1(check.column)).AsString();
            if (other.compare(check.value, Qt::CaseInsensitive) == 0)
                return QString::fromUtf8(check.message).arg(other);
        }
    }
    return QString();
}

int ContragentDirectory::Save(const ContragentRecord& record, const ContragentRoleSet& roles, int editedId)
{
    int id = editedId;
    if (editedId > 0) {
        if (!OrgListDS.Locate(kId, Variant(editedId), 0))
            throw Exception(QStringLiteral("Исчезла запись контрагента с CONTR_ID=%1!").arg(editedId));
        OrgListDS.Edit();
    } else {
        id = connection_.GetNewContragentNumber();
        OrgListDS.Append();
        OrgListDS.FieldByName(kId).SetAsInteger(id);
    }
    try {
        WriteContragent(OrgListDS, record);
        OrgListDS.Post();
        storeRoles(id, roles);
        TClientDataSet::ApplyUpdatesTogether({&OrgListDS, &OrgTypeDS});
    } catch (...) {
        if (OrgListDS.State() != dsBrowse)
            OrgListDS.Cancel();
        OrgListDS.CancelUpdates();
        if (OrgTypeDS.Active())
            OrgTypeDS.CancelUpdates();
        throw;
    }
    return id;
}

void ContragentDirectory::storeRoles(int id, const ContragentRoleSet& roles)
{
    ReadRoles(id);
    const QList<RoleRow> wanted = RoleRowsOf(roles);
    // Rows no longer wanted go (101 with another PARAM1 too); wanted rows not there are added.
    QList<RoleRow> kept;
    OrgTypeDS.First();
    while (!OrgTypeDS.Eof()) {
        const RoleRow row{OrgTypeDS.FieldByName(QStringLiteral("CTYPE")).AsInteger(),
                          OrgTypeDS.FieldByName(QStringLiteral("PARAM1")).AsInteger()};
        if (wanted.contains(row) && !kept.contains(row)) {
            kept << row;
            OrgTypeDS.Next();
        } else {
            OrgTypeDS.Delete();
        }
    }
    QList<RoleRow> added;
    for (const RoleRow& row : wanted)
        if (!kept.contains(row))
            added << row;
    AppendRoleRows(id, added);
}

void ContragentDirectory::AppendRoleRows(int id, const QList<RoleRow>& rows)
{
    for (const RoleRow& row : rows) {
        OrgTypeDS.Append();
        OrgTypeDS.FieldByName(kId).SetAsInteger(id);
        OrgTypeDS.FieldByName(QStringLiteral("CTYPE")).SetAsInteger(row.ctype);
        OrgTypeDS.FieldByName(QStringLiteral("PARAM1")).SetAsInteger(row.param1);
        OrgTypeDS.Post();
    }
}

void ContragentDirectory::ApplyTogether()
{
    try {
        TClientDataSet::ApplyUpdatesTogether({&OrgListDS, &OrgTypeDS});
    } catch (...) {
        OrgListDS.CancelUpdates();
        if (OrgTypeDS.Active())
            OrgTypeDS.CancelUpdates();
        throw;
    }
}

void ContragentDirectory::SoftDelete()
{
    OrgListDS.Edit();
    OrgListDS.FieldByName(QStringLiteral("ISDELETE")).SetAsInteger(1);
    OrgListDS.Post();
    try {
        OrgListDS.ApplyUpdates(0);
    } catch (...) {
        OrgListDS.CancelUpdates();
        throw;
    }
}

} // namespace velta::directories
