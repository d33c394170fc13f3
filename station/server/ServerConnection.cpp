#include "station/server/ServerConnection.h"

#include "common/Exception.h"
#include "common/FrameSocket.h"
#include "common/WireProtocol.h"
#include "station/server/ServerSession.h"
#include "station/db/StationDatabase.h"

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

// Waits for the next request to begin. False when the client left or the server stops.
bool waitForRequest(FrameSocket& socket, const std::atomic<bool>& stopping)
{
    for (;;) {
        if (stopping.load())
            return false;
        switch (socket.waitForData(kIdlePollMs)) {
        case FrameSocket::Wait::Data:
            return !stopping.load();
        case FrameSocket::Wait::Closed:
            return false;
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

    while (waitForRequest(socket, stopping_)) {
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
    }
    socket.closeGracefully(kLingerMs);
    // Cursors go before the attachment they read from.
    session.reset();
    db.reset();
}

} // namespace velta::station
