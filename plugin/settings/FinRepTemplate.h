#pragma once
// The financial report template's table layout, without widgets: which payment
// types get columns (in which order, under which heading, with which measures)
// and which total columns appear; the descriptor comment that keeps the layout
// at the end of the template; the table of tags the report engine fills; and
// reading and rewriting a template file. The editor window and the report
// engine share this unit.
#include <QList>
#include <QString>

namespace velta::settings {

// One payment type's column group.
struct FinRepColumn {
    int orderNum = 0;    // ORDERNUM
    bool enabled = false;
    QString columnName;  // the group's heading, put into the HTML as written
    int vidOpl = 0;      // payment type code
    bool visVolume = false;
    bool visMassa = false;
    bool visSumma = false;
    int measures() const { return int(visVolume) + int(visMassa) + int(visSumma); }
};

// The total columns: the switch, the three groups and the three measures.
// The defaults are those of a template without a descriptor.
struct FinRepTotals {
    bool showItog = true;
    bool nal = true;
    bool bn = true;
    bool all = true;
    bool volume = true;
    bool massa = false;
    bool summa = true;
};

struct FinRepLayout {
    QList<FinRepColumn> columns; // in ORDERNUM order when built by the functions below
    FinRepTotals totals;
};

// A payment type of the host: its name and code.
struct FinRepPayType {
    QString name;
    int code = 0;
};

inline constexpr char16_t kDescriptorStart[] = u"<!--VELTATABLEDESC=";
inline constexpr char16_t kDescriptorEnd[] = u"-->";

// The base payment type's name of a code: code mod 100 indexes the fixed list
// (ampersands removed); above 13 "Не известный".
QString BaseVidOplName(int code);

// The decoded descriptor body: "name=value" lines, each ending in CR LF.
QString DescriptorBody(const FinRepLayout& layout);
// The whole comment: start mark, the body in hexadecimal, end mark.
QString DescriptorComment(const FinRepLayout& layout);

// What a template's text says about its layout. Without a descriptor (or with
// one whose body does not decode) no columns are read; `described` tells
// whether the marks were there, in which case the totals come from the
// descriptor (a missing value is off). The count of columns read is bounded
// by the body's number of lines.
struct DescriptorContent {
    bool described = false;
    QList<FinRepColumn> columns;
    FinRepTotals totals;
    int largestOrderNum = 0;
};
DescriptorContent ReadDescriptor(const QString& templateText);

// The layout the editor starts from: the descriptor's columns, then a column
// for every payment type no column holds yet (enabled only when the
// descriptor gave none), ordered by ORDERNUM.
FinRepLayout LayoutForTemplate(const QString& templateText, const QList<FinRepPayType>& payTypes);

// The table of tags for the layout, lines joined and ended by CR LF.
QString GenerateFinRepTable(const FinRepLayout& layout);

// The template text saved with the layout: trimmed, its first descriptor
// removed, the new descriptor appended as the last line, and the table after
// the "&lt;#GROUP&gt;" mark replaced by the generated one (a template without
// the mark keeps its table).
QString TemplateWithLayout(const QString& templateText, const FinRepLayout& layout);

// The text of a template file (cp1251). Raises EInOutError when unreadable.
QString ReadTemplateFile(const QString& nativePath);
// Writes the template with the layout: the new text goes into a file beside
// it, which replaces the template only once written whole, lines ending in
// CR LF. Raises EInOutError when it cannot, the template left as it was.
void SaveTemplateLayout(const QString& nativePath, const FinRepLayout& layout);

} // namespace velta::settings
