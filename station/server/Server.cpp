#include "station/server/Server.h"

#include "common/Exception.h"
#include "common/WireProtocol.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <functional>
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
        for (;;) {
            const ssize_t n = ::recv(fd_, scratch, sizeof scratch, MSG_DONTWAIT);
            if (n > 0)
                continue;
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            break; // the client closed, or the connection broke
        }
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
{
}

StationServer::~StationServer()
{
    stop();
}

QString StationServer::limitMessage(int maxConnections)
{
    return QStringLiteral("Too many connections: the server serves at most %1 at once").arg(maxConnections);
}

void StationServer::start(const QHostAddress& address, quint16 port)
{
    stopping_ = false;
    // A burst of clients waits in the queue instead of having its SYNs
    // dropped and retried a second later.
    setListenBacklogSize(SOMAXCONN);
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
    for (RefusedConnection* r : refused_)
        delete r;
    refused_.clear();
}

void StationServer::reapFinished()
{
    std::erase_if(threads_, [](const std::unique_ptr<QThread>& t) { return t->isFinished(); });
}

void StationServer::refuse(int descriptor)
{
    const QByteArray frame = encodeFrame(encodeError(QStringLiteral("EOleSysError"), limitMessage(config_.maxConnections)));
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

void StationServer::incomingConnection(qintptr socketDescriptor)
{
    reapFinished();
    const int descriptor = static_cast<int>(socketDescriptor);
    if (stopping_) {
        ::close(descriptor);
        return;
    }
    // Only this thread takes slots, so the count cannot grow between check and take.
    if (active_.load() >= config_.maxConnections) {
        refuse(descriptor);
        return;
    }
    ++active_;
    const ServerConfig config = config_;
    const std::atomic<bool>* stopping = &stopping_;
    std::atomic<int>* active = &active_;
    std::unique_ptr<QThread> thread(QThread::create([socketDescriptor, config, stopping, active] {
        ServerConnection(socketDescriptor, config, *stopping).run();
        // The slot comes back once the cursors and the attachment are gone.
        --*active;
    }));
    thread->start();
    threads_.push_back(std::move(thread));
}

} // namespace velta::station
