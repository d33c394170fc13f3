// FrameSocket over real loopback TCP connections: frames split and joined by
// the network, oversized and cut frames, timeouts for a whole frame, large
// sends, and peers that leave.
#include "common/Exception.h"
#include "common/FrameSocket.h"
#include "common/WireProtocol.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace velta;

namespace {

// Two ends of one loopback TCP connection; `peer` stays a plain descriptor.
struct Connection {
    std::unique_ptr<FrameSocket> ours;
    int peer = -1;

    Connection()
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 1) != 0
            || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen");
        peer = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot connect");
        ours = std::make_unique<FrameSocket>(::accept(listener, nullptr, nullptr));
        ::close(listener);
    }
    ~Connection() { closePeer(); }

    void send(const QByteArray& bytes) const
    {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(peer, bytes.constData() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            ASSERT_GT(n, 0);
            sent += n;
        }
    }
    // Reads exactly `size` bytes from the peer's end (less when it ends first).
    QByteArray receive(qsizetype size) const
    {
        QByteArray bytes(size, Qt::Uninitialized);
        qsizetype got = 0;
        while (got < size) {
            const ssize_t n = ::recv(peer, bytes.data() + got, size - got, 0);
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        return bytes;
    }
    void closePeer()
    {
        if (peer >= 0)
            ::close(peer);
        peer = -1;
    }
};

QString messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EOleSysError& error) {
        return error.message();
    }
    return QStringLiteral("<no EOleSysError>");
}

} // namespace

TEST(FrameSocket, FramesArrivingTogetherAreHandedOutOneByOne)
{
    Connection c;
    c.send(encodeFrame("first") + encodeFrame("") + encodeFrame("third"));
    EXPECT_EQ(c.ours->readFrame(1000), QByteArray("first"));
    // The rest came with the first receive and waits in the buffer.
    EXPECT_EQ(c.ours->buffered(), qsizetype(kFrameHeaderSize * 2 + 5));
    const auto empty = c.ours->readFrame(1000);
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_EQ(c.ours->readFrame(1000), QByteArray("third"));
    EXPECT_EQ(c.ours->buffered(), 0);
}

TEST(FrameSocket, FrameSplitAcrossManySendsIsJoined)
{
    Connection c;
    QByteArray payload;
    for (int i = 0; i < 300000; ++i)
        payload.append(static_cast<char>(i * 7));
    const QByteArray frame = encodeFrame(payload);
    std::thread writer([&] {
        // Header cut in two, then the payload in uneven pieces.
        c.send(frame.left(3));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (qsizetype at = 3; at < frame.size(); at += 70001) {
            c.send(frame.mid(at, 70001));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const auto got = c.ours->readFrame(10000);
    writer.join();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, payload);
}

TEST(FrameSocket, PeerLeavingBetweenFramesIsACleanEnd)
{
    Connection c;
    c.send(encodeFrame("last"));
    c.closePeer();
    EXPECT_EQ(c.ours->readFrame(1000), QByteArray("last"));
    EXPECT_FALSE(c.ours->readFrame(1000).has_value());
}

TEST(FrameSocket, PeerLeavingInsideAFrameIsAnError)
{
    {
        Connection c;
        c.send(QByteArray::fromHex("0a00"));  // half a header
        c.closePeer();
        EXPECT_TRUE(messageOf([&] { c.ours->readFrame(1000); }).startsWith(QStringLiteral("Соединение разорвано")));
    }
    {
        Connection c;
        c.send(encodeFrame(QByteArray(100, 'x')).left(50)); // header and part of the payload
        c.closePeer();
        EXPECT_TRUE(messageOf([&] { c.ours->readFrame(1000); }).startsWith(QStringLiteral("Соединение разорвано")));
    }
}

TEST(FrameSocket, OversizedLengthIsRefusedFromTheHeaderAlone)
{
    Connection c;
    // Only the header is ever sent: waiting for the payload would time out instead.
    c.send(QByteArray::fromHex("01000100"));
    try {
        c.ours->readFrame(5000, 65536);
        FAIL() << "no exception";
    } catch (const EProtocolError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("65537"))) << error.what();
    }
}

TEST(FrameSocket, TimeoutCoversTheWholeFrame)
{
    Connection c;
    EXPECT_EQ(messageOf([&] { c.ours->readFrame(100); }), QStringLiteral("Истекло время ожидания ответа (100 мс)"));

    // A peer that keeps sending a byte now and then still runs out of time:
    // the limit is for the frame, not for each piece of it.
    Connection slow;
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
        slow.send(QByteArray::fromHex("10000000"));
        while (!stop) {
            slow.send("x");
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    });
    const QString message = messageOf([&] { slow.ours->readFrame(300); });
    stop = true;
    trickle.join();
    EXPECT_EQ(message, QStringLiteral("Истекло время ожидания ответа (300 мс)"));
}

TEST(FrameSocket, WaitForDataTellsIdleFromDataFromGone)
{
    Connection c;
    EXPECT_EQ(c.ours->waitForData(50), FrameSocket::Wait::Idle);
    c.send(encodeFrame("ping"));
    EXPECT_EQ(c.ours->waitForData(1000), FrameSocket::Wait::Data);
    // What the wait took in is the frame read next.
    EXPECT_EQ(c.ours->readFrame(1000), QByteArray("ping"));
    c.closePeer();
    EXPECT_EQ(c.ours->waitForData(1000), FrameSocket::Wait::Closed);
}

TEST(FrameSocket, LargeFrameGoesOutWholeWhileThePeerReadsSlowly)
{
    Connection c;
    QByteArray payload(8 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i % 251);
    QByteArray received;
    std::thread reader([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the socket buffers fill first
        received = c.receive(kFrameHeaderSize + payload.size());
    });
    c.ours->writeFrame(payload, 10000);
    reader.join();
    ASSERT_EQ(received.size(), kFrameHeaderSize + payload.size());
    EXPECT_EQ(frameLength(QByteArrayView(received).first(kFrameHeaderSize)), static_cast<std::uint32_t>(payload.size()));
    EXPECT_TRUE(QByteArrayView(received).sliced(kFrameHeaderSize) == QByteArrayView(payload));
}

TEST(FrameSocket, OversizedFrameIsRefusedBeforeAnythingIsSent)
{
    Connection c;
    EXPECT_THROW(c.ours->writeFrame(QByteArray(101, 'x'), 1000, 100), EProtocolError);
    c.ours->writeFrame("after", 1000, 100);
    // The peer sees only the frame that was allowed: the stream is in step.
    const QByteArray got = c.receive(kFrameHeaderSize + 5);
    EXPECT_EQ(got, encodeFrame("after"));
}

TEST(FrameSocket, WritingToAPeerThatLeftRaisesAndLeavesTheProcessAlone)
{
    Connection c;
    c.closePeer();
    // The first send may still be accepted by the kernel; the following ones
    // meet the reset. No SIGPIPE may end the test program.
    const QString message = messageOf([&] {
        for (int i = 0; i < 100; ++i) {
            c.ours->writeFrame(QByteArray(65536, 'y'), 1000);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Соединение разорвано: "))) << message.toStdString();
}

TEST(FrameSocket, GracefulCloseDeliversTheLastAnswerDespiteUnreadBytes)
{
    Connection c;
    // The peer sent more than we read (a refused request) and waits for the answer.
    c.send(QByteArray(100000, 'z'));
    c.ours->writeFrame("refused", 1000);
    std::thread closer([&] { c.ours->closeGracefully(2000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(c.receive(kFrameHeaderSize + 7), encodeFrame("refused"));
    EXPECT_EQ(c.receive(1).size(), 0); // then the end of the stream
    c.closePeer();
    closer.join();
    EXPECT_FALSE(c.ours->isOpen());
}
