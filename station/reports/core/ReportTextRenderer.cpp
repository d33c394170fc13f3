#include "station/reports/core/ReportTextRenderer.h"

#include <algorithm>

namespace velta::station {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");

bool inDosCyrillic(char16_t c)
{
    if (c >= 0x20 && c < 0x7F)
        return true;
    if ((c >= 0x0410 && c <= 0x044F) || c == 0x0401 || c == 0x0451)
        return true;
    switch (c) {
    case 0x00A0: // no-break space
    case 0x00B0: // degree sign
    case 0x00B7: // middle dot
    case 0x2116: // numero sign
    case 0x00A4: // currency sign
    case 0x0404: case 0x0454: case 0x0407: case 0x0457: case 0x040E: case 0x045E:
        return true;
    default:
        return false;
    }
}

QStringList cellLines(const QString& text)
{
    return text.split(QLatin1Char('\n'));
}

// Replaces in place each character a DOS Cyrillic code page lacks with "?";
// a text that has none stays shared.
void makeDosCyrillicSafe(QString& text)
{
    const auto unsafe = [](QChar c) {
        return !inDosCyrillic(c.unicode()) && c != QLatin1Char('\r') && c != QLatin1Char('\n');
    };
    const auto first = std::find_if(text.cbegin(), text.cend(), unsafe);
    if (first == text.cend())
        return;
    const qsizetype from = first - text.cbegin();
    QChar* data = text.data();
    for (qsizetype i = from; i < text.size(); ++i) {
        if (unsafe(data[i]))
            data[i] = QLatin1Char('?');
    }
}

} // namespace

QString dosCyrillicSafe(const QString& text)
{
    QString out = text;
    makeDosCyrillicSafe(out);
    return out;
}

QStringList renderTextTable(const ReportTable& table)
{
    const qsizetype columns = table.columns.size();
    QVector<qsizetype> widths(columns, 0);
    int headLines = 1;
    for (qsizetype c = 0; c < columns; ++c) {
        const QStringList title = cellLines(table.columns[c].title);
        headLines = std::max<int>(headLines, int(title.size()));
        for (const QString& line : title)
            widths[c] = std::max(widths[c], line.size());
    }
    for (const auto* rows : {&table.rows, &table.totals}) {
        for (const QStringList& row : *rows) {
            for (qsizetype c = 0; c < std::min(columns, row.size()); ++c)
                widths[c] = std::max(widths[c], row[c].size());
        }
    }

    QString rule = QStringLiteral("+");
    for (qsizetype c = 0; c < columns; ++c)
        rule += QString(widths[c] + 2, QLatin1Char('-')) + QLatin1Char('+');

    // One line: each cell padded to its column's width (which holds every
    // cell), line breaks and tabs in a cell shown as spaces.
    const auto line = [&](const auto& cellText, bool heading) {
        QString out(rule.size(), QLatin1Char(' '));
        QChar* to = out.data();
        qsizetype at = 0;
        to[at] = QLatin1Char('|');
        for (qsizetype c = 0; c < columns; ++c) {
            const QString text = cellText(c);
            const qsizetype shown = std::min(text.size(), widths[c]);
            const qsizetype gap = widths[c] - shown;
            const CellAlign align = heading ? CellAlign::Center : table.columns[c].align;
            QChar* cell = to + at + 2 + (align == CellAlign::Right ? gap : align == CellAlign::Center ? gap / 2 : 0);
            for (qsizetype i = 0; i < shown; ++i) {
                const QChar ch = text[i];
                cell[i] = ch == QLatin1Char('\n') || ch == QLatin1Char('\r') || ch == QLatin1Char('\t') ? QLatin1Char(' ') : ch;
            }
            at += widths[c] + 3;
            to[at] = QLatin1Char('|');
        }
        return out;
    };
    const auto cellOf = [](const QStringList& row, qsizetype c) { return c < row.size() ? row[c] : QString(); };

    QStringList lines;
    lines.reserve(table.rows.size() + table.totals.size() + headLines + 4);
    lines << rule;
    for (int l = 0; l < headLines; ++l) {
        lines << line(
            [&](qsizetype c) {
                const QStringList title = cellLines(table.columns[c].title);
                return l < title.size() ? title[l] : QString();
            },
            true);
    }
    lines << rule;
    for (const QStringList& row : table.rows)
        lines << line([&](qsizetype c) { return cellOf(row, c); }, false);
    if (!table.totals.isEmpty()) {
        if (!table.rows.isEmpty())
            lines << rule;
        for (const QStringList& row : table.totals)
            lines << line([&](qsizetype c) { return cellOf(row, c); }, false);
    }
    lines << rule;
    return lines;
}

QString renderReportText(const ReportDocument& document)
{
    QStringList body;
    for (std::size_t i = 0; i < document.blocks().size(); ++i) {
        if (!document.inText(i))
            continue;
        const ReportBlock& block = document.blocks()[i];
        if (const auto* table = std::get_if<ReportTable>(&block)) {
            body << renderTextTable(*table);
        } else if (const auto* heading = std::get_if<ReportHeading>(&block)) {
            if (!body.isEmpty())
                body << QString();
            body << heading->text;
        } else if (const auto* paragraph = std::get_if<ReportParagraph>(&block)) {
            body << paragraph->text.split(QLatin1Char('\n'));
        } else if (const auto* html = std::get_if<ReportHtmlBlock>(&block)) {
            body << html->textFallback.split(QLatin1Char('\n'));
        }
    }
    qsizetype width = 0;
    for (const QString& line : body)
        width = std::max(width, line.size());

    QStringList lines;
    const QString& title = document.title();
    lines << QString(std::max<qsizetype>(0, (width - title.size()) / 2), QLatin1Char(' ')) + title;
    lines << QString();
    if (!document.head().isEmpty()) {
        lines << document.head();
        lines << QString();
    }
    lines << body;
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    lines << QString(); // the last line ends too
    QString text = lines.join(kLineEnd);
    makeDosCyrillicSafe(text);
    return text;
}

} // namespace velta::station
