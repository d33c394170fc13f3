#include "common/DataPacket.h"

#include "common/Exception.h"

#include <bit>
#include <limits>

namespace velta {

namespace {

[[noreturn]] void raiseIndex(int index)
{
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

// Checks a record of Variants against the fields and converts each value to
// its field's type; Empty stays Empty where keepEmpty is set (unchanged fields
// of a modified row).
QVector<Variant> coerceRecord(const QVector<FieldDef>& fields, const QVector<Variant>& values, bool keepEmpty)
{
    if (values.size() != fields.size())
        throw EDatabaseError(QStringLiteral("Record has %1 values for %2 fields").arg(values.size()).arg(fields.size()));
    QVector<Variant> result;
    result.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        result.append(keepEmpty && values[i].isEmpty() ? Variant() : coerceToField(fields[i], values[i]));
    return result;
}

} // namespace

const FieldDef& DataPacket::field(int index) const
{
    if (index < 0 || index >= fieldCount())
        raiseIndex(index);
    return fields_[index];
}

void DataPacket::addField(const FieldDef& field)
{
    if (rowCount_ > 0 || !changes_.isEmpty())
        throw EDatabaseError(QStringLiteral("Cannot add field '%1' to a packet that holds data").arg(field.name));
    if (field.name.isEmpty())
        throw EDatabaseError(QStringLiteral("Field name missing"));
    if (fieldIndex(field.name) >= 0)
        throw EDatabaseError(QStringLiteral("Duplicate field name '%1'").arg(field.name));
    if (fieldCount() >= kMaxFields)
        throw EDatabaseError(QStringLiteral("Too many fields"));
    fields_.append(field);
    columns_.emplace_back();
}

int DataPacket::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fieldCount(); ++i) {
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void DataPacket::reserveRows(int count)
{
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Column& column = columns_[i];
        column.nulls.reserve(static_cast<std::size_t>(count));
        const FieldType type = fields_[static_cast<qsizetype>(i)].type;
        if (isTextType(type))
            column.texts.reserve(count);
        else if (type == FieldType::Blob)
            column.blobs.reserve(count);
        else
            column.numbers.reserve(static_cast<std::size_t>(count));
    }
}

void DataPacket::clearRows()
{
    for (Column& column : columns_)
        column = Column{};
    rowCount_ = 0;
}

void DataPacket::storeCell(int field, const Variant& coerced)
{
    Column& column = columns_[static_cast<std::size_t>(field)];
    const FieldType type = fields_[field].type;
    const bool null = coerced.isNull();
    column.nulls.push_back(null ? 1 : 0);
    if (isTextType(type))
        column.texts.append(null ? QString() : coerced.toString());
    else if (type == FieldType::Blob)
        column.blobs.append(null ? QByteArray() : blobBytes(coerced));
    else if (null)
        column.numbers.push_back(0);
    else if (isDoubleType(type))
        column.numbers.push_back(std::bit_cast<std::int64_t>(coerced.toDouble()));
    else if (type == FieldType::Currency || type == FieldType::FmtBcd)
        column.numbers.push_back(coerced.toCurrency().scaled);
    else
        column.numbers.push_back(coerced.toInt64());
}

void DataPacket::appendRow(const QVector<Variant>& values)
{
    if (fields_.isEmpty())
        throw EDatabaseError(QStringLiteral("No fields defined"));
    if (rowCount_ == std::numeric_limits<int>::max())
        throw EDatabaseError(QStringLiteral("Too many rows"));
    // Convert the whole row first so that a bad value leaves the packet as it was.
    const QVector<Variant> coerced = coerceRecord(fields_, values, false);
    for (int i = 0; i < fieldCount(); ++i)
        storeCell(i, coerced[i]);
    ++rowCount_;
}

void DataPacket::checkCell(int row, int field) const
{
    if (row < 0 || row >= rowCount_)
        raiseIndex(row);
    if (field < 0 || field >= fieldCount())
        raiseIndex(field);
}

bool DataPacket::isNull(int row, int field) const
{
    checkCell(row, field);
    return columns_[static_cast<std::size_t>(field)].nulls[static_cast<std::size_t>(row)] != 0;
}

Variant DataPacket::value(int row, int field) const
{
    checkCell(row, field);
    const Column& column = columns_[static_cast<std::size_t>(field)];
    const auto r = static_cast<std::size_t>(row);
    if (column.nulls[r])
        return Variant::null();
    const FieldType type = fields_[field].type;
    if (isTextType(type))
        return Variant(column.texts[row]);
    if (type == FieldType::Blob)
        return blobVariant(column.blobs[row]);
    const std::int64_t number = column.numbers[r];
    switch (type) {
    case FieldType::Int16:
        return Variant(static_cast<std::int16_t>(number));
    case FieldType::Int32:
        return Variant(static_cast<int>(number));
    case FieldType::Int64:
        return Variant(static_cast<long long>(number));
    case FieldType::Float:
        return Variant(std::bit_cast<double>(number));
    case FieldType::Currency:
    case FieldType::FmtBcd:
        return Variant(Currency{number});
    case FieldType::Boolean:
        return Variant(number != 0);
    default: // dates and times
        return Variant::fromDate(std::bit_cast<double>(number));
    }
}

QVector<Variant> DataPacket::row(int row) const
{
    if (row < 0 || row >= rowCount_)
        raiseIndex(row);
    QVector<Variant> result;
    result.reserve(fieldCount());
    for (int i = 0; i < fieldCount(); ++i)
        result.append(value(row, i));
    return result;
}

void DataPacket::overwriteCell(int row, int field, const Variant& coerced)
{
    Column& column = columns_[static_cast<std::size_t>(field)];
    const auto r = static_cast<std::size_t>(row);
    const FieldType type = fields_[field].type;
    const bool null = coerced.isNull();
    column.nulls[r] = null ? 1 : 0;
    if (isTextType(type))
        column.texts[row] = null ? QString() : coerced.toString();
    else if (type == FieldType::Blob)
        column.blobs[row] = null ? QByteArray() : blobBytes(coerced);
    else if (null)
        column.numbers[r] = 0;
    else if (isDoubleType(type))
        column.numbers[r] = std::bit_cast<std::int64_t>(coerced.toDouble());
    else if (type == FieldType::Currency || type == FieldType::FmtBcd)
        column.numbers[r] = coerced.toCurrency().scaled;
    else
        column.numbers[r] = coerced.toInt64();
}

void DataPacket::setValue(int row, int field, const Variant& value)
{
    checkCell(row, field);
    overwriteCell(row, field, coerceToField(fields_[field], value));
}

void DataPacket::setProperty(const QString& name, const Variant& value)
{
    if (name.isEmpty())
        throw EDatabaseError(QStringLiteral("Property name missing"));
    properties_.insert(name, value);
}

void DataPacket::addChange(const ChangeEntry& entry)
{
    if (fields_.isEmpty())
        throw EDatabaseError(QStringLiteral("No fields defined"));
    ChangeEntry checked;
    checked.state = entry.state;
    switch (entry.state) {
    case RowState::Unmodified:
    case RowState::Deleted:
        checked.original = coerceRecord(fields_, entry.original, false);
        if (!entry.values.isEmpty())
            throw EDatabaseError(QStringLiteral("A deleted or unmodified row carries no new values"));
        break;
    case RowState::Inserted:
        if (!entry.original.isEmpty())
            throw EDatabaseError(QStringLiteral("An inserted row carries no original values"));
        checked.values = coerceRecord(fields_, entry.values, false);
        break;
    case RowState::Modified:
        checked.original = coerceRecord(fields_, entry.original, false);
        checked.values = coerceRecord(fields_, entry.values, true);
        break;
    default:
        throw EDatabaseError(QStringLiteral("Unknown row state %1").arg(static_cast<int>(entry.state)));
    }
    changes_.append(std::move(checked));
}

bool DataPacket::operator==(const DataPacket& other) const
{
    if (fields_ != other.fields_ || rowCount_ != other.rowCount_ || moreRows_ != other.moreRows_
        || properties_ != other.properties_ || changes_ != other.changes_)
        return false;
    for (int r = 0; r < rowCount_; ++r) {
        for (int f = 0; f < fieldCount(); ++f) {
            if (value(r, f) != other.value(r, f))
                return false;
        }
    }
    return true;
}

} // namespace velta
