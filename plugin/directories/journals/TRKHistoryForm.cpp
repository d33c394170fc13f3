#include "plugin/directories/journals/TRKHistoryForm.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/LeavingSteps.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/directories/journals/JournalRequests.h"
#include "plugin/directories/journals/TrkLogDisplay.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include "ui_TRKHistoryForm.h"

namespace velta::journals {

TfmTRKHistory::TfmTRKHistory(Dialogs& dialogs, TClientDataSet& journal, TDataSource& source, QString dispenserName,
                             bool loadingRack, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), journal_(journal), ui_(std::make_unique<Ui::TfmTRKHistory>()),
      dispenserName_(std::move(dispenserName)), loadingRack_(loadingRack)
{
    ui_->setupUi(this);
    setWindowTitle(DispenserHistoryCaption(dispenserName_, loadingRack_));
    ui_->DBGrid1->SetDialogs(&dialogs_);
    ui_->DBGrid1->SetDataSource(&source);
    for (QAction* action : {ui_->ActionOnF5, ui_->ActionOnEsc, ui_->ActionOnUp, ui_->ActionOnDown})
        addAction(action);
    connect(ui_->RefreshButton, &QPushButton::clicked, this, &TfmTRKHistory::RefreshButtonClick);
    connect(ui_->Button1, &QPushButton::clicked, this, &TfmTRKHistory::Button1Click);
    connect(ui_->ActionOnF5, &QAction::triggered, this, [this] { FormKeyDown(Qt::Key_F5); });
    connect(ui_->ActionOnEsc, &QAction::triggered, this, [this] { FormKeyDown(Qt::Key_Escape); });
    connect(ui_->ActionOnUp, &QAction::triggered, this, [this] { FormKeyDown(Qt::Key_Up); });
    connect(ui_->ActionOnDown, &QAction::triggered, this, [this] { FormKeyDown(Qt::Key_Down); });
    FormPlacement(*this).restore(*this);
}

TfmTRKHistory::~TfmTRKHistory() = default;

QString DispenserHistoryCaption(const QString& dispenserName, bool loadingRack)
{
    return (loadingRack ? QStringLiteral("Журнал по АСН '") : QStringLiteral("Журнал по ТРК '")) + dispenserName
           + QLatin1Char('\'');
}

void TfmTRKHistory::RefreshButtonClick()
{
    try {
        journal_.DisableControls();
        try {
            journal_.Close();
            journal_.Open();
        } catch (...) {
            journal_.EnableControls();
            throw;
        }
        journal_.EnableControls();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TfmTRKHistory::Button1Click()
{
    try {
        RunAndShowReport(report::kSalesHistory, DispenserHistoryParams(dispenserName_, journal_.RecNo()),
                         loadingRack_ ? QStringLiteral("История продаж по АСН") : QStringLiteral("История продаж по ТРК"));
    } catch (const Exception& e) {
        showError(e.message());
    }
    ui_->DBGrid1->setFocus();
}

void TfmTRKHistory::FormKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Up:
        if (journal_.Active())
            journal_.Prior();
        break;
    case Qt::Key_Down:
        if (journal_.Active())
            journal_.Next();
        break;
    case Qt::Key_Escape:
        reject();
        break;
    case Qt::Key_F5:
        Button1Click();
        break;
    default:
        break;
    }
}

void TfmTRKHistory::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void TfmTRKHistory::done(int result)
{
    if (!closed_) {
        closed_ = true;
        FormPlacement(*this).save(*this);
    }
    QDialog::done(result);
}

void ShowDispenserHistory(const QString& dispenserName)
{
    core::PluginState& plugin = core::state();
    if (!plugin.dataModule)
        plugin.dataModule = std::make_unique<core::TDBFrm>();
    core::TDBFrm& db = *plugin.dataModule;
    TClientDataSet& journal = db.TrkLog;
    const auto leave = [&] {
        journal.Close();
        journal.SetCommandText(QString());
        if (db.VeltaServer.Connected())
            db.VeltaServer.SetConnected(false);
    };
    core::WithLeavingSteps(
        [&] {
            db.VeltaServer.SetConnected(true);
            db.DBConnect();
            SetTrkLogDisplay(journal, core::HostValues::payTypeList());
            const bool loadingRack = core::HostValues::hasLoadingRack();
            journal.Close();
            journal.SetCommandText(DispenserJournalQuery(dispenserName));
            journal.FieldByName(QStringLiteral("Summa")).SetVisible(!loadingRack);
            journal.Open();
            Dialogs& dialogs = currentDialogs();
            TfmTRKHistory form(dialogs, journal, db.TrkLogSource, dispenserName, loadingRack);
            dialogs.showModal(form);
        },
        leave);
}

} // namespace velta::journals
