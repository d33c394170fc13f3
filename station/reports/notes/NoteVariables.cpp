#include "station/reports/notes/NoteVariables.h"

#include <QStringList>
#include <array>

namespace velta::station {

QVector<NoteVariable> readNoteVariables(const QString& varList)
{
    std::array<NoteVariable, kNoteVariableRows> rows;
    QString text = varList;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        bool numbered = false;
        const int row = equals > 0 ? line.left(equals).trimmed().toInt(&numbered) : 0;
        if (!numbered || row < 1 || row > kNoteVariableRows)
            continue;
        const QString rest = line.mid(equals + 1);
        const qsizetype bar = rest.indexOf(QLatin1Char('|'));
        rows[row - 1] = bar < 0 ? NoteVariable{} : NoteVariable{row, rest.left(bar).trimmed(), rest.mid(bar + 1).trimmed()};
    }
    QVector<NoteVariable> filled;
    for (const NoteVariable& v : rows) {
        if (!v.name.isEmpty() || !v.value.isEmpty())
            filled << v;
    }
    return filled;
}

} // namespace velta::station
