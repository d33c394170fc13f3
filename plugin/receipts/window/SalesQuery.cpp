#include "plugin/receipts/window/SalesQuery.h"

#include "plugin/foundation/text/Tools.h"

#include <QStringList>

namespace velta::receipts {

QString SqlDateTimeLiteral(TDateTime value)
{
    return QLatin1Char('\'') + FormatQueryDateTime(true, value) + QLatin1Char('\'');
}

QString SalesQueryText(const SalesQueryOptions& options)
{
    QStringList lines{
        QStringLiteral("SELECT lt.INDEXSALE, CAST(CAST(lt.DATA AS VARCHAR(30)) AS TIMESTAMP) AS TIDEDATE,"),
        QStringLiteral("       lt.GSMNAME, lt.LITER, (lt.PLOTN * lt.LITER) AS MASSA,"),
        QStringLiteral("       lt.SUMMA, lt.PLISTNUM,"),
        QStringLiteral("       c.NAME AS CNAME, drv.NAME AS DRIVERFIO, drv.UDOST,"),
        QStringLiteral("       car.MARKA AS CARMARKA, car.NAME AS CARGOSNUM, lt.VIDOPL, lt.INN,"),
        QStringLiteral("       lt.POKUPATEL, CAST((lt.LITER * lt.BASEPRICE) AS T_NUMBER) AS BASESUMMA"),
        options.trkDensity ? QStringLiteral(", lt.TRKDENSITY AS TRKDENS") : QStringLiteral(", 0.0000 AS TRKDENS"),
        QStringLiteral("FROM LOGTRAN lt"),
        options.contragentDirectory
            ? QStringLiteral("LEFT JOIN CONTRAGENT c ON lt.IDCNT = CAST(c.CONTR_ID AS VARCHAR(10))")
            : QStringLiteral("LEFT JOIN VDCONTRACTOR c ON lt.IDCNT = c.ID"),
        QStringLiteral("LEFT JOIN VDDRIVER drv ON lt.IDDRV = drv.ID"),
        QStringLiteral("LEFT JOIN VDCAR car ON lt.IDCAR = car.ID"),
    };
    const SalesPeriod& period = options.period;
    if (period.lastDays)
        lines << QStringLiteral("WHERE lt.DATA > %1").arg(SqlDateTimeLiteral(period.now - period.dayCount));
    else
        // The end bound stays even when the end pickers are switched off.
        lines << QStringLiteral("WHERE lt.DATA BETWEEN %1 AND %2")
                     .arg(SqlDateTimeLiteral(period.begin), SqlDateTimeLiteral(period.end));
    lines << QStringLiteral("ORDER BY lt.INDEXSALE DESC, TIDEDATE DESC");
    return lines.join(QStringLiteral("\r\n"));
}

QString ContragentLinkQuery()
{
    return QStringLiteral(
        "SELECT c.CONTR_ID AS ID, c.NAME, ct.PARAM1 AS VIDOPL FROM CONTRAGENT c LEFT JOIN CONTRAGENTTYPE ct ON "
        "ct.CONTR_ID = c.CONTR_ID WHERE COALESCE(c.ISDELETE, 0) = 0 AND (ct.CTYPE=1) AND (ct.PARAM1 - ct.PARAM1 / "
        "100 * 100 = 4) ORDER BY c.NAME");
}

QString TrkDensityProbeQuery()
{
    return QStringLiteral("SELECT FIRST 1 * FROM LOGTRAN");
}

QString DiscountRowsQuery(int sale)
{
    return QStringLiteral("SELECT * FROM LOGTRANDSC WHERE INDEXSALE=") + QString::number(sale);
}

} // namespace velta::receipts
