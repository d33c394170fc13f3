// The station server under bad input, keys, several clients, clients that die,
// and its limits on connections and idle time.
#include "tests/station/ServerProcess.h"

#include "common/Exception.h"
#include "common/WireProtocol.h"
#include "station/server/ServeCommand.h"
#include "tests/support/ChildProcess.h"

#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <csignal>
#include <thread>

namespace velta::test {
namespace {

// A child that sends half a frame and a whole heavy request, then hangs until killed.
const ChildRoleRegistration kHalfRequest("server-half-request", [](const QStringList& args) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(args.value(0).toUInt()));
    if (!socket.waitForConnected(5000))
        return 2;
    const QByteArray heavy = encodeRequest(QString::fromLatin1(station::kOpenProvider),
                                           {Variant("DSPRepAllLogTran"), Variant(""), Variant(Variant::Array{}), Variant(-1)});
    socket.write(encodeFrame(heavy));
    const QByteArray frame = encodeFrame(encodeRequest(QStringLiteral("GetAZSConfig"), {}));
    socket.write(frame.left(frame.size() / 2));
    socket.waitForBytesWritten(5000);
    std::puts("sent");
    std::fflush(stdout);
    QThread::sleep(60);
    return 0;
});

// A child that serves the station folder given and prints the server's pid,
// then hangs until killed.
const ChildRoleRegistration kServingParent("serving-parent", [](const QStringList& args) {
    StationServer server(args.value(0));
    if (server.port() == 0)
        return 2;
    std::printf("%lld\n", static_cast<long long>(server.process().processId()));
    std::fflush(stdout);
    QThread::sleep(60);
    return 0;
});

class ServerBadInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() { served_ = new ServedStation(false, 800); }
    static void TearDownTestSuite()
    {
        delete served_;
        served_ = nullptr;
    }
    // Sends raw bytes and reads one answer frame (nothing when the server closed).
    static std::optional<WireAnswer> rawExchange(const QByteArray& bytes)
    {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), served_->server.port());
        EXPECT_TRUE(socket.waitForConnected(5000));
        socket.write(bytes);
        socket.waitForBytesWritten(5000);
        const std::optional<QByteArray> frame = readFrame(socket, 10000);
        if (!frame)
            return std::nullopt;
        return decodeAnswer(*frame);
    }
    static ServedStation* served_;
};
ServedStation* ServerBadInput::served_ = nullptr;

TEST_F(ServerBadInput, MalformedPayloadIsAnsweredAndTheConnectionGoesOn)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), served_->server.port());
    ASSERT_TRUE(socket.waitForConnected(5000));
    writeFrame(socket, QByteArray("\x01\xFF\xFF garbage", 11), 5000);
    const WireAnswer bad = decodeAnswer(*readFrame(socket, 10000));
    EXPECT_FALSE(bad.ok);
    EXPECT_FALSE(bad.errorMessage.isEmpty());
    // A well-formed Variant that is no request is refused the same way.
    writeFrame(socket, serializeVariant(Variant(42)), 5000);
    EXPECT_FALSE(decodeAnswer(*readFrame(socket, 10000)).ok);
    writeFrame(socket, encodeRequest(QStringLiteral("GetNewContragentNumber"), {}), 5000);
    const WireAnswer good = decodeAnswer(*readFrame(socket, 10000));
    EXPECT_TRUE(good.ok) << good.errorMessage.toStdString();
}

TEST_F(ServerBadInput, OversizedFrameIsRefusedBeforeItArrives)
{
    QByteArray header(4, '\0');
    header[0] = '\xF0';
    header[1] = '\xFF';
    header[2] = '\xFF';
    header[3] = '\x7F'; // about 2 GB announced, nothing sent
    const std::optional<WireAnswer> answer = rawExchange(header);
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(answer->ok);
    EXPECT_EQ(answer->errorClass, QStringLiteral("EProtocolError"));
    EXPECT_TRUE(answer->errorMessage.contains(QStringLiteral("exceeds the limit")));
    EXPECT_NE(served_->server.connect()->call(QStringLiteral("GetNewContragentNumber")).toInt(), 0);
}

TEST_F(ServerBadInput, UnknownMethodProviderAndWrongArgumentsAreErrors)
{
    auto client = served_->server.connect();
    EXPECT_THROW(client->call(QStringLiteral("DropEverything")), EOleSysError);
    try {
        openProvider(*client, QStringLiteral("NoSuchProvider"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Provider not exported: NoSuchProvider"));
    }
    EXPECT_THROW(client->call(QString::fromLatin1(station::kOpenProvider), {Variant("SmLogProvider")}), EProtocolError);
    EXPECT_THROW(client->call(QString::fromLatin1(station::kFetchRows), {Variant("one"), Variant(1)}), EProtocolError);
    EXPECT_GT(openProvider(*client, QStringLiteral("DSPRepScanDocTypes")).packet.rowCount(), 0);
}

TEST_F(ServerBadInput, ArgumentOfTheWrongTypeIsNamedInTheError)
{
    auto client = served_->server.connect();
    const Variant none(Variant::Array{});
    const struct {
        const char* method;
        Variant::Array args;
        const char* message;
    } cases[] = {
        {station::kOpenProvider, {Variant(5), Variant(""), none, Variant(-1)}, "Argument 1 of OpenProvider must be a string"},
        {station::kOpenProvider, {Variant("DSPRepTTNID"), Variant(""), Variant(3), Variant(-1)},
         "Argument 3 of OpenProvider must be an array"},
        {station::kOpenProvider, {Variant("DSPRepTTNID"), Variant(""), none, Variant("all")},
         "Argument 4 of OpenProvider must be an integer"},
        {station::kFetchRows, {Variant(1), Variant("ten")}, "Argument 2 of FetchRows must be an integer"},
        {station::kCloseCursor, {Variant(none)}, "Argument 1 of CloseCursor must be an integer"},
        {station::kExecute, {Variant("DSPRepCustomSQL"), Variant(true), none}, "Argument 2 of Execute must be a string"},
        {station::kApplyUpdates, {Variant(Variant::Array{Variant("DSPRepTTN"), Variant(""), Variant(7)})},
         "Argument 3 of ApplyUpdates must be a byte array"},
        {station::kGetAZSConfig, {Variant(1)}, "GetAZSConfig expects 0 arguments, not 1"},
    };
    for (const auto& c : cases) {
        try {
            client->call(QString::fromLatin1(c.method), c.args);
            ADD_FAILURE() << c.method << " took arguments of the wrong type";
        } catch (const EProtocolError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
    // The connection goes on serving.
    EXPECT_EQ(client->call(QString::fromLatin1(station::kCloseCursor), {Variant(0)}).isNull(), true);
}

TEST_F(ServerBadInput, RejectedSqlCarriesTheDatabaseText)
{
    auto client = served_->server.connect();
    try {
        customSql(*client, QStringLiteral("SELECT NOSUCHCOLUMN FROM SMLOG"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("NOSUCHCOLUMN"))) << e.message().toStdString();
    }
    EXPECT_THROW(client->call(QString::fromLatin1(station::kExecute),
                              {Variant("DSPRepCustomSQL"), Variant("DELETE FROM NOWHERE"), Variant(Variant::Array{})}),
                 EDatabaseError);
    EXPECT_EQ(customSql(*client, QStringLiteral("SELECT 1 FROM RDB$DATABASE")).value(0, 0).toInt(), 1);
}

TEST_F(ServerBadInput, KeyedServerServesOnlyClientsWithTheKey)
{
    TestEnv env;
    const QString keyFile = env.path(QStringLiteral("key"));
    writeFileBytes(keyFile, "s3cret\n");
    // A station of its own: the suite's server holds the shared one.
    const DemoStation station(false, 200);
    StationServer keyed(station.root(), {QStringLiteral("--key"), keyFile});
    ASSERT_NE(keyed.port(), 0) << keyed.firstOutput().constData();

    EXPECT_EQ(keyed.connect(QStringLiteral("s3cret"))->call(QStringLiteral("GetNewContragentNumber")).isNumeric(), true);

    auto wrong = keyed.connect();
    EXPECT_THROW(wrong->authenticate(QStringLiteral("guess")), EOleSysError);
    // The server closed the connection after refusing the key.
    EXPECT_THROW(wrong->call(QStringLiteral("GetNewContragentNumber")), EOleSysError);

    auto silent = keyed.connect();
    EXPECT_THROW(silent->call(QStringLiteral("GetAZSConfig")), EOleSysError);
    EXPECT_THROW(silent->call(QStringLiteral("GetAZSConfig")), EOleSysError);
}

TEST_F(ServerBadInput, OpenAddressWithoutKeyAndMissingStationAreRefusedAtStart)
{
    QProcess open;
    open.start(StationServer::program(), {QStringLiteral("serve"), QStringLiteral("--root"), served_->station.root(),
                                  QStringLiteral("--listen"), QStringLiteral("0.0.0.0:0")});
    ASSERT_TRUE(open.waitForFinished(20000));
    EXPECT_NE(open.exitCode(), 0);
    EXPECT_TRUE(open.readAllStandardError().contains("--key"));

    TestEnv env;
    QProcess missing;
    missing.start(StationServer::program(), {QStringLiteral("serve"), QStringLiteral("--root"), env.path(QStringLiteral("none"))});
    ASSERT_TRUE(missing.waitForFinished(20000));
    EXPECT_NE(missing.exitCode(), 0);
    EXPECT_TRUE(missing.readAllStandardError().contains("init")) << "the message says how to make the station";
}

TEST_F(ServerBadInput, SeveralClientsAtOnceEachGetTheirOwnRows)
{
    constexpr int kClients = 6;
    const int expected = openProvider(*served_->server.connect(), QStringLiteral("DSPRepLogTran")).packet.rowCount();
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            try {
                WireClient client;
                client.connect(QStringLiteral("127.0.0.1"), served_->server.port());
                Opened o = openProvider(client, QStringLiteral("DSPRepLogTran"), {}, 50 + c);
                int rows = o.packet.rowCount();
                while (o.packet.moreRows()) {
                    o.packet = fetchRows(client, o.cursor, 50 + c);
                    rows += o.packet.rowCount();
                }
                if (rows == expected)
                    ++good;
            } catch (const Exception&) {
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(good.load(), kClients);
}

TEST_F(ServerBadInput, ClientKilledMidRequestDisturbsNobody)
{
    auto other = served_->server.connect();
    const Opened open = openProvider(*other, QStringLiteral("DSPRepTTN"), {}, 3);
    ASSERT_NE(open.cursor, 0);

    auto child = startChild(QStringLiteral("server-half-request"), {QString::number(served_->server.port())});
    ASSERT_TRUE(child->waitForReadyRead(20000));
    child->kill();
    child->waitForFinished();

    // The other client's open cursor and new requests still work, and new clients are served.
    const DataPacket rest = fetchRows(*other, open.cursor, -1);
    EXPECT_FALSE(rest.moreRows());
    EXPECT_GT(rest.rowCount(), 0);
    EXPECT_EQ(served_->server.connect()->call(QStringLiteral("GetAZSConfig")).at(3).arrayCount(), 4);
    EXPECT_EQ(served_->server.process().state(), QProcess::Running);
}

TEST_F(ServerBadInput, TerminationStopsTheServerCleanly)
{
    const DemoStation station(false, 200);
    StationServer own(station.root());
    ASSERT_NE(own.port(), 0);
    auto client = own.connect();
    openProvider(*client, QStringLiteral("DSPRepTTN"), {}, 1); // leaves a cursor open
    own.process().terminate();
    ASSERT_TRUE(own.process().waitForFinished(10000));
    EXPECT_EQ(own.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(own.process().exitCode(), 0);
}

// Servers with small limits over a station of their own (the suite above holds the shared one).
class ServerLimits : public ::testing::Test {
protected:
    static void SetUpTestSuite() { station_ = new DemoStation(false, 200); }
    static void TearDownTestSuite()
    {
        delete station_;
        station_ = nullptr;
    }
    static const QString& refusal()
    {
        static const QString text = QStringLiteral("Too many connections: the server serves at most 2 at once");
        return text;
    }
    // The server's attachments to the station database, as one of its clients sees them.
    static int attachments(WireClient& client)
    {
        return customSql(client, QStringLiteral("SELECT COUNT(*) FROM MON$ATTACHMENTS WHERE MON$SYSTEM_FLAG = 0"))
            .value(0, 0)
            .toInt();
    }
    static void ask(WireClient& client) { client.call(QString::fromLatin1(station::kGetAZSConfig)); }
    // A client served once a slot is free again: a closed connection's slot
    // comes back as soon as the server hears of the close, a moment later.
    static std::unique_ptr<WireClient> connectWhenFree(const StationServer& server)
    {
        const QDeadlineTimer deadline(10000);
        for (;;) {
            auto client = server.connect();
            try {
                ask(*client);
                return client;
            } catch (const EOleSysError& e) {
                if (e.message() != refusal() || deadline.hasExpired())
                    return nullptr;
            }
            QThread::msleep(20);
        }
    }
    static DemoStation* station_;
};
DemoStation* ServerLimits::station_ = nullptr;

TEST_F(ServerLimits, ConnectionsOverTheLimitAreRefusedWithoutAnAttachmentUntilASlotIsFree)
{
    // The attachments are the workers', however many connections there are.
    StationServer server(station_->root(), {QStringLiteral("--max-connections"), QStringLiteral("2"),
                                            QStringLiteral("--workers"), QStringLiteral("3")});
    ASSERT_NE(server.port(), 0) << server.firstOutput().constData();
    auto first = server.connect();
    auto second = server.connect();
    ask(*second);
    EXPECT_EQ(attachments(*first), 3);

    // The refusal comes unasked, in the error form, and the server closes.
    QTcpSocket raw;
    raw.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(raw.waitForConnected(5000));
    const std::optional<QByteArray> frame = readFrame(raw, 10000);
    ASSERT_TRUE(frame.has_value());
    const WireAnswer answer = decodeAnswer(*frame);
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.errorClass, QStringLiteral("EOleSysError"));
    EXPECT_EQ(answer.errorMessage, refusal());
    EXPECT_FALSE(readFrame(raw, 10000).has_value());

    // A client hears it as the answer to its first call.
    auto third = server.connect();
    try {
        ask(*third);
        FAIL() << "the third connection was served";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.message(), refusal());
    }
    EXPECT_EQ(attachments(*first), 3) << "a refused connection got an attachment";

    second->close();
    auto next = connectWhenFree(server);
    ASSERT_TRUE(next) << "the closed connection's slot did not come back";
    EXPECT_EQ(attachments(*next), 3);
    // One slot came back, not more.
    EXPECT_THROW(ask(*server.connect()), EOleSysError);
    ask(*first);
}

TEST_F(ServerLimits, IdleConnectionIsClosedWithItsCursorWhileOneInUseStays)
{
    StationServer server(station_->root(), {QStringLiteral("--max-connections"), QStringLiteral("2"),
                                            QStringLiteral("--idle-timeout"), QStringLiteral("1")});
    ASSERT_NE(server.port(), 0) << server.firstOutput().constData();
    auto idle = server.connect();
    const Opened open = openProvider(*idle, QStringLiteral("DSPRepTTN"), {}, 1);
    ASSERT_NE(open.cursor, 0);
    // The busy client comes after the idle one has its cursor, so that a slow
    // machine cannot leave it idle for a second before it starts asking.
    auto busy = server.connect();

    // The busy client keeps asking while a third tries for the idle one's
    // slot: connections share the workers' attachments, so the slot is what
    // shows the idle one is gone.
    std::unique_ptr<WireClient> next;
    const QDeadlineTimer deadline(10000);
    while (!next && !deadline.hasExpired()) {
        ask(*busy);
        auto candidate = server.connect();
        try {
            ask(*candidate);
            next = std::move(candidate);
        } catch (const EOleSysError& e) {
            ASSERT_EQ(e.message(), refusal());
            QThread::msleep(100);
        }
    }
    ASSERT_TRUE(next) << "the idle connection was not closed";
    EXPECT_THROW(fetchRows(*idle, open.cursor, -1), EOleSysError);
    EXPECT_THROW(ask(*server.connect()), EOleSysError);
    ask(*busy);
}

TEST(ServeOptions, LimitsTakeWholeNumbersInRange)
{
    const QStringList base{QStringLiteral("--root"), QStringLiteral("/nowhere")};
    const station::ServeOptions defaults = station::parseServeOptions(base);
    EXPECT_EQ(defaults.maxConnections, 1000);
    EXPECT_EQ(defaults.maxPerAddress, 64);
    EXPECT_EQ(defaults.idleTimeoutSeconds, 1800);
    EXPECT_EQ(defaults.frameTimeoutSeconds, 10);
    EXPECT_EQ(defaults.workers, 0);

    const station::ServeOptions set = station::parseServeOptions(
        base + QStringList{QStringLiteral("--max-connections"), QStringLiteral("5"), QStringLiteral("--idle-timeout"),
                           QStringLiteral("0"), QStringLiteral("--max-per-address"), QStringLiteral("3"),
                           QStringLiteral("--frame-timeout"), QStringLiteral("2"), QStringLiteral("--workers"),
                           QStringLiteral("4")});
    EXPECT_EQ(set.maxConnections, 5);
    EXPECT_EQ(set.idleTimeoutSeconds, 0);
    EXPECT_EQ(set.maxPerAddress, 3);
    EXPECT_EQ(set.frameTimeoutSeconds, 2);
    EXPECT_EQ(set.workers, 4);

    for (const QStringList& bad : {QStringList{QStringLiteral("--max-connections"), QStringLiteral("0")},
                                   QStringList{QStringLiteral("--max-connections"), QStringLiteral("ten")},
                                   QStringList{QStringLiteral("--idle-timeout"), QStringLiteral("-1")},
                                   QStringList{QStringLiteral("--idle-timeout"), QStringLiteral("1.5")},
                                   QStringList{QStringLiteral("--idle-timeout")},
                                   QStringList{QStringLiteral("--max-per-address"), QStringLiteral("0")},
                                   QStringList{QStringLiteral("--frame-timeout"), QStringLiteral("0")},
                                   QStringList{QStringLiteral("--workers"), QStringLiteral("0")}})
        EXPECT_THROW(station::parseServeOptions(base + bad), Exception) << bad.join(QLatin1Char(' ')).toStdString();
    try {
        station::parseServeOptions(base + QStringList{QStringLiteral("--max-connections"), QStringLiteral("0")});
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("--max-connections needs a whole number of connections from 1 to 1000000, not \"0\""));
    }
}

TEST(ServerLifetime, ServerDiesWithTheProgramThatStartedIt)
{
    TestEnv env;
    const QString root = env.path(QStringLiteral("station"));
    ASSERT_EQ(StationServer::initStation(root, 0), QString());
    const std::unique_ptr<QProcess> parent = startChild(QStringLiteral("serving-parent"), {root});
    ASSERT_TRUE(parent->waitForReadyRead(30000));
    const qint64 server = parent->readAllStandardOutput().trimmed().toLongLong();
    ASSERT_GT(server, 0);
    ASSERT_EQ(::kill(pid_t(server), 0), 0);
    parent->kill();
    parent->waitForFinished();
    // The server is the killed child's child: it gets SIGTERM and exits (a
    // zombie until whoever adopted it reaps it counts as gone).
    const auto running = [server] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(server));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray text = stat.readAll();
        return !text.mid(text.lastIndexOf(')') + 2, 1).startsWith('Z');
    };
    QDeadlineTimer deadline(10000);
    while (running() && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_FALSE(running()) << "the server outlived its parent";
    if (running())
        ::kill(pid_t(server), SIGKILL);
}

} // namespace
} // namespace velta::test
