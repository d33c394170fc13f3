#pragma once
// Small helpers shared across the plug-in: sums and weights in Russian words,
// exceptions re-raised with context, rounding shortcuts, date formats for query
// text, the location of cnf.ini and text replacement.
#include "common/Exception.h"
#include "common/DateTime.h"
#include "common/FormatSettings.h"
#include "common/Variant.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace velta {

// A sum of money in words: "Один рубль 01 копейка " (the result ends with a
// space), rounded to kopecks as RoundMoney does; 25 asterisks from one
// milliard up.
QString AmountInWords(double value);
// A weight in words with " кг": "одна тыс. пятьсот кг"; 0 gives "ноль".
QString WeightInWords(std::uint32_t kilograms);

// A new exception of E's class: Context + " -> " + E's message, and, when
// addClass is set and no tag is there yet, " <# " + class name + " #>".
std::unique_ptr<Exception> WrapExceptionTagged(const Exception& e, const QString& context, bool addClass);

// Rounding half away from zero to the given decimals, immune to binary
// representation error (2.675 -> 2.68).
double RoundTo(int digits, double value);
double RoundMoney(double value);
double RoundTo3(double value);

// False when the text holds one of " * / : < > ? \ (not allowed in file names).
bool IsValidFileNameText(const QString& text);

// Index (from 0) of the first array element equal to value; otherwise
// defaultIndex, and when that is 0 or more the speaker beeps (300 Hz, 50 ms).
int IndexOfIntInArray(int value, const Variant& array, int defaultIndex);

// The Windows folder with a trailing backslash ("C:\WINDOWS\").
QString WindowsFolder();
// The shared configuration file: the Windows folder + "cnf.ini".
QString CnfIniFileName();
// Reads a value of cnf.ini, stripping enclosing back-quotes.
QString ReadCnfValue(const QString& section, const QString& ident, const QString& defaultValue);

// Date formats for query text: 2026-12-06 14:30:15.123, 2026-12-06.
const TFormatSettings& ToolsFormatSettings();
QString FormatQueryDateTime(bool withMilliseconds, TDateTime value);
QString FormatQueryDate(TDateTime value);

enum ReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
// Replaces the first (or with rfReplaceAll every) occurrence of oldText.
QString ReplaceText(const QString& source, const QString& oldText, const QString& newText, unsigned flags);

} // namespace velta
