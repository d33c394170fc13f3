#pragma once
// CSV as the DBF tool reads and writes it: comma-separated, fields quoted with
// double quotes when they hold a comma, a quote or a line break.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace velta::csv {

// Parses UTF-8 CSV text (a leading byte order mark is skipped; CRLF or LF
// line ends). Raises velta::EConvertError on an unterminated quoted field.
// Each row carries the line it starts on.
struct Row {
    int line = 0;
    QStringList fields;
};
QVector<Row> parse(const QByteArray& utf8);

// One field, quoted when it needs to be.
QString quote(const QString& field);
// One line of fields, without the line end.
QString joinRow(const QStringList& fields);

} // namespace velta::csv
