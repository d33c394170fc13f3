#pragma once
// The data of the contragent directory, apart from its window: the list of a
// group (OrgListDS on "OrgListProvider") and the role rows (OrgTypeDS on
// "OrgTypeProvider") over one station connection, with the searches, the
// duplicate check, saving a contragent with its roles in one transaction and
// the soft delete.
#include "plugin/data/ClientDataSet.h"
#include "plugin/directories/ContragentRecord.h"
#include "plugin/directories/ContragentRoles.h"

#include <QString>

namespace velta {
class TDCOMConnection;
}

namespace velta::directories {

class ContragentDirectory {
public:
    explicit ContragentDirectory(TDCOMConnection& connection);
    ContragentDirectory(const ContragentDirectory&) = delete;
    ContragentDirectory& operator=(const ContragentDirectory&) = delete;

    TDCOMConnection& Connection() const { return connection_; }

    // Reopens the list with the statement of a group (role 0: all; payType >= 0
    // narrows role 1 to one payment type). The local filters stay.
    void OpenGroup(int role, int payType = -1);
    // The filter of the filter mode besides "ISDELETE<>1"; empty clears it.
    void SetSearchFilter(const QString& filterText);
    // Makes the first record whose field begins with the text current
    // (without regard to case); false when none does.
    bool Search(const QString& fieldName, const QString& text);

    // Reopens OrgTypeDS with the role rows of a contragent and reads them.
    ContragentRoleSet ReadRoles(int id);

    // The message of the first listed record (other than excludedId) with the
    // same non-empty short name, full name or INN, without regard to case;
    // empty when there is none.
    QString DuplicateMessage(const ContragentRecord& record, int excludedId);

    // Writes a contragent (editedId 0: a new one, numbered by the server) and
    // its role rows, and sends both in one transaction: on any failure nothing
    // is written and the local changes are dropped. Returns its CONTR_ID.
    int Save(const ContragentRecord& record, const ContragentRoleSet& roles, int editedId);

    // Marks the current record deleted (ISDELETE = 1) and sends it; its role rows stay.
    void SoftDelete();

    // Appends the role rows of a contragent to OrgTypeDS (open).
    void AppendRoleRows(int id, const QList<RoleRow>& rows);
    // Opens OrgTypeDS with no rows, for appending.
    void OpenEmptyRoles();
    // Sends the changes of both datasets in one transaction; drops them on failure.
    void ApplyTogether();

    TClientDataSet OrgListDS;
    TClientDataSet OrgTypeDS;

private:
    void storeRoles(int id, const ContragentRoleSet& roles);
    void applyFilter();

    TDCOMConnection& connection_;
    QString searchFilter_;
};

} // namespace velta::directories
