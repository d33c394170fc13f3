#pragma once
// ServerWorker: one request thread of the station server with its own
// database attachment (the embedded engine allows one per thread) and an
// event loop (epoll) over the connections pinned to it. A connection is
// pinned to one worker for its whole life, so its requests run in order and
// its session's cursors stay on the attachment they were opened on; a
// waiting or stalled connection costs the worker nothing but a socket and
// its buffers. Several connections share a worker, its attachment and its
// thread: one runs its request while the others' requests wait.
#include "station/server/ServerConfig.h"

#include <QHostAddress>
#include <QThread>
#include <atomic>
#include <latch>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace velta::station {

class ConnectionSlots;
class ServerConnection;

class ServerWorker {
public:
    // Connections that end give their slot back to connectionSlots.
    ServerWorker(const ServerConfig& config, ConnectionSlots& connectionSlots);
    // Stops the worker.
    ~ServerWorker();
    ServerWorker(const ServerWorker&) = delete;
    ServerWorker& operator=(const ServerWorker&) = delete;

    // Starts the thread, which attaches to the database.
    void start();
    // Returns once the thread has attached to the database (or failed to).
    void waitUntilAttached() { attached_.wait(); }
    // Hands over an accepted socket whose slot the caller took; from any thread.
    void adopt(int descriptor, const QHostAddress& peer);
    // Closes every connection, lets go of the attachment and ends the thread.
    void stop();

    // Connections pinned here, for choosing the least loaded worker.
    int connections() const { return connections_.load(); }

private:
    struct Loop; // the event loop's state, touched by the worker's thread only

    void run();
    void wake();
    // After an event: forgets a finished connection, or brings epoll's
    // interest and the deadline in line with what the connection waits for.
    void track(Loop& loop, ServerConnection* c);
    // Takes the handed-over sockets; false when the worker stops.
    bool takeIncoming(Loop& loop);
    void serveEvent(Loop& loop, ServerConnection* c, std::uint32_t ready);
    // Deadlines that have passed, after the reads that might have met them.
    void expireDeadlines(Loop& loop);
    // Sessions and their cursors go before the attachment they read from.
    void closeAll(Loop& loop);

    const ServerConfig& config_;
    ConnectionSlots& slots_;
    int epoll_ = -1;
    int wake_ = -1; // an eventfd the loop watches for hand-overs and the stop
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::vector<std::pair<int, QHostAddress>> incoming_;
    bool stopping_ = false;
    std::unique_ptr<QThread> thread_;
    std::latch attached_{1};
};

} // namespace velta::station
