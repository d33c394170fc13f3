#include "station/reports/core/HtmlTemplateFiller.h"

#include "common/Codecs.h"
#include "plugin/platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace velta::station {
namespace {

const QRegularExpression& tagPattern()
{
    static const QRegularExpression pattern(QStringLiteral("(?:&lt;|<)#([A-Za-z0-9_]+)(?:&gt;|>)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

struct Span {
    qsizetype begin = -1;
    qsizetype end = -1;
};

// The first tag of this name at or after from.
Span findTag(const QString& text, const QString& name, qsizetype from)
{
    QRegularExpressionMatchIterator it = tagPattern().globalMatch(text, from);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1).compare(name, Qt::CaseInsensitive) == 0)
            return {match.capturedStart(), match.capturedEnd()};
    }
    return {};
}

// A "<tr" that opens a table row (not "<track").
qsizetype lastRowOpen(const QString& text, qsizetype before)
{
    qsizetype at = before;
    while (at > 0) {
        at = text.lastIndexOf(QLatin1String("<tr"), at - 1, Qt::CaseInsensitive);
        if (at < 0)
            return -1;
        const qsizetype next = at + 3;
        if (next < text.size() && (text[next] == QLatin1Char('>') || text[next].isSpace()))
            return at;
    }
    return -1;
}

// A marker alone in its table row takes the row; elsewhere only itself.
Span markerExtent(const QString& text, Span tag)
{
    const qsizetype open = lastRowOpen(text, tag.begin);
    const qsizetype lastClose = text.lastIndexOf(QLatin1String("</tr>"), tag.begin, Qt::CaseInsensitive);
    if (open < 0 || lastClose > open)
        return tag;
    const qsizetype close = text.indexOf(QLatin1String("</tr>"), tag.end, Qt::CaseInsensitive);
    if (close < 0)
        return tag;
    // Another tag in the same row means the row is not the marker's alone.
    int tags = 0;
    QRegularExpressionMatchIterator it = tagPattern().globalMatch(text.mid(open, close - open));
    for (; it.hasNext(); it.next())
        ++tags;
    if (tags > 1)
        return tag;
    return {open, close + 5};
}

// A value as the page shows it: escaped, and a number kept on one line
// (its digit groups are separated by spaces).
QString htmlValue(const QString& value)
{
    static const QRegularExpression number(QStringLiteral("^[-+]?\\d{1,3}([ \\x{00A0}]\\d{3})+([.,]\\d+)?$"));
    QString out = value.toHtmlEscaped();
    if (number.match(value).hasMatch())
        out.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
    return out;
}

QString substitute(const QString& text, const QHash<QString, QString>& first, const QHash<QString, QString>& fallback)
{
    QString out;
    qsizetype done = 0;
    QRegularExpressionMatchIterator it = tagPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        out += QStringView(text).mid(done, match.capturedStart() - done);
        const QString key = TemplateValues::key(match.captured(1));
        const auto found = first.constFind(key);
        out += htmlValue(found != first.constEnd() ? *found : fallback.value(key));
        done = match.capturedEnd();
    }
    out += QStringView(text).mid(done);
    return out;
}

// Replaces every Open...Close part by what fill makes of its inner text.
template <typename Fill>
QString expandParts(QString text, const QString& open, const QString& close, Fill fill)
{
    qsizetype from = 0;
    for (;;) {
        const Span openTag = findTag(text, open, from);
        if (openTag.begin < 0)
            return text;
        const Span closeTag = findTag(text, close, openTag.end);
        if (closeTag.begin < 0)
            return text; // an unclosed part stays; its marker prints nothing later
        const Span outer = markerExtent(text, openTag);
        const Span inner = markerExtent(text, closeTag);
        const QString body = text.mid(outer.end, inner.begin - outer.end);
        const QString filled = fill(body);
        text.replace(outer.begin, inner.end - outer.begin, filled);
        from = outer.begin + filled.size();
    }
}

} // namespace

QString fillHtmlTemplate(const QString& templateText, const TemplateValues& values)
{
    QString text = expandParts(templateText, QStringLiteral("Repeat"), QStringLiteral("EndRepeat"), [&](const QString& body) {
        QString out;
        for (const auto& row : values.rows)
            out += substitute(body, row, values.fields);
        return out;
    });
    text = expandParts(text, QStringLiteral("Itog"), QStringLiteral("EndItog"),
                       [&](const QString& body) { return substitute(body, values.totals, values.fields); });
    return substitute(text, {}, values.fields);
}

QString htmlBody(const QString& page)
{
    static const QRegularExpression open(QStringLiteral("<body[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = open.match(page);
    if (!match.hasMatch())
        return page;
    const qsizetype begin = match.capturedEnd();
    qsizetype end = page.indexOf(QLatin1String("</body>"), begin, Qt::CaseInsensitive);
    if (end < 0)
        end = page.size();
    return page.mid(begin, end - begin).trimmed();
}

std::optional<QString> readHtmlTemplate(const QString& path)
{
    const QString native = Paths::toNative(path);
    QFile file(native);
    if (path.isEmpty() || !QFileInfo(native).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = codec::fromCp1251(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace velta::station
