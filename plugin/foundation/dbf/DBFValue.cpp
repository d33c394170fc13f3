#include "plugin/foundation/dbf/DBFValue.h"

#include "common/Codecs.h"
#include "common/Exception.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace velta::dbfvalue {

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    return text.sliced(begin, end - begin);
}

QByteArrayView trimmedRight(QByteArrayView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.first(end);
}

bool parseInteger(QByteArrayView text, std::int64_t& value)
{
    text = trimmed(text);
    if (text.isEmpty())
        return false;
    const char* p = text.data();
    const char* end = p + text.size();
    if (*p == '+')
        ++p;
    if (p == end || (p != text.data() && *p == '-'))
        return false;
    auto [last, ec] = std::from_chars(p, end, value);
    return ec == std::errc() && last == end;
}

bool parseFloat(QByteArrayView text, double& value)
{
    text = trimmed(text);
    if (text.isEmpty())
        return false;
    const char* p = text.data();
    const char* end = p + text.size();
    if (*p == '+')
        ++p;
    if (p == end || (p != text.data() && *p == '-'))
        return false;
    // from_chars takes "inf" and "nan" too; a field holds digits only.
    const char first = *p == '-' ? (p + 1 < end ? p[1] : '\0') : *p;
    if (!(first == '.' || (first >= '0' && first <= '9')))
        return false;
    auto [last, ec] = std::from_chars(p, end, value, std::chars_format::general);
    return ec == std::errc() && last == end;
}

int parseBoolean(QByteArrayView text)
{
    if (text.isEmpty())
        return -1;
    switch (text[0]) {
    case 'F': case 'f': case 'N': case 'n': return 0;
    case 'S': case 's': case 'T': case 't': case 'Y': case 'y': return 1;
    default: return -1;
    }
}

bool parseDate(QByteArrayView text, TDateTime& value)
{
    if (text.size() != 8)
        return false;
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    int pos = 0;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < widths[i]; ++k, ++pos) {
            const char c = text[pos];
            if (c < '0' || c > '9')
                return false;
            parts[i] = parts[i] * 10 + (c - '0');
        }
    }
    return TryEncodeDate(parts[0], parts[1], parts[2], value);
}

void decodeString(QByteArrayView raw, bool oem, QString& into)
{
    raw = trimmedRight(raw);
    const qsizetype n = raw.size();
    into.resize(n);
    QChar* out = into.data();
    const unsigned char* in = reinterpret_cast<const unsigned char*>(raw.data());
    if (oem) {
        for (qsizetype i = 0; i < n; ++i)
            out[i] = in[i] < 0x80 ? QChar(in[i]) : QChar(codec::cp866ToUnicode(in[i]));
    } else {
        for (qsizetype i = 0; i < n; ++i)
            out[i] = in[i] < 0x80 ? QChar(in[i]) : QChar(codec::cp1251ToUnicode(in[i]));
    }
}

void encodeString(QStringView value, bool oem, char* dst, int length)
{
    const qsizetype n = std::min<qsizetype>(value.size(), length);
    const QChar* in = value.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c < 0x80)
            dst[i] = static_cast<char>(c);
        else
            dst[i] = static_cast<char>(oem ? codec::unicodeToCp866(c) : codec::unicodeToCp1251(c));
    }
    if (n < length)
        std::memset(dst + n, ' ', static_cast<size_t>(length - n));
}

namespace {

bool placeRight(const char* text, qsizetype size, char* dst, int length)
{
    if (size > length)
        return false;
    std::memset(dst, ' ', static_cast<size_t>(length - size));
    std::memcpy(dst + (length - size), text, static_cast<size_t>(size));
    return true;
}

} // namespace

bool encodeInteger(std::int64_t value, char* dst, int length)
{
    char buffer[24];
    auto [last, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc())
        return false;
    return placeRight(buffer, last - buffer, dst, length);
}

bool encodeFloat(double value, int decimals, char* dst, int length)
{
    if (!std::isfinite(value))
        return false;
    char buffer[352];
    auto [last, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return false;
    // A negative value that rounds to zero is written without its sign.
    if (buffer[0] == '-') {
        bool zero = true;
        for (const char* c = buffer + 1; c < last && zero; ++c)
            zero = *c == '0' || *c == '.';
        if (zero)
            return placeRight(buffer + 1, last - buffer - 1, dst, length);
    }
    return placeRight(buffer, last - buffer, dst, length);
}

void encodeBoolean(bool value, char* dst, int length)
{
    if (length != 1)
        throw EDatabaseError(QStringLiteral("Buffer must be 1 char for boolean"));
    *dst = value ? 'T' : 'F';
}

void encodeDate(TDateTime value, char* dst, int length)
{
    if (length != 8)
        throw EDatabaseError(QStringLiteral("Buffer must be 8 chars for date"));
    if (!(value >= kMinDateTime && value < kMaxDateTime + 1))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    int year = 0;
    int month = 0;
    int day = 0;
    DecodeDate(value, year, month, day);
    const int parts[3] = {year, month, day};
    const int widths[3] = {4, 2, 2};
    int pos = 8;
    for (int i = 2; i >= 0; --i) {
        int v = parts[i];
        for (int k = 0; k < widths[i]; ++k) {
            dst[--pos] = static_cast<char>('0' + v % 10);
            v /= 10;
        }
    }
}

} // namespace velta::dbfvalue
