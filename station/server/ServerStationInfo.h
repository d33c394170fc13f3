#pragma once
// The station facts the server's dispatch methods answer from the database.
//
// GetAZSConfig answers an array:
//   0 station number (AZS_ID), 1 station name, 2 address,
//   3 the dispensers in their display order, each [name, sort number,
//     [[nozzle number, fuel name, tank name], ...]],
//   4 true when the station is a loading rack,
//   5 the fuels, each [fuel id, name, price (Currency)].
#include "common/Variant.h"

namespace velta::station {

class StationDatabase;

Variant stationConfig(StationDatabase& db);

// The next contragent number from the contragent generator.
int newContragentNumber(StationDatabase& db);

} // namespace velta::station
