#include "common/ByteStream.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <limits>

namespace velta {

void ByteWriter::sized(QByteArrayView data)
{
    if (data.size() > static_cast<qsizetype>(std::numeric_limits<std::uint32_t>::max()))
        throw EProtocolError(QStringLiteral("Value of %1 bytes is too large to send").arg(data.size()));
    u32(static_cast<std::uint32_t>(data.size()));
    bytes(data);
}

void ByteWriter::text(QStringView value)
{
    // At most three UTF-8 bytes per UTF-16 unit; the count is filled in after.
    const qsizetype start = out_.size();
    const qsizetype room = value.size() * 3;
    if (room > static_cast<qsizetype>(std::numeric_limits<std::uint32_t>::max()))
        throw EProtocolError(QStringLiteral("Text of %1 characters is too large to send").arg(value.size()));
    out_.resize(start + 4 + room);
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    char* const begin = out_.data() + start + 4;
    const qsizetype length = encoder.appendToBuffer(begin, value) - begin;
    out_.resize(start + 4 + length);
    for (int i = 0; i < 4; ++i)
        out_[start + i] = static_cast<char>((static_cast<std::uint32_t>(length) >> (8 * i)) & 0xFFu);
}

std::uint32_t ByteReader::count(const char* item, qsizetype minEntryBytes)
{
    const std::uint32_t value = u32(item);
    if (minEntryBytes > 0 && static_cast<qsizetype>(value) > remaining() / minEntryBytes)
        raise(QStringLiteral("%1 count %2 exceeds the data that remains").arg(QLatin1String(item)).arg(value));
    return value;
}

QString ByteReader::text(const char* item)
{
    const QByteArrayView utf8 = sized(item);
    // A leading byte-order mark is text like any other and is kept.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString result = decoder.decode(utf8);
    if (decoder.hasError())
        raise(QStringLiteral("%1 is not valid UTF-8").arg(QLatin1String(item)));
    return result;
}

void ByteReader::raise(const QString& detail) const
{
    throw EProtocolError(QStringLiteral("%1 is malformed at byte %2: %3")
                             .arg(QLatin1String(what_))
                             .arg(pos_)
                             .arg(detail));
}

void ByteReader::raiseTruncated(const char* item) const
{
    throw EProtocolError(QStringLiteral("%1 is truncated at byte %2 (%3)")
                             .arg(QLatin1String(what_))
                             .arg(pos_)
                             .arg(QLatin1String(item)));
}

} // namespace velta
