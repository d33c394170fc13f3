#pragma once
// QuotedStr: a text as an SQL or filter literal, in single quotes with every
// quote inside doubled ("O'Key" -> "'O''Key'").
#include "common/RuntimeExport.h"

#include <QString>

namespace velta {

VELTA_RUNTIME_EXPORT QString QuotedStr(const QString& text);

} // namespace velta
