#pragma once
// ReportDocument: what a report computes, before it is rendered. A report
// fills one document (title, head lines, then headings, paragraphs and tables
// in order) and the two renderers turn it into the fixed-pitch text and the
// HTML page. Cells hold finished text: numbers are formatted by the report
// with ReportFormats, so both renderings show the same digits.
//
// The document also keeps the report's limits: every table row is admitted
// through admitRow(), which refuses rows once the report passes MaxRows or
// MaxSize and leaves the reason as the document's last paragraph.
#include <QString>
#include <QStringList>
#include <QVector>
#include <deque>
#include <variant>

namespace velta::station {

enum class CellAlign { Left, Right, Center };

struct ReportColumn {
    // A line break in the title splits the heading over several lines.
    QString title;
    CellAlign align = CellAlign::Left;
};

struct ReportTable {
    QVector<ReportColumn> columns;
    QVector<QStringList> rows;
    // Rows under the body, set apart by a rule (text) or in bold (HTML).
    QVector<QStringList> totals;
};

struct ReportHeading {
    QString text;
};

struct ReportParagraph {
    QString text;
};

// A piece of finished HTML (a filled template section). The text rendering
// shows its textFallback instead.
struct ReportHtmlBlock {
    QString html;
    QString textFallback;
};

using ReportBlock = std::variant<ReportHeading, ReportParagraph, ReportTable, ReportHtmlBlock>;

// Which rendering shows a block: both, or only the text or only the HTML one
// (a report whose text and HTML forms are composed differently).
enum class ReportOutput { Both, Text, Html };

struct ReportLimits {
    // cnf.ini [Reports] MaxRows and MaxSize (megabytes) as read; the defaults
    // are those of the settings window.
    int maxRows = 30000;
    int maxSizeMb = 30;
};

class ReportDocument {
public:
    explicit ReportDocument(QString title, ReportLimits limits = {});

    const QString& title() const { return title_; }
    // Lines under the title: station, organisation, period and the like.
    const QStringList& head() const { return head_; }
    void addHeadLine(const QString& line) { head_ << line; }
    // Whether the HTML page starts with the title and the head lines; off
    // when a section of the report prints its own head there.
    bool headInHtml() const { return headInHtml_; }
    void setHeadInHtml(bool shown) { headInHtml_ = shown; }

    void addHeading(const QString& text) { push(ReportHeading{text}); }
    void addParagraph(const QString& text) { push(ReportParagraph{text}); }
    void addHtml(const QString& html, const QString& textFallback) { push(ReportHtmlBlock{html, textFallback}); }
    // Blocks added from now on show in the given renderings only.
    void setOutput(ReportOutput output) { output_ = output; }
    // Whether the block at this index shows in the text (or the HTML) rendering.
    bool inText(std::size_t block) const { return outputs_.at(block) != ReportOutput::Html; }
    bool inHtml(std::size_t block) const { return outputs_.at(block) != ReportOutput::Text; }
    // Starts a table and returns it for filling; the reference stays valid
    // for the document's life (blocks never move).
    ReportTable& addTable(QVector<ReportColumn> columns);

    // Admits one more row of cells into the table being filled: false once
    // the report has passed its limits (the row is then not added and the
    // report should stop fetching). The first refusal leaves its message.
    bool addRow(ReportTable& table, const QStringList& cells);
    bool truncated() const { return truncated_; }

    const std::deque<ReportBlock>& blocks() const { return blocks_; }
    const ReportLimits& limits() const { return limits_; }

private:
    void push(ReportBlock block);

    QString title_;
    QStringList head_;
    std::deque<ReportBlock> blocks_;
    std::deque<ReportOutput> outputs_;
    ReportOutput output_ = ReportOutput::Both;
    bool headInHtml_ = true;
    ReportLimits limits_;
    qint64 rowCount_ = 0;
    qint64 sizeEstimate_ = 0;
    bool truncated_ = false;
};

// The message left when a report stops at its limits.
QString reportLimitMessage(const ReportLimits& limits, bool byRows);
// Whether a report's text carries that message on a line of its own: the
// report stopped before its end (what a client sees of the flag).
bool textStoppedAtLimits(const QString& text);

} // namespace velta::station
