// The time stamp of a log line: the direct path for the default format must
// write exactly what FormatDateTime writes, at every kind of instant.
#include "plugin/foundation/log/LogTimeStamp.h"

#include "common/Codecs.h"
#include "common/SysUtils.h"
#include "plugin/foundation/log/LDSLogger.h"
#include "plugin/platform/Clock.h"
#include "tests/foundation/log/LoggerTestSupport.h"

#include <gtest/gtest.h>
#include <random>

namespace velta {
namespace {

QByteArray stampBytes(const LogTimeStamp& stamp, TDateTime value)
{
    QByteArray out("head|");
    stamp.appendTo(out, value);
    return out;
}

QByteArray expectedBytes(const QString& format, TDateTime value)
{
    return "head|" + codec::toCp1251(FormatDateTime(format, value, LogFormatSettings()));
}

TEST(LogTimeStamp, DefaultFormatReadsAsTheLogSettingsSay)
{
    const LogTimeStamp stamp;
    EXPECT_EQ(stamp.format(), QStringLiteral("dd/mm/yyyy hh:nn:ss.zzz"));
    EXPECT_EQ(stampBytes(stamp, test::fixedMoment()), QByteArray("head|06.12.2026 14:30:15.123"));
    EXPECT_EQ(stamp.text(test::fixedMoment()), QStringLiteral("06.12.2026 14:30:15.123"));
}

TEST(LogTimeStamp, DirectPathMatchesFormatDateTimeAtEdges)
{
    const QString format = QString::fromLatin1(LogTimeStamp::kDefaultFormat);
    const LogTimeStamp stamp;
    const double ms = 1.0 / 86400000.0;
    const std::vector<TDateTime> values = {
        0.0,                                            // 30.12.1899 00:00:00.000
        EncodeDateTime(2026, 12, 31, 23, 59, 59, 999),  // last millisecond of a year
        EncodeDateTime(2026, 12, 31, 23, 59, 59, 999) + 0.6 * ms, // rounds into the next year
        EncodeDateTime(2024, 2, 29, 0, 0, 0, 0),        // leap day
        EncodeDateTime(2000, 1, 1, 9, 5, 7, 3),         // single digits everywhere
        EncodeDateTime(9999, 12, 31, 23, 59, 59, 999),  // end of the calendar
        EncodeDateTime(1899, 12, 29, 12, 0, 0, 0),      // before day 0: the general path
        -700000.0,                                      // outside the calendar
    };
    for (const TDateTime value : values)
        EXPECT_EQ(stampBytes(stamp, value), expectedBytes(format, value)) << value;
}

TEST(LogTimeStamp, DirectPathMatchesFormatDateTimeAcrossTheCalendar)
{
    const QString format = QString::fromLatin1(LogTimeStamp::kDefaultFormat);
    const LogTimeStamp stamp;
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> anyDay(0.0, kMaxDateTime);
    std::uniform_real_distribution<double> ourTimes(40000.0, 50000.0); // 1909..2036
    for (int i = 0; i < 20000; ++i) {
        const TDateTime value = i % 2 ? anyDay(random) : ourTimes(random);
        ASSERT_EQ(stampBytes(stamp, value), expectedBytes(format, value)) << value;
    }
}

TEST(LogTimeStamp, OtherFormatsGoThroughFormatDateTime)
{
    for (const QString& format : {QStringLiteral("yyyy-mm-dd hh:nn:ss"), QStringLiteral("dd/mm/yy"),
                                  QStringLiteral("\"день\" d mmmm"), QString()}) {
        const LogTimeStamp stamp(format);
        EXPECT_EQ(stampBytes(stamp, test::fixedMoment()), expectedBytes(format, test::fixedMoment()))
            << format.toStdString();
    }
    EXPECT_EQ(stampBytes(LogTimeStamp(QStringLiteral("yyyy-mm-dd")), test::fixedMoment()),
              QByteArray("head|2026-12-06"));
}

TEST(LogTimeStamp, LoggerWritesItsConfiguredFormatAndReportsItInErrors)
{
    test::TestEnv env;
    ManualClock clock;
    clock.setNow(test::fixedMoment());
    ScopedClock installed(clock);
    const QString path = env.path(QStringLiteral("stamp.log"));
    TLDSLogger logger(path);
    logger.SetDateTimeFormat(QStringLiteral("yyyy-mm-dd hh:nn"));
    EXPECT_EQ(logger.DateTimeFormat(), QStringLiteral("yyyy-mm-dd hh:nn"));
    logger.Log(QStringLiteral("m"), 1);
    EXPECT_EQ(test::logLines(path), QStringList(QStringLiteral("2026-12-06 14:30 [инф] m")));

    // A failed write quotes the line with the same stamp.
    test::writeFileBytes(env.path(QStringLiteral("plainfile")), "not a folder");
    logger.SetFileName(env.path(QStringLiteral("plainfile/x.log")));
    logger.Log(QStringLiteral("lost"), 2);
    EXPECT_TRUE(test::errorLogText().contains(QStringLiteral("строки [2026-12-06 14:30 [ошиб] lost]")))
        << test::errorLogText().toStdString();
}

} // namespace
} // namespace velta
