// The binary form of DataPacket (described in DataPacket.h): writing, the
// row-by-row DataPacketWriter, and a reader that checks every size and value
// before it stores anything.
#include "common/ByteStream.h"
#include "common/DataPacket.h"

#include <QSet>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

namespace velta {

namespace {

constexpr std::uint16_t kMoreRowsFlag = 0x0001;
// Rows, changes and properties are not reserved beyond this many ahead of
// reading them: a count is only a promise until its entries have been read.
constexpr std::uint32_t kReserveAhead = 4096;
// TDateTime range the runtime handles: 01.01.0001 to the end of 31.12.9999.
constexpr double kFirstDate = -693594.0;
constexpr double kEndDate = 2958466.0;

qsizetype bitmapBytes(int fieldCount)
{
    return (fieldCount + 7) / 8;
}

bool bitAt(QByteArrayView bitmap, int index)
{
    return (static_cast<std::uint8_t>(bitmap[index / 8]) >> (index % 8)) & 1u;
}

// Sets bit index of the bitmap that starts at byte `at`.
void setBit(QByteArray& bitmap, int index, qsizetype at = 0)
{
    char& byte = bitmap[at + index / 8];
    byte = static_cast<char>(static_cast<std::uint8_t>(byte) | (1u << (index % 8)));
}

// Unused high bits of the last bitmap byte must be clear.
void checkBitmapTail(ByteReader& in, QByteArrayView bitmap, int fieldCount, const char* item)
{
    if (fieldCount % 8 == 0)
        return;
    const auto last = static_cast<std::uint8_t>(bitmap[bitmap.size() - 1]);
    if (last >> (fieldCount % 8))
        in.raise(QStringLiteral("%1 has bits set past the last field").arg(QLatin1String(item)));
}

// Where the header keeps the flags: after the magic and the version.
constexpr qsizetype kFlagsAt = 6;

// Everything before the rows: magic, version, flags, properties, field definitions.
void writeHead(QByteArray& bytes, bool moreRows, const QMap<QString, Variant>& properties,
               const QVector<FieldDef>& fields)
{
    ByteWriter out(bytes);
    out.bytes(QByteArrayView(DataPacket::kMagic, 4));
    out.u16(DataPacket::kVersion);
    out.u16(moreRows ? kMoreRowsFlag : 0);

    out.u32(static_cast<std::uint32_t>(properties.size()));
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        out.text(it.key());
        appendVariant(bytes, it.value());
    }

    out.u32(static_cast<std::uint32_t>(fields.size()));
    for (const FieldDef& field : fields) {
        out.text(field.name);
        out.u8(static_cast<std::uint8_t>(field.type));
        out.i32(field.size);
        out.u8(static_cast<std::uint8_t>(field.precision));
        out.u8(static_cast<std::uint8_t>(field.scale));
        out.u8(field.flags);
    }
}

// Overwrites a little-endian value written earlier.
void putAt(QByteArray& bytes, qsizetype at, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
}

void writeNumber(ByteWriter& out, FieldType type, std::int64_t number)
{
    switch (type) {
    case FieldType::Int16: out.i16(static_cast<std::int16_t>(number)); break;
    case FieldType::Int32: out.i32(static_cast<std::int32_t>(number)); break;
    case FieldType::Boolean: out.u8(number != 0 ? 1 : 0); break;
    default: out.i64(number); break; // Int64, BCD, doubles by their bits
    }
}

std::int64_t numberOf(FieldType type, const Variant& value)
{
    if (isDoubleType(type))
        return std::bit_cast<std::int64_t>(value.toDouble());
    if (type == FieldType::Currency || type == FieldType::FmtBcd)
        return value.toCurrency().scaled;
    return value.toInt64();
}

void writeValue(ByteWriter& out, const FieldDef& field, const Variant& value)
{
    if (isTextType(field.type))
        out.text(value.toString());
    else if (field.type == FieldType::Blob)
        out.sized(blobBytes(value));
    else
        writeNumber(out, field.type, numberOf(field.type, value));
}

// A record of Variants: null bitmap over the fields, then the values of the
// non-null fields for which `include` holds.
template <class Include>
void writeRecord(ByteWriter& out, const QVector<FieldDef>& fields, const QVector<Variant>& values, Include include)
{
    const int count = static_cast<int>(fields.size());
    QByteArray nulls(bitmapBytes(count), '\0');
    for (int i = 0; i < count; ++i) {
        if (include(i) && values[i].isNull())
            setBit(nulls, i);
    }
    out.bytes(nulls);
    for (int i = 0; i < count; ++i) {
        if (include(i) && !values[i].isNull())
            writeValue(out, fields[i], values[i]);
    }
}

std::int64_t readNumber(ByteReader& in, const FieldDef& field)
{
    switch (field.type) {
    case FieldType::Int16:
        return in.i16("Int16 value");
    case FieldType::Int32:
        return in.i32("Int32 value");
    case FieldType::Boolean: {
        const std::uint8_t flag = in.u8("Boolean value");
        if (flag > 1)
            in.raise(QStringLiteral("Boolean value %1 in field '%2'").arg(flag).arg(field.name));
        return flag;
    }
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime: {
        const double stamp = in.f64("date value");
        if (!(stamp >= kFirstDate && stamp < kEndDate))
            in.raise(QStringLiteral("Date value out of range in field '%1'").arg(field.name));
        return std::bit_cast<std::int64_t>(stamp);
    }
    default:
        return in.i64("numeric value");
    }
}

Variant numberVariant(FieldType type, std::int64_t number)
{
    switch (type) {
    case FieldType::Int16: return Variant(static_cast<std::int16_t>(number));
    case FieldType::Int32: return Variant(static_cast<int>(number));
    case FieldType::Int64: return Variant(static_cast<long long>(number));
    case FieldType::Float: return Variant(std::bit_cast<double>(number));
    case FieldType::Currency:
    case FieldType::FmtBcd: return Variant(Currency{number});
    case FieldType::Boolean: return Variant(number != 0);
    default: return Variant::fromDate(std::bit_cast<double>(number));
    }
}

Variant readValue(ByteReader& in, const FieldDef& field)
{
    if (isTextType(field.type))
        return Variant(in.text("text value"));
    if (field.type == FieldType::Blob)
        return blobVariant(in.sized("blob value").toByteArray());
    return numberVariant(field.type, readNumber(in, field));
}

// Reads a record written by writeRecord; fields left out read as Empty.
template <class Include>
QVector<Variant> readRecord(ByteReader& in, const QVector<FieldDef>& fields, Include include)
{
    const int count = static_cast<int>(fields.size());
    const QByteArrayView nulls = in.bytes(bitmapBytes(count), "null bitmap");
    checkBitmapTail(in, nulls, count, "null bitmap");
    QVector<Variant> values(count);
    for (int i = 0; i < count; ++i) {
        const bool null = bitAt(nulls, i);
        if (!include(i)) {
            if (null)
                in.raise(QStringLiteral("Unchanged field '%1' marked Null").arg(fields[i].name));
            continue;
        }
        values[i] = null ? Variant::null() : readValue(in, fields[i]);
    }
    return values;
}

FieldDef readField(ByteReader& in)
{
    FieldDef field;
    field.name = in.text("field name");
    const std::uint8_t type = in.u8("field type");
    if (!isKnownFieldType(type))
        in.raise(QStringLiteral("Unknown type %1 of field '%2'").arg(type).arg(field.name));
    field.type = static_cast<FieldType>(type);
    field.size = in.i32("field size");
    field.precision = in.u8("field precision");
    field.scale = in.u8("field scale");
    field.flags = in.u8("field flags");
    if (field.name.isEmpty())
        in.raise(QStringLiteral("Field name missing"));
    if (field.size < 0)
        in.raise(QStringLiteral("Negative size of field '%1'").arg(field.name));
    if (field.precision > kMaxBcdPrecision || field.scale > kBcdScale)
        in.raise(QStringLiteral("Precision or scale of field '%1' out of range").arg(field.name));
    if (field.flags & ~kKnownFieldFlags)
        in.raise(QStringLiteral("Unknown flags of field '%1'").arg(field.name));
    return field;
}

// Smallest encoded size of a value of each type, for checking counts.
qsizetype minRowBytes(int fieldCount)
{
    return bitmapBytes(fieldCount);
}

} // namespace

// Reaches the packet's column storage for the fast row paths.
class DataPacketCodec {
public:
    static void writeRows(ByteWriter& out, const DataPacket& packet)
    {
        const int count = packet.fieldCount();
        out.reserve(static_cast<qsizetype>(packet.rowCount_) * (bitmapBytes(count) + 8 * count));
        out.u32(static_cast<std::uint32_t>(packet.rowCount_));
        QByteArray nulls(bitmapBytes(count), '\0');
        for (int r = 0; r < packet.rowCount_; ++r) {
            const auto row = static_cast<std::size_t>(r);
            nulls.fill('\0');
            for (int f = 0; f < count; ++f) {
                if (packet.columns_[static_cast<std::size_t>(f)].nulls[row])
                    setBit(nulls, f);
            }
            out.bytes(nulls);
            for (int f = 0; f < count; ++f) {
                const DataPacket::Column& column = packet.columns_[static_cast<std::size_t>(f)];
                if (column.nulls[row])
                    continue;
                const FieldType type = packet.fields_[f].type;
                if (isTextType(type))
                    out.text(column.texts[r]);
                else if (type == FieldType::Blob)
                    out.sized(column.blobs[r]);
                else
                    writeNumber(out, type, column.numbers[row]);
            }
        }
    }

    static void readRows(ByteReader& in, DataPacket& packet)
    {
        const int count = packet.fieldCount();
        const std::uint32_t rows = in.count("row", minRowBytes(count));
        if (rows > 0 && count == 0)
            in.raise(QStringLiteral("Rows without fields"));
        if (static_cast<qint64>(rows) * count > DataPacket::kMaxCells)
            in.raise(QStringLiteral("%1 rows of %2 fields exceed the limit of %3 values")
                         .arg(rows)
                         .arg(count)
                         .arg(DataPacket::kMaxCells));
        packet.reserveRows(static_cast<int>(std::min(rows, kReserveAhead)));
        for (std::uint32_t r = 0; r < rows; ++r) {
            const QByteArrayView nulls = in.bytes(bitmapBytes(count), "null bitmap");
            checkBitmapTail(in, nulls, count, "null bitmap");
            for (int f = 0; f < count; ++f) {
                DataPacket::Column& column = packet.columns_[static_cast<std::size_t>(f)];
                const FieldDef& field = packet.fields_[f];
                const bool null = bitAt(nulls, f);
                column.nulls.push_back(null ? 1 : 0);
                if (isTextType(field.type))
                    column.texts.append(null ? QString() : in.text("text value"));
                else if (field.type == FieldType::Blob)
                    column.blobs.append(null ? QByteArray() : in.sized("blob value").toByteArray());
                else
                    column.numbers.push_back(null ? 0 : readNumber(in, field));
            }
            ++packet.rowCount_;
        }
    }
};

QByteArray DataPacket::toBytes() const
{
    if (static_cast<qint64>(rowCount_) * fieldCount() > kMaxCells)
        throw EProtocolError(QStringLiteral("Data packet of %1 rows of %2 fields exceeds the limit of %3 values; "
                                            "send it in smaller packets")
                                 .arg(rowCount_)
                                 .arg(fieldCount())
                                 .arg(kMaxCells));
    if (2 * static_cast<qint64>(changes_.size()) * fieldCount() > kMaxChangeCells)
        throw EProtocolError(QStringLiteral("Change log of %1 changes of %2 fields exceeds the limit of %3 values")
                                 .arg(changes_.size())
                                 .arg(fieldCount())
                                 .arg(kMaxChangeCells));
    QByteArray bytes;
    writeHead(bytes, moreRows_, properties_, fields_);
    ByteWriter out(bytes);
    DataPacketCodec::writeRows(out, *this);

    out.u32(static_cast<std::uint32_t>(changes_.size()));
    const auto all = [](int) { return true; };
    for (const ChangeEntry& change : changes_) {
        out.u8(static_cast<std::uint8_t>(change.state));
        if (change.state != RowState::Inserted)
            writeRecord(out, fields_, change.original, all);
        if (change.state == RowState::Inserted)
            writeRecord(out, fields_, change.values, all);
        if (change.state == RowState::Modified) {
            QByteArray changed(bitmapBytes(fieldCount()), '\0');
            for (int i = 0; i < fieldCount(); ++i) {
                if (change.changed(i))
                    setBit(changed, i);
            }
            out.bytes(changed);
            writeRecord(out, fields_, change.values, [&](int i) { return change.changed(i); });
        }
    }
    return bytes;
}

DataPacket DataPacket::fromBytes(QByteArrayView bytes)
{
    ByteReader in(bytes, "Data packet");
    if (in.bytes(4, "magic") != QByteArrayView(kMagic, 4))
        in.raise(QStringLiteral("not a data packet"));
    const std::uint16_t version = in.u16("version");
    if (version != kVersion)
        throw EProtocolError(QStringLiteral("Unsupported data packet version %1 (supported: %2)").arg(version).arg(kVersion));
    const std::uint16_t flags = in.u16("flags");
    if (flags & ~kMoreRowsFlag)
        in.raise(QStringLiteral("unknown flags %1").arg(flags));

    DataPacket packet;
    packet.moreRows_ = (flags & kMoreRowsFlag) != 0;

    // A property is at least a name count and a type tag.
    const std::uint32_t propertyCount = in.count("property", 5);
    for (std::uint32_t i = 0; i < propertyCount; ++i) {
        const QString name = in.text("property name");
        if (name.isEmpty() || packet.properties_.contains(name))
            in.raise(QStringLiteral("Property name missing or repeated"));
        qsizetype pos = in.pos();
        packet.properties_.insert(name, readVariant(in.view(), pos));
        in.setPos(pos);
    }

    // A field is at least a name count, type, size, precision, scale and flags.
    const std::uint32_t fieldCount = in.count("field", 12);
    if (fieldCount > static_cast<std::uint32_t>(kMaxFields))
        in.raise(QStringLiteral("Field count %1 exceeds %2").arg(fieldCount).arg(kMaxFields));
    QSet<QString> names;
    for (std::uint32_t i = 0; i < fieldCount; ++i) {
        const FieldDef field = readField(in);
        const QString key = field.name.toCaseFolded();
        if (names.contains(key))
            in.raise(QStringLiteral("Duplicate field name '%1'").arg(field.name));
        names.insert(key);
        packet.fields_.append(field);
        packet.columns_.emplace_back();
    }

    DataPacketCodec::readRows(in, packet);

    const int count = packet.fieldCount();
    const std::uint32_t changeCount = in.count("change", 1 + minRowBytes(count));
    if (changeCount > 0 && count == 0)
        in.raise(QStringLiteral("Changes without fields"));
    // Original and new values: two records per change at most.
    if (2 * static_cast<qint64>(changeCount) * count > DataPacket::kMaxChangeCells)
        in.raise(QStringLiteral("%1 changes of %2 fields exceed the limit of %3 values")
                     .arg(changeCount)
                     .arg(count)
                     .arg(DataPacket::kMaxChangeCells));
    packet.changes_.reserve(std::min(changeCount, kReserveAhead));
    const auto all = [](int) { return true; };
    for (std::uint32_t i = 0; i < changeCount; ++i) {
        ChangeEntry change;
        const std::uint8_t state = in.u8("row state");
        if (state > static_cast<std::uint8_t>(RowState::Deleted))
            in.raise(QStringLiteral("Unknown row state %1").arg(state));
        change.state = static_cast<RowState>(state);
        if (change.state == RowState::Inserted) {
            change.values = readRecord(in, packet.fields_, all);
        } else {
            change.original = readRecord(in, packet.fields_, all);
        }
        if (change.state == RowState::Modified) {
            const QByteArrayView changed = in.bytes(bitmapBytes(count), "changed bitmap");
            checkBitmapTail(in, changed, count, "changed bitmap");
            change.values = readRecord(in, packet.fields_, [&](int f) { return bitAt(changed, f); });
        }
        packet.changes_.append(std::move(change));
    }

    if (!in.atEnd())
        in.raise(QStringLiteral("%1 bytes after the end").arg(in.remaining()));
    return packet;
}

DataPacketWriter::DataPacketWriter(QVector<FieldDef> fields)
    : fields_(std::move(fields))
{
}

void DataPacketWriter::begin()
{
    bytes_.clear();
    rows_ = 0;
    writeHead(bytes_, false, {}, fields_);
    rowCountAt_ = bytes_.size();
    ByteWriter(bytes_).u32(0);
}

void DataPacketWriter::beginRow()
{
    bitmapAt_ = bytes_.size();
    bytes_.append(bitmapBytes(static_cast<int>(fields_.size())), '\0');
    cell_ = 0;
}

const FieldDef& DataPacketWriter::nextCell()
{
    if (cell_ >= fields_.size())
        throw EProtocolError(QStringLiteral("Data packet row has more cells than its %1 fields").arg(fields_.size()));
    return fields_[cell_++];
}

namespace {

[[noreturn]] void raiseCellType(const FieldDef& field, const char* kind)
{
    throw EProtocolError(QStringLiteral("Field '%1' of type %2 takes no %3 value")
                             .arg(field.name)
                             .arg(static_cast<int>(field.type))
                             .arg(QLatin1String(kind)));
}

} // namespace

void DataPacketWriter::nullCell()
{
    nextCell();
    setBit(bytes_, cell_ - 1, bitmapAt_);
}

void DataPacketWriter::numberCell(std::int64_t value)
{
    const FieldDef& field = nextCell();
    if (isDoubleType(field.type) || isTextType(field.type) || field.type == FieldType::Blob)
        raiseCellType(field, "number");
    ByteWriter out(bytes_);
    writeNumber(out, field.type, value);
}

void DataPacketWriter::realCell(double value)
{
    const FieldDef& field = nextCell();
    if (!isDoubleType(field.type))
        raiseCellType(field, "floating point");
    ByteWriter out(bytes_);
    writeNumber(out, field.type, std::bit_cast<std::int64_t>(value));
}

void DataPacketWriter::textCell(QStringView text)
{
    const FieldDef& field = nextCell();
    if (!isTextType(field.type))
        raiseCellType(field, "text");
    ByteWriter(bytes_).text(text);
}

void DataPacketWriter::blobCell(QByteArrayView bytes)
{
    const FieldDef& field = nextCell();
    if (field.type != FieldType::Blob)
        raiseCellType(field, "blob");
    ByteWriter(bytes_).sized(bytes);
}

void DataPacketWriter::endRow()
{
    if (cell_ != fields_.size())
        throw EProtocolError(QStringLiteral("Data packet row has %1 cells for %2 fields").arg(cell_).arg(fields_.size()));
    ++rows_;
}

QByteArray DataPacketWriter::finish(bool moreRows)
{
    putAt(bytes_, rowCountAt_, static_cast<std::uint32_t>(rows_), 4);
    putAt(bytes_, kFlagsAt, moreRows ? kMoreRowsFlag : 0, 2);
    ByteWriter(bytes_).u32(0); // no changes
    rows_ = 0;
    return std::exchange(bytes_, QByteArray());
}

} // namespace velta
