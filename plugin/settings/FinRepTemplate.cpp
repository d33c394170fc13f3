#include "plugin/settings/FinRepTemplate.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "common/Hex.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/FileIO.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velta::settings {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kGrey = QStringLiteral(" bgcolor=\"#c0c0c0\"");

// The lines of a text as a string list takes them: CR, LF or CR LF end a
// line; a break at the very end adds no empty line.
QStringList textLines(const QString& text)
{
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines << line;
            line.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// "name=value" lines looked up by name as a string list does: the first
// line of that name, names compared without regard to case.
class NameValues {
public:
    explicit NameValues(const QStringList& lines)
    {
        for (const QString& line : lines) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq < 0)
                continue;
            const QString name = line.left(eq).toUpper();
            if (!values_.contains(name))
                values_.insert(name, line.mid(eq + 1));
        }
    }
    QString value(const QString& name) const { return values_.value(name.toUpper()); }
    int integer(const QString& name, int fallback) const
    {
        bool ok = false;
        const int number = value(name).trimmed().toInt(&ok);
        return ok ? number : fallback;
    }
    bool flag(const QString& name) const { return value(name) == QStringLiteral("1"); }

private:
    QHash<QString, QString> values_;
};

QString flagText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// Upper case letter by letter, so that positions in the copy are those of the text.
QString upperSameLength(const QString& text)
{
    QString upper = text;
    for (QChar& c : upper)
        c = c.toUpper();
    return upper;
}

// The totals' cells in group order (cash, non-cash, all), each group's
// measures in the order volume, mass, sum; empty when no totals are shown.
struct TotalCell {
    QString tag;
    QString heading;
};
QList<TotalCell> totalCells(const FinRepTotals& t)
{
    QList<TotalCell> cells;
    if (!t.showItog)
        return cells;
    const struct {
        bool shown;
        char group;
    } groups[] = {{t.nal, 'N'}, {t.bn, 'B'}, {t.all, 'A'}};
    for (const auto& group : groups) {
        if (!group.shown)
            continue;
        const QString prefix = QString(QLatin1Char(group.group));
        if (t.volume)
            cells.append({QStringLiteral("&lt;#%1L&gt;").arg(prefix), QStringLiteral("Кол-во, л")});
        if (t.massa)
            cells.append({QStringLiteral("&lt;#%1K&gt;").arg(prefix), QStringLiteral("Масса, кг")});
        if (t.summa)
            cells.append({QStringLiteral("&lt;#%1S&gt;").arg(prefix), QStringLiteral("Сумма, &lt;#valuta&gt;")});
    }
    return cells;
}

struct MeasureCell {
    QString tag;
    QString heading;
};
QList<MeasureCell> columnCells(const FinRepColumn& column)
{
    QList<MeasureCell> cells;
    if (column.visVolume)
        cells.append({QStringLiteral("&lt;#L%1&gt;").arg(column.vidOpl), QStringLiteral("Кол-во, л")});
    if (column.visMassa)
        cells.append({QStringLiteral("&lt;#K%1&gt;").arg(column.vidOpl), QStringLiteral("Масса, кг")});
    if (column.visSumma)
        cells.append({QStringLiteral("&lt;#S%1&gt;").arg(column.vidOpl), QStringLiteral("Сумма, &lt;#valuta&gt;")});
    return cells;
}

// A data cell: the opening tag line and the content line.
void dataCell(QStringList& lines, const QString& content, int width, bool grey)
{
    const QString widthAttribute =
        width > 0 ? QStringLiteral(" width=\"%1%\" ").arg(width) : QStringLiteral(" ");
    lines << QStringLiteral("<td ") + widthAttribute + (grey ? kGrey : QString()) + QStringLiteral(">");
    lines << QStringLiteral("<font size=2>") + content + QStringLiteral("</font></td>");
}

void headerCell(QStringList& lines, const QString& content, bool grey)
{
    lines << QStringLiteral("<td") + (grey ? kGrey : QString()) + QStringLiteral("><font size=2>") + content +
                 QStringLiteral("</font></td>");
}

// A row of one cell across the table.
void spanningRow(QStringList& lines, int columns, const QString& content)
{
    lines << QStringLiteral("<tr align=center>") << QStringLiteral("<td colspan=%1>").arg(columns)
          << QStringLiteral("<font size=2>") + content + QStringLiteral("</font></td>") << QStringLiteral("</tr>");
}

// The tag cells of the repeated row and of the totals row (width 0: none).
void valueCells(QStringList& lines, const FinRepLayout& layout, int width, bool greyTotals)
{
    for (const FinRepColumn& column : layout.columns)
        if (column.enabled)
            for (const MeasureCell& cell : columnCells(column))
                dataCell(lines, cell.tag, width, false);
    for (const TotalCell& cell : totalCells(layout.totals))
        dataCell(lines, cell.tag, width, greyTotals);
}

} // namespace

QString BaseVidOplName(int code)
{
    static const char16_t* const names[] = {
        u"&Наличные", u"&Платеж. терминал", u"&Товарные карты", u"&Безналичные", u"&Ведомость +",
        u"&Мерник",   u"&ЛНР",              u"&Самообслуживание", u"&Договорной", u"&Талоны",
        u"&Дисконтные карты", u"&Переливы", u"ЛБР", u"Не исполз."};
    const int index = code % 100;
    if (index < 0 || index > 13)
        return QStringLiteral("Не известный");
    return ReplaceText(QString::fromUtf16(names[index]), QStringLiteral("&"), QString(), rfReplaceAll);
}

QString DescriptorBody(const FinRepLayout& layout)
{
    QStringList lines;
    lines << QStringLiteral("CNT=%1").arg(layout.columns.size());
    int k = 0;
    for (const FinRepColumn& column : layout.columns) {
        const QString prefix = QString::number(++k) + QLatin1Char('_');
        lines << prefix + QStringLiteral("ORDERNUM=") + QString::number(column.orderNum);
        lines << prefix + QStringLiteral("ENABLED=") + flagText(column.enabled);
        if (!column.columnName.isEmpty())
            lines << prefix + QStringLiteral("COLUMNNAME=") + column.columnName;
        lines << prefix + QStringLiteral("VIDOPL=") + QString::number(column.vidOpl);
        lines << prefix + QStringLiteral("VISVOLUME=") + flagText(column.visVolume);
        lines << prefix + QStringLiteral("VISMASSA=") + flagText(column.visMassa);
        lines << prefix + QStringLiteral("VISSUMMA=") + flagText(column.visSumma);
    }
    const FinRepTotals& t = layout.totals;
    lines << QStringLiteral("SHOWITOG=") + flagText(t.showItog) << QStringLiteral("SHOWITOGNAL=") + flagText(t.nal)
          << QStringLiteral("SHOWITOGBN=") + flagText(t.bn) << QStringLiteral("SHOWITOGALL=") + flagText(t.all)
          << QStringLiteral("SHOWITOGVOLUME=") + flagText(t.volume)
          << QStringLiteral("SHOWITOGMASSA=") + flagText(t.massa)
          << QStringLiteral("SHOWITOGSUMMA=") + flagText(t.summa);
    return lines.join(kCrLf) + kCrLf;
}

QString DescriptorComment(const FinRepLayout& layout)
{
    return QString::fromUtf16(kDescriptorStart) + HexEncode(DescriptorBody(layout)) +
           QString::fromUtf16(kDescriptorEnd);
}

DescriptorContent ReadDescriptor(const QString& templateText)
{
    DescriptorContent content;
    const QString start = QString::fromUtf16(kDescriptorStart);
    const qsizetype from = templateText.indexOf(start);
    if (from < 0)
        return content;
    const qsizetype bodyStart = from + start.size();
    const qsizetype to = templateText.indexOf(QString::fromUtf16(kDescriptorEnd), bodyStart);
    if (to < 0)
        return content;
    content.described = true;

    const QStringList lines = textLines(HexDecode(templateText.mid(bodyStart, to - bodyStart)));
    const NameValues values(lines);
    // A damaged count cannot ask for more rows than the body has lines.
    const int count = std::min<qsizetype>(std::max(values.integer(QStringLiteral("CNT"), 0), 0), lines.size());
    for (int k = 1; k <= count; ++k) {
        const QString prefix = QString::number(k) + QLatin1Char('_');
        FinRepColumn column;
        column.orderNum = values.integer(prefix + QStringLiteral("ORDERNUM"), k);
        content.largestOrderNum = std::max(content.largestOrderNum, column.orderNum);
        column.enabled = values.flag(prefix + QStringLiteral("ENABLED"));
        column.columnName = values.value(prefix + QStringLiteral("COLUMNNAME"));
        column.vidOpl = values.integer(prefix + QStringLiteral("VIDOPL"), 0);
        column.visVolume = values.flag(prefix + QStringLiteral("VISVOLUME"));
        column.visMassa = values.flag(prefix + QStringLiteral("VISMASSA"));
        column.visSumma = values.flag(prefix + QStringLiteral("VISSUMMA"));
        content.columns.append(column);
    }
    FinRepTotals& t = content.totals;
    t.showItog = values.flag(QStringLiteral("SHOWITOG"));
    t.nal = values.flag(QStringLiteral("SHOWITOGNAL"));
    t.bn = values.flag(QStringLiteral("SHOWITOGBN"));
    t.all = values.flag(QStringLiteral("SHOWITOGALL"));
    t.volume = values.flag(QStringLiteral("SHOWITOGVOLUME"));
    t.massa = values.flag(QStringLiteral("SHOWITOGMASSA"));
    t.summa = values.flag(QStringLiteral("SHOWITOGSUMMA"));
    return content;
}

FinRepLayout LayoutForTemplate(const QString& templateText, const QList<FinRepPayType>& payTypes)
{
    const DescriptorContent read = ReadDescriptor(templateText);
    FinRepLayout layout;
    layout.columns = read.columns;
    if (read.described)
        layout.totals = read.totals;
    const bool fresh = layout.columns.isEmpty();
    int largest = read.largestOrderNum;
    for (const FinRepPayType& type : payTypes) {
        const bool held = std::any_of(layout.columns.cbegin(), layout.columns.cend(),
                                      [&](const FinRepColumn& c) { return c.vidOpl == type.code; });
        if (held)
            continue;
        FinRepColumn column;
        column.orderNum = ++largest;
        column.enabled = fresh;
        column.columnName = type.name;
        column.vidOpl = type.code;
        column.visVolume = true;
        column.visSumma = true;
        layout.columns.append(column);
    }
    std::stable_sort(layout.columns.begin(), layout.columns.end(),
                     [](const FinRepColumn& a, const FinRepColumn& b) { return a.orderNum < b.orderNum; });
    return layout;
}

QString GenerateFinRepTable(const FinRepLayout& layout)
{
    const FinRepTotals& t = layout.totals;
    const int groups = int(t.nal) + int(t.bn) + int(t.all);
    const int measures = int(t.volume) + int(t.massa) + int(t.summa);
    const int totals = t.showItog ? groups * measures : 0;
    const int headerRows = totals >= 1 ? 3 : 2;
    int columns = totals + 2;
    for (const FinRepColumn& column : layout.columns)
        if (column.enabled)
            columns += column.measures();
    const int width = std::max(100 / columns, 1);

    QStringList lines;
    lines << QStringLiteral("<table border=1 cellpadding=0 bordercolor=\"#000000\" cellspacing=0 "
                            "style=\"border-collapse: collapse;\">");
    // Headings: fuel, price, the payment types' groups, the totals' group.
    lines << QStringLiteral("<tr  style=\"FONT-WEIGHT: bolder\" align=center>");
    lines << QStringLiteral("<td rowspan=%1>").arg(headerRows) << QStringLiteral("<font size=2>ГСМ</font></td>");
    lines << QStringLiteral("<td rowspan=%1>").arg(headerRows)
          << QStringLiteral("<font size=2>Цена, &lt;#valuta&gt;</font></td>");
    for (const FinRepColumn& column : layout.columns) {
        if (!column.enabled)
            continue;
        lines << QStringLiteral("<td colspan=%1 rowspan=%2>").arg(column.measures()).arg(headerRows - 1);
        lines << QStringLiteral("<font size=2>") + column.columnName + QStringLiteral("</font></td>");
    }
    if (totals > 0) {
        lines << QStringLiteral("<td colspan=%1").arg(totals) + QStringLiteral(" bgcolor=\"#c0c0c0\">");
        lines << QStringLiteral("<font size=2>Итого отпущено по операциям продажи</font></td>");
    }
    lines << QStringLiteral("</tr>");
    if (totals > 0) {
        lines << QStringLiteral("<tr style=\"FONT-WEIGHT: bolder\" align=center bgColor=#c0c0c0>");
        const struct {
            bool shown;
            const char16_t* heading;
        } groupHeadings[] = {{t.nal, u"Наличный расчет"}, {t.bn, u"Безналичный расчет"}, {t.all, u"Всего"}};
        for (const auto& group : groupHeadings) {
            if (!group.shown)
                continue;
            lines << QStringLiteral("<td colspan=%1>").arg(measures);
            lines << QStringLiteral("<font size=2>") + QString::fromUtf16(group.heading) +
                         QStringLiteral("</font></td>");
        }
        lines << QStringLiteral("</tr>");
    }
    // The measures' headings.
    lines << QStringLiteral("<tr style=\"FONT-WEIGHT: bolder\" align=middle>");
    for (const FinRepColumn& column : layout.columns)
        if (column.enabled)
            for (const MeasureCell& cell : columnCells(column))
                headerCell(lines, cell.heading, false);
    for (const TotalCell& cell : totalCells(t))
        headerCell(lines, cell.heading, true);
    lines << QStringLiteral("</tr>");

    spanningRow(lines, columns, QStringLiteral("&lt;#Repeat&gt;"));
    lines << QStringLiteral("<tr align=right>");
    lines << QStringLiteral("<td width=\"%1%\" align=left>").arg(width)
          << QStringLiteral("<font size=2>&lt;#GSM&gt;</font></td>");
    lines << QStringLiteral("<td width=\"%1%\">").arg(width) << QStringLiteral("<font size=2>&lt;#Price&gt;</font></td>");
    valueCells(lines, layout, width, true);
    lines << QStringLiteral("</tr>");
    spanningRow(lines, columns, QStringLiteral("&lt;#EndRepeat&gt;"));

    spanningRow(lines, columns, QStringLiteral("&lt;#Itog&gt;"));
    lines << QStringLiteral("<tr bgColor=#c0c0c0 align=right>") << QStringLiteral("<td colspan=2>")
          << QStringLiteral("<font size=2>Итого:</font></td>");
    valueCells(lines, layout, 0, false);
    lines << QStringLiteral("</tr>");
    spanningRow(lines, columns, QStringLiteral("&lt;#EndItog&gt;"));
    lines << QStringLiteral("</table>");
    return lines.join(kCrLf) + kCrLf;
}

QString TemplateWithLayout(const QString& templateText, const FinRepLayout& layout)
{
    QString text = templateText.trimmed();
    const QString start = QString::fromUtf16(kDescriptorStart);
    const qsizetype from = text.indexOf(start);
    if (from >= 0) {
        const qsizetype to = text.indexOf(QString::fromUtf16(kDescriptorEnd), from + start.size());
        if (to >= 0)
            text.remove(from, to + 3 - from);
    }
    if (!text.endsWith(u'\n'))
        text += kCrLf;
    text += DescriptorComment(layout);

    const QString upper = upperSameLength(text);
    const qsizetype mark = upper.indexOf(QStringLiteral("&LT;#GROUP&GT;"));
    const qsizetype table = mark < 0 ? -1 : upper.indexOf(QStringLiteral("<TABLE"), mark);
    const qsizetype tableEnd = table < 0 ? -1 : upper.indexOf(QStringLiteral("</TABLE>"), table);
    if (tableEnd >= 0) {
        text.remove(table, tableEnd + 8 - table);
        text.insert(table, GenerateFinRepTable(layout));
    }
    return text;
}

QString ReadTemplateFile(const QString& nativePath)
{
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Не удалось прочитать файл %1: %2").arg(nativePath, file.errorString()));
    return codec::fromCp1251(file.readAll());
}

void SaveTemplateLayout(const QString& nativePath, const FinRepLayout& layout)
{
    const QStringList lines = textLines(TemplateWithLayout(ReadTemplateFile(nativePath), layout));
    QString text;
    for (const QString& line : lines)
        text += line + kCrLf;
    if (FileIO::replaceFile(nativePath, codec::toCp1251(text)) != FileIO::Outcome::Written) {
        const int error = errno;
        throw EInOutError(
            QStringLiteral("Не удалось записать файл %1: %2").arg(nativePath, QString::fromLocal8Bit(std::strerror(error))));
    }
}

} // namespace velta::settings
