#pragma once
// ServerConnection: one client socket of the station server, driven by the
// event loop of the worker it is pinned to (ServerWorker). It never blocks:
// it reads what has arrived into a frame decoder, answers each whole request
// through its ServerSession on the worker's database attachment, and sends
// the answer as far as the socket takes it, the rest when it is writable
// again. Requests are answered one at a time, in order; while an answer is
// going out nothing more is read.
//
// It ends when the client leaves (at once), breaks the framing or is refused
// by the session (after the error answer), leaves a frame unfinished longer
// than the frame timeout, takes no answer for as long, stays idle past the
// idle timeout, or the worker stops.
#include "common/WireProtocol.h"
#include "station/server/ServerConfig.h"

#include <QByteArray>
#include <QHostAddress>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

namespace velta::station {

// Reads and drops what the peer has sent so far. True when the peer closed
// or the connection broke, false when nothing more is waiting.
bool discardReceived(int descriptor, char* scratch, std::size_t size);

class ServerSession;
class StationDatabase;

class ServerConnection {
public:
    // Milliseconds on a steady clock.
    using Time = std::int64_t;
    static constexpr Time kNever = std::numeric_limits<Time>::max();
    static Time clock();

    // Takes over the descriptor. db is the worker's attachment, or null when
    // the worker could not attach (each request then gets attachError).
    ServerConnection(int descriptor, QHostAddress peer, const ServerConfig& config, StationDatabase* db,
                     QByteArray attachError, Time now);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    int descriptor() const { return fd_; }
    const QHostAddress& peer() const { return peer_; }

    // The socket has something to read (or has hung up).
    void readable(Time now);
    // The socket takes more of the answer.
    void writable(Time now);
    // The deadline has passed.
    void expire(Time now);

    bool finished() const { return state_ == State::Finished; }
    bool wantsWrite() const { return state_ == State::Writing; }
    // When expire() is due; kNever when no time limit runs.
    Time deadline() const { return deadline_; }

    // Closes at once, letting the session's cursors go first.
    void close();

    // Sessions live while the connection does; for tests of the pinning.
    const ServerSession* session() const { return session_.get(); }

private:
    enum class State { Reading, Writing, Lingering, Finished };

    void serveFrames(Time now);
    void queueAnswer(const QByteArray& payload);
    void flush(Time now);
    void answerAndLeave(const QByteArray& payload, Time now);
    void beginLinger(Time now);
    void drain();
    void waitForRequest();

    int fd_;
    QHostAddress peer_;
    const ServerConfig& config_;
    QByteArray attachError_;
    std::unique_ptr<ServerSession> session_;
    FrameDecoder decoder_;
    State state_ = State::Reading;
    Time deadline_ = kNever;
    Time idleSince_;
    Time frameSince_ = kNever; // when the frame now arriving began
    bool peerClosed_ = false;
    bool leaveAfterAnswer_ = false;
    // The answer going out: header and payload, and how much of both is sent.
    char header_[kFrameHeaderSize] = {};
    QByteArray payload_;
    qsizetype sent_ = 0;
};

} // namespace velta::station
