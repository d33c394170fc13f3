// Station server throughput: rows through the server against the same query
// in-process, time to the first packet against a full fetch, and small
// request round trips against a bare TCP echo of the same frame size.
#include "common/DataPacket.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "common/WireProtocol.h"
#include "station/lib/Server.h"
#include "station/lib/StationDatabase.h"
#include "station/lib/StationInit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

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
            while (!stop)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            server.stop();
        });
        serverThread->start();
        while (port == 0)
            QThread::msleep(10);
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

void BM_SalesThroughServer(benchmark::State& state)
{
    WireClient client = connected();
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const Variant answer = client.call(QString::fromLatin1(station::kOpenProvider),
                                           {Variant("DSPRepLogTran"), Variant(""), Variant(Variant::Array{}), Variant(-1)});
        const DataPacket packet = DataPacket::fromBytes(answer.at(1).toByteArray());
        benchmark::DoNotOptimize(packet.rowCount());
        seconds += t.nsecsElapsed() / 1e9;
        if (packet.rowCount() < kSales)
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

// A bare echo of the same frame sizes over a blocking socket on its own thread.
void BM_EchoRoundTrip(benchmark::State& state)
{
    const QByteArray request = encodeFrame(encodeRequest(QString::fromLatin1(station::kCloseCursor), {Variant(0)}));
    const QByteArray answer = encodeFrame(encodeResult(Variant::null()));
    std::atomic<quint16> port{0};
    std::atomic<bool> stop{false};
    QThread* echo = QThread::create([&] {
        QTcpServer server;
        server.listen(QHostAddress(QHostAddress::LocalHost), 0);
        port = server.serverPort();
        server.waitForNewConnection(-1);
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        QByteArray pending;
        while (!stop && socket->state() == QAbstractSocket::ConnectedState) {
            if (socket->bytesAvailable() <= 0 && !socket->waitForReadyRead(100))
                continue;
            pending += socket->readAll();
            while (pending.size() >= request.size()) {
                pending.remove(0, request.size());
                socket->write(answer);
                socket->waitForBytesWritten(1000);
            }
        }
    });
    echo->start();
    while (port == 0)
        QThread::msleep(5);
    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), port);
    client.waitForConnected(5000);
    client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        client.write(request);
        client.waitForBytesWritten(1000);
        qint64 got = 0;
        while (got < answer.size()) {
            if (client.bytesAvailable() <= 0)
                client.waitForReadyRead(1000);
            got += client.readAll().size();
        }
        seconds += t.nsecsElapsed() / 1e9;
    }
    record(state, "roundtrip-echo", seconds);
    stop = true;
    client.close();
    echo->wait();
    delete echo;
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
