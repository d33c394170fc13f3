#pragma once
// The texts the directory runs: the statement of a group of contragents and
// the local filter and search of the list.
#include <QString>
#include <QStringList>

namespace velta::directories {

// The statement of a group: role 0 lists every contragent not deleted; a
// role lists its contragents; payType (>= 0) narrows role 1 to one payment
// type. Lines joined by CR LF, ordered by name.
QString ContragentGroupQuery(int role, int payType = -1);

// The search fields of cbFieldName, captions and field names in item order.
const QStringList& SearchFieldCaptions();
const QStringList& SearchFieldNames();

// The filter of the filter mode: "(Name LIKE '%text%')".
QString ContragentFilterText(const QString& fieldName, const QString& text);

} // namespace velta::directories
