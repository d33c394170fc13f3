#include "station/server/ServerConnection.h"

#include "common/Exception.h"
#include "station/server/ServerSession.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace velta::station {
namespace {

// How long a closing connection waits for the client to take its last answer.
constexpr int kLingerMs = 1000;
// Read at most this much per readiness, so one fast sender cannot starve the
// worker's other connections.
constexpr int kReadBudget = 1 << 20;
constexpr int kReadChunk = 64 * 1024;

// One receive buffer per worker thread, not per connection: an idle
// connection costs only its decoder.
char* scratch()
{
    thread_local char buffer[kReadChunk];
    return buffer;
}

} // namespace

ServerConnection::Time ServerConnection::clock()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ServerConnection::ServerConnection(int descriptor, QHostAddress peer, const ServerConfig& config, StationDatabase* db,
                                   QByteArray attachError, Time now)
    : fd_(descriptor)
    , peer_(std::move(peer))
    , config_(config)
    , attachError_(std::move(attachError))
    , decoder_(config.maxRequestSize)
    , idleSince_(now)
{
    if (db)
        session_ = std::make_unique<ServerSession>(*db, config_.key);
    waitForRequest();
}

ServerConnection::~ServerConnection()
{
    close();
}

void ServerConnection::close()
{
    // Cursors go before anything else of the connection.
    session_.reset();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    payload_.clear();
    state_ = State::Finished;
    deadline_ = kNever;
}

void ServerConnection::readable(Time now)
{
    if (state_ == State::Lingering) {
        drain();
        return;
    }
    if (state_ != State::Reading)
        return;
    for (int budget = kReadBudget; budget > 0;) {
        const ssize_t n = ::recv(fd_, scratch(), kReadChunk, MSG_DONTWAIT);
        if (n > 0) {
            if (decoder_.pending() == 0)
                frameSince_ = now;
            decoder_.append(QByteArrayView(scratch(), n));
            budget -= static_cast<int>(n);
            if (n < kReadChunk)
                break; // the socket is very likely empty now
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n < 0) {
            close(); // the connection broke: nobody to answer
            return;
        }
        peerClosed_ = true; // answer what came before the end, then leave
        break;
    }
    serveFrames(now);
}

void ServerConnection::serveFrames(Time now)
{
    while (state_ == State::Reading) {
        std::optional<QByteArray> request;
        try {
            request = decoder_.next();
        } catch (const Exception& e) {
            // An oversized or broken frame leaves the stream out of step: answer and leave.
            answerAndLeave(encodeError(e), now);
            return;
        }
        if (!request)
            break;
        // A frame already begun behind this one counts from now.
        frameSince_ = decoder_.pending() > 0 ? now : kNever;
        if (!session_) {
            answerAndLeave(attachError_, now);
            return;
        }
        const ServerSession::Reply reply = session_->handle(*request);
        // A request may run long: the answer's times count from its end.
        now = clock();
        leaveAfterAnswer_ = reply.close;
        queueAnswer(reply.payload);
        flush(now);
    }
    if (state_ != State::Reading)
        return;
    if (peerClosed_) {
        close(); // the client left, maybe in the middle of a frame
        return;
    }
    waitForRequest();
}

void ServerConnection::waitForRequest()
{
    // The idle time runs from the last answer (or the connection's start);
    // a frame on its way has the frame timeout instead.
    if (decoder_.pending() > 0)
        deadline_ = frameSince_ + config_.frameTimeoutMs;
    else if (config_.idleTimeoutSeconds > 0)
        deadline_ = idleSince_ + Time(config_.idleTimeoutSeconds) * 1000;
    else
        deadline_ = kNever;
}

void ServerConnection::queueAnswer(const QByteArray& payload)
{
    // An answer too large for a frame goes out as the error that says so, so
    // the client hears why instead of losing the connection.
    if (payload.size() > static_cast<qsizetype>(kMaxFrameSize)) {
        payload_ = encodeError(EProtocolError(QStringLiteral("Frame of %1 bytes exceeds the limit of %2 bytes")
                                                  .arg(payload.size())
                                                  .arg(kMaxFrameSize)));
    } else {
        payload_ = payload;
    }
    const auto length = static_cast<std::uint32_t>(payload_.size());
    for (int i = 0; i < kFrameHeaderSize; ++i)
        header_[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    sent_ = 0;
}

void ServerConnection::flush(Time now)
{
    const qsizetype total = kFrameHeaderSize + payload_.size();
    while (sent_ < total) {
        iovec parts[2];
        int count = 0;
        if (sent_ < kFrameHeaderSize)
            parts[count++] = {header_ + sent_, static_cast<size_t>(kFrameHeaderSize - sent_)};
        const qsizetype from = std::max<qsizetype>(0, sent_ - kFrameHeaderSize);
        if (from < payload_.size())
            parts[count++] = {const_cast<char*>(payload_.constData()) + from, static_cast<size_t>(payload_.size() - from)};
        msghdr message = {};
        message.msg_iov = parts;
        message.msg_iovlen = static_cast<size_t>(count);
        const ssize_t n = ::sendmsg(fd_, &message, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            sent_ += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The rest goes when the client takes more; it must within the frame timeout.
            state_ = State::Writing;
            deadline_ = now + config_.frameTimeoutMs;
            return;
        }
        close(); // the client is gone
        return;
    }
    payload_ = QByteArray();
    idleSince_ = now;
    if (leaveAfterAnswer_) {
        beginLinger(now);
        return;
    }
    state_ = State::Reading;
}

void ServerConnection::writable(Time now)
{
    if (state_ != State::Writing)
        return;
    flush(now);
    // Requests that arrived meanwhile wait in the decoder.
    if (state_ == State::Reading)
        serveFrames(now);
}

void ServerConnection::answerAndLeave(const QByteArray& payload, Time now)
{
    leaveAfterAnswer_ = true;
    queueAnswer(payload);
    flush(now);
}

void ServerConnection::beginLinger(Time now)
{
    // Stop sending and take what the client still sends for a moment, so the
    // last answer is not cut off by a reset.
    ::shutdown(fd_, SHUT_WR);
    session_.reset();
    state_ = State::Lingering;
    deadline_ = now + kLingerMs;
    drain();
}

bool discardReceived(int descriptor, char* scratch, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::recv(descriptor, scratch, size, MSG_DONTWAIT);
        if (n > 0)
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        return !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    }
}

void ServerConnection::drain()
{
    if (discardReceived(fd_, scratch(), kReadChunk))
        close();
}

void ServerConnection::expire(Time now)
{
    if (now < deadline_)
        return;
    if (state_ == State::Reading) {
        // What arrived while the worker ran other requests counts as in time.
        readable(now);
        if (state_ != State::Reading || now < deadline_)
            return;
    }
    switch (state_) {
    case State::Reading:
        if (decoder_.pending() > 0) {
            // A frame left unfinished: say why, then leave.
            answerAndLeave(encodeError(EOleSysError(
                               QStringLiteral("The request did not arrive whole within %1 s").arg(config_.frameTimeoutMs / 1000.0))),
                           now);
            return;
        }
        close(); // idle: no answer in flight to wait for
        return;
    case State::Writing:   // the client takes no answer
    case State::Lingering: // the linger is over
        close();
        return;
    case State::Finished:
        return;
    }
}

} // namespace velta::station
