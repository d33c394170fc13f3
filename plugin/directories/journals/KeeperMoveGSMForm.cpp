#include "plugin/directories/journals/KeeperMoveGSMForm.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/directories/journals/JournalRequests.h"
#include "plugin/platform/Clock.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include "ui_KeeperMoveGSMForm.h"

#include <cmath>

namespace velta::journals {

TKeeperMoveGSMForm::TKeeperMoveGSMForm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), ui_(std::make_unique<Ui::TKeeperMoveGSMForm>())
{
    ui_->setupUi(this);
    addAction(ui_->ActionOnF4);
    addAction(ui_->ActionOnEsc);
    connect(ui_->btnOk, &QPushButton::clicked, this, &TKeeperMoveGSMForm::btnOkClick);
    connect(ui_->ActionOnF4, &QAction::triggered, ui_->btnOk, &QPushButton::click);
    connect(ui_->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->ActionOnEsc, &QAction::triggered, this, &QDialog::reject);

    // The current day from its first to its last second.
    const TDateTime today = std::floor(Clock::current().now());
    ui_->dtpBegDate->SetDate(today);
    ui_->dtpBegTime->SetTime(0);
    ui_->dtpEndDate->SetDate(today);
    ui_->dtpEndTime->SetTime((86400.0 - 1.0) / 86400.0);
    loadKeepers();
    FormPlacement(*this).restore(*this);
}

TKeeperMoveGSMForm::~TKeeperMoveGSMForm() = default;

void TKeeperMoveGSMForm::loadKeepers()
{
    Variant data;
    core::GetProviderData(KeeperListQuery(), report::kBaseStation, data);
    TClientDataSet keepers;
    keepers.SetData(data.toByteArray());
    for (keepers.First(); !keepers.Eof(); keepers.Next())
        ui_->cbKeeperList->addItem(keepers.Fields(0).AsString(), keepers.Fields(1).AsInteger());
    if (ui_->cbKeeperList->count() > 0)
        ui_->cbKeeperList->setCurrentIndex(0);
}

TDateTime TKeeperMoveGSMForm::Begin() const
{
    return std::floor(ui_->dtpBegDate->Date()) + ui_->dtpBegTime->Time();
}

TDateTime TKeeperMoveGSMForm::End() const
{
    return std::floor(ui_->dtpEndDate->Date()) + ui_->dtpEndTime->Time();
}

void TKeeperMoveGSMForm::btnOkClick()
{
    try {
        if (ui_->cbKeeperList->currentIndex() < 0)
            throw Exception(QStringLiteral("Хранитель не выбран!"));
        const TDateTime begin = Begin();
        const TDateTime end = End();
        if (end < begin)
            throw Exception(QStringLiteral("Задан недопустимый период!"));
        RunAndShowReport(report::kService, KeeperMoveParams(ui_->cbKeeperList->currentData().toInt(), begin, end),
                         QStringLiteral("ДВИЖЕНИЕ ГСМ ПО ХРАНИТЕЛЮ"));
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TKeeperMoveGSMForm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void TKeeperMoveGSMForm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        FormPlacement(*this).save(*this);
    }
    QDialog::done(result);
}

void ShowKeeperMoveDialog()
{
    Dialogs& dialogs = currentDialogs();
    TKeeperMoveGSMForm form(dialogs);
    dialogs.showModal(form);
}

} // namespace velta::journals
