#pragma once
// A real "velta-station serve" process on a free loopback port, for the tests
// that talk to the station server; it can also make its own demo station with
// "velta-station init" in a private folder.
#include "common/WireClient.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace velta::test {

class TestEnv;

class StationServer {
public:
    // velta-station next to the test program (VELTA_BIN_DIR).
    static QString program();
    static bool available();

    // Makes a demo station in root with "velta-station init --sales N" and
    // extra arguments; returns what went wrong, or an empty text.
    static QString initStation(const QString& root, int sales, const QStringList& extra = {});

    // A demo station of its own, made by initStation in a private folder (a
    // TestEnv kept as long as the server), and a server over it.
    static std::unique_ptr<StationServer> overNewStation(int sales = 1500);

    // Serves the station in root with extra arguments; --listen defaults to a
    // free loopback port. When it does not come up, port() is 0 and error() says why.
    explicit StationServer(const QString& root, QStringList extra = {});
    ~StationServer();
    StationServer(const StationServer&) = delete;
    StationServer& operator=(const StationServer&) = delete;

    quint16 port() const { return port_; }
    // Why there is no port, with what the server printed.
    QString error() const { return error_; }
    // What the server printed before its port line (or instead of it).
    QByteArray firstOutput() const { return output_; }
    QProcess& process() { return process_; }

    // A client connected to the server, authenticated when a key is given.
    std::unique_ptr<WireClient> connect(const QString& key = QString()) const;

    // Asks the server to stop and waits; kills it after 10 s.
    void stop();

private:
    StationServer() = default;
    void start(const QString& root, QStringList extra);

    std::unique_ptr<TestEnv> folder_;
    QProcess process_;
    QByteArray output_;
    QString error_;
    quint16 port_ = 0;
};

} // namespace velta::test
