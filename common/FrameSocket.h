#pragma once
// FrameSocket: blocking frame I/O straight on a connected TCP socket
// descriptor, for the wire protocol's hot path. A frame goes out in one
// send of header and payload; an answer usually comes in with one receive,
// the socket's own receive timeout standing in for a separate poll. Bytes
// received past a frame wait in a small buffer for the next one.
//
// Failures raise as readFrame/writeFrame on a QIODevice do (WireProtocol.h):
// a peer that closes mid-frame or breaks the connection and a timeout raise
// EOleSysError, an oversized length EProtocolError before anything is
// allocated for it. After a failure the stream is out of step: close it.
#include "common/RuntimeExport.h"
#include "common/WireProtocol.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

class QDeadlineTimer;

namespace velta {

class VELTA_RUNTIME_EXPORT FrameSocket {
public:
    // Takes over the descriptor: it is made blocking and closed by close().
    explicit FrameSocket(int descriptor);
    ~FrameSocket();
    FrameSocket(const FrameSocket&) = delete;
    FrameSocket& operator=(const FrameSocket&) = delete;

    int descriptor() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

    // The next frame's payload; nothing when the peer closed cleanly before a
    // frame began. timeoutMs (for the whole frame) < 0 waits without limit.
    std::optional<QByteArray> readFrame(int timeoutMs, std::uint32_t maxSize = kMaxFrameSize);
    // Sends header and payload; a payload over maxSize raises EProtocolError
    // before anything is sent.
    void writeFrame(QByteArrayView payload, int timeoutMs, std::uint32_t maxSize = kMaxFrameSize);

    enum class Wait { Data, Idle, Closed };
    // Waits up to waitMs for the first byte of the next frame: Data when some
    // has arrived (or was already buffered), Idle when none came in time,
    // Closed when the peer left or the connection broke.
    Wait waitForData(int waitMs);

    // Bytes received and not yet handed out as a frame.
    qsizetype buffered() const { return end_ - begin_; }

    // Closes at once (a reset when unread bytes remain).
    void close();
    // Stops sending, reads and drops what the peer still sends for up to
    // lingerMs so that the last answer is not cut off by a reset, then closes.
    void closeGracefully(int lingerMs);

private:
    // One receive, waiting no longer than the deadline allows. Returns the
    // bytes received, 0 when the peer closed, -1 when it timed out, -2 when the
    // connection broke (lastError_ says why).
    qsizetype receive(char* into, qsizetype capacity, const QDeadlineTimer& deadline);
    void setTimeout(int option, int& current, qint64 wantedMs);
    [[noreturn]] void raiseBroken(int error) const;
    void compact();

    int fd_ = -1;
    QByteArray buffer_;
    qsizetype begin_ = 0;
    qsizetype end_ = 0;
    int recvTimeoutMs_ = -1; // what the socket holds now; -1 without limit
    int sendTimeoutMs_ = -1;
    int lastError_ = 0;
};

} // namespace velta
