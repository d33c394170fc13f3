// Lines per second of the logger against the floor: a plain open, append and
// close of the same line. The log makes its writers take turns, so the floors
// take turns too. One thread: each floor line is appended under the named lock
// the logger takes for its file (the lock-free floor is kept beside it for
// information). Two processes appending to one file with the default size
// limit, so the log is trimmed several times during each run (the count is
// printed): each floor line is appended under an exclusive flock of one shared
// lock file. The lock-free two-process floor is kept beside it to show what
// taking turns costs.
#include "common/Codecs.h"
#include "common/SysUtils.h"
#include "plugin/foundation/log/LDSLogger.h"
#include "plugin/foundation/log/LogTimeStamp.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/NamedLock.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kWriterSwitch[] = "--bench-writer";
constexpr int kLinesPerProcess = 20000;
// The plug-in's limit: 2 x 20000 lines of 89 bytes trim the log about 7 times a run.
constexpr std::int64_t kTrimmingLimit = velta::TLDSLogger::kDefaultMaxSize;
// The plug-in's log; the floor writes beside it, so both open the same depth of path.
const QString kLogName = QStringLiteral("C:\\DEXE\\LogFiles\\Reports.log");

const QString kMessage = QStringLiteral("Отчет №45 сформирован (120 мс; 2048 байт)");

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A file beside the log's native place.
QString besideLog(const QString& fileName)
{
    return workDir().filePath(QStringLiteral("root/C/DEXE/LogFiles/") + fileName);
}

// Counts the trims of one writer; the count is reported to the parent.
class CountingLogger : public velta::TLDSLogger {
public:
    using TLDSLogger::TLDSLogger;
    int trims = 0;

protected:
    void BeforeTailReplacesLog(const QString&) override { ++trims; }
};

// Lines and seconds summed over every run of each benchmark (repetitions
// included), for the ratios printed at the end.
struct Totals {
    double lines = 0;
    double seconds = 0;
};

std::map<std::string, Totals>& totals()
{
    static std::map<std::string, Totals> table;
    return table;
}

void addTotals(const std::string& name, double lines, double seconds)
{
    Totals& t = totals()[name];
    t.lines += lines;
    t.seconds += seconds;
}

QByteArray floorLine()
{
    static const QByteArray line = velta::codec::toCp1251(
        QStringLiteral("06.12.2026 14:30:15.123 [инф] [VeltaReports9] ") + kMessage + QStringLiteral("\r\n"));
    return line;
}

void appendFloorLine(const QByteArray& path, const QByteArray& line)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        std::abort();
    if (::write(fd, line.constData(), static_cast<std::size_t>(line.size())) != line.size())
        std::abort();
    ::close(fd);
}

// The floor that takes turns: the lock file's descriptor is opened once per
// process, as the logger keeps its lock open.
void appendFloorLineInTurn(int lockFd, const QByteArray& path, const QByteArray& line)
{
    while (::flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR)
            std::abort();
    }
    appendFloorLine(path, line);
    if (::flock(lockFd, LOCK_UN) != 0)
        std::abort();
}

int openFloorLock()
{
    const QByteArray folder = QFile::encodeName(velta::NamedLock::lockFolder());
    QDir().mkpath(QFile::decodeName(folder));
    const int fd = ::open((folder + "/floor-two.lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        std::abort();
    return fd;
}

std::unique_ptr<CountingLogger> makeLogger(const QString& path, std::int64_t maxSize)
{
    auto logger = std::make_unique<CountingLogger>(path);
    logger->SetLinePrefix(QStringLiteral("[VeltaReports9]"));
    logger->SetMaxSize(maxSize);
    return logger;
}

// The second process's work: wait for the start signal, then append lines.
int runWriter(int argc, char** argv)
{
    if (argc < 7)
        return 2;
    const std::string mode = argv[2];
    const QString path = QFile::decodeName(argv[3]);
    const int count = std::atoi(argv[4]);
    const std::int64_t maxSize = std::atoll(argv[5]);
    const QString go = QFile::decodeName(argv[6]);
    std::unique_ptr<CountingLogger> logger;
    if (mode == "logger")
        logger = makeLogger(path, maxSize);
    else if (mode == "logger-nolimit")
        logger = makeLogger(path, 0);
    const int lockFd = mode == "floor-in-turn" ? openFloorLock() : -1;
    while (!QFile::exists(go))
        QThread::usleep(200);
    const QByteArray nativePath = QFile::encodeName(path);
    const QByteArray line = floorLine();
    // CPU time of the writing alone, without the start of the process.
    timespec cpu {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    const double cpuStart = static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
    for (int i = 0; i < count; ++i) {
        if (logger)
            logger->Log(kMessage, 1);
        else if (lockFd >= 0)
            appendFloorLineInTurn(lockFd, nativePath, line);
        else
            appendFloorLine(nativePath, line);
    }
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::printf("%d %.6f\n", logger ? logger->trims : 0,
                static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9 - cpuStart);
    return 0;
}

// CPU time of the calling thread: on a shared machine it measures the work of
// one writer without the time spent waiting for a processor.
double threadCpuSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void recordRate(const std::string& name, benchmark::State& state, double lines, double seconds)
{
    state.SetItemsProcessed(static_cast<std::int64_t>(lines));
    addTotals(name, lines, seconds);
}

void BM_FloorOneThread(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(besideLog(QStringLiteral("floor1.log")));
    const QByteArray line = floorLine();
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuSeconds();
    for (auto _ : state)
        appendFloorLine(path, line);
    recordRate("floor1-cpu", state, static_cast<double>(state.iterations()), threadCpuSeconds() - cpuStart);
    recordRate("floor1", state, static_cast<double>(state.iterations()), timer.nsecsElapsed() / 1e9);
    ::unlink(path.constData());
}

void BM_LoggerOneThread(benchmark::State& state)
{
    auto logger = makeLogger(kLogName, velta::TLDSLogger::kDefaultMaxSize);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuSeconds();
    for (auto _ : state)
        logger->Log(kMessage, 1);
    recordRate("logger1-cpu", state, static_cast<double>(state.iterations()), threadCpuSeconds() - cpuStart);
    recordRate("logger1", state, static_cast<double>(state.iterations()), timer.nsecsElapsed() / 1e9);
    state.counters["trims"] = logger->trims;
    QFile::remove(besideLog(QStringLiteral("Reports.log")));
}

// The one-thread floor the logger is held to: the floor line appended under
// the named lock the logger takes for a file of that name.
void BM_FloorWithNamedLock(benchmark::State& state)
{
    const QString name = besideLog(QStringLiteral("floorlock.log"));
    const QByteArray path = QFile::encodeName(name);
    const QByteArray line = floorLine();
    velta::NamedLock lock(QStringLiteral("Global\\") + velta::TLDSLogger::FileMutexName(name));
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuSeconds();
    for (auto _ : state) {
        velta::NamedLockGuard guard(&lock);
        appendFloorLine(path, line);
    }
    recordRate("floor1-locked-cpu", state, static_cast<double>(state.iterations()), threadCpuSeconds() - cpuStart);
    recordRate("floor1-locked", state, static_cast<double>(state.iterations()), timer.nsecsElapsed() / 1e9);
    ::unlink(path.constData());
}

// The parts of the logger's cost, to explain the ratios: the line's time
// stamp and encoding alone, the named lock alone and the path check alone.

void BM_LineText(benchmark::State& state)
{
    const velta::LogTimeStamp stamp;
    const QByteArray prefix = velta::codec::toCp1251(velta::TLDSLogger::LevelName(1) + QStringLiteral(" [VeltaReports9] "));
    QByteArray bytes;
    for (auto _ : state) {
        const QByteArray message = velta::codec::toCp1251(velta::Trim(kMessage));
        bytes.resize(0);
        stamp.appendTo(bytes, velta::Clock::current().now());
        bytes += prefix;
        bytes += message;
        bytes += "\r\n";
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations());
}

// The logger keeps the log open between lines and looks the path up once per
// line to see that it still names the held file: that lookup alone.
void BM_PathCheckAlone(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(besideLog(QStringLiteral("check.log")));
    appendFloorLine(path, floorLine());
    struct stat st {};
    for (auto _ : state) {
        if (::stat(path.constData(), &st) != 0)
            std::abort();
        benchmark::DoNotOptimize(st.st_ino);
    }
    state.SetItemsProcessed(state.iterations());
    ::unlink(path.constData());
}

void BM_NamedLockAlone(benchmark::State& state)
{
    velta::NamedLock lock(QStringLiteral("Global\\bench-lock-alone"));
    for (auto _ : state) {
        lock.lock();
        lock.unlock();
    }
    state.SetItemsProcessed(state.iterations());
}

// One trim of a log of the default limit: the line that makes the file pass
// the limit by a third copies the newest 1 MiB to a flushed temporary file
// that replaces the log.
void BM_TrimOnce(benchmark::State& state)
{
    const QString path = besideLog(QStringLiteral("trim.log"));
    QByteArray full;
    while (full.size() < velta::TLDSLogger::kDefaultMaxSize * 4 / 3 + 1)
        full += floorLine();
    auto logger = makeLogger(path, velta::TLDSLogger::kDefaultMaxSize);
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(full) != full.size())
            std::abort();
        file.close();
        state.ResumeTiming();
        const double cpuStart = threadCpuSeconds();
        logger->Log(kMessage, 1);
        cpu += threadCpuSeconds() - cpuStart;
    }
    if (logger->trims != state.iterations())
        state.SkipWithError("the log was not trimmed every time");
    state.counters["cpu_ms/trim"] = cpu * 1e3 / static_cast<double>(state.iterations());
    QFile::remove(path);
}

// Two writer processes started ahead, released together; the time runs from
// the release until both have finished.
void runTwoProcesses(benchmark::State& state, const char* mode, const std::string& name)
{
    double lines = 0;
    double seconds = 0;
    double cpuSeconds = 0;
    int trims = 0;
    int round = 0;
    const bool floor = std::strncmp(mode, "floor", 5) == 0;
    for (auto _ : state) {
        const QString path = floor ? besideLog(QStringLiteral("floor-two.log")) : kLogName;
        const QString go = workDir().filePath(QStringLiteral("go-%1-%2").arg(QLatin1String(mode)).arg(++round));
        QFile::remove(besideLog(floor ? QStringLiteral("floor-two.log") : QStringLiteral("Reports.log")));
        const QStringList args = {QString::fromLatin1(kWriterSwitch), QString::fromLatin1(mode), path,
                                  QString::number(kLinesPerProcess), QString::number(kTrimmingLimit), go};
        QProcess first;
        QProcess second;
        first.start(QFile::decodeName("/proc/self/exe"), args);
        second.start(QFile::decodeName("/proc/self/exe"), args);
        if (!first.waitForStarted() || !second.waitForStarted()) {
            state.SkipWithError("cannot start the writer processes");
            return;
        }
        QThread::msleep(300); // let both load and open their locks
        QElapsedTimer timer;
        timer.start();
        QFile(go).open(QIODevice::WriteOnly);
        first.waitForFinished(-1);
        second.waitForFinished(-1);
        const double elapsed = timer.nsecsElapsed() / 1e9;
        if (first.exitCode() != 0 || second.exitCode() != 0) {
            state.SkipWithError("a writer process failed");
            return;
        }
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        lines += 2.0 * kLinesPerProcess;
        for (QProcess* writer : {&first, &second}) {
            const QList<QByteArray> report = writer->readAllStandardOutput().split(' ');
            trims += report.value(0).trimmed().toInt();
            cpuSeconds += report.value(1).trimmed().toDouble();
        }
        QFile::remove(go);
    }
    QFile::remove(besideLog(floor ? QStringLiteral("floor-two.log") : QStringLiteral("Reports.log")));
    recordRate(name, state, lines, seconds);
    addTotals(name + "-cpu", lines, cpuSeconds);
    state.counters["trims/run"] = trims / static_cast<double>(state.iterations());
    state.counters["cpu_us/line"] = cpuSeconds * 1e6 / lines;
}

// The floor the logger is held to: two processes taking turns under one file lock.
void BM_FloorTwoProcessesInTurn(benchmark::State& state)
{
    runTwoProcesses(state, "floor-in-turn", "floor2");
}

// For explanation only: two processes appending without any lock, so their
// lines may interleave; the gap to the floor above is the cost of taking turns.
void BM_FloorTwoProcessesNoLock(benchmark::State& state)
{
    runTwoProcesses(state, "floor-no-lock", "floor2-nolock");
}

void BM_LoggerTwoProcessesTrimming(benchmark::State& state)
{
    runTwoProcesses(state, "logger", "logger2");
}

void BM_LoggerTwoProcessesNoLimit(benchmark::State& state)
{
    runTwoProcesses(state, "logger-nolimit", "logger2-nolimit");
}

// One-thread runs repeated too, interleaved with the rest; the ratios use the
// sums of all runs.
BENCHMARK(BM_FloorOneThread)->MinTime(0.5)->Repetitions(3);
BENCHMARK(BM_LoggerOneThread)->MinTime(0.5)->Repetitions(3);
BENCHMARK(BM_FloorWithNamedLock)->MinTime(0.5)->Repetitions(3);
BENCHMARK(BM_LineText)->MinTime(0.5);
BENCHMARK(BM_NamedLockAlone)->MinTime(0.5);
BENCHMARK(BM_PathCheckAlone)->MinTime(0.5);
BENCHMARK(BM_TrimOnce)->Iterations(40)->Unit(benchmark::kMillisecond);
// A two-process run is short and the machine may be shared: each is repeated,
// and main has the repetitions interleaved at random, so a change of load falls
// on the floors and the logger alike; the ratios use the sums of all runs.
void twoProcessRuns(benchmark::internal::Benchmark* b)
{
    b->UseManualTime()->Iterations(1)->Repetitions(6)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FloorTwoProcessesNoLock)->Apply(twoProcessRuns);
BENCHMARK(BM_FloorTwoProcessesInTurn)->Apply(twoProcessRuns);
BENCHMARK(BM_LoggerTwoProcessesTrimming)->Apply(twoProcessRuns);
BENCHMARK(BM_LoggerTwoProcessesNoLimit)->Apply(twoProcessRuns);

// The time per line of one benchmark over another's, with its target when it has one.
void printRatio(const char* label, const std::string& slower, const std::string& faster, const char* target = nullptr)
{
    const auto l = totals().find(slower);
    const auto f = totals().find(faster);
    if (l == totals().end() || f == totals().end() || l->second.lines <= 0 || f->second.seconds <= 0)
        return;
    const double perLine = l->second.seconds / l->second.lines;
    const double floorPerLine = f->second.seconds / f->second.lines;
    if (target)
        std::printf("ratio %s: %.2f (target %s)\n", label, perLine / floorPerLine, target);
    else
        std::printf("ratio %s: %.2f\n", label, perLine / floorPerLine);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], kWriterSwitch) == 0)
        return runWriter(argc, argv);
    // Keep the lock files and the mapped root inside the scratch folder.
    ::setenv("VELTA_ROOT", QFile::encodeName(workDir().filePath(QStringLiteral("root"))).constData(), 1);
    ::setenv("VELTA_LOCK_DIR", QFile::encodeName(workDir().filePath(QStringLiteral("locks"))).constData(), 1);
    QDir().mkpath(besideLog(QString()));
    // Repetitions interleaved at random unless the command line says otherwise
    // (a flag given later wins).
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, interleave);
    args.push_back(nullptr);
    int count = argc + 1;
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printRatio("logger/floor under the logger's named lock (1 thread)", "logger1", "floor1-locked", "1.3 or less");
    printRatio("logger/floor under the logger's named lock (1 thread, CPU time)", "logger1-cpu", "floor1-locked-cpu");
    // For explanation only: the floor that takes no lock at all.
    printRatio("logger/lock-free floor (1 thread, explanation only)", "logger1", "floor1");
    printRatio("logger/lock-free floor (1 thread, CPU time, explanation only)", "logger1-cpu", "floor1-cpu");
    printRatio("logger/floor (2 processes taking turns, trimming)", "logger2", "floor2");
    printRatio("logger/floor (2 processes taking turns, trimming, CPU time)", "logger2-cpu", "floor2-cpu");
    printRatio("logger/floor (2 processes taking turns, no size limit)", "logger2-nolimit", "floor2");
    printRatio("logger/floor (2 processes taking turns, no size limit, CPU time)", "logger2-nolimit-cpu", "floor2-cpu");
    // For explanation only: what taking turns costs the floor itself.
    printRatio("floor in turn/lock-free floor (2 processes, explanation only)", "floor2", "floor2-nolock");
    printRatio("logger/lock-free floor (2 processes, trimming, explanation only)", "logger2", "floor2-nolock");
    std::fflush(stdout);
    return 0;
}
