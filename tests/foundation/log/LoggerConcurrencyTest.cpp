// Several threads and processes appending to one log at once, with trimming.
#include "plugin/foundation/log/LDSLogger.h"

#include "common/Codecs.h"
#include "plugin/platform/NamedLock.h"
#include "tests/foundation/log/LoggerTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <vector>

namespace velta {
namespace {

constexpr int kLinesPerWriter = 1500;
constexpr std::int64_t kSmallLimit = 8192;

QString payload(int number)
{
    return QString(number % 37, QChar(u'ж'));
}

void writeNumberedLines(TLDSLogger& logger, const QString& tag, int count)
{
    for (int i = 0; i < count; ++i)
        logger.Log(QStringLiteral("%1 %2 %3").arg(tag).arg(i, 6, 10, QLatin1Char('0')).arg(payload(i)), 1);
}

// Arguments: tag, log file, size limit, line count, start signal file.
const test::ChildRoleRegistration logLinesRole("logger-log-lines", [](const QStringList& args) {
    TLDSLogger logger(args.value(1));
    logger.SetMaxSize(args.value(2).toLongLong());
    while (!QFile::exists(args.value(4)))
        QThread::msleep(1);
    writeNumberedLines(logger, args.value(0), args.value(3).toInt());
    return 0;
});

// Holds the log's named lock as another program of the suite would, then
// appends a line of its own before letting go.
const test::ChildRoleRegistration holdLockRole("logger-hold-lock", [](const QStringList& args) {
    NamedLock lock(QStringLiteral("Global\\") + TLDSLogger::FileMutexName(args.value(0)));
    lock.lock();
    test::writeFileBytes(args.value(1), "held");
    QThread::msleep(300);
    QFile log(args.value(0));
    if (!log.open(QIODevice::Append))
        return 2;
    log.write("outsider\r\n");
    log.close();
    lock.unlock();
    return 0;
});

// Checks that every line of a log's text is a whole line of one writer and
// that each writer's lines are consecutive: nothing written after a cut is
// missing. While writers run, the last line may still be partial; once they
// are done, every writer still present must end with its last line (one that
// finished early may have been cut away entirely). Returns what is wrong, or
// an empty text.
QString checkLog(const QByteArray& bytes, int count, bool finished)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[инф\\] (\\w+) (\\d{6}) ?(ж*)$"));
    QStringList lines = codec::fromCp1251(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast(); // empty after the last line end, or a line being written
    std::map<QString, int> next;
    for (const QString& line : lines) {
        const auto match = shape.match(line);
        if (!match.hasMatch())
            return QStringLiteral("mixed or broken line: ") + line;
        const int number = match.captured(2).toInt();
        if (match.captured(3) != payload(number))
            return QStringLiteral("wrong payload: ") + line;
        const auto it = next.find(match.captured(1));
        if (it != next.end() && number != it->second)
            return QStringLiteral("line lost before: ") + line;
        next[match.captured(1)] = number + 1;
    }
    if (finished) {
        if (next.empty())
            return QStringLiteral("no lines");
        for (const auto& [tag, end] : next) {
            if (end != count)
                return QStringLiteral("last lines of %1 missing").arg(tag);
        }
    }
    return {};
}

TEST(LoggerConcurrency, TwoProcessesWithTrimmingKeepEveryLineWhole)
{
    test::TestEnv env;
    const QString folder = env.path(QStringLiteral("shared"));
    const QString path = folder + QStringLiteral("/station.log");
    const QString go = env.path(QStringLiteral("go"));
    const QStringList common = {path, QString::number(kSmallLimit), QString::number(kLinesPerWriter), go};

    auto first = test::startChild(QStringLiteral("logger-log-lines"), QStringList{QStringLiteral("A")} + common);
    auto second = test::startChild(QStringLiteral("logger-log-lines"), QStringList{QStringLiteral("B")} + common);
    test::writeFileBytes(go, "go");

    // Look at the log while both write: a line lost to a trim shows as a gap.
    int snapshots = 0;
    QString problem;
    QElapsedTimer running;
    running.start();
    while (problem.isEmpty() && running.elapsed() < 60000
           && (first->state() != QProcess::NotRunning || second->state() != QProcess::NotRunning)) {
        problem = checkLog(test::readFileBytes(path), kLinesPerWriter, false);
        ++snapshots;
        // QProcess notices an exit only while waiting on it.
        first->waitForFinished(1);
        second->waitForFinished(1);
    }
    for (QProcess* child : {first.get(), second.get()}) {
        const int code = child->state() == QProcess::NotRunning
            ? (child->exitStatus() == QProcess::NormalExit ? child->exitCode() : -1)
            : test::waitChild(*child);
        ASSERT_EQ(code, 0);
    }
    EXPECT_EQ(problem, QString()) << problem.toStdString() << " (snapshot " << snapshots << ")";

    // 3000 lines of 40 to 80 bytes could not fit without trimming.
    EXPECT_LE(QFileInfo(path).size(), kSmallLimit + kSmallLimit / 3 + 120);
    problem = checkLog(test::readFileBytes(path), kLinesPerWriter, true);
    EXPECT_EQ(problem, QString()) << problem.toStdString();
    EXPECT_EQ(test::filesIn(folder), QStringList(QStringLiteral("station.log")));
}

TEST(LoggerConcurrency, ThreadsOfOneProcessThroughTwoLoggers)
{
    test::TestEnv env;
    const QString path = env.path(QStringLiteral("threads.log"));
    TLDSLogger one(path);
    TLDSLogger two(path);
    one.SetMaxSize(kSmallLimit);
    two.SetMaxSize(kSmallLimit);

    std::vector<std::thread> threads;
    const QStringList tags = {QStringLiteral("T0"), QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("T3")};
    for (int t = 0; t < tags.size(); ++t)
        threads.emplace_back([&, t] { writeNumberedLines(t % 2 ? two : one, tags.at(t), 800); });
    for (auto& thread : threads)
        thread.join();

    const QString problem = checkLog(test::readFileBytes(path), 800, true);
    EXPECT_EQ(problem, QString()) << problem.toStdString();
    EXPECT_EQ(test::filesIn(env.dir()), QStringList(QStringLiteral("threads.log")));
}

TEST(LoggerConcurrency, WaitsForAnotherProgramHoldingTheLogLock)
{
    test::TestEnv env;
    const QString path = env.path(QStringLiteral("Shared.LOG"));
    const QString marker = env.path(QStringLiteral("held"));
    test::writeFileBytes(path, QByteArray());
    TLDSLogger logger(path);

    auto child = test::startChild(QStringLiteral("logger-hold-lock"), {path, marker});
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(marker) && waited.elapsed() < 20000)
        QThread::msleep(5);
    ASSERT_TRUE(QFile::exists(marker));

    logger.Log(QStringLiteral("after"), 1);
    ASSERT_EQ(test::waitChild(*child), 0);
    const QStringList lines = test::logLines(path);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(0), QStringLiteral("outsider"));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral(" [инф] after")));
}

} // namespace
} // namespace velta
