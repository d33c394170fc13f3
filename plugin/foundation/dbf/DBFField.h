#pragma once
// Field types, field definitions and the typed field of the in-memory DBF
// table. DbfField is shaped like the client dataset's TField (name, type,
// size, AsString/AsInteger/AsFloat/AsCurrency/AsDateTime/IsNull, Value) so
// code that copies fields by name works on either.
#include "common/DateTime.h"
#include "common/FieldDef.h"
#include "common/Variant.h"

#include <QString>
#include <QVector>
#include <cstdint>

namespace velta {

// The framework's field types; their numbers are what error texts report.
enum TFieldType : int {
    ftUnknown = 0, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
    ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT,
    ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid,
    ftTimeStamp, ftFMTBcd
};

// A field definition from which a table is created: name, type, size
// (length of strings, total digits of numbers) and precision (decimals).
struct TFieldDef {
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Precision = 0;
};

// The field type of a data packet column, for tables made from a dataset's fields.
TFieldType dbfFieldTypeOf(FieldType type);

class TMemDBFTable;

// One field of an open TMemDBFTable, reading and writing the current record.
class DbfField {
public:
    DbfField(TMemDBFTable* table, int index) : table_(table), index_(index) {}

    const QString& FieldName() const;
    TFieldType DataType() const;
    // Strings and memos: their length; other types 0.
    int Size() const;
    int Length() const;
    int Decimals() const;
    int Index() const { return index_; }

    bool IsNull() const;
    QString AsString() const;
    // AsString into a caller's buffer, reusing its storage (no allocation in
    // loops once the buffer is large enough).
    void ReadString(QString& into) const;
    int AsInteger() const;
    std::int64_t AsLargeInt() const;
    double AsFloat() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    // Null when the field is null; else the value in the field's own type.
    Variant Value() const;

    void SetAsString(const QString& value);
    void SetAsInteger(int value);
    void SetAsLargeInt(std::int64_t value);
    void SetAsFloat(double value);
    void SetAsCurrency(Currency value);
    void SetAsDateTime(TDateTime value);
    void SetAsBoolean(bool value);
    // Null or Empty clears the field.
    void SetValue(const Variant& value);
    void Clear();

private:
    TMemDBFTable* table_;
    int index_;
};

} // namespace velta
