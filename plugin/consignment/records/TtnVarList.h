#pragma once
// The free variables of a consignment note: ten rows of a name and a value,
// stored in the note's VARLIST column as ten lines "number=name|value" in row
// order, empty rows included ("3=|").
#include "plugin/consignment/records/TtnDefaults.h"

#include <QString>
#include <array>

namespace velta::consignment {

struct TtnVariable {
    QString Name;
    QString Value;

    friend bool operator==(const TtnVariable&, const TtnVariable&) = default;
};

inline constexpr int kTtnVariableCount = 10;
// Row 1 is element 0.
using TtnVariables = std::array<TtnVariable, kTtnVariableCount>;

// The VARLIST text: every line ends with a line break.
QString TtnVarListText(const TtnVariables& variables);

// Fills the rows named by the lines of text; rows without a line keep their
// values. A line's text after "=" is cut at its first "|" only, so a value
// holding "|" comes back whole; without "|" the row's name and value empty.
void TtnVarListLoad(const QString& text, TtnVariables& variables);

// The rows as the editor's fields edVarName1..10 and edVarValue1..10, and back.
TtnVariables TtnVariablesFromEditors(const TtnEditorValues& values);
void TtnVariablesToEditors(const TtnVariables& variables, TtnEditorValues& values);

} // namespace velta::consignment
