#include "station/server/ServerWorker.h"

#include "common/Exception.h"
#include "common/WireProtocol.h"
#include "station/db/StationDatabase.h"
#include "station/server/ConnectionSlots.h"
#include "station/server/ServerConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <set>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <unordered_map>

namespace velta::station {
namespace {

using Time = ServerConnection::Time;

Time now()
{
    return ServerConnection::clock();
}

// The loop's bookkeeping of one connection: what epoll watches for it and
// where it stands among the deadlines.
struct Entry {
    std::unique_ptr<ServerConnection> connection;
    std::uint32_t events = 0;
    Time deadline = ServerConnection::kNever;
};

} // namespace

ServerWorker::ServerWorker(const ServerConfig& config, ConnectionSlots& connectionSlots)
    : config_(config)
    , slots_(connectionSlots)
{
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (epoll_ < 0 || wake_ < 0)
        throw Exception(QStringLiteral("Cannot create the server's event loop: %1").arg(qt_error_string(errno)));
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.ptr = nullptr;
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
}

ServerWorker::~ServerWorker()
{
    stop();
    {
        // Sockets handed over after the loop ended.
        const std::lock_guard lock(mutex_);
        for (const auto& [fd, peer] : incoming_) {
            ::close(fd);
            slots_.release(peer);
        }
        incoming_.clear();
    }
    ::close(wake_);
    ::close(epoll_);
}

void ServerWorker::start()
{
    thread_.reset(QThread::create([this] { run(); }));
    thread_->start();
}

void ServerWorker::adopt(int descriptor, const QHostAddress& peer)
{
    ++connections_;
    {
        const std::lock_guard lock(mutex_);
        incoming_.emplace_back(descriptor, peer);
    }
    wake();
}

void ServerWorker::stop()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
    if (thread_) {
        thread_->wait();
        thread_.reset();
    }
}

void ServerWorker::wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
}

struct ServerWorker::Loop {
    std::unique_ptr<StationDatabase> db;
    QByteArray attachError;
    std::unordered_map<ServerConnection*, Entry> entries;
    std::set<std::pair<Time, ServerConnection*>> deadlines;

    // Until the nearest deadline; -1 (no limit) without one.
    int waitMs() const
    {
        if (deadlines.empty())
            return -1;
        return static_cast<int>(std::clamp<Time>(deadlines.begin()->first - now(), 0, 60000));
    }
};

void ServerWorker::run()
{
    Loop loop;
    try {
        loop.db = std::make_unique<StationDatabase>(config_.databasePath);
    } catch (const Exception& e) {
        loop.attachError = encodeError(e);
    }
    attached_.count_down();
    constexpr int kBatch = 64;
    epoll_event events[kBatch];
    bool running = true;
    while (running) {
        const int n = ::epoll_wait(epoll_, events, kBatch, loop.waitMs());
        if (n < 0 && errno != EINTR)
            break;
        for (int i = 0; i < n && running; ++i) {
            auto* c = static_cast<ServerConnection*>(events[i].data.ptr);
            if (!c)
                running = takeIncoming(loop);
            else
                serveEvent(loop, c, events[i].events);
        }
        if (running)
            expireDeadlines(loop);
    }
    closeAll(loop);
}

void ServerWorker::track(Loop& loop, ServerConnection* c)
{
    Entry& e = loop.entries.at(c);
    if (e.deadline != ServerConnection::kNever)
        loop.deadlines.erase({e.deadline, c});
    if (c->finished()) {
        // The descriptor is closed already, which took it out of epoll.
        slots_.release(c->peer());
        --connections_;
        loop.entries.erase(c);
        return;
    }
    const std::uint32_t events = c->wantsWrite() ? EPOLLOUT : (EPOLLIN | EPOLLRDHUP);
    if (events != e.events) {
        epoll_event event = {};
        event.events = events;
        event.data.ptr = c;
        ::epoll_ctl(epoll_, EPOLL_CTL_MOD, c->descriptor(), &event);
        e.events = events;
    }
    e.deadline = c->deadline();
    if (e.deadline != ServerConnection::kNever)
        loop.deadlines.emplace(e.deadline, c);
}

bool ServerWorker::takeIncoming(Loop& loop)
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(wake_, &count, sizeof count);
    std::vector<std::pair<int, QHostAddress>> arrived;
    {
        const std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
        arrived.swap(incoming_);
    }
    for (auto& [fd, peer] : arrived) {
        auto connection = std::make_unique<ServerConnection>(fd, peer, config_, loop.db.get(), loop.attachError, now());
        ServerConnection* c = connection.get();
        epoll_event event = {};
        event.events = EPOLLIN | EPOLLRDHUP;
        event.data.ptr = c;
        if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0)
            connection->close();
        loop.entries.emplace(c, Entry{std::move(connection), event.events, ServerConnection::kNever});
        track(loop, c);
    }
    return true;
}

void ServerWorker::serveEvent(Loop& loop, ServerConnection* c, std::uint32_t ready)
{
    if (!loop.entries.contains(c))
        return; // ended earlier in this batch
    if (c->wantsWrite()) {
        if (ready & (EPOLLOUT | EPOLLERR | EPOLLHUP))
            c->writable(now());
    } else if (ready & (EPOLLIN | EPOLLRDHUP | EPOLLERR | EPOLLHUP)) {
        c->readable(now());
    }
    track(loop, c);
}

void ServerWorker::expireDeadlines(Loop& loop)
{
    const Time t = now();
    while (!loop.deadlines.empty() && loop.deadlines.begin()->first <= t) {
        ServerConnection* c = loop.deadlines.begin()->second;
        c->expire(t);
        track(loop, c);
    }
}

void ServerWorker::closeAll(Loop& loop)
{
    for (auto& [c, e] : loop.entries) {
        if (c->descriptor() >= 0)
            ::shutdown(c->descriptor(), SHUT_WR);
        c->close();
        slots_.release(c->peer());
        --connections_;
    }
    loop.entries.clear();
    loop.db.reset();
}

} // namespace velta::station
