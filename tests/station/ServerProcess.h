#pragma once
// Test support for the station server: a real "velta-station serve" process
// on a free loopback port over a demo station, and small client helpers.
#include "common/DataPacket.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "tests/station/StationFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace velta::test {

inline QString stationProgram()
{
    return QDir(QString::fromLocal8Bit(qgetenv("VELTA_BIN_DIR"))).filePath(QStringLiteral("velta-station"));
}

class ServerProcess {
public:
    // Starts the server with extra arguments (--listen defaults to a free loopback port).
    explicit ServerProcess(const QString& root, QStringList extra = {})
    {
        QStringList args{QStringLiteral("serve"), QStringLiteral("--root"), root};
        if (!extra.contains(QStringLiteral("--listen")))
            args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0");
        args << extra;
        process_.setProgram(stationProgram());
        process_.setArguments(args);
        process_.start();
        if (!process_.waitForStarted(10000))
            throw std::runtime_error("velta-station did not start");
        while (!line_.contains('\n') && process_.waitForReadyRead(20000))
            line_ += process_.readAllStandardOutput();
        const QByteArray prefix = "listening on 127.0.0.1:";
        const qsizetype at = line_.indexOf(prefix);
        if (at >= 0)
            port_ = static_cast<quint16>(line_.mid(at + prefix.size()).trimmed().toUInt());
    }
    ~ServerProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(10000)) {
                process_.kill();
                process_.waitForFinished();
            }
        }
    }
    quint16 port() const { return port_; }
    QProcess& process() { return process_; }
    // What the server printed before its port line (or instead of it).
    QByteArray firstOutput() const { return line_; }

    std::unique_ptr<WireClient> connect(const QString& key = QString()) const
    {
        auto client = std::make_unique<WireClient>();
        client->connect(QStringLiteral("127.0.0.1"), port_);
        if (!key.isEmpty())
            client->authenticate(key);
        return client;
    }

private:
    QProcess process_;
    QByteArray line_;
    quint16 port_ = 0;
};

// A demo station and one server over it for a whole test suite.
struct ServedStation {
    explicit ServedStation(bool legacy = false, int sales = 1500)
        : station(legacy, sales)
        , server(station.root())
    {
    }
    DemoStation station;
    ServerProcess server;
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
