#include "plugin/data/RecordStore.h"

#include "common/Exception.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace velta {

std::uint64_t RecordStore::nextId()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

RecordStore::Storage RecordStore::storageOf(FieldType type)
{
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return Storage::Text;
    case FieldType::Float:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
        return Storage::Double;
    case FieldType::Blob:
        return Storage::Blob;
    default:
        return Storage::Int;
    }
}

RecordStore::RecordStore(QVector<FieldDef> fields) : id_(nextId()), fields_(std::move(fields))
{
    columns_.resize(static_cast<size_t>(fields_.size()));
    for (int i = 0; i < fields_.size(); ++i)
        columns_[static_cast<size_t>(i)].type = fields_[i].type;
}

int RecordStore::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fields_.size(); ++i) {
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool RecordStore::isLive(int record) const
{
    return record >= 0 && record < records_ && live_[static_cast<size_t>(record)] != 0;
}

int RecordStore::allocateRecord()
{
    const int record = records_++;
    for (Column& c : columns_) {
        c.nulls.push_back(1);
        switch (storageOf(c.type)) {
        case Storage::Int: c.ints.push_back(0); break;
        case Storage::Double: c.doubles.push_back(0); break;
        case Storage::Text: c.texts.emplace_back(); break;
        case Storage::Blob: c.blobs.emplace_back(); break;
        }
    }
    live_.push_back(1);
    states_.push_back(RowState::Unmodified);
    return record;
}

void RecordStore::storeValue(int record, int field, const Variant& coerced)
{
    Column& c = columns_[static_cast<size_t>(field)];
    const auto r = static_cast<size_t>(record);
    c.nulls[r] = coerced.isEmptyOrNull() ? 1 : 0;
    switch (storageOf(c.type)) {
    case Storage::Int:
        if (c.nulls[r])
            c.ints[r] = 0;
        else if (c.type == FieldType::Currency || c.type == FieldType::FmtBcd)
            c.ints[r] = coerced.toCurrency().scaled;
        else if (c.type == FieldType::Boolean)
            c.ints[r] = coerced.toBool() ? 1 : 0;
        else
            c.ints[r] = coerced.toInt64();
        break;
    case Storage::Double:
        c.doubles[r] = c.nulls[r] ? 0.0 : coerced.toDateTime();
        break;
    case Storage::Text:
        c.texts[r] = c.nulls[r] ? QString() : coerced.toString();
        break;
    case Storage::Blob:
        c.blobs[r] = c.nulls[r] ? QByteArray() : blobBytes(coerced);
        break;
    }
}

void RecordStore::appendPacket(const DataPacket& packet)
{
    if (packet.fieldCount() != fieldCount())
        throw EDatabaseError(QStringLiteral("Data packet has %1 fields, expected %2")
                                 .arg(packet.fieldCount())
                                 .arg(fieldCount()));
    const int rows = packet.rowCount();
    const auto first = static_cast<size_t>(records_);
    const size_t total = first + static_cast<size_t>(rows);
    // Column by column, with one type decision per column instead of per cell.
    // A value that cannot be stored takes the packet's rows back out again.
    try {
        for (int f = 0; f < fieldCount(); ++f)
            appendColumn(f, packet, first, total);
    } catch (...) {
        for (int f = 0; f < fieldCount(); ++f)
            truncateColumn(columns_[static_cast<size_t>(f)], first);
        throw;
    }
    records_ = static_cast<int>(total);
    live_.resize(total, 1);
    states_.resize(total, RowState::Unmodified);
    order_.reserve(order_.size() + static_cast<size_t>(rows));
    for (size_t record = first; record < total; ++record)
        order_.push_back(static_cast<int>(record));
    ++version_;
}

void RecordStore::appendColumn(int field, const DataPacket& packet, size_t first, size_t total)
{
    Column& c = columns_[static_cast<size_t>(field)];
    c.nulls.resize(total, 1);
    const Storage storage = storageOf(c.type);
    switch (storage) {
    case Storage::Int: c.ints.resize(total, 0); break;
    case Storage::Double: c.doubles.resize(total, 0.0); break;
    case Storage::Text: c.texts.resize(total); break;
    case Storage::Blob: c.blobs.resize(total); break;
    }
    const bool fixedPoint = c.type == FieldType::Currency || c.type == FieldType::FmtBcd;
    for (size_t r = first; r < total; ++r) {
        const Variant value = packet.value(static_cast<int>(r - first), field);
        if (value.isEmptyOrNull())
            continue; // stays Null
        switch (storage) {
        case Storage::Int:
            c.ints[r] = fixedPoint ? value.toCurrency().scaled
                : c.type == FieldType::Boolean ? (value.toBool() ? 1 : 0)
                                               : value.toInt64();
            break;
        case Storage::Double: c.doubles[r] = value.toDateTime(); break;
        case Storage::Text: c.texts[r] = value.toString(); break;
        case Storage::Blob: c.blobs[r] = blobBytes(value); break;
        }
        c.nulls[r] = 0;
    }
}

void RecordStore::truncateColumn(Column& c, size_t size)
{
    c.nulls.resize(std::min(c.nulls.size(), size));
    c.ints.resize(std::min(c.ints.size(), size));
    c.doubles.resize(std::min(c.doubles.size(), size));
    c.texts.resize(std::min(c.texts.size(), size));
    c.blobs.resize(std::min(c.blobs.size(), size));
}

int RecordStore::insertRecord(const QVector<Variant>& values, int orderPos, bool logInsert)
{
    if (values.size() != fieldCount())
        throw EDatabaseError(QStringLiteral("Record has %1 values, expected %2").arg(values.size()).arg(fieldCount()));
    QVector<Variant> coerced(values.size());
    for (int f = 0; f < fieldCount(); ++f)
        coerced[f] = coerceToField(fields_[f], values[f]); // raises before anything is stored
    const int record = allocateRecord();
    for (int f = 0; f < fieldCount(); ++f)
        storeValue(record, f, coerced[f]);
    if (orderPos < 0 || orderPos >= liveCount())
        order_.push_back(record);
    else
        order_.insert(order_.begin() + orderPos, record);
    if (logInsert)
        setState(record, RowState::Inserted);
    ++version_;
    return record;
}

Variant RecordStore::value(int record, int field) const
{
    const Column& c = column(field);
    const auto r = static_cast<size_t>(record);
    if (c.nulls[r])
        return Variant::null();
    switch (c.type) {
    case FieldType::String:
    case FieldType::Memo: return Variant(c.texts[r]);
    case FieldType::Int16: return Variant(static_cast<std::int16_t>(c.ints[r]));
    case FieldType::Int32: return Variant(static_cast<int>(c.ints[r]));
    case FieldType::Int64: return Variant(static_cast<long long>(c.ints[r]));
    case FieldType::Float: return Variant(c.doubles[r]);
    case FieldType::Currency:
    case FieldType::FmtBcd: return Variant(Currency{c.ints[r]});
    case FieldType::Boolean: return Variant(c.ints[r] != 0);
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime: return Variant::fromDate(c.doubles[r]);
    case FieldType::Blob: return blobVariant(c.blobs[r]);
    }
    return Variant::null();
}

QVector<Variant> RecordStore::record(int record) const
{
    QVector<Variant> values(fieldCount());
    for (int f = 0; f < fieldCount(); ++f)
        values[f] = value(record, f);
    return values;
}

void RecordStore::setState(int record, RowState state)
{
    const RowState old = states_[static_cast<size_t>(record)];
    if (old == RowState::Unmodified && state != RowState::Unmodified)
        ++changeCount_;
    else if (old != RowState::Unmodified && state == RowState::Unmodified)
        --changeCount_;
    states_[static_cast<size_t>(record)] = state;
}

void RecordStore::updateRecord(int record, const QVector<Variant>& values)
{
    if (!isLive(record))
        throw EDatabaseError(QStringLiteral("Record not found"));
    QVector<Variant> coerced(values.size());
    for (int f = 0; f < fieldCount(); ++f)
        coerced[f] = coerceToField(fields_[f], values[f]);
    if (state(record) == RowState::Unmodified) {
        originals_[record] = this->record(record);
        setState(record, RowState::Modified);
    }
    for (int f = 0; f < fieldCount(); ++f)
        storeValue(record, f, coerced[f]);
    ++version_;
}

int RecordStore::orderPosition(int record) const
{
    const auto it = std::find(order_.begin(), order_.end(), record);
    return it == order_.end() ? -1 : static_cast<int>(it - order_.begin());
}

void RecordStore::deleteRecord(int record)
{
    if (!isLive(record))
        throw EDatabaseError(QStringLiteral("Record not found"));
    const int pos = orderPosition(record);
    order_.erase(order_.begin() + pos);
    live_[static_cast<size_t>(record)] = 0;
    if (state(record) == RowState::Inserted) {
        setState(record, RowState::Unmodified); // an inserted record deleted again leaves no trace
    } else {
        deletedFrom_[record] = pos;
        setState(record, RowState::Deleted);
    }
    ++version_;
}

DataPacket RecordStore::delta() const
{
    DataPacket packet;
    for (const FieldDef& f : fields_)
        packet.addField(f);
    for (int record = 0; record < records_; ++record) {
        const RowState s = state(record);
        if (s == RowState::Unmodified)
            continue;
        ChangeEntry entry;
        entry.state = s;
        switch (s) {
        case RowState::Inserted:
            entry.values = this->record(record);
            break;
        case RowState::Deleted: {
            const auto it = originals_.find(record);
            entry.original = it != originals_.end() ? it->second : this->record(record);
            break;
        }
        case RowState::Modified: {
            entry.original = originals_.at(record);
            entry.values.resize(fieldCount());
            bool any = false;
            for (int f = 0; f < fieldCount(); ++f) {
                const Variant now = value(record, f);
                if (!(now == entry.original[f])) {
                    entry.values[f] = now;
                    any = true;
                }
            }
            if (!any)
                continue; // edited back to what the server has
            break;
        }
        case RowState::Unmodified:
            break;
        }
        packet.addChange(entry);
    }
    return packet;
}

void RecordStore::mergeChangeLog()
{
    std::fill(states_.begin(), states_.end(), RowState::Unmodified);
    originals_.clear();
    deletedFrom_.clear();
    changeCount_ = 0;
}

void RecordStore::cancelUpdates()
{
    // Inserted records leave; modified ones get their original values back;
    // deleted ones return near the place they had.
    std::vector<std::pair<int, int>> restored; // position, record
    for (int record = 0; record < records_; ++record) {
        switch (state(record)) {
        case RowState::Inserted: {
            const int pos = orderPosition(record);
            if (pos >= 0)
                order_.erase(order_.begin() + pos);
            live_[static_cast<size_t>(record)] = 0;
            break;
        }
        case RowState::Modified:
            for (int f = 0; f < fieldCount(); ++f)
                storeValue(record, f, originals_.at(record)[f]);
            break;
        case RowState::Deleted: {
            const auto it = originals_.find(record);
            if (it != originals_.end()) {
                for (int f = 0; f < fieldCount(); ++f)
                    storeValue(record, f, it->second[f]);
            }
            live_[static_cast<size_t>(record)] = 1;
            restored.emplace_back(deletedFrom_.at(record), record);
            break;
        }
        case RowState::Unmodified:
            break;
        }
    }
    std::sort(restored.begin(), restored.end());
    for (const auto& [pos, record] : restored)
        order_.insert(order_.begin() + std::min<size_t>(static_cast<size_t>(pos), order_.size()), record);
    mergeChangeLog();
    ++version_;
}

DataPacket RecordStore::toPacket() const
{
    DataPacket packet;
    for (const FieldDef& f : fields_)
        packet.addField(f);
    packet.reserveRows(liveCount());
    for (int record : order_)
        packet.appendRow(this->record(record));
    return packet;
}

void RecordStore::dropRemainingRows()
{
    auto closer = std::move(closer_);
    fetcher_ = {};
    closer_ = {};
    if (closer) {
        try {
            closer();
        } catch (const Exception&) {
        }
    }
}

int RecordStore::fetchMore(int count)
{
    if (!fetcher_)
        return 0;
    auto fetcher = fetcher_; // the fetcher may remove itself when the server has no more rows
    return fetcher(*this, count);
}

} // namespace velta
