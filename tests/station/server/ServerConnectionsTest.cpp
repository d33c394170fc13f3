// The station server under many connections: stalled clients from one
// computer beside working ones, the frame timeout, the per-address limit,
// slots given back when clients leave, and sessions sharing a worker.
#include "tests/station/ServerProcess.h"

#include "common/Exception.h"
#include "common/WireProtocol.h"
#include "station/server/ConnectionSlots.h"
#include "station/server/Server.h"
#include "station/server/ServeCommand.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velta::test {
namespace {

// A client socket from a loopback address of its choice to the server on
// 127.0.0.1; Linux lets a client bind any 127.x address as its source.
class RawClient {
public:
    RawClient(quint16 port, const char* from)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in source{};
        source.sin_family = AF_INET;
        ::inet_pton(AF_INET, from, &source.sin_addr);
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(port);
        server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0
            || ::connect(fd_, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~RawClient() { close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    bool send(const QByteArray& bytes) { return ::send(fd_, bytes.constData(), bytes.size(), MSG_NOSIGNAL) == bytes.size(); }
    // One byte of a frame header, and nothing more.
    bool stall() { return send(QByteArray(1, '\x10')); }
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    // What the server sent within waitMs, up to its end or its first whole
    // frame; ended tells whether it closed.
    QByteArray receive(int waitMs, bool* ended)
    {
        QByteArray got;
        *ended = false;
        const QDeadlineTimer deadline(waitMs);
        while (!deadline.hasExpired()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
                break;
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                *ended = true;
                break;
            }
            got.append(buffer, n);
            if (got.size() >= kFrameHeaderSize && got.size() >= kFrameHeaderSize + qsizetype(frameLength(got.left(kFrameHeaderSize))))
                break;
        }
        return got;
    }
    // True while the server keeps the connection open (nothing to read, no end).
    bool stillOpen()
    {
        char byte;
        const ssize_t n = ::recv(fd_, &byte, 1, MSG_DONTWAIT);
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }

private:
    int fd_ = -1;
};

// The error answer in the first frame of bytes.
std::optional<WireAnswer> firstAnswer(const QByteArray& bytes)
{
    FrameDecoder frames;
    frames.append(bytes);
    const std::optional<QByteArray> frame = frames.next();
    if (!frame)
        return std::nullopt;
    return decodeAnswer(*frame);
}

QString residentSize(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return QString::fromLatin1(line.mid(6).simplified());
    return QStringLiteral("unknown");
}

void ask(WireClient& client)
{
    client.call(QString::fromLatin1(station::kGetAZSConfig));
}

class ServerConnections : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // A thousand sockets of the test's own besides the server's.
        station::raiseOpenFileLimit();
        station_ = new DemoStation(false, 200);
    }
    static void TearDownTestSuite()
    {
        delete station_;
        station_ = nullptr;
    }
    static DemoStation* station_;
};
DemoStation* ServerConnections::station_ = nullptr;

TEST_F(ServerConnections, ThousandStalledConnectionsFromOneComputerLeaveTheOthersServed)
{
    constexpr int kStalled = 1000;
    constexpr int kClients = 16;
    constexpr int kCalls = 30;
    // Room for all of them, so the server really holds every stalled one.
    StationServer server(station_->root(), {QStringLiteral("--max-connections"), QString::number(kStalled + kClients),
                                            QStringLiteral("--max-per-address"), QString::number(kStalled),
                                            QStringLiteral("--frame-timeout"), QStringLiteral("120")});
    ASSERT_NE(server.port(), 0) << server.firstOutput().constData();
    const qint64 pid = server.process().processId();
    ask(*server.connect());
    const QString before = residentSize(pid);

    std::vector<std::unique_ptr<RawClient>> stalled;
    for (int i = 0; i < kStalled; ++i) {
        stalled.push_back(std::make_unique<RawClient>(server.port(), "127.0.0.2"));
        ASSERT_TRUE(stalled.back()->connected()) << "connection " << i;
        ASSERT_TRUE(stalled.back()->stall()) << "connection " << i;
    }

    std::atomic<int> answered{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&] {
            try {
                WireClient client;
                client.connect(QStringLiteral("127.0.0.1"), server.port());
                for (int k = 0; k < kCalls; ++k) {
                    ask(client);
                    ++answered;
                }
            } catch (const Exception& e) {
                ADD_FAILURE() << e.message().toStdString();
            }
        });
    }
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(answered.load(), kClients * kCalls);
    std::printf("server resident size: %s before, %s with %d stalled connections\n", before.toUtf8().constData(),
                residentSize(pid).toUtf8().constData(), kStalled);
    int open = 0;
    for (const auto& s : stalled)
        open += s->stillOpen() ? 1 : 0;
    EXPECT_EQ(open, kStalled) << "the server let stalled connections go while it served the others";
}

TEST_F(ServerConnections, DefaultsHoldAFewOfOneComputersConnectionsAndRefuseTheRest)
{
    StationServer server(station_->root());
    ASSERT_NE(server.port(), 0) << server.firstOutput().constData();
    std::vector<std::unique_ptr<RawClient>> stalled;
    for (int i = 0; i < 100; ++i) {
        stalled.push_back(std::make_unique<RawClient>(server.port(), "127.0.0.2"));
        ASSERT_TRUE(stalled.back()->connected());
        stalled.back()->stall();
    }
    int refused = 0;
    const QString message = station::StationServer::addressLimitMessage(QHostAddress(QStringLiteral("127.0.0.2")), 64);
    for (const auto& s : stalled) {
        bool ended = false;
        const std::optional<WireAnswer> answer = firstAnswer(s->receive(s.get() == stalled.back().get() ? 2000 : 50, &ended));
        if (answer) {
            EXPECT_FALSE(answer->ok);
            EXPECT_EQ(answer->errorMessage, message);
            if (!ended)
                s->receive(2000, &ended);
            EXPECT_TRUE(ended) << "a refused connection stayed open";
            ++refused;
        }
    }
    EXPECT_EQ(refused, 100 - 64);
    ask(*server.connect());
}

TEST_F(ServerConnections, UnfinishedFrameIsClosedAfterTheFrameTimeoutAnIdleConnectionIsNot)
{
    StationServer server(station_->root(), {QStringLiteral("--frame-timeout"), QStringLiteral("1")});
    ASSERT_NE(server.port(), 0) << server.firstOutput().constData();
    RawClient half(server.port(), "127.0.0.1");
    RawClient idle(server.port(), "127.0.0.1");
    ASSERT_TRUE(half.connected() && idle.connected());
    const QByteArray frame = encodeFrame(encodeRequest(QString::fromLatin1(station::kGetAZSConfig), {}));
    ASSERT_TRUE(half.send(frame.left(6)));

    bool ended = false;
    const std::optional<WireAnswer> answer = firstAnswer(half.receive(5000, &ended));
    if (!ended)
        half.receive(5000, &ended);
    EXPECT_TRUE(ended) << "the unfinished frame's connection stayed open";
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->errorClass, QStringLiteral("EOleSysError"));
    EXPECT_EQ(answer->errorMessage, QStringLiteral("The request did not arrive whole within 1 s"));

    // The idle one began no frame: only the idle timeout (30 minutes) applies.
    EXPECT_TRUE(idle.stillOpen());
    ASSERT_TRUE(idle.send(frame));
    const std::optional<WireAnswer> served = firstAnswer(idle.receive(5000, &ended));
    ASSERT_TRUE(served.has_value());
    EXPECT_TRUE(served->ok) << served->errorMessage.toStdString();
}

TEST_F(ServerConnections, LongRequestsLargeAnswerIsNotCutByTheFrameTimeout)
{
    // The request runs longer than the frame timeout and its answer is larger
    // than a socket takes at once: the timeout counts from the answer, and
    // only while the client takes nothing.
    StationServer server(station_->root(), {QStringLiteral("--frame-timeout"), QStringLiteral("1")});
    ASSERT_NE(server.port(), 0) << server.firstOutput().constData();
    auto client = server.connect();
    const DataPacket rows = customSql(
        *client, QStringLiteral("WITH RECURSIVE N AS (SELECT 0 AS I FROM RDB$DATABASE UNION ALL SELECT I + 1 FROM N "
                                "WHERE I < 999) SELECT A.I * 1000 + B.I AS K, CAST(LPAD('', 40, 'x') AS VARCHAR(40)) "
                                "AS T FROM N A CROSS JOIN N B WHERE A.I < 300"));
    EXPECT_EQ(rows.rowCount(), 300000);
    ask(*client);
}

TEST_F(ServerConnections, ClosedClientsGiveTheirSlotsBackAtOnce)
{
    constexpr int kCap = 4;
    // Long timeouts: only the clients' leaving can free their slots.
    StationServer server(station_->root(), {QStringLiteral("--max-per-address"), QString::number(kCap),
                                            QStringLiteral("--frame-timeout"), QStringLiteral("600")});
    ASSERT_NE(server.port(), 0) << server.firstOutput().constData();
    const QString refusal = station::StationServer::addressLimitMessage(QHostAddress(QStringLiteral("127.0.0.2")), kCap);
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<RawClient>> full;
        for (int i = 0; i < kCap; ++i) {
            full.push_back(std::make_unique<RawClient>(server.port(), "127.0.0.2"));
            ASSERT_TRUE(full.back()->stall());
        }
        // One more from there is refused; other computers are still served.
        RawClient over(server.port(), "127.0.0.2");
        bool ended = false;
        const std::optional<WireAnswer> answer = firstAnswer(over.receive(5000, &ended));
        ASSERT_TRUE(answer.has_value()) << "round " << round;
        EXPECT_EQ(answer->errorMessage, refusal);
        ask(*server.connect());
        for (auto& c : full)
            c->close();
        // The server hears the closes as they happen; a moment's retry only
        // covers the race between the close and the next connect.
        const QDeadlineTimer deadline(1000);
        std::unique_ptr<RawClient> again;
        for (;;) {
            again = std::make_unique<RawClient>(server.port(), "127.0.0.2");
            again->stall();
            if (again->receive(30, &ended).isEmpty() && !ended)
                break;
            ASSERT_FALSE(deadline.hasExpired()) << "the closed clients' slots did not come back, round " << round;
        }
    }
}

TEST_F(ServerConnections, SessionsSharingAWorkerKeepTheirOwnLastReport)
{
    StationServer server(station_->root(), {QStringLiteral("--workers"), QStringLiteral("1")});
    ASSERT_NE(server.port(), 0) << server.firstOutput().constData();
    auto first = server.connect();
    auto second = server.connect();
    const auto report = [](WireClient& client, int number, const QString& shift) {
        const Variant params(Variant::Array{Variant(std::uint8_t{1}), Variant(-1), Variant(shift),
                                            Variant(Variant::Array{Variant(true)})});
        return client.call(QString::fromLatin1(station::kGetReport), {Variant(number), params, Variant("own")}).toString();
    };
    const auto last = [](WireClient& client) {
        return client
            .call(QString::fromLatin1(station::kGetReport), {Variant(55), Variant(Variant::Array{}), Variant("own")})
            .toString();
    };
    // 200 is a number the engine does not compute: it answers a placeholder naming the parameters.
    report(*first, 200, QStringLiteral("Смена 5"));
    const QString firstHtml = last(*first);
    ASSERT_FALSE(firstHtml.isEmpty());
    EXPECT_EQ(last(*second), QString()) << "a session saw another's last report";
    report(*second, 200, QStringLiteral("Смена 7"));
    const QString secondHtml = last(*second);
    EXPECT_NE(secondHtml, firstHtml);
    EXPECT_EQ(last(*first), firstHtml) << "a session lost its last report to another on the same worker";
    // Cursors of both stay on the one attachment they were opened on.
    const Opened a = openProvider(*first, QStringLiteral("DSPRepTTN"), {}, 1);
    const Opened b = openProvider(*second, QStringLiteral("DSPRepTTN"), {}, 1);
    ASSERT_NE(a.cursor, 0);
    ASSERT_NE(b.cursor, 0);
    EXPECT_GT(fetchRows(*second, b.cursor, -1).rowCount() + fetchRows(*first, a.cursor, -1).rowCount(), 0);
}

TEST(ConnectionSlots, CountPerAddressAndInAllWhateverFormTheAddressCameIn)
{
    using Take = station::ConnectionSlots::Take;
    station::ConnectionSlots places(3, 2);
    const QHostAddress a(QStringLiteral("10.0.0.1"));
    const QHostAddress mapped(QStringLiteral("::ffff:10.0.0.1"));
    const QHostAddress b(QStringLiteral("10.0.0.2"));
    EXPECT_EQ(places.take(a), Take::Taken);
    EXPECT_EQ(places.take(mapped), Take::Taken);
    EXPECT_EQ(places.take(a), Take::AddressFull) << "an IPv4 address mapped into IPv6 escaped its limit";
    EXPECT_EQ(places.take(b), Take::Taken);
    EXPECT_EQ(places.take(b), Take::TotalFull);
    EXPECT_EQ(places.total(), 3);

    places.release(mapped);
    EXPECT_EQ(places.from(a), 1);
    EXPECT_EQ(places.take(b), Take::Taken);
    EXPECT_EQ(places.take(a), Take::TotalFull);
    // A release for an address that holds nothing changes nothing.
    places.release(QHostAddress(QStringLiteral("10.0.0.9")));
    EXPECT_EQ(places.total(), 3);
}

} // namespace
} // namespace velta::test
