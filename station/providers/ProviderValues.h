#pragma once
// Conversion of wire values (Variant) to the values QtSql binds: fixed point
// as exact decimal text, dates as QDate/QDateTime, texts, numbers and blobs.
#include "common/FieldDef.h"
#include "common/Variant.h"

#include <QVariant>

namespace velta::station {

// A parameter value as the client sent it; Null and Empty bind NULL.
QVariant sqlValue(const Variant& value);
// A field's value, by the field's type (a Date field binds a QDate, ...).
QVariant sqlValue(const FieldDef& field, const Variant& value);

} // namespace velta::station
