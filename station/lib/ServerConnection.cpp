#include "station/lib/ServerConnection.h"

#include "common/Exception.h"
#include "common/WireProtocol.h"
#include "station/lib/ServerSession.h"
#include "station/lib/StationDatabase.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <memory>

namespace velta::station {
namespace {

// How often an idle connection looks whether the server is stopping.
constexpr int kIdlePollMs = 200;

// Writes the header and the payload as they are (no framed copy) and waits
// until the socket has sent them. False when the client is gone or stalls.
bool sendFrame(QTcpSocket& socket, const QByteArray& payload, int timeoutMs)
{
    const auto length = static_cast<std::uint32_t>(payload.size());
    const char header[kFrameHeaderSize] = {static_cast<char>(length & 0xFF), static_cast<char>((length >> 8) & 0xFF),
                                           static_cast<char>((length >> 16) & 0xFF),
                                           static_cast<char>((length >> 24) & 0xFF)};
    if (socket.write(header, kFrameHeaderSize) != kFrameHeaderSize || socket.write(payload) != payload.size())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (socket.bytesToWrite() > 0) {
        if (socket.state() != QAbstractSocket::ConnectedState || deadline.hasExpired())
            return false;
        if (!socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))
            && socket.error() != QAbstractSocket::SocketTimeoutError)
            return false;
    }
    return true;
}

// Waits for the next request to begin. False when the client left or the server stops.
bool waitForRequest(QTcpSocket& socket, const std::atomic<bool>& stopping)
{
    while (socket.bytesAvailable() <= 0) {
        if (stopping.load() || socket.state() != QAbstractSocket::ConnectedState)
            return false;
        socket.waitForReadyRead(kIdlePollMs);
    }
    return !stopping.load();
}

} // namespace

void ServerConnection::run()
{
    QTcpSocket socket;
    if (!socket.setSocketDescriptor(descriptor_))
        return;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
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
            request = readFrame(socket, config_.frameTimeoutMs, config_.maxRequestSize);
        } catch (const Exception& e) {
            // An oversized or broken frame leaves the stream out of step: answer and leave.
            sendFrame(socket, encodeError(e), config_.frameTimeoutMs);
            break;
        }
        if (!request)
            break;
        if (!session) {
            sendFrame(socket, attachError, config_.frameTimeoutMs);
            break;
        }
        const ServerSession::Reply reply = session->handle(*request);
        if (!sendFrame(socket, reply.payload, config_.frameTimeoutMs) || reply.close)
            break;
    }
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    // Cursors go before the attachment they read from.
    session.reset();
    db.reset();
}

} // namespace velta::station
