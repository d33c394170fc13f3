#include "station/server/ServerConnection.h"

#include "common/Exception.h"
#include "common/FrameSocket.h"
#include "common/WireProtocol.h"
#include "station/server/ServerSession.h"
#include "station/db/StationDatabase.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <memory>

namespace velta::station {
namespace {

// How often an idle connection looks whether the server is stopping.
constexpr int kIdlePollMs = 200;
// How long a closing connection waits for the client to take its last answer.
constexpr int kLingerMs = 1000;

// Sends one answer. An answer too large for a frame goes out as the error
// that says so, so the client hears why instead of losing the connection.
// False when the client is gone or stalls.
bool sendAnswer(FrameSocket& socket, const QByteArray& payload, int timeoutMs)
{
    try {
        try {
            socket.writeFrame(payload, timeoutMs);
        } catch (const EProtocolError& tooLarge) {
            socket.writeFrame(encodeError(tooLarge), timeoutMs);
        }
        return true;
    } catch (const Exception&) {
        return false;
    }
}

enum class Next { Request, Leave, Idle };

// Waits for the next request to begin: Leave when the client left or the
// server stops, Idle when none began before the idle deadline.
Next waitForRequest(FrameSocket& socket, const std::atomic<bool>& stopping, const QDeadlineTimer& idleDeadline)
{
    for (;;) {
        if (stopping.load())
            return Next::Leave;
        if (idleDeadline.hasExpired())
            return Next::Idle;
        const qint64 left = idleDeadline.isForever() ? kIdlePollMs : idleDeadline.remainingTime();
        switch (socket.waitForData(static_cast<int>(std::clamp<qint64>(left, 1, kIdlePollMs)))) {
        case FrameSocket::Wait::Data:
            return stopping.load() ? Next::Leave : Next::Request;
        case FrameSocket::Wait::Closed:
            return Next::Leave;
        case FrameSocket::Wait::Idle:
            break;
        }
    }
}

} // namespace

void ServerConnection::run()
{
    FrameSocket socket(static_cast<int>(descriptor_));
    if (!socket.isOpen())
        return;
    std::unique_ptr<StationDatabase> db;
    QByteArray attachError;
    try {
        db = std::make_unique<StationDatabase>(config_.databasePath);
    } catch (const Exception& e) {
        attachError = encodeError(e);
    }
    std::unique_ptr<ServerSession> session;
    if (db)
        session = std::make_unique<ServerSession>(*db, config_.key);

    // The idle time runs from the last answer (or the connection's start);
    // a request in progress is never idle.
    const auto idleDeadline = [this] {
        return config_.idleTimeoutSeconds > 0 ? QDeadlineTimer(qint64(config_.idleTimeoutSeconds) * 1000)
                                              : QDeadlineTimer(QDeadlineTimer::Forever);
    };
    QDeadlineTimer idle = idleDeadline();
    Next next = Next::Request;
    while ((next = waitForRequest(socket, stopping_, idle)) == Next::Request) {
        std::optional<QByteArray> request;
        try {
            request = socket.readFrame(config_.frameTimeoutMs, config_.maxRequestSize);
        } catch (const Exception& e) {
            // An oversized or broken frame leaves the stream out of step: answer and leave.
            sendAnswer(socket, encodeError(e), config_.frameTimeoutMs);
            break;
        }
        if (!request)
            break;
        if (!session) {
            sendAnswer(socket, attachError, config_.frameTimeoutMs);
            break;
        }
        const ServerSession::Reply reply = session->handle(*request);
        if (!sendAnswer(socket, reply.payload, config_.frameTimeoutMs) || reply.close)
            break;
        idle = idleDeadline();
    }
    // An idle client has no answer in flight to wait for.
    if (next == Next::Idle)
        socket.close();
    else
        socket.closeGracefully(kLingerMs);
    // Cursors go before the attachment they read from.
    session.reset();
    db.reset();
}

} // namespace velta::station
