#include "plugin/consignment/editor/EditConsignmentNote.h"

#include "plugin/consignment/editor/TTTNEditForm.h"
#include "plugin/core/DBForm.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"

namespace velta::consignment {

bool EditConsignmentNote(Dialogs& dialogs, core::TDBFrm& db, TTNEditMode mode, const Variant& selection,
                         bool multiLine)
{
    if (!db.dsTTNList.Active())
        db.dsTTNList.Open();
    std::optional<SaleSelectionResult> sales;
    if (selection.isArray())
        sales = SaleSelectionResult::fromVariant(selection);
    TTTNEditForm form(dialogs, db, mode, std::move(sales), multiLine);
    return dialogs.showModal(form) == mrOk;
}

} // namespace velta::consignment
