#pragma once
// SQL run by the station server itself through its custom SQL provider, for
// tests that look at (or prepare) the station database behind the plug-in's back.
#include "common/DataPacket.h"

#include <QString>

namespace velta {
class WireClient;
}

namespace velta::test {

// The rows of a query.
DataPacket StationQuery(WireClient& client, const QString& sql);
// A statement that returns no rows.
void StationExecute(WireClient& client, const QString& sql);

} // namespace velta::test
