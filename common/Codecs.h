#pragma once
// The two 8-bit Cyrillic code pages of the suite: cp1251 (Windows, "ANSI") for
// files, hex texts and the wire, cp866 (DOS, "OEM") for DBF tables and raw printing.
// Characters a code page cannot hold become "?". Byte 0x98 of cp1251, which
// has no character, decodes to U+0098 and encodes back, so no byte is lost.
#include "common/RuntimeExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace velta::codec {

VELTA_RUNTIME_EXPORT QString fromCp1251(QByteArrayView bytes);
VELTA_RUNTIME_EXPORT QByteArray toCp1251(QStringView text);
VELTA_RUNTIME_EXPORT QString fromCp866(QByteArrayView bytes);
VELTA_RUNTIME_EXPORT QByteArray toCp866(QStringView text);

// The single-character forms, for hot loops: the Unicode character of a byte,
// and the byte of a character ('?' when unmappable).
VELTA_RUNTIME_EXPORT char16_t cp1251ToUnicode(unsigned char byte);
VELTA_RUNTIME_EXPORT char16_t cp866ToUnicode(unsigned char byte);
VELTA_RUNTIME_EXPORT unsigned char unicodeToCp1251(char16_t ch);
VELTA_RUNTIME_EXPORT unsigned char unicodeToCp866(char16_t ch);

// Byte-to-byte conversions between the two code pages (the framework's
// CharToOem and OemToChar); unmappable bytes become "?".
VELTA_RUNTIME_EXPORT QByteArray ansiToOem(QByteArrayView ansi);
VELTA_RUNTIME_EXPORT QByteArray oemToAnsi(QByteArrayView oem);

} // namespace velta::codec
