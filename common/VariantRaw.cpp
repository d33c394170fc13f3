// The 16-byte VARIANT image of simple values, as x86 lays it out: the type
// word and three reserved words, then eight value bytes, little-endian.
#include "common/Variant.h"

#include "common/Exception.h"

#include <bit>

namespace velta {

namespace {

[[noreturn]] void raiseNoRawImage(VarType type)
{
    throw EVariantError(QStringLiteral("Variant of type (%1) has no raw image").arg(Variant::typeName(type)));
}

} // namespace

std::array<std::uint32_t, 4> Variant::rawWords() const
{
    std::uint64_t bytes = 0;
    switch (type_) {
    case VarType::Empty:
    case VarType::Null:
        break;
    case VarType::Boolean:
        bytes = toBool() ? 0xFFFFu : 0u; // VARIANT_BOOL: 16 bits, true is all ones
        break;
    case VarType::Int8:
        bytes = static_cast<std::uint8_t>(toInt64());
        break;
    case VarType::Byte:
        bytes = static_cast<std::uint8_t>(toInt64());
        break;
    case VarType::Int16:
    case VarType::Word:
        bytes = static_cast<std::uint16_t>(toInt64());
        break;
    case VarType::Int32:
    case VarType::UInt32:
        bytes = static_cast<std::uint32_t>(toInt64());
        break;
    case VarType::Int64:
        bytes = static_cast<std::uint64_t>(toInt64());
        break;
    case VarType::Single:
        bytes = std::bit_cast<std::uint32_t>(static_cast<float>(toDouble()));
        break;
    case VarType::Double:
    case VarType::Date:
        bytes = std::bit_cast<std::uint64_t>(toDouble());
        break;
    case VarType::Currency:
        bytes = static_cast<std::uint64_t>(toCurrency().scaled);
        break;
    default:
        raiseNoRawImage(type_);
    }
    return {static_cast<std::uint32_t>(type_), 0u, static_cast<std::uint32_t>(bytes),
            static_cast<std::uint32_t>(bytes >> 32)};
}

Variant Variant::fromRawWords(const std::array<std::uint32_t, 4>& words)
{
    const auto type = static_cast<VarType>(words[0] & 0xFFFFu);
    // Only the bytes of the type count; whatever follows them is ignored.
    const std::uint64_t bytes = words[2] | (std::uint64_t{words[3]} << 32);
    switch (type) {
    case VarType::Empty:
        return Variant();
    case VarType::Null:
        return null();
    case VarType::Boolean:
        return Variant((bytes & 0xFFFFu) != 0);
    case VarType::Int8:
        return Variant(static_cast<std::int8_t>(bytes & 0xFFu));
    case VarType::Byte:
        return Variant(static_cast<std::uint8_t>(bytes & 0xFFu));
    case VarType::Int16:
        return Variant(static_cast<std::int16_t>(bytes & 0xFFFFu));
    case VarType::Word:
        return Variant(static_cast<std::uint16_t>(bytes & 0xFFFFu));
    case VarType::Int32:
        return Variant(static_cast<int>(static_cast<std::uint32_t>(bytes)));
    case VarType::UInt32:
        return Variant(static_cast<unsigned int>(bytes));
    case VarType::Int64:
        return Variant(static_cast<long long>(bytes));
    case VarType::Single:
        return Variant(std::bit_cast<float>(static_cast<std::uint32_t>(bytes)));
    case VarType::Double:
        return Variant(std::bit_cast<double>(bytes));
    case VarType::Date:
        return fromDate(std::bit_cast<double>(bytes));
    case VarType::Currency:
        return Variant(Currency{static_cast<std::int64_t>(bytes)});
    case VarType::String:
    case VarType::Array:
    case VarType::ByteArray:
        raiseNoRawImage(type);
    }
    throw EVariantError(QStringLiteral("Invalid variant type"));
}

} // namespace velta
