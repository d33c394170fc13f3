#include "plugin/receipts/editor/TemplateHighlighter.h"

#include <QColor>
#include <QTextDocument>
#include <QVector>
#include <algorithm>

namespace velta::receipts {

namespace {

enum Mark : unsigned char { Plain = 0, Tag = 1, BoldLine = 2 };

bool crossesLines(const QString& text, const QList<TextSpan>& spans)
{
    return std::any_of(spans.begin(), spans.end(), [&](const TextSpan& span) {
        return text.mid(span.start, span.length).contains(QLatin1Char('\n'));
    });
}

// Sets `mark` on the part of each span that falls in [from, from + marks.size()).
void markSpans(QVector<unsigned char>& marks, qsizetype from, const QList<TextSpan>& spans, Mark mark)
{
    const qsizetype to = from + marks.size();
    for (const TextSpan& span : spans) {
        const qsizetype start = std::max(span.start, from);
        const qsizetype end = std::min(span.end(), to);
        for (qsizetype i = start; i < end; ++i)
            marks[i - from] |= mark;
    }
}

QTextCharFormat formatOf(unsigned char mark)
{
    QTextCharFormat format;
    format.setForeground(mark & Tag ? QColor(Qt::blue) : QColor(Qt::black));
    format.setFontWeight(mark ? QFont::Bold : QFont::Normal);
    if (mark & BoldLine)
        format.setFontPointSize(TemplateHighlighter::kBoldLinePointSize);
    return format;
}

} // namespace

TemplateHighlighter::TemplateHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document)
{
    // contentsChanged comes after contentsChange, on which the base class
    // redoes the lines of the edit.
    connect(document, &QTextDocument::contentsChanged, this, &TemplateHighlighter::afterChange);
}

void TemplateHighlighter::refreshSpans()
{
    const QString text = document()->toPlainText();
    if (text == spannedText_)
        return;
    spannedText_ = text;
    tags_ = TemplateTagSpans(spannedText_);
    boldLines_ = BoldLineSpans(spannedText_);
}

void TemplateHighlighter::highlightBlock(const QString& text)
{
    refreshSpans();
    const qsizetype from = currentBlock().position();
    QVector<unsigned char> marks(text.size(), Plain);
    markSpans(marks, from, tags_, Tag);
    markSpans(marks, from, boldLines_, BoldLine);
    qsizetype runStart = 0;
    for (qsizetype i = 1; i <= marks.size(); ++i) {
        if (i == marks.size() || marks[i] != marks[runStart]) {
            setFormat(static_cast<int>(runStart), static_cast<int>(i - runStart), formatOf(marks[runStart]));
            runStart = i;
        }
    }
}

void TemplateHighlighter::afterChange()
{
    if (rehighlighting_)
        return;
    refreshSpans();
    const bool crossed = crossesLines(spannedText_, tags_);
    if (crossed || tagsCrossedLines_) {
        rehighlighting_ = true;
        rehighlight();
        rehighlighting_ = false;
    }
    tagsCrossedLines_ = crossed;
}

} // namespace velta::receipts
