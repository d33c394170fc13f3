#pragma once
// Variant: the framework's VARIANT value. It keeps the VARIANT type code of its
// value, so parameter arrays keep their element types and the 16-byte raw
// image of simple values round-trips bit for bit.
#include "common/RuntimeExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVector>
#include <array>
#include <cstdint>
#include <memory>
#include <variant>

namespace velta {

// VARIANT type codes (the vt word).
enum class VarType : std::uint16_t {
    Empty = 0,
    Null = 1,
    Int16 = 2,     // varSmallint
    Int32 = 3,     // varInteger
    Single = 4,
    Double = 5,
    Currency = 6,  // 64-bit integer scaled by 10000
    Date = 7,      // TDateTime: days since 30.12.1899
    String = 8,    // varOleStr; texts are QString inside the process
    Boolean = 11,
    Int8 = 16,     // varShortInt
    Byte = 17,
    Word = 18,
    UInt32 = 19,   // varLongWord
    Int64 = 20,
    Array = 0x200C,    // varArray | varVariant: one-dimensional array of variants
    ByteArray = 0x2011 // varArray | varByte: raw bytes (data packets, blobs)
};

// A currency value: the exact fixed-point number scaled by 10000.
struct VELTA_RUNTIME_EXPORT Currency {
    std::int64_t scaled = 0;
    friend bool operator==(Currency, Currency) = default;
    // Rounds half to even to four decimals; out of range raises EVariantError.
    static Currency fromDouble(double value);
    double toDouble() const { return static_cast<double>(scaled) / 10000.0; }
};

class VELTA_RUNTIME_EXPORT Variant {
public:
    using Array = QVector<Variant>;

    Variant() = default; // Empty (unassigned)
    Variant(bool value);
    Variant(std::int8_t value);
    Variant(std::uint8_t value);
    Variant(std::int16_t value);
    Variant(std::uint16_t value);
    Variant(int value);
    Variant(unsigned int value);
    Variant(long value);        // becomes Int64
    Variant(long long value);   // Int64
    Variant(float value);
    Variant(double value);
    Variant(Currency value);
    Variant(const QString& value);
    Variant(const char* utf8);  // a String
    Variant(Array elements);    // an array indexed from 0
    explicit Variant(const QByteArray& bytes); // a byte array (varArray | varByte)

    static Variant null();
    static Variant fromDate(double dateTime);
    // Exact decimal text ("-12.3456", full stop or the process-wide decimal
    // separator) without passing through double; a fifth decimal and beyond
    // round half away from zero. Bad text raises EConvertError.
    static Variant fromCurrencyText(const QString& text);
    // A one-dimensional array with bounds 0..count-1 of Empty elements.
    static Variant makeArray(int count);

    VarType type() const { return type_; }
    bool isEmpty() const { return type_ == VarType::Empty; }
    bool isNull() const { return type_ == VarType::Null; }
    bool isArray() const { return type_ == VarType::Array; }
    bool isNumeric() const;   // any integer, float or currency type
    bool isString() const { return type_ == VarType::String; }
    bool isByteArray() const { return type_ == VarType::ByteArray; }
    // The framework's VarIsEmpty-or-Null test used all over the reports.
    bool isEmptyOrNull() const { return isEmpty() || isNull(); }

    // Conversions in the framework's manner; a value that does not convert
    // raises EVariantError ("Could not convert variant of type (X) into type (Y)").
    bool toBool() const;
    int toInt() const;
    std::int64_t toInt64() const;
    double toDouble() const;
    Currency toCurrency() const;
    double toDateTime() const;
    QString toString() const;
    // The bytes of a byte array (Empty gives none); any other type raises.
    QByteArray toByteArray() const;

    // Arrays: element count, access by index (0-based); out of range raises
    // EVariantError "Variant or safe array index out of bounds".
    int arrayCount() const;
    int arrayHighBound() const { return arrayCount() - 1; }
    const Variant& at(int index) const;
    Variant& operator[](int index);
    const Array& elements() const;

    // The 16-byte image of a simple value: vt word, three reserved words, then
    // the 8 value bytes, as four little-endian 32-bit words.
    std::array<std::uint32_t, 4> rawWords() const;
    // Builds a simple value from its raw image; an unknown or non-simple type
    // code raises EVariantError.
    static Variant fromRawWords(const std::array<std::uint32_t, 4>& words);

    // Type name as the framework prints it ("Integer", "OleStr", "Array Variant", ...).
    static QString typeName(VarType type);

    // Same type and same value (arrays element by element).
    bool operator==(const Variant& other) const;
    bool operator!=(const Variant& other) const { return !(*this == other); }

private:
    // Integer conversion with the target's range and its name for messages.
    std::int64_t toInteger(const char* target, std::int64_t low, std::int64_t high) const;
    void detach();

    VarType type_ = VarType::Empty;
    // Integers of every width are kept in int64, floats in double; the type code
    // says which they are.
    std::variant<std::monostate, std::int64_t, double, QString, std::shared_ptr<Array>, QByteArray> value_;
};

// True for the integer type codes of every width and sign.
VELTA_RUNTIME_EXPORT bool isIntegerType(VarType type);

// Versioned binary form of a Variant (used on the wire and in data packets):
// a version byte, then the value as a type tag and its payload. Decoding checks
// every size, limits array nesting and raises EVariantError on malformed input;
// deserializeVariant also rejects bytes left over after the value.
inline constexpr int kMaxVariantNesting = 64; // arrays inside arrays, deepest level
VELTA_RUNTIME_EXPORT QByteArray serializeVariant(const Variant& value);
VELTA_RUNTIME_EXPORT Variant deserializeVariant(QByteArrayView bytes);
// Appends one tagged value (no version byte) to a buffer / reads one from a
// position, advancing it; on failure the position is left unchanged.
VELTA_RUNTIME_EXPORT void appendVariant(QByteArray& out, const Variant& value);
VELTA_RUNTIME_EXPORT Variant readVariant(QByteArrayView bytes, qsizetype& pos);

} // namespace velta
