#pragma once
// FieldDef: one column of a data packet - its name, data type, size and
// flags - and the conversion of values to the field's type. The client
// datasets build their fields from these; the server builds them from its
// query results.
#include "common/RuntimeExport.h"
#include "common/Variant.h"

#include <QString>
#include <cstdint>

namespace velta {

// Data types of packet fields. The numbers are part of the packet format.
enum class FieldType : std::uint8_t {
    String = 1,   // text of at most `size` characters
    Int16 = 2,
    Int32 = 3,
    Int64 = 4,
    Float = 5,    // binary double
    Currency = 6, // BCD: exact fixed point, int64 scaled by 10000
    FmtBcd = 7,   // wide BCD (precision up to 18, 4 decimals), int64 scaled by 10000
    Boolean = 8,
    Date = 9,     // TDateTime (days since 30.12.1899), date part only
    Time = 10,    // TDateTime fraction
    DateTime = 11,
    Memo = 12,    // text without a size limit
    Blob = 13     // bytes
};

// Flags of a field, one bit each in the packet.
enum FieldFlag : std::uint8_t {
    FieldRequired = 0x01,
    FieldReadOnly = 0x02,
    FieldInKey = 0x04,    // part of the key by which the provider finds the row
    FieldInUpdate = 0x08, // written back when the provider applies updates
    FieldHidden = 0x10,   // carried for the provider, not shown
    kKnownFieldFlags = 0x1F
};

// Largest precision of a BCD field: fixed point values are scaled int64.
inline constexpr int kMaxBcdPrecision = 18;
inline constexpr int kBcdScale = 4;

struct VELTA_RUNTIME_EXPORT FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;       // characters of a String field; 0 elsewhere
    int precision = 0;  // digits of a BCD field (0: the type's default)
    int scale = 0;      // decimals of a BCD field (at most 4)
    std::uint8_t flags = FieldInUpdate;

    FieldDef() = default;
    FieldDef(QString fieldName, FieldType fieldType, int fieldSize = 0, std::uint8_t fieldFlags = FieldInUpdate);

    bool required() const { return flags & FieldRequired; }
    bool readOnly() const { return flags & FieldReadOnly; }
    bool inKey() const { return flags & FieldInKey; }
    bool inUpdate() const { return flags & FieldInUpdate; }
    bool hidden() const { return flags & FieldHidden; }
    void setFlag(FieldFlag flag, bool on);

    friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

VELTA_RUNTIME_EXPORT bool isTextType(FieldType type);    // String, Memo
VELTA_RUNTIME_EXPORT bool isDoubleType(FieldType type);  // Float, Date, Time, DateTime
VELTA_RUNTIME_EXPORT bool isKnownFieldType(std::uint8_t code);
// The framework's name of a type ("String", "SmallInt", "BCD", "FMTBcd", ...).
VELTA_RUNTIME_EXPORT QString fieldTypeName(FieldType type);

// Converts a value to what a field of that type stores: Null and Empty become
// Null; numbers are range-checked (EDatabaseError "... is not a valid value
// for field ..."), BCD values become Currency, dates Variant::fromDate, texts
// QString, blobs byte arrays. A value that does not convert raises EVariantError.
// Blob values travel as byte-array Variants (varArray | varByte).
VELTA_RUNTIME_EXPORT Variant blobVariant(const QByteArray& bytes);
VELTA_RUNTIME_EXPORT QByteArray blobBytes(const Variant& value);

VELTA_RUNTIME_EXPORT Variant coerceToField(const FieldDef& field, const Variant& value);

} // namespace velta
