// The log file stays open between lines: every line must still reach the file
// that is at the log's path when it is written, whatever happened to the path
// in between, and the descriptor must not outlive the settings it was opened for.
#include "plugin/foundation/log/LDSLogger.h"

#include "plugin/platform/Clock.h"
#include "tests/foundation/log/LoggerTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velta {
namespace {

using test::logLines;
using test::readFileBytes;
using test::writeFileBytes;

// With the fixed clock and no level word, the line of a message.
QString line(const QString& message)
{
    return QStringLiteral("06.12.2026 14:30:15.123 ") + message;
}

// Descriptors of this process open on files in the subfolder "logs" of an
// existing folder (deleted files too), with whether each is closed on exec.
struct OpenDescriptors {
    int count = 0;
    int withoutCloseOnExec = 0;
};

OpenDescriptors logDescriptors(const QString& base)
{
    OpenDescriptors found;
    const QString canonical = QFileInfo(base).canonicalFilePath();
    if (canonical.isEmpty())
        return {-1, -1};
    const QString prefix = canonical + QStringLiteral("/logs/");
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& entry : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (!QFileInfo(fds.filePath(entry)).symLinkTarget().startsWith(prefix))
            continue;
        ++found.count;
        const int flags = ::fcntl(entry.toInt(), F_GETFD);
        if (flags < 0 || !(flags & FD_CLOEXEC))
            ++found.withoutCloseOnExec;
    }
    return found;
}

std::uint64_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Another program of the suite: one line with a small limit, so a log above it is trimmed.
const test::ChildRoleRegistration trimOnceRole("logger-trim-once", [](const QStringList& args) {
    ManualClock clock;
    clock.setNow(test::fixedMoment());
    ScopedClock installed(clock);
    TLDSLogger logger(args.value(0));
    logger.SetShowLevelName(false);
    logger.SetMaxSize(args.value(1).toLongLong());
    logger.Log(args.value(2), 1);
    return 0;
});

class LoggerHeldFileTest : public ::testing::Test {
protected:
    LoggerHeldFileTest() { clock.setNow(test::fixedMoment()); }

    std::unique_ptr<TLDSLogger> makeLogger(const QString& file)
    {
        auto logger = std::make_unique<TLDSLogger>(file);
        logger->SetShowLevelName(false);
        return logger;
    }

    test::TestEnv env;
    ManualClock clock;
    ScopedClock installed{clock};
    QString folder = env.path(QStringLiteral("logs"));
    QString path = env.path(QStringLiteral("logs/held.log"));
};

TEST_F(LoggerHeldFileTest, FileDeletedBetweenLinesIsCreatedAgain)
{
    auto logger = makeLogger(path);
    logger->Log(QStringLiteral("one"), 1);
    ASSERT_TRUE(QFile::remove(path));

    logger->Log(QStringLiteral("two"), 1);
    EXPECT_EQ(logLines(path), QStringList(line(QStringLiteral("two"))));
    EXPECT_FALSE(QFile::exists(test::errorLogPath()));

    // The folder itself gone too: made again, as for a first line.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    logger->Log(QStringLiteral("three"), 1);
    EXPECT_EQ(logLines(path), QStringList(line(QStringLiteral("three"))));
    EXPECT_EQ(logDescriptors(env.dir()).count, 1);
}

TEST_F(LoggerHeldFileTest, FileReplacedOrMovedAwayBetweenLinesSendsTheNextLineToThePath)
{
    auto logger = makeLogger(path);
    logger->Log(QStringLiteral("one"), 1);

    // Another file renamed over the log: the next line joins that file.
    const QString replacement = env.path(QStringLiteral("logs/new.tmp"));
    writeFileBytes(replacement, "replacement\r\n");
    ASSERT_EQ(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(path).constData()), 0);
    logger->Log(QStringLiteral("two"), 1);
    EXPECT_EQ(logLines(path), QStringList({QStringLiteral("replacement"), line(QStringLiteral("two"))}));

    // The log moved aside (rotated): the old file keeps what it had, the next line starts a new log.
    const QString rotated = env.path(QStringLiteral("logs/held.log.1"));
    ASSERT_TRUE(QFile::rename(path, rotated));
    logger->Log(QStringLiteral("three"), 1);
    EXPECT_EQ(logLines(rotated), QStringList({QStringLiteral("replacement"), line(QStringLiteral("two"))}));
    EXPECT_EQ(logLines(path), QStringList(line(QStringLiteral("three"))));
}

TEST_F(LoggerHeldFileTest, FolderMovedAwayIsNoticedWithinASecond)
{
    auto logger = makeLogger(path);
    logger->Log(QStringLiteral("one"), 1);
    const QString moved = env.path(QStringLiteral("logs.old"));
    ASSERT_TRUE(QDir().rename(folder, moved));
    // The log's folder is held: lines of the same second may still follow it.
    logger->Log(QStringLiteral("two"), 1);
    clock.advance(1000);
    logger->Log(QStringLiteral("three"), 1);
    const QStringList atPath = logLines(path);
    ASSERT_EQ(atPath.size(), 1);
    EXPECT_TRUE(atPath[0].endsWith(QStringLiteral(" three")));
    EXPECT_EQ(logLines(moved + QStringLiteral("/held.log")).last(), line(QStringLiteral("two")));
    EXPECT_EQ(logDescriptors(env.dir()).count, 1);
}

TEST_F(LoggerHeldFileTest, FileEmptiedInPlaceGetsTheNextLineAtItsStartAndIsNotTrimmed)
{
    writeFileBytes(path, test::filledLines(1200, 50));
    auto logger = makeLogger(path);
    logger->SetMaxSize(1000);
    logger->Log(QStringLiteral("one"), 1); // 1200 + 28 bytes: not over the limit by a third
    const std::uint64_t inode = inodeOf(path);
    writeFileBytes(path, QByteArray()); // truncated, same file

    logger->Log(QStringLiteral("two"), 1);
    EXPECT_EQ(readFileBytes(path), line(QStringLiteral("two")).toLatin1() + "\r\n");
    EXPECT_EQ(inodeOf(path), inode);
}

TEST_F(LoggerHeldFileTest, TrimByAnotherProcessSendsThisProcessNextLineToTheTrimmedLog)
{
    writeFileBytes(path, test::filledLines(5000, 50));
    auto logger = makeLogger(path); // default limit: never trims here
    logger->Log(QStringLiteral("before"), 1);
    const std::uint64_t before = inodeOf(path);

    auto child = test::startChild(QStringLiteral("logger-trim-once"), {path, QStringLiteral("1000"), QStringLiteral("child")});
    ASSERT_EQ(test::waitChild(*child), 0);
    ASSERT_NE(inodeOf(path), before);

    logger->Log(QStringLiteral("after"), 1);
    const QStringList lines = logLines(path);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.mid(lines.size() - 3),
              QStringList({line(QStringLiteral("before")), line(QStringLiteral("child")), line(QStringLiteral("after"))}));
    EXPECT_LT(QFileInfo(path).size(), 1100);
}

TEST_F(LoggerHeldFileTest, OwnTrimGoesOnWritingToTheNewLogAndAnotherLoggerFollows)
{
    writeFileBytes(path, test::filledLines(5000, 50));
    auto trimming = makeLogger(path);
    auto other = makeLogger(path);
    trimming->SetMaxSize(1000);
    other->SetMaxSize(0);
    other->Log(QStringLiteral("other 1"), 1);

    trimming->Log(QStringLiteral("trim"), 1); // cuts the log back
    const std::uint64_t trimmed = inodeOf(path);
    trimming->Log(QStringLiteral("own next"), 1);
    other->Log(QStringLiteral("other 2"), 1);

    EXPECT_EQ(inodeOf(path), trimmed);
    const QStringList lines = logLines(path);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.mid(lines.size() - 4), QStringList({line(QStringLiteral("other 1")), line(QStringLiteral("trim")),
                                                        line(QStringLiteral("own next")), line(QStringLiteral("other 2"))}));
    EXPECT_EQ(test::filesIn(folder), QStringList(QStringLiteral("held.log")));
    // Each logger holds one descriptor, of the current log.
    EXPECT_EQ(logDescriptors(env.dir()).count, 2);
}

TEST_F(LoggerHeldFileTest, DescriptorIsClosedOnExecAndClosedBySettingsChangesAndDestruction)
{
    auto logger = makeLogger(path);
    EXPECT_EQ(logDescriptors(env.dir()).count, 0); // opened by the first line, not before
    logger->Log(QStringLiteral("one"), 1);
    EXPECT_EQ(logDescriptors(env.dir()).count, 1);
    EXPECT_EQ(logDescriptors(env.dir()).withoutCloseOnExec, 0);

    logger->SetEnabled(false);
    EXPECT_EQ(logDescriptors(env.dir()).count, 0);
    logger->SetEnabled(true);
    logger->Log(QStringLiteral("two"), 1);
    logger->SetUseProcessLock(false);
    EXPECT_EQ(logDescriptors(env.dir()).count, 0);
    logger->Log(QStringLiteral("three"), 1);

    const QString other = env.path(QStringLiteral("logs/other.log"));
    logger->SetFileName(other);
    EXPECT_EQ(logDescriptors(env.dir()).count, 0);
    logger->Log(QStringLiteral("four"), 1);
    EXPECT_EQ(logDescriptors(env.dir()).count, 1);
    logger.reset();
    EXPECT_EQ(logDescriptors(env.dir()).count, 0);

    EXPECT_EQ(logLines(path), QStringList({line(QStringLiteral("one")), line(QStringLiteral("two")),
                                           line(QStringLiteral("three"))}));
    EXPECT_EQ(logLines(other), QStringList(line(QStringLiteral("four"))));
}

TEST_F(LoggerHeldFileTest, ForkedChildTrimsThroughTheInheritedLoggerAndTheParentFollows)
{
    writeFileBytes(path, test::filledLines(5000, 50));
    auto logger = makeLogger(path);
    logger->Log(QStringLiteral("parent 1"), 1);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        logger->SetMaxSize(1000);
        logger->Log(QStringLiteral("child"), 1);
        std::_Exit(0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    logger->Log(QStringLiteral("parent 2"), 1);
    const QStringList lines = logLines(path);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.mid(lines.size() - 3), QStringList({line(QStringLiteral("parent 1")), line(QStringLiteral("child")),
                                                        line(QStringLiteral("parent 2"))}));
    EXPECT_LT(QFileInfo(path).size(), 1100);
}

TEST(LoggerHeldFileRoot, WindowsNameFollowsTheRootItIsWrittenUnder)
{
    test::TestEnv first;
    ManualClock clock;
    clock.setNow(test::fixedMoment());
    ScopedClock installed(clock);
    TLDSLogger logger(QStringLiteral("C:\\DEXE\\LogFiles\\Reports.log"));
    logger.SetShowLevelName(false);
    logger.Log(QStringLiteral("first"), 1);
    const QString firstLog = Paths::toNative(logger.LogFileName());
    {
        test::TestEnv second;
        logger.Log(QStringLiteral("second"), 1);
        EXPECT_EQ(logLines(Paths::toNative(logger.LogFileName())), QStringList(line(QStringLiteral("second"))));
    }
    EXPECT_EQ(logLines(firstLog), QStringList(line(QStringLiteral("first"))));
}

} // namespace
} // namespace velta
