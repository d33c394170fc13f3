#include "plugin/ui/FileFilter.h"

#include <QRegularExpression>

namespace velta::FileFilter {

namespace {

void addOnce(QStringList& list, const QString& item)
{
    if (!list.contains(item))
        list << item;
}

// The description without a trailing "(...)" that merely repeats its patterns.
QString bareDescription(const QString& description, const QStringList& patterns)
{
    const QString trimmed = description.trimmed();
    if (!trimmed.endsWith(u')'))
        return trimmed;
    const qsizetype open = trimmed.lastIndexOf(u'(');
    if (open < 0)
        return trimmed;
    const QString inside = trimmed.mid(open + 1, trimmed.size() - open - 2);
    QStringList shown;
    for (const QString& part : inside.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts))
        shown << part.toLower();
    QStringList actual;
    for (const QString& p : patterns)
        actual << p.trimmed().toLower();
    return shown == actual ? trimmed.left(open).trimmed() : trimmed;
}

} // namespace

std::vector<Entry> parse(const QString& filter)
{
    std::vector<Entry> entries;
    const QStringList parts = filter.split(u'|');
    if (filter.isEmpty())
        return entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        Entry entry;
        entry.description = parts[i];
        if (i + 1 < parts.size())
            entry.patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : entry.patterns)
            p = p.trimmed();
        entry.patterns.removeAll(QString());
        if (entry.patterns.isEmpty())
            entry.patterns << QStringLiteral("*");
        entries.push_back(entry);
    }
    return entries;
}

QStringList qtPatterns(const QStringList& patterns)
{
    QStringList result;
    for (const QString& pattern : patterns) {
        if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
            addOnce(result, QStringLiteral("*"));
            continue;
        }
        addOnce(result, pattern);
        addOnce(result, pattern.toLower());
        addOnce(result, pattern.toUpper());
    }
    return result;
}

QStringList toQtNameFilters(const QString& filter)
{
    QStringList filters;
    for (const Entry& entry : parse(filter)) {
        QString description = bareDescription(entry.description, entry.patterns);
        const QString patterns = qtPatterns(entry.patterns).join(u' ');
        filters << (description.isEmpty() ? QStringLiteral("(%1)").arg(patterns)
                                          : QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return filters;
}

QString cleanDefaultExt(const QString& ext)
{
    QString clean = ext.trimmed();
    while (clean.startsWith(u'.'))
        clean.remove(0, 1);
    return clean;
}

} // namespace velta::FileFilter
