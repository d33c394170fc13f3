#pragma once
// How a receipt template writes one value for the format of its tag: numbers
// by width, one-digit precision and alignment, date-times by a picture, texts
// cut or padded to a width. A value that cannot be written raises
// EConvertError; the builder prints "Err!" in its place.
#include "common/DateTime.h"
#include "common/FormatSettings.h"

#include <QString>

namespace velta::receipts {

// The widest field a template may ask for; larger widths are taken as this.
inline constexpr int kMaxReceiptFieldWidth = 1000;

// A number format read as the template language reads it: the digits right
// before the first "." are the width, the one digit after it the precision,
// a last character of " ", "S", "s", "П" or "п" aligns left. Without a "."
// the format is width 10, precision 2, right-aligned.
struct ReceiptNumberLayout {
    int width = 10;     // 0: no padding
    int precision = 2;
    bool alignLeft = false;

    static ReceiptNumberLayout read(const QString& format);
};

// Fixed notation with the layout's decimals and the settings' decimal
// separator, padded to the width and never cut. NaN and infinities raise.
QString FormatReceiptNumber(double value, const QString& format, const TFormatSettings& settings);

// The date-time picture of FormatDateTime; a value outside 01.01.0001 to
// 31.12.9999 (or not a number) raises.
QString FormatReceiptDateTime(TDateTime value, const QString& format, const TFormatSettings& settings);

// A format of decimal digits only is a width: the text is cut to it or padded
// with spaces on the right. Any other format leaves the text as it is.
QString FormatReceiptText(const QString& value, const QString& format);

} // namespace velta::receipts
