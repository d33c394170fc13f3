#pragma once
// The consignment note editor as the note list uses it: opens TTTNEditForm
// modally on the note list's current row (dsTTNList of the data module) and
// the detail dataset, and answers whether the note was saved.
namespace velta {
class Dialogs;
class Variant;
} // namespace velta

namespace velta::core {
class TDBFrm;
}

namespace velta::consignment {

// New note; new note copied from the current one ("Добавить копированием");
// the current note edited.
enum class TTNEditMode : int { New = 0, Copy = 1, Edit = 2 };

// selection is the sale selection's result array (an empty array for none);
// multiLine says the station has TTNDETAIL.
bool EditConsignmentNote(Dialogs& dialogs, core::TDBFrm& db, TTNEditMode mode, const Variant& selection,
                         bool multiLine);

} // namespace velta::consignment
