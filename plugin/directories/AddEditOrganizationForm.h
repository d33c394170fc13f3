#pragma once
// TAddEditOrganizationForm: the edit window of one contragent: its names,
// address and requisites, licence, notes, roles and the contract payment
// types it takes part in. Laid out in AddEditOrganizationForm.ui; it only
// edits values, the directory stores them.
#include "plugin/directories/ContractPayTypes.h"
#include "plugin/directories/ContragentRecord.h"
#include "plugin/directories/ContragentRoles.h"

#include <QDialog>
#include <QList>
#include <memory>

namespace Ui {
class TAddEditOrganizationForm;
}

namespace velta {
class Dialogs;
}

namespace velta::directories {

class TAddEditOrganizationForm : public QDialog {
    Q_OBJECT
public:
    // adding: the caption says " [новая]", else " [изменение / просмотр]".
    TAddEditOrganizationForm(Dialogs& dialogs, const QList<ContractPayType>& payTypes, bool adding,
                             QWidget* parent = nullptr);
    ~TAddEditOrganizationForm() override;

    void SetRecord(const ContragentRecord& record);
    // The values typed; the country code reads as 643 when it is not a number.
    ContragentRecord Record() const;
    // Ticks the role boxes and the chosen payment types; a chosen id that is
    // not a contract payment type is listed as "вид оплаты №<id>".
    void SetRoles(const ContragentRoleSet& roles);
    ContragentRoleSet Roles() const;

    // Commands and handlers, public so tests run them as the user does.
    void btnOKClick();
    void edShortNameExit();
    void cbManufacturerClick();
    void dtpLicenceDateChange();

    void done(int result) override;

private:
    struct RoleBox;
    QList<RoleBox> roleBoxes() const;

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TAddEditOrganizationForm> ui_;
    QList<int> listedPayTypes_; // the id of each item of clbVOList
};

} // namespace velta::directories
