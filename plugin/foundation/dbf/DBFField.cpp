#include "plugin/foundation/dbf/DBFField.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/foundation/dbf/DBFValue.h"
#include "plugin/foundation/dbf/MemDBFTable.h"

#include <cmath>
#include <limits>

namespace velta {

namespace {

[[noreturn]] void unexpectedType()
{
    throw EDatabaseError(QStringLiteral("Unexpected field type."));
}

[[noreturn]] void accessError(const QString& field, const char* type)
{
    throw EDatabaseError(QStringLiteral("Cannot access field '%1' as type %2").arg(field, QLatin1String(type)));
}

[[noreturn]] void tooLong(const QString& text, const TDBFFieldDesc& d)
{
    throw EDatabaseError(QStringLiteral("Value %1 does not fit field %2 of length %3").arg(text, d.Name).arg(d.Length));
}

std::int64_t roundToInt64(double value, const TDBFFieldDesc& d)
{
    const double r = std::nearbyint(value);
    if (!(r >= -9.2e18 && r <= 9.2e18))
        tooLong(QString::number(value), d);
    return static_cast<std::int64_t>(r);
}

} // namespace

TFieldType dbfFieldTypeOf(FieldType type)
{
    switch (type) {
    case FieldType::String: return ftString;
    case FieldType::Int16: return ftSmallint;
    case FieldType::Int32: return ftInteger;
    case FieldType::Int64: return ftLargeint;
    case FieldType::Float: return ftFloat;
    case FieldType::Currency: return ftBCD;
    case FieldType::FmtBcd: return ftFMTBcd;
    case FieldType::Boolean: return ftBoolean;
    case FieldType::Date: return ftDate;
    case FieldType::Time: return ftTime;
    case FieldType::DateTime: return ftDateTime;
    case FieldType::Memo: return ftMemo;
    case FieldType::Blob: return ftBlob;
    }
    return ftUnknown;
}

const QString& DbfField::FieldName() const { return table_->desc(index_).Name; }
TFieldType DbfField::DataType() const { return table_->desc(index_).FieldType; }
int DbfField::Length() const { return table_->desc(index_).Length; }
int DbfField::Decimals() const { return table_->desc(index_).Decimals; }

int DbfField::Size() const
{
    const TDBFFieldDesc& d = table_->desc(index_);
    return d.FieldType == ftString || d.FieldType == ftMemo ? d.Length : 0;
}

bool DbfField::IsNull() const
{
    const char* buffer = table_->activeBuffer();
    if (!buffer)
        return true;
    const TDBFFieldDesc& d = table_->desc(index_);
    const QByteArrayView raw(buffer + d.Offset, d.Length);
    std::int64_t i = 0;
    double f = 0;
    switch (d.FieldType) {
    case ftString: return dbfvalue::trimmedRight(raw).isEmpty();
    case ftInteger: return !dbfvalue::parseInteger(raw, i);
    case ftFloat: return !dbfvalue::parseFloat(raw, f);
    case ftBoolean: return dbfvalue::parseBoolean(raw) < 0;
    case ftDate: return !dbfvalue::parseDate(raw, f);
    case ftMemo:
    case ftBlob:
    case ftDBaseOle: return false;
    default: unexpectedType();
    }
}

void DbfField::ReadString(QString& into) const
{
    const TDBFFieldDesc& d = table_->desc(index_);
    const char* buffer = table_->activeBuffer();
    if (d.FieldType == ftString && buffer) {
        dbfvalue::decodeString(QByteArrayView(buffer + d.Offset, d.Length), table_->OEM(), into);
        return;
    }
    into = AsString();
}

QString DbfField::AsString() const
{
    const TDBFFieldDesc& d = table_->desc(index_);
    const char* buffer = table_->activeBuffer();
    if (!buffer || d.FieldType == ftMemo || d.FieldType == ftBlob || d.FieldType == ftDBaseOle)
        return QString();
    if (d.FieldType == ftString) {
        QString text;
        ReadString(text);
        return text;
    }
    if (IsNull())
        return QString();
    switch (d.FieldType) {
    case ftInteger: return QString::number(AsLargeInt());
    case ftFloat: return FloatToStr(AsFloat());
    case ftBoolean: return AsBoolean() ? QStringLiteral("True") : QStringLiteral("False");
    case ftDate: return DateToStr(AsDateTime());
    default: unexpectedType();
    }
}

std::int64_t DbfField::AsLargeInt() const
{
    const TDBFFieldDesc& d = table_->desc(index_);
    const char* buffer = table_->activeBuffer();
    if (!buffer)
        return 0;
    const QByteArrayView raw(buffer + d.Offset, d.Length);
    std::int64_t value = 0;
    double f = 0;
    switch (d.FieldType) {
    case ftInteger: return dbfvalue::parseInteger(raw, value) ? value : 0;
    case ftFloat: return dbfvalue::parseFloat(raw, f) ? roundToInt64(f, d) : 0;
    case ftString: {
        const QString text = AsString();
        return text.isEmpty() ? 0 : StrToInt64(text);
    }
    case ftBoolean: return dbfvalue::parseBoolean(raw) == 1 ? 1 : 0;
    default: accessError(d.Name, "Integer");
    }
}

int DbfField::AsInteger() const
{
    const std::int64_t value = AsLargeInt();
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(value));
    return static_cast<int>(value);
}

double DbfField::AsFloat() const
{
    const TDBFFieldDesc& d = table_->desc(index_);
    const char* buffer = table_->activeBuffer();
    if (!buffer)
        return 0;
    const QByteArrayView raw(buffer + d.Offset, d.Length);
    double value = 0;
    std::int64_t i = 0;
    switch (d.FieldType) {
    case ftFloat: return dbfvalue::parseFloat(raw, value) ? value : 0;
    case ftInteger: return dbfvalue::parseInteger(raw, i) ? static_cast<double>(i) : 0;
    case ftDate: return dbfvalue::parseDate(raw, value) ? value : 0;
    case ftString: {
        const QString text = AsString();
        return text.isEmpty() ? 0 : StrToFloat(text);
    }
    default: accessError(d.Name, "Float");
    }
}

Currency DbfField::AsCurrency() const
{
    return Currency::fromDouble(AsFloat());
}

TDateTime DbfField::AsDateTime() const
{
    const TDBFFieldDesc& d = table_->desc(index_);
    const char* buffer = table_->activeBuffer();
    if (!buffer)
        return 0;
    double value = 0;
    switch (d.FieldType) {
    case ftDate: return dbfvalue::parseDate(QByteArrayView(buffer + d.Offset, d.Length), value) ? value : 0;
    case ftString: {
        const QString text = AsString();
        return text.isEmpty() ? 0 : StrToDateTime(text);
    }
    default: accessError(d.Name, "DateTime");
    }
}

bool DbfField::AsBoolean() const
{
    const TDBFFieldDesc& d = table_->desc(index_);
    const char* buffer = table_->activeBuffer();
    if (!buffer)
        return false;
    switch (d.FieldType) {
    case ftBoolean: return dbfvalue::parseBoolean(QByteArrayView(buffer + d.Offset, d.Length)) == 1;
    case ftString: {
        const QString text = AsString().toUpper();
        return text == u"T" || text == u"TRUE" || text == u"Y";
    }
    default: accessError(d.Name, "Boolean");
    }
}

Variant DbfField::Value() const
{
    const TDBFFieldDesc& d = table_->desc(index_);
    if (IsNull())
        return Variant::null();
    switch (d.FieldType) {
    case ftString: return Variant(AsString());
    case ftInteger: {
        const std::int64_t v = AsLargeInt();
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return Variant(static_cast<int>(v));
        return Variant(static_cast<long long>(v));
    }
    case ftFloat: return Variant(AsFloat());
    case ftBoolean: return Variant(AsBoolean());
    case ftDate: return Variant::fromDate(AsDateTime());
    default: return Variant(QString());
    }
}

void DbfField::SetAsString(const QString& value)
{
    const TDBFFieldDesc& d = table_->desc(index_);
    char* dst = table_->editBuffer(index_);
    const QString text = d.FieldType == ftString ? value : Trim(value);
    if (d.FieldType != ftString && text.isEmpty()) {
        Clear();
        return;
    }
    switch (d.FieldType) {
    case ftString: dbfvalue::encodeString(value, table_->OEM(), dst, d.Length); return;
    case ftInteger:
    case ftMemo:
    case ftBlob:
    case ftDBaseOle: SetAsLargeInt(StrToInt64(text)); return;
    case ftFloat: SetAsFloat(StrToFloat(text)); return;
    case ftDate: SetAsDateTime(StrToDate(text)); return;
    case ftBoolean: {
        const QChar c = text[0].toUpper();
        if (c == u'T' || c == u'Y' || c == u'1')
            SetAsBoolean(true);
        else if (c == u'F' || c == u'N' || c == u'0')
            SetAsBoolean(false);
        else
            throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
        return;
    }
    default: unexpectedType();
    }
}

void DbfField::SetAsInteger(int value)
{
    SetAsLargeInt(value);
}

void DbfField::SetAsLargeInt(std::int64_t value)
{
    const TDBFFieldDesc& d = table_->desc(index_);
    char* dst = table_->editBuffer(index_);
    switch (d.FieldType) {
    case ftInteger:
    case ftMemo:
    case ftBlob:
    case ftDBaseOle:
        if (!dbfvalue::encodeInteger(value, dst, d.Length))
            tooLong(QString::number(value), d);
        return;
    case ftFloat: SetAsFloat(static_cast<double>(value)); return;
    case ftString: SetAsString(QString::number(value)); return;
    case ftBoolean: SetAsBoolean(value != 0); return;
    default: accessError(d.Name, "Integer");
    }
}

void DbfField::SetAsFloat(double value)
{
    const TDBFFieldDesc& d = table_->desc(index_);
    char* dst = table_->editBuffer(index_);
    switch (d.FieldType) {
    case ftFloat:
        if (!dbfvalue::encodeFloat(value, d.Decimals, dst, d.Length))
            tooLong(QString::number(value, 'f', d.Decimals), d);
        return;
    case ftInteger: SetAsLargeInt(roundToInt64(value, d)); return;
    case ftString: SetAsString(FloatToStr(value)); return;
    case ftDate: SetAsDateTime(value); return;
    default: accessError(d.Name, "Float");
    }
}

void DbfField::SetAsCurrency(Currency value)
{
    SetAsFloat(value.toDouble());
}

void DbfField::SetAsDateTime(TDateTime value)
{
    const TDBFFieldDesc& d = table_->desc(index_);
    char* dst = table_->editBuffer(index_);
    switch (d.FieldType) {
    case ftDate: dbfvalue::encodeDate(value, dst, d.Length); return;
    case ftString: SetAsString(DateTimeToStr(value)); return;
    default: accessError(d.Name, "DateTime");
    }
}

void DbfField::SetAsBoolean(bool value)
{
    const TDBFFieldDesc& d = table_->desc(index_);
    char* dst = table_->editBuffer(index_);
    switch (d.FieldType) {
    case ftBoolean: dbfvalue::encodeBoolean(value, dst, d.Length); return;
    case ftString: SetAsString(value ? QStringLiteral("T") : QStringLiteral("F")); return;
    default: accessError(d.Name, "Boolean");
    }
}

void DbfField::SetValue(const Variant& value)
{
    if (value.isEmptyOrNull()) {
        Clear();
        return;
    }
    const TFieldType type = DataType();
    if (type == ftString || value.isString()) {
        SetAsString(value.toString());
        return;
    }
    switch (type) {
    case ftInteger:
    case ftMemo:
    case ftBlob:
    case ftDBaseOle:
        if (value.type() == VarType::Double || value.type() == VarType::Single || value.type() == VarType::Currency)
            SetAsFloat(value.toDouble());
        else
            SetAsLargeInt(value.toInt64());
        return;
    case ftFloat: SetAsFloat(value.toDouble()); return;
    case ftBoolean: SetAsBoolean(value.toBool()); return;
    case ftDate: SetAsDateTime(value.toDateTime()); return;
    default: unexpectedType();
    }
}

void DbfField::Clear()
{
    const TDBFFieldDesc& d = table_->desc(index_);
    char* dst = table_->editBuffer(index_);
    std::fill(dst, dst + d.Length, ' ');
}

} // namespace velta
