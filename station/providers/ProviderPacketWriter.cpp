#include "station/providers/ProviderPacketWriter.h"

#include "common/DateTime.h"
#include "common/Exception.h"
#include "station/providers/ProviderRegistry.h"

#include <QDate>
#include <QDateTime>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>
#include <limits>

namespace velta::station {
namespace {

// The QIBASE driver talks UTF-8 to the engine: a text column's length is in bytes.
constexpr int kBytesPerChar = 4;

int bcdPrecision(int storageLength)
{
    if (storageLength == 2)
        return 4;
    if (storageLength == 4)
        return 9;
    return kMaxBcdPrecision;
}

[[noreturn]] void raiseNotDecimal(QStringView text)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid fixed-point value").arg(text.toString()));
}

} // namespace

std::int64_t scaledFromDecimalText(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t value = 0;
    int digits = 0;
    for (; i < n && text[i].isDigit(); ++i, ++digits) {
        value = value * 10 + static_cast<std::uint64_t>(text[i].unicode() - '0');
        if (value > kLimit / 10000)
            raiseNotDecimal(text);
    }
    value *= 10000;
    int decimals = 0;
    bool roundUp = false;
    if (i < n && text[i] == QLatin1Char('.')) {
        std::uint64_t scale = 1000;
        for (++i; i < n && text[i].isDigit(); ++i, ++decimals) {
            const auto d = static_cast<std::uint64_t>(text[i].unicode() - '0');
            if (decimals < 4)
                value += d * scale, scale /= 10;
            else if (decimals == 4)
                roundUp = d >= 5;
        }
    }
    if (i != n || digits + decimals == 0)
        raiseNotDecimal(text);
    if (roundUp)
        ++value;
    if (value > kLimit)
        raiseNotDecimal(text);
    const auto signedValue = static_cast<std::int64_t>(value);
    return negative ? -signedValue : signedValue;
}

FieldDef fieldOfColumn(const QSqlField& column)
{
    FieldDef field(column.name(), FieldType::String);
    switch (column.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::Short:
        field.type = column.length() == 2 ? FieldType::Int16 : FieldType::Int32;
        break;
    case QMetaType::LongLong:
        field.type = FieldType::Int64;
        break;
    case QMetaType::Double:
        if (column.precision() > 0) {
            field.precision = bcdPrecision(column.length());
            field.scale = std::min(column.precision(), kBcdScale);
            field.type = column.precision() <= kBcdScale ? FieldType::Currency : FieldType::FmtBcd;
        } else {
            field.type = FieldType::Float;
        }
        break;
    case QMetaType::QDate:
        field.type = FieldType::Date;
        break;
    case QMetaType::QDateTime:
        field.type = FieldType::DateTime;
        break;
    case QMetaType::QTime:
        field.type = FieldType::Time;
        break;
    case QMetaType::Bool:
        field.type = FieldType::Boolean;
        break;
    case QMetaType::QByteArray:
        // A text blob carries its character set where a scale would be.
        field.type = column.precision() > 0 ? FieldType::Memo : FieldType::Blob;
        break;
    default: {
        const int length = std::max(column.length(), 1);
        field.size = length % kBytesPerChar == 0 ? length / kBytesPerChar : length;
        break;
    }
    }
    if (!column.tableName().isEmpty() && column.requiredStatus() == QSqlField::Required)
        field.setFlag(FieldRequired, true);
    return field;
}

QVector<FieldDef> fieldsOfRecord(const QSqlRecord& record, const ProviderDef* provider,
                                 const QSet<QString>& tableColumns)
{
    QVector<FieldDef> fields;
    fields.reserve(record.count());
    QSet<QString> names;
    for (int i = 0; i < record.count(); ++i) {
        FieldDef field = fieldOfColumn(record.field(i));
        // A name a join repeats gets "_1", "_2"... as the client's field
        // definitions name it; the first column keeps the name.
        const QString name = field.name;
        for (int n = 1; names.contains(field.name.toUpper()); ++n)
            field.name = name + QStringLiteral("_%1").arg(n);
        names.insert(field.name.toUpper());
        if (provider) {
            const auto typed = provider->fieldTypes.constFind(field.name.toUpper());
            if (typed != provider->fieldTypes.cend() && field.scale > 0) {
                field.type = *typed;
                field.precision = kMaxBcdPrecision;
            }
            const QString column = provider->columnFor(field.name);
            if (provider->keyColumns.contains(column))
                field.setFlag(FieldInKey, true);
            if (!tableColumns.isEmpty() && !tableColumns.contains(column))
                field.setFlag(FieldInUpdate, false);
        }
        fields << field;
    }
    return fields;
}

ProviderPacketWriter::ProviderPacketWriter(QVector<FieldDef> fields)
    : packet_(std::move(fields))
{
}

void ProviderPacketWriter::appendCurrentRow(const QSqlQuery& query)
{
    const QVector<FieldDef>& defs = packet_.fields();
    packet_.beginRow();
    for (int f = 0; f < defs.size(); ++f) {
        const QVariant value = query.value(f);
        if (value.isNull())
            packet_.nullCell();
        else
            writeCell(defs[f], value);
    }
    packet_.endRow();
    if (static_cast<qint64>(packet_.rowCount()) * defs.size() > DataPacket::kMaxCells)
        throw EDatabaseError(QStringLiteral("The result is too large for one data packet; fetch it in smaller packets"));
}

void ProviderPacketWriter::writeCell(const FieldDef& def, const QVariant& value)
{
    switch (def.type) {
    case FieldType::Int16:
    case FieldType::Int32: packet_.numberCell(value.toInt()); break;
    case FieldType::Int64: packet_.numberCell(value.toLongLong()); break;
    case FieldType::Float: packet_.realCell(value.toDouble()); break;
    case FieldType::Currency:
    case FieldType::FmtBcd:
        if (value.metaType().id() == QMetaType::QString)
            packet_.numberCell(scaledFromDecimalText(value.toString()));
        else
            packet_.numberCell(Currency::fromDouble(value.toDouble()).scaled);
        break;
    case FieldType::Boolean: packet_.numberCell(value.toBool() ? 1 : 0); break;
    case FieldType::Date: packet_.realCell(fromQDate(value.toDate())); break;
    case FieldType::DateTime: packet_.realCell(fromQDateTime(value.toDateTime())); break;
    case FieldType::Time:
        packet_.realCell(static_cast<double>(value.toTime().msecsSinceStartOfDay()) / 86400000.0);
        break;
    case FieldType::String: {
        const QString text = value.toString();
        // Fixed-length CHAR columns come padded past their size.
        if (def.size > 0 && text.size() > def.size && QStringView(text).sliced(def.size).trimmed().isEmpty())
            packet_.textCell(QStringView(text).left(def.size));
        else
            packet_.textCell(text);
        break;
    }
    case FieldType::Memo:
        if (value.metaType().id() == QMetaType::QByteArray)
            packet_.textCell(QString::fromUtf8(value.toByteArray()));
        else
            packet_.textCell(value.toString());
        break;
    case FieldType::Blob: packet_.blobCell(value.toByteArray()); break;
    }
}

QByteArray ProviderPacketWriter::emptyPacket()
{
    DataPacketWriter writer({});
    writer.begin();
    return writer.finish(false);
}

} // namespace velta::station
