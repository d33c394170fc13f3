#include "plugin/viewer/export/SpreadsheetHtml.h"

#include "common/DateTime.h"

#include <QRegularExpression>
#include <algorithm>

namespace velta::viewer {
namespace {

// The office suite's import applies a number format given by language only
// when the language has it built in: these are the Russian ones. The value
// is written in the English form, which the first language names.
const QString kValueLanguage = QStringLiteral("1033");
const QString kFormatLanguage = QStringLiteral("1049");

// A run of digits that a leading zero does not turn into a code ("007").
bool plainInteger(const QString& digits)
{
    return !digits.isEmpty() && (digits.size() == 1 || digits.front() != u'0');
}

bool spaceLike(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

QString attributes(const QString& value, const QString& format)
{
    const QString numberFormat =
        format.isEmpty() ? kValueLanguage + u';' : kValueLanguage + u';' + kFormatLanguage + u';' + format;
    return QStringLiteral(" sdval=\"%1\" sdnum=\"%2\"").arg(value, numberFormat);
}

// "-1 234,50" in the report's separators: its value "-1234.50" and format.
QString numberAttributes(const QString& text, const SpreadsheetNumberFormat& format)
{
    QString rest = text;
    const bool negative = rest.startsWith(u'-');
    if (negative)
        rest.remove(0, 1);
    QString fraction;
    const qsizetype point = format.decimal.isNull() ? -1 : rest.indexOf(format.decimal);
    if (point >= 0) {
        fraction = rest.mid(point + 1);
        rest.truncate(point);
        if (fraction.isEmpty() || fraction.size() > 6
            || !std::all_of(fraction.begin(), fraction.end(), [](QChar c) { return c.isDigit(); }))
            return {};
    }
    // Digit groups of three after the first, split by the thousands separator
    // (any space when it is a space, as a copy may turn one into another).
    QString digits;
    bool grouped = false;
    int groupLength = 0;
    for (const QChar c : rest) {
        const bool separator = !format.thousands.isNull()
                               && (c == format.thousands || (spaceLike(format.thousands) && spaceLike(c)));
        if (c >= u'0' && c <= u'9') {
            digits += c;
            ++groupLength;
        } else if (separator && groupLength > 0 && (!grouped ? groupLength <= 3 : groupLength == 3)) {
            grouped = true;
            groupLength = 0;
        } else {
            return {};
        }
    }
    if (!plainInteger(digits) || (grouped && groupLength != 3) || digits.size() > 15)
        return {};
    QString value = negative ? QStringLiteral("-") + digits : digits;
    if (!fraction.isEmpty())
        value += u'.' + fraction;
    QString numberFormat;
    if (fraction.isEmpty())
        numberFormat = grouped ? QStringLiteral("# ##0") : QStringLiteral("0");
    else if (fraction.size() == 2)
        numberFormat = grouped ? QStringLiteral("# ##0,00") : QStringLiteral("0,00");
    return attributes(value, numberFormat);
}

// "dd.mm.yyyy", optionally with " h:mm" or " h:mm:ss": its day number.
QString dateAttributes(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(\d{2})\.(\d{2})\.(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    TDateTime day = 0;
    if (!TryEncodeDate(match.captured(3).toInt(), match.captured(2).toInt(), match.captured(1).toInt(), day))
        return {};
    if (!match.hasCaptured(4))
        return attributes(QString::number(static_cast<qint64>(day)), QStringLiteral("DD.MM.YYYY"));
    const int hours = match.captured(4).toInt();
    const int minutes = match.captured(5).toInt();
    const int seconds = match.hasCaptured(6) ? match.captured(6).toInt() : 0;
    if (hours > 23 || minutes > 59 || seconds > 59)
        return {};
    const int secondsOfDay = (hours * 60 + minutes) * 60 + seconds;
    // Every digit of the double, so the day's fraction reads back as the same
    // second instead of a hair before it.
    const QString value = QString::number(static_cast<double>(day) + secondsOfDay / 86400.0, 'g', 17);
    return attributes(value, match.hasCaptured(6) ? QStringLiteral("DD.MM.YYYY HH:MM:SS")
                                                   : QStringLiteral("DD.MM.YYYY HH:MM"));
}

// The text of a cell's markup: tags dropped, character references decoded
// (the few a report or a copy of it writes: named ones of HTML's basics and
// numeric ones).
QString cellText(QStringView markup)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression reference(QStringLiteral("&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);"));
    const QString text = markup.toString().remove(tag);
    QString decoded;
    qsizetype copied = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1);
        char32_t code = 0;
        if (name.startsWith(QStringLiteral("#x")) || name.startsWith(QStringLiteral("#X")))
            code = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(u'#'))
            code = name.mid(1).toUInt();
        else if (name == QStringLiteral("nbsp"))
            code = 0xA0;
        else if (name == QStringLiteral("amp"))
            code = u'&';
        else if (name == QStringLiteral("lt"))
            code = u'<';
        else if (name == QStringLiteral("gt"))
            code = u'>';
        else if (name == QStringLiteral("quot"))
            code = u'"';
        if (code == 0 || code > 0x10FFFF)
            continue;
        decoded += QStringView(text).mid(copied, match.capturedStart() - copied);
        decoded += QString::fromUcs4(&code, 1);
        copied = match.capturedEnd();
    }
    decoded += QStringView(text).mid(copied);
    return decoded;
}

// Where a cell's content ends: the next cell, row or table tag, either way.
qsizetype cellContentEnd(const QString& html, qsizetype from)
{
    static const QRegularExpression boundary(QStringLiteral(R"(<\s*/?\s*(td|th|tr|table|tbody|thead|tfoot)\b)"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = boundary.match(html, from);
    return match.hasMatch() ? match.capturedStart() : html.size();
}

} // namespace

QString SpreadsheetCellAttributes(const QString& cellText, const SpreadsheetNumberFormat& format)
{
    const QString text = cellText.trimmed();
    if (text.isEmpty() || text.size() > 40)
        return {};
    const QString date = dateAttributes(text);
    return date.isEmpty() ? numberAttributes(text, format) : date;
}

QString AddSpreadsheetValues(const QString& html, const SpreadsheetNumberFormat& format)
{
    static const QRegularExpression cellTag(QStringLiteral(R"(<\s*(td|th)(\s[^>]*)?>)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression hasValue(QStringLiteral(R"(\ssdval\s*=)"), QRegularExpression::CaseInsensitiveOption);
    QString result;
    result.reserve(html.size() + html.size() / 8);
    qsizetype copied = 0;
    auto match = cellTag.match(html);
    while (match.hasMatch()) {
        const qsizetype tagEnd = match.capturedEnd();
        const qsizetype contentEnd = cellContentEnd(html, tagEnd);
        if (!hasValue.match(match.captured(2)).hasMatch()) {
            const QString extra =
                SpreadsheetCellAttributes(cellText(QStringView(html).mid(tagEnd, contentEnd - tagEnd)), format);
            if (!extra.isEmpty()) {
                const qsizetype insertAt = tagEnd - 1; // before '>'
                result += QStringView(html).mid(copied, insertAt - copied);
                result += extra;
                copied = insertAt;
            }
        }
        match = cellTag.match(html, contentEnd);
    }
    result += QStringView(html).mid(copied);
    return result;
}

} // namespace velta::viewer
