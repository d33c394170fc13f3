#pragma once
// ProviderPacketWriter: encodes the rows of a query result straight into the
// binary data packet form through common's DataPacketWriter, reading each
// cell once from the query without building a Variant per cell. Field
// definitions come from the result's record: Firebird types mapped to packet
// field types, key fields flagged, NUMERIC values (read as exact decimal
// text) as fixed point.
#include "common/DataPacket.h"
#include "common/FieldDef.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QVector>
#include <cstdint>

class QSqlField;
class QSqlQuery;
class QSqlRecord;
class QVariant;

namespace velta::station {

struct ProviderDef;

// The packet field type of a query column (NUMERIC(18,4) -> Currency, ...).
FieldDef fieldOfColumn(const QSqlField& column);

// Field definitions of a result. With a provider: its field types where it
// names them, its key columns flagged InKey, and fields without a column in
// tableColumns (upper-case names; empty = unknown) left out of updates.
QVector<FieldDef> fieldsOfRecord(const QSqlRecord& record, const ProviderDef* provider,
                                 const QSet<QString>& tableColumns);

// Exact decimal text ("-12.5", "3.14159") as a value scaled by 10000, rounded
// half away from zero; raises EConvertError on text that is not a number.
std::int64_t scaledFromDecimalText(QStringView text);

class ProviderPacketWriter {
public:
    explicit ProviderPacketWriter(QVector<FieldDef> fields);

    const QVector<FieldDef>& fields() const { return packet_.fields(); }

    // Starts a packet: header and field definitions.
    void begin() { packet_.begin(); }
    // Appends the query's current row.
    void appendCurrentRow(const QSqlQuery& query);
    int rowCount() const { return packet_.rowCount(); }
    // Completes the packet and hands it over; the writer can begin again.
    QByteArray finish(bool moreRows) { return packet_.finish(moreRows); }

    // A packet with no fields and no rows.
    static QByteArray emptyPacket();

private:
    void writeCell(const FieldDef& def, const QVariant& value);

    DataPacketWriter packet_;
};

} // namespace velta::station
