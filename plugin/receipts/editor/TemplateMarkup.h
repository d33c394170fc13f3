#pragma once
// Where a receipt template's marks lie: the tags ("<#" through the next ">")
// and the bold lines (an "@" that begins a line, through the line's end). The
// editor highlights them and the preview shows bold lines from them; both
// read texts with "\n" or "\r\n" line breaks.
#include <QList>
#include <QString>

namespace velta::receipts {

struct TextSpan {
    qsizetype start = 0;
    qsizetype length = 0;

    qsizetype end() const { return start + length; }
    bool operator==(const TextSpan&) const = default;
};

// Every span from "<#" through the first ">" after it, in text order; a "<#"
// without a later ">" is passed over and the search goes on after it.
QList<TextSpan> TemplateTagSpans(const QString& text);

// Every line whose first character is "@", from the "@" up to the line's end
// (its line break excluded). An "@" inside a line marks nothing, and the lines
// after it are still looked at.
QList<TextSpan> BoldLineSpans(const QString& text);

} // namespace velta::receipts
