#include "station/server/Server.h"

#include "common/Exception.h"

#include <unistd.h>

namespace velta::station {

StationServer::StationServer(ServerConfig config, QObject* parent)
    : QTcpServer(parent)
    , config_(std::move(config))
{
}

StationServer::~StationServer()
{
    stop();
}

void StationServer::start(const QHostAddress& address, quint16 port)
{
    stopping_ = false;
    if (!listen(address, port))
        throw Exception(QStringLiteral("Cannot listen on %1:%2: %3").arg(address.toString()).arg(port).arg(errorString()));
}

void StationServer::stop()
{
    close();
    stopping_ = true;
    for (const auto& thread : threads_)
        thread->wait();
    threads_.clear();
}

int StationServer::activeConnections()
{
    reapFinished();
    return static_cast<int>(threads_.size());
}

void StationServer::reapFinished()
{
    std::erase_if(threads_, [](const std::unique_ptr<QThread>& t) { return t->isFinished(); });
}

void StationServer::incomingConnection(qintptr socketDescriptor)
{
    reapFinished();
    if (stopping_) {
        ::close(static_cast<int>(socketDescriptor));
        return;
    }
    const ServerConfig config = config_;
    const std::atomic<bool>* stopping = &stopping_;
    std::unique_ptr<QThread> thread(QThread::create([socketDescriptor, config, stopping] {
        ServerConnection(socketDescriptor, config, *stopping).run();
    }));
    thread->start();
    threads_.push_back(std::move(thread));
}

} // namespace velta::station
