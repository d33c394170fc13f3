#pragma once
// The report's HTML as a spreadsheet program should read it: every table cell
// whose whole text is a number written in the report's own separators, or a
// date, gets its value and number format in the cell attributes the office
// suite's HTML import reads (sdval, sdnum), so amounts arrive as numbers and
// dates as dates instead of text. Everything else is left as it is.
#include <QChar>
#include <QString>

namespace velta::viewer {

// The separators the report's numbers are written with.
struct SpreadsheetNumberFormat {
    QChar decimal = QLatin1Char(',');
    QChar thousands = QChar(0x00A0);
};

// The value attributes of one cell's text (" sdval=... sdnum=..."), empty
// when the text is neither a number nor a date.
QString SpreadsheetCellAttributes(const QString& cellText, const SpreadsheetNumberFormat& format);

// The document with the value attributes added to its number and date cells;
// cells that already carry sdval are kept.
QString AddSpreadsheetValues(const QString& html, const SpreadsheetNumberFormat& format);

} // namespace velta::viewer
