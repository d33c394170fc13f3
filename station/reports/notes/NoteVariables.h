#pragma once
// The free variables of a consignment note as its VARLIST column keeps them:
// lines "number=name|value" for rows 1 to 10, written by the note editor.
// The forms print the rows that have a name or a value, in row order.
#include <QString>
#include <QVector>

namespace velta::station {

struct NoteVariable {
    int row = 0;
    QString name;
    QString value;
};

inline constexpr int kNoteVariableRows = 10;

// The filled rows of a VARLIST text, by row number; a line that is not
// "number=..." with a number 1 to 10 is ignored, and a line without "|" empties
// its row, as the editor reads them. The value is the text after the first "|".
QVector<NoteVariable> readNoteVariables(const QString& varList);

} // namespace velta::station
