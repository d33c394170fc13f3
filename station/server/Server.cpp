#include "station/server/Server.h"

#include "common/Exception.h"
#include "common/WireProtocol.h"
#include "station/server/ServerConnection.h"
#include "station/server/ServerWorker.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace velta::station {
namespace {

// How long a refused connection takes what the client still sends, so that
// closing does not reset the connection before the client read the refusal.
constexpr int kRefusalLingerMs = 1000;
// Refused connections lingering at once; past that they are closed at once.
constexpr std::size_t kMaxLingeringRefusals = 256;
// How long accepting pauses when the process is out of descriptors.
constexpr int kAcceptPauseMs = 100;

QHostAddress peerOf(int descriptor)
{
    sockaddr_storage address = {};
    socklen_t size = sizeof address;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return QHostAddress();
    return ConnectionSlots::normalized(QHostAddress(reinterpret_cast<const sockaddr*>(&address)));
}

} // namespace

// A refused connection after its answer went out: reads and drops on the
// server's own event loop until the client closes or the linger ends.
class RefusedConnection : public QObject {
public:
    RefusedConnection(int descriptor, std::function<void(RefusedConnection*)> done, QObject* parent)
        : QObject(parent)
        , fd_(descriptor)
        , done_(std::move(done))
        , notifier_(descriptor, QSocketNotifier::Read, this)
    {
        connect(&notifier_, &QSocketNotifier::activated, this, &RefusedConnection::drain);
        QTimer::singleShot(kRefusalLingerMs, this, &RefusedConnection::finish);
    }
    ~RefusedConnection() override
    {
        notifier_.setEnabled(false);
        ::close(fd_);
    }

private:
    void drain()
    {
        char scratch[4096];
        if (discardReceived(fd_, scratch, sizeof scratch))
            finish();
    }
    void finish()
    {
        notifier_.setEnabled(false);
        if (done_)
            std::exchange(done_, nullptr)(this);
    }

    int fd_;
    std::function<void(RefusedConnection*)> done_;
    QSocketNotifier notifier_;
};

StationServer::StationServer(ServerConfig config, QObject* parent)
    : QTcpServer(parent)
    , config_(std::move(config))
    , slots_(config_.maxConnections, config_.maxPerAddress)
{
    // Out of descriptors, Qt stops accepting for good: take up again shortly.
    connect(this, &QTcpServer::acceptError, this, [this] {
        QTimer::singleShot(kAcceptPauseMs, this, [this] {
            if (isListening())
                resumeAccepting();
        });
    });
}

StationServer::~StationServer()
{
    stop();
}

QString StationServer::limitMessage(int maxConnections)
{
    return QStringLiteral("Too many connections: the server serves at most %1 at once").arg(maxConnections);
}

QString StationServer::addressLimitMessage(const QHostAddress& address, int maxPerAddress)
{
    return QStringLiteral("Too many connections from %1: the server serves at most %2 from one address at once")
        .arg(address.toString())
        .arg(maxPerAddress);
}

void StationServer::start(const QHostAddress& address, quint16 port)
{
    if (workers_.empty()) {
        for (int i = 0; i < config_.workerCount(); ++i) {
            workers_.push_back(std::make_unique<ServerWorker>(config_, slots_));
            workers_.back()->start();
        }
        // The server is ready when every worker has its attachment: the
        // first clients find all of them, whichever worker takes them.
        for (const auto& worker : workers_)
            worker->waitUntilAttached();
    }
    // A burst of clients waits in the queue instead of having its SYNs
    // dropped and retried a second later.
    setListenBacklogSize(SOMAXCONN);
    if (!listen(address, port))
        throw Exception(QStringLiteral("Cannot listen on %1:%2: %3").arg(address.toString()).arg(port).arg(errorString()));
}

void StationServer::stop()
{
    close();
    // Each worker closes its connections before it lets go of its attachment.
    workers_.clear();
    for (RefusedConnection* r : refused_)
        delete r;
    refused_.clear();
}

void StationServer::refuse(int descriptor, const QString& message)
{
    const QByteArray frame = encodeFrame(encodeError(QStringLiteral("EOleSysError"), message));
    // A fresh socket's send buffer takes a frame this small whole.
    [[maybe_unused]] const ssize_t sent = ::send(descriptor, frame.constData(), static_cast<size_t>(frame.size()),
                                                 MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(descriptor, SHUT_WR);
    if (refused_.size() >= kMaxLingeringRefusals) {
        ::close(descriptor);
        return;
    }
    auto* refused = new RefusedConnection(descriptor, [this](RefusedConnection* r) {
        refused_.erase(r);
        r->deleteLater();
    }, this);
    refused_.insert(refused);
}

ServerWorker& StationServer::leastLoaded()
{
    // Ties go round, so equally loaded workers take turns.
    std::size_t best = nextWorker_ % workers_.size();
    for (std::size_t k = 1; k < workers_.size(); ++k) {
        const std::size_t i = (nextWorker_ + k) % workers_.size();
        if (workers_[i]->connections() < workers_[best]->connections())
            best = i;
    }
    nextWorker_ = best + 1;
    return *workers_[best];
}

void StationServer::incomingConnection(qintptr socketDescriptor)
{
    const int descriptor = static_cast<int>(socketDescriptor);
    if (workers_.empty()) {
        ::close(descriptor);
        return;
    }
    const QHostAddress peer = peerOf(descriptor);
    switch (slots_.take(peer)) {
    case ConnectionSlots::Take::TotalFull:
        refuse(descriptor, limitMessage(config_.maxConnections));
        return;
    case ConnectionSlots::Take::AddressFull:
        refuse(descriptor, addressLimitMessage(peer, config_.maxPerAddress));
        return;
    case ConnectionSlots::Take::Taken:
        break;
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK);
    const int on = 1;
    ::setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    leastLoaded().adopt(descriptor, peer);
}

} // namespace velta::station
