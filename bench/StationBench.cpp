// Station server throughput: rows through the server against the same query
// in-process, time to the first packet against a full fetch, and small
// request round trips against a bare TCP echo of the same frame size.
#include "common/DataPacket.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "common/WireProtocol.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DCOMConnection.h"
#include "station/server/Server.h"
#include "station/db/StationDatabase.h"
#include "station/demo/StationInit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace velta;

constexpr int kSales = 100000;
constexpr int kJournalRows = 1000000;
const char* const kJournalDispenser = "BENCH";

std::map<std::string, double> gSeconds; // mean wall time per iteration

void record(benchmark::State& state, const char* name, double seconds)
{
    gSeconds[name] = seconds / static_cast<double>(state.iterations());
}

// A large station and a server over it on a thread of this process: the
// embedded engine lets one process hold many attachments, so the in-process
// query reads the very same file.
struct BenchStation {
    QTemporaryDir dir;
    QString path;
    std::atomic<bool> stop{false};
    std::atomic<quint16> port{0};
    QThread* serverThread = nullptr;

    BenchStation()
    {
        station::InitOptions options;
        options.root = dir.filePath(QStringLiteral("station"));
        options.sales = kSales;
        path = station::initStation(options).stationPath;
        station::StationDatabase db(path);
        // A dispenser with a million journal rows, made by the engine itself.
        db.exec(QStringLiteral(
                    "INSERT INTO TRK (ID, TRK, \"TIME\", CLIENT, GSM, OPERATION, OP1, OP2, LITERS, SUMMA, AUTOMOBIL) "
                    "WITH RECURSIVE N AS (SELECT 0 AS I FROM RDB$DATABASE UNION ALL SELECT I + 1 FROM N WHERE I < 999) "
                    "SELECT 10000000 + A.I * 1000 + B.I, '%1', DATEADD(A.I * 1000 + B.I SECOND TO TIMESTAMP '2024-01-01 00:00:00'), "
                    "1, 'АИ-95', 3, 1, 0, 10.5, 525.25, NULL FROM N A CROSS JOIN N B")
                    .arg(QLatin1String(kJournalDispenser)));
        serverThread = QThread::create([this] {
            station::ServerConfig config;
            config.databasePath = path;
            station::StationServer server(config);
            server.start(QHostAddress(QHostAddress::LocalHost), 0);
            port = server.serverPort();
            // Sleep in the event loop between connections; a loop of
            // processEvents calls would spin and take a core from the measurements.
            QEventLoop loop;
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
                if (stop)
                    loop.quit();
            });
            watch.start(20);
            loop.exec();
            server.stop();
        });
        serverThread->start();
        while (port == 0)
            QThread::msleep(10);
        // Where TDCOMConnection finds the server.
        qputenv("VELTA_STATION_PORT", QByteArray::number(port.load()));
    }
    ~BenchStation()
    {
        stop = true;
        serverThread->wait();
        delete serverThread;
    }
};

BenchStation* gStation = nullptr;

WireClient connected()
{
    WireClient client;
    client.connect(QStringLiteral("127.0.0.1"), gStation->port);
    return client;
}

const QString kSalesQuery = QStringLiteral("SELECT * FROM LOGTRAN ORDER BY INDEXSALE");

// The sales as a window gets them: a client dataset over the server
// connection, every row fetched at once, every field of every row read
// through the dataset's fields.
void BM_SalesThroughServer(benchmark::State& state)
{
    TDCOMConnection connection;
    connection.Open();
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        TClientDataSet sales;
        sales.SetRemoteServer(&connection);
        sales.SetProviderName(QStringLiteral("DSPRepCustomSQL"));
        sales.SetCommandText(kSalesQuery);
        sales.SetPacketRecords(-1);
        sales.Open();
        std::vector<TField*> fields;
        for (int i = 0; i < sales.FieldCount(); ++i)
            fields.push_back(&sales.Fields(i));
        qint64 rows = 0;
        for (sales.First(); !sales.Eof(); sales.Next()) {
            for (TField* field : fields)
                benchmark::DoNotOptimize(field->Value());
            ++rows;
        }
        sales.Close();
        seconds += t.nsecsElapsed() / 1e9;
        if (rows < kSales)
            state.SkipWithError("too few sales");
    }
    record(state, "sales-server", seconds);
}

void BM_SalesInProcess(benchmark::State& state)
{
    station::StationDatabase db(gStation->path);
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        QSqlQuery q = db.query();
        q.exec(kSalesQuery);
        const int columns = q.record().count();
        qint64 rows = 0;
        while (q.next()) {
            for (int c = 0; c < columns; ++c)
                benchmark::DoNotOptimize(q.value(c));
            ++rows;
        }
        seconds += t.nsecsElapsed() / 1e9;
        benchmark::DoNotOptimize(rows);
    }
    record(state, "sales-direct", seconds);
}

Variant::Array journalArgs(int packetRecords)
{
    return {Variant("DSPTRKHistory"), Variant(""),
            Variant(Variant::Array{Variant(Variant::Array{Variant("TrkName"), Variant(kJournalDispenser)})}),
            Variant(packetRecords)};
}

void BM_JournalFirstPacket(benchmark::State& state)
{
    WireClient client = connected();
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const Variant answer = client.call(QString::fromLatin1(station::kOpenProvider), journalArgs(100));
        benchmark::DoNotOptimize(DataPacket::fromBytes(answer.at(1).toByteArray()).rowCount());
        seconds += t.nsecsElapsed() / 1e9;
        client.call(QString::fromLatin1(station::kCloseCursor), {answer.at(0)});
    }
    record(state, "journal-first", seconds);
}

void BM_JournalFullFetch(benchmark::State& state)
{
    WireClient client = connected();
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const Variant answer = client.call(QString::fromLatin1(station::kOpenProvider), journalArgs(-1));
        const int rows = DataPacket::fromBytes(answer.at(1).toByteArray()).rowCount();
        seconds += t.nsecsElapsed() / 1e9;
        if (rows != kJournalRows)
            state.SkipWithError("journal of the wrong size");
    }
    record(state, "journal-full", seconds);
}

void BM_SmallRoundTrip(benchmark::State& state)
{
    WireClient client = connected();
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        benchmark::DoNotOptimize(client.call(QString::fromLatin1(station::kCloseCursor), {Variant(0)}));
        seconds += t.nsecsElapsed() / 1e9;
    }
    record(state, "roundtrip-server", seconds);
}

// A bare TCP echo of the same frame sizes: plain blocking sockets on both
// sides, one send and blocking receives, no framing or encoding work at all.
bool sendAll(int fd, const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

bool receiveAll(int fd, char* into, qsizetype size)
{
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::recv(fd, into + got, static_cast<size_t>(size - got), 0);
        if (n <= 0)
            return false;
        got += n;
    }
    return true;
}

void setNoDelay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void BM_EchoRoundTrip(benchmark::State& state)
{
    const QByteArray request = encodeFrame(encodeRequest(QString::fromLatin1(station::kCloseCursor), {Variant(0)}));
    const QByteArray answer = encodeFrame(encodeResult(Variant::null()));
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t addressSize = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener, 1) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &addressSize) != 0) {
        state.SkipWithError("cannot listen");
        return;
    }
    std::thread echo([&] {
        const int peer = ::accept(listener, nullptr, nullptr);
        if (peer < 0)
            return;
        setNoDelay(peer);
        QByteArray in(request.size(), Qt::Uninitialized);
        while (receiveAll(peer, in.data(), in.size()) && sendAll(peer, answer)) {
        }
        ::close(peer);
    });
    const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        state.SkipWithError("cannot connect");
    setNoDelay(client);
    QByteArray in(answer.size(), Qt::Uninitialized);
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        if (!sendAll(client, request) || !receiveAll(client, in.data(), in.size()))
            state.SkipWithError("echo broke");
        seconds += t.nsecsElapsed() / 1e9;
    }
    record(state, "roundtrip-echo", seconds);
    ::close(client);
    echo.join();
    ::close(listener);
}

BENCHMARK(BM_SalesThroughServer)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SalesInProcess)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_JournalFirstPacket)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_JournalFullFetch)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SmallRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(3000)->UseRealTime();
BENCHMARK(BM_EchoRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(3000)->UseRealTime();

void printRatio(const char* what, const char* ours, const char* peer, const char* target)
{
    if (gSeconds.count(ours) && gSeconds.count(peer) && gSeconds[peer] > 0)
        std::printf("ratio %s: %.4f (target %s)\n", what, gSeconds[ours] / gSeconds[peer], target);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    gStation = new BenchStation;
    benchmark::RunSpecifiedBenchmarks();
    printRatio("100,000 sales through the server / in-process QtSql", "sales-server", "sales-direct", "1.5 or less");
    printRatio("first 100 of 1,000,000 journal rows / full fetch", "journal-first", "journal-full", "0.01 or less");
    printRatio("small request round trip / bare TCP echo", "roundtrip-server", "roundtrip-echo", "2 or less");
    delete gStation;
    benchmark::Shutdown();
    return 0;
}
