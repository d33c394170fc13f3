#pragma once
// StationServer: the station server's TCP listener. Each accepted connection
// is served on a thread of its own (ServerConnection) with its own database
// attachment, so a slow or broken client holds up nobody else. At most
// ServerConfig::maxConnections are served at once: one more is answered with
// an error naming the limit and closed, with no thread and no attachment.
#include "station/server/ServerConnection.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QThread>
#include <atomic>
#include <memory>
#include <set>
#include <vector>

namespace velta::station {

class RefusedConnection;

class StationServer : public QTcpServer {
public:
    explicit StationServer(ServerConfig config, QObject* parent = nullptr);
    ~StationServer() override;

    // Starts listening; raises Exception naming the address when it cannot.
    void start(const QHostAddress& address, quint16 port);
    // Stops accepting, asks every connection to end and waits for them.
    void stop();

    // Connections being served: each holds a slot until its thread has let go
    // of its cursors and attachment.
    int activeConnections() const { return active_.load(); }

    // The error refused connections get.
    static QString limitMessage(int maxConnections);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void reapFinished();
    void refuse(int descriptor);

    ServerConfig config_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> active_{0};
    std::vector<std::unique_ptr<QThread>> threads_;
    std::set<RefusedConnection*> refused_; // still taking the client's last bytes
};

} // namespace velta::station
