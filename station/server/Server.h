#pragma once
// StationServer: the station server's TCP listener. Each accepted connection
// is served on a thread of its own (ServerConnection) with its own database
// attachment, so a slow or broken client holds up nobody else.
#include "station/server/ServerConnection.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

namespace velta::station {

class StationServer : public QTcpServer {
public:
    explicit StationServer(ServerConfig config, QObject* parent = nullptr);
    ~StationServer() override;

    // Starts listening; raises Exception naming the address when it cannot.
    void start(const QHostAddress& address, quint16 port);
    // Stops accepting, asks every connection to end and waits for them.
    void stop();

    // Connections whose threads are still running.
    int activeConnections();

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void reapFinished();

    ServerConfig config_;
    std::atomic<bool> stopping_{false};
    std::vector<std::unique_ptr<QThread>> threads_;
};

} // namespace velta::station
