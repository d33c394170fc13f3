#include "plugin/viewer/browser/HtmlFileText.h"

#include "common/Codecs.h"

#include <QRegularExpression>
#include <QStringList>

namespace velta::viewer {

namespace {

// Browsers look for the declaration in the head only; without a body tag the
// first kilobyte is searched, as their pre-scan does.
constexpr qsizetype kPrescanLength = 1024;

bool isCp1251Name(const QString& name)
{
    static const QStringList names = {QStringLiteral("windows-1251"), QStringLiteral("cp1251"),
                                      QStringLiteral("x-cp1251"), QStringLiteral("win-1251")};
    return names.contains(name);
}

bool isUtf8Name(const QString& name)
{
    return name == QLatin1String("utf-8") || name == QLatin1String("utf8");
}

QByteArray toCp1251WithReferences(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(ch, text.at(i + 1).unicode());
            out += "&#" + QByteArray::number(static_cast<uint>(code)) + ';';
            ++i;
            continue;
        }
        const unsigned char byte = codec::unicodeToCp1251(ch);
        if (byte == '?' && ch != u'?')
            out += "&#" + QByteArray::number(static_cast<uint>(ch)) + ';';
        else
            out += static_cast<char>(byte);
    }
    return out;
}

} // namespace

QString declaredHtmlCharset(const QString& html)
{
    static const QRegularExpression bodyTag(QStringLiteral("<body"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:\\-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const qsizetype body = html.indexOf(bodyTag);
    const QString head = body >= 0 ? html.left(body) : html.left(kPrescanLength);
    const QRegularExpressionMatch match = charset.match(head);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

QByteArray encodeHtmlDocument(const QString& html)
{
    const QString charset = declaredHtmlCharset(html);
    if (isCp1251Name(charset))
        return toCp1251WithReferences(html);
    if (isUtf8Name(charset))
        return html.toUtf8();
    return QByteArray("\xEF\xBB\xBF") + html.toUtf8();
}

} // namespace velta::viewer
