// WireClient against a real listening socket on 127.0.0.1, served by a thread
// that plays the station server's part in each test.
#include "common/DataPacket.h"
#include "common/Exception.h"
#include "common/WireClient.h"
#include "common/WireProtocol.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <future>
#include <thread>

using namespace velta;

namespace {

// Accepts one connection on a free loopback port and hands it to a script.
class ScriptedServer {
public:
    using Script = std::function<void(QTcpSocket&)>;

    explicit ScriptedServer(Script script)
    {
        std::promise<std::uint16_t> listening;
        auto port = listening.get_future();
        thread_ = std::thread([this, script = std::move(script), listening = std::move(listening)]() mutable {
            QTcpServer server;
            if (!server.listen(QHostAddress::LocalHost, 0)) {
                listening.set_value(0);
                return;
            }
            listening.set_value(server.serverPort());
            if (!server.waitForNewConnection(10000))
                return;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            try {
                script(*socket);
            } catch (const std::exception& error) {
                failure_ = QString::fromUtf8(error.what());
            }
            if (socket->state() == QAbstractSocket::ConnectedState)
                socket->waitForBytesWritten(1000);
        });
        port_ = port.get();
    }
    ~ScriptedServer() { finish(); }

    std::uint16_t port() const { return port_; }
    // Waits for the script and returns what went wrong in it, if anything.
    QString finish()
    {
        if (thread_.joinable())
            thread_.join();
        return failure_;
    }

private:
    std::thread thread_;
    std::uint16_t port_ = 0;
    QString failure_;
};

// Answers each request by the given function until the client leaves.
ScriptedServer::Script answering(std::function<QByteArray(const WireRequest&)> answer)
{
    return [answer = std::move(answer)](QTcpSocket& socket) {
        while (auto frame = readFrame(socket, 10000))
            writeFrame(socket, answer(decodeRequest(*frame)), 10000);
    };
}

WireClient connected(const ScriptedServer& server)
{
    WireClient client;
    client.connect(QStringLiteral("127.0.0.1"), server.port(), 5000);
    return client;
}

} // namespace

TEST(WireClient, CallsAreAnsweredInOrder)
{
    ScriptedServer server(answering([](const WireRequest& request) {
        return encodeResult(Variant(Variant::Array{Variant(request.method), Variant(request.args)}));
    }));
    ASSERT_NE(server.port(), 0);
    WireClient client;
    client.connect(QStringLiteral("127.0.0.1"), server.port(), 5000);
    EXPECT_TRUE(client.isConnected());
    for (int i = 0; i < 50; ++i) {
        const Variant answer = client.call(QStringLiteral("Echo"), {Variant(i), Variant("Смена №") });
        ASSERT_EQ(answer.at(0), Variant("Echo"));
        ASSERT_EQ(answer.at(1).at(0), Variant(i));
        ASSERT_EQ(answer.at(1).at(1), Variant("Смена №"));
    }
    // A large argument crosses in many segments.
    const QString big(3 * 1024 * 1024, QChar(u'Ж'));
    EXPECT_EQ(client.call(QStringLiteral("Big"), {Variant(big)}).at(1).at(0).toString(), big);
    client.close();
    EXPECT_FALSE(client.isConnected());
    const QString failure = server.finish();
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
}

TEST(WireClient, ServerErrorsArriveAsTheirClassAndKeepTheConnection)
{
    ScriptedServer server(answering([](const WireRequest& request) {
        if (request.method == QStringLiteral("Fail"))
            return encodeError(EDatabaseError(QStringLiteral("Dynamic SQL Error")));
        return encodeResult(Variant(42));
    }));
    WireClient client;
    client.connect(QStringLiteral("127.0.0.1"), server.port(), 5000);
    try {
        client.call(QStringLiteral("Fail"));
        FAIL() << "no exception";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Dynamic SQL Error"));
    }
    EXPECT_TRUE(client.isConnected());
    EXPECT_EQ(client.call(QStringLiteral("Next")), Variant(42));
}

TEST(WireClient, AuthenticateSendsTheKeyFirst)
{
    ScriptedServer server([](QTcpSocket& socket) {
        const WireRequest first = decodeRequest(*readFrame(socket, 10000));
        const bool good = first.method == QLatin1String(kAuthenticateMethod) && first.args.size() == 1
            && first.args[0] == Variant("секрет");
        writeFrame(socket, good ? encodeResult(Variant(true)) : encodeError(EOleException(QStringLiteral("Неверный ключ"))),
                   10000);
        const WireRequest second = decodeRequest(*readFrame(socket, 10000));
        writeFrame(socket, encodeResult(Variant(second.method)), 10000);
    });
    WireClient client;
    client.connect(QStringLiteral("127.0.0.1"), server.port(), 5000);
    client.authenticate(QStringLiteral("секрет"));
    EXPECT_EQ(client.call(QStringLiteral("GetAZSConfig")), Variant("GetAZSConfig"));
}

TEST(WireClient, PeerClosingMidFrameGivesAClearErrorAndClosesTheClient)
{
    ScriptedServer server([](QTcpSocket& socket) {
        readFrame(socket, 10000);
        // Announce 100 bytes, send ten, and hang up.
        socket.write(encodeFrame(QByteArray(100, 'x')).left(14));
        socket.waitForBytesWritten(1000);
        socket.disconnectFromHost();
    });
    WireClient client;
    client.connect(QStringLiteral("127.0.0.1"), server.port(), 5000);
    try {
        client.call(QStringLiteral("GetAZSConfig"));
        FAIL() << "no exception";
    } catch (const EOleSysError& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Сервер 127.0.0.1:%1, вызов GetAZSConfig: Соединение разорвано")
                                                   .arg(server.port())))
            << error.what();
    }
    EXPECT_FALSE(client.isConnected());
    EXPECT_THROW(client.call(QStringLiteral("Again")), EOleSysError);
}

TEST(WireClient, PeerClosingWithoutAnswerIsAnError)
{
    ScriptedServer server([](QTcpSocket& socket) {
        readFrame(socket, 10000);
        socket.disconnectFromHost();
    });
    WireClient client = connected(server);
    try {
        client.call(QStringLiteral("GetNewContragentNumber"));
        FAIL() << "no exception";
    } catch (const EOleSysError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("закрыл соединение"))) << error.what();
    }
}

TEST(WireClient, GarbageAnswerIsAProtocolError)
{
    ScriptedServer server([](QTcpSocket& socket) {
        readFrame(socket, 10000);
        writeFrame(socket, serializeVariant(Variant("not an answer")), 10000);
        readFrame(socket, 10000);
    });
    WireClient client = connected(server);
    EXPECT_THROW(client.call(QStringLiteral("M")), EProtocolError);
    EXPECT_FALSE(client.isConnected());
}

TEST(WireClient, OversizedAnswerHeaderIsRefused)
{
    ScriptedServer server([](QTcpSocket& socket) {
        readFrame(socket, 10000);
        socket.write(QByteArray::fromHex("ffffffff"));
        socket.waitForBytesWritten(1000);
        readFrame(socket, 10000);
    });
    WireClient client = connected(server);
    EXPECT_THROW(client.call(QStringLiteral("M")), EProtocolError);
}

TEST(WireClient, SilentServerTimesOut)
{
    ScriptedServer server([](QTcpSocket& socket) {
        readFrame(socket, 10000);
        readFrame(socket, 10000); // returns when the client gives up and closes
    });
    WireClient client = connected(server);
    client.setCallTimeout(200);
    try {
        client.call(QStringLiteral("GetReportEx"), {Variant(45)});
        FAIL() << "no exception";
    } catch (const EOleSysError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("Истекло время ожидания ответа (200 мс)"))) << error.what();
    }
    EXPECT_FALSE(client.isConnected());
}

TEST(WireClient, ConnectFailureNamesComputerAndPort)
{
    // A port that was free a moment ago and has nobody listening now.
    std::uint16_t port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    WireClient client;
    try {
        client.connect(QStringLiteral("127.0.0.1"), port, 5000);
        FAIL() << "connected to a closed port";
    } catch (const EOleSysError& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Не удалось подключиться к серверу 127.0.0.1:%1: ").arg(port)))
            << error.what();
    }
    EXPECT_FALSE(client.isConnected());
    EXPECT_THROW(client.call(QStringLiteral("M")), EOleSysError);
}

TEST(WireClient, ClientsInSeveralThreads)
{
    constexpr int kClients = 4;
    std::vector<std::unique_ptr<ScriptedServer>> servers;
    for (int i = 0; i < kClients; ++i)
        servers.push_back(std::make_unique<ScriptedServer>(answering([i](const WireRequest& request) {
            return encodeResult(Variant(request.args.at(0).toInt() * 10 + i));
        })));
    std::vector<std::future<int>> sums;
    for (int i = 0; i < kClients; ++i) {
        sums.push_back(std::async(std::launch::async, [port = servers[i]->port()] {
            WireClient client;
            client.connect(QStringLiteral("127.0.0.1"), port, 5000);
            int sum = 0;
            for (int n = 0; n < 20; ++n)
                sum += client.call(QStringLiteral("N"), {Variant(n)}).toInt();
            return sum;
        }));
    }
    for (int i = 0; i < kClients; ++i)
        EXPECT_EQ(sums[i].get(), 1900 + 20 * i); // 10 * (0 + ... + 19) + 20 * i
}

TEST(WireClient, DataPacketsTravelAsByteArrays)
{
    // The server answers a provider call with a packet and takes back its change log.
    ScriptedServer server(answering([](const WireRequest& request) {
        if (request.method == QStringLiteral("AS_GetRecords")) {
            DataPacket packet;
            packet.addField(FieldDef(QStringLiteral("SmNum"), FieldType::Int32, 0, FieldInKey | FieldInUpdate));
            packet.addField(FieldDef(QStringLiteral("InKKM"), FieldType::Currency));
            packet.appendRow({Variant(1), Variant::fromCurrencyText(QStringLiteral("12345678901234.5678"))});
            packet.setMoreRows(true);
            return encodeResult(Variant(packet.toBytes()));
        }
        const DataPacket changes = DataPacket::fromBytes(request.args.at(0).toByteArray());
        return encodeResult(Variant(static_cast<int>(changes.changes().size())));
    }));
    WireClient client = connected(server);
    const Variant answer = client.call(QStringLiteral("AS_GetRecords"), {Variant("SmLogProvider"), Variant(-1)});
    ASSERT_EQ(answer.type(), VarType::ByteArray);
    DataPacket packet = DataPacket::fromBytes(answer.toByteArray());
    EXPECT_TRUE(packet.moreRows());
    EXPECT_EQ(packet.value(0, 1).toCurrency().scaled, 123456789012345678LL);

    packet.addChange({RowState::Modified, packet.row(0), {Variant(), Variant(Currency{-1})}});
    packet.clearRows();
    EXPECT_EQ(client.call(QStringLiteral("AS_ApplyUpdates"), {Variant(packet.toBytes())}), Variant(1));
}
