#pragma once
// The template editor's highlighting: tags blue and bold, bold lines bold at
// 14 points, everything else black and regular at the text's own size. The
// marks live in the text's layout, not in the text: the undo history, the
// caret and the selection are never touched, and a line is redrawn only when
// its marks changed.
#include "plugin/receipts/editor/TemplateMarkup.h"

#include <QSyntaxHighlighter>

namespace velta::receipts {

class TemplateHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    static constexpr int kBoldLinePointSize = 14;

    explicit TemplateHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    // The marks of the whole text, worked out again when the text changed.
    void refreshSpans();
    // After an edit: a tag running over several lines (now or before the
    // edit) may change lines the edit did not touch, so every line is redone.
    void afterChange();

    QString spannedText_;
    QList<TextSpan> tags_;
    QList<TextSpan> boldLines_;
    bool tagsCrossedLines_ = false;
    bool rehighlighting_ = false;
};

} // namespace velta::receipts
