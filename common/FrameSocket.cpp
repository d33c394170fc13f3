#include "common/FrameSocket.h"

#include "common/Exception.h"

#include <QDeadlineTimer>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace velta {

namespace {

// Room for a whole small frame, so a request or answer usually takes one receive.
constexpr qsizetype kBufferSize = 64 * 1024;
// Payloads larger than what is buffered grow in steps from this size.
constexpr qsizetype kFirstPayloadStep = 64 * 1024;
// A socket timeout longer than the time left by more than this is shortened.
constexpr qint64 kTimeoutSlackMs = 20;

// receive() results besides a byte count.
constexpr qsizetype kPeerClosed = 0;
constexpr qsizetype kTimedOut = -1;
constexpr qsizetype kFailed = -2;

[[noreturn]] void raiseTimeout(int timeoutMs)
{
    throw EOleSysError(QStringLiteral("Истекло время ожидания ответа (%1 мс)").arg(timeoutMs));
}

[[noreturn]] void raiseClosed()
{
    throw EOleSysError(QStringLiteral("Соединение разорвано: соединение закрыто"));
}

QDeadlineTimer deadlineFor(int timeoutMs)
{
    return timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
}

} // namespace

FrameSocket::FrameSocket(int descriptor)
    : fd_(descriptor)
{
    if (fd_ < 0)
        return;
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0 && (flags & O_NONBLOCK))
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    // Frames leave in one send; nothing is gained by holding them back.
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

FrameSocket::~FrameSocket()
{
    close();
}

void FrameSocket::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    buffer_ = QByteArray();
    begin_ = end_ = 0;
}

void FrameSocket::closeGracefully(int lingerMs)
{
    if (fd_ < 0)
        return;
    ::shutdown(fd_, SHUT_WR);
    const QDeadlineTimer deadline(lingerMs);
    char scratch[4096];
    while (receive(scratch, sizeof scratch, deadline) > 0) {
    }
    close();
}

void FrameSocket::setTimeout(int option, int& current, qint64 wantedMs)
{
    int next = current;
    if (wantedMs < 0)
        next = -1;
    else if (current < 0 || current > wantedMs + kTimeoutSlackMs)
        next = static_cast<int>(std::clamp<qint64>(wantedMs, 1, INT_MAX));
    // A shorter timeout than the time left only wakes the loop early.
    if (next == current)
        return;
    timeval tv{};
    if (next > 0) {
        tv.tv_sec = next / 1000;
        tv.tv_usec = (next % 1000) * 1000;
    }
    if (::setsockopt(fd_, SOL_SOCKET, option, &tv, sizeof tv) == 0)
        current = next;
}

qsizetype FrameSocket::receive(char* into, qsizetype capacity, const QDeadlineTimer& deadline)
{
    for (;;) {
        if (fd_ < 0)
            return kFailed;
        const qint64 left = deadline.isForever() ? -1 : deadline.remainingTime();
        int flags = 0;
        if (left == 0)
            flags = MSG_DONTWAIT; // no time left: take only what is already there
        else
            setTimeout(SO_RCVTIMEO, recvTimeoutMs_, left);
        const ssize_t n = ::recv(fd_, into, static_cast<size_t>(capacity), flags);
        if (n >= 0)
            return n;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == EAGAIN || error == EWOULDBLOCK) {
            if (left == 0 || deadline.hasExpired())
                return kTimedOut;
            continue;
        }
        lastError_ = error;
        return kFailed;
    }
}

void FrameSocket::raiseBroken(int error) const
{
    throw EOleSysError(QStringLiteral("Соединение разорвано: %1").arg(qt_error_string(error)));
}

void FrameSocket::compact()
{
    if (buffer_.size() < kBufferSize)
        buffer_.resize(kBufferSize);
    if (begin_ == end_) {
        begin_ = end_ = 0;
    } else if (begin_ > 0 && end_ == buffer_.size()) {
        std::memmove(buffer_.data(), buffer_.constData() + begin_, static_cast<size_t>(end_ - begin_));
        end_ -= begin_;
        begin_ = 0;
    }
}

FrameSocket::Wait FrameSocket::waitForData(int waitMs)
{
    if (buffered() > 0)
        return Wait::Data;
    if (fd_ < 0)
        return Wait::Closed;
    compact();
    const qsizetype n = receive(buffer_.data() + end_, buffer_.size() - end_, deadlineFor(waitMs));
    if (n > 0) {
        end_ += n;
        return Wait::Data;
    }
    return n == kTimedOut ? Wait::Idle : Wait::Closed;
}

std::optional<QByteArray> FrameSocket::readFrame(int timeoutMs, std::uint32_t maxSize)
{
    if (fd_ < 0)
        raiseClosed();
    const QDeadlineTimer deadline = deadlineFor(timeoutMs);
    while (buffered() < kFrameHeaderSize) {
        compact();
        const qsizetype n = receive(buffer_.data() + end_, buffer_.size() - end_, deadline);
        if (n > 0) {
            end_ += n;
            continue;
        }
        if (n == kTimedOut)
            raiseTimeout(timeoutMs);
        // A peer gone before a frame began has simply left.
        if (buffered() == 0)
            return std::nullopt;
        if (n == kFailed)
            raiseBroken(lastError_);
        raiseClosed();
    }
    const std::uint32_t length = frameLength(QByteArrayView(buffer_.constData() + begin_, kFrameHeaderSize), maxSize);
    begin_ += kFrameHeaderSize;

    const qsizetype wanted = static_cast<qsizetype>(length);
    const qsizetype inBuffer = std::min(buffered(), wanted);
    QByteArray payload(buffer_.constData() + begin_, inBuffer);
    begin_ += inBuffer;
    // The rest goes straight into the payload, which grows with the bytes that
    // really arrive: a peer announcing a large frame and sending little costs
    // no more memory than it sent.
    while (payload.size() < wanted) {
        if (payload.capacity() == payload.size())
            payload.reserve(std::min(wanted, std::max(payload.size() * 2, kFirstPayloadStep)));
        const qsizetype had = payload.size();
        const qsizetype room = std::min(payload.capacity(), wanted) - had;
        payload.resize(had + room);
        const qsizetype n = receive(payload.data() + had, room, deadline);
        if (n <= 0) {
            if (n == kTimedOut)
                raiseTimeout(timeoutMs);
            if (n == kFailed)
                raiseBroken(lastError_);
            raiseClosed();
        }
        payload.resize(had + n);
    }
    return payload;
}

void FrameSocket::writeFrame(QByteArrayView payload, int timeoutMs, std::uint32_t maxSize)
{
    if (payload.size() > static_cast<qsizetype>(maxSize))
        throw EProtocolError(
            QStringLiteral("Frame of %1 bytes exceeds the limit of %2 bytes").arg(payload.size()).arg(maxSize));
    if (fd_ < 0)
        raiseClosed();
    const auto length = static_cast<std::uint32_t>(payload.size());
    unsigned char header[kFrameHeaderSize] = {static_cast<unsigned char>(length & 0xFF),
                                              static_cast<unsigned char>((length >> 8) & 0xFF),
                                              static_cast<unsigned char>((length >> 16) & 0xFF),
                                              static_cast<unsigned char>((length >> 24) & 0xFF)};
    iovec parts[2];
    parts[0].iov_base = header;
    parts[0].iov_len = kFrameHeaderSize;
    parts[1].iov_base = const_cast<char*>(payload.data());
    parts[1].iov_len = static_cast<size_t>(payload.size());
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = payload.isEmpty() ? 1 : 2;

    const QDeadlineTimer deadline = deadlineFor(timeoutMs);
    while (message.msg_iovlen > 0) {
        setTimeout(SO_SNDTIMEO, sendTimeoutMs_, deadline.isForever() ? -1 : std::max<qint64>(deadline.remainingTime(), 1));
        // MSG_NOSIGNAL: a peer that has gone must not end this process.
        const ssize_t n = ::sendmsg(fd_, &message, MSG_NOSIGNAL);
        if (n < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            if (error == EAGAIN || error == EWOULDBLOCK) {
                if (deadline.hasExpired())
                    raiseTimeout(timeoutMs);
                continue;
            }
            raiseBroken(error);
        }
        // Step past what went out; a partial send leaves the rest for the next round.
        auto sent = static_cast<size_t>(n);
        while (message.msg_iovlen > 0 && sent >= message.msg_iov[0].iov_len) {
            sent -= message.msg_iov[0].iov_len;
            ++message.msg_iov;
            --message.msg_iovlen;
        }
        if (message.msg_iovlen > 0) {
            message.msg_iov[0].iov_base = static_cast<char*>(message.msg_iov[0].iov_base) + sent;
            message.msg_iov[0].iov_len -= sent;
        }
    }
}

} // namespace velta
