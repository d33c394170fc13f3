#pragma once
// Test support for the station server: a real "velta-station serve" process
// (tests/support/StationServer) over a demo station, and small client helpers.
#include "common/DataPacket.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "tests/station/StationFixture.h"
#include "tests/support/StationServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace velta::test {

// A demo station and one server over it for a whole test suite.
struct ServedStation {
    explicit ServedStation(bool legacy = false, int sales = 1500)
        : station(legacy, sales)
        , server(station.root())
    {
    }
    DemoStation station;
    StationServer server;
};

struct Opened {
    int cursor = 0;
    DataPacket packet;
};

inline Opened openProvider(WireClient& client, const QString& provider, const QString& commandText = QString(),
                           int packetRecords = -1, const Variant::Array& params = {})
{
    const Variant answer = client.call(QString::fromLatin1(station::kOpenProvider),
                                       {Variant(provider), Variant(commandText), Variant(params), Variant(packetRecords)});
    return {answer.at(0).toInt(), DataPacket::fromBytes(answer.at(1).toByteArray())};
}

inline DataPacket fetchRows(WireClient& client, int cursor, int count)
{
    return DataPacket::fromBytes(
        client.call(QString::fromLatin1(station::kFetchRows), {Variant(cursor), Variant(count)}).toByteArray());
}

inline DataPacket customSql(WireClient& client, const QString& sql)
{
    return openProvider(client, QStringLiteral("DSPRepCustomSQL"), sql).packet;
}

inline QStringList fieldNames(const DataPacket& packet)
{
    QStringList names;
    for (const FieldDef& f : packet.fields())
        names << f.name;
    return names;
}

// A delta over the fields of packet, for ApplyUpdates.
inline DataPacket emptyDelta(const DataPacket& packet)
{
    DataPacket delta;
    for (const FieldDef& f : packet.fields())
        delta.addField(f);
    return delta;
}

inline Variant::Array applyEntry(const QString& provider, const DataPacket& delta)
{
    return {Variant(provider), Variant(QString()), Variant(delta.toBytes())};
}

} // namespace velta::test
