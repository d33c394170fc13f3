#include "plugin/receipts/template/CustomCheckBuilder.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/receipts/template/ReceiptValueFormat.h"

#include <utility>

namespace velta::receipts {

namespace {

const QString kValueError = QStringLiteral("Err!");

// Names compare character by character after case folding, so a position in
// the folded text is the same position in the text.
QString folded(const QString& text)
{
    QString result = text;
    for (QChar& c : result)
        c = c.toCaseFolded();
    return result;
}

bool equalFolded(QStringView text, QStringView foldedName)
{
    if (text.size() != foldedName.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].toCaseFolded() != foldedName[i])
            return false;
    return true;
}

// "<#" + name + ">" or "<#" + name + "(" ... ">": inner is what lies between
// "<#" and ">".
bool isTagOf(QStringView inner, QStringView foldedName)
{
    const qsizetype n = foldedName.size();
    if (inner.size() == n)
        return equalFolded(inner, foldedName);
    return inner.size() > n && inner[n] == QLatin1Char('(') && equalFolded(inner.first(n), foldedName);
}

// The text from the first "(" of the tag to the first ")" after it; the
// default when the tag has no "(" or no ")" after it.
QString formatOf(QStringView inner, const QString& defaultFormat)
{
    const qsizetype open = inner.indexOf(QLatin1Char('('));
    if (open < 0)
        return defaultFormat;
    const qsizetype close = inner.indexOf(QLatin1Char(')'), open + 1);
    if (close < 0)
        return defaultFormat;
    return inner.sliced(open + 1, close - open - 1).toString();
}

// Walks the tags of one stretch of template text: each "<#" and the first ">"
// after it inside the stretch. The ">" found for one "<#" serves every "<#"
// before it, so the walk stays linear.
class TagScanner {
public:
    explicit TagScanner(QStringView text) : text_(text) {}

    // The next "<#" at or after from; false when there is none or it is not
    // closed before the stretch ends (then no later tag is either).
    bool next(qsizetype from, qsizetype& begin, qsizetype& close)
    {
        begin = text_.indexOf(u"<#", from);
        if (begin < 0)
            return false;
        if (close_ < begin + 2) {
            close_ = text_.indexOf(QLatin1Char('>'), begin + 2);
            if (close_ < 0) {
                close_ = text_.size();
                return false;
            }
        }
        if (close_ >= text_.size())
            return false;
        close = close_;
        return true;
    }

private:
    QStringView text_;
    qsizetype close_ = -1;
};

// The stretch without its tags, removed as the first "<#" up to the first ">"
// after it, again and again: a "<" left before a removed tag may open a new
// one with what follows. An unclosed "<#" ends the removal.
QString withoutTags(QStringView text)
{
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const bool opensHere = text[i] == QLatin1Char('<') && i + 1 < text.size() && text[i + 1] == QLatin1Char('#');
        const bool joined = text[i] == QLatin1Char('#') && result.endsWith(QLatin1Char('<'));
        if (!opensHere && !joined) {
            result += text[i++];
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char('>'), i + (opensHere ? 2 : 1));
        if (close < 0)
            break;
        if (!opensHere)
            result.chop(1);
        i = close + 1;
    }
    result += text.sliced(i);
    return result;
}

} // namespace

TCustomCheckBuilder::TCustomCheckBuilder(QString templateText) : text_(std::move(templateText)) {}

void TCustomCheckBuilder::fill(const QString& name, const QString& defaultFormat, const ValueWriter& write)
{
    const QString foldedName = folded(name);
    const QStringView text(text_);
    QString out;
    QList<ValueSpan> spans;
    qsizetype copied = 0; // text_ before this is in out
    bool filled = false;
    auto copyUpTo = [&](qsizetype pos) {
        out += text.sliced(copied, pos - copied);
        copied = pos;
    };

    qsizetype from = 0;
    for (qsizetype k = 0; k <= values_.size(); ++k) {
        // The template text up to the next inserted value.
        const qsizetype end = k < values_.size() ? values_[k].begin : text.size();
        TagScanner scanner(text.first(end));
        qsizetype begin = 0, close = 0;
        while (scanner.next(from, begin, close)) {
            const QStringView inner = text.sliced(begin + 2, close - begin - 2);
            from = begin + 2;
            if (!isTagOf(inner, foldedName))
                continue;
            QString value;
            try {
                value = write(formatOf(inner, defaultFormat));
            } catch (const Exception&) {
                value = kValueError;
            }
            copyUpTo(begin);
            spans.append({out.size(), out.size() + value.size()});
            out += value;
            copied = from = close + 1;
            filled = true;
        }
        if (k < values_.size()) {
            copyUpTo(values_[k].begin);
            const qsizetype at = out.size();
            copyUpTo(values_[k].end);
            spans.append({at, out.size()});
            from = values_[k].end;
        }
    }
    if (!filled)
        return;
    copyUpTo(text.size());
    text_ = std::move(out);
    values_ = std::move(spans);
}

void TCustomCheckBuilder::SetDateTime(const QString& name, const QString& defaultFormat, TDateTime value)
{
    fill(name, defaultFormat, [value](const QString& format) {
        return FormatReceiptDateTime(value, format, globalFormatSettings());
    });
}

void TCustomCheckBuilder::SetFloat(const QString& name, const QString& defaultFormat, double value)
{
    fill(name, defaultFormat, [value](const QString& format) {
        return FormatReceiptNumber(value, format, globalFormatSettings());
    });
}

void TCustomCheckBuilder::SetString(const QString& name, const QString& value, const QString& defaultFormat)
{
    fill(name, defaultFormat, [&value](const QString& format) { return FormatReceiptText(value, format); });
}

QString TCustomCheckBuilder::GetCheckText()
{
    QString result;
    result.reserve(text_.size());
    qsizetype from = 0;
    for (const ValueSpan& value : std::as_const(values_)) {
        result += withoutTags(QStringView(text_).sliced(from, value.begin - from));
        result += QStringView(text_).sliced(value.begin, value.end - value.begin);
        from = value.end;
    }
    result += withoutTags(QStringView(text_).sliced(from));
    return result;
}

} // namespace velta::receipts
