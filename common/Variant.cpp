#include "common/Variant.h"

#include "common/Exception.h"
#include "common/SysUtils.h"

#include <cmath>
#include <limits>

namespace velta {

namespace {

constexpr std::int64_t kCurrencyScale = 10000;

[[noreturn]] void raiseCastError(VarType from, const char* to)
{
    throw EVariantError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                            .arg(Variant::typeName(from), QLatin1String(to)));
}

[[noreturn]] void raiseOverflow(VarType from, const char* to)
{
    throw EVariantError(QStringLiteral("Arithmetic overflow converting variant of type (%1) into type (%2)")
                            .arg(Variant::typeName(from), QLatin1String(to)));
}

[[noreturn]] void raiseNotArray()
{
    throw EVariantError(QStringLiteral("Variant is not an array"));
}

[[noreturn]] void raiseOutOfBounds()
{
    throw EVariantError(QStringLiteral("Variant or safe array index out of bounds"));
}

// Rounds to the nearest integer, ties to the even one, whatever the FPU mode.
double roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5)
        return floor + 1.0;
    if (diff < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

// Rounded float within [low, high], or an overflow error.
std::int64_t floatToInteger(double value, VarType from, const char* target, std::int64_t low, std::int64_t high)
{
    const double rounded = roundHalfEven(value);
    // high + 1 is exact as a double for both 32- and 64-bit limits (2^31, 2^63).
    const double upper = static_cast<double>(high) + 1.0;
    if (std::isnan(rounded) || rounded < static_cast<double>(low) || rounded >= upper)
        raiseOverflow(from, target);
    return static_cast<std::int64_t>(rounded);
}

// Currency units to an integer, ties to even.
std::int64_t currencyToInteger(std::int64_t scaled)
{
    std::int64_t quotient = scaled / kCurrencyScale;
    const std::int64_t remainder = scaled % kCurrencyScale;
    const std::int64_t half = kCurrencyScale / 2;
    const std::int64_t step = scaled < 0 ? -1 : 1;
    const std::int64_t magnitude = remainder < 0 ? -remainder : remainder;
    if (magnitude > half || (magnitude == half && quotient % 2 != 0))
        quotient += step;
    return quotient;
}

Currency currencyFromDouble(double value, VarType from)
{
    const double rounded = roundHalfEven(value * static_cast<double>(kCurrencyScale));
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (std::isnan(rounded) || rounded < -limit || rounded >= limit)
        raiseOverflow(from, "Currency");
    return Currency{static_cast<std::int64_t>(rounded)};
}

// A number in the process-wide decimal separator or with a full stop.
bool parseFloatText(const QString& untrimmed, double& value)
{
    const QString text = Trim(untrimmed);
    const TFormatSettings& settings = globalFormatSettings();
    if (TryStrToFloat(text, value, settings))
        return true;
    if (settings.DecimalSeparator == QLatin1Char('.'))
        return false;
    TFormatSettings withPoint = settings;
    withPoint.DecimalSeparator = QLatin1Char('.');
    return TryStrToFloat(text, value, withPoint);
}

// Exact decimal text to currency units: optional sign, digits, optional
// separator and digits; the fifth decimal rounds half away from zero.
bool parseCurrencyText(const QString& text, std::int64_t& scaled)
{
    const QString trimmed = Trim(text);
    const QChar separator = globalFormatSettings().DecimalSeparator;
    qsizetype i = 0;
    const qsizetype n = trimmed.size();
    bool negative = false;
    if (i < n && (trimmed[i] == QLatin1Char('-') || trimmed[i] == QLatin1Char('+'))) {
        negative = trimmed[i] == QLatin1Char('-');
        ++i;
    }
    std::uint64_t units = 0; // magnitude in ten-thousandths
    bool anyDigit = false;
    const auto addDigit = [&units](int digit) {
        return !__builtin_mul_overflow(units, std::uint64_t{10}, &units)
            && !__builtin_add_overflow(units, static_cast<std::uint64_t>(digit), &units);
    };
    for (; i < n && trimmed[i].isDigit() && trimmed[i].unicode() < 128; ++i) {
        anyDigit = true;
        if (!addDigit(trimmed[i].unicode() - '0'))
            return false;
    }
    int decimals = 0;
    bool roundUp = false;
    if (i < n && (trimmed[i] == QLatin1Char('.') || trimmed[i] == separator)) {
        ++i;
        for (; i < n && trimmed[i].unicode() >= '0' && trimmed[i].unicode() <= '9'; ++i) {
            anyDigit = true;
            const int digit = trimmed[i].unicode() - '0';
            if (decimals < 4) {
                if (!addDigit(digit))
                    return false;
                ++decimals;
            } else if (decimals == 4) {
                roundUp = digit >= 5;
                ++decimals;
            }
        }
    }
    if (!anyDigit || i != n)
        return false;
    for (; decimals < 4; ++decimals)
        if (!addDigit(0))
            return false;
    if (roundUp && __builtin_add_overflow(units, std::uint64_t{1}, &units))
        return false;
    constexpr std::uint64_t maxPositive = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (units > maxPositive + (negative ? 1 : 0))
        return false;
    scaled = negative ? static_cast<std::int64_t>(0 - units) : static_cast<std::int64_t>(units);
    return true;
}

// The framework's CurrToStr: no trailing zeros, the process-wide separator.
QString currencyText(std::int64_t scaled)
{
    const bool negative = scaled < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    QString text = QString::number(magnitude / kCurrencyScale);
    std::uint64_t fraction = magnitude % kCurrencyScale;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += globalFormatSettings().DecimalSeparator + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

// As the framework shows a date variant: the date alone when there is no time
// of day, the time alone when the date part is the zero date.
QString dateText(double value)
{
    if (value == std::trunc(value))
        return DateToStr(value);
    if (std::trunc(value) == 0.0)
        return TimeToStr(value);
    return DateTimeToStr(value);
}

} // namespace

bool isIntegerType(VarType type)
{
    switch (type) {
    case VarType::Int16:
    case VarType::Int32:
    case VarType::Int8:
    case VarType::Byte:
    case VarType::Word:
    case VarType::UInt32:
    case VarType::Int64:
        return true;
    default:
        return false;
    }
}

Currency Currency::fromDouble(double value)
{
    return currencyFromDouble(value, VarType::Double);
}

Variant::Variant(bool value) : type_(VarType::Boolean), value_(std::int64_t{value ? 1 : 0}) {}
Variant::Variant(std::int8_t value) : type_(VarType::Int8), value_(std::int64_t{value}) {}
Variant::Variant(std::uint8_t value) : type_(VarType::Byte), value_(std::int64_t{value}) {}
Variant::Variant(std::int16_t value) : type_(VarType::Int16), value_(std::int64_t{value}) {}
Variant::Variant(std::uint16_t value) : type_(VarType::Word), value_(std::int64_t{value}) {}
Variant::Variant(int value) : type_(VarType::Int32), value_(std::int64_t{value}) {}
Variant::Variant(unsigned int value) : type_(VarType::UInt32), value_(std::int64_t{value}) {}
Variant::Variant(long value) : type_(VarType::Int64), value_(std::int64_t{value}) {}
Variant::Variant(long long value) : type_(VarType::Int64), value_(std::int64_t{value}) {}
Variant::Variant(float value) : type_(VarType::Single), value_(double{value}) {}
Variant::Variant(double value) : type_(VarType::Double), value_(value) {}
Variant::Variant(Currency value) : type_(VarType::Currency), value_(value.scaled) {}
Variant::Variant(const QString& value) : type_(VarType::String), value_(value) {}
Variant::Variant(const char* utf8) : type_(VarType::String), value_(QString::fromUtf8(utf8)) {}
Variant::Variant(Array elements)
    : type_(VarType::Array)
    , value_(std::make_shared<Array>(std::move(elements)))
{
}

Variant::Variant(const QByteArray& bytes) : type_(VarType::ByteArray), value_(bytes) {}

Variant Variant::null()
{
    Variant v;
    v.type_ = VarType::Null;
    return v;
}

Variant Variant::fromDate(double dateTime)
{
    Variant v(dateTime);
    v.type_ = VarType::Date;
    return v;
}

Variant Variant::fromCurrencyText(const QString& text)
{
    std::int64_t scaled = 0;
    if (!parseCurrencyText(text, scaled))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return Variant(Currency{scaled});
}

Variant Variant::makeArray(int count)
{
    if (count < 0)
        throw EVariantError(QStringLiteral("Error creating variant or safe array"));
    return Variant(Array(count));
}

bool Variant::isNumeric() const
{
    return isIntegerType(type_) || type_ == VarType::Single || type_ == VarType::Double
        || type_ == VarType::Currency;
}

std::int64_t Variant::toInteger(const char* target, std::int64_t low, std::int64_t high) const
{
    std::int64_t result = 0;
    switch (type_) {
    case VarType::Empty:
        return 0;
    case VarType::Boolean:
        return std::get<std::int64_t>(value_) != 0 ? -1 : 0;
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
        return floatToInteger(std::get<double>(value_), type_, target, low, high);
    case VarType::Currency:
        result = currencyToInteger(std::get<std::int64_t>(value_));
        break;
    case VarType::String: {
        const QString& text = std::get<QString>(value_);
        double number = 0;
        if (TryStrToInt64(Trim(text), result))
            break;
        if (parseFloatText(text, number))
            return floatToInteger(number, type_, target, low, high);
        raiseCastError(type_, target);
    }
    default:
        if (!isIntegerType(type_))
            raiseCastError(type_, target);
        result = std::get<std::int64_t>(value_);
        break;
    }
    if (result < low || result > high)
        raiseOverflow(type_, target);
    return result;
}

int Variant::toInt() const
{
    return static_cast<int>(toInteger("Integer", std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::int64_t Variant::toInt64() const
{
    return toInteger("Int64", std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
}

bool Variant::toBool() const
{
    switch (type_) {
    case VarType::Empty:
        return false;
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
        return std::get<double>(value_) != 0.0;
    case VarType::String: {
        const QString text = Trim(std::get<QString>(value_));
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        double number = 0;
        if (parseFloatText(text, number))
            return number != 0.0;
        raiseCastError(type_, "Boolean");
    }
    default:
        if (!isIntegerType(type_) && type_ != VarType::Boolean && type_ != VarType::Currency)
            raiseCastError(type_, "Boolean");
        return std::get<std::int64_t>(value_) != 0;
    }
}

double Variant::toDouble() const
{
    switch (type_) {
    case VarType::Empty:
        return 0.0;
    case VarType::Boolean:
        return std::get<std::int64_t>(value_) != 0 ? -1.0 : 0.0;
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
        return std::get<double>(value_);
    case VarType::Currency:
        return Currency{std::get<std::int64_t>(value_)}.toDouble();
    case VarType::String: {
        double number = 0;
        if (parseFloatText(std::get<QString>(value_), number))
            return number;
        raiseCastError(type_, "Double");
    }
    default:
        if (!isIntegerType(type_))
            raiseCastError(type_, "Double");
        return static_cast<double>(std::get<std::int64_t>(value_));
    }
}

Currency Variant::toCurrency() const
{
    switch (type_) {
    case VarType::Empty:
        return {};
    case VarType::Boolean:
        return Currency{std::get<std::int64_t>(value_) != 0 ? -kCurrencyScale : 0};
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
        return currencyFromDouble(std::get<double>(value_), type_);
    case VarType::Currency:
        return Currency{std::get<std::int64_t>(value_)};
    case VarType::String: {
        const QString& text = std::get<QString>(value_);
        std::int64_t scaled = 0;
        if (parseCurrencyText(text, scaled))
            return Currency{scaled};
        double number = 0;
        if (parseFloatText(text, number))
            return currencyFromDouble(number, type_);
        raiseCastError(type_, "Currency");
    }
    default: {
        if (!isIntegerType(type_))
            raiseCastError(type_, "Currency");
        std::int64_t scaled = 0;
        if (__builtin_mul_overflow(std::get<std::int64_t>(value_), kCurrencyScale, &scaled))
            raiseOverflow(type_, "Currency");
        return Currency{scaled};
    }
    }
}

double Variant::toDateTime() const
{
    switch (type_) {
    case VarType::String: {
        const QString& text = std::get<QString>(value_);
        TDateTime date = 0;
        if (TryStrToDateTime(Trim(text), date, globalFormatSettings()))
            return date;
        double number = 0;
        if (parseFloatText(text, number))
            return number;
        raiseCastError(type_, "Date");
    }
    case VarType::Null:
    case VarType::Array:
    case VarType::ByteArray:
        raiseCastError(type_, "Date");
    default:
        return toDouble();
    }
}

QString Variant::toString() const
{
    switch (type_) {
    case VarType::Empty:
        return QString();
    case VarType::Boolean:
        return std::get<std::int64_t>(value_) != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case VarType::Single:
    case VarType::Double:
        return FloatToStr(std::get<double>(value_));
    case VarType::Date:
        return dateText(std::get<double>(value_));
    case VarType::Currency:
        return currencyText(std::get<std::int64_t>(value_));
    case VarType::String:
        return std::get<QString>(value_);
    default:
        if (!isIntegerType(type_))
            raiseCastError(type_, "String");
        return QString::number(std::get<std::int64_t>(value_));
    }
}

QByteArray Variant::toByteArray() const
{
    if (type_ == VarType::ByteArray)
        return std::get<QByteArray>(value_);
    if (type_ != VarType::Empty)
        raiseCastError(type_, "Array Byte");
    return QByteArray();
}

int Variant::arrayCount() const
{
    return static_cast<int>(elements().size());
}

const Variant& Variant::at(int index) const
{
    const Array& items = elements();
    if (index < 0 || index >= items.size())
        raiseOutOfBounds();
    return items[index];
}

Variant& Variant::operator[](int index)
{
    if (!isArray())
        raiseNotArray();
    if (index < 0 || index >= elements().size())
        raiseOutOfBounds();
    detach();
    return (*std::get<std::shared_ptr<Array>>(value_))[index];
}

const Variant::Array& Variant::elements() const
{
    if (!isArray())
        raiseNotArray();
    return *std::get<std::shared_ptr<Array>>(value_);
}

// Copies share their array until one of them is written through operator[].
void Variant::detach()
{
    auto& items = std::get<std::shared_ptr<Array>>(value_);
    if (items.use_count() > 1)
        items = std::make_shared<Array>(*items);
}

QString Variant::typeName(VarType type)
{
    switch (type) {
    case VarType::Empty: return QStringLiteral("Empty");
    case VarType::Null: return QStringLiteral("Null");
    case VarType::Int16: return QStringLiteral("Smallint");
    case VarType::Int32: return QStringLiteral("Integer");
    case VarType::Single: return QStringLiteral("Single");
    case VarType::Double: return QStringLiteral("Double");
    case VarType::Currency: return QStringLiteral("Currency");
    case VarType::Date: return QStringLiteral("Date");
    case VarType::String: return QStringLiteral("OleStr");
    case VarType::Boolean: return QStringLiteral("Boolean");
    case VarType::Int8: return QStringLiteral("ShortInt");
    case VarType::Byte: return QStringLiteral("Byte");
    case VarType::Word: return QStringLiteral("Word");
    case VarType::UInt32: return QStringLiteral("LongWord");
    case VarType::Int64: return QStringLiteral("Int64");
    case VarType::Array: return QStringLiteral("Array Variant");
    case VarType::ByteArray: return QStringLiteral("Array Byte");
    }
    // Codes this runtime does not keep print as the framework prints them.
    return QStringLiteral("$%1").arg(static_cast<unsigned>(type), 4, 16, QLatin1Char('0')).toUpper();
}

bool Variant::operator==(const Variant& other) const
{
    if (type_ != other.type_)
        return false;
    if (const auto* a = std::get_if<double>(&value_)) {
        const double b = std::get<double>(other.value_);
        return *a == b || (std::isnan(*a) && std::isnan(b));
    }
    if (const auto* a = std::get_if<std::shared_ptr<Array>>(&value_)) {
        const auto& b = std::get<std::shared_ptr<Array>>(other.value_);
        return *a == b || **a == *b;
    }
    return value_ == other.value_;
}

} // namespace velta
