#include "station/cli/ReportParamsJson.h"

#include "common/DateTime.h"
#include "common/Exception.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace velta::station {
namespace {

[[noreturn]] void fail(const QString& position, const QString& what)
{
    throw EConvertError(QStringLiteral("PARAMS element %1: %2").arg(position, what));
}

QString childPosition(const QString& parent, qsizetype index)
{
    return parent.isEmpty() ? QString::number(index) : parent + QLatin1Char('.') + QString::number(index);
}

QString shown(const QJsonValue& value)
{
    if (value.isString())
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

// A whole number in [low, high]: a JSON number without a fraction, or for
// int64 (whose values pass the exact range of doubles) also its decimal text.
std::int64_t wholeNumber(const QJsonValue& value, const QString& position, const QString& word, std::int64_t low,
                         std::int64_t high)
{
    std::int64_t n = 0;
    if (value.isString() && word == QLatin1String("int64")) {
        bool ok = false;
        n = value.toString().toLongLong(&ok);
        if (!ok)
            fail(position, QStringLiteral("%1 needs a whole number, not %2").arg(word, shown(value)));
    } else if (value.isDouble()) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::floor(d))
            fail(position, QStringLiteral("%1 needs a whole number, not %2").arg(word, shown(value)));
        if (d < -9.3e18 || d > 9.3e18)
            fail(position, QStringLiteral("%1 %2 is out of range %3..%4").arg(word, shown(value)).arg(low).arg(high));
        n = value.toInteger(static_cast<std::int64_t>(d));
    } else {
        fail(position, QStringLiteral("%1 needs a whole number, not %2").arg(word, shown(value)));
    }
    if (n < low || n > high)
        fail(position, QStringLiteral("%1 %2 is out of range %3..%4").arg(word).arg(n).arg(low).arg(high));
    return n;
}

double floating(const QJsonValue& value, const QString& position, const QString& word)
{
    if (!value.isDouble())
        fail(position, QStringLiteral("%1 needs a number, not %2").arg(word, shown(value)));
    return value.toDouble();
}

Variant currency(const QJsonValue& value, const QString& position)
{
    static const QRegularExpression form(QStringLiteral("^-?[0-9]{1,15}(\\.[0-9]{1,4})?$"));
    QString text;
    if (value.isString())
        text = value.toString();
    else if (value.isDouble())
        text = QString::number(value.toDouble(), 'f', 4);
    else
        fail(position, QStringLiteral("currency needs a decimal text such as \"12.34\", not %1").arg(shown(value)));
    if (!form.match(text).hasMatch())
        fail(position, QStringLiteral("currency needs at most 15 digits and 4 decimals after a full stop, not %1")
                           .arg(shown(value)));
    return Variant::fromCurrencyText(text);
}

Variant dateTime(const QJsonValue& value, const QString& position)
{
    static const QRegularExpression form(QStringLiteral(
        "^([0-9]{4})-([0-9]{2})-([0-9]{2})(?:[T ]([0-9]{2}):([0-9]{2})(?::([0-9]{2})(?:\\.([0-9]{1,3}))?)?)?$"));
    const QRegularExpressionMatch m = form.match(value.toString());
    if (!value.isString() || !m.hasMatch())
        fail(position, QStringLiteral("date needs \"YYYY-MM-DD\" or \"YYYY-MM-DDTHH:MM[:SS[.zzz]]\", not %1")
                           .arg(shown(value)));
    const auto part = [&](int i) { return m.captured(i).isEmpty() ? 0 : m.captured(i).toInt(); };
    int msec = 0;
    if (!m.captured(7).isEmpty())
        msec = m.captured(7).leftJustified(3, QLatin1Char('0')).toInt();
    TDateTime date = 0;
    TDateTime time = 0;
    if (!TryEncodeDate(part(1), part(2), part(3), date) || !TryEncodeTime(part(4), part(5), part(6), msec, time))
        fail(position, QStringLiteral("date %1 is not a valid date and time").arg(shown(value)));
    // Days before 30.12.1899 count down while their time of day counts up.
    return Variant::fromDate(date < 0 ? date - time : date + time);
}

Variant array(const QJsonValue& value, const QString& position)
{
    if (!value.isArray())
        fail(position, QStringLiteral("array needs a JSON array, not %1").arg(shown(value)));
    const QJsonArray items = value.toArray();
    Variant::Array elements;
    elements.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i)
        elements.append(reportParamFromJson(items[i], childPosition(position, i)));
    return Variant(std::move(elements));
}

QString dateText(TDateTime value)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    DecodeDateTime(value, y, mo, d, h, mi, s, ms);
    QString text = QStringLiteral("%1-%2-%3T%4:%5:%6")
                       .arg(y, 4, 10, QLatin1Char('0'))
                       .arg(mo, 2, 10, QLatin1Char('0'))
                       .arg(d, 2, 10, QLatin1Char('0'))
                       .arg(h, 2, 10, QLatin1Char('0'))
                       .arg(mi, 2, 10, QLatin1Char('0'))
                       .arg(s, 2, 10, QLatin1Char('0'));
    if (ms != 0)
        text += QStringLiteral(".%1").arg(ms, 3, 10, QLatin1Char('0'));
    return text;
}

QString currencyText(Currency value)
{
    const std::int64_t whole = value.scaled / 10000;
    const std::int64_t fraction = value.scaled % 10000;
    QString text = QString::number(std::llabs(whole));
    if (fraction != 0)
        text += QLatin1Char('.') + QStringLiteral("%1").arg(std::llabs(fraction), 4, 10, QLatin1Char('0'));
    while (text.contains(QLatin1Char('.')) && text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return value.scaled < 0 ? QLatin1Char('-') + text : text;
}

QJsonObject typed(const char* word, const QJsonValue& value)
{
    return QJsonObject{{QLatin1String(word), value}};
}

// Integers beyond the exact range of doubles travel as text.
QJsonValue exactInteger(std::int64_t n)
{
    constexpr std::int64_t kExact = std::int64_t{1} << 53;
    if (n > kExact || n < -kExact)
        return QJsonValue(QString::number(n));
    return QJsonValue(static_cast<qint64>(n));
}

} // namespace

Variant reportParamFromJson(const QJsonValue& value, const QString& position)
{
    const QString at = position.isEmpty() ? QStringLiteral("0") : position;
    if (value.isNull())
        return Variant::null();
    if (!value.isObject())
        fail(at, QStringLiteral("needs a typed value such as {\"int\": 1} or null, not %1").arg(shown(value)));
    const QJsonObject object = value.toObject();
    if (object.size() != 1)
        fail(at, QStringLiteral("needs exactly one type word, not %1").arg(object.size()));
    const QString word = object.begin().key();
    const QJsonValue v = object.begin().value();
    using Limits32 = std::numeric_limits<std::int32_t>;
    if (word == QLatin1String("null"))
        return Variant::null();
    if (word == QLatin1String("empty"))
        return Variant();
    if (word == QLatin1String("bool")) {
        if (!v.isBool())
            fail(at, QStringLiteral("bool needs true or false, not %1").arg(shown(v)));
        return Variant(v.toBool());
    }
    if (word == QLatin1String("str")) {
        if (!v.isString())
            fail(at, QStringLiteral("str needs a JSON string, not %1").arg(shown(v)));
        return Variant(v.toString());
    }
    if (word == QLatin1String("int8"))
        return Variant(static_cast<std::int8_t>(wholeNumber(v, at, word, -128, 127)));
    if (word == QLatin1String("byte"))
        return Variant(static_cast<std::uint8_t>(wholeNumber(v, at, word, 0, 255)));
    if (word == QLatin1String("smallint"))
        return Variant(static_cast<std::int16_t>(wholeNumber(v, at, word, -32768, 32767)));
    if (word == QLatin1String("word"))
        return Variant(static_cast<std::uint16_t>(wholeNumber(v, at, word, 0, 65535)));
    if (word == QLatin1String("int"))
        return Variant(static_cast<int>(wholeNumber(v, at, word, Limits32::min(), Limits32::max())));
    if (word == QLatin1String("uint32"))
        return Variant(static_cast<unsigned int>(wholeNumber(v, at, word, 0, 4294967295LL)));
    if (word == QLatin1String("int64"))
        return Variant(static_cast<long long>(wholeNumber(v, at, word, std::numeric_limits<std::int64_t>::min(),
                                                          std::numeric_limits<std::int64_t>::max())));
    if (word == QLatin1String("single")) {
        const double d = floating(v, at, word);
        if (std::fabs(d) > std::numeric_limits<float>::max())
            fail(at, QStringLiteral("single %1 is out of range").arg(shown(v)));
        return Variant(static_cast<float>(d));
    }
    if (word == QLatin1String("double"))
        return Variant(floating(v, at, word));
    if (word == QLatin1String("currency"))
        return currency(v, at);
    if (word == QLatin1String("date"))
        return dateTime(v, at);
    if (word == QLatin1String("array"))
        return array(v, position);
    fail(at, QStringLiteral("unknown type word \"%1\" (known: null, empty, bool, str, int8, byte, smallint, word, "
                            "int, uint32, int64, single, double, currency, date, array)")
                 .arg(word));
}

Variant reportParamsFromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw EConvertError(QStringLiteral("PARAMS is not valid JSON at character %1: %2")
                                .arg(error.offset)
                                .arg(error.errorString()));
    if (!document.isArray())
        throw EConvertError(QStringLiteral("PARAMS must be a JSON array, such as [{\"int\": 1000}, {\"int\": 1005}]"));
    return array(QJsonValue(document.array()), QString());
}

QJsonValue reportParamToJson(const Variant& value)
{
    switch (value.type()) {
    case VarType::Empty: return typed("empty", QJsonValue::Null);
    case VarType::Null: return QJsonValue::Null;
    case VarType::Boolean: return typed("bool", value.toBool());
    case VarType::String: return typed("str", value.toString());
    case VarType::Int8: return typed("int8", value.toInt());
    case VarType::Byte: return typed("byte", value.toInt());
    case VarType::Int16: return typed("smallint", value.toInt());
    case VarType::Word: return typed("word", value.toInt());
    case VarType::Int32: return typed("int", value.toInt());
    case VarType::UInt32: return typed("uint32", static_cast<qint64>(value.toInt64()));
    case VarType::Int64: return typed("int64", exactInteger(value.toInt64()));
    case VarType::Single: return typed("single", value.toDouble());
    case VarType::Double: return typed("double", value.toDouble());
    case VarType::Currency: return typed("currency", currencyText(value.toCurrency()));
    case VarType::Date: return typed("date", dateText(value.toDateTime()));
    case VarType::Array: {
        QJsonArray items;
        for (const Variant& element : value.elements())
            items.append(reportParamToJson(element));
        return typed("array", items);
    }
    case VarType::ByteArray: break;
    }
    throw EConvertError(QStringLiteral("A %1 has no JSON form").arg(Variant::typeName(value.type())));
}

QByteArray reportParamsToJson(const Variant& params)
{
    if (!params.isArray())
        return QJsonDocument(QJsonArray{reportParamToJson(params)}).toJson(QJsonDocument::Compact);
    QJsonArray items;
    for (const Variant& element : params.elements())
        items.append(reportParamToJson(element));
    return QJsonDocument(items).toJson(QJsonDocument::Compact);
}

} // namespace velta::station
