#include "plugin/directories/journals/AllDscCardForm.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/directories/journals/JournalRequests.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include "ui_AllDscCardForm.h"

#include <QSignalBlocker>
#include <QTextCursor>

namespace velta::journals {

TAllDscCardForm::TAllDscCardForm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), ui_(std::make_unique<Ui::TAllDscCardForm>())
{
    ui_->setupUi(this);
    connect(ui_->rbAllCards, &QRadioButton::toggled, this, &TAllDscCardForm::updateEnabled);
    connect(ui_->rbAllAZS, &QRadioButton::toggled, this, &TAllDscCardForm::updateEnabled);
    connect(ui_->reCardNumbers, &QTextEdit::textChanged, this, &TAllDscCardForm::reCardNumbersChange);
    connect(ui_->btnClear, &QPushButton::clicked, ui_->reCardNumbers, &QTextEdit::clear);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TAllDscCardForm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    loadStations();
    updateEnabled();
    FormPlacement(*this).restore(*this);
}

TAllDscCardForm::~TAllDscCardForm() = default;

void TAllDscCardForm::loadStations()
{
    Variant data;
    core::GetProviderData(QStringLiteral("SELECT * FROM Office"), report::kBaseOffice, data);
    TClientDataSet offices;
    offices.SetData(data.toByteArray());
    const TField& name = offices.FieldByName(QStringLiteral("AZSName"));
    for (offices.First(); !offices.Eof(); offices.Next())
        ui_->clbAZSList->AddItem(name.AsString());
}

void TAllDscCardForm::updateEnabled()
{
    ui_->reCardNumbers->setEnabled(ui_->rbChooseCards->isChecked());
    ui_->clbAZSList->setEnabled(ui_->rbChooseAZS->isChecked());
}

void TAllDscCardForm::reCardNumbersChange()
{
    bool removed = false;
    const QString cleaned = WithoutQuotes(ui_->reCardNumbers->toPlainText(), removed);
    if (!removed)
        return;
    {
        const QSignalBlocker quiet(ui_->reCardNumbers);
        ui_->reCardNumbers->setPlainText(cleaned);
        ui_->reCardNumbers->moveCursor(QTextCursor::End);
    }
    showError(QStringLiteral("Символы (\") и (') в номере карты недопустимы!"));
}

int TAllDscCardForm::RepFormatIndex() const
{
    if (ui_->rgRepFormatItem1->isChecked())
        return 1;
    if (ui_->rgRepFormatItem2->isChecked())
        return 2;
    return ui_->rgRepFormatItem0->isChecked() ? 0 : -1;
}

QString TAllDscCardForm::Cards() const
{
    return CardsText(ui_->rbAllCards->isChecked(), ui_->reCardNumbers->toPlainText());
}

QString TAllDscCardForm::Stations() const
{
    QStringList checked;
    for (int i = 0; i < ui_->clbAZSList->Count(); ++i)
        if (ui_->clbAZSList->Checked(i))
            checked << ui_->clbAZSList->Items().at(i);
    return StationsText(ui_->rbAllAZS->isChecked(), checked);
}

void TAllDscCardForm::BitBtn1Click()
{
    try {
        RunAndShowReport(report::kService, DiscountCardParams(RepFormatIndex(), Cards(), Stations()),
                         QStringLiteral("ОТЧЕТ ПО ДИСКОНТНЫМ КАРТАМ"));
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TAllDscCardForm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void TAllDscCardForm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        FormPlacement(*this).save(*this);
    }
    QDialog::done(result);
}

void ShowDiscountCardDialog()
{
    Dialogs& dialogs = currentDialogs();
    TAllDscCardForm form(dialogs);
    dialogs.showModal(form);
}

} // namespace velta::journals
