// The station server under bad input, keys, several clients and clients that die.
#include "tests/station/ServerProcess.h"

#include "common/Exception.h"
#include "common/WireProtocol.h"
#include "tests/support/ChildProcess.h"

#include <QThread>
#include <atomic>
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
    ServerProcess keyed(station.root(), {QStringLiteral("--key"), keyFile});
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
    open.start(stationProgram(), {QStringLiteral("serve"), QStringLiteral("--root"), served_->station.root(),
                                  QStringLiteral("--listen"), QStringLiteral("0.0.0.0:0")});
    ASSERT_TRUE(open.waitForFinished(20000));
    EXPECT_NE(open.exitCode(), 0);
    EXPECT_TRUE(open.readAllStandardError().contains("--key"));

    TestEnv env;
    QProcess missing;
    missing.start(stationProgram(), {QStringLiteral("serve"), QStringLiteral("--root"), env.path(QStringLiteral("none"))});
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
    const Opened open = openProvider(*other, QStringLiteral("DSPRepTTNID"), {}, 3);
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
    ServerProcess own(station.root());
    ASSERT_NE(own.port(), 0);
    auto client = own.connect();
    openProvider(*client, QStringLiteral("DSPRepTTNID"), {}, 1); // leaves a cursor open
    own.process().terminate();
    ASSERT_TRUE(own.process().waitForFinished(10000));
    EXPECT_EQ(own.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(own.process().exitCode(), 0);
}

} // namespace
} // namespace velta::test
