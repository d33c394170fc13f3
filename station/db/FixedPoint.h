#pragma once
// Exact fixed-point amounts with four decimals (money, litres, kilograms,
// densities) as the database keeps them: scaled integers, written to and read
// from SQL as decimal text so that no binary floating point is involved.
//
// The QIBASE driver of Qt 6.4 passes NUMERIC values through a binary double in
// both directions, even with QSql::HighPrecision ("0.29000000000000004"). So
// amounts are written as text inside CAST(? AS VARCHAR(32)) and read either
// through parseFixed (exact up to about 15 significant digits) or, for the
// full range, by selecting CAST(column AS VARCHAR(32)) and parsing that text.
#include "common/Variant.h"

#include <QString>
#include <cstdint>

namespace velta::station {

// "-12.3400": sign, integer digits, a full stop and exactly four decimals.
QString fixedText(Currency value);
inline QString fixedText(std::int64_t scaled) { return fixedText(Currency{scaled}); }

// Reads decimal text ("12", "-0.5", "3.14159" rounded half away from zero to
// four decimals). Raises EConvertError "'%s' is not a valid fixed-point value".
Currency parseFixed(const QString& text);

// value * factor / 10000 rounded half away from zero: the product of two
// four-decimal numbers kept at four decimals (litres times price).
Currency multiplyFixed(Currency value, Currency factor);

// value * factor rounded once, from the exact product, to `decimals` places
// (0 to 4), halves away from zero as the suite rounds money (RoundMoney):
// multiplyRounded(0.5, 19.31, 2) is 9.66.
Currency multiplyRounded(Currency value, Currency factor, int decimals);

} // namespace velta::station
