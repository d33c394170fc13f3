#pragma once
// Hexadecimal text of bytes and of cp1251 texts, two upper-case digits a byte,
// and the single-digit helpers the other hex forms of the suite are built on.
#include "common/RuntimeExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace velta {

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

// The upper-case digit of the low four bits of value.
constexpr char HexDigitChar(unsigned value)
{
    return "0123456789ABCDEF"[value & 15u];
}

// Each byte as two upper-case hexadecimal digits.
VELTA_RUNTIME_EXPORT QByteArray HexEncodeBytes(QByteArrayView bytes);
// Pairs of digits back to bytes: a pair that is not hexadecimal gives "?", an
// odd last character is ignored.
VELTA_RUNTIME_EXPORT QByteArray HexDecodeBytes(QByteArrayView hexText);

// The same over the cp1251 bytes of a text.
VELTA_RUNTIME_EXPORT QString HexEncode(const QString& text);
VELTA_RUNTIME_EXPORT QString HexDecode(const QString& text);

} // namespace velta
