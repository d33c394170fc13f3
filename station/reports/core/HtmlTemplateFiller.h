#pragma once
// HtmlTemplateFiller: fills the HTML print form of a report section from its
// tags. A tag is written <#NAME> or, as the template editors save it inside
// the page text, &lt;#NAME&gt;; names match without regard to letter case.
//
// The rows between <#Repeat> and <#EndRepeat> are repeated once per row of
// values, the rows between <#Itog> and <#EndItog> are filled once with the
// totals; a marker standing alone in a table row takes its whole row away.
// <#GROUP> only marks the table and disappears. Every other tag takes its
// value (HTML-escaped) from the row, the totals or the fields; a tag with no
// value prints nothing.
#include <QHash>
#include <QString>
#include <QVector>
#include <optional>

namespace velta::station {

struct TemplateValues {
    // Tags outside the repeated parts, and the fallback inside them.
    QHash<QString, QString> fields;
    // One per pass of <#Repeat>...<#EndRepeat>.
    QVector<QHash<QString, QString>> rows;
    // The pass of <#Itog>...<#EndItog>.
    QHash<QString, QString> totals;

    // Names are kept upper-case, as the filler looks them up.
    static QString key(const QString& name) { return name.toUpper(); }
};

// The filled template.
QString fillHtmlTemplate(const QString& templateText, const TemplateValues& values);

// What lies inside <body> of a page (the whole text when it has no body).
QString htmlBody(const QString& page);

// A template file by its Windows-style or native path: UTF-8 text, or
// Windows-1251 when it is not valid UTF-8. nullopt when there is no such file.
std::optional<QString> readHtmlTemplate(const QString& path);

} // namespace velta::station
