#include "plugin/consignment/list/NoteListQuery.h"

namespace velta::consignment {

QString NoteListQueryText(bool multiLine)
{
    QString sql = QStringLiteral("SELECT ");
    if (multiLine)
        sql += QStringLiteral("q.NAME1, q.COUNT1, ");
    sql += QStringLiteral(" t.*, gp.NAME AS POLNAME, gper.NAME AS REPNAME\r\n"
                          "FROM TTN t \r\n");
    if (multiLine)
        sql += QStringLiteral("JOIN (SELECT TTN_ID, CAST(SUBSTRING(LIST(NAME, ', ') FROM 1 FOR 40) AS VARCHAR(40)) AS NAME1,\r\n"
                              "         SUM(\"COUNT\") AS COUNT1\r\n"
                              "FROM TTNDETAIL\r\n"
                              "GROUP BY TTN_ID) q ON q.TTN_ID = t.TTN_ID\r\n");
    sql += QStringLiteral("LEFT JOIN CONTRAGENT gp ON gp.CONTR_ID = t.GP_ID\r\n"
                          "LEFT JOIN CONTRAGENT gper ON gper.CONTR_ID = t.PER_ID\r\n"
                          "WHERE COALESCE(t.ISDELETE, 0) = 0 ORDER BY t.TTNDATE DESC, t.TTN_ID DESC");
    return sql;
}

} // namespace velta::consignment
