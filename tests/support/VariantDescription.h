#pragma once
// A variant as "type:value" (arrays as "[...]"), so that a parameter array is
// compared element by element with its types and a mismatch shows both.
#include "common/Variant.h"

#include <QString>
#include <QStringList>

namespace velta::test {

inline QString describe(const Variant& value)
{
    switch (value.type()) {
    case VarType::Empty:
        return QStringLiteral("empty");
    case VarType::Int8:
        return QStringLiteral("i8:%1").arg(value.toInt());
    case VarType::Byte:
        return QStringLiteral("u8:%1").arg(value.toInt());
    case VarType::Int32:
        return QStringLiteral("i32:%1").arg(value.toInt());
    case VarType::Boolean:
        return value.toBool() ? QStringLiteral("bool:1") : QStringLiteral("bool:0");
    case VarType::String:
        return QStringLiteral("str:") + value.toString();
    case VarType::Date:
        return QStringLiteral("date:") + QString::number(value.toDateTime(), 'f', 6);
    case VarType::Double:
        return QStringLiteral("f64:") + QString::number(value.toDouble(), 'f', 6);
    case VarType::Array: {
        QStringList items;
        for (const Variant& element : value.elements())
            items << describe(element);
        return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    default:
        return Variant::typeName(value.type()) + QLatin1Char(':') + value.toString();
    }
}

} // namespace velta::test
