// The layout of one log line, the levels, the switches and the file name rules.
#include "plugin/foundation/log/LDSLogger.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Paths.h"
#include "tests/foundation/log/LoggerTestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace velta {
namespace {

using test::logLines;
using test::readFileBytes;

class LoggerLineTest : public ::testing::Test {
protected:
    LoggerLineTest() { clock.setNow(test::fixedMoment()); }

    test::TestEnv env;
    ManualClock clock;
    ScopedClock installed{clock};
    QString path = env.path(QStringLiteral("logs/app.log"));
};

TEST_F(LoggerLineTest, WritesStampLevelTagAndMessageAsCp1251)
{
    TLDSLogger logger(path);
    logger.SetLinePrefix(QStringLiteral("[VeltaReports9]"));
    logger.Log(QStringLiteral("Отчет №45"), 1);

    // "инф" and "Отчет" in code page 1251, "№" is 0xB9 there.
    const QByteArray expected = QByteArray("06.12.2026 14:30:15.123 [\xE8\xED\xF4] [VeltaReports9] "
                                           "\xCE\xF2\xF7\xE5\xF2 \xB9" "45\r\n");
    EXPECT_EQ(readFileBytes(path), expected);
}

TEST_F(LoggerLineTest, AppendsBehindExistingContent)
{
    test::writeFileBytes(path, "older line\r\n");
    TLDSLogger logger(path);
    logger.Log(QStringLiteral("first"), 2);
    logger.Log(QStringLiteral("second"), 2);
    EXPECT_EQ(logLines(path), QStringList({QStringLiteral("older line"),
                                           QStringLiteral("06.12.2026 14:30:15.123 [ошиб] first"),
                                           QStringLiteral("06.12.2026 14:30:15.123 [ошиб] second")}));
}

TEST_F(LoggerLineTest, TrimsBlanksAndControlsAroundTheMessageOnly)
{
    TLDSLogger logger(path);
    logger.Log(QStringLiteral("\t  two  words \r\n\x01"), 1);
    EXPECT_EQ(logLines(path), QStringList(QStringLiteral("06.12.2026 14:30:15.123 [инф] two  words")));
}

TEST_F(LoggerLineTest, MessageOfBlanksWritesAnEmptyLine)
{
    TLDSLogger logger(path);
    logger.SetLinePrefix(QStringLiteral("[VeltaReports9]"));
    logger.Log(QStringLiteral("    "), 1);
    logger.Log(QString(), 1);
    EXPECT_EQ(readFileBytes(path), QByteArray("\r\n\r\n"));
}

TEST_F(LoggerLineTest, EachLevelHasItsWordAndLevelZeroNone)
{
    TLDSLogger logger(path);
    for (int level = 0; level < 8; ++level)
        logger.Log(QStringLiteral("m"), level);
    const QString stamp = QStringLiteral("06.12.2026 14:30:15.123");
    const QStringList expected = {stamp + QStringLiteral(" m"),
                                  stamp + QStringLiteral(" [инф] m"),
                                  stamp + QStringLiteral(" [ошиб] m"),
                                  stamp + QStringLiteral(" [сбой] m"),
                                  stamp + QStringLiteral(" [вним] m"),
                                  stamp + QStringLiteral(" [событ] m"),
                                  stamp + QStringLiteral(" [отлад] m"),
                                  stamp + QStringLiteral(" [другое] m")};
    EXPECT_EQ(logLines(path), expected);
}

TEST_F(LoggerLineTest, LevelsOutsideTheRangeOrTheSetWriteNothing)
{
    TLDSLogger logger(path);
    TLogLevels levels = logger.Levels();
    EXPECT_TRUE(levels.all());
    levels.reset(2);
    logger.SetLevels(levels);

    logger.Log(QStringLiteral("eight"), 8);
    logger.Log(QStringLiteral("huge"), 1000);
    logger.Log(QStringLiteral("negative"), -1);
    logger.Log(QStringLiteral("removed"), 2);
    EXPECT_FALSE(QFile::exists(path));

    logger.Log(QStringLiteral("kept"), 3);
    EXPECT_EQ(logLines(path), QStringList(QStringLiteral("06.12.2026 14:30:15.123 [сбой] kept")));
}

TEST_F(LoggerLineTest, DisabledLoggerWritesNothingUntilEnabledAgain)
{
    TLDSLogger logger(path);
    logger.SetEnabled(false);
    logger.Log(QStringLiteral("quiet"), 1);
    EXPECT_FALSE(QFile::exists(path));
    logger.SetEnabled(true);
    logger.Log(QStringLiteral("loud"), 1);
    EXPECT_EQ(logLines(path).size(), 1);
}

TEST_F(LoggerLineTest, TimeStampIgnoresTheProcessFormatSettings)
{
    TFormatSettings& global = globalFormatSettings();
    const TFormatSettings saved = global;
    global.DateSeparator = QLatin1Char('/');
    global.TimeSeparator = QLatin1Char('-');
    TLDSLogger logger(path);
    logger.Log(QStringLiteral("m"), 0);
    global = saved;
    EXPECT_EQ(logLines(path), QStringList(QStringLiteral("06.12.2026 14:30:15.123 m")));
}

TEST_F(LoggerLineTest, WindowsStyleNameIsCreatedUnderTheRootWithItsFolders)
{
    TLDSLogger logger(QStringLiteral("C:\\DEXE\\LogFiles\\Reports.log"));
    logger.Log(QStringLiteral("m"), 1);
    EXPECT_EQ(logLines(Paths::root() + QStringLiteral("/C/DEXE/LogFiles/Reports.log")).size(), 1);
}

TEST_F(LoggerLineTest, LogFmtFormatsTheMessage)
{
    TLDSLogger logger(path);
    logger.LogFmt(QStringLiteral("Отчет №%d сформирован (%d мс; %d байт)"), {45, 120, 2048}, 1);
    EXPECT_EQ(logLines(path),
              QStringList(QStringLiteral("06.12.2026 14:30:15.123 [инф] Отчет №45 сформирован (120 мс; 2048 байт)")));
}

TEST_F(LoggerLineTest, LogFmtWithMismatchingArgumentsRaisesAndWritesNothing)
{
    TLDSLogger logger(path);
    const QString format = QStringLiteral("%d байт");
    try {
        logger.LogFmt(format, {QStringLiteral("много")}, 1);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.className(), QStringLiteral("Exception"));
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Error args for string [%d байт]: "))) << e.what();
        EXPECT_GT(e.message().size(), QStringLiteral("Error args for string [%d байт]: ").size());
    }
    EXPECT_THROW(logger.LogFmt(QStringLiteral("%s and %s"), {QStringLiteral("one")}, 1), Exception);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(LoggerFileName, NameWithoutFolderGoesNextToTheExecutable)
{
    test::TestEnv env;
    TLDSLogger logger(QStringLiteral("Reports.log"));
    EXPECT_EQ(logger.LogFileName(), Paths::executableFolder() + QStringLiteral("Reports.log"));
}

TEST(LoggerFileName, EmptyOrSameNameInOtherCaseChangesNothing)
{
    test::TestEnv env;
    const QString name = env.path(QStringLiteral("Logs/App.log"));
    TLDSLogger logger(name);
    logger.SetFileName(QString());
    EXPECT_EQ(logger.LogFileName(), name);
    logger.SetFileName(name.toUpper());
    EXPECT_EQ(logger.LogFileName(), name);
    logger.SetUseProcessLock(false);
    logger.SetFileName(name.toLower());
    EXPECT_EQ(logger.LogFileName(), name);

    const QString other = env.path(QStringLiteral("Logs/Other.log"));
    logger.SetFileName(other);
    EXPECT_EQ(logger.LogFileName(), other);
    EXPECT_FALSE(logger.HasFileMutex());
}

TEST(LoggerFileName, ProcessLockFollowsTheSwitch)
{
    test::TestEnv env;
    TLDSLogger logger(env.path(QStringLiteral("a.log")));
    EXPECT_TRUE(logger.UseProcessLock());
    EXPECT_TRUE(logger.HasFileMutex());
    logger.SetUseProcessLock(false);
    EXPECT_FALSE(logger.HasFileMutex());
    logger.SetUseProcessLock(true);
    EXPECT_TRUE(logger.HasFileMutex());
}

TEST(LoggerFileName, MutexNameIsTheLowerCasePathWithObjectNameCharactersReplaced)
{
    EXPECT_EQ(TLDSLogger::FileMutexName(QStringLiteral("C:\\DEXE\\LogFiles\\Reports.log")),
              QStringLiteral("c__dexe_logfiles_reports.log"));
    EXPECT_EQ(TLDSLogger::FileMutexName(QStringLiteral("A\"*/:<>?\\|Б.Log")), QStringLiteral("a_________б.log"));
}

} // namespace
} // namespace velta
