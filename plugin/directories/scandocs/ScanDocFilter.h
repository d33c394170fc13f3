#pragma once
// The filters of the scanned documents list: the group (one document type or
// all) and the search field's LIKE condition of the filter mode.
#include <QString>
#include <QStringList>

namespace velta::directories::scandocs {

// The fields the search looks in, in the order of the field choice.
const QStringList& SearchFieldNames();

// "Все документы" (typeId < 0) gives an empty filter, a type " (DOCTYPE=<id>) ".
QString GroupFilter(int typeId);

// The filter mode's text: the group filter and, for a non-empty text, the
// condition that the field contains it (the text quoted as a filter literal).
QString SearchFilter(const QString& groupFilter, const QString& fieldName, const QString& text);

} // namespace velta::directories::scandocs
