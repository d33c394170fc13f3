#include "station/reports/notes/NoteFormBlocks.h"

#include "plugin/foundation/text/Tools.h"
#include "station/reports/core/ReportLookups.h"

#include <algorithm>

namespace velta::station {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kSignatureBlank = QString(16, QLatin1Char('_'));

QString htmlText(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("&nbsp;");
    QString html = text.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return html;
}

} // namespace

void addFieldTable(ReportDocument& document, const QVector<NoteField>& fields)
{
    if (fields.isEmpty())
        return;
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">") + kLineEnd;
    qsizetype labelWidth = 0;
    for (const NoteField& field : fields)
        labelWidth = std::max(labelWidth, field.label.size());
    QStringList text;
    for (const NoteField& field : fields) {
        html += QStringLiteral("<tr><td width=\"30%\">%1</td><td>%2</td></tr>").arg(htmlText(field.label), htmlText(field.value))
            + kLineEnd;
        text << (field.label.leftJustified(labelWidth) + QStringLiteral(" : ") + field.value).trimmed();
    }
    html += QStringLiteral("</table>");
    document.addHtml(html, text.join(QLatin1Char('\n')));
}

void addNoteVariables(ReportDocument& document, const QVector<NoteVariable>& variables)
{
    if (variables.isEmpty())
        return;
    document.addHeading(QStringLiteral("Дополнительные сведения"));
    QVector<NoteField> fields;
    for (const NoteVariable& v : variables)
        fields << NoteField{v.name, v.value};
    addFieldTable(document, fields);
}

QString signatureLine(const QString& post, const QString& name)
{
    QStringList parts;
    if (!post.isEmpty())
        parts << post;
    parts << kSignatureBlank;
    if (!name.isEmpty())
        parts << name;
    return parts.join(QLatin1Char(' '));
}

void addHtmlPageBreak(ReportDocument& document)
{
    document.setOutput(ReportOutput::Html);
    document.addHtml(QStringLiteral("<div style=\"%1\"></div>").arg(QLatin1String(kPageBreakStyle)), QString());
    document.setOutput(ReportOutput::Both);
}

void addColumnNumbers(ReportDocument& document, ReportTable& table)
{
    QStringList numbers;
    for (qsizetype c = 1; c <= table.columns.size(); ++c)
        numbers << QString::number(c);
    document.addRow(table, numbers);
}

QString tonnes(const ReportFormats& f, std::int64_t scaled)
{
    return f.fixed(units(scaled), 3);
}

QString money(const ReportFormats& f, std::int64_t scaled)
{
    return f.money(units(scaled));
}

QString moneyOrBlank(const ReportFormats& f, std::int64_t scaled)
{
    return scaled == 0 ? QString() : money(f, scaled);
}

QString decimalOrBlank(const ReportFormats& f, std::int64_t scaled, int decimals)
{
    return scaled == 0 ? QString() : f.fixed(units(scaled), decimals);
}

QString vatRate(const ReportFormats& f, std::int64_t scaled)
{
    return f.fixed(units(scaled), scaled % 10000 == 0 ? 0 : 1) + QLatin1Char('%');
}

QString amountInWords(const QString& stored, std::int64_t scaled)
{
    if (!stored.isEmpty())
        return stored;
    return scaled > 0 ? AmountInWords(units(scaled)).trimmed() : QString();
}

QString weightInWords(const QString& stored, std::int64_t scaledTonnes)
{
    if (!stored.isEmpty())
        return stored;
    // Tonnes with four decimals to whole kilograms, halves up.
    const std::int64_t kilograms = (scaledTonnes * 1000 + 5000) / 10000;
    return kilograms > 0 ? WeightInWords(std::uint32_t(kilograms)) : QString();
}

} // namespace velta::station
