// The sales list's query: the density column and the contragent join follow
// the station, the period gives the WHERE line with its moments written the
// same way whatever the plug-in's own date settings are.
#include "common/DateTime.h"
#include "common/FormatSettings.h"
#include "plugin/receipts/window/SalesQuery.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace velta::receipts {
namespace {

TDateTime at(int year, int month, int day, int hour, int minute, int second, int ms = 0)
{
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, ms);
}

QStringList linesOf(const SalesQueryOptions& options)
{
    return SalesQueryText(options).split(QStringLiteral("\r\n"));
}

TEST(SalesQueryTest, TheLastDaysOfAStationWithDensityAndContragentDirectory)
{
    SalesQueryOptions options;
    options.trkDensity = true;
    options.contragentDirectory = true;
    options.period.lastDays = true;
    options.period.dayCount = 10;
    options.period.now = at(2024, 3, 1, 10, 15, 30, 250);
    EXPECT_EQ(linesOf(options),
              (QStringList{
                  "SELECT lt.INDEXSALE, CAST(CAST(lt.DATA AS VARCHAR(30)) AS TIMESTAMP) AS TIDEDATE,",
                  "       lt.GSMNAME, lt.LITER, (lt.PLOTN * lt.LITER) AS MASSA,",
                  "       lt.SUMMA, lt.PLISTNUM,",
                  "       c.NAME AS CNAME, drv.NAME AS DRIVERFIO, drv.UDOST,",
                  "       car.MARKA AS CARMARKA, car.NAME AS CARGOSNUM, lt.VIDOPL, lt.INN,",
                  "       lt.POKUPATEL, CAST((lt.LITER * lt.BASEPRICE) AS T_NUMBER) AS BASESUMMA",
                  ", lt.TRKDENSITY AS TRKDENS",
                  "FROM LOGTRAN lt",
                  "LEFT JOIN CONTRAGENT c ON lt.IDCNT = CAST(c.CONTR_ID AS VARCHAR(10))",
                  "LEFT JOIN VDDRIVER drv ON lt.IDDRV = drv.ID",
                  "LEFT JOIN VDCAR car ON lt.IDCAR = car.ID",
                  "WHERE lt.DATA > '2024-02-20 10:15:30.250'",
                  "ORDER BY lt.INDEXSALE DESC, TIDEDATE DESC",
              }));
}

TEST(SalesQueryTest, AnOlderStationGetsAZeroDensityAndTheContractorTable)
{
    SalesQueryOptions options;
    options.period.now = at(2024, 3, 1, 0, 0, 0);
    options.period.dayCount = 1000;
    const QStringList lines = linesOf(options);
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[6], QStringLiteral(", 0.0000 AS TRKDENS"));
    EXPECT_EQ(lines[8], QStringLiteral("LEFT JOIN VDCONTRACTOR c ON lt.IDCNT = c.ID"));
    EXPECT_EQ(lines[11], QStringLiteral("WHERE lt.DATA > '2021-06-05 00:00:00.000'"));
}

TEST(SalesQueryTest, APeriodKeepsBothBoundsWithTheirMillisecondsWhateverTheDateSettings)
{
    const TFormatSettings saved = globalFormatSettings();
    globalFormatSettings().DateSeparator = QLatin1Char('/');
    globalFormatSettings().DecimalSeparator = QLatin1Char(',');
    SalesQueryOptions options;
    options.period.lastDays = false;
    options.period.begin = at(2024, 1, 5, 6, 7, 8, 9);
    options.period.end = at(2024, 12, 31, 23, 59, 59, 999);
    const QStringList lines = linesOf(options);
    globalFormatSettings() = saved;
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[11], QStringLiteral("WHERE lt.DATA BETWEEN '2024-01-05 06:07:08.009' AND '2024-12-31 23:59:59.999'"));
}

TEST(SalesQueryTest, TheProbesAndTheDiscountRows)
{
    EXPECT_EQ(TrkDensityProbeQuery(), QStringLiteral("SELECT FIRST 1 * FROM LOGTRAN"));
    EXPECT_EQ(DiscountRowsQuery(4711), QStringLiteral("SELECT * FROM LOGTRANDSC WHERE INDEXSALE=4711"));
    EXPECT_TRUE(ContragentLinkQuery().contains(QStringLiteral("(ct.PARAM1 - ct.PARAM1 / 100 * 100 = 4)")));
}

} // namespace
} // namespace velta::receipts
