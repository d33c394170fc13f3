// Cutting the log back to its newest part: thresholds, line boundaries, and
// replacement of the file in one step that survives a crash.
#include "plugin/foundation/log/LDSLogger.h"

#include "plugin/platform/Clock.h"
#include "tests/foundation/log/LoggerTestSupport.h"
#include "tests/support/ChildProcess.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velta {
namespace {

using test::filledLines;
using test::readFileBytes;
using test::writeFileBytes;

// With the fixed clock and no level word, the line of message "m".
const QByteArray kLine = "06.12.2026 14:30:15.123 m\r\n";

// A logger whose trim stops dead (as a killed process would) once the tail
// is on disk and before it replaces the log.
class DyingLogger : public TLDSLogger {
public:
    using TLDSLogger::TLDSLogger;

protected:
    void BeforeTailReplacesLog(const QString& tempNativePath) override
    {
        std::_Exit(QFile::exists(tempNativePath) ? 42 : 43);
    }
};

const test::ChildRoleRegistration dieWhileTrimming("logger-die-while-trimming", [](const QStringList& args) {
    ManualClock clock;
    clock.setNow(test::fixedMoment());
    ScopedClock installed(clock);
    DyingLogger logger(args.value(0));
    logger.SetShowLevelName(false);
    logger.SetMaxSize(args.value(1).toLongLong());
    logger.Log(QStringLiteral("m"), 1);
    return 0; // not reached when the trim ran
});

class LoggerTrimTest : public ::testing::Test {
protected:
    LoggerTrimTest() { clock.setNow(test::fixedMoment()); }

    std::unique_ptr<TLDSLogger> makeLogger(std::int64_t maxSize = TLDSLogger::kDefaultMaxSize)
    {
        auto logger = std::make_unique<TLDSLogger>(path);
        logger->SetShowLevelName(false);
        if (maxSize != TLDSLogger::kDefaultMaxSize)
            logger->SetMaxSize(maxSize);
        return logger;
    }

    test::TestEnv env;
    ManualClock clock;
    ScopedClock installed{clock};
    QString folder = env.path(QStringLiteral("logs"));
    QString path = env.path(QStringLiteral("logs/trim.log"));
};

TEST_F(LoggerTrimTest, DefaultLimitKeepsAFileUpToAThirdOverAndThenCutsOnALineStart)
{
    EXPECT_EQ(makeLogger()->MaxSize(), 1048576);
    const QByteArray old = filledLines(1398101 - kLine.size(), 100);
    writeFileBytes(path, old);
    auto logger = makeLogger();

    logger->Log(QStringLiteral("m"), 1);
    const QByteArray atLimit = readFileBytes(path);
    ASSERT_EQ(atLimit.size(), 1398101);
    EXPECT_EQ(atLimit, old + kLine);

    logger->Log(QStringLiteral("m"), 1);
    const QByteArray after = readFileBytes(path);
    const QByteArray full = atLimit + kLine;
    EXPECT_GT(after.size(), 1048576);
    EXPECT_LT(after.size(), 1048576 + 100);
    EXPECT_TRUE(full.endsWith(after));
    EXPECT_EQ(full.at(full.size() - after.size() - 1), '\n');
    EXPECT_TRUE(after.startsWith(QByteArray(98, 'x') + "\r\n"));
}

TEST_F(LoggerTrimTest, SmallLimitKeepsWholeConsecutiveLinesAndBoundsTheSize)
{
    auto logger = makeLogger(1000);
    const QRegularExpression shape(QStringLiteral("^06\\.12\\.2026 14:30:15\\.123 line (\\d+) -*$"));
    int trims = 0;
    qint64 previousSize = 0;
    for (int i = 0; i < 400; ++i) {
        logger->Log(QStringLiteral("line %1 %2").arg(i).arg(QString(i % 41, QLatin1Char('-'))), 1);
        const qint64 size = QFileInfo(path).size();
        ASSERT_LE(size, 1000 + 1000 / 3 + 80);
        if (size < previousSize)
            ++trims;
        previousSize = size;
    }
    EXPECT_GT(trims, 10);

    const QStringList lines = test::logLines(path);
    ASSERT_FALSE(lines.isEmpty());
    int expected = -1;
    for (const QString& line : lines) {
        const auto match = shape.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        const int number = match.captured(1).toInt();
        if (expected >= 0) {
            EXPECT_EQ(number, expected);
        }
        expected = number + 1;
    }
    EXPECT_EQ(expected, 400);
    EXPECT_GE(readFileBytes(path).size(), 1000);
}

TEST_F(LoggerTrimTest, ZeroOrNegativeLimitNeverTrims)
{
    const QByteArray old = filledLines(5000, 50);
    for (const std::int64_t limit : {std::int64_t(0), std::int64_t(-5)}) {
        writeFileBytes(path, old);
        makeLogger(limit)->Log(QStringLiteral("m"), 1);
        EXPECT_EQ(readFileBytes(path), old + kLine);
    }
}

TEST_F(LoggerTrimTest, WithoutALineEndBeforeTheCutPointCutsExactlyThere)
{
    const QByteArray old(3000, 'a');
    writeFileBytes(path, old);
    makeLogger(1000)->Log(QStringLiteral("m"), 1);
    EXPECT_EQ(readFileBytes(path), (old + kLine).right(1000));
}

TEST_F(LoggerTrimTest, CutPointBetweenCarriageReturnAndLineFeedKeepsNoStrayLineFeed)
{
    // 500 + 2 + 970 + 2 + 27 bytes: the cut point (size - 1000) falls right
    // after the carriage return at offset 500.
    const QByteArray old = QByteArray(500, 'a') + "\r\n" + QByteArray(970, 'b') + "\r\n";
    writeFileBytes(path, old);
    makeLogger(1000)->Log(QStringLiteral("m"), 1);
    EXPECT_EQ(readFileBytes(path), QByteArray(970, 'b') + "\r\n" + kLine);
}

TEST_F(LoggerTrimTest, SmallExcessOverTheLimitIsLeftAlone)
{
    // Over the limit by a third but by no more than 255 bytes: nothing to cut.
    const QByteArray old = filledLines(400, 40);
    writeFileBytes(path, old);
    makeLogger(300)->Log(QStringLiteral("m"), 1);
    EXPECT_EQ(readFileBytes(path), old + kLine);
}

TEST_F(LoggerTrimTest, TrimReplacesTheFileKeepsItsModeAndLeavesNoTemporaryFile)
{
    writeFileBytes(path, filledLines(5000, 50));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);

    makeLogger(1000)->Log(QStringLiteral("m"), 1);

    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_LE(after.st_size, 1050);
    EXPECT_EQ(test::filesIn(folder), QStringList(QStringLiteral("trim.log")));
}

TEST_F(LoggerTrimTest, ProcessDyingBeforeTheReplacementLeavesTheWholeLog)
{
    const QByteArray old = filledLines(5000, 50);
    writeFileBytes(path, old);

    auto child = test::startChild(QStringLiteral("logger-die-while-trimming"), {path, QStringLiteral("1000")});
    ASSERT_EQ(test::waitChild(*child), 42);

    // Nothing of the log is lost: the old content and the dying writer's line.
    EXPECT_EQ(readFileBytes(path), old + kLine);
    const QStringList files = test::filesIn(folder);
    ASSERT_EQ(files.size(), 2);
    const QString leftover = files.at(0) == QStringLiteral("trim.log") ? files.at(1) : files.at(0);
    EXPECT_TRUE(leftover.startsWith(QStringLiteral("trim.log_"))) << leftover.toStdString();
    EXPECT_TRUE((old + kLine).endsWith(readFileBytes(folder + u'/' + leftover)));

    // The next writer trims as usual.
    makeLogger(1000)->Log(QStringLiteral("m"), 1);
    const QByteArray trimmed = readFileBytes(path);
    EXPECT_LT(trimmed.size(), 1100);
    EXPECT_TRUE((old + kLine + kLine).endsWith(trimmed));
}

} // namespace
} // namespace velta
