#pragma once
// The demo station's data, area by area, always the same for the same options.
#include "station/db/Schema.h"

#include <QtGlobal>

namespace velta::station {

class StationDatabase;

struct DemoSummary {
    qint64 shifts = 0;
    qint64 sales = 0;
    qint64 discounts = 0;
    qint64 journalRows = 0;
    qint64 receipts = 0;
    qint64 pumpOuts = 0;
    qint64 transfers = 0;
    qint64 contragents = 0;
    qint64 notes = 0;
    qint64 noteLines = 0;
    qint64 scanDocs = 0;
    qint64 returnActs = 0;
    qint64 meterChecks = 0;
    qint64 reloads = 0;
};

// Fills an empty station database (tables created with the same options).
DemoSummary writeStationDemo(StationDatabase& db, const SchemaOptions& options, int salesCount);

} // namespace velta::station
