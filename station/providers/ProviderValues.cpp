#include "station/providers/ProviderValues.h"

#include "common/DateTime.h"
#include "station/db/FixedPoint.h"

#include <QDateTime>
#include <QTime>
#include <cmath>

namespace velta::station {
namespace {

QVariant nullOf(QMetaType::Type type)
{
    return QVariant(QMetaType(type));
}

QTime timeOf(double stamp)
{
    const double fraction = std::fabs(stamp - std::trunc(stamp));
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(std::llround(fraction * 86400000.0)) % 86400000);
}

} // namespace

QVariant sqlValue(const Variant& value)
{
    switch (value.type()) {
    case VarType::Empty:
    case VarType::Null: return nullOf(QMetaType::QString);
    case VarType::Boolean: return QVariant(value.toBool() ? 1 : 0);
    case VarType::Int8:
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Word:
    case VarType::Int32: return QVariant(value.toInt());
    case VarType::UInt32:
    case VarType::Int64: return QVariant(static_cast<qlonglong>(value.toInt64()));
    case VarType::Single:
    case VarType::Double: return QVariant(value.toDouble());
    case VarType::Currency: return QVariant(fixedText(value.toCurrency()));
    case VarType::Date: return QVariant(toQDateTime(value.toDateTime()));
    case VarType::ByteArray: return QVariant(value.toByteArray());
    default: return QVariant(value.toString());
    }
}

QVariant sqlValue(const FieldDef& field, const Variant& value)
{
    if (value.isEmptyOrNull()) {
        switch (field.type) {
        case FieldType::Int16:
        case FieldType::Int32: return nullOf(QMetaType::Int);
        case FieldType::Int64: return nullOf(QMetaType::LongLong);
        case FieldType::Float: return nullOf(QMetaType::Double);
        case FieldType::Date: return nullOf(QMetaType::QDate);
        case FieldType::Time: return nullOf(QMetaType::QTime);
        case FieldType::DateTime: return nullOf(QMetaType::QDateTime);
        case FieldType::Blob: return nullOf(QMetaType::QByteArray);
        default: return nullOf(QMetaType::QString);
        }
    }
    switch (field.type) {
    case FieldType::Int16:
    case FieldType::Int32: return QVariant(value.toInt());
    case FieldType::Int64: return QVariant(static_cast<qlonglong>(value.toInt64()));
    case FieldType::Float: return QVariant(value.toDouble());
    case FieldType::Currency:
    case FieldType::FmtBcd: return QVariant(fixedText(value.toCurrency()));
    case FieldType::Boolean: return QVariant(value.toBool());
    case FieldType::Date: return QVariant(toQDateTime(value.toDateTime()).date());
    case FieldType::Time: return QVariant(timeOf(value.toDateTime()));
    case FieldType::DateTime: return QVariant(toQDateTime(value.toDateTime()));
    case FieldType::Blob: return QVariant(blobBytes(value));
    case FieldType::String:
    case FieldType::Memo: return QVariant(value.toString());
    }
    return QVariant(value.toString());
}

} // namespace velta::station
