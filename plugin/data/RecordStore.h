#pragma once
// RecordStore: the records of a client dataset, shared by the dataset and its
// cloned cursors. Values are kept by column in typed arrays (integers and
// fixed-point amounts as int64, dates and floats as double, texts as QString)
// so that filters and indexes read them without building Variants. Records
// are numbered once and never renumbered; deleted ones leave the physical
// order but keep their values for the change log.
#include "common/DataPacket.h"
#include "common/FieldDef.h"
#include "common/Variant.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace velta {

class RecordStore {
public:
    struct Column {
        FieldType type = FieldType::String;
        std::vector<std::int64_t> ints;  // Int16/32/64, Boolean, Currency and FmtBcd (scaled)
        std::vector<double> doubles;     // Float, Date, Time, DateTime
        std::vector<QString> texts;      // String, Memo
        std::vector<QByteArray> blobs;   // Blob
        std::vector<std::uint8_t> nulls; // 1: the cell is Null
    };
    enum class Storage { Int, Double, Text, Blob };
    static Storage storageOf(FieldType type);

    explicit RecordStore(QVector<FieldDef> fields);

    // Identity used by bookmarks; unique for the life of the process.
    std::uint64_t id() const { return id_; }
    // Bumped by every change of a value or of the record set.
    std::uint64_t version() const { return version_; }

    const QVector<FieldDef>& fields() const { return fields_; }
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    int fieldIndex(const QString& name) const;
    const Column& column(int field) const { return columns_[static_cast<size_t>(field)]; }

    // Live records in their physical order.
    const std::vector<int>& order() const { return order_; }
    int liveCount() const { return static_cast<int>(order_.size()); }
    bool isLive(int record) const;
    // Position of a live record in the physical order, -1 for others.
    int orderPosition(int record) const;

    // Adds rows from a packet (fields matched by position; the packet must
    // have the same fields) as unchanged records.
    void appendPacket(const DataPacket& packet);
    // A new record with the values (coerced to the fields' types) placed at a
    // position of the physical order (-1: at the end). Returns its number.
    int insertRecord(const QVector<Variant>& values, int orderPos, bool logInsert);
    void appendUnchanged(const QVector<Variant>& values) { insertRecord(values, -1, false); }

    Variant value(int record, int field) const;
    bool isNull(int record, int field) const { return column(field).nulls[static_cast<size_t>(record)] != 0; }
    QVector<Variant> record(int record) const;
    // Replaces a record's values (already coerced), logging the modification.
    void updateRecord(int record, const QVector<Variant>& values);
    // Deletes a record, logging the deletion.
    void deleteRecord(int record);

    // The change log.
    RowState state(int record) const { return states_[static_cast<size_t>(record)]; }
    int changeCount() const { return changeCount_; }
    // The edits as a packet: the fields and one change entry per changed record.
    DataPacket delta() const;
    // Forgets the log: the current values become the original ones.
    void mergeChangeLog();
    // Undoes every logged change.
    void cancelUpdates();

    // The live records as a packet (fields and rows, no change log).
    DataPacket toPacket() const;

    // Fetching further rows from the server, installed by the dataset that
    // opened the data; returns the number of rows added.
    // The closer gives the server's cursor back when the rows are not wanted.
    bool hasMoreRows() const { return static_cast<bool>(fetcher_); }
    void setFetcher(std::function<int(RecordStore&, int count)> fetcher, std::function<void()> closer = {})
    {
        fetcher_ = std::move(fetcher);
        closer_ = std::move(closer);
    }
    int fetchMore(int count);
    // Forgets the remaining rows, closing the server's cursor (errors of a
    // broken connection are the connection's business and are dropped).
    void dropRemainingRows();

private:
    void storeValue(int record, int field, const Variant& coerced);
    // Appends one field's values of a packet's rows to its column (records first..total-1).
    void appendColumn(int field, const DataPacket& packet, size_t first, size_t total);
    static void truncateColumn(Column& column, size_t size);
    int allocateRecord();
    void setState(int record, RowState state);

    static std::uint64_t nextId();

    std::uint64_t id_;
    std::uint64_t version_ = 1;
    QVector<FieldDef> fields_;
    std::vector<Column> columns_;
    int records_ = 0;
    std::vector<int> order_;
    std::vector<std::uint8_t> live_;
    std::vector<RowState> states_;
    std::unordered_map<int, QVector<Variant>> originals_; // values before the first modification
    std::unordered_map<int, int> deletedFrom_;           // order position a deleted record had
    int changeCount_ = 0;
    std::function<int(RecordStore&, int)> fetcher_;
    std::function<void()> closer_;
};

} // namespace velta
