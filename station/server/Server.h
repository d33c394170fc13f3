#pragma once
// StationServer: the station server's TCP listener. It takes a slot for each
// accepted connection (ConnectionSlots: at most ServerConfig::maxConnections
// in all and maxPerAddress from one address) and hands the socket to the
// least loaded of its workers (ServerWorker), where it stays pinned: the
// workers' event loops serve every connection, each worker with a database
// attachment of its own, so a slow, idle or stalled client costs a socket and
// a little memory, not a thread or an attachment. A connection over a limit
// is answered with an error naming the limit and closed; it never reaches a
// worker.
#include "station/server/ConnectionSlots.h"
#include "station/server/ServerConfig.h"

#include <QHostAddress>
#include <QTcpServer>
#include <memory>
#include <set>
#include <vector>

namespace velta::station {

class RefusedConnection;
class ServerWorker;

class StationServer : public QTcpServer {
public:
    explicit StationServer(ServerConfig config, QObject* parent = nullptr);
    ~StationServer() override;

    // Starts the workers and listens; raises Exception naming the address when it cannot.
    void start(const QHostAddress& address, quint16 port);
    // Stops accepting, closes every connection and ends the workers.
    void stop();

    // Connections being served: each holds a slot until it is closed.
    int activeConnections() const { return slots_.total(); }
    int workerCount() const { return static_cast<int>(workers_.size()); }

    // The errors refused connections get: over the total, and over the limit of one address.
    static QString limitMessage(int maxConnections);
    static QString addressLimitMessage(const QHostAddress& address, int maxPerAddress);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void refuse(int descriptor, const QString& message);
    ServerWorker& leastLoaded();

    ServerConfig config_;
    ConnectionSlots slots_;
    std::vector<std::unique_ptr<ServerWorker>> workers_;
    std::size_t nextWorker_ = 0;
    std::set<RefusedConnection*> refused_; // still taking the client's last bytes
};

} // namespace velta::station
