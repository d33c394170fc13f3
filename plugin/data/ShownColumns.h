#pragma once
// The columns a grid shows of a dataset whose fields come from its query:
// every field is hidden, then the listed ones are shown with their titles.
#include <span>

namespace velta {

class TClientDataSet;

// A shown column: the field, its title (UTF-8) and its width in characters
// (0 keeps the field's own).
struct ShownColumn {
    const char* field;
    const char* title;
    int width = 0;
};

// Fields the dataset does not have are passed over.
void ShowOnlyColumns(TClientDataSet& dataSet, std::span<const ShownColumn> columns);

} // namespace velta
