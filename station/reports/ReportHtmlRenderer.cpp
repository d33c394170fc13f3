#include "station/reports/ReportHtmlRenderer.h"

namespace velta::station {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");

QString escaped(const QString& text)
{
    QString out = text.toHtmlEscaped();
    out.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return out;
}

QString alignAttribute(CellAlign align)
{
    switch (align) {
    case CellAlign::Right:
        return QStringLiteral(" align=\"right\" nowrap");
    case CellAlign::Center:
        return QStringLiteral(" align=\"center\"");
    case CellAlign::Left:
        break;
    }
    return QString();
}

QString rowHtml(const ReportTable& table, const QStringList& cells, bool bold)
{
    QString html = QStringLiteral("<tr>");
    for (qsizetype c = 0; c < table.columns.size(); ++c) {
        QString text = c < cells.size() ? escaped(cells[c]) : QString();
        if (text.isEmpty())
            text = QStringLiteral("&nbsp;");
        else if (bold)
            text = QStringLiteral("<b>") + text + QStringLiteral("</b>");
        html += QStringLiteral("<td") + alignAttribute(table.columns[c].align) + QLatin1Char('>') + text
            + QStringLiteral("</td>");
    }
    return html + QStringLiteral("</tr>") + kLineEnd;
}

} // namespace

QString renderHtmlTable(const ReportTable& table)
{
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">") + kLineEnd;
    html += QStringLiteral("<thead><tr>");
    for (const ReportColumn& column : table.columns)
        html += QStringLiteral("<th>") + escaped(column.title) + QStringLiteral("</th>");
    html += QStringLiteral("</tr></thead>") + kLineEnd + QStringLiteral("<tbody>") + kLineEnd;
    for (const QStringList& row : table.rows)
        html += rowHtml(table, row, false);
    for (const QStringList& row : table.totals)
        html += rowHtml(table, row, true);
    return html + QStringLiteral("</tbody>") + kLineEnd + QStringLiteral("</table>") + kLineEnd;
}

QString renderReportHtml(const ReportDocument& document, const HtmlRenderOptions& options)
{
    const QString title = escaped(document.title());
    QString html = QStringLiteral("<html>") + kLineEnd + QStringLiteral("<head>") + kLineEnd
        + QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">") + kLineEnd
        + QStringLiteral("<title>") + title + QStringLiteral("</title>") + kLineEnd
        + QStringLiteral("<style>body { font-family: Arial, sans-serif; font-size: 10pt; } "
                         "table { border-collapse: collapse; margin-bottom: 8pt; } "
                         "th { background: #e0e0e0; } thead { display: ")
        + (options.repeatHead ? QStringLiteral("table-header-group") : QStringLiteral("table-row-group"))
        + QStringLiteral("; }</style>") + kLineEnd + QStringLiteral("</head>") + kLineEnd + QStringLiteral("<body>")
        + kLineEnd;
    if (document.headInHtml())
        html += QStringLiteral("<h3 align=\"center\">") + title + QStringLiteral("</h3>") + kLineEnd;
    if (document.headInHtml() && !document.head().isEmpty()) {
        QStringList lines;
        for (const QString& line : document.head())
            lines << escaped(line);
        html += QStringLiteral("<p>") + lines.join(QStringLiteral("<br>") + kLineEnd) + QStringLiteral("</p>") + kLineEnd;
    }
    for (std::size_t i = 0; i < document.blocks().size(); ++i) {
        if (!document.inHtml(i))
            continue;
        const ReportBlock& block = document.blocks()[i];
        if (const auto* table = std::get_if<ReportTable>(&block))
            html += renderHtmlTable(*table);
        else if (const auto* heading = std::get_if<ReportHeading>(&block))
            html += QStringLiteral("<h4>") + escaped(heading->text) + QStringLiteral("</h4>") + kLineEnd;
        else if (const auto* paragraph = std::get_if<ReportParagraph>(&block))
            html += QStringLiteral("<p>") + escaped(paragraph->text) + QStringLiteral("</p>") + kLineEnd;
        else if (const auto* piece = std::get_if<ReportHtmlBlock>(&block))
            html += piece->html + kLineEnd;
    }
    return html + QStringLiteral("</body>") + kLineEnd + QStringLiteral("</html>") + kLineEnd;
}

} // namespace velta::station
