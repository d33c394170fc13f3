#pragma once
// Reads a contragent exchange file (dBase, OEM code page) into the directory:
// only contragents it does not have yet (by short name, full name or INN,
// without regard to case) are added, numbered by the station, with the roles
// of the file's flags and the contract payment types of VOLIST. All of it is
// sent to the server in one transaction.
#include "plugin/directories/ContragentRoles.h"

#include <QList>
#include <QString>

namespace velta::directories {

class ContragentDirectory;

// The role rows of a file record's flags and VOLIST: flags that exist and are
// 1; VOLIST ids (comma separated) above 0 whose value modulo 100 is 4.
struct DbfRoleValues {
    QList<std::pair<QString, int>> flags; // field name, value, as the file has them
    QString voList;
};
QList<RoleRow> ImportedRoleRows(const DbfRoleValues& values);

// Adds the file's new contragents to the directory (its list open on all
// contragents) and returns how many were added. A file without a field
// "Name" raises "Поле \"Name\" не найдено в таблице \"<file>\"" and adds nothing.
int ImportContragentDbf(ContragentDirectory& directory, const QString& nativePath);

} // namespace velta::directories
