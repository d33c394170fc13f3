#include "tools/velta-dbf/Csv.h"

#include "common/Exception.h"

namespace velta::csv {

QVector<Row> parse(const QByteArray& utf8)
{
    QString text = QString::fromUtf8(utf8);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QVector<Row> rows;
    Row row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    row.line = 1;
    auto endField = [&] {
        row.fields.append(field);
        field.clear();
        fieldStarted = false;
    };
    auto endRow = [&] {
        endField();
        // A line with nothing on it is no row.
        if (!(row.fields.size() == 1 && row.fields.front().isEmpty()))
            rows.append(row);
        row = Row();
        row.line = line;
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
            continue;
        } else if (c == u'\n') {
            ++line;
            endRow();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        throw EConvertError(QStringLiteral("line %1: a quoted field is not closed").arg(row.line));
    if (fieldStarted || !row.fields.isEmpty())
        endRow();
    return rows;
}

QString quote(const QString& field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n') && !field.contains(u'\r'))
        return field;
    QString out = field;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QString joinRow(const QStringList& fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        line += quote(fields[i]);
    }
    return line;
}

} // namespace velta::csv
