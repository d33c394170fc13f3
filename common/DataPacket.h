#pragma once
// DataPacket: what a provider sends and a client dataset loads - field
// definitions, rows, named properties, whether more rows wait on the server,
// and the change log a client sends back to have its edits applied.
//
// Binary form (little-endian), version 1:
//   "VDPK", u16 version, u16 flags (bit 0: more rows remain on the server)
//   u32 property count; per property: name, serialised Variant (no version byte)
//   u32 field count; per field: name, u8 type, i32 size, u8 precision, u8 scale, u8 flags
//   u32 row count; per row: a null bitmap (bit i set: field i is Null), then
//     the value of each non-null field in its type's compact form
//   u32 change count; per change: u8 row state, then
//     Unmodified, Deleted: the original record
//     Inserted:            the new record
//     Modified:            the original record, a changed bitmap, and a
//                          record of the changed fields only
// Texts are a u32 byte count and UTF-8; blobs a u32 byte count and the bytes.
// Values: Int16 2 bytes, Int32 4, Int64 8, Float and dates 8 (TDateTime
// double), Currency and FmtBcd 8 (int64 scaled by 10000, never a binary
// float), Boolean 1 (0 or 1).
//
// Rows are kept by column in their compact form, so that 100,000 rows encode
// and decode without a Variant per cell; accessors hand out Variants.
// DataPacketWriter writes the same form row by row, without a DataPacket.
#include "common/FieldDef.h"
#include "common/RuntimeExport.h"
#include "common/Variant.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>
#include <QString>
#include <QVector>
#include <cstdint>
#include <vector>

namespace velta {

enum class RowState : std::uint8_t { Unmodified = 0, Inserted = 1, Modified = 2, Deleted = 3 };

// One entry of a change log. Values are in field order and of the fields'
// types (see coerceToField).
struct VELTA_RUNTIME_EXPORT ChangeEntry {
    RowState state = RowState::Unmodified;
    // The row as the server sent it: every field; empty for Inserted.
    QVector<Variant> original;
    // Inserted: every field. Modified: the new value of each changed field and
    // Empty for every unchanged one (a field changed to Null holds Null).
    // Unmodified, Deleted: empty.
    QVector<Variant> values;

    bool changed(int field) const
    {
        return state == RowState::Modified && field >= 0 && field < values.size() && !values[field].isEmpty();
    }
    friend bool operator==(const ChangeEntry&, const ChangeEntry&) = default;
};

class VELTA_RUNTIME_EXPORT DataPacket {
public:
    static constexpr char kMagic[4] = {'V', 'D', 'P', 'K'};
    static constexpr std::uint16_t kVersion = 1;
    // Limits of a packet. Cells (rows times fields) are capped because a Null
    // cell costs one bit on the wire and several bytes in memory: a hostile
    // packet within the frame limit must not expand into gigabytes.
    static constexpr int kMaxFields = 4096;
    static constexpr qint64 kMaxCells = qint64{64} * 1024 * 1024;
    static constexpr qint64 kMaxChangeCells = qint64{4} * 1024 * 1024;

    DataPacket() = default;

    // Fields. Names are unique without regard to case; fields can be added
    // only while the packet has no rows and no changes.
    const QVector<FieldDef>& fields() const { return fields_; }
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    const FieldDef& field(int index) const;
    void addField(const FieldDef& field);
    // Index of a field by name without regard to case, -1 when absent.
    int fieldIndex(const QString& name) const;

    // Rows. Values are converted to the fields' types (coerceToField); a row
    // of the wrong width raises EDatabaseError.
    int rowCount() const { return rowCount_; }
    void appendRow(const QVector<Variant>& values);
    void reserveRows(int count);
    void clearRows();
    Variant value(int row, int field) const;
    bool isNull(int row, int field) const;
    QVector<Variant> row(int row) const;
    void setValue(int row, int field, const Variant& value);

    // Set when the server holds more rows for the same query.
    bool moreRows() const { return moreRows_; }
    void setMoreRows(bool more) { moreRows_ = more; }

    // Named properties (provider name, command text, ...). Property values are
    // simple Variants or arrays of them.
    const QMap<QString, Variant>& properties() const { return properties_; }
    Variant property(const QString& name) const { return properties_.value(name); }
    void setProperty(const QString& name, const Variant& value);

    // The change log; entries are checked against the fields when added.
    const QVector<ChangeEntry>& changes() const { return changes_; }
    void addChange(const ChangeEntry& entry);
    void clearChanges() { changes_.clear(); }

    // Raises EProtocolError for a packet over the cell limits.
    QByteArray toBytes() const;
    // Raises EProtocolError (EVariantError inside a property value) on any
    // malformed input: wrong magic, unknown version, truncation, lying counts,
    // bad field definitions, values a field cannot hold, bytes left over.
    static DataPacket fromBytes(QByteArrayView bytes);

    bool operator==(const DataPacket& other) const;
    bool operator!=(const DataPacket& other) const { return !(*this == other); }

private:
    // One field's values for all rows: numbers (doubles by their bits) in
    // `numbers`, texts in `texts`, blobs in `blobs`; `nulls` marks Null cells.
    struct Column {
        std::vector<std::int64_t> numbers;
        QList<QString> texts;
        QList<QByteArray> blobs;
        std::vector<std::uint8_t> nulls;
    };
    friend class DataPacketCodec;

    void checkCell(int row, int field) const;
    void storeCell(int field, const Variant& coerced);
    void overwriteCell(int row, int field, const Variant& coerced);

    QVector<FieldDef> fields_;
    std::vector<Column> columns_;
    int rowCount_ = 0;
    bool moreRows_ = false;
    QMap<QString, Variant> properties_;
    QVector<ChangeEntry> changes_;
};

// Writes the binary form of a packet with no properties and no change log
// row by row, for a producer that reads each cell once (a query result) and
// builds neither Variants nor a DataPacket. Header, field definitions and
// values are written by the same code as DataPacket::toBytes.
class VELTA_RUNTIME_EXPORT DataPacketWriter {
public:
    explicit DataPacketWriter(QVector<FieldDef> fields);

    const QVector<FieldDef>& fields() const { return fields_; }
    int rowCount() const { return rows_; }

    // Starts a packet: header and field definitions.
    void begin();
    // A row: beginRow, then one cell call per field in field order, then
    // endRow. A cell call the field's type does not take raises EProtocolError.
    void beginRow();
    void nullCell();
    // Int16, Int32, Int64, Boolean (0 or 1), and Currency and FmtBcd scaled by 10000.
    void numberCell(std::int64_t value);
    // Float, and Date, Time and DateTime as TDateTime days.
    void realCell(double value);
    // String and Memo.
    void textCell(QStringView text);
    // Blob.
    void blobCell(QByteArrayView bytes);
    void endRow();
    // Completes the packet and hands it over; the writer can begin again.
    QByteArray finish(bool moreRows);

private:
    const FieldDef& nextCell();

    QVector<FieldDef> fields_;
    QByteArray bytes_;
    qsizetype rowCountAt_ = 0;
    qsizetype bitmapAt_ = 0;
    int cell_ = 0;
    int rows_ = 0;
};

} // namespace velta
