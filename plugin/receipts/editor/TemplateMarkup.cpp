#include "plugin/receipts/editor/TemplateMarkup.h"

namespace velta::receipts {

namespace {

const QString kTagOpen = QStringLiteral("<#");

// The end of the line that starts at `from`: the position of its line break
// ("\r\n" or "\n"), or the text's length.
qsizetype lineEnd(const QString& text, qsizetype from)
{
    qsizetype end = text.indexOf(QLatin1Char('\n'), from);
    if (end < 0)
        end = text.size();
    if (end > from && text.at(end - 1) == QLatin1Char('\r'))
        --end;
    return end;
}

} // namespace

QList<TextSpan> TemplateTagSpans(const QString& text)
{
    QList<TextSpan> spans;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = text.indexOf(kTagOpen, from);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char('>'), open + kTagOpen.size());
        if (close < 0) {
            from = open + kTagOpen.size();
            continue;
        }
        spans.append({open, close - open + 1});
        from = close + 1;
    }
    return spans;
}

QList<TextSpan> BoldLineSpans(const QString& text)
{
    QList<TextSpan> spans;
    qsizetype lineStart = 0;
    while (lineStart < text.size()) {
        const qsizetype end = lineEnd(text, lineStart);
        if (text.at(lineStart) == QLatin1Char('@'))
            spans.append({lineStart, end - lineStart});
        const qsizetype lineFeed = text.indexOf(QLatin1Char('\n'), lineStart);
        if (lineFeed < 0)
            break;
        lineStart = lineFeed + 1;
    }
    return spans;
}

} // namespace velta::receipts
