// Station server throughput: rows through the server against the same query
// in-process, time to the first packet against a full fetch, and small
// request round trips against a bare TCP echo of the same frame size. A round
// trip costs several times more when its two ends run on different cores than
// when they take turns on one, so both round trips are measured under the same
// placements (both ends on one core, then on two), each repeated with its
// median kept, and the ratio is printed per placement.
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
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
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

// Where the two ends of a round trip run. The client is the benchmark's own
// thread; the serving side is every other thread of the process (the server's
// listening and serving threads whatever their number, the engine's, the
// echo's), so the placement holds however the server arranges its threads.
// Threads started later inherit the processor set of the thread starting them.
struct Placement {
    std::string name;  // in the benchmark names
    std::string label; // in the ratio lines
    int clientCpu = 0;
    int serverCpu = 0;
};

cpu_set_t gAllowedCpus; // the process's set at start, restored after each run

std::vector<int> allowedCpus()
{
    std::vector<int> cpus;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &gAllowedCpus))
            cpus.push_back(cpu);
    return cpus;
}

std::vector<Placement> placements()
{
    const std::vector<int> cpus = allowedCpus();
    std::vector<Placement> list;
    if (cpus.empty())
        return list;
    list.push_back({"one-core", "both ends on one core", cpus[0], cpus[0]});
    if (cpus.size() > 1)
        list.push_back({"two-cores", "client and server on different cores", cpus[0], cpus[1]});
    return list;
}

cpu_set_t onlyCpu(int cpu)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return set;
}

// The threads of this process, by kernel thread id.
std::vector<pid_t> processThreads()
{
    std::vector<pid_t> threads;
    for (const QString& entry : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        threads.push_back(static_cast<pid_t>(entry.toInt()));
    return threads;
}

// Pins the calling thread to the client's processor and every other thread of
// the process to the server's; undone (the start's set on every thread) when
// it goes out of scope. Call it again once a run's threads have started: a
// thread the client starts inherits the client's processor.
class PinnedPlacement {
public:
    explicit PinnedPlacement(const Placement& placement) : placement_(placement) { pin(); }
    ~PinnedPlacement()
    {
        for (const pid_t thread : processThreads())
            ::sched_setaffinity(thread, sizeof gAllowedCpus, &gAllowedCpus);
    }
    PinnedPlacement(const PinnedPlacement&) = delete;
    PinnedPlacement& operator=(const PinnedPlacement&) = delete;

    // False when the client's own thread could not be pinned.
    bool pin()
    {
        const pid_t self = static_cast<pid_t>(::gettid());
        const cpu_set_t client = onlyCpu(placement_.clientCpu);
        const cpu_set_t server = onlyCpu(placement_.serverCpu);
        if (::sched_setaffinity(self, sizeof client, &client) != 0)
            return false;
        // A thread that ended meanwhile is simply not there to pin.
        for (const pid_t thread : processThreads())
            if (thread != self)
                ::sched_setaffinity(thread, sizeof server, &server);
        return true;
    }

private:
    Placement placement_;
};

// Mean round trip of each run, per benchmark and placement ("server/one-core"):
// wall time, and the CPU time of the whole process (both ends, whatever else
// runs on the machine).
std::map<std::string, std::vector<double>> gRoundTrips;
std::map<std::string, std::vector<double>> gRoundTripsCpu;

double processCpuSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

void recordRoundTrip(benchmark::State& state, const std::string& key, double seconds, double cpuSeconds)
{
    gRoundTrips[key].push_back(seconds / static_cast<double>(state.iterations()));
    gRoundTripsCpu[key].push_back(cpuSeconds / static_cast<double>(state.iterations()));
}

void smallRoundTrip(benchmark::State& state, const Placement& placement)
{
    PinnedPlacement pinned(placement);
    WireClient client = connected();
    // The first call has the server start serving this connection; then every
    // thread it uses is there to be pinned.
    client.call(QString::fromLatin1(station::kCloseCursor), {Variant(0)});
    if (!pinned.pin()) {
        state.SkipWithError("cannot pin the client thread");
        return;
    }
    double seconds = 0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        benchmark::DoNotOptimize(client.call(QString::fromLatin1(station::kCloseCursor), {Variant(0)}));
        seconds += t.nsecsElapsed() / 1e9;
    }
    recordRoundTrip(state, "server/" + placement.name, seconds, processCpuSeconds() - cpuStart);
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

void echoRoundTrip(benchmark::State& state, const Placement& placement)
{
    PinnedPlacement pinned(placement);
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
    // The echo thread was started by this one and runs on its processor until now.
    if (!pinned.pin())
        state.SkipWithError("cannot pin the client thread");
    QByteArray in(answer.size(), Qt::Uninitialized);
    double seconds = 0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        if (!sendAll(client, request) || !receiveAll(client, in.data(), in.size()))
            state.SkipWithError("echo broke");
        seconds += t.nsecsElapsed() / 1e9;
    }
    recordRoundTrip(state, "echo/" + placement.name, seconds, processCpuSeconds() - cpuStart);
    ::close(client);
    echo.join();
    ::close(listener);
}

BENCHMARK(BM_SalesThroughServer)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SalesInProcess)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_JournalFirstPacket)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_JournalFullFetch)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

constexpr int kRoundTripRuns = 7;
constexpr int kRoundTripsPerRun = 3000;

// The round trips, registered after the benchmarks above: per run, each
// placement's server and echo round trips one after the other, so a change of
// the machine's load falls on both sides of a ratio.
void registerRoundTrips()
{
    static const std::vector<Placement> list = placements();
    for (int run = 0; run < kRoundTripRuns; ++run) {
        for (const Placement& placement : list) {
            benchmark::RegisterBenchmark(("BM_SmallRoundTrip/" + placement.name).c_str(),
                                         [&placement](benchmark::State& st) { smallRoundTrip(st, placement); })
                ->Unit(benchmark::kMicrosecond)
                ->Iterations(kRoundTripsPerRun)
                ->UseRealTime();
            benchmark::RegisterBenchmark(("BM_EchoRoundTrip/" + placement.name).c_str(),
                                         [&placement](benchmark::State& st) { echoRoundTrip(st, placement); })
                ->Unit(benchmark::kMicrosecond)
                ->Iterations(kRoundTripsPerRun)
                ->UseRealTime();
        }
    }
}

void printRoundTripRatios()
{
    for (const Placement& placement : placements()) {
        const auto server = gRoundTrips.find("server/" + placement.name);
        const auto echo = gRoundTrips.find("echo/" + placement.name);
        if (server == gRoundTrips.end() || echo == gRoundTrips.end())
            continue;
        const double ours = median(server->second);
        const double peer = median(echo->second);
        if (peer <= 0)
            continue;
        std::printf("ratio small request round trip / bare TCP echo, %s (CPU %d and %d; medians of %zu runs, "
                    "%.1f us / %.1f us): %.4f (target 2 or less)\n",
                    placement.label.c_str(), placement.clientCpu, placement.serverCpu,
                    std::min(server->second.size(), echo->second.size()), ours * 1e6, peer * 1e6, ours / peer);
        // The work of both ends, which the load of other programs does not stretch.
        const double oursCpu = median(gRoundTripsCpu["server/" + placement.name]);
        const double peerCpu = median(gRoundTripsCpu["echo/" + placement.name]);
        if (peerCpu > 0)
            std::printf("ratio small request round trip / bare TCP echo, %s, CPU time of both ends "
                        "(%.1f us / %.1f us, explanation only): %.4f\n",
                        placement.label.c_str(), oursCpu * 1e6, peerCpu * 1e6, oursCpu / peerCpu);
    }
}

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
    ::sched_getaffinity(0, sizeof gAllowedCpus, &gAllowedCpus);
    gStation = new BenchStation;
    registerRoundTrips();
    benchmark::RunSpecifiedBenchmarks();
    printRatio("100,000 sales through the server / in-process QtSql", "sales-server", "sales-direct", "1.5 or less");
    printRatio("first 100 of 1,000,000 journal rows / full fetch", "journal-first", "journal-full", "0.01 or less");
    printRoundTripRatios();
    delete gStation;
    benchmark::Shutdown();
    return 0;
}
