// Binary form of Variants: a version byte, then a type tag per value and its
// payload, little-endian. Simple values carry the bytes of their raw image;
// strings are UTF-16 code units after a 32-bit count, arrays a 32-bit count
// of elements, byte arrays a 32-bit count of bytes. The reader trusts no count it has not checked against the
// bytes that remain.
#include "common/Variant.h"

#include "common/Exception.h"

#include <limits>

namespace velta {

namespace {

constexpr std::uint8_t kFormatVersion = 1;
constexpr std::uint8_t kArrayTag = 0x0C;     // an array of variants (varVariant)
constexpr std::uint8_t kByteArrayTag = 0x31; // varArray | varByte folded into a byte

// Bytes of the raw image a simple type keeps on the wire; -1 for a tag that
// is not a simple type.
int payloadSize(std::uint8_t tag)
{
    switch (static_cast<VarType>(tag)) {
    case VarType::Empty:
    case VarType::Null:
        return 0;
    case VarType::Int8:
    case VarType::Byte:
        return 1;
    case VarType::Int16:
    case VarType::Word:
    case VarType::Boolean:
        return 2;
    case VarType::Int32:
    case VarType::UInt32:
    case VarType::Single:
        return 4;
    case VarType::Double:
    case VarType::Date:
    case VarType::Currency:
    case VarType::Int64:
        return 8;
    default:
        return -1;
    }
}

void appendUInt32(QByteArray& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

void appendCount(QByteArray& out, qsizetype count)
{
    if (count > static_cast<qsizetype>(std::numeric_limits<std::uint32_t>::max()))
        throw EVariantError(QStringLiteral("Variant is too large to serialize"));
    appendUInt32(out, static_cast<std::uint32_t>(count));
}

[[noreturn]] void raiseTooDeep()
{
    throw EVariantError(QStringLiteral("Variant data is nested too deeply"));
}

void appendValue(QByteArray& out, const Variant& value, int depth)
{
    if (value.isArray()) {
        if (depth >= kMaxVariantNesting)
            raiseTooDeep();
        out.append(static_cast<char>(kArrayTag));
        const Variant::Array& items = value.elements();
        appendCount(out, items.size());
        for (const Variant& item : items)
            appendValue(out, item, depth + 1);
        return;
    }
    if (value.isByteArray()) {
        const QByteArray bytes = value.toByteArray();
        out.append(static_cast<char>(kByteArrayTag));
        appendCount(out, bytes.size());
        out.append(bytes);
        return;
    }
    if (value.isString()) {
        const QString text = value.toString();
        out.append(static_cast<char>(VarType::String));
        appendCount(out, text.size());
        for (const QChar ch : text) {
            out.append(static_cast<char>(ch.unicode() & 0xFFu));
            out.append(static_cast<char>(ch.unicode() >> 8));
        }
        return;
    }
    const auto tag = static_cast<std::uint8_t>(value.type());
    const auto words = value.rawWords();
    out.append(static_cast<char>(tag));
    const int size = payloadSize(tag);
    for (int i = 0; i < size; ++i)
        out.append(static_cast<char>((words[2 + i / 4] >> (8 * (i % 4))) & 0xFFu));
}

// Reads from a view; every read checks the bytes left first.
class Reader {
public:
    Reader(QByteArrayView bytes, qsizetype pos) : bytes_(bytes), pos_(pos) {}

    qsizetype pos() const { return pos_; }
    qsizetype remaining() const { return bytes_.size() - pos_; }

    void require(qsizetype count) const
    {
        if (count < 0 || count > remaining())
            throw EVariantError(QStringLiteral("Variant data is truncated"));
    }

    std::uint8_t byte()
    {
        require(1);
        return static_cast<std::uint8_t>(bytes_[pos_++]);
    }

    std::uint32_t uint32()
    {
        require(4);
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= std::uint32_t{static_cast<std::uint8_t>(bytes_[pos_ + i])} << (8 * i);
        pos_ += 4;
        return value;
    }

    Variant value(int depth)
    {
        const std::uint8_t tag = byte();
        if (tag == kArrayTag)
            return array(depth);
        if (tag == static_cast<std::uint8_t>(VarType::String))
            return string();
        if (tag == kByteArrayTag)
            return byteArray();
        const int size = payloadSize(tag);
        if (size < 0)
            throw EVariantError(QStringLiteral("Unknown variant type tag %1").arg(tag));
        require(size);
        std::array<std::uint32_t, 4> words{tag, 0, 0, 0};
        for (int i = 0; i < size; ++i)
            words[2 + i / 4] |= std::uint32_t{static_cast<std::uint8_t>(bytes_[pos_ + i])} << (8 * (i % 4));
        pos_ += size;
        return Variant::fromRawWords(words);
    }

private:
    Variant string()
    {
        const std::uint32_t count = uint32();
        require(2 * static_cast<qsizetype>(count));
        QString text(static_cast<qsizetype>(count), Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto low = static_cast<std::uint8_t>(bytes_[pos_ + 2 * i]);
            const auto high = static_cast<std::uint8_t>(bytes_[pos_ + 2 * i + 1]);
            out[i] = static_cast<char16_t>(low | (high << 8));
        }
        pos_ += 2 * static_cast<qsizetype>(count);
        return Variant(text);
    }

    Variant byteArray()
    {
        const std::uint32_t count = uint32();
        require(static_cast<qsizetype>(count));
        const QByteArray bytes = bytes_.sliced(pos_, static_cast<qsizetype>(count)).toByteArray();
        pos_ += static_cast<qsizetype>(count);
        return Variant(bytes);
    }

    Variant array(int depth)
    {
        if (depth >= kMaxVariantNesting)
            raiseTooDeep();
        const std::uint32_t count = uint32();
        // Every element takes at least its tag byte: a count beyond the bytes
        // left is a lie, and nothing is reserved for it.
        require(static_cast<qsizetype>(count));
        Variant::Array items;
        items.reserve(static_cast<qsizetype>(count));
        for (std::uint32_t i = 0; i < count; ++i)
            items.append(value(depth + 1));
        return Variant(std::move(items));
    }

    QByteArrayView bytes_;
    qsizetype pos_;
};

} // namespace

void appendVariant(QByteArray& out, const Variant& value)
{
    // Build apart so that a failure leaves the buffer as it was.
    QByteArray encoded;
    appendValue(encoded, value, 0);
    out.append(encoded);
}

QByteArray serializeVariant(const Variant& value)
{
    QByteArray out;
    out.append(static_cast<char>(kFormatVersion));
    appendValue(out, value, 0);
    return out;
}

Variant readVariant(QByteArrayView bytes, qsizetype& pos)
{
    if (pos < 0 || pos > bytes.size())
        throw EVariantError(QStringLiteral("Variant data is truncated"));
    Reader reader(bytes, pos);
    Variant result = reader.value(0);
    pos = reader.pos();
    return result;
}

Variant deserializeVariant(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        throw EVariantError(QStringLiteral("Variant data is truncated"));
    const auto version = static_cast<std::uint8_t>(bytes[0]);
    if (version != kFormatVersion)
        throw EVariantError(QStringLiteral("Unsupported variant data version %1").arg(version));
    qsizetype pos = 1;
    Variant result = readVariant(bytes, pos);
    if (pos != bytes.size())
        throw EVariantError(QStringLiteral("Variant data has %1 bytes after the value").arg(bytes.size() - pos));
    return result;
}

} // namespace velta
