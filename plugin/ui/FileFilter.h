#pragma once
// The framework's file dialog filter ("Текст (*.txt)|*.txt|Все файлы (*.*)|*.*":
// descriptions and pattern lists separated by bars) turned into Qt name filters
// that match the way a Windows dialog does: without regard to letter case, and
// "*.*" for every file, names without a dot included.
#include <QString>
#include <QStringList>
#include <vector>

namespace velta::FileFilter {

struct Entry {
    QString description;
    QStringList patterns; // as written, split at ';'
};

// The filter's entries; a description without patterns gets "*".
std::vector<Entry> parse(const QString& filter);

// One Qt name filter per entry: the description with the patterns Qt should
// match in the trailing parentheses.
QStringList toQtNameFilters(const QString& filter);

// The patterns Qt gets for one framework pattern list.
QStringList qtPatterns(const QStringList& patterns);

// The default extension without its leading dot(s).
QString cleanDefaultExt(const QString& ext);

} // namespace velta::FileFilter
