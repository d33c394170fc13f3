#include "plugin/data/Field.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/data/ClientDataSet.h"

#include <cmath>

namespace velta {

TField::TField(TClientDataSet& dataSet, QString fieldName, FieldType dataType, int size)
    : dataSet_(&dataSet), fieldName_(std::move(fieldName)), dataType_(dataType), size_(size)
{
    if (dataType == FieldType::Currency || dataType == FieldType::FmtBcd)
        precision_ = kMaxBcdPrecision;
}

int TField::Index() const
{
    for (int i = 0; i < dataSet_->FieldCount(); ++i) {
        if (&dataSet_->Fields(i) == this)
            return i;
    }
    return -1;
}

int TField::DisplayWidth() const
{
    if (displayWidth_ >= 0)
        return displayWidth_;
    switch (dataType_) {
    case FieldType::String: return size_ > 0 ? size_ : 20;
    case FieldType::Int16: return 6;
    case FieldType::Int32: return 11;
    case FieldType::Int64: return 15;
    case FieldType::Float: return 10;
    case FieldType::Currency:
    case FieldType::FmtBcd: return precision_ > 0 ? precision_ + 2 : 10;
    case FieldType::Boolean: return 5;
    case FieldType::Date: return 10;
    case FieldType::Time: return 10;
    case FieldType::DateTime: return 18;
    case FieldType::Memo:
    case FieldType::Blob: return 10;
    }
    return 10;
}

TAlignment TField::Alignment() const
{
    if (alignment_ >= 0)
        return static_cast<TAlignment>(alignment_);
    switch (dataType_) {
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64:
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::FmtBcd:
        return taRightJustify;
    default:
        return taLeftJustify;
    }
}

Variant TField::Value() const
{
    return dataSet_->fieldValue(*this);
}

bool TField::IsNull() const
{
    return Value().isEmptyOrNull();
}

QString TField::formatValue(const Variant& value, bool displayText) const
{
    if (value.isEmptyOrNull())
        return QString();
    switch (dataType_) {
    case FieldType::String:
    case FieldType::Memo:
        return value.toString();
    case FieldType::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime: {
        const TDateTime stamp = value.toDateTime();
        if (displayText && !displayFormat_.isEmpty())
            return FormatDateTime(displayFormat_, stamp);
        if (dataType_ == FieldType::Date)
            return DateToStr(stamp);
        if (dataType_ == FieldType::Time)
            return TimeToStr(stamp);
        return DateTimeToStr(stamp);
    }
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64:
        if (displayText && !displayFormat_.isEmpty())
            return FormatFloat(displayFormat_, static_cast<double>(value.toInt64()));
        return QString::number(value.toInt64());
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::FmtBcd: {
        const double number = value.toDouble();
        if (displayText && !displayFormat_.isEmpty())
            return FormatFloat(displayFormat_, number);
        if (displayText && currency_) {
            const TFormatSettings& settings = globalFormatSettings();
            return FloatToStrF(number, FloatFormat::Currency, 15, settings.CurrencyDecimals, settings);
        }
        return FloatToStr(number);
    }
    case FieldType::Blob:
        return QStringLiteral("(BLOB)");
    }
    return value.toString();
}

QString TField::AsString() const
{
    return formatValue(Value(), false);
}

int TField::AsInteger() const
{
    const Variant v = Value();
    if (v.isEmptyOrNull())
        return 0;
    if (v.isString())
        return StrToInt(v.toString());
    return v.toInt();
}

std::int64_t TField::AsLargeInt() const
{
    const Variant v = Value();
    if (v.isEmptyOrNull())
        return 0;
    if (v.isString())
        return StrToInt64(v.toString());
    return v.toInt64();
}

double TField::AsFloat() const
{
    const Variant v = Value();
    if (v.isEmptyOrNull())
        return 0.0;
    if (v.isString())
        return StrToFloat(v.toString());
    return v.toDouble();
}

velta::Currency TField::AsCurrency() const
{
    const Variant v = Value();
    if (v.isEmptyOrNull())
        return {};
    if (v.isString())
        return Variant::fromCurrencyText(v.toString()).toCurrency();
    return v.toCurrency();
}

TDateTime TField::AsDateTime() const
{
    const Variant v = Value();
    if (v.isEmptyOrNull())
        return 0.0;
    if (v.isString())
        return StrToDateTime(v.toString());
    return v.toDateTime();
}

bool TField::AsBoolean() const
{
    const Variant v = Value();
    return v.isEmptyOrNull() ? false : v.toBool();
}

QString TField::DisplayText() const
{
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField&>(*this), text, true);
        return text;
    }
    return formatValue(Value(), true);
}

QString TField::Text() const
{
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField&>(*this), text, false);
        return text;
    }
    return AsString();
}

void TField::SetValue(const Variant& value)
{
    dataSet_->setFieldValue(*this, value);
}

void TField::SetText(const QString& text)
{
    if (OnSetText)
        OnSetText(*this, text);
    else
        SetAsString(text);
}

void TField::SetAsString(const QString& text)
{
    switch (dataType_) {
    case FieldType::String:
    case FieldType::Memo:
        SetValue(Variant(text));
        return;
    default:
        break;
    }
    if (text.isEmpty()) {
        SetValue(Variant::null());
        return;
    }
    switch (dataType_) {
    case FieldType::Int16:
    case FieldType::Int32:
        SetValue(Variant(StrToInt(text)));
        return;
    case FieldType::Int64:
        SetValue(Variant(static_cast<long long>(StrToInt64(text))));
        return;
    case FieldType::Float:
        SetValue(Variant(StrToFloat(text)));
        return;
    case FieldType::Currency:
    case FieldType::FmtBcd:
        SetValue(Variant::fromCurrencyText(text));
        return;
    case FieldType::Boolean:
        SetValue(Variant(text).toBool());
        return;
    case FieldType::Date:
        SetValue(Variant::fromDate(StrToDate(text)));
        return;
    case FieldType::Time:
        SetValue(Variant::fromDate(StrToTime(text)));
        return;
    case FieldType::DateTime:
        SetValue(Variant::fromDate(StrToDateTime(text)));
        return;
    default:
        SetValue(Variant(text));
        return;
    }
}

} // namespace velta
