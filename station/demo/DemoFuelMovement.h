#pragma once
// Demo fuel movement: tanker receipts, pump-outs and transfers between tanks,
// including one receipt corrected by a later entry.
#include <QtGlobal>

namespace velta::station {

class StationDatabase;
struct DemoContragents;

struct DemoFuelMovement {
    qint64 receipts = 0;
    qint64 pumpOuts = 0;
    qint64 transfers = 0;
};

DemoFuelMovement writeFuelMovement(StationDatabase& db, const DemoContragents& contragents);

} // namespace velta::station
