#include "plugin/directories/AddEditOrganizationForm.h"

#include "ui_AddEditOrganizationForm.h"

#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <cmath>

namespace velta::directories {

struct TAddEditOrganizationForm::RoleBox {
    QCheckBox* box;
    int bit;
};

TAddEditOrganizationForm::TAddEditOrganizationForm(Dialogs& dialogs, const QList<ContractPayType>& payTypes,
                                                   bool adding, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), ui_(std::make_unique<Ui::TAddEditOrganizationForm>())
{
    ui_->setupUi(this);
    setWindowTitle(windowTitle() + (adding ? QStringLiteral(" [новая]") : QStringLiteral(" [изменение / просмотр]")));
    for (const ContractPayType& type : payTypes) {
        ui_->clbVOList->AddItem(QStringLiteral("%1 - %2").arg(type.id, 3).arg(type.name));
        listedPayTypes_ << type.id;
    }
    ui_->dtpLicenceDate->SetDate(0);
    dtpLicenceDateChange();

    connect(ui_->btnOK, &QPushButton::clicked, this, &TAddEditOrganizationForm::btnOKClick);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->edShortName, &QLineEdit::editingFinished, this, &TAddEditOrganizationForm::edShortNameExit);
    connect(ui_->cbManufacturer, &QCheckBox::toggled, this, &TAddEditOrganizationForm::cbManufacturerClick);
    connect(ui_->dtpLicenceDate, &QDateEdit::dateChanged, this, &TAddEditOrganizationForm::dtpLicenceDateChange);
    FormPlacement(*this).restore(*this);
}

TAddEditOrganizationForm::~TAddEditOrganizationForm() = default;

QList<TAddEditOrganizationForm::RoleBox> TAddEditOrganizationForm::roleBoxes() const
{
    return {{ui_->cbGSMSupplier, 2},  {ui_->cbGSMConsignee, 3}, {ui_->cbGSMCarrier, 4},
            {ui_->cbGSMPayer, 5},     {ui_->cbGSMKeeper, 6},    {ui_->cbManufacturer, 7},
            {ui_->cbRegional, 8},     {ui_->cbTovarSupplier, 9}, {ui_->cbTovarBuyer, 10}};
}

void TAddEditOrganizationForm::SetRecord(const ContragentRecord& r)
{
    ui_->edShortName->setText(r.name);
    ui_->edFullName->setText(r.fullName);
    ui_->edAddress->setText(r.address);
    ui_->edPhones->setText(r.phone);
    ui_->edFax->setText(r.fax);
    ui_->edContactInfo->setText(r.contactInfo);
    ui_->edCountryCode->setText(QStringLiteral("%1").arg(r.countryCode, 3, 10, QLatin1Char('0')));
    ui_->edINN->setText(r.inn);
    ui_->edOKPO->setText(r.okpo);
    ui_->edKPP->setText(r.kpp);
    ui_->edRSchet->setText(r.rschet);
    ui_->edKSchet->setText(r.kschet);
    ui_->edBankName->setText(r.bankName);
    ui_->edBIK->setText(r.bik);
    ui_->edLicenceNum->setText(r.licNum);
    ui_->edLicenceOrg->setText(r.licOrg);
    ui_->dtpLicenceDate->SetDate(r.licDate);
    ui_->memOther->setPlainText(r.other);
    dtpLicenceDateChange();
}

ContragentRecord TAddEditOrganizationForm::Record() const
{
    ContragentRecord r;
    r.name = ui_->edShortName->text();
    r.fullName = ui_->edFullName->text();
    r.address = ui_->edAddress->text();
    r.phone = ui_->edPhones->text();
    r.fax = ui_->edFax->text();
    r.contactInfo = ui_->edContactInfo->text();
    bool ok = false;
    const int code = ui_->edCountryCode->text().trimmed().toInt(&ok);
    r.countryCode = ok ? code : 643;
    r.inn = ui_->edINN->text();
    r.okpo = ui_->edOKPO->text();
    r.kpp = ui_->edKPP->text();
    r.rschet = ui_->edRSchet->text();
    r.kschet = ui_->edKSchet->text();
    r.bankName = ui_->edBankName->text();
    r.bik = ui_->edBIK->text();
    r.licNum = ui_->edLicenceNum->text();
    r.licOrg = ui_->edLicenceOrg->text();
    r.licDate = ui_->dtpLicenceDate->Date();
    r.other = ui_->memOther->toPlainText();
    return r;
}

void TAddEditOrganizationForm::SetRoles(const ContragentRoleSet& roles)
{
    for (const RoleBox& role : roleBoxes())
        role.box->setChecked(roles.mask & maskOf(role.bit));
    cbManufacturerClick();
    for (int id : roles.payTypes) {
        qsizetype index = listedPayTypes_.indexOf(id);
        if (index < 0) {
            index = ui_->clbVOList->AddItem(QStringLiteral("вид оплаты №%1").arg(id));
            listedPayTypes_ << id;
        }
        ui_->clbVOList->SetChecked(static_cast<int>(index), true);
    }
}

ContragentRoleSet TAddEditOrganizationForm::Roles() const
{
    ContragentRoleSet roles;
    for (const RoleBox& role : roleBoxes())
        if (role.box->isChecked())
            roles.mask |= maskOf(role.bit);
    if (!(roles.mask & RoleMask(kRoleGoodsMaker)))
        roles.mask &= ~kMaskRegional;
    for (int i = 0; i < ui_->clbVOList->Count(); ++i)
        if (ui_->clbVOList->Checked(i))
            roles.payTypes << listedPayTypes_.value(i);
    if (!roles.payTypes.isEmpty())
        roles.mask |= kMaskPayType;
    return roles;
}

void TAddEditOrganizationForm::edShortNameExit()
{
    if (ui_->edFullName->text().isEmpty())
        ui_->edFullName->setText(ui_->edShortName->text().trimmed());
}

void TAddEditOrganizationForm::cbManufacturerClick()
{
    ui_->cbRegional->setEnabled(ui_->cbManufacturer->isChecked());
}

void TAddEditOrganizationForm::dtpLicenceDateChange()
{
    ui_->labLicDateNotSet->setVisible(std::floor(ui_->dtpLicenceDate->Date()) <= 0);
}

void TAddEditOrganizationForm::btnOKClick()
{
    if (ui_->edShortName->text().trimmed().isEmpty()) {
        dialogs_.messageBox(QStringLiteral("Необходимо указать наименование организации!"), QStringLiteral("Ошибка"),
                            MB_OK | MB_ICONSTOP);
        ui_->edShortName->setFocus();
        return;
    }
    accept();
}

void TAddEditOrganizationForm::done(int result)
{
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

} // namespace velta::directories
