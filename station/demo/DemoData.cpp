#include "station/demo/DemoData.h"

#include "station/demo/DemoCatalog.h"
#include "station/demo/DemoConsignment.h"
#include "station/demo/DemoContragents.h"
#include "station/demo/DemoFuelMovement.h"
#include "station/demo/DemoScanDocs.h"
#include "station/demo/DemoShiftEvents.h"
#include "station/demo/DemoShiftsSales.h"
#include "station/db/StationDatabase.h"

namespace velta::station {

DemoSummary writeStationDemo(StationDatabase& db, const SchemaOptions& options, int salesCount)
{
    DemoSummary summary;
    writeStationConfig(db);
    const DemoContragents contragents = writeContragents(db);
    const DemoSales sales = writeShiftsAndSales(db, contragents, salesCount, options);
    writeLimits(db, contragents, sales);
    const DemoFuelMovement movement = writeFuelMovement(db, contragents);
    const DemoNotes notes = writeConsignmentNotes(db, contragents, sales, options);
    const DemoScanDocs scans = writeScanDocs(db, contragents);
    const DemoShiftEvents events = writeShiftEvents(db);

    summary.shifts = demo::kShiftCount + 1; // the closed ones and the open one
    summary.sales = sales.sales;
    summary.discounts = sales.discounts;
    summary.journalRows = sales.journalRows;
    summary.receipts = movement.receipts;
    summary.pumpOuts = movement.pumpOuts;
    summary.transfers = movement.transfers;
    summary.contragents = db.scalar(QStringLiteral("SELECT COUNT(*) FROM CONTRAGENT")).toLongLong();
    summary.notes = notes.notes;
    summary.noteLines = notes.lines;
    summary.scanDocs = scans.documents;
    summary.returnActs = events.returnActs;
    summary.meterChecks = events.meterChecks;
    summary.reloads = events.reloads;
    return summary;
}

} // namespace velta::station
