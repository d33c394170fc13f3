#pragma once
// Writes listed contragents with their roles and contract payment types to a
// dBase file in the OEM code page. The table is built in memory and replaces
// the file only when whole: a failure on the way leaves the old file.
#include "plugin/directories/ContragentRoles.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace velta {
class TClientDataSet;
}

namespace velta::directories {

using RolesOfContragent = std::function<ContragentRoleSet(int id)>;

// The file's bytes: one record per record of the list as it is shown (its
// current record is kept), mapped columns in the list's column order, then
// the flags and VOLIST; texts cut to their fields' lengths.
QByteArray ContragentDbfImage(TClientDataSet& list, const RolesOfContragent& rolesOf);

// Builds the image and puts it in place of the file (native path); raises
// "Невозможно удалить старый файл %s: %s" when the file cannot be replaced.
void ExportContragentDbf(TClientDataSet& list, const RolesOfContragent& rolesOf, const QString& nativePath);

} // namespace velta::directories
