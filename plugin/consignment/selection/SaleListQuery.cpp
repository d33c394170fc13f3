#include "plugin/consignment/selection/SaleListQuery.h"

#include <QStringList>

namespace velta::consignment {

QString SaleListQueryText(const SaleListOptions& options)
{
    // The shown columns come first, in the grid's order.
    QStringList lines{
        QStringLiteral("SELECT l.INDEXSALE, l.DATA AS TIDEDATE, l.GSMNAME, l.LITER,"),
        QStringLiteral("       CAST(l.LITER * l.PLOTN AS NUMERIC(18,4)) AS MASSA, l.SUMMA,"),
        options.consignee ? QStringLiteral("       gp.NAME AS GPNAME,")
                             : QStringLiteral("       CAST(NULL AS VARCHAR(100)) AS GPNAME,"),
        QStringLiteral("       COALESCE(c.NAME, vc.NAME) AS CNAME, d.NAME AS DRIVERFIO,"),
        QStringLiteral("       car.MARKA AS CARMARKA, car.NAME AS CARGOSNUM,"),
        QStringLiteral("       l.PLOTN, vc.CONTR_ID, d.UDOST, car.PRMARKA, car.PRGOSNUM, car.PRGARNUMBER,"),
        QStringLiteral("       l.PLISTNUM") + (options.meterMass ? QStringLiteral(", l.MASSAPLM") : QString())
            + (options.consignee ? QStringLiteral(", l.ID2CNT") : QString()),
        QStringLiteral("FROM LOGTRAN l"),
        QStringLiteral("LEFT JOIN VDCONTRACTOR vc ON CAST(vc.ID AS VARCHAR(10)) = l.IDCNT"),
        QStringLiteral("LEFT JOIN CONTRAGENT c ON c.CONTR_ID = vc.CONTR_ID"),
        QStringLiteral("LEFT JOIN VDDRIVER d ON d.ID = l.IDDRV"),
        QStringLiteral("LEFT JOIN VDCAR car ON car.ID = l.IDCAR"),
    };
    if (options.consignee)
        lines << QStringLiteral("LEFT JOIN CONTRAGENT gp ON gp.CONTR_ID = l.ID2CNT");
    lines << QStringLiteral("WHERE NOT EXISTS (SELECT 1 FROM TTN t WHERE t.INDEXSALE = l.INDEXSALE")
          << QStringLiteral("                  AND COALESCE(t.ISDELETE, 0) = 0)");
    if (options.noteLines)
        lines << QStringLiteral("  AND NOT EXISTS (SELECT 1 FROM TTNDETAIL td JOIN TTN t ON t.TTN_ID = td.TTN_ID")
              << QStringLiteral("                  WHERE td.INDEXSALE = l.INDEXSALE AND COALESCE(t.ISDELETE, 0) = 0)");
    lines << QStringLiteral("ORDER BY l.INDEXSALE DESC");
    return lines.join(QStringLiteral("\r\n"));
}

QString SaleColumnsProbeQuery()
{
    return QStringLiteral("SELECT FIRST 1 * FROM LOGTRAN");
}

QString NoteLinesProbeQuery()
{
    return QStringLiteral("SELECT FIRST 1 * FROM TTNDETAIL");
}

} // namespace velta::consignment
