#include "station/reports/engine/ReportPlaceholder.h"

#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "common/Hex.h"
#include "common/SysUtils.h"
#include "station/db/FixedPoint.h"

#include <QStringList>
#include <algorithm>

namespace velta::station {
namespace {

const QString kHeadPosition = QStringLiteral("№");
const QString kHeadType = QStringLiteral("Тип");
const QString kHeadValue = QStringLiteral("Значение");

// Control characters would break the fixed-pitch layout.
QString singleLine(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    return out;
}

QStringList wrapped(const QString& text, int width)
{
    QStringList parts;
    for (qsizetype at = 0; at < text.size(); at += width)
        parts << text.mid(at, width);
    if (parts.isEmpty())
        parts << QString();
    return parts;
}

QString padded(const QString& text, qsizetype width)
{
    return text + QString(width - text.size(), QLatin1Char(' '));
}

// Numbers with a decimal point and dates with dots and colons, whatever the
// machine's regional settings.
const TFormatSettings& valueSettings()
{
    static const TFormatSettings settings = [] {
        TFormatSettings s = TFormatSettings::systemDefaults();
        s.DecimalSeparator = u'.';
        s.DateSeparator = u'.';
        s.TimeSeparator = u':';
        return s;
    }();
    return settings;
}

} // namespace

ReportPlaceholder::ReportPlaceholder(int reportNo, const Variant& params)
    : reportNo_(reportNo)
{
    if (params.isArray()) {
        const Variant::Array& elements = params.elements();
        for (int i = 0; i < elements.size(); ++i)
            addRows(elements[i], QString::number(i), 1);
    } else if (!params.isEmpty()) {
        addRows(params, QStringLiteral("-"), 1);
    }
}

void ReportPlaceholder::addRows(const Variant& value, const QString& position, int depth)
{
    if (depth > kMaxVariantNesting)
        throw EVariantError(QStringLiteral("Variant arrays nested deeper than %1 levels").arg(kMaxVariantNesting));
    rows_ << Row{position, Variant::typeName(value.type()), valueText(value)};
    if (!value.isArray())
        return;
    const Variant::Array& elements = value.elements();
    for (int i = 0; i < elements.size(); ++i)
        addRows(elements[i], position + QLatin1Char('.') + QString::number(i), depth + 1);
}

QString ReportPlaceholder::valueText(const Variant& value)
{
    switch (value.type()) {
    case VarType::Empty:
        return QString();
    case VarType::Null:
        return QStringLiteral("Null");
    case VarType::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case VarType::Single:
    case VarType::Double:
        return FloatToStr(value.toDouble(), valueSettings());
    case VarType::Currency:
        return fixedText(value.toCurrency());
    case VarType::Date: {
        const double date = value.toDateTime();
        if (date < kMinDateTime || date > kMaxDateTime)
            return FloatToStr(date, valueSettings());
        return FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn:ss"), date, valueSettings());
    }
    case VarType::String:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    case VarType::Array:
        return QStringLiteral("элементов: %1").arg(value.arrayCount());
    case VarType::ByteArray: {
        const QByteArray bytes = value.toByteArray();
        QString text = QStringLiteral("байт: %1").arg(bytes.size());
        if (!bytes.isEmpty())
            text += QLatin1Char(' ') + QString::fromLatin1(HexEncodeBytes(bytes.left(16)))
                + (bytes.size() > 16 ? QStringLiteral("...") : QString());
        return text;
    }
    default:
        return QString::number(value.toInt64());
    }
}

QString ReportPlaceholder::title() const
{
    return QStringLiteral("ОТЧЕТ №%1").arg(reportNo_);
}

ReportRendering ReportPlaceholder::render() const
{
    return {renderText(), renderHtml()};
}

QString ReportPlaceholder::renderText() const
{
    qsizetype positionWidth = kHeadPosition.size();
    qsizetype typeWidth = kHeadType.size();
    qsizetype valueWidth = kHeadValue.size();
    for (const Row& row : rows_) {
        positionWidth = std::max(positionWidth, row.position.size());
        typeWidth = std::max(typeWidth, row.type.size());
        valueWidth = std::max(valueWidth, std::min<qsizetype>(singleLine(row.value).size(), kMaxValueWidth));
    }
    const QString rule = QLatin1Char('+') + QString(positionWidth + 2, QLatin1Char('-')) + QLatin1Char('+')
        + QString(typeWidth + 2, QLatin1Char('-')) + QLatin1Char('+') + QString(valueWidth + 2, QLatin1Char('-'))
        + QLatin1Char('+');
    const auto line = [&](const QString& position, const QString& type, const QString& value) {
        return QStringLiteral("| ") + padded(position, positionWidth) + QStringLiteral(" | ") + padded(type, typeWidth)
            + QStringLiteral(" | ") + padded(value, valueWidth) + QStringLiteral(" |");
    };

    QStringList lines;
    const QString heading = title();
    lines << QString(std::max<qsizetype>(0, (rule.size() - heading.size()) / 2), QLatin1Char(' ')) + heading;
    lines << QString();
    if (rows_.isEmpty()) {
        lines << QStringLiteral("Отчет получил пустой список параметров.");
        return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    }
    lines << QStringLiteral("Параметры отчета:");
    lines << rule << line(kHeadPosition, kHeadType, kHeadValue) << rule;
    for (const Row& row : rows_) {
        const QStringList parts = wrapped(singleLine(row.value), kMaxValueWidth);
        lines << line(row.position, row.type, parts.first());
        for (qsizetype i = 1; i < parts.size(); ++i)
            lines << line(QString(), QString(), parts[i]);
    }
    lines << rule;
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString ReportPlaceholder::renderHtml() const
{
    const QString heading = title().toHtmlEscaped();
    QString html = QStringLiteral("<html>\r\n<head>\r\n"
                                  "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n"
                                  "<title>%1</title>\r\n</head>\r\n<body>\r\n<h3 align=\"center\">%1</h3>\r\n")
                       .arg(heading);
    if (rows_.isEmpty()) {
        html += QStringLiteral("<p>Отчет получил пустой список параметров.</p>\r\n");
    } else {
        html += QStringLiteral("<p>Параметры отчета:</p>\r\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\r\n");
        html += QStringLiteral("<tr><th>%1</th><th>%2</th><th>%3</th></tr>\r\n").arg(kHeadPosition, kHeadType, kHeadValue);
        for (const Row& row : rows_) {
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\r\n")
                        .arg(row.position.toHtmlEscaped(), row.type.toHtmlEscaped(), row.value.toHtmlEscaped());
        }
        html += QStringLiteral("</table>\r\n");
    }
    html += QStringLiteral("</body>\r\n</html>\r\n");
    return html;
}

} // namespace velta::station
