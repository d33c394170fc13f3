#pragma once
// The text forms of DBF field values: decoding a field's bytes inside a record
// and encoding a value into them. Works on the record bytes in place and
// allocates nothing, as it runs once per value when a table is browsed.
#include "common/DateTime.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>

namespace velta::dbfvalue {

// The bytes without leading and trailing spaces.
QByteArrayView trimmed(QByteArrayView text);
// The bytes without trailing spaces.
QByteArrayView trimmedRight(QByteArrayView text);

// An optional sign and decimal digits, blanks around allowed.
bool parseInteger(QByteArrayView text, std::int64_t& value);
// An optional sign, digits with a full stop as decimal point and an optional
// exponent, blanks around allowed.
bool parseFloat(QByteArrayView text, double& value);
// F/N false, S/T/Y true (either case); -1 for anything else (null).
int parseBoolean(QByteArrayView text);
// "yyyymmdd"; false for blanks, zeros or an impossible date.
bool parseDate(QByteArrayView text, TDateTime& value);

// The string of a field: trailing spaces dropped, from cp866 when oem is set,
// else from cp1251. Reuses the storage of into.
void decodeString(QByteArrayView raw, bool oem, QString& into);

// Encoders write exactly length bytes at dst.
// Padded with spaces on the right or cut to the length.
void encodeString(QStringView value, bool oem, char* dst, int length);
// Right-aligned with leading spaces; false (nothing written) when the digits
// do not fit the length.
bool encodeInteger(std::int64_t value, char* dst, int length);
// Fixed notation with the given decimals, right-aligned; false (nothing
// written) when the text does not fit or the value is not finite.
bool encodeFloat(double value, int decimals, char* dst, int length);
// The field must be 1 long: raises "Buffer must be 1 char for boolean".
void encodeBoolean(bool value, char* dst, int length);
// The field must be 8 long: raises "Buffer must be 8 chars for date".
void encodeDate(TDateTime value, char* dst, int length);

} // namespace velta::dbfvalue
