#pragma once
// Demo consignment notes made from sales on account: headers with their first
// cargo line and, where the station keeps them, the note lines.
#include "station/db/Schema.h"

#include <QtGlobal>

namespace velta::station {

class StationDatabase;
struct DemoContragents;
struct DemoSales;

struct DemoNotes {
    qint64 notes = 0;
    qint64 lines = 0;
};

DemoNotes writeConsignmentNotes(StationDatabase& db, const DemoContragents& contragents, const DemoSales& sales,
                                const SchemaOptions& options);

} // namespace velta::station
