#include "station/reports/core/ReportHtmlRenderer.h"

namespace velta::station {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// Appends text with HTML's special characters escaped and line breaks as <br>.
void appendEscaped(QString& out, const QString& text)
{
    const QStringView view(text);
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        QStringView replacement;
        switch (view[i].unicode()) {
        case u'<':
            replacement = QStringView(u"&lt;");
            break;
        case u'>':
            replacement = QStringView(u"&gt;");
            break;
        case u'&':
            replacement = QStringView(u"&amp;");
            break;
        case u'"':
            replacement = QStringView(u"&quot;");
            break;
        case u'\n':
            replacement = QStringView(u"<br>");
            break;
        default:
            continue;
        }
        out += view.mid(plainFrom, i - plainFrom);
        out += replacement;
        plainFrom = i + 1;
    }
    out += view.mid(plainFrom);
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

QStringView cellOpening(CellAlign align)
{
    switch (align) {
    case CellAlign::Right:
        // Numbers do not break at their digit-group spaces.
        return QStringView(u"<td align=\"right\" nowrap>");
    case CellAlign::Center:
        return QStringView(u"<td align=\"center\">");
    case CellAlign::Left:
        break;
    }
    return QStringView(u"<td>");
}

void appendRowHtml(QString& html, const ReportTable& table, const QStringList& cells, bool bold)
{
    html += QStringView(u"<tr>");
    for (qsizetype c = 0; c < table.columns.size(); ++c) {
        html += cellOpening(table.columns[c].align);
        const QString empty;
        const QString& text = c < cells.size() ? cells[c] : empty;
        if (text.isEmpty())
            html += QStringView(u"&nbsp;");
        else if (bold) {
            html += QStringView(u"<b>");
            appendEscaped(html, text);
            html += QStringView(u"</b>");
        } else
            appendEscaped(html, text);
        html += QStringView(u"</td>");
    }
    html += QStringView(u"</tr>");
    html += kLineEnd;
}

void appendHtmlTable(QString& html, const ReportTable& table)
{
    html += QStringView(u"<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    html += kLineEnd;
    html += QStringLiteral("<thead><tr>");
    for (const ReportColumn& column : table.columns)
        html += QStringLiteral("<th>") + escaped(column.title) + QStringLiteral("</th>");
    html += QStringLiteral("</tr></thead>") + kLineEnd + QStringLiteral("<tbody>") + kLineEnd;
    for (const QStringList& row : table.rows)
        appendRowHtml(html, table, row, false);
    for (const QStringList& row : table.totals)
        appendRowHtml(html, table, row, true);
    html += QStringView(u"</tbody>");
    html += kLineEnd;
    html += QStringView(u"</table>");
    html += kLineEnd;
}

} // namespace

QString renderHtmlTable(const ReportTable& table)
{
    QString html;
    appendHtmlTable(html, table);
    return html;
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
            appendHtmlTable(html, *table);
        else if (const auto* heading = std::get_if<ReportHeading>(&block))
            html += QStringLiteral("<h4>") + escaped(heading->text) + QStringLiteral("</h4>") + kLineEnd;
        else if (const auto* paragraph = std::get_if<ReportParagraph>(&block))
            html += QStringLiteral("<p>") + escaped(paragraph->text) + QStringLiteral("</p>") + kLineEnd;
        else if (const auto* piece = std::get_if<ReportHtmlBlock>(&block))
            html += piece->html + kLineEnd;
    }
    html += QStringView(u"</body>");
    html += kLineEnd;
    html += QStringView(u"</html>");
    html += kLineEnd;
    return html;
}

} // namespace velta::station
