#include "common/FieldDef.h"

#include "common/Exception.h"

#include <cmath>
#include <limits>

namespace velta {

namespace {

[[noreturn]] void raiseRange(const FieldDef& field, const QString& value, const QString& low, const QString& high)
{
    throw EDatabaseError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                             .arg(value, field.name, low, high));
}

QString scaledText(std::int64_t scaled)
{
    // Exact decimal text of a scaled value, without trailing zeros.
    const bool negative = scaled < 0;
    const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    QString text = QString::number(magnitude / 10000);
    std::uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

std::int64_t pow10(int digits)
{
    std::int64_t result = 1;
    for (int i = 0; i < digits; ++i)
        result *= 10;
    return result;
}

double checkedDate(const FieldDef& field, double value)
{
    if (!std::isfinite(value))
        throw EDatabaseError(QStringLiteral("Invalid value for field '%1'").arg(field.name));
    return value;
}

} // namespace

Variant blobVariant(const QByteArray& bytes)
{
    return Variant(bytes);
}

QByteArray blobBytes(const Variant& value)
{
    return value.toByteArray();
}

FieldDef::FieldDef(QString fieldName, FieldType fieldType, int fieldSize, std::uint8_t fieldFlags)
    : name(std::move(fieldName)), type(fieldType), size(fieldSize), flags(fieldFlags)
{
    if (type == FieldType::Currency || type == FieldType::FmtBcd) {
        precision = kMaxBcdPrecision;
        scale = kBcdScale;
    }
}

void FieldDef::setFlag(FieldFlag flag, bool on)
{
    flags = on ? static_cast<std::uint8_t>(flags | flag) : static_cast<std::uint8_t>(flags & ~flag);
}

bool isTextType(FieldType type)
{
    return type == FieldType::String || type == FieldType::Memo;
}

bool isDoubleType(FieldType type)
{
    return type == FieldType::Float || type == FieldType::Date || type == FieldType::Time
        || type == FieldType::DateTime;
}

bool isKnownFieldType(std::uint8_t code)
{
    return code >= static_cast<std::uint8_t>(FieldType::String) && code <= static_cast<std::uint8_t>(FieldType::Blob);
}

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::String: return QStringLiteral("String");
    case FieldType::Int16: return QStringLiteral("SmallInt");
    case FieldType::Int32: return QStringLiteral("Integer");
    case FieldType::Int64: return QStringLiteral("LargeInt");
    case FieldType::Float: return QStringLiteral("Float");
    case FieldType::Currency: return QStringLiteral("BCD");
    case FieldType::FmtBcd: return QStringLiteral("FMTBcd");
    case FieldType::Boolean: return QStringLiteral("Boolean");
    case FieldType::Date: return QStringLiteral("Date");
    case FieldType::Time: return QStringLiteral("Time");
    case FieldType::DateTime: return QStringLiteral("DateTime");
    case FieldType::Memo: return QStringLiteral("Memo");
    case FieldType::Blob: return QStringLiteral("Blob");
    }
    return QStringLiteral("Unknown");
}

Variant coerceToField(const FieldDef& field, const Variant& value)
{
    if (value.isEmptyOrNull())
        return Variant::null();
    switch (field.type) {
    case FieldType::String:
    case FieldType::Memo:
        return Variant(value.toString());
    case FieldType::Int16: {
        const std::int64_t number = value.toInt64();
        if (number < std::numeric_limits<std::int16_t>::min() || number > std::numeric_limits<std::int16_t>::max())
            raiseRange(field, QString::number(number), QStringLiteral("-32768"), QStringLiteral("32767"));
        return Variant(static_cast<std::int16_t>(number));
    }
    case FieldType::Int32:
        return Variant(value.toInt());
    case FieldType::Int64:
        return Variant(static_cast<long long>(value.toInt64()));
    case FieldType::Float:
        return Variant(value.toDouble());
    case FieldType::Currency:
    case FieldType::FmtBcd: {
        const Currency amount = value.toCurrency();
        // Precision counts every digit, `scale` of them decimals; the scaled
        // value always carries four decimals.
        const int scaledDigits = field.precision - field.scale + kBcdScale;
        if (field.precision > 0 && scaledDigits <= kMaxBcdPrecision) {
            const std::int64_t limit = pow10(scaledDigits);
            if (amount.scaled >= limit || amount.scaled <= -limit)
                raiseRange(field, scaledText(amount.scaled), scaledText(-(limit - 1)), scaledText(limit - 1));
        }
        return Variant(amount);
    }
    case FieldType::Boolean:
        return Variant(value.toBool());
    case FieldType::Date:
        return Variant::fromDate(std::trunc(checkedDate(field, value.toDateTime())));
    case FieldType::Time: {
        const double stamp = checkedDate(field, value.toDateTime());
        return Variant::fromDate(std::fabs(stamp - std::trunc(stamp)));
    }
    case FieldType::DateTime:
        return Variant::fromDate(checkedDate(field, value.toDateTime()));
    case FieldType::Blob:
        return blobVariant(blobBytes(value));
    }
    throw EDatabaseError(QStringLiteral("Field '%1' has an unknown type").arg(field.name));
}

} // namespace velta
