// Failed writes: they never reach the caller, they land in the private error
// log with how far the write got, and a busy file is retried for a while.
#include "plugin/foundation/log/LDSLogger.h"

#include "plugin/platform/Clock.h"
#include "plugin/platform/SystemError.h"
#include "tests/foundation/log/LoggerTestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace velta {
namespace {

using test::errorLogText;
using test::logLines;

// Reports the file as busy (or failing otherwise) for the first attempts.
class FlakyLogger : public TLDSLogger {
public:
    using TLDSLogger::TLDSLogger;
    int failures = 0;
    int failureCode = SystemError::SharingViolation;
    int attempts = 0;

protected:
    int OpenLogHandle(const QByteArray& nativePath, bool create) override
    {
        ++attempts;
        if (failures < 0 || attempts <= failures) {
            SystemError::setLast(failureCode);
            return -1;
        }
        return TLDSLogger::OpenLogHandle(nativePath, create);
    }
};

class LoggerFailureTest : public ::testing::Test {
protected:
    LoggerFailureTest()
    {
        clock.setNow(test::fixedMoment());
        test::writeFileBytes(path, QByteArray());
    }

    test::TestEnv env;
    ManualClock clock;
    ScopedClock installed{clock};
    QString path = env.path(QStringLiteral("busy.log"));
};

TEST_F(LoggerFailureTest, BriefSharingViolationIsWaitedOut)
{
    FlakyLogger logger(path);
    logger.failures = 5;
    logger.Log(QStringLiteral("m"), 1);
    EXPECT_EQ(logger.attempts, 6);
    EXPECT_EQ(clock.tickCount(), 50);
    EXPECT_EQ(logLines(path).size(), 1);
    EXPECT_FALSE(QFile::exists(test::errorLogPath()));
}

TEST_F(LoggerFailureTest, LockViolationUpToTheTimeoutStillLetsTheLineThrough)
{
    FlakyLogger logger(path);
    logger.failures = 20;
    logger.failureCode = SystemError::LockViolation;
    logger.Log(QStringLiteral("m"), 1);
    EXPECT_EQ(clock.tickCount(), 200);
    EXPECT_EQ(logLines(path).size(), 1);
}

TEST_F(LoggerFailureTest, FileBusyPastTheTimeoutFailsThatLineOnly)
{
    FlakyLogger logger(path);
    logger.failures = -1;
    logger.Log(QStringLiteral("lost"), 1);
    EXPECT_GE(clock.tickCount(), 200);
    EXPECT_LT(clock.tickCount(), 230);
    EXPECT_TRUE(logLines(path).isEmpty());

    // The report is stamped after the 210 ms spent retrying.
    const QString expected = QStringLiteral("06.12.2026 14:30:15.333 Ошибка при попытке записи (fmOpenReadWrite) в лог \"")
        + path + QStringLiteral("\" строки [06.12.2026 14:30:15.123 [инф] lost]: Log file open timeout: 200 ms (")
        + SystemError::message(SystemError::SharingViolation) + QStringLiteral(") <Exception>\r\n");
    EXPECT_EQ(errorLogText(), expected);

    logger.failures = 0;
    logger.attempts = 0;
    logger.Log(QStringLiteral("next"), 1);
    EXPECT_EQ(logLines(path), QStringList(QStringLiteral("06.12.2026 14:30:15.333 [инф] next")));
}

TEST_F(LoggerFailureTest, OtherOpenErrorsAreNotRetried)
{
    FlakyLogger logger(path);
    logger.failures = -1;
    logger.failureCode = SystemError::AccessDenied;
    logger.Log(QStringLiteral("m"), 1);
    EXPECT_EQ(logger.attempts, 1);
    EXPECT_EQ(clock.tickCount(), 0);
    const QString text = errorLogText();
    EXPECT_TRUE(text.contains(QStringLiteral("(fmOpenReadWrite)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Cannot open file \"") + path + u'"')) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(" <EFOpenError>\r\n"))) << text.toStdString();
}

TEST_F(LoggerFailureTest, FolderThatCannotBeMadeIsReportedWithStageAndClass)
{
    test::writeFileBytes(env.path(QStringLiteral("plainfile")), "not a folder");
    const QString badPath = env.path(QStringLiteral("plainfile/sub/app.log"));
    TLDSLogger logger(badPath);
    logger.SetLinePrefix(QStringLiteral("[VeltaReports9]"));
    logger.Log(QStringLiteral("  hello  "), 2);

    const QStringList lines = logLines(test::errorLogPath());
    ASSERT_EQ(lines.size(), 1);
    const QString prefix = QStringLiteral("06.12.2026 14:30:15.123 Ошибка при попытке записи (fmCreate) в лог \"")
        + badPath + QStringLiteral("\" строки [06.12.2026 14:30:15.123 [ошиб] [VeltaReports9] hello]: Cannot create file \"")
        + badPath + QStringLiteral("\". ");
    EXPECT_TRUE(lines.at(0).startsWith(prefix)) << lines.at(0).toStdString();
    EXPECT_TRUE(lines.at(0).endsWith(QStringLiteral(" <EFCreateError>"))) << lines.at(0).toStdString();
}

TEST_F(LoggerFailureTest, FailedWriteAfterOpeningNamesTheOpenStage)
{
    // Every write to /dev/full fails with "no space left" after a good open.
    TLDSLogger logger(QStringLiteral("/dev/full"));
    logger.SetUseProcessLock(false);
    logger.Log(QStringLiteral("m"), 0);
    const QString text = errorLogText();
    EXPECT_TRUE(text.contains(QStringLiteral("(fmOpenReadWrite-OK)"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Stream write error <EWriteError>\r\n"))) << text.toStdString();
}

TEST_F(LoggerFailureTest, ErrorWriterDropsItsOwnFailures)
{
    test::writeFileBytes(env.path(QStringLiteral("plainfile")), "not a folder");
    TLDSLogger logger(env.path(QStringLiteral("plainfile/app.log")));
    logger.SetIsErrorWriter(true);
    logger.Log(QStringLiteral("m"), 1);
    EXPECT_FALSE(QFile::exists(test::errorLogPath()));
}

TEST_F(LoggerFailureTest, ErrorLogFollowsTheTemporaryFolderOfTheRunningRoot)
{
    // The error writer outlives one world; a second world gets its own error log.
    test::writeFileBytes(env.path(QStringLiteral("plainfile")), "not a folder");
    TLDSLogger(env.path(QStringLiteral("plainfile/x.log"))).Log(QStringLiteral("a"), 1);
    ASSERT_EQ(logLines(test::errorLogPath()).size(), 1);

    test::TestEnv second;
    test::writeFileBytes(second.path(QStringLiteral("plainfile")), "not a folder");
    TLDSLogger(second.path(QStringLiteral("plainfile/y.log"))).Log(QStringLiteral("c"), 1);
    const QStringList lines = logLines(test::errorLogPath());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.at(0).contains(QStringLiteral("y.log"))) << lines.at(0).toStdString();
}

} // namespace
} // namespace velta
