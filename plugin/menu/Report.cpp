#include "plugin/menu/Report.h"

#include "common/Exception.h"
#include "plugin/consignment/list/TTNListForm.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/directories/journals/AllDscCardForm.h"
#include "plugin/directories/journals/KeeperMoveGSMForm.h"
#include "plugin/directories/journals/TRKHistoryForm.h"
#include "plugin/directories/scandocs/ScanDocListForm.h"
#include "plugin/menu/ReportSteps.h"
#include "plugin/receipts/window/TovarCheckForm.h"
#include "plugin/settings/RepPropForm.h"
#include "plugin/ui/Dialogs.h"

namespace velta::core {

TReport& report()
{
    return static_cast<TReport&>(*state().report);
}


using plugin::MenuItem;

QString DispenserNameFromCaption(const QString& caption)
{
    QString name = caption.mid(5);
    const qsizetype amp = name.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        name.remove(amp, 1);
    return name;
}

// Handlers that start by reloading the payment types on an office workplace.
void TReport::SalesReceipt(MenuItem&)
{
    UpdateVidOplIfOffice();
    TDBFrm& db = dataModule();
    // The window leaves its sales open; they go with the connection, also after an error.
    WithLeavingSteps(
        [&] {
            db.VeltaServer.SetConnected(true);
            receipts::ShowSalesReceiptWindow(currentDialogs(), db);
        },
        [&] {
            db.dsAllLogTran.Close();
            if (db.VeltaServer.Connected())
                db.VeltaServer.SetConnected(false);
        });
}

void TReport::KeeperFuelMovement(MenuItem&)
{
    UpdateVidOplIfOffice();
    journals::ShowKeeperMoveDialog();
}

void TReport::DiscountCardsList(MenuItem&)
{
    UpdateVidOplIfOffice();
    journals::ShowDiscountCardDialog();
}

void TReport::ReportSettings(MenuItem&)
{
    UpdateVidOplIfOffice();
    settings::ShowReportSettings(currentDialogs());
}

void TReport::OpenSalesHistory(MenuItem& sender)
{
    UpdateVidOplIfOffice();
    journals::ShowDispenserHistory(DispenserNameFromCaption(sender.caption()));
}

// The scanned documents and the consignment notes do not reload the payment
// types first.
void TReport::ScannedDocuments(MenuItem&)
{
    TDBFrm& db = dataModule();
    WithLeavingSteps(
        [&] {
            db.VeltaServer.SetConnected(true);
            directories::scandocs::ShowScanDocRegister(currentDialogs(), db);
        },
        [&] {
            if (db.VeltaServer.Connected())
                db.VeltaServer.SetConnected(false);
        });
}

void TReport::ConsignmentNotes(MenuItem&)
{
    TDBFrm& db = dataModule();
    // A connection the host already had open stays open.
    const bool connecting = !db.VeltaServer.Connected();
    WithLeavingSteps(
        [&] {
            if (connecting)
                db.VeltaServer.SetConnected(true);
            consignment::ShowConsignmentNoteList(currentDialogs(), db);
        },
        [&] {
            if (connecting && db.VeltaServer.Connected())
                db.VeltaServer.SetConnected(false);
        });
}

} // namespace velta::core
