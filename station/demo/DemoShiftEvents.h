#pragma once
// The demo station's shift events beside the sales: return acts for doses the
// dispensers did not pour in full, measuring-can checks of the dispensers and
// restarts of the station's equipment.
#include <QtGlobal>

namespace velta::station {

class StationDatabase;

struct DemoShiftEvents {
    qint64 returnActs = 0;
    qint64 meterChecks = 0;
    qint64 reloads = 0;
};

// Written after the shifts and sales, from them.
DemoShiftEvents writeShiftEvents(StationDatabase& db);

} // namespace velta::station
