#pragma once
// Little-endian writing and bounds-checked reading of the binary forms that
// travel between processes (data packets, wire frames). The reader trusts no
// size it has not checked against the bytes that remain and raises
// EProtocolError, naming what it was reading, when the input runs short.
#include "common/Exception.h"
#include "common/RuntimeExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <bit>
#include <cstdint>
#include <cstring>

namespace velta {

class VELTA_RUNTIME_EXPORT ByteWriter {
public:
    explicit ByteWriter(QByteArray& out) : out_(out) {}

    void u8(std::uint8_t value) { out_.append(static_cast<char>(value)); }
    void u16(std::uint16_t value) { put(value); }
    void u32(std::uint32_t value) { put(value); }
    void i16(std::int16_t value) { put(static_cast<std::uint16_t>(value)); }
    void i32(std::int32_t value) { put(static_cast<std::uint32_t>(value)); }
    void i64(std::int64_t value) { put(static_cast<std::uint64_t>(value)); }
    void f64(double value) { put(std::bit_cast<std::uint64_t>(value)); }
    void bytes(QByteArrayView data) { out_.append(data.data(), data.size()); }
    // A 32-bit byte count, then the bytes; raises EProtocolError past 4 GiB.
    void sized(QByteArrayView data);
    // Text as UTF-8 with its byte count, encoded straight into the buffer.
    void text(QStringView value);
    // Room for this many more bytes.
    void reserve(qsizetype bytes) { out_.reserve(out_.size() + bytes); }

private:
    template <class T>
    void put(T value)
    {
        char buf[sizeof(T)];
        for (std::size_t i = 0; i < sizeof(T); ++i)
            buf[i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
        out_.append(buf, sizeof(T));
    }

    QByteArray& out_;
};

class VELTA_RUNTIME_EXPORT ByteReader {
public:
    // what names the data in messages ("Data packet", "Frame").
    ByteReader(QByteArrayView bytes, const char* what) : bytes_(bytes), what_(what) {}

    qsizetype pos() const { return pos_; }
    void setPos(qsizetype pos) { pos_ = pos; }
    qsizetype remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }
    QByteArrayView view() const { return bytes_; }

    // Raises "<what> is truncated (<item>)" unless count bytes remain.
    void require(qsizetype count, const char* item) const
    {
        if (count < 0 || count > remaining())
            raiseTruncated(item);
    }
    // A count read from the input that must not promise more entries than the
    // remaining bytes could hold at minEntryBytes each.
    std::uint32_t count(const char* item, qsizetype minEntryBytes);

    std::uint8_t u8(const char* item) { require(1, item); return static_cast<std::uint8_t>(bytes_[pos_++]); }
    std::uint16_t u16(const char* item) { return get<std::uint16_t>(item); }
    std::uint32_t u32(const char* item) { return get<std::uint32_t>(item); }
    std::int16_t i16(const char* item) { return static_cast<std::int16_t>(get<std::uint16_t>(item)); }
    std::int32_t i32(const char* item) { return static_cast<std::int32_t>(get<std::uint32_t>(item)); }
    std::int64_t i64(const char* item) { return static_cast<std::int64_t>(get<std::uint64_t>(item)); }
    double f64(const char* item) { return std::bit_cast<double>(get<std::uint64_t>(item)); }
    QByteArrayView bytes(qsizetype count, const char* item)
    {
        require(count, item);
        const QByteArrayView result = bytes_.sliced(pos_, count);
        pos_ += count;
        return result;
    }
    // A 32-bit byte count and that many bytes.
    QByteArrayView sized(const char* item) { return bytes(u32(item), item); }
    // UTF-8 text written by ByteWriter::text; malformed UTF-8 is an error.
    QString text(const char* item);

    [[noreturn]] void raise(const QString& detail) const;
    [[noreturn]] void raiseTruncated(const char* item) const;

private:
    template <class T>
    T get(const char* item)
    {
        require(sizeof(T), item);
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            value |= static_cast<T>(static_cast<std::uint8_t>(bytes_[pos_ + static_cast<qsizetype>(i)])) << (8 * i);
        pos_ += static_cast<qsizetype>(sizeof(T));
        return value;
    }

    QByteArrayView bytes_;
    qsizetype pos_ = 0;
    const char* what_;
};

} // namespace velta
